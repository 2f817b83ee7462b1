#include "cli/CliInput.h"

#include "cli/CliPrompt.h"
#include "cli/CliSession.h"
#include "link/Address.h"
#include "link/SafeFile.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace kalvex::cli {

bool isBoardAddress(const QString& text) {
    static const QRegularExpression grammar(
        QStringLiteral(R"(^([BWDF][0-9]{1,5}(\.[0-7])?|[0-9A-F]{1,4}H)$)"),
        QRegularExpression::CaseInsensitiveOption);
    return grammar.match(text).hasMatch() && parseAddress(text).valid;
}

int checkAddresses(const QStringList& addresses) {
    for (const QString& a : addresses) {
        if (!isBoardAddress(a)) {
            say(QStringLiteral("\"%1\" is not a board address (B2088, W112, D1100, F825, "
                               "B1016.0, 1F40H): %2")
                    .arg(a, addressRangeMessage()));
            return kExitRefused;
        }
    }
    return kExitOk;
}

int checkOutputFile(const QString& output, bool force, const QStringList& inputs) {
    const QFileInfo out(output);
    for (const QString& in : inputs) {
        const QFileInfo i(in);
        if (out.exists() && i.exists() && out.canonicalFilePath() == i.canonicalFilePath()) {
            say(QStringLiteral("%1 is the input file; it is never an output.").arg(output));
            return kExitFile;
        }
    }
    if (const QString why = notRegularFileProblem(output); !why.isEmpty()) {
        say(why + QStringLiteral(" It cannot be an output."));
        return kExitFile;
    }
    if (out.exists() && !force) {
        say(QStringLiteral("%1 exists; use --force to replace it.").arg(output));
        return kExitFile;
    }
    return kExitOk;
}

} // namespace kalvex::cli
