#pragma once
#include "link/Prompt.h"

namespace kalvex::cli {

// Message boxes for a terminal: every box goes to stderr as "kalvex-cli: title: text". Retry/
// Cancel boxes are answered Retry the given number of times (never after a stop signal), then
// Cancel; questions are answered No unless the caller said yes.
class CliPrompt final : public Prompt {
  public:
    explicit CliPrompt(int retries = 0, bool answerYes = false)
        : m_retriesLeft(retries), m_answerYes(answerYes) {}

    MsgAnswer message(const QString& title, const QString& text, MsgButtons buttons,
                      MsgIcon icon) override;
    std::optional<QString> inputBox(const QString& title, const QString& prompt,
                                    const QString& defaultText) override;

    // A warning (exclamation icon) was shown: a check of the operation refused its input.
    bool warned() const { return m_warned; }

  private:
    int m_retriesLeft;
    bool m_answerYes;
    bool m_warned = false;
};

// A box text as terminal lines: CR LF and lone CR both become a newline.
QString terminalText(QString text);

// Writes "kalvex-cli: " and the text to stderr; further lines of the text follow unprefixed.
// Errors, warnings, questions and every box always go through say().
void say(const QString& text);

// -q leaves out progress and notes; -v adds the port opened and how long each transfer took.
enum class Verbosity { Quiet, Normal, Verbose };
void setVerbosity(Verbosity v);
Verbosity verbosity();
// A message worth a line unless -q: notes that report no failure and ask nothing.
void note(const QString& text);
// A message for -v only.
void detail(const QString& text);

} // namespace kalvex::cli
