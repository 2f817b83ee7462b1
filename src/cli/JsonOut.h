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

// One compact document and a newline.
void printJson(const QJsonObject& document);

} // namespace kalvex::cli
