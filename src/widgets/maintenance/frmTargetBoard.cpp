#include "widgets/maintenance/frmTargetBoard.h"

#include "data/StrayReadBack.h"
#include "link/Prompt.h"
#include "link/RSComm.h"
#include "widgets/pages/EntryFieldGroup.h"
#include "widgets/pages/RefreshLoop.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace kalvex {

frmTargetBoard::frmTargetBoard(TargetBoardContext context, QWidget* parent)
    : QDialog(parent), m_page(new TargetBoardPage(std::move(context), this)) {
    setObjectName(QStringLiteral("frmTargetBoard"));
    setWindowTitle(m_page->windowTitle());
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_page);
    resize(660, 520);
}

void frmTargetBoard::InitializeForm(const QString& OrviloFile) {
    prepare(OrviloFile);
    exec();
}

void frmTargetBoard::done(int result) {
    m_page->unloadWindow();
    QDialog::done(result);
}

TargetBoardPage::TargetBoardPage(TargetBoardContext context, QWidget* parent)
    : MachinePage(context.state, context.link, context.prompt, parent),
      m_pcClock(std::move(context.pcClock)), m_pcClockTimer(new QTimer(this)) {
    if (!m_pcClock) m_pcClock = [] { return QDateTime::currentDateTime(); };
    setObjectName(QStringLiteral("TargetBoardPage"));
    setWindowTitle(QStringLiteral("Target Board Interface"));
    m_loop->setGuard(nullptr); // every pass reads every tab
    ui.cmdDefault = makeDefaultButton();
    buildControls();
    buildFields();
    m_pcClockTimer->setInterval(100);
    connect(m_pcClockTimer, &QTimer::timeout, this, &TargetBoardPage::showPcClock);
    // The rest of the first pass reads nothing and marks its displays not read.
    connect(&m_link, &RSComm::linkLost, this, [this] { m_passFailed = true; });
    connect(&m_link, &RSComm::onlineModeChanged, this, [this] { restartFirstPass(); });
}

void TargetBoardPage::prepare(const QString& OrviloFile) {
    m_disk = readDiskIdent(OrviloFile);
    m_variant = boardVariant(m_disk.boardType);
    ui.cmdGoOnline->hide();
    ui.lblTargetBoard[kCoCpuOrder]->setVisible(m_variant.coCpuLine);
    for (int i = 0; i < kBoardSettingCount; ++i) {
        setRowShown(i, settingShown(m_variant, i));
        setRowEnabled(i, settingEnabled(m_variant, i));
        if (i >= kFirstClockSetting || i == 1)
            m_fields->field(i)->showBlank(i == 1 ? QString() : QStringLiteral("-"));
    }
    setClockControlsEnabled(m_variant.clock);
    const QString disk[] = {m_disk.name, QString::number(m_disk.revision),
                            QString::number(m_disk.checksum), m_disk.boardName, m_disk.revDate};
    for (int i = 0; i < kIdentCaptionCount; ++i)
        ui.lblRevIdentOnDisk[size_t(i)]->setText(disk[i]);
}

void TargetBoardPage::unloadWindow() {
    Unload();
    m_pcClockTimer->stop();
}

// Showing the window opens the first tab and takes the program online.
void TargetBoardPage::onActivate() {
    m_tabs.select(0);
    m_firstPassDone = false;
    m_lastShownSecond = -1;
    showPcClock();
    cmdGoOnline_Click();
    m_pcClockTimer->start();
}

void TargetBoardPage::cmdGoOnline_Click() {
    if (m_link.OnlineMode()) return;
    m_link.setCommError(false);
    m_link.setOnlineMode(true); // the main window applies it (UpdateOnlineMode)
}

// The next pass begins with the codes and the ident again.
void TargetBoardPage::restartFirstPass() {
    m_firstPassDone = false;
    prepareAgain();
}

bool TargetBoardPage::mayRead() const {
    return m_loop->running() && m_link.OnlineMode() && !m_passFailed;
}

// The first step of every first pass.
void TargetBoardPage::ShowOnline() {
    m_passFailed = false;
    showBoardView(true);
}

void TargetBoardPage::ShowOffline() {
    m_firstPassDone = false;
    ui.cmdGoOnline->show();
    for (const int i : kFaultTextBoxes)
        ui.txtTargetBoard[size_t(i)]->setPlainText(kNoBoardText);
    showBoardView(false);
}

void TargetBoardPage::showBoardView(bool online) {
    ui.cmdResetFaults->setEnabled(false);
    for (size_t k = 0; k < ui.lblRevIdentInPLC.size(); ++k) {
        ui.lblRevIdentInPLC[k]->setEnabled(online);
        ui.inPlcCaptions[k]->setEnabled(online);
    }
    for (int i = 0; i < kBoardSettingCount; ++i)
        if (settingShown(m_variant, i)) setRowEnabled(i, online && settingEnabled(m_variant, i));
    setClockControlsEnabled(online && m_variant.clock);
}

void TargetBoardPage::addOnlineSteps(RefreshLoop& loop) {
    if (!m_firstPassDone) {
        loop.runPassToEnd();
        for (int order = 0; order < kFaultRegisterCount; ++order)
            loop.add([this, order] { readFaultRegister(order); });
        loop.add([this] { readCoCpuSlot(); });
        loop.add([this] { showCodeTexts(); });
        for (int i = 0; i < kIdentLength; ++i)
            loop.add([this, i] { readIdent(i); });
        loop.add([this] {
            if (!mayRead()) return prepareAgain(); // the codes show the failure
            ui.cmdGoOnline->hide();
            m_firstPassDone = true;
        });
    }
    for (int i = 0; i < kBoardSettingCount; ++i)
        if (settingPolled(m_variant, i))
            loop.addRead(QLatin1String(boardSettings()[size_t(i)].address), m_fields->textBox(i),
                         [this, i](qint64 v) { m_fields->showValue(i, twoDigits(v)); });
}

// A register that cannot be read shows why, never a code: the board's code table is not
// asked about the window's own failure.
void TargetBoardPage::readFaultRegister(int order) {
    const size_t k = size_t(order);
    m_codes[k].clear();
    m_failed[k] = LinkFailure::None; // skipped
    if (mayRead()) {
        const LinkResult r = m_link.readValue(QLatin1String(faultRegisters()[k].address));
        m_failed[k] = r.failure;
        if (r)
            m_codes[k] = faultCodeText(r.value);
        else
            m_passFailed = true;
    }
    if (order == kCoCpuOrder) return;
    if (!m_codes[k].isEmpty() && m_codes[k] != QLatin1String("00"))
        ui.cmdResetFaults->setEnabled(true);
    if (QLabel* caption = ui.lblTargetBoard[k])
        caption->setText(m_codes[k].isEmpty() ? notReadCaption(order, m_failed[k])
                                              : faultCaption(order, m_codes[k]));
}

void TargetBoardPage::readCoCpuSlot() {
    if (!m_variant.coCpuLine || !mayRead()) return;
    const LinkResult r = m_link.readValue(QLatin1String(faultRegisters()[kCoCpuOrder].address));
    if (!r) m_passFailed = true;
    ui.lblTargetBoard[kCoCpuOrder]->setText(
        kCoCpuSlotText + (r ? QString::number(r.value) : notReadText(r.failure)));
}

void TargetBoardPage::showCodeTexts() {
    const QString folder = m_link.programFolder();
    const CodeTexts texts[] = {CodeTexts::load(folder, CodeFile::Faults),
                               CodeTexts::load(folder, CodeFile::CommErrors)};
    for (const int order : kCodeOrders) {
        const QString& code = m_codes[size_t(order)];
        ui.txtTargetBoard[size_t(order)]->setPlainText(
            code.isEmpty() ? kNoBoardText : texts[int(codeFileOf(order))].describe(code));
    }
    const QString& last = m_codes[kAdviceOrder];
    ui.txtTargetBoard[kAdviceOrder]->setPlainText(
        last.isEmpty() ? notReadAdvice() : correctiveAction(last.toInt(nullptr, 16)));
}

// Name bytes, then the checksum and the revision; a failed read leaves no half ident shown.
void TargetBoardPage::readIdent(int i) {
    const auto notRead = [this](LinkFailure f) {
        for (QLabel* l : ui.lblRevIdentInPLC)
            l->setText(notReadText(f));
    };
    if (!mayRead()) {
        if (i == 0 && m_passFailed) notRead(LinkFailure::None);
        return;
    }
    const LinkResult r = m_link.readValue(identAddress(i));
    if (!r) {
        m_passFailed = true;
        notRead(r.failure);
        return;
    }
    if (i == 0) m_identName.clear();
    if (i < kIdentNameLength) {
        m_identName.push_back(int(r.value));
        if (i == kIdentNameLength - 1) ui.lblRevIdentInPLC[0]->setText(identName(m_identName));
    } else {
        ui.lblRevIdentInPLC[i == kIdentNameLength ? 2 : 1]->setText(QString::number(r.value));
    }
}

void TargetBoardPage::showPcClock() {
    const QDateTime now = m_pcClock();
    if (now.time().second() == m_lastShownSecond) return;
    m_lastShownSecond = now.time().second();
    ui.lblCurrTime->setText(pcTimeText(now));
    ui.lblCurrDate->setText(pcDateText(now));
}

void TargetBoardPage::cmdResetFaults_Click() {
    const MsgAnswer a = m_prompt.message(
        QStringLiteral("WARNING - Fault Code Reset!"),
        QStringLiteral("Target Board will be reinitialized.\r\n\r\nDo you wish to continue?"),
        MsgButtons::YesNoCancel, MsgIcon::Critical);
    if (a != MsgAnswer::Yes) return;
    ui.cmdResetFaults->setEnabled(false);
    if (!m_link.OnlineMode()) return;
    const CheckedWrites w = writeChecked(m_link, faultResetBoardWrites());
    // Whatever happened, the codes shown are read again at once.
    restartFirstPass();
    m_loop->abortPass();
    if (!w.result)
        m_prompt.message(windowTitle(), resetFailedText(w), MsgButtons::Ok, MsgIcon::Exclamation);
    tellStrays(m_prompt, windowTitle(), w.strays);
}

// One instant of the PC clock for all three writes: the values belong together.
void TargetBoardPage::cmdSetTime_Click() {
    writeClock(clockTimeWrites(m_pcClock()));
}

void TargetBoardPage::cmdSetDate_Click() {
    writeClock(clockDateWrites(m_pcClock()));
}

void TargetBoardPage::writeClock(const std::vector<BoardWrite>& writes) {
    if (!m_link.OnlineMode()) return;
    const CheckedWrites w = writeChecked(m_link, writes);
    if (!w.result)
        m_prompt.message(windowTitle(), clockFailedText(w, writes), MsgButtons::Ok,
                         MsgIcon::Exclamation);
    tellStrays(m_prompt, windowTitle(), w.strays);
}

} // namespace kalvex
