// The controls of the Color Control page.
#include "widgets/pages/PageControls.h"
#include "widgets/pages/UpDown.h"
#include "widgets/pages/frmColorControl.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kalvex {

using controls::indexed;

void frmColorControl::buildControls() {
    for (int i = 0; i < kColorCaptionCount; ++i)
        ui.lblDescription[size_t(i)] =
            controls::label(QString::fromLatin1(kColorControlCaptions[size_t(i)]),
                            indexed("lblDescription", i), this);
    auto* page = new QGridLayout(this);
    page->addWidget(buildColorFrame(), 0, 0, 3, 1);
    page->addWidget(buildStatusFrame(), 0, 1);
    page->addWidget(buildResponseFrame(), 1, 1);
    page->addWidget(buildManualFrame(), 2, 1);
    page->setRowStretch(3, 1);
    page->setColumnStretch(2, 1);
    ui.cmdDefault = makeDefaultButton();
}

// Field i with its caption's access key.
static controls::Entry addEntry(QGridLayout* grid, int row, int column, int i, QWidget* parent) {
    const controls::Entry e =
        controls::entry(indexed("txtColorCtrl", i), indexed("updColorCtrl", i), parent);
    grid->addLayout(e.box, row, column);
    return e;
}

QGroupBox* frmColorControl::buildColorFrame() {
    QGroupBox* f =
        controls::frame(QStringLiteral("Color Control"), indexed("fraColorCtrl", 0), this);
    ui.fraColorCtrl[0] = f;
    auto* grid = new QGridLayout(f);
    const auto keep = [this](int i, const controls::Entry& e) {
        ui.txtColorCtrl[size_t(i)] = e.text;
        ui.updColorCtrl[size_t(i)] = e.spin;
        addEditableControls({e.text, e.spin});
    };
    addEditableControls({f});
    grid->addWidget(ui.lblDescription[8], 0, 0);
    keep(kLabelField, addEntry(grid, 0, 1, kLabelField, this));
    ui.lblDescription[8]->setBuddy(ui.txtColorCtrl[kLabelField]);
    for (int c = 0; c < 3; ++c)
        grid->addWidget(ui.lblDescription[size_t(9 + c)], 1, c + 1);
    for (int k = 0; k < kColorDuctors; ++k) {
        grid->addWidget(ui.lblDescription[size_t(k)], k + 2, 0);
        keep(k, addEntry(grid, k + 2, 1, k, this));
        keep(k + kColorDuctors, addEntry(grid, k + 2, 2, k + kColorDuctors, this));
        ui.lblDescription[size_t(k)]->setBuddy(ui.txtColorCtrl[size_t(k)]);
        ui.lblColorCtrl[size_t(k)] =
            controls::label(QStringLiteral("-"), indexed("lblColorCtrl", k), f);
        ui.lblColorCtrl[size_t(k)]->setMinimumWidth(60);
        grid->addWidget(ui.lblColorCtrl[size_t(k)], k + 2, 3);
        addEditableControls({ui.lblColorCtrl[size_t(k)]});
    }
    for (int i = 0; i <= 11; ++i)
        addEditableControls({ui.lblDescription[size_t(i)]});
    return f;
}

QGroupBox* frmColorControl::buildStatusFrame() {
    QGroupBox* f =
        controls::frame(QStringLiteral("Ductor Status"), indexed("fraColorCtrl", 1), this);
    ui.fraColorCtrl[1] = f;
    auto* grid = new QGridLayout(f);
    for (int r = 0; r < 2; ++r) {
        ui.lblStatus[size_t(2 + r)] =
            controls::label(QStringLiteral("-"), indexed("lblStatus", 2 + r), f);
        grid->addWidget(ui.lblDescription[size_t(12 + r)], r, 0);
        grid->addWidget(ui.lblStatus[size_t(2 + r)], r, 1);
        addLiveControls({ui.lblDescription[size_t(12 + r)], ui.lblStatus[size_t(2 + r)]});
    }
    addLiveControls({f});
    return f;
}

QGroupBox* frmColorControl::buildResponseFrame() {
    QGroupBox* f =
        controls::frame(QStringLiteral("Solenoid Response Time"), indexed("fraColorCtrl", 2), this);
    ui.fraColorCtrl[2] = f;
    auto* grid = new QGridLayout(f);
    grid->addWidget(ui.lblDescription[14], 0, 0);
    const controls::Entry e = addEntry(grid, 0, 1, kStationField, this);
    ui.txtColorCtrl[kStationField] = e.text;
    ui.updColorCtrl[kStationField] = e.spin;
    ui.lblDescription[14]->setBuddy(e.text);
    addLiveControls({f, e.text, e.spin, ui.lblDescription[14]});
    for (int r = 0; r < 2; ++r) {
        ui.lblStatus[size_t(r)] = controls::label(QStringLiteral("-"), indexed("lblStatus", r), f);
        grid->addWidget(ui.lblDescription[size_t(15 + r)], r + 1, 0);
        grid->addWidget(ui.lblStatus[size_t(r)], r + 1, 1);
        addLiveControls({ui.lblDescription[size_t(15 + r)], ui.lblStatus[size_t(r)]});
    }
    return f;
}

QGroupBox* frmColorControl::buildManualFrame() {
    QGroupBox* f =
        controls::frame(QStringLiteral("Ductors Manual Control"), indexed("fraColorCtrl", 3), this);
    ui.fraColorCtrl[3] = f;
    auto* layout = new QGridLayout(f);
    for (int k = 0; k < kColorDuctors; ++k) {
        auto* box = new QCheckBox(QString::number(k + 1), f);
        box->setObjectName(indexed("chkDuctorManual", k));
        layout->addWidget(box, 0, k);
        ui.chkDuctorManual[size_t(k)] = box;
        // Only the operator's click writes the mask.
        connect(box, &QCheckBox::clicked, this, [this] {
            if (m_checkBoxUpdate) return;
            writeManualMask(controls::checkedMask(ui.chkDuctorManual));
        });
    }
    ui.cmdDuctorsManualON = controls::button(QStringLiteral("Ductors O&N All"),
                                             QStringLiteral("cmdDuctorsManualON"), f);
    ui.cmdDuctorsManualOFF = controls::button(QStringLiteral("D&uctors O&FF All"),
                                              QStringLiteral("cmdDuctorsManualOFF"), f);
    layout->addWidget(ui.cmdDuctorsManualON, 1, 0, 1, 4);
    layout->addWidget(ui.cmdDuctorsManualOFF, 1, 4, 1, 4);
    connect(ui.cmdDuctorsManualON, &QPushButton::clicked, this, [this] { DuctorsManualAll(true); });
    connect(ui.cmdDuctorsManualOFF, &QPushButton::clicked, this,
            [this] { DuctorsManualAll(false); });
    return f;
}

} // namespace kalvex
