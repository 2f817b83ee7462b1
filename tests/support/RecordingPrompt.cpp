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
    if (buttons == MsgButtons::Ok) return MsgAnswer::Ok;
    const bool question = buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel;
    return question ? MsgAnswer::No : MsgAnswer::Cancel;
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
