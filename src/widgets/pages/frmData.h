#pragma once
#include "data/pages/ShiftDataTable.h"
#include "widgets/pages/MachinePage.h"

#include <array>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabBar;

namespace kalvex {

class EntryFieldGroup;
class UpDown;

// The Shift Data page: trips per spindle and the counters of the current and the last shift,
// the trip offset of spindle 1, and the two held buttons that reset the trips and end the
// shift. Online it reads the visible tab; offline it shows the data set.
class frmData : public MachinePage {
    Q_OBJECT
  public:
    frmData(AppState& state, RSComm& link, Prompt& prompt, QWidget* parent = nullptr);

    void selectTab(int tab);

  private:
    struct Ui {
        QTabBar* tbsData = nullptr;
        std::array<QGroupBox*, 3> fraData{};
        std::array<QLabel*, kShiftDisplays> lblData{};
        std::array<QLabel*, kShiftDisplays + 1> lblDescription{};
        QGroupBox* fraSpindleTrip = nullptr;
        QLineEdit* txtSpindleTripOffset = nullptr;
        UpDown* updSpindleTripOffset = nullptr;
        QPushButton* cmdResetTrips = nullptr;
        QGroupBox* fraCurrentShift = nullptr;
        QGroupBox* fraLastShift = nullptr;
        QGroupBox* fraEndofShift = nullptr;
        QPushButton* cmdEndofShift = nullptr;
        QPushButton* cmdDefault = nullptr;
    };

    void buildTabs();
    QGroupBox* buildTripsTab();
    QGroupBox* buildShiftFrame(const QString& title, const char* name, int first);
    class QGridLayout* displayGrid(int first, int count, int columns);

    void onActivate() override;
    void beforePass() override;
    void addOnlineSteps(RefreshLoop& loop) override;
    void ShowOnline() override;
    void ShowOffline() override;
    void RefreshOffline() override;

    Ui ui;
    IndexRange m_range = shiftTabRange(0);
};

} // namespace kalvex
