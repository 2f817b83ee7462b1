#include "link/TextNumber.h"

#include <cmath>
#include <limits>
#include <string>

namespace kalvex {

double leadingNumber(QStringView text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    std::string digits;
    if (i < n && (text[i] == u'-' || text[i] == u'+')) digits += char(text[i++].unicode());
    bool any = false;
    while (i < n && text[i].isDigit() && text[i].unicode() < 128) {
        digits += char(text[i++].unicode());
        any = true;
    }
    if (i < n && text[i] == u'.') {
        digits += '.';
        ++i;
        while (i < n && text[i].isDigit() && text[i].unicode() < 128) {
            digits += char(text[i++].unicode());
            any = true;
        }
    }
    if (!any) return 0.0;
    if (i + 1 < n && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype j = i + 1;
        std::string exp = "e";
        if (j < n && (text[j] == u'-' || text[j] == u'+')) exp += char(text[j++].unicode());
        bool expDigits = false;
        while (j < n && text[j].isDigit() && text[j].unicode() < 128 && exp.size() < 6) {
            exp += char(text[j++].unicode());
            expDigits = true;
        }
        if (expDigits) digits += exp;
    }
    const double v = std::strtod(digits.c_str(), nullptr);
    return std::isfinite(v) ? v : 0.0;
}

qint32 roundToInt32(double value) {
    if (std::isnan(value)) return 0;
    const double r = std::nearbyint(value);
    if (r >= double(std::numeric_limits<qint32>::max())) return std::numeric_limits<qint32>::max();
    if (r <= double(std::numeric_limits<qint32>::min())) return std::numeric_limits<qint32>::min();
    return qint32(r);
}

bool isWholeNumber(QStringView text) {
    const QStringView t = text.trimmed();
    qsizetype i = 0;
    if (i < t.size() && (t[i] == u'-' || t[i] == u'+')) ++i;
    if (i >= t.size()) return false;
    for (; i < t.size(); ++i)
        if (!(t[i] >= u'0' && t[i] <= u'9')) return false;
    return true;
}

} // namespace kalvex
