#include "data/ShiftExport.h"

#include "data/AppState.h"
#include "data/DataTransfers.h"
#include "data/FileChooser.h"
#include "data/SetupFileOps.h"
#include "link/RSComm.h"
#include "link/SafeFile.h"

#include <QFileInfo>

namespace kalvex {

namespace {

const char* const kTotalsHeading =
    "(Good Can, Total Blow-off, Misloads, Manual Blow-offs, QC Blow-offs, Restart Blow-off)";

// Headings written before the item that follows them.
QStringList headingsBefore(int item) {
    switch (item) {
    case 37:
        return {QStringLiteral(" "), QStringLiteral("Current Shift Data:"),
                QString::fromLatin1(kTotalsHeading)};
    case 43:
        return {QStringLiteral(" "), QStringLiteral("Current Shift Trips per Spindle:")};
    case 79:
        return {QStringLiteral(" "), QStringLiteral("Last Shift Data:"),
                QString::fromLatin1(kTotalsHeading)};
    case 85:
        return {QStringLiteral(" "), QStringLiteral("Last Shift Trips per Spindle")};
    default:
        return {};
    }
}

void addLine(QByteArray& out, const QString& line) {
    out += line.toLatin1();
    out += "\r\n";
}

// After an upload that did not read every count, the board's shift is not what the data set
// holds: the operator may still export the counts as they were before, under their own date.
bool exportAsItWas(Prompt& prompt, const QString& date) {
    const QString dated =
        date.isEmpty() ? QStringLiteral("undated") : QStringLiteral("dated %1").arg(date);
    return prompt.message(QStringLiteral("Export Shift Data"),
                          QStringLiteral("The shift data could not all be read from the board, "
                                         "so it cannot be exported as the board holds it.\r\n\r\n"
                                         "Export the shift data as it was before, %1?")
                              .arg(dated),
                          MsgButtons::YesNo, MsgIcon::Exclamation) == MsgAnswer::Yes;
}

} // namespace

QByteArray shiftExportText(const SetupData& data, const QString& fileTitle,
                           const QString& uploadNow) {
    QByteArray out;
    addLine(out, fileTitle.isEmpty() ? QStringLiteral("untitled") : fileTitle);
    addLine(out, QStringLiteral("Date: ") + uploadNow);
    for (int item = 37; item <= 120; ++item) {
        for (const QString& h : headingsBefore(item))
            addLine(out, h);
        const qint32 v = size_t(item) < data.Value.size() ? data.Value[size_t(item)] : 0;
        addLine(out, QString::number(v));
    }
    return out;
}

bool ExportShiftData(AppState& state, Prompt& prompt, FileChooser& chooser,
                     DataTransfers& transfers) {
    SetupData exported = state.gCurrentData;
    QString date = state.gUploadNOW;
    if (transfers.link().OnlineMode() && AskUploadFirst(prompt)) {
        if (transfers.UploadData(DataTransfers::kSilentUploadShift).complete()) {
            exported = state.gCurrentData;
            date = state.gUploadNOW;
        } else if (!exportAsItWas(prompt, date)) {
            return true; // nothing exported, as the operator chose
        }
    }
    const std::optional<QString> path = chooser.saveFile(kTextFileFilter, state.gFileExportPath);
    if (!path) return true;
    state.gFileExportPath = *path;
    const QString why =
        saveFileAtomically(*path, shiftExportText(exported, state.gFileNameTitle, date));
    if (why.isEmpty()) return true;
    prompt.message(
        QStringLiteral("KALVEX"),
        QStringLiteral("Cannot write the shift data to \"%1\"; nothing was exported.\r\n%2")
            .arg(QFileInfo(*path).fileName(), why),
        MsgButtons::Ok, MsgIcon::Exclamation);
    return false;
}

} // namespace kalvex
