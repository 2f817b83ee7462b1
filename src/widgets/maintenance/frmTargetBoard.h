#pragma once
#include "data/board/BoardSettings.h"
#include "data/board/FaultCodes.h"
#include "data/board/ProgramIdent.h"
#include "data/pages/TargetBoardTable.h"
#include "widgets/pages/MachinePage.h"

#include <QDateTime>
#include <QDialog>

#include <array>
#include <functional>

class QGridLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabBar;
class QTimer;

namespace kalvex {

class UpDown;

// The PC clock as the window reads it; a test gives a fixed instant.
using PcClock = std::function<QDateTime()>;

// What the Target Board Interface works with; all of it outlives the window.
struct TargetBoardContext {
    AppState& state;
    RSComm& link;
    Prompt& prompt;
    PcClock pcClock;
};

// The contents of the Target Board Interface, a machine page: the board's fault and network
// error codes with their texts and the corrective action, the program in the board beside the
// program file on disk, the network addresses and the board clock. Shown, it takes the program
// online; its first online pass reads the codes and the ident (again until one succeeds), every
// pass the settings.
class TargetBoardPage final : public MachinePage {
    Q_OBJECT
  public:
    explicit TargetBoardPage(TargetBoardContext context, QWidget* parent);

    void prepare(const QString& OrviloFile);
    bool firstPassDone() const { return m_firstPassDone; }
    // The window closes: the page unloads and the PC clock stops.
    void unloadWindow();

    void cmdResetFaults_Click();
    void cmdSetTime_Click();
    void cmdSetDate_Click();
    void cmdGoOnline_Click();

  private:
    struct Ui {
        QTabBar* tabTargetBoard = nullptr;
        std::array<QWidget*, 4> fraTargetBoard{};
        std::array<QLabel*, kFaultRegisterCount> lblTargetBoard{};         // no index 3
        std::array<QPlainTextEdit*, kFaultRegisterCount> txtTargetBoard{}; // no index 2
        std::array<QLabel*, kBoardIdentRows> lblRevIdentInPLC{};
        std::array<QLabel*, kBoardIdentRows> inPlcCaptions{};
        std::array<QLabel*, kIdentCaptionCount> lblRevIdentOnDisk{};
        std::array<QLabel*, kBoardSettingCount> lblSetupDesc{};
        std::array<QLineEdit*, kBoardSettingCount> txtSetup{};
        std::array<UpDown*, kBoardSettingCount> updSetup{};
        QLabel *lblBoardTime = nullptr, *lblBoardDate = nullptr;
        QLabel *lblCurrTime = nullptr, *lblCurrDate = nullptr;
        QPushButton *cmdResetFaults = nullptr, *cmdSetTime = nullptr, *cmdSetDate = nullptr;
        QPushButton *cmdGoOnline = nullptr, *cmdOk = nullptr, *cmdDefault = nullptr;
    };

    // Layout (frmTargetBoardLayout.cpp).
    void buildControls();
    QWidget* buildFaultFrame();
    QWidget* buildIdentFrame();
    QWidget* buildAddressFrame();
    QWidget* buildClockFrame();
    void addSettingRow(QWidget* frame, QGridLayout* grid, int index, int row, int column);
    void buildFields();

    // The machine page.
    void onActivate() override;
    void ShowOnline() override;
    void ShowOffline() override;
    void addOnlineSteps(RefreshLoop& loop) override;
    void RefreshOffline() override {}
    void forgetReads() override {}

    void restartFirstPass();
    void readFaultRegister(int order);
    void showCodeTexts();
    void readCoCpuSlot();
    void readIdent(int i);
    void showPcClock();
    bool mayRead() const;
    void showBoardView(bool online);
    void setRowShown(int index, bool shown);
    void setRowEnabled(int index, bool enabled);
    std::array<QWidget*, 3> settingRow(int index) const;
    void setClockControlsEnabled(bool enabled);
    void writeClock(const std::vector<BoardWrite>& writes);

    Ui ui;
    PcClock m_pcClock;
    QTimer* m_pcClockTimer;
    DiskIdent m_disk;
    BoardVariant m_variant;
    std::array<QString, kFaultRegisterCount> m_codes; // empty: not read
    std::array<LinkFailure, kFaultRegisterCount> m_failed{};
    std::vector<int> m_identName;
    bool m_firstPassDone = false;
    bool m_passFailed = false; // a read of this first pass failed, or the link was lost
    int m_lastShownSecond = -1;
};

// The modal Target Board Interface around its page.
class frmTargetBoard final : public QDialog {
    Q_OBJECT
  public:
    explicit frmTargetBoard(TargetBoardContext context, QWidget* parent = nullptr);

    // Prepares the window for the program file and shows it modally until it is closed.
    void InitializeForm(const QString& OrviloFile);
    // The same preparation without showing the window (tests show it themselves).
    void prepare(const QString& OrviloFile) { m_page->prepare(OrviloFile); }

    RefreshLoop& refreshLoop() { return m_page->refreshLoop(); }
    bool firstPassDone() const { return m_page->firstPassDone(); }

  protected:
    void done(int result) override;

  private:
    TargetBoardPage* m_page;
};

} // namespace kalvex
