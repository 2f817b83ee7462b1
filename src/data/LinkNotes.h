#pragma once
#include "link/RSComm.h"

#include <QString>

namespace kalvex {

// "W1092 = 650 was not written: wrong echo from the board", for the status bar.
QString notWrittenText(const QString& address, const QString& value, LinkFailure why);
// What the line went through, for the MODE panel's tool tip.
QString lineHealthText(const RSComm::LineHealth& health);

} // namespace kalvex
