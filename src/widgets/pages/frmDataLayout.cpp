// The controls of the Shift Data page.
#include "widgets/pages/PageControls.h"
#include "widgets/pages/UpDown.h"
#include "widgets/pages/frmData.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>

#include <algorithm>

namespace kalvex {

using controls::indexed;

namespace {

constexpr int kSpindleRows = 12; // 36 spindles in three columns

} // namespace

// Caption and value pairs of displays first..first + count - 1, down `columns` columns.
void frmData::addDisplays(QGridLayout* grid, int first, int count, int row, int columns) {
    const int rows = (count + columns - 1) / columns;
    for (int k = 0; k < count; ++k) {
        const int i = first + k;
        ui.lblDescription[size_t(i)] =
            controls::label(shiftDataCaption(i), indexed("lblDescription", i), this);
        ui.lblData[size_t(i)] = controls::label(QStringLiteral("-"), indexed("lblData", i), this);
        ui.lblData[size_t(i)]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        ui.lblData[size_t(i)]->setMinimumWidth(90);
        // A count sits right-aligned against its own caption; the next column keeps its distance.
        if (k / rows > 0) ui.lblDescription[size_t(i)]->setIndent(28);
        grid->addWidget(ui.lblDescription[size_t(i)], row + k % rows, 2 * (k / rows));
        grid->addWidget(ui.lblData[size_t(i)], row + k % rows, 2 * (k / rows) + 1);
    }
    grid->setColumnStretch(2 * columns, 1);
}

QGroupBox* frmData::buildTripsTab() {
    auto* trips = new QGroupBox(QStringLiteral("Trips Per Spindle"), this);
    auto* grid = new QGridLayout(trips);
    addDisplays(grid, 0, 1, 0, 1);
    addDisplays(grid, 1, kShiftSpindles, 1, kShiftSpindles / kSpindleRows);
    return trips;
}

QGroupBox* frmData::buildShiftFrame(const QString& title, const char* name, int first) {
    QGroupBox* f = controls::frame(title, QString::fromLatin1(name), this);
    auto* grid = new QGridLayout(f);
    addDisplays(grid, first, 6, 0, 2);
    addDisplays(grid, first + 6, kShiftSpindles, 3, kShiftSpindles / kSpindleRows);
    return f;
}

void frmData::buildTabs() {
    const controls::Tabs tabs = controls::tabs(QStringLiteral("tbsData"), "fraData",
                                               {{"&Trips Per Spindle", "Trips Per Spindle"},
                                                {"&Current Shift", "Current Shift"},
                                                {"&Last Shift", "Last Shift"}},
                                               this);
    ui.tbsData = tabs.bar;
    std::copy(tabs.frames.begin(), tabs.frames.end(), ui.fraData.begin());
    m_tabs.attach(tabs.bar, tabs.frames);

    auto* trips = new QVBoxLayout(ui.fraData[0]);
    trips->addWidget(buildTripsTab());
    ui.fraSpindleTrip =
        controls::frame(QStringLiteral("Spindle Trip"), QStringLiteral("fraSpindleTrip"), this);
    auto* tripRow = new QHBoxLayout(ui.fraSpindleTrip);
    ui.lblDescription[121] = controls::label(QStringLiteral("Spindle #1 Trip &Offset:"),
                                             QStringLiteral("lblDescription121"), this);
    const controls::Entry offset = controls::entry(
        QStringLiteral("txtSpindleTripOffset"), QStringLiteral("updSpindleTripOffset"), this, 60);
    ui.txtSpindleTripOffset = offset.text;
    ui.updSpindleTripOffset = offset.spin;
    ui.lblDescription[121]->setBuddy(offset.text);
    ui.cmdResetTrips =
        controls::button(QStringLiteral("&Reset Trips"), QStringLiteral("cmdResetTrips"), this);
    tripRow->addWidget(ui.lblDescription[121]);
    tripRow->addLayout(offset.box);
    tripRow->addWidget(ui.cmdResetTrips);
    trips->addWidget(ui.fraSpindleTrip);

    auto* current = new QVBoxLayout(ui.fraData[1]);
    ui.fraCurrentShift =
        buildShiftFrame(QStringLiteral("Current Shift"), "fraCurrentShift", kCurrentShiftFirst);
    current->addWidget(ui.fraCurrentShift);
    ui.fraEndofShift =
        controls::frame(QStringLiteral("End of Shift"), QStringLiteral("fraEndofShift"), this);
    ui.cmdEndofShift =
        controls::button(QStringLiteral("T&ransfer Data"), QStringLiteral("cmdEndofShift"), this);
    (new QHBoxLayout(ui.fraEndofShift))->addWidget(ui.cmdEndofShift);
    current->addWidget(ui.fraEndofShift);

    auto* last = new QVBoxLayout(ui.fraData[2]);
    ui.fraLastShift =
        buildShiftFrame(QStringLiteral("Last Shift"), "fraLastShift", kLastShiftFirst);
    last->addWidget(ui.fraLastShift);

    ui.cmdDefault = makeDefaultButton();
    auto* page = new QVBoxLayout(this);
    page->addWidget(ui.tbsData);
    for (QGroupBox* f : ui.fraData)
        page->addWidget(f);
    page->addStretch();
    // A click and an access key both change the current tab.
    connect(ui.tbsData, &QTabBar::currentChanged, this, &frmData::selectTab);
}

} // namespace kalvex
