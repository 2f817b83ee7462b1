#pragma once
#include "data/pages/SetupParameterTable.h"
#include "widgets/pages/MachinePage.h"
#include "widgets/pages/PageControls.h"

#include <array>
#include <vector>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabBar;

namespace kalvex {

class EntryFieldGroup;
class UpDown;

// The Set-up Parameters page: speed, ductor, blow-off and timing parameters of the board,
// edited live when online and in the data set when offline editing is on.
class frmSetup : public MachinePage {
    Q_OBJECT
  public:
    frmSetup(AppState& state, RSComm& link, Prompt& prompt, QWidget* parent = nullptr);

    void selectTab(int tab);
    void WriteFeedbackMask(const QString& mask);
    void EnableFeedbackAll();
    void DisableFeedbackAll();
    void BadCanTest();
    void QCTest();
    void ZeroResolver();

  private:
    // The controls; each carries its name (arrays: name + index) as objectName.
    struct Ui {
        QTabBar* tbsSetup = nullptr;
        std::array<QGroupBox*, 4> fraSetup{};
        std::array<QLineEdit*, kSetupParameterCount> txtSetup{};
        std::array<UpDown*, kSetupParameterCount> updSetup{};
        std::array<QCheckBox*, 8> chkFeedback{};
        std::array<QLabel*, 4> lblDisplay{};
        std::array<QPushButton*, 2> cmdBadCanTest{};
        std::array<QPushButton*, 2> cmdQCTest{};
        QPushButton* cmdZeroResolver = nullptr;
        QPushButton* cmdEnableFeedbackAll = nullptr;
        QPushButton* cmdDisableFeedbackAll = nullptr;
        QPushButton* cmdDefault = nullptr;
    };

    void buildTabs();
    QGroupBox* buildFieldFrame(const QString& title, int first, int last);
    QGroupBox* buildRows(const QString& title, const std::vector<controls::FieldRow>& rows,
                         const std::vector<QString>& headings);
    QGroupBox* buildFeedbackFrame();
    QGroupBox* buildResponseFrame();
    QGroupBox* buildTestFrame(int index);
    QGroupBox* buildDisplayFrame(const QString& title, int display, QWidget* extra = nullptr);
    void buildFields();

    void onActivate() override;
    void beforePass() override;
    void addOnlineSteps(RefreshLoop& loop) override;
    void addTimingDisplays(RefreshLoop& loop);
    void RefreshOffline() override;
    void ShowOnline() override;
    void ShowOffline() override;
    void setFeedbackBoxes(int mask);

    Ui ui;
    IndexRange m_range{0, 2};
    bool m_checkBoxUpdate = false;
};

} // namespace kalvex
