#pragma once
#include <QString>

namespace kalvex {

// A readable name of a data-set item: the set-up parameter's report text, the shift counter's
// meaning, "Label 5, ductor 3 ON" for label data.
QString itemName(int index);

} // namespace kalvex
