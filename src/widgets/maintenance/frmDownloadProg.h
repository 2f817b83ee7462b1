#pragma once
#include <QDialog>
#include <QTimer>

class QGroupBox;
class QLabel;

namespace kalvex {

class ProgramRun;
class ProgramTransfer;
class Stepper;

// The program transfer window. Once shown it runs the transfer one record (or block) per
// timer step, so it repaints between steps. The label follows the transfer's state as it
// changes; Timer1 shows the moving address every 250 ms. It cannot be closed before the
// transfer has ended, and closes itself then.
class frmDownloadProg final : public QDialog {
    Q_OBJECT
  public:
    frmDownloadProg(ProgramTransfer& transfer, ProgramRun& run, QWidget* parent = nullptr);

    // 0: send (download, the default), 1: read (upload). Before the window is shown.
    void SetTransferMode(int mode = 0);
    int transferMode() const { return m_transferMode; }
    QString labelText() const;

  Q_SIGNALS:
    // After each step of the transfer.
    void stepped();

  public Q_SLOTS:
    void Timer1_Timer();

  protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void reject() override;

  private:
    struct Ui {
        QGroupBox* fraWaitDisplay = nullptr;
        QLabel* lblWaitDisplay = nullptr;
    };
    int stepRun();

    ProgramTransfer& m_transfer;
    ProgramRun& m_run;
    Ui ui;
    QTimer Timer1;
    Stepper* m_step;
    int m_transferMode = 0;
    bool m_quitAfterStop = false;
};

} // namespace kalvex
