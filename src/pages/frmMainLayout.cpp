#include "UpDown.h"
#include "frmMain.h"

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
        fraDisplay[i] = frame(QString::fromLatin1(kDisplayCaptions[i]), "fraDisplay", this);
        lblDisplay[i] = new QLabel(QStringLiteral("-"), fraDisplay[i]);
        lblDisplay[i]->setObjectName(QStringLiteral("lblDisplay"));
        lblDisplay[i]->setAlignment(Qt::AlignCenter);
        lblDisplay[i]->setFont(big);
        (new QVBoxLayout(fraDisplay[i]))->addWidget(lblDisplay[i]);
        displays->addWidget(fraDisplay[i]);
    }
    page->addLayout(displays);

    fraMessageDisplay = frame(QStringLiteral("Messages"), "fraMessageDisplay", this);
    txtMessageDisplay = new QPlainTextEdit(fraMessageDisplay);
    txtMessageDisplay->setObjectName(QStringLiteral("txtMessageDisplay"));
    txtMessageDisplay->setReadOnly(true);
    (new QVBoxLayout(fraMessageDisplay))->addWidget(txtMessageDisplay);
    page->addWidget(fraMessageDisplay, 1);

    auto* commands = new QHBoxLayout;
    fraQCBlowoff = frame(QStringLiteral("Q.C. Blow-off"), "fraQCBlowoff", this);
    auto* qc = new QHBoxLayout(fraQCBlowoff);
    fraSpindleNumber = frame(QStringLiteral("Spindle Number"), "fraSpindleNumber", fraQCBlowoff);
    auto* spindle = new QHBoxLayout(fraSpindleNumber);
    txtSpindleBlowoff = new QLineEdit(fraSpindleNumber);
    txtSpindleBlowoff->setObjectName(QStringLiteral("txtSpindleBlowoff"));
    txtSpindleBlowoff->setMaximumWidth(60);
    updSpindleNumber = new UpDown(fraSpindleNumber);
    updSpindleNumber->setObjectName(QStringLiteral("updSpindleNumber"));
    updSpindleNumber->setRange(1, 36);
    spindle->addWidget(txtSpindleBlowoff);
    spindle->addWidget(updSpindleNumber);
    qc->addWidget(fraSpindleNumber);
    cmdSingleBlowoff = button(QStringLiteral("S&ingle Blow-off"), "cmdSingleBlowoff", this);
    cmdBlanketBlowoff = button(QStringLiteral("&Blanket Blow-off"), "cmdBlanketBlowoff", this);
    cmdMandrelBlowoff = button(QStringLiteral("&Mandrel Blowoff"), "cmdMandrelBlowoff", this);
    for (QPushButton* b : {cmdSingleBlowoff, cmdBlanketBlowoff, cmdMandrelBlowoff})
        qc->addWidget(b);
    commands->addWidget(fraQCBlowoff);

    fraBadCanBlowoff = frame(QStringLiteral("Bad Can Blow-off"), "fraBadCanBlowoff", this);
    cmdBadCanBlowoff = button(QStringLiteral("&Test Trip/Blow-off"), "cmdBadCanBlowoff", this);
    (new QVBoxLayout(fraBadCanBlowoff))->addWidget(cmdBadCanBlowoff);
    commands->addWidget(fraBadCanBlowoff);
    page->addLayout(commands);

    // Only a place to park the focus; it has no command of its own.
    cmdDefault = button(QString(), "cmdDefault", this);
    cmdDefault->setFlat(true);
    cmdDefault->setFixedSize(1, 1);
    page->addWidget(cmdDefault);
}

} // namespace kalvex
