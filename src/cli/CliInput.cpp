#include "cli/CliInput.h"

#include "cli/CliPrompt.h"
#include "cli/CliSession.h"
#include "data/DataTransfers.h"
#include "link/Address.h"
#include "link/SafeFile.h"

#include <QFileInfo>

namespace kalvex::cli {

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

int checkItems(const TransferPlan& plan, const SetupData& data) {
    const QString bad = DataTransfers::unsendableItems(plan, data);
    if (bad.isEmpty()) return kExitOk;
    say(QStringLiteral("nothing was sent; these items cannot be %1:\n")
            .arg(plan.upload ? QStringLiteral("read") : QStringLiteral("written")) +
        QString(bad).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    return kExitRefused;
}

int checkOutputFile(const QString& output, bool force, const QStringList& inputs) {
    if (output == QLatin1String("-")) { // never a file named "-": that is standard output
        say(QStringLiteral("this command writes a file, not standard output (\"-\"); name a file "
                           "(./- for a file of that name)."));
        return kExitRefused;
    }
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
