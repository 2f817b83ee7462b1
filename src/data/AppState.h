#pragma once
#include "data/SetupData.h"
#include "data/TagMap.h"

#include <QString>

namespace kalvex {

class HistoryRecorder;

// The program-wide state: data sets, file caption state and shell flags. Created once at
// start-up and handed to whoever needs it; a test builds a fresh one with `AppState state;`.
class AppState {
  public:
    // The data tables are built at once, as start-up does before anything reads them.
    explicit AppState(const QString& programFolder = QString());

    // Builds the tag map and defaults, resets the working and saved copies, marks the file
    // unnamed.
    void InitDataTables();

    // "KALVEX - [name]": the main window's title.
    QString windowCaption() const;

    static QString programVersionText();

    // Data sets.
    int gItemCount = kItemCount;
    QString gProgramVersion;
    SetupData gDefaultData;
    SetupData gCurrentData;
    SetupData gSavedData;
    SetupData gFileData;

    // The set-up file.
    QString gFileNameCaption = QStringLiteral("[unnamed]");
    QString gFileNamePath;
    QString gFileNameTitle;
    QString gFileExportPath;
    QString gUploadNOW;
    // The program file chosen last for a download.
    QString gProgramFilePath;
    bool gFileUnnamed = true;

    // Shell.
    bool gOfflineEdit = false;
    // The design value until B52 gives 24 or 36; nothing aimed past the spindles (Blanket,
    // Mandrel) is sent before then.
    int gSpindleCount = 24;
    bool gSpindleCountKnown = false;
    QString gSpindleCountProblem; // why it is not known yet (the failed read), for tool tips
    // The one-time reads of B52, F31 and W58 succeeded; they are not repeated.
    bool gBoardReadDone = false;
    QString gStatusMessage;
    // The objectName of the page shown; the machine history names writes by it.
    QString gActiveWindow;
    // The machine history's recorder, when one runs.
    HistoryRecorder* gHistory = nullptr;

    // The data transfer running or last run, and the label range it uses.
    int gProcessCode = 0;
    int gLabelFirst = 0;
    int gLabelLast = 0;
    bool gProcessCancelled = false;

    // Report options: what Print Report prints. Not saved; the defaults print everything.
    bool gReportSetup = true;
    bool gReportShift = true;
    bool gReportLabels = true;
    bool gReportAllLabels = true;
    int gReportLabelFirst = 0;
    int gReportLabelLast = 99;
    // 1 while Print Report runs the wait window.
    int gReportRequest = 0;
};

} // namespace kalvex
