#pragma once
#include <QString>
#include <QStringList>

namespace kalvex::cli {

// A board address as typed on a command line: a type letter B, W, D or F with a number and an
// optional bit (.0 to .7), or the hex byte form (1F40H), naming cells inside 0 to 65535.
bool isBoardAddress(const QString& text);

// Refuses (with a message) addresses that are not board addresses; exit code 1 or 0.
int checkAddresses(const QStringList& addresses);

// Whether `output` may be written: it must not be one of `inputs`, must be a regular file
// when it exists, and replaces an existing file only with --force. Exit code 3 or 0, with a
// message.
int checkOutputFile(const QString& output, bool force, const QStringList& inputs = {});

} // namespace kalvex::cli
