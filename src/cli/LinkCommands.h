#pragma once
#include "CliSession.h"

#include <QStringList>

namespace kalvex::cli {

int runRead(const CliOptions& options, const QStringList& addresses);
int runWrite(const CliOptions& options, const QString& address, const QString& value);
int runInfo(const CliOptions& options);
int runSim(const CliOptions& options);

} // namespace kalvex::cli
