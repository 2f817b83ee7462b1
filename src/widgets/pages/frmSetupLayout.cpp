// The controls of the Set-up Parameters page.
#include "widgets/pages/NumericEntryField.h"
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

namespace kalvex {

void frmSetup::addField(QGridLayout* grid, int row, int column, int index) {
    auto* text = new QLineEdit(this);
    text->setObjectName(QStringLiteral("txtSetup%1").arg(index));
    text->setMaximumWidth(80);
    auto* spin = new UpDown(this);
    spin->setObjectName(QStringLiteral("updSetup%1").arg(index));
    ui.txtSetup[size_t(index)] = text;
    ui.updSetup[size_t(index)] = spin;
    auto* box = new QHBoxLayout;
    box->setSpacing(0);
    box->addWidget(text);
    box->addWidget(spin);
    box->addStretch();
    grid->addLayout(box, row, column);
    m_editable.push_back(text);
    m_editable.push_back(spin);
}

QGroupBox* frmSetup::buildFieldFrame(const QString& title, int first, int last) {
    auto* frame = new QGroupBox(title, this);
    auto* grid = new QGridLayout(frame);
    for (int i = first; i <= last; ++i) {
        auto* caption = new QLabel(QString::fromUtf8(setupParameters()[size_t(i)].caption), frame);
        grid->addWidget(caption, i - first, 0);
        addField(grid, i - first, 1, i);
        caption->setBuddy(ui.txtSetup[size_t(i)]);
        m_editable.push_back(caption);
    }
    m_editable.push_back(frame);
    return frame;
}

QGroupBox* frmSetup::buildFeedbackFrame() {
    auto* frame = new QGroupBox(QStringLiteral("Feedback Enable"), this);
    auto* layout = new QGridLayout(frame);
    for (int j = 0; j < 8; ++j) {
        ui.chkFeedback[size_t(j)] = new QCheckBox(QStringLiteral("&%1").arg(j + 1), frame);
        layout->addWidget(ui.chkFeedback[size_t(j)], 0, j);
        m_editable.push_back(ui.chkFeedback[size_t(j)]);
        connect(ui.chkFeedback[size_t(j)], &QCheckBox::clicked, this, [this] {
            if (m_checkBoxUpdate) return;
            int mask = 0;
            for (int k = 0; k < 8; ++k)
                mask |= ui.chkFeedback[size_t(k)]->isChecked() ? 1 << k : 0;
            WriteFeedbackMask(QString::number(mask));
        });
    }
    ui.cmdEnableFeedbackAll = new QPushButton(QStringLiteral("&Enable All"), frame);
    ui.cmdDisableFeedbackAll = new QPushButton(QStringLiteral("D&isable All"), frame);
    layout->addWidget(ui.cmdEnableFeedbackAll, 1, 0, 1, 4);
    layout->addWidget(ui.cmdDisableFeedbackAll, 1, 4, 1, 4);
    connect(ui.cmdEnableFeedbackAll, &QPushButton::clicked, this, &frmSetup::EnableFeedbackAll);
    connect(ui.cmdDisableFeedbackAll, &QPushButton::clicked, this, &frmSetup::DisableFeedbackAll);
    m_editable.insert(m_editable.end(), {frame, ui.cmdEnableFeedbackAll, ui.cmdDisableFeedbackAll});
    return frame;
}

QGroupBox* frmSetup::buildResponseFrame() {
    auto* frame = new QGroupBox(QStringLiteral("Solenoid Response Times"), this);
    auto* grid = new QGridLayout(frame);
    auto* on = new QLabel(QStringLiteral("ON (msec)"), frame);
    auto* off = new QLabel(QStringLiteral("OFF (msec)"), frame);
    grid->addWidget(on, 0, 1);
    grid->addWidget(off, 0, 2);
    for (int row = 0; row < 2; ++row) {
        const int i = 14 + 2 * row;
        auto* caption = new QLabel(QString::fromUtf8(setupParameters()[size_t(i)].caption), frame);
        grid->addWidget(caption, row + 1, 0);
        addField(grid, row + 1, 1, i);
        addField(grid, row + 1, 2, i + 1);
        caption->setBuddy(ui.txtSetup[size_t(i)]);
        m_editable.push_back(caption);
    }
    m_editable.insert(m_editable.end(), {frame, on, off});
    return frame;
}

QGroupBox* frmSetup::buildTestFrame(int index) {
    auto* frame = new QGroupBox(QStringLiteral("Test Blow-off"), this);
    auto* layout = new QHBoxLayout(frame);
    ui.cmdBadCanTest[size_t(index)] = new QPushButton(QStringLiteral("B&ad Can Blow-off"), frame);
    ui.cmdQCTest[size_t(index)] = new QPushButton(QStringLiteral("&Q.C. Can Blow-off"), frame);
    layout->addWidget(ui.cmdBadCanTest[size_t(index)]);
    layout->addWidget(ui.cmdQCTest[size_t(index)]);
    connect(ui.cmdBadCanTest[size_t(index)], &QPushButton::clicked, this, &frmSetup::BadCanTest);
    connect(ui.cmdQCTest[size_t(index)], &QPushButton::clicked, this, &frmSetup::QCTest);
    m_live.insert(m_live.end(),
                  {frame, ui.cmdBadCanTest[size_t(index)], ui.cmdQCTest[size_t(index)]});
    return frame;
}

QGroupBox* frmSetup::buildDisplayFrame(const QString& title, int display, QWidget* extra) {
    auto* frame = new QGroupBox(title, this);
    auto* layout = new QHBoxLayout(frame);
    if (extra) layout->addWidget(extra);
    ui.lblDisplay[size_t(display)] = new QLabel(QStringLiteral("-"), frame);
    layout->addWidget(ui.lblDisplay[size_t(display)]);
    m_live.push_back(frame);
    return frame;
}

void frmSetup::nameControls() {
    const auto name = [](QWidget* w, const char* base, int index) {
        w->setObjectName(QString::fromLatin1(base) + QString::number(index));
    };
    for (int j = 0; j < 8; ++j)
        name(ui.chkFeedback[size_t(j)], "chkFeedback", j);
    for (int d = 0; d < 4; ++d)
        name(ui.lblDisplay[size_t(d)], "lblDisplay", d);
    for (int i = 0; i < 2; ++i) {
        name(ui.cmdBadCanTest[size_t(i)], "cmdBadCanTest", i);
        name(ui.cmdQCTest[size_t(i)], "cmdQCTest", i);
    }
    ui.cmdZeroResolver->setObjectName(QStringLiteral("cmdZeroResolver"));
    ui.cmdEnableFeedbackAll->setObjectName(QStringLiteral("cmdEnableFeedbackAll"));
    ui.cmdDisableFeedbackAll->setObjectName(QStringLiteral("cmdDisableFeedbackAll"));
}

void frmSetup::buildTabs() {
    ui.tbsSetup = new QTabBar(this);
    ui.tbsSetup->setObjectName(QStringLiteral("tbsSetup"));
    for (const char* t :
         {"S&peed Parameters", "&Ductor Parameters", "&Blow-off Parameters", "&Machine Timing"})
        ui.tbsSetup->addTab(QString::fromUtf8(t));
    const char* titles[] = {"Set Speed Parameters", "Set Ductor Parameters",
                            "Set Blow-off Parameters", "Machine Timing"};
    for (size_t k = 0; k < 4; ++k) {
        // Borderless frames: the tab names the page, the frame only groups it.
        ui.fraSetup[k] = new QGroupBox(this);
        ui.fraSetup[k]->setFlat(true);
        ui.fraSetup[k]->setAccessibleName(QString::fromUtf8(titles[k]));
        ui.fraSetup[k]->setObjectName(QStringLiteral("fraSetup%1").arg(k));
        ui.fraSetup[k]->setStyleSheet(
            QStringLiteral("QGroupBox#fraSetup%1 { border: 0; margin: 0; }").arg(k));
    }

    auto* speed = new QVBoxLayout(ui.fraSetup[0]);
    QGroupBox* speedFields = buildFieldFrame(QStringLiteral("Set Speed Parameters"), 0, 2);
    m_rpmCaption = new QLabel(QStringLiteral("O'Varnish Roll Speed (RPM):"), this);
    auto* rpm = new QHBoxLayout;
    ui.lblDisplay[0] = new QLabel(QStringLiteral("-"), this);
    rpm->addWidget(m_rpmCaption);
    rpm->addWidget(ui.lblDisplay[0]);
    rpm->addStretch();
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
    ui.cmdZeroResolver = new QPushButton(QStringLiteral("&Zero Resolver"), this);
    connect(ui.cmdZeroResolver, &QPushButton::clicked, this, &frmSetup::ZeroResolver);
    m_live.push_back(ui.cmdZeroResolver);
    auto* positions = new QHBoxLayout;
    positions->addWidget(
        buildDisplayFrame(QStringLiteral("Absolute Position"), 1, ui.cmdZeroResolver));
    positions->addWidget(buildDisplayFrame(QStringLiteral("Machine Position"), 2));
    positions->addWidget(buildDisplayFrame(QStringLiteral("Can PRX On Position"), 3));
    timing->addLayout(positions);
    timing->addWidget(buildTestFrame(1));

    ui.cmdDefault = makeDefaultButton();
    nameControls();
    auto* page = new QVBoxLayout(this);
    page->addWidget(ui.tbsSetup);
    for (QGroupBox* f : ui.fraSetup)
        page->addWidget(f);
    page->addStretch();
    // A click and an access key both change the current tab.
    connect(ui.tbsSetup, &QTabBar::currentChanged, this, &frmSetup::selectTab);
}

} // namespace kalvex
