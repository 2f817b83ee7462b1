// The main window's quit on a signal or at the end of the session, and what it says at start
// about a download that a quit, a kill or a power cut interrupted.
#include "widgets/shell/frmMDIMain.h"

#include "data/AppState.h"
#include "data/TransferMarker.h"
#include "data/program/ProgramFiles.h"
#include "link/CommSettings.h"
#include "link/ProgramModeExit.h"
#include "link/RSComm.h"
#include "widgets/maintenance/ProgramMenu.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

namespace kalvex {

QString frmMDIMain::markerPath() const {
    return m_ctx.markerFolder.isEmpty() ? QString() : transferMarkerPath(m_ctx.markerFolder);
}

// A transfer window takes the quit event first and holds it until its transfer has stopped.
void frmMDIMain::requestQuit(int exitStatus) {
    if (m_quitStatus) return;
    m_quitStatus = exitStatus;
    if (m_ctx.state.gCurrentData.Value != m_ctx.state.gSavedData.Value)
        std::fputs("kalvex: quitting: the changes to the data set were not saved\n", stderr);
    // Queued: a signal during the start's box comes before the event loop runs.
    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

void frmMDIMain::reportInterruptedTransfer() {
    const QString path = markerPath();
    if (path.isEmpty()) return;
    const MarkerFound found = readTransferMarker(path);
    const QString text = interruptedTransferText(found, path);
    if (text.isEmpty()) return;
    m_ctx.prompt.message(kProgramTitle, text, MsgButtons::Ok, MsgIcon::Exclamation);
    if (m_quitStatus) return; // closed by a quit, not seen
    // The marker of a board that may be in program mode stays until the board has left it.
    if (found.status == MarkerFound::Status::Found && found.marker.boardMayBeInProgramMode()) {
        m_programModeSuspect = true;
        return;
    }
    if (const QString why = removeTransferMarker(path); !why.isEmpty())
        m_ctx.prompt.message(kProgramTitle, why, MsgButtons::Ok, MsgIcon::Exclamation);
}

bool frmMDIMain::leaveProgramModeFirst() {
    if (!m_programModeSuspect) return true;
    const MsgAnswer a = m_ctx.prompt.message(
        kProgramDownloadTitle,
        QStringLiteral("The board may still be in program mode: a program download to it was "
                       "interrupted. Going online as usual would send it bytes that it stores "
                       "as program data.\r\n\r\nTake the board out of program mode now and "
                       "download the program again?"),
        MsgButtons::YesNo, MsgIcon::Exclamation);
    if (a != MsgAnswer::Yes) return false;
    QString why;
    const PortSettings settings =
        loadCommSettings(m_ctx.link.CommSettingsFile(), &why).value_or(m_ctx.link.portSettings());
    PortOpenError err;
    if (!m_ctx.port.isOpen() && !m_ctx.port.open(settings, &err)) {
        m_ctx.prompt.message(kProgramDownloadTitle,
                             QStringLiteral("The port cannot be opened: ") + err.description,
                             MsgButtons::Ok, MsgIcon::Critical);
        return false;
    }
    const ProgramModeExit exit = leaveProgramMode(m_ctx.port);
    m_ctx.port.close();
    if (!exit.left) {
        m_ctx.prompt.message(kProgramDownloadTitle,
                             QStringLiteral("The board did not answer as a board out of program "
                                            "mode after %1 bytes. Check the cable and the board's "
                                            "power, then go online again.")
                                 .arg(exit.bytesSent),
                             MsgButtons::Ok, MsgIcon::Critical);
        return false;
    }
    m_programModeSuspect = false;
    // Out of program mode, still a partial program: the next start says so until a download
    // completes.
    MarkerFound found = readTransferMarker(markerPath());
    if (found.status == MarkerFound::Status::Found) {
        found.marker.state = TransferMarker::State::Stopped;
        writeTransferMarker(markerPath(), found.marker);
    }
    QTimer::singleShot(0, m_programMenu, &ProgramMenu::mnuFileDownloadProgram_Click);
    return true;
}

} // namespace kalvex
