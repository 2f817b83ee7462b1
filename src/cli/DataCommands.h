#pragma once
#include "CliSession.h"

#include <QStringList>

namespace kalvex::cli {

// The data-set commands; `args` are the words after the command name.
// upload SET -o FILE.sdt [--labels FIRST-LAST] [--base FILE.sdt]
int runUpload(const CliOptions& options, const QStringList& args);
// download SET FILE.sdt [--labels FIRST-LAST]
int runDownload(const CliOptions& options, const QStringList& args);
// export FILE.sdt -o FILE.txt
int runExport(const CliOptions& options, const QStringList& args);
// dump FILE.sdt
int runDump(const QStringList& args);

} // namespace kalvex::cli
