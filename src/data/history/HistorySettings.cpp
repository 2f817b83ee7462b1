#include "data/history/HistorySettings.h"

#include <QDir>
#include <QSettings>

namespace kalvex {

namespace {

QString iniPath(const QString& folder) {
    return QDir(folder).filePath(QStringLiteral("history.ini"));
}

} // namespace

HistorySettings HistorySettings::load(const QString& folder) {
    const QSettings ini(iniPath(folder), QSettings::IniFormat);
    HistorySettings s;
    s.enabled = ini.value(QStringLiteral("History/enabled"), s.enabled).toBool();
    s.backgroundSampling =
        ini.value(QStringLiteral("History/backgroundSampling"), s.backgroundSampling).toBool();
    s.keepDays = std::max(1, ini.value(QStringLiteral("History/keepDays"), s.keepDays).toInt());
    s.capMb =
        std::max<qint64>(16, ini.value(QStringLiteral("History/capMb"), s.capMb).toLongLong());
    return s;
}

bool HistorySettings::save(const QString& folder) const {
    QSettings ini(iniPath(folder), QSettings::IniFormat);
    ini.setValue(QStringLiteral("History/enabled"), enabled);
    ini.setValue(QStringLiteral("History/backgroundSampling"), backgroundSampling);
    ini.setValue(QStringLiteral("History/keepDays"), keepDays);
    ini.setValue(QStringLiteral("History/capMb"), capMb);
    ini.sync();
    return ini.status() == QSettings::NoError;
}

} // namespace kalvex
