#pragma once
#include "cli/CliSession.h"

#include <QJsonArray>
#include <QJsonObject>

namespace kalvex::cli {

// --format json: commands that print board data print one JSON document on stdout instead of
// their lines, and only when the command succeeded (a failed read prints none; the exit code
// and stderr say why).
inline bool wantsJson(const CliOptions& options) {
    return options.format == "json";
}

// One line on stdout, flushed at once so a pipe or a log sees progress as it happens.
void printLine(const QString& line);

// One compact document and a newline.
void printJson(const QJsonObject& document);

} // namespace kalvex::cli
