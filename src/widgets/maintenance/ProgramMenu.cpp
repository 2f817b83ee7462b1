#include "widgets/maintenance/ProgramMenu.h"

#include "data/FileChooser.h"
#include "data/TransferMarker.h"
#include "data/history/HistoryHooks.h"
#include "data/program/ProgramDownload.h"
#include "data/program/ProgramFiles.h"
#include "link/RSComm.h"
#include "widgets/maintenance/frmDownloadProg.h"
#include "widgets/maintenance/frmTargetBoard.h"

#include <QFileInfo>
#include <QTimer>

namespace kalvex {

ProgramMenu::ProgramMenu(ProgramMenuContext context, QWidget* window)
    : QObject(window), m_ctx(std::move(context)), m_window(window), m_transfer(m_ctx.link, m_clock),
      m_files(m_ctx.prompt) {}

void ProgramMenu::SelectProgramFile(int mode) {
    if (mode == 0 && !m_ctx.link.OnlineMode()) {
        const MsgAnswer a = m_ctx.prompt.message(
            QStringLiteral("Program Offline"),
            QStringLiteral("Program is Currently OFFLINE\r\n\r\n"
                           "Do You Wish to Switch to ONLINE MODE to Continue?"),
            MsgButtons::YesNo, MsgIcon::Question);
        if (a != MsgAnswer::Yes) return;
        m_ctx.goOnline();
    }
    const std::optional<QString> path =
        m_ctx.chooser.openFile(QStringLiteral("Orvilo Files(*.ovp)"), m_ctx.gProgramFilePath);
    if (!path) return;
    m_ctx.gProgramFilePath = *path;
    m_files.DownloadFile(*path);
    if (!m_files.ValidProgram()) return;
    if (mode == 1) {
        showTargetBoard();
        return;
    }
    const MsgAnswer a =
        m_ctx.prompt.message(kProgramDownloadTitle,
                             QStringLiteral("You are about to download \"%1\" to the P9100.\r\n\r\n"
                                            "Do you wish to continue?")
                                 .arg(QFileInfo(*path).fileName()),
                             MsgButtons::YesNo, MsgIcon::Question);
    if (a == MsgAnswer::Yes) showDownload();
}

void ProgramMenu::showTargetBoard() {
    if (!m_ctx.state) return;
    frmTargetBoard window(TargetBoardContext{*m_ctx.state, m_ctx.link, m_ctx.prompt, m_ctx.pcClock},
                          m_window);
    window.InitializeForm(m_ctx.gProgramFilePath);
}

// No status polling shares the link with the transfer.
void ProgramMenu::showDownload() {
    const bool polling = m_ctx.backgroundTimer.isActive();
    m_ctx.backgroundTimer.stop();
    {
        ProgramDownload run(m_transfer, m_files, m_ctx.prompt);
        frmDownloadProg window(m_transfer, run, m_window);
        std::optional<TransferMarkerFile> marker;
        connect(&window, &frmDownloadProg::stepped, &window,
                [this, &run, &marker] { markProgress(run, marker); });
        window.exec();
        if (marker) markEnd(run, *marker);
        if (m_ctx.state)
            noteProgramDownload(*m_ctx.state, m_ctx.gProgramFilePath, int(run.outcome()),
                                run.recordsSent(), run.recordCount());
    }
    if (polling) m_ctx.backgroundTimer.start();
    m_ctx.updateOnlineMode();
}

} // namespace kalvex

namespace kalvex {

namespace {
constexpr int kMarkerEveryRecords = 32;
} // namespace

// The marker is written once the operator's Yes has taken the board out of everyone else's
// hands, before the first write of the download.
void ProgramMenu::markProgress(const ProgramDownload& run,
                               std::optional<TransferMarkerFile>& marker) {
    if (m_ctx.markerFolder.isEmpty() || run.finished() || m_ctx.link.OnlineMode()) {
        if (marker) marker->progress(run.recordsSent());
        return;
    }
    if (!marker) {
        TransferMarker m;
        m.kind = TransferMarker::Kind::Program;
        m.what = QStringLiteral("program %1 (%2)")
                     .arg(m_files.ident().trimmed(), QFileInfo(m_ctx.gProgramFilePath).fileName());
        m.port = m_ctx.link.port() ? m_ctx.link.port()->deviceName() : QString();
        m.total = run.recordCount();
        marker.emplace(transferMarkerPath(m_ctx.markerFolder), m, kMarkerEveryRecords);
        marker->start();
    }
    marker->progress(run.recordsSent());
}

// Only a complete download removes the marker: any other end leaves a partial program.
void ProgramMenu::markEnd(const ProgramDownload& run, TransferMarkerFile& marker) {
    using Outcome = ProgramDownload::Outcome;
    if (run.outcome() == Outcome::Complete)
        marker.finished();
    else if (run.outcome() == Outcome::Interrupted && !run.boardLeftInProgramMode())
        marker.stopped(run.recordsSent());
    else
        marker.stopped(run.recordsSent(), TransferMarker::State::Running);
}

} // namespace kalvex
