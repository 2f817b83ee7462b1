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
    if (transfers.link().OnlineMode() && AskUploadFirst(prompt))
        transfers.UploadData(DataTransfers::kSilentUploadShift);
    const std::optional<QString> path = chooser.saveFile(kTextFileFilter, state.gFileExportPath);
    if (!path) return true;
    state.gFileExportPath = *path;
    const QString why = saveFileAtomically(
        *path, shiftExportText(state.gCurrentData, state.gFileNameTitle, state.gUploadNOW));
    if (why.isEmpty()) return true;
    prompt.message(
        QStringLiteral("KALVEX"),
        QStringLiteral("Cannot write the shift data to \"%1\"; nothing was exported.\r\n%2")
            .arg(QFileInfo(*path).fileName(), why),
        MsgButtons::Ok, MsgIcon::Exclamation);
    return false;
}

} // namespace kalvex
