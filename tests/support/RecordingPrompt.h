#pragma once
#include "link/Prompt.h"
#include "support/QtPrinters.h"

#include <deque>
#include <functional>
#include <vector>

namespace kalvex::test {

struct Box {
    QString title;
    QString text;
    MsgButtons buttons;
    MsgIcon icon;
};

// Records every box and answers from a script; unscripted: Cancel, No to questions, OK to OK.
class RecordingPrompt final : public Prompt {
  public:
    using Script = std::function<MsgAnswer(const Box&)>;

    MsgAnswer message(const QString& title, const QString& text, MsgButtons buttons,
                      MsgIcon icon) override;
    std::optional<QString> inputBox(const QString& title, const QString& prompt,
                                    const QString& defaultText) override;

    void answer(MsgAnswer a) {
        answerWith([a](const Box&) { return a; });
    }
    void answerWith(Script s) { m_script.push_back(std::move(s)); }
    void inputAnswer(std::optional<QString> text) { m_inputs.push_back(std::move(text)); }

    std::vector<Box> boxes;
    std::vector<QString> inputPrompts;
    std::vector<QString> inputDefaults;

  private:
    std::deque<Script> m_script;
    std::deque<std::optional<QString>> m_inputs;
};

} // namespace kalvex::test
