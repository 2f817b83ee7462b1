#pragma once
#include "data/program/ProgramFiles.h"
#include "link/Clock.h"
#include "link/ProgramTransfer.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

class QTimer;

namespace kalvex {

class AppState;
class ProgramDownload;
class TransferMarkerFile;
class FileChooser;
class RSComm;

// What File > Download Program needs from the main window.
struct ProgramMenuContext {
    RSComm& link;
    Prompt& prompt;
    FileChooser& chooser;
    QString& gProgramFilePath;
    // Stopped for the whole transfer and started again after it.
    QTimer& backgroundTimer;
    std::function<void()> goOnline;         // View > Online Data
    std::function<void()> updateOnlineMode; // UpdateOnlineMode
    // For the Target Board Interface: the state its fields work on and the PC clock it reads.
    AppState* state = nullptr;
    std::function<QDateTime()> pcClock{};
    // Where the download keeps its marker while it runs; empty: none.
    QString markerFolder{};
};

// The main window's program selection (SelectProgramFile) and the program transfer window.
class ProgramMenu final : public QObject {
    Q_OBJECT
  public:
    ProgramMenu(ProgramMenuContext context, QWidget* window);

    // Mode 0: Download Program; mode 1: the Target Board Interface for the chosen program.
    void SelectProgramFile(int mode);
    ProgramFileSet& files() { return m_files; }

  public Q_SLOTS:
    void mnuFileDownloadProgram_Click() { SelectProgramFile(0); }
    void mnuViewTargetBoardStatus_Click() { SelectProgramFile(1); }

  private:
    void showDownload();
    void showTargetBoard();
    void markProgress(const ProgramDownload& run, std::optional<TransferMarkerFile>& marker);
    void markEnd(const ProgramDownload& run, TransferMarkerFile& marker);

    ProgramMenuContext m_ctx;
    QPointer<QWidget> m_window;
    SystemClock m_clock;
    ProgramTransfer m_transfer;
    ProgramFileSet m_files;
};

} // namespace kalvex
