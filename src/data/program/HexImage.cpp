#include "data/program/HexImage.h"

#include "link/CsvLine.h"

#include <QFile>

namespace kalvex {

namespace {

int hexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') return u - u'0';
    if (u >= u'A' && u <= u'F') return u - u'A' + 10;
    if (u >= u'a' && u <= u'f') return u - u'a' + 10;
    return -1;
}

// The bytes of a line's hexadecimal digits after the ":"; false on any other character.
bool hexBytes(QStringView digits, QByteArray& out) {
    if (digits.size() % 2 != 0) return false;
    out.clear();
    for (qsizetype i = 0; i < digits.size(); i += 2) {
        const int high = hexDigit(digits[i]), low = hexDigit(digits[i + 1]);
        if (high < 0 || low < 0) return false;
        out.append(char(high * 16 + low));
    }
    return true;
}

QString checkLine(const QString& line, HexRecord& record, bool& hasData) {
    hasData = false;
    if (!line.startsWith(u':')) return QStringLiteral("it does not begin with \":\"");
    QByteArray b;
    if (line.size() < 9 || !hexBytes(QStringView(line).mid(1), b))
        return QStringLiteral("it holds characters other than pairs of hexadecimal digits");
    const int count = quint8(b[0]);
    const int withoutSum = 4 + count, withSum = 5 + count;
    if (b.size() != withoutSum && b.size() != withSum)
        return QStringLiteral("its length does not match its byte count %1").arg(count);
    if (b.size() == withSum) {
        int sum = 0;
        for (const char c : b)
            sum += quint8(c);
        if (sum % 256 != 0) return QStringLiteral("its record checksum is wrong");
    }
    const int type = quint8(b[3]);
    // End and start-address records say nothing about memory.
    if (count == 0 || type == 1 || type == 3 || type == 5) return QString();
    if (count == 0xFF) return QStringLiteral("its byte count FF is the board's attention byte");
    if (type != 0)
        return QStringLiteral("its type %1 addresses memory beyond 64 KiB")
            .arg(type, 2, 10, QLatin1Char('0'));
    const int address = quint8(b[1]) * 256 + quint8(b[2]);
    if (address + count > 0x10000) return QStringLiteral("its data runs past address FFFF");
    record.address = quint16(address);
    record.data = b.mid(4, count);
    hasData = true;
    return QString();
}

} // namespace

HexFile parseHexText(const QByteArray& text) {
    HexFile out;
    out.status = HexFile::Status::Invalid;
    QList<QByteArray> lines = text.split('\n');
    if (!lines.isEmpty() && lines.back().isEmpty()) lines.pop_back(); // the final line break
    for (qsizetype i = 0; i < lines.size(); ++i) {
        // Each line is read as one comma-separated field: blanks around it do not count.
        const QString line = splitCsvLine(QString::fromLatin1(lines[i]).remove(u'\r')).value(0);
        HexRecord record;
        record.line = int(i + 1);
        bool hasData = false;
        const QString why = checkLine(line, record, hasData);
        if (!why.isEmpty()) {
            out.why = QStringLiteral("Line %1: %2.").arg(i + 1).arg(why);
            out.records.clear();
            return out;
        }
        if (hasData) out.records.push_back(std::move(record));
    }
    if (out.records.empty()) {
        out.why = QStringLiteral("The file holds no data record.");
        return out;
    }
    out.status = HexFile::Status::Ok;
    return out;
}

HexFile readHexFile(const QString& path) {
    HexFile out;
    QFile f(path);
    if (!f.exists()) return out;
    out.status = HexFile::Status::Unreadable;
    if (!f.open(QIODevice::ReadOnly)) {
        out.why = f.errorString();
        return out;
    }
    if (f.size() > kMaxHexFileBytes) {
        out.why = QStringLiteral("The file is too large to be a program image.");
        return out;
    }
    const QByteArray text = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        out.why = f.errorString();
        return out;
    }
    if (text.isEmpty()) {
        out.status = HexFile::Status::Empty;
        return out;
    }
    return parseHexText(text);
}

QByteArray uploadHexText(int firstAddress, const QByteArray& image) {
    QByteArray out;
    out.reserve(image.size() / 16 * 45 + 16);
    for (qsizetype i = 0; i < image.size(); i += 16) {
        out += ":10" +
               QByteArray::number(firstAddress + int(i), 16).toUpper().rightJustified(4, '0') +
               "00" + image.mid(i, 16).toHex().toUpper() + "\r\n";
    }
    out += ":00000001FF\r\n";
    return out;
}

} // namespace kalvex
