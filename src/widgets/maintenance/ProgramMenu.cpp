#include "widgets/maintenance/ProgramMenu.h"

#include "data/FileChooser.h"
#include "data/history/HistoryHooks.h"
#include "data/program/ProgramDownload.h"
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
        m_ctx.prompt.message(QStringLiteral("Program Download"),
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
        window.exec();
        if (m_ctx.state)
            noteProgramDownload(*m_ctx.state, m_ctx.gProgramFilePath, int(run.outcome()),
                                run.recordsSent(), run.recordCount());
    }
    if (polling) m_ctx.backgroundTimer.start();
    m_ctx.updateOnlineMode();
}

} // namespace kalvex
