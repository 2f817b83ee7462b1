#include "data/AppState.h"

#include <QDir>

namespace kalvex {

AppState::AppState(const QString& programFolder) {
    if (!programFolder.isEmpty())
        gFileNamePath = QDir(programFolder).filePath(QStringLiteral("*.sdt"));
    InitDataTables();
}

QString AppState::programVersionText() {
    return QStringLiteral("KALVEX_R") + QStringLiteral(KALVEX_VERSION);
}

void AppState::InitDataTables() {
    gItemCount = kItemCount;
    gProgramVersion = programVersionText();
    gDefaultData = defaultDataSet(gProgramVersion);
    gCurrentData = gDefaultData;
    gSavedData = gDefaultData;
    gFileUnnamed = true;
}

QString AppState::windowCaption() const {
    return QStringLiteral("KALVEX - ") + gFileNameCaption;
}

} // namespace kalvex
