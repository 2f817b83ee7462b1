#pragma once
#include <QString>

namespace kalvex {

struct LabelRange {
    int first = 0;
    int last = 0;
    bool cancelled = true;
};

// The Label Range dialog's Ok: all labels, or the typed range. A non-numeric field cancels;
// the range is then put in order and clamped to 0-99.
LabelRange labelRangeOk(bool rangeChosen, const QString& fromText, const QString& toText);

// A field counts as numeric when the whole text, blanks aside, is one number.
bool isNumericText(const QString& text);

} // namespace kalvex
