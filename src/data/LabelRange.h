#pragma once
#include <QString>

#include <optional>

namespace kalvex {

// Labels first to last, both in 0-99.
struct LabelRange {
    int first = 0;
    int last = 99;
};

// The Label Range dialog's Ok: all labels, or the typed range. A non-numeric field gives no
// range; the range is otherwise put in order and clamped to 0-99.
std::optional<LabelRange> labelRangeOk(bool rangeChosen, const QString& fromText,
                                       const QString& toText);

// A field counts as numeric when the whole text, blanks aside, is one number.
bool isNumericText(const QString& text);

} // namespace kalvex
