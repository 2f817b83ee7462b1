#include "link/CsvLine.h"

namespace kalvex {

QStringList splitCsvLine(const QString& line) {
    QStringList fields;
    qsizetype i = 0;
    const qsizetype n = line.size();
    for (;;) {
        while (i < n && (line[i] == u' ' || line[i] == u'\t'))
            ++i;
        QString field;
        if (i < n && line[i] == u'"') {
            ++i;
            while (i < n) {
                if (line[i] == u'"') {
                    if (i + 1 < n && line[i + 1] == u'"') {
                        field += u'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += line[i++];
            }
            // Anything between the closing quote and the next comma is dropped.
            while (i < n && line[i] != u',')
                ++i;
        } else {
            const qsizetype start = i;
            while (i < n && line[i] != u',')
                ++i;
            field = line.mid(start, i - start).trimmed();
        }
        fields << field;
        if (i >= n) break;
        ++i; // the comma
    }
    return fields;
}

} // namespace kalvex

namespace kalvex {

std::optional<QString> findCodeText(const QByteArray& file, const QString& code, CodeMatch which) {
    std::optional<QString> found;
    for (const QByteArray& line : file.split('\n')) {
        const QStringList fields = splitCsvLine(QString::fromLatin1(line).remove(u'\r'));
        if (fields.value(0).compare(code, Qt::CaseInsensitive) != 0) continue;
        found = fields.value(1);
        if (which == CodeMatch::First) break;
    }
    return found;
}

} // namespace kalvex
