#pragma once
#include "widgets/pages/MachinePage.h"

#include <array>
#include <functional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace kalvex {

class NumericEntryField;
class UpDown;

// The Main Display page: machine speed, production counters and the system message, and the
// operator's blow-off commands. Online it polls the board, offline it shows the data set.
class frmMain : public MachinePage {
    Q_OBJECT
  public:
    static constexpr int kDisplays = 5;

    frmMain(AppState& state, RSComm& link, Prompt& prompt, QWidget* parent = nullptr);
    ~frmMain() override;

    void Activate() override;
    void QCBlowoff(int target);

    NumericEntryField& spindleField() { return *m_spindleField; }

  private:
    // The controls; each carries its name (arrays: name + index) as objectName.
    struct Ui {
        std::array<QGroupBox*, kDisplays> fraDisplay{};
        std::array<QLabel*, kDisplays> lblDisplay{};
        QGroupBox* fraMessageDisplay = nullptr;
        QPlainTextEdit* txtMessageDisplay = nullptr;
        QGroupBox* fraQCBlowoff = nullptr;
        QGroupBox* fraSpindleNumber = nullptr;
        QLineEdit* txtSpindleBlowoff = nullptr;
        UpDown* updSpindleNumber = nullptr;
        QPushButton* cmdSingleBlowoff = nullptr;
        QPushButton* cmdBlanketBlowoff = nullptr;
        QPushButton* cmdMandrelBlowoff = nullptr;
        QGroupBox* fraBadCanBlowoff = nullptr;
        QPushButton* cmdBadCanBlowoff = nullptr;
        QPushButton* cmdDefault = nullptr;
    };

    void buildControls();
    void connectControls();
    void beginPass(RefreshLoop& loop) override;
    void readDisplay(int i);
    void ShowOnline() override;
    void ShowOffline() override;
    void clearEditing() override;
    void RefreshOffline();
    void setBlowoffEnabled(bool on);
    void showStatusMessage();
    bool leaveRefused() const;
    void cmdSingleBlowoff_Click();
    void cmdBadCanBlowoff_Click();
    void updSpindleNumber_Change(int value);

    Ui ui;
    std::array<QString, kDisplays> m_address;
    NumericEntryField* m_spindleField = nullptr;
};

} // namespace kalvex
