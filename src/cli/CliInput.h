#pragma once
#include "data/SetupData.h"
#include "data/TransferPlan.h"

#include <QString>
#include <QStringList>

namespace kalvex::cli {

// Refuses (with a message) addresses that are not board addresses; exit code 1 or 0.
int checkAddresses(const QStringList& addresses);

// Refuses (with a message naming each item and address) a transfer with items whose address
// names no board cell; exit code 1 or 0.
int checkItems(const TransferPlan& plan, const SetupData& data);

// Whether `output` may be written: it must not be one of `inputs`, must be a regular file
// when it exists, and replaces an existing file only with --force. Exit code 3 or 0, with a
// message; "-" (standard output, which these outputs do not take) gives 1.
int checkOutputFile(const QString& output, bool force, const QStringList& inputs = {});

} // namespace kalvex::cli
