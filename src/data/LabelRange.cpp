#include "data/LabelRange.h"

#include "link/TextNumber.h"

#include <cmath>

namespace kalvex {

bool isNumericText(const QString& text) {
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(v);
}

std::optional<LabelRange> labelRangeOk(bool rangeChosen, const QString& fromText,
                                       const QString& toText) {
    LabelRange r;
    if (rangeChosen) {
        if (!isNumericText(fromText) || !isNumericText(toText)) return std::nullopt;
        r.first = valueOf(fromText.trimmed());
        r.last = valueOf(toText.trimmed());
    }
    if (r.last < r.first) r.last = r.first;
    r.first = r.first < 1 ? 0 : r.first >= 99 ? 99 : r.first;
    r.last = r.last < 1 ? 0 : r.last >= 99 ? 99 : r.last;
    return r;
}

} // namespace kalvex
