#pragma once
#include "support/RecordingPrompt.h"

#include <ostream>
#include <tuple>

namespace kalvex::test {

inline bool operator==(const Box& a, const Box& b) {
    return std::tie(a.title, a.text, a.buttons, a.icon) ==
           std::tie(b.title, b.text, b.buttons, b.icon);
}
inline void PrintTo(const Box& b, std::ostream* os) {
    *os << '[' << b.title.toStdString() << "] " << b.text.toStdString() << " (buttons "
        << int(b.buttons) << ", icon " << int(b.icon) << ')';
}
using Boxes = std::vector<Box>;

inline Box commWarning(const QString& text) {
    return {"WARNING - Communication Error!", text, MsgButtons::RetryCancel, MsgIcon::Critical};
}
inline const QString kNoAnswer = "Cannot Communicate with Target Board.\rVerify RS-232 Cable is "
                                 "Connected Between\rCOMM Port and PROG Port.";

} // namespace kalvex::test
