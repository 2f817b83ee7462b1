#include "support/RecordingPrompt.h"

namespace kalvex::test {

MsgAnswer RecordingPrompt::message(const QString& title, const QString& text, MsgButtons buttons,
                                   MsgIcon icon) {
    boxes.push_back({title, text, buttons, icon});
    if (!m_script.empty()) {
        Script s = std::move(m_script.front());
        m_script.pop_front();
        return s(boxes.back());
    }
    switch (buttons) {
    case MsgButtons::Ok:
        return MsgAnswer::Ok;
    case MsgButtons::YesNo:
    case MsgButtons::YesNoCancel:
        return MsgAnswer::No;
    default:
        return MsgAnswer::Cancel;
    }
}

std::optional<QString> RecordingPrompt::inputBox(const QString&, const QString& prompt,
                                                 const QString& defaultText) {
    inputPrompts.push_back(prompt);
    inputDefaults.push_back(defaultText);
    if (m_inputs.empty()) return std::nullopt;
    auto v = m_inputs.front();
    m_inputs.pop_front();
    return v;
}

} // namespace kalvex::test
