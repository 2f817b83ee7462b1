// The controls of the Shift Data page.
#include "widgets/pages/PageControls.h"
#include "widgets/pages/UpDown.h"
#include "widgets/pages/frmData.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>

#include <algorithm>

namespace kalvex {

using controls::indexed;

namespace {

constexpr int kSpindleRows = 12; // 36 spindles in three columns

// The widest text display i can show: two-word counters reach 99,999,999, words 65,535.
int widestCount(const QFontMetrics& metrics, int index) {
    const QChar type = shiftDataAddress(index).at(0);
    const int widest = type == u'D' ? 99999999 : type == u'W' ? 65535 : 255;
    QLocale grouped; // with separators, as the counts are shown
    grouped.setNumberOptions(QLocale::DefaultNumberOptions);
    return metrics.horizontalAdvance(grouped.toString(widest));
}

} // namespace

// Caption and count pairs of displays first..first + count - 1, down `columns` columns. Each
// count is right-aligned in a cell just wide enough for the largest value it can show, straight
// after its own caption; an empty column twice that wide parts one pair from the next, so a
// count always stands nearer its own caption than the next column's.
QGridLayout* frmData::displayGrid(int first, int count, int columns) {
    auto* grid = new QGridLayout;
    const int rows = (count + columns - 1) / columns;
    int cell = 0;
    for (int k = 0; k < count; ++k) {
        const int i = first + k;
        QLabel* caption = controls::label(shiftDataCaption(i), indexed("lblDescription", i), this);
        QLabel* shown = controls::label(QStringLiteral("-"), indexed("lblData", i), this);
        shown->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        shown->setMinimumWidth(widestCount(shown->fontMetrics(), i) + 4);
        cell = std::max(cell, shown->minimumWidth());
        grid->addWidget(caption, k % rows, 3 * (k / rows));
        grid->addWidget(shown, k % rows, 3 * (k / rows) + 1);
        ui.lblDescription[size_t(i)] = caption;
        ui.lblData[size_t(i)] = shown;
    }
    for (int c = 0; c + 1 < columns; ++c)
        grid->setColumnMinimumWidth(3 * c + 2, 2 * cell);
    grid->setColumnStretch(3 * columns - 1, 1);
    return grid;
}

// Each group in a grid of its own: a long caption ("Tripped Spindle:", "Restart Blow-offs:")
// would otherwise widen the first spindle column and part its counts from their captions.
QGroupBox* frmData::buildTripsTab() {
    auto* trips = new QGroupBox(QStringLiteral("Trips Per Spindle"), this);
    auto* column = new QVBoxLayout(trips);
    column->addLayout(displayGrid(0, 1, 1));
    column->addLayout(displayGrid(1, kShiftSpindles, kShiftSpindles / kSpindleRows));
    return trips;
}

QGroupBox* frmData::buildShiftFrame(const QString& title, const char* name, int first) {
    QGroupBox* f = controls::frame(title, QString::fromLatin1(name), this);
    auto* column = new QVBoxLayout(f);
    column->addLayout(displayGrid(first, 6, 2));
    column->addLayout(displayGrid(first + 6, kShiftSpindles, kShiftSpindles / kSpindleRows));
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
