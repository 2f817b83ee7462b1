#include "widgets/pages/frmMain.h"

#include "data/AppState.h"
#include "data/pages/MainDisplayTable.h"
#include "data/pages/MainDisplayValues.h"
#include "link/RSComm.h"
#include "link/TextNumber.h"
#include "widgets/pages/EntryFieldGroup.h"
#include "widgets/pages/RefreshLoop.h"
#include "widgets/pages/UpDown.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

namespace kalvex {

namespace {

constexpr int kSpindleField = 0;

} // namespace

frmMain::frmMain(AppState& state, RSComm& link, Prompt& prompt, QWidget* parent)
    : MachinePage(state, link, prompt, parent) {
    setObjectName(QStringLiteral("frmMain"));
    buildControls();
    EntryFieldConfig config;
    config.title = QStringLiteral("Q.C. Blow-off");
    config.editingFlag = false;
    config.commitStores = false;
    config.checkOnFocusLost = false;
    // A spin writes the target at once; the field has already parked the focus on cmdDefault.
    config.spinAction = [this](int value) {
        sendValue(kBlowoffTargetAddress, QString::number(value));
    };
    makeFields(ui.cmdDefault);
    m_fields->add(kSpindleField, ui.txtSpindleBlowoff, ui.updSpindleNumber, std::move(config),
                  {1, 36});
    // Set before the first online read of B2088, which is compared with it.
    m_fields->setRangeRule(kSpindleField, [this] {
        return EntryFieldGroup::Bounds{1, spindleMax(m_state.gSpindleCount)};
    });
    connectControls();
    // The messages follow the background poll on their own clock: the refresh passes wait
    // while another window is modal, and the text must not go stale meanwhile.
    auto* messages = new QTimer(this);
    connect(messages, &QTimer::timeout, this, &frmMain::showMessages);
    messages->start(kMessageIntervalMs);
}

void frmMain::connectControls() {
    const auto command = [this](QPushButton* b, std::function<void()> run) {
        connect(b, &QPushButton::clicked, this, [this, run = std::move(run)] {
            if (!leaveRefused()) run();
        });
    };
    connect(ui.cmdSingleBlowoff, &QPushButton::clicked, this, &frmMain::cmdSingleBlowoff_Click);
    // Blanket and Mandrel are numbered past the last spindle: never aimed from a count the
    // board did not give.
    command(ui.cmdBlanketBlowoff, [this] {
        if (m_state.gSpindleCountKnown) QCBlowoff(blanketTarget(m_state.gSpindleCount));
    });
    command(ui.cmdMandrelBlowoff, [this] {
        if (m_state.gSpindleCountKnown) QCBlowoff(mandrelTarget(m_state.gSpindleCount));
    });
    command(ui.cmdBadCanBlowoff, [this] { sendInOrder(badCanBlowoffWrites()); });
}

void frmMain::beforePass() {
    showMessages();
    showPastSpindleCommands();
}

void frmMain::showMessages() {
    QString text = m_state.gStatusMessage;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (ui.txtMessageDisplay->toPlainText() != text) ui.txtMessageDisplay->setPlainText(text);
}

void frmMain::addOnlineSteps(RefreshLoop& loop) {
    m_fields->updateRanges();
    for (int i = 0; i < kDisplays; ++i)
        loop.addRead(QString::fromLatin1(kMainDisplays[size_t(i)].address),
                     ui.lblDisplay[size_t(i)], [this, i](qint64 v) {
                         const QString value = QString::number(v);
                         ui.lblDisplay[size_t(i)]->setText(i < 2 ? value : groupedCount(value));
                     });
}

void frmMain::ShowOnline() {
    setBlowoffEnabled(true);
    showPastSpindleCommands();
    const LinkResult target = m_link.readValue(kBlowoffTargetAddress);
    m_fields->showValue(kSpindleField, target ? initialSpindleText(QString::number(target.value),
                                                                   ui.updSpindleNumber->maximum())
                                              : QStringLiteral("1"));
    // A mode change is no choice of a command: a Space or Enter right after going online must
    // not fire a blow-off, so the focus parks where no key acts.
    ui.cmdDefault->setFocus(Qt::OtherFocusReason);
}

void frmMain::ShowOffline() {
    setBlowoffEnabled(false);
    m_fields->field(kSpindleField)->showBlank(QStringLiteral("-"));
    for (QLabel* label : ui.lblDisplay)
        label->setText(QStringLiteral("-"));
}

void frmMain::RefreshOffline() {
    const auto& values = m_state.gCurrentData.Value;
    for (int i = 0; i < kDisplays; ++i) {
        const int item = kMainDisplays[size_t(i)].offlineItem;
        if (item >= 0 && size_t(item) < values.size())
            ui.lblDisplay[size_t(i)]->setText(groupedCount(QString::number(values[size_t(item)])));
    }
}

void frmMain::setBlowoffEnabled(bool on) {
    for (QWidget* w : std::initializer_list<QWidget*>{
             ui.fraQCBlowoff, ui.fraSpindleNumber, ui.txtSpindleBlowoff, ui.updSpindleNumber,
             ui.cmdSingleBlowoff, ui.cmdBlanketBlowoff, ui.cmdMandrelBlowoff, ui.fraBadCanBlowoff,
             ui.cmdBadCanBlowoff, ui.fraDisplay[0], ui.fraDisplay[1], ui.lblDisplay[0],
             ui.lblDisplay[1]})
        w->setEnabled(on);
}

void frmMain::QCBlowoff(int target) {
    sendInOrder(qcBlowoffWrites(target));
}

void frmMain::showPastSpindleCommands() {
    const bool known = m_state.gSpindleCountKnown;
    const QString why =
        known ? QString()
              : QStringLiteral("Waiting for the spindle count (B52) from the board: %1")
                    .arg(m_state.gSpindleCountProblem.isEmpty() ? QStringLiteral("not read yet")
                                                                : m_state.gSpindleCountProblem);
    for (QPushButton* b : {ui.cmdBlanketBlowoff, ui.cmdMandrelBlowoff}) {
        b->setEnabled(online() && known);
        b->setToolTip(online() ? why : QString());
    }
}

// Buttons take the focus when clicked or reached by their access key, so a click that finds
// the focus still in the spindle field follows a leave the field refused.
bool frmMain::leaveRefused() const {
    return ui.txtSpindleBlowoff->hasFocus() || m_fields->refusalPending();
}

void frmMain::cmdSingleBlowoff_Click() {
    // The field may hold a number above a Max lowered since it was entered.
    if (leaveRefused() || !m_fields->field(kSpindleField)->commit()) return;
    QCBlowoff(valueOf(ui.txtSpindleBlowoff->text()));
}

} // namespace kalvex
