#pragma once
#include "data/pages/MainDisplayTable.h"
#include "widgets/pages/MachinePage.h"

#include <array>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace kalvex {

class EntryFieldGroup;
class UpDown;

// The Main Display page: machine speed, production counters and the system message, and the
// operator's blow-off commands. Online it polls the board, offline it shows the data set.
class frmMain : public MachinePage {
    Q_OBJECT
  public:
    static constexpr int kDisplays = kMainDisplayCount;

    frmMain(AppState& state, RSComm& link, Prompt& prompt, QWidget* parent = nullptr);

    void QCBlowoff(int target);
    // Blanket and Mandrel Blow-off wait for a good spindle count, and say so.
    void showPastSpindleCommands();

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
    void beforePass() override;
    void addOnlineSteps(RefreshLoop& loop) override;
    void ShowOnline() override;
    void ShowOffline() override;
    void RefreshOffline() override;
    void setBlowoffEnabled(bool on);
    // A command's click that finds the focus still in the spindle field, or its value refused.
    bool leaveRefused() const;
    void cmdSingleBlowoff_Click();

    Ui ui;
    static constexpr int kMessageIntervalMs = 500; // the background poll's own period
    void showMessages();
};

} // namespace kalvex
