#pragma once
#include "data/SetupData.h"

#include <QByteArray>

namespace kalvex {

class AppState;
class DataTransfers;
class FileChooser;
class Prompt;

inline const QString kTextFileFilter = QStringLiteral("Text Files(*.txt)");

// The 96 lines of the shift data export, CR LF ended, Latin-1.
QByteArray shiftExportText(const SetupData& data, const QString& fileTitle,
                           const QString& uploadNow);

// File > Export Shift Data: offers a shift upload while online, asks for the file and writes
// it whole or not at all. After an upload that did not complete it exports nothing unless the
// operator chooses the counts as they were, under their old date. False when the file could not
// be written (the user was told).
bool ExportShiftData(AppState& state, Prompt& prompt, FileChooser& chooser,
                     DataTransfers& transfers);

} // namespace kalvex
