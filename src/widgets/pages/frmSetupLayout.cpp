// The controls of the Set-up Parameters page.
#include "widgets/pages/PageControls.h"
#include "widgets/pages/UpDown.h"
#include "widgets/pages/frmSetup.h"

#include <QCheckBox>
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

QString captionOf(int index) {
    return QString::fromUtf8(setupParameters()[size_t(index)].caption);
}

} // namespace

QGroupBox* frmSetup::buildFieldFrame(const QString& title, int first, int last) {
    std::vector<controls::FieldRow> rows;
    for (int i = first; i <= last; ++i)
        rows.push_back({captionOf(i), {i}});
    return buildRows(title, rows, {});
}

// A frame of set-up fields, every control of it enabled with the page's editable ones.
QGroupBox* frmSetup::buildRows(const QString& title, const std::vector<controls::FieldRow>& rows,
                               const std::vector<QString>& headings) {
    const controls::FieldFrame f = controls::fieldFrame(
        title, rows, "txtSetup", "updSetup", this,
        [this](int i, const controls::Entry& e) {
            ui.txtSetup[size_t(i)] = e.text;
            ui.updSetup[size_t(i)] = e.spin;
        },
        headings);
    addEditableControls(f.created);
    return f.frame;
}

QGroupBox* frmSetup::buildFeedbackFrame() {
    auto* frame = new QGroupBox(QStringLiteral("Feedback Enable"), this);
    auto* layout = new QGridLayout(frame);
    for (int j = 0; j < 8; ++j) {
        ui.chkFeedback[size_t(j)] = new QCheckBox(QStringLiteral("&%1").arg(j + 1), frame);
        ui.chkFeedback[size_t(j)]->setObjectName(indexed("chkFeedback", j));
        layout->addWidget(ui.chkFeedback[size_t(j)], 0, j);
        addEditableControls({ui.chkFeedback[size_t(j)]});
        // Only the operator's click writes: a refresh that ticks the boxes sends nothing.
        connect(ui.chkFeedback[size_t(j)], &QCheckBox::clicked, this, [this] {
            if (m_checkBoxUpdate) return;
            WriteFeedbackMask(QString::number(controls::checkedMask(ui.chkFeedback)));
        });
    }
    ui.cmdEnableFeedbackAll = controls::button(QStringLiteral("&Enable All"),
                                               QStringLiteral("cmdEnableFeedbackAll"), frame);
    ui.cmdDisableFeedbackAll = controls::button(QStringLiteral("D&isable All"),
                                                QStringLiteral("cmdDisableFeedbackAll"), frame);
    layout->addWidget(ui.cmdEnableFeedbackAll, 1, 0, 1, 4);
    layout->addWidget(ui.cmdDisableFeedbackAll, 1, 4, 1, 4);
    connect(ui.cmdEnableFeedbackAll, &QPushButton::clicked, this, &frmSetup::EnableFeedbackAll);
    connect(ui.cmdDisableFeedbackAll, &QPushButton::clicked, this, &frmSetup::DisableFeedbackAll);
    addEditableControls({frame, ui.cmdEnableFeedbackAll, ui.cmdDisableFeedbackAll});
    return frame;
}

QGroupBox* frmSetup::buildResponseFrame() {
    return buildRows(QStringLiteral("Solenoid Response Times"),
                     {{captionOf(14), {14, 15}}, {captionOf(16), {16, 17}}},
                     {QStringLiteral("ON (msec)"), QStringLiteral("OFF (msec)")});
}

QGroupBox* frmSetup::buildTestFrame(int index) {
    auto* frame = new QGroupBox(QStringLiteral("Test Blow-off"), this);
    auto* layout = new QHBoxLayout(frame);
    ui.cmdBadCanTest[size_t(index)] = controls::button(QStringLiteral("B&ad Can Blow-off"),
                                                       indexed("cmdBadCanTest", index), frame);
    ui.cmdQCTest[size_t(index)] =
        controls::button(QStringLiteral("&Q.C. Can Blow-off"), indexed("cmdQCTest", index), frame);
    layout->addWidget(ui.cmdBadCanTest[size_t(index)]);
    layout->addWidget(ui.cmdQCTest[size_t(index)]);
    connect(ui.cmdBadCanTest[size_t(index)], &QPushButton::clicked, this, &frmSetup::BadCanTest);
    connect(ui.cmdQCTest[size_t(index)], &QPushButton::clicked, this, &frmSetup::QCTest);
    addLiveControls({frame, ui.cmdBadCanTest[size_t(index)], ui.cmdQCTest[size_t(index)]});
    return frame;
}

QGroupBox* frmSetup::buildDisplayFrame(const QString& title, int display, QWidget* extra) {
    auto* frame = new QGroupBox(title, this);
    auto* layout = new QHBoxLayout(frame);
    if (extra) layout->addWidget(extra);
    ui.lblDisplay[size_t(display)] =
        controls::label(QStringLiteral("-"), indexed("lblDisplay", display), frame);
    layout->addWidget(ui.lblDisplay[size_t(display)]);
    addLiveControls({frame});
    return frame;
}

void frmSetup::buildTabs() {
    const controls::Tabs tabs = controls::tabs(QStringLiteral("tbsSetup"), "fraSetup",
                                               {{"S&peed Parameters", "Set Speed Parameters"},
                                                {"&Ductor Parameters", "Set Ductor Parameters"},
                                                {"&Blow-off Parameters", "Set Blow-off Parameters"},
                                                {"&Machine Timing", "Machine Timing"}},
                                               this);
    ui.tbsSetup = tabs.bar;
    std::copy(tabs.frames.begin(), tabs.frames.end(), ui.fraSetup.begin());
    m_tabs.attach(tabs.bar, tabs.frames);

    auto* speed = new QVBoxLayout(ui.fraSetup[0]);
    QGroupBox* speedFields = buildFieldFrame(QStringLiteral("Set Speed Parameters"), 0, 2);
    auto* rpmCaption = new QLabel(QStringLiteral("O'Varnish Roll Speed (RPM):"), this);
    auto* rpm = new QHBoxLayout;
    ui.lblDisplay[0] = controls::label(QStringLiteral("-"), indexed("lblDisplay", 0), this);
    rpm->addWidget(rpmCaption);
    rpm->addWidget(ui.lblDisplay[0]);
    rpm->addStretch();
    addLiveControls({rpmCaption, ui.lblDisplay[0]});
    static_cast<QGridLayout*>(speedFields->layout())->addLayout(rpm, 3, 0, 1, 2);
    speed->addWidget(speedFields);

    auto* ductor = new QVBoxLayout(ui.fraSetup[1]);
    ductor->addWidget(buildFieldFrame(QStringLiteral("Cycling Parameters"), 3, 6));
    ductor->addWidget(buildFeedbackFrame());

    auto* blowoff = new QVBoxLayout(ui.fraSetup[2]);
    blowoff->addWidget(buildFieldFrame(QStringLiteral("Blow-off Set-up"), 8, 13));
    blowoff->addWidget(buildResponseFrame());
    blowoff->addWidget(buildTestFrame(0));

    auto* timing = new QVBoxLayout(ui.fraSetup[3]);
    timing->addWidget(buildFieldFrame(QStringLiteral("Set Machine Timing"), 18, 20));
    ui.cmdZeroResolver =
        controls::button(QStringLiteral("&Zero Resolver"), QStringLiteral("cmdZeroResolver"), this);
    connect(ui.cmdZeroResolver, &QPushButton::clicked, this, &frmSetup::ZeroResolver);
    addLiveControls({ui.cmdZeroResolver});
    auto* positions = new QHBoxLayout;
    positions->addWidget(
        buildDisplayFrame(QStringLiteral("Absolute Position"), 1, ui.cmdZeroResolver));
    positions->addWidget(buildDisplayFrame(QStringLiteral("Machine Position"), 2));
    positions->addWidget(buildDisplayFrame(QStringLiteral("Can PRX On Position"), 3));
    timing->addLayout(positions);
    timing->addWidget(buildTestFrame(1));

    ui.cmdDefault = makeDefaultButton();
    auto* page = new QVBoxLayout(this);
    page->addWidget(ui.tbsSetup);
    for (QGroupBox* f : ui.fraSetup)
        page->addWidget(f);
    page->addStretch();
    // A click and an access key both change the current tab.
    connect(ui.tbsSetup, &QTabBar::currentChanged, this, &frmSetup::selectTab);
}

} // namespace kalvex
