#pragma once
#include <QString>
#include <optional>

namespace kalvex {

// The title of the program's own boxes (a window's boxes carry the window's title).
inline const QString kProgramTitle = QStringLiteral("KALVEX");

enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgAnswer { Ok, Cancel, Yes, No, Retry };

// Message boxes and the input box. The GUI shows real dialogs, the CLI prints to stderr and
// answers from its flags, tests record every box and answer from a script.
class Prompt {
  public:
    virtual ~Prompt() = default;
    virtual MsgAnswer message(const QString& title, const QString& text, MsgButtons buttons,
                              MsgIcon icon) = 0;
    // Empty optional when the user cancels.
    virtual std::optional<QString> inputBox(const QString& title, const QString& prompt,
                                            const QString& defaultText) = 0;
};

// The "Error Number = ..." box text used for unexpected run-time errors.
inline QString errorNumberText(int number, const QString& description) {
    return QStringLiteral("Error Number = %1\r\n\r\n%2").arg(number).arg(description);
}

} // namespace kalvex
