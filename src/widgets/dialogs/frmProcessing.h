#pragma once
#include <QDialog>

class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace kalvex {

class DataTransfer;
class RSComm;
class Stepper;

// The progress window of a data transfer. Once shown it moves one item per zero-interval
// timer step, so it repaints and Cancel works between items; it closes when the transfer ends.
class frmProcessing final : public QDialog {
    Q_OBJECT
  public:
    frmProcessing(DataTransfer& transfer, RSComm& link, QWidget* parent = nullptr);

    // The program's quit stopped the transfer between two items.
    bool stoppedForQuit() const { return m_quitAfterStop; }

  Q_SIGNALS:
    void stepped(int value);

  public Q_SLOTS:
    void cmdCancel_Click();

  protected:
    void showEvent(QShowEvent* e) override;
    // Escape and the close box cancel; the window closes once the current item is done.
    void reject() override;
    // A quit of the program waits for the item in flight, then goes on.
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    // The controls; each carries its name as objectName.
    struct Ui {
        QGroupBox* fraProcessing = nullptr;
        QProgressBar* prgProcessing = nullptr;
        QLabel* lblProcessing = nullptr;
        QPushButton* cmdCancel = nullptr;
    };

    int stepTransfer();

    Ui ui;
    DataTransfer& m_transfer;
    RSComm& m_link;
    Stepper* m_step;
    bool m_quitAfterStop = false;
};

} // namespace kalvex
