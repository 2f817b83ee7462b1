#include "cli/JsonOut.h"

#include <QJsonDocument>
#include <cstdio>

namespace kalvex::cli {

void printLine(const QString& line) {
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

void printJson(const QJsonObject& document) {
    std::printf("%s\n", QJsonDocument(document).toJson(QJsonDocument::Compact).constData());
    std::fflush(stdout);
}

} // namespace kalvex::cli
