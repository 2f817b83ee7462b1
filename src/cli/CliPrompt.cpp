#include "CliPrompt.h"

#include <cstdio>

namespace kalvex::cli {

QString terminalText(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

MsgAnswer CliPrompt::message(const QString& title, const QString& text, MsgButtons buttons,
                             MsgIcon icon) {
    std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(terminalText(text)));
    if (title == QLatin1String("ENTRY ALERT")) m_refused = true;
    if (icon == MsgIcon::Exclamation) m_warned = true;
    switch (buttons) {
    case MsgButtons::Ok:
        return MsgAnswer::Ok;
    case MsgButtons::OkCancel:
        return m_answerYes ? MsgAnswer::Ok : MsgAnswer::Cancel;
    case MsgButtons::YesNo:
    case MsgButtons::YesNoCancel:
        return m_answerYes ? MsgAnswer::Yes : MsgAnswer::No;
    case MsgButtons::RetryCancel:
        if (m_retriesLeft > 0) {
            --m_retriesLeft;
            std::fprintf(stderr, "(retrying)\n");
            return MsgAnswer::Retry;
        }
        return MsgAnswer::Cancel;
    }
    return MsgAnswer::Cancel;
}

std::optional<QString> CliPrompt::inputBox(const QString& title, const QString& prompt,
                                           const QString&) {
    std::fprintf(stderr, "%s: %s\n(no input in batch mode)\n", qPrintable(title),
                 qPrintable(terminalText(prompt)));
    return std::nullopt;
}

} // namespace kalvex::cli
