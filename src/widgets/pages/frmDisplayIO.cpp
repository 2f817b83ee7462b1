#include "widgets/pages/frmDisplayIO.h"

#include "widgets/pages/PageControls.h"
#include "widgets/pages/RefreshLoop.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace kalvex {

using controls::indexed;

namespace {

const char* const kBitNameBase[kIoBitFrames] = {"lblTmgChannel", "lblSlot00", "lblSlot01",
                                                "lblSlot02", "lblSlot03"};

} // namespace

frmDisplayIO::frmDisplayIO(AppState& state, RSComm& link, Prompt& prompt, QWidget* parent)
    : MachinePage(state, link, prompt, parent) {
    setWindowTitle(QStringLiteral("I/O Status"));
    buildControls();
    addLiveControls(ui.fraBMIO);
    addLiveControls(ui.lblp9150);
    addLiveControls(ui.lblp9150State);
    for (int f = 0; f < kIoBitFrames; ++f) {
        addLiveControls(ui.bitName[size_t(f)]);
        addLiveControls(ui.bitState[size_t(f)]);
    }
}

// Called for 80 labels a pass: an unchanged state leaves the label's palette alone.
void frmDisplayIO::showState(QLabel* label, IoState state) {
    const QString text = ioStateText(state);
    if (label->text() == text) return;
    const auto [r, g, b] = ioStateColour(state);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, QColor(r, g, b));
    label->setPalette(p);
    label->setText(text);
}

void frmDisplayIO::addOnlineSteps(RefreshLoop& loop) {
    for (int i = 0; i < kIoReads; ++i)
        loop.addRead(ioAddress(i), i < kIoFirstWord ? ui.lblp9150State[size_t(i)] : nullptr,
                     [this, i](qint64 v) {
                         if (i < 2)
                             showState(ui.lblp9150State[size_t(i)], ioInputState(v));
                         else if (i < kIoFirstWord)
                             ui.lblp9150State[size_t(i)]->setText(QString::number(v));
                         else
                             for (int b = 0; b < kIoBits; ++b)
                                 showState(ui.bitState[size_t(i - kIoFirstWord)][size_t(b)],
                                           ioBitState(v, b));
                     });
}

void frmDisplayIO::showAll(bool online) {
    enableControls(online);
    for (size_t i = 0; i < ui.lblp9150State.size(); ++i) {
        QLabel* l = ui.lblp9150State[i];
        // IN0/IN1 show their state's colour: "-" in the unknown state's, not the last "off"'s.
        if (i < 2)
            showState(l, IoState::Unknown);
        else
            l->setText(QStringLiteral("-"));
    }
    for (const BitLabels& states : ui.bitState)
        for (QLabel* l : states)
            showState(l, IoState::Unknown);
}

void frmDisplayIO::ShowOnline() {
    showAll(true);
}

void frmDisplayIO::ShowOffline() {
    showAll(false);
}

QGroupBox* frmDisplayIO::buildValueFrame() {
    QGroupBox* f = controls::frame(QStringLiteral("P9100"), QStringLiteral("fraBMIO0"), this);
    auto* grid = new QGridLayout(f);
    for (int i = 0; i < kIoValueRows; ++i) {
        const IoValueRow& row = ioValueRows()[size_t(i)];
        ui.lblp9150[size_t(i)] =
            controls::label(QString::fromLatin1(row.caption), indexed("lblp9150", i), f);
        ui.lblp9150[size_t(i)]->setToolTip(QString::fromLatin1(row.nameTip));
        ui.lblp9150State[size_t(i)] =
            controls::label(QStringLiteral("-"), indexed("lblp9150State", i), f);
        ui.lblp9150State[size_t(i)]->setToolTip(QString::fromLatin1(row.stateTip));
        ui.lblp9150State[size_t(i)]->setMinimumWidth(50);
        grid->addWidget(ui.lblp9150[size_t(i)], i, 0);
        grid->addWidget(ui.lblp9150State[size_t(i)], i, 1);
    }
    grid->setRowStretch(kIoValueRows, 1);
    return f;
}

QGroupBox* frmDisplayIO::buildBitFrame(int frame) {
    QGroupBox* f = controls::frame(ioFrameTitle(frame), indexed("fraBMIO", frame + 1), this);
    auto* grid = new QGridLayout(f);
    const QString base = QString::fromLatin1(kBitNameBase[frame]);
    for (int b = 0; b < kIoBits; ++b) {
        QLabel* name = controls::label(ioBitCaption(frame, b), base + QString::number(b), f);
        name->setToolTip(ioBitTip(frame, b));
        QLabel* state =
            controls::label(QString(), base + QStringLiteral("State") + QString::number(b), f);
        showState(state, IoState::Unknown);
        state->setToolTip(ioBitStateTip(frame, b));
        state->setMinimumWidth(30);
        grid->addWidget(name, b, 0);
        grid->addWidget(state, b, 1);
        ui.bitName[size_t(frame)][size_t(b)] = name;
        ui.bitState[size_t(frame)][size_t(b)] = state;
    }
    return f;
}

void frmDisplayIO::buildControls() {
    auto* page = new QHBoxLayout(this);
    ui.fraBMIO[0] = buildValueFrame();
    page->addWidget(ui.fraBMIO[0]);
    for (int frame = 0; frame < kIoBitFrames; ++frame) {
        ui.fraBMIO[size_t(frame + 1)] = buildBitFrame(frame);
        page->addWidget(ui.fraBMIO[size_t(frame + 1)]);
    }
}

} // namespace kalvex
