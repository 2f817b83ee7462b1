#pragma once
#include "data/pages/Df1GatewayTable.h"
#include "widgets/pages/MachinePage.h"

#include <array>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;

namespace kalvex {

class EntryFieldGroup;
class UpDown;

// The K5800 DF1 gateway page: the gateway's configuration and transmit status, the current
// transaction and the link-layer status with its STS texts, read live online; the PLC type,
// destination node and file number set up live or in the data set.
//
// The PLC type is written only when the operator chooses it: the refresh selecting the board's
// or the data set's value writes nothing, and a stored value outside the list selects nothing.
class frm5800DF1 : public MachinePage {
    Q_OBJECT
  public:
    frm5800DF1(AppState& state, RSComm& link, Prompt& prompt, QWidget* parent = nullptr);

    // The operator chose list entry `index` (the keyboard or the drop-down).
    void cboSetup_Click(int index);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Ui {
        std::array<QGroupBox*, 3> fraSetup{};
        std::array<QLabel*, kDf1Reads> lblCaption{};
        std::array<QLabel*, kDf1Displays> lblDisplay{};
        QComboBox* cboSetup = nullptr;
        std::array<QLineEdit*, 2> txtSetup{};
        std::array<UpDown*, 2> updSetup{};
        QPushButton* cmdDefault = nullptr;
    };

    void buildControls();
    QGroupBox* buildStatusFrame();
    QGroupBox* buildLinkFrame();
    QGroupBox* buildSetupFrame();
    void buildFields();

    void addOnlineSteps(RefreshLoop& loop) override;
    void RefreshOffline() override;
    void ShowOnline() override;
    void ShowOffline() override;
    void clearEditing() override;
    void showAll(bool online);
    void showListValue(qint64 value);

    Ui ui;
    bool m_listEditing = false;
    bool m_listReady = false;
    qint64 m_status = 0; // B1703 of the running pass
    qint64 m_sts = 0;
};

} // namespace kalvex
