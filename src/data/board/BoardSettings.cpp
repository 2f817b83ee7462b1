#include "data/board/BoardSettings.h"

namespace kalvex {

const std::array<BoardSetting, kBoardSettingCount>& boardSettings() {
    static const std::array<BoardSetting, kBoardSettingCount> settings{{
        {"Current Network Address 1:", "B8180", 1, 32},
        {"Current Network Address 2:", "B8191", 1, 32},
        {"Hr.", "B43012", 0, 23},
        {"Min.", "B43010", 0, 59},
        {"Sec.", "B43008", 0, 59},
        {"Mo.", "B43016", 1, 12},
        {"Day", "B43015", 1, 31},
        {"Yr.", "B43017", 0, 99},
    }};
    return settings;
}

BoardVariant boardVariant(int boardType) {
    BoardVariant v;
    v.coCpuLine = boardType == 50;
    v.clock = boardType == 54 || boardType == 65;
    v.secondAddress = boardType == 65;
    return v;
}

QString twoDigits(qint64 value) {
    return value >= 0 && value < 10 ? QStringLiteral("0") + QString::number(value)
                                    : QString::number(value);
}

namespace {

BoardWrite setting(int index, int value) {
    return {QLatin1String(boardSettings()[size_t(index)].address), QString::number(value)};
}

} // namespace

std::vector<BoardWrite> clockTimeWrites(const QDateTime& now) {
    const QTime t = now.time();
    return {setting(2, t.hour()), setting(3, t.minute()), setting(4, t.second())};
}

std::vector<BoardWrite> clockDateWrites(const QDateTime& now) {
    const QDate d = now.date();
    BoardWrite year = setting(7, 0);
    year.value = QStringLiteral("%1").arg(((d.year() % 100) + 100) % 100, 2, 10, QLatin1Char('0'));
    return {setting(5, d.month()), setting(6, d.day()), year};
}

QString clockFailedText(const CheckedWrites& w, const std::vector<BoardWrite>& writes) {
    return QStringLiteral("The board clock was not set: the write of %1 failed (%2); %3 of %4 "
                          "values written.")
        .arg(writes[w.written].address, failureText(w.result.failure))
        .arg(w.written)
        .arg(writes.size());
}

QString pcTimeText(const QDateTime& now) {
    return now.time().toString(QStringLiteral("hh' : 'mm' : 'ss"));
}

QString pcDateText(const QDateTime& now) {
    return now.date().toString(QStringLiteral("MM' - 'dd' - 'yyyy"));
}

std::optional<QDateTime> parseInstant(const QString& text) {
    const QDateTime t = QDateTime::fromString(text.trimmed(), Qt::ISODate);
    if (!t.isValid()) return std::nullopt;
    return t.timeSpec() == Qt::LocalTime ? t : t.toLocalTime();
}

} // namespace kalvex
