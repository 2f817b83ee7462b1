#pragma once
#include <QWidget>

#include <array>
#include <functional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace kalvex {

class AppState;
class NumericEntryField;
class Prompt;
class RefreshLoop;
class RSComm;
class UpDown;

// The Main Display page: machine speed, production counters and the system message, and the
// operator's blow-off commands. Online it polls the board, offline it shows the data set.
class frmMain : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kDisplays = 5;

    frmMain(AppState& state, RSComm& link, Prompt& prompt, QWidget* parent = nullptr);
    ~frmMain() override;

    // Called after the page has switched the program offline on a comm error; the host
    // opens or closes the port and updates its menus.
    std::function<void()> UpdateOnlineMode;

    // Prepares the page for the current mode and (re)starts its refresh cycle; showing the
    // page does this too.
    void Activate();
    // Ends the refresh cycle.
    void Unload();
    void QCBlowoff(int target);

    RefreshLoop& refreshLoop() { return *m_loop; }
    NumericEntryField& spindleField() { return *m_spindleField; }

    // Controls.
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

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildControls();
    void connectControls();
    void beginPass(RefreshLoop& loop);
    void readDisplay(int i);
    void ShowOnline();
    void ShowOffline();
    void RefreshOffline();
    void setBlowoffEnabled(bool on);
    void showStatusMessage();
    bool leaveRefused() const;
    void cmdSingleBlowoff_Click();
    void cmdBadCanBlowoff_Click();
    void updSpindleNumber_Change(int value);

    AppState& m_state;
    RSComm& m_link;
    Prompt& m_prompt;
    std::array<QString, kDisplays> m_address;
    RefreshLoop* m_loop = nullptr;
    NumericEntryField* m_spindleField = nullptr;
    bool m_onlinePrepared = false;
    bool m_offlinePrepared = false;
};

} // namespace kalvex
