#pragma once
#include "data/pages/ColorControlTable.h"
#include "widgets/pages/MachinePage.h"

#include <array>
#include <optional>
#include <vector>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kalvex {

class EntryFieldGroup;
class UpDown;

// The Color Control page: the ON and CYCLE durations of the eight ductors for the running
// label, their colour density, the ductors' mode and solenoid response times, and manual
// on/off control of the ductors. Online it works on the board's working registers and the
// label's stored copy; offline (with offline editing) on the data set's label block.
//
// A label load (a new label number) copies the label's stored values into the working
// registers as passes of the refresh loop of their own, so the load and the refresh never
// interleave and a new label number ends the old load before its next read.
class frmColorControl : public MachinePage {
    Q_OBJECT
  public:
    frmColorControl(AppState& state, RSComm& link, Prompt& prompt, QWidget* parent = nullptr);

    bool loading() const { return m_loading; }
    void DuctorsManualAll(bool on);

  private:
    static constexpr int kFields = 18;
    struct Ui {
        std::array<QGroupBox*, 4> fraColorCtrl{};
        std::array<QLineEdit*, kFields> txtColorCtrl{};
        std::array<UpDown*, kFields> updColorCtrl{};
        std::array<QLabel*, kColorDuctors> lblColorCtrl{};
        std::array<QLabel*, 4> lblStatus{};
        std::array<QLabel*, kColorCaptionCount> lblDescription{};
        std::array<QCheckBox*, kColorDuctors> chkDuctorManual{};
        QPushButton* cmdDuctorsManualON = nullptr;
        QPushButton* cmdDuctorsManualOFF = nullptr;
        QPushButton* cmdDefault = nullptr;
    };

    void buildControls();
    QGroupBox* buildColorFrame();
    QGroupBox* buildStatusFrame();
    QGroupBox* buildResponseFrame();
    QGroupBox* buildManualFrame();
    void buildFields();

    void addOnlineSteps(RefreshLoop& loop) override;
    void addLoadSteps(RefreshLoop& loop);
    void RefreshOffline() override;
    void ShowOnline() override;
    void ShowOffline() override;

    void showTableValue(int index, qint64 value);
    QWidget* tableDisplay(int index) const;
    void showLabel(qint64 label);
    void showDensity(int ductor);
    void showDuctorStatus(int status);
    void showManualBoxes(int mask);
    void enableManual(bool on);
    void enableLabelField(bool on);
    void showOfflineValues();
    int item(int index) const;
    void setItem(int index, int value);
    // Where the board keeps the label's value (0-15); empty for a label outside the block.
    QString storedAddress(int value) const;

    void parkFocus();
    void reloadFields();
    bool labelKey(int key);
    bool valueKey(int index, int key);
    void storeValue(int index, int value);
    void storeLabel(int value);
    void storeStation(int value);
    void startLoad();
    void finishLoad();
    bool writeManualMask(int mask);

    Ui ui;
    int m_maxOn = 0;
    int m_maxCycle = 0;
    qint64 m_label = 0;
    std::optional<int> m_base;
    bool m_readMaxima = false;
    bool m_setupEnable = false;
    bool m_manual = false;
    bool m_loading = false;
    bool m_labelEnter = false;
    std::array<int, kColorDuctors> m_loadedOn{};
    int m_loadValue = 0;
    bool m_checkBoxUpdate = false;
};

} // namespace kalvex
