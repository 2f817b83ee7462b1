#include "cli/CliPrompt.h"

#include "cli/StopSignals.h"

#include <cstdio>

namespace kalvex::cli {

QString terminalText(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

namespace {
Verbosity g_verbosity = Verbosity::Normal;
} // namespace

void say(const QString& text) {
    std::fprintf(stderr, "kalvex-cli: %s\n", qPrintable(terminalText(text)));
}

void setVerbosity(Verbosity v) {
    g_verbosity = v;
}

Verbosity verbosity() {
    return g_verbosity;
}

void note(const QString& text) {
    if (g_verbosity != Verbosity::Quiet) say(text);
}

void detail(const QString& text) {
    if (g_verbosity == Verbosity::Verbose) say(text);
}

MsgAnswer CliPrompt::message(const QString& title, const QString& text, MsgButtons buttons,
                             MsgIcon icon) {
    // Boxes are printed even with -q: some failures come in information boxes.
    say(title + QStringLiteral(": ") + text);
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
        if (m_retriesLeft > 0 && stopSignal() == 0) {
            --m_retriesLeft;
            note(QStringLiteral("(retrying)"));
            return MsgAnswer::Retry;
        }
        return MsgAnswer::Cancel;
    }
    return MsgAnswer::Cancel;
}

std::optional<QString> CliPrompt::inputBox(const QString& title, const QString& prompt,
                                           const QString&) {
    say(title + QStringLiteral(": ") + prompt + QStringLiteral("\n(no input in batch mode)"));
    return std::nullopt;
}

} // namespace kalvex::cli
