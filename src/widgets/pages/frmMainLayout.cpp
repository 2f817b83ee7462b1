// The controls of the Main Display page.
#include "data/pages/MainDisplayTable.h"
#include "widgets/pages/PageControls.h"
#include "widgets/pages/UpDown.h"
#include "widgets/pages/frmMain.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kalvex {

using controls::button;
using controls::frame;
using controls::indexed;

void frmMain::buildControls() {
    setWindowTitle(QStringLiteral("Main Display"));
    auto* page = new QVBoxLayout(this);

    auto* displays = new QHBoxLayout;
    QFont big = font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    for (int i = 0; i < kDisplays; ++i) {
        ui.fraDisplay[i] = frame(QString::fromLatin1(kMainDisplays[size_t(i)].caption),
                                 indexed("fraDisplay", i), this);
        ui.lblDisplay[i] =
            controls::label(QStringLiteral("-"), indexed("lblDisplay", i), ui.fraDisplay[i]);
        ui.lblDisplay[i]->setAlignment(Qt::AlignCenter);
        ui.lblDisplay[i]->setFont(big);
        (new QVBoxLayout(ui.fraDisplay[i]))->addWidget(ui.lblDisplay[i]);
        displays->addWidget(ui.fraDisplay[i]);
    }
    page->addLayout(displays);

    ui.fraMessageDisplay =
        frame(QStringLiteral("Messages"), QStringLiteral("fraMessageDisplay"), this);
    ui.txtMessageDisplay = new QPlainTextEdit(ui.fraMessageDisplay);
    ui.txtMessageDisplay->setObjectName(QStringLiteral("txtMessageDisplay"));
    ui.txtMessageDisplay->setReadOnly(true);
    (new QVBoxLayout(ui.fraMessageDisplay))->addWidget(ui.txtMessageDisplay);
    page->addWidget(ui.fraMessageDisplay, 1);

    auto* commands = new QHBoxLayout;
    ui.fraQCBlowoff = frame(QStringLiteral("Q.C. Blow-off"), QStringLiteral("fraQCBlowoff"), this);
    auto* qc = new QHBoxLayout(ui.fraQCBlowoff);
    ui.fraSpindleNumber = frame(QStringLiteral("Spindle Number"),
                                QStringLiteral("fraSpindleNumber"), ui.fraQCBlowoff);
    const controls::Entry spindle =
        controls::entry(QStringLiteral("txtSpindleBlowoff"), QStringLiteral("updSpindleNumber"),
                        ui.fraSpindleNumber, 60);
    ui.txtSpindleBlowoff = spindle.text;
    ui.updSpindleNumber = spindle.spin;
    (new QHBoxLayout(ui.fraSpindleNumber))->addLayout(spindle.box);
    qc->addWidget(ui.fraSpindleNumber);
    ui.cmdSingleBlowoff =
        button(QStringLiteral("S&ingle Blow-off"), QStringLiteral("cmdSingleBlowoff"), this);
    ui.cmdBlanketBlowoff =
        button(QStringLiteral("&Blanket Blow-off"), QStringLiteral("cmdBlanketBlowoff"), this);
    ui.cmdMandrelBlowoff =
        button(QStringLiteral("&Mandrel Blowoff"), QStringLiteral("cmdMandrelBlowoff"), this);
    for (QPushButton* b : {ui.cmdSingleBlowoff, ui.cmdBlanketBlowoff, ui.cmdMandrelBlowoff})
        qc->addWidget(b);
    commands->addWidget(ui.fraQCBlowoff);

    ui.fraBadCanBlowoff =
        frame(QStringLiteral("Bad Can Blow-off"), QStringLiteral("fraBadCanBlowoff"), this);
    ui.cmdBadCanBlowoff =
        button(QStringLiteral("&Test Trip/Blow-off"), QStringLiteral("cmdBadCanBlowoff"), this);
    (new QVBoxLayout(ui.fraBadCanBlowoff))->addWidget(ui.cmdBadCanBlowoff);
    commands->addWidget(ui.fraBadCanBlowoff);
    page->addLayout(commands);

    ui.cmdDefault = makeDefaultButton();
}

} // namespace kalvex
