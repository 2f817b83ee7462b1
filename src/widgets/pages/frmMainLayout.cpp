#include "widgets/pages/UpDown.h"
#include "widgets/pages/frmMain.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kalvex {

namespace {

const char* const kDisplayCaptions[frmMain::kDisplays] = {
    "Machine CPM", "O'Varnish RPM", "Good Cans", "Blow-offs", "Lifetime Count (x1000)"};

QPushButton* button(const QString& caption, const char* name, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

QGroupBox* frame(const QString& caption, const char* name, QWidget* parent) {
    auto* f = new QGroupBox(caption, parent);
    f->setObjectName(QString::fromLatin1(name));
    return f;
}

} // namespace

void frmMain::buildControls() {
    setWindowTitle(QStringLiteral("Main Display"));
    auto* page = new QVBoxLayout(this);

    auto* displays = new QHBoxLayout;
    QFont big = font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    for (int i = 0; i < kDisplays; ++i) {
        ui.fraDisplay[i] = frame(QString::fromLatin1(kDisplayCaptions[i]), "fraDisplay", this);
        ui.fraDisplay[i]->setObjectName(QStringLiteral("fraDisplay%1").arg(i));
        ui.lblDisplay[i] = new QLabel(QStringLiteral("-"), ui.fraDisplay[i]);
        ui.lblDisplay[i]->setObjectName(QStringLiteral("lblDisplay%1").arg(i));
        ui.lblDisplay[i]->setAlignment(Qt::AlignCenter);
        ui.lblDisplay[i]->setFont(big);
        (new QVBoxLayout(ui.fraDisplay[i]))->addWidget(ui.lblDisplay[i]);
        displays->addWidget(ui.fraDisplay[i]);
    }
    page->addLayout(displays);

    ui.fraMessageDisplay = frame(QStringLiteral("Messages"), "fraMessageDisplay", this);
    ui.txtMessageDisplay = new QPlainTextEdit(ui.fraMessageDisplay);
    ui.txtMessageDisplay->setObjectName(QStringLiteral("txtMessageDisplay"));
    ui.txtMessageDisplay->setReadOnly(true);
    (new QVBoxLayout(ui.fraMessageDisplay))->addWidget(ui.txtMessageDisplay);
    page->addWidget(ui.fraMessageDisplay, 1);

    auto* commands = new QHBoxLayout;
    ui.fraQCBlowoff = frame(QStringLiteral("Q.C. Blow-off"), "fraQCBlowoff", this);
    auto* qc = new QHBoxLayout(ui.fraQCBlowoff);
    ui.fraSpindleNumber =
        frame(QStringLiteral("Spindle Number"), "fraSpindleNumber", ui.fraQCBlowoff);
    auto* spindle = new QHBoxLayout(ui.fraSpindleNumber);
    ui.txtSpindleBlowoff = new QLineEdit(ui.fraSpindleNumber);
    ui.txtSpindleBlowoff->setObjectName(QStringLiteral("txtSpindleBlowoff"));
    ui.txtSpindleBlowoff->setMaximumWidth(60);
    ui.updSpindleNumber = new UpDown(ui.fraSpindleNumber);
    ui.updSpindleNumber->setObjectName(QStringLiteral("updSpindleNumber"));
    ui.updSpindleNumber->setRange(1, 36);
    spindle->addWidget(ui.txtSpindleBlowoff);
    spindle->addWidget(ui.updSpindleNumber);
    spindle->addStretch(1);
    qc->addWidget(ui.fraSpindleNumber);
    ui.cmdSingleBlowoff = button(QStringLiteral("S&ingle Blow-off"), "cmdSingleBlowoff", this);
    ui.cmdBlanketBlowoff = button(QStringLiteral("&Blanket Blow-off"), "cmdBlanketBlowoff", this);
    ui.cmdMandrelBlowoff = button(QStringLiteral("&Mandrel Blowoff"), "cmdMandrelBlowoff", this);
    for (QPushButton* b : {ui.cmdSingleBlowoff, ui.cmdBlanketBlowoff, ui.cmdMandrelBlowoff})
        qc->addWidget(b);
    commands->addWidget(ui.fraQCBlowoff);

    ui.fraBadCanBlowoff = frame(QStringLiteral("Bad Can Blow-off"), "fraBadCanBlowoff", this);
    ui.cmdBadCanBlowoff = button(QStringLiteral("&Test Trip/Blow-off"), "cmdBadCanBlowoff", this);
    (new QVBoxLayout(ui.fraBadCanBlowoff))->addWidget(ui.cmdBadCanBlowoff);
    commands->addWidget(ui.fraBadCanBlowoff);
    page->addLayout(commands);

    ui.cmdDefault = makeDefaultButton();
}

} // namespace kalvex
