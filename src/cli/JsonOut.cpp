#include "cli/JsonOut.h"

#include <QJsonDocument>
#include <cstdio>

namespace kalvex::cli {

void printJson(const QJsonObject& document) {
    std::printf("%s\n", QJsonDocument(document).toJson(QJsonDocument::Compact).constData());
    std::fflush(stdout);
}

} // namespace kalvex::cli
