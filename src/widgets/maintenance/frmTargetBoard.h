#pragma once
#include "data/board/BoardSettings.h"
#include "data/board/FaultCodes.h"
#include "data/board/ProgramIdent.h"
#include "link/LinkResult.h"
#include "widgets/pages/TabSwitch.h"

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

class AppState;
class EntryFieldGroup;
class Prompt;
class RefreshLoop;
class RSComm;
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

// The modal Target Board Interface: the board's fault and network error codes with their texts
// and the corrective action, the program in the board beside the program file on disk, the
// network addresses and the board clock. While open it takes the program online and reads the
// board one request per step of its own refresh loop; offline it waits, paced.
class frmTargetBoard final : public QDialog {
    Q_OBJECT
  public:
    explicit frmTargetBoard(TargetBoardContext context, QWidget* parent = nullptr);
    ~frmTargetBoard() override;

    // Prepares the window for the program file and shows it modally until it is closed.
    void InitializeForm(const QString& OrviloFile);
    // The same preparation without showing the window (tests show it themselves).
    void prepare(const QString& OrviloFile);

    RefreshLoop& refreshLoop() { return *m_loop; }
    bool firstPassDone() const { return m_firstPassDone; }

  public Q_SLOTS:
    void cmdResetFaults_Click();
    void cmdSetTime_Click();
    void cmdSetDate_Click();
    void cmdGoOnline_Click();
    void cmdOk_Click();

  protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

  private:
    struct Ui {
        QTabBar* tabTargetBoard = nullptr;
        std::array<QWidget*, 4> fraTargetBoard{};
        std::array<QLabel*, kFaultRegisterCount> lblTargetBoard{};         // no index 3
        std::array<QPlainTextEdit*, kFaultRegisterCount> txtTargetBoard{}; // no index 2
        std::array<QLabel*, 3> lblRevIdentInPLC{};
        std::array<QLabel*, 3> inPlcCaptions{};
        std::array<QLabel*, 5> lblRevIdentOnDisk{};
        std::array<QLabel*, kBoardSettingCount> lblSetupDesc{};
        std::array<QLineEdit*, kBoardSettingCount> txtSetup{};
        std::array<UpDown*, kBoardSettingCount> updSetup{};
        QLabel *lblNetworkAddComment = nullptr, *lblBoardTime = nullptr, *lblBoardDate = nullptr;
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

    // The update loop.
    void layOutPass(RefreshLoop& loop);
    void addFirstPass(RefreshLoop& loop);
    void addRefreshSettings(RefreshLoop& loop);
    void beginFirstPass();
    void readFaultRegister(int order);
    void showCodeTexts();
    void readCoCpuSlot();
    void readIdent(int i);
    void ShowOffline();
    void showPcClock();
    bool mayRead() const;

    void setRowShown(int index, bool shown);
    void setRowEnabled(int index, bool enabled);
    void setClockControlsEnabled(bool enabled);
    void writeClock(const std::vector<BoardWrite>& writes);
    void Unload();

    Ui ui;
    TargetBoardContext m_ctx;
    RefreshLoop* m_loop;
    EntryFieldGroup* m_fields = nullptr;
    QTimer* m_pcClockTimer;
    TabSwitch m_tabs;
    DiskIdent m_disk;
    BoardVariant m_variant;
    std::array<bool, kBoardSettingCount> m_rowShown{};
    std::array<QString, kFaultRegisterCount> m_codes; // empty: not read
    std::array<LinkFailure, kFaultRegisterCount> m_failed{};
    std::vector<int> m_identName;
    bool m_firstPassDone = false;
    bool m_offlineShown = false;
    bool m_passFailed = false; // a read of this first pass failed, or the link was lost
    int m_lastShownSecond = -1;
};

} // namespace kalvex
