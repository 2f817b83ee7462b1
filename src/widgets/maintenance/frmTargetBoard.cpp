#include "widgets/maintenance/frmTargetBoard.h"

#include "data/StrayReadBack.h"
#include "link/RSComm.h"
#include "widgets/pages/EntryFieldGroup.h"
#include "widgets/pages/RefreshLoop.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>

namespace kalvex {

namespace {

const QString kNoBoard = QStringLiteral("Cannot Communicate with Target Board.");
// The text boxes the offline view fills: every one but the CO-CPU line's.
constexpr int kTextBoxes[] = {0, 1, 3, 4, 5};

} // namespace

frmTargetBoard::frmTargetBoard(TargetBoardContext context, QWidget* parent)
    : QDialog(parent), m_ctx(std::move(context)),
      m_loop(new RefreshLoop(this, m_ctx.link, [this](RefreshLoop& loop) { layOutPass(loop); })),
      m_pcClockTimer(new QTimer(this)) {
    if (!m_ctx.pcClock) m_ctx.pcClock = [] { return QDateTime::currentDateTime(); };
    setObjectName(QStringLiteral("frmTargetBoard"));
    setWindowTitle(QStringLiteral("Target Board Interface"));
    setModal(true);
    buildControls();
    buildFields();
    m_pcClockTimer->setInterval(100);
    connect(m_pcClockTimer, &QTimer::timeout, this, &frmTargetBoard::showPcClock);
    // The rest of the first pass reads nothing and marks its displays not read.
    connect(&m_ctx.link, &RSComm::linkLost, this, [this] { m_passFailed = true; });
    connect(&m_ctx.link, &RSComm::onlineModeChanged, this, [this] {
        m_firstPassDone = false;
        m_loop->abortPass();
    });
}

frmTargetBoard::~frmTargetBoard() {
    Unload();
}

void frmTargetBoard::InitializeForm(const QString& OrviloFile) {
    prepare(OrviloFile);
    exec();
}

void frmTargetBoard::prepare(const QString& OrviloFile) {
    m_disk = readDiskIdent(OrviloFile);
    m_variant = boardVariant(m_disk.boardType);
    ui.cmdGoOnline->hide();
    ui.lblTargetBoard[kCoCpuOrder]->setVisible(m_variant.coCpuLine);
    for (int i = 0; i < kBoardSettingCount; ++i) {
        setRowShown(i, i != 1 || m_variant.secondAddress);
        setRowEnabled(i, i < kFirstClockSetting || m_variant.clock);
        if (i >= kFirstClockSetting || i == 1)
            m_fields->field(i)->showBlank(i == 1 ? QString() : QStringLiteral("-"));
    }
    setClockControlsEnabled(m_variant.clock);
    ui.lblRevIdentOnDisk[0]->setText(m_disk.name);
    ui.lblRevIdentOnDisk[1]->setText(QString::number(m_disk.revision));
    ui.lblRevIdentOnDisk[2]->setText(QString::number(m_disk.checksum));
    ui.lblRevIdentOnDisk[3]->setText(m_disk.boardName);
    ui.lblRevIdentOnDisk[4]->setText(m_disk.revDate);
}

// Activation: the first tab, the program online, and the loop.
void frmTargetBoard::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_loop->running()) return;
    m_tabs.select(0);
    m_firstPassDone = m_offlineShown = false;
    m_lastShownSecond = -1;
    showPcClock();
    cmdGoOnline_Click();
    m_pcClockTimer->start();
    m_loop->start();
}

void frmTargetBoard::done(int result) {
    Unload();
    QDialog::done(result);
}

void frmTargetBoard::Unload() {
    m_loop->stop();
    m_pcClockTimer->stop();
    m_fields->clearEditing();
}

void frmTargetBoard::cmdOk_Click() {
    accept();
}

void frmTargetBoard::cmdGoOnline_Click() {
    if (m_ctx.link.OnlineMode()) return;
    m_ctx.link.setCommError(false);
    m_ctx.link.setOnlineMode(true); // the main window applies it (UpdateOnlineMode)
}

void frmTargetBoard::layOutPass(RefreshLoop& loop) {
    RSComm& link = m_ctx.link;
    loop.setPaced(!link.OnlineMode());
    if (!link.OnlineMode()) {
        if (!m_offlineShown) ShowOffline();
        m_firstPassDone = false;
        return;
    }
    if (!m_firstPassDone) addFirstPass(loop);
    m_offlineShown = false;
    addRefreshSettings(loop);
}

bool frmTargetBoard::mayRead() const {
    return m_loop->running() && m_ctx.link.OnlineMode() && !m_passFailed;
}

void frmTargetBoard::addFirstPass(RefreshLoop& loop) {
    loop.runPassToEnd();
    loop.add([this] { beginFirstPass(); });
    for (int order = 0; order < kFaultRegisterCount; ++order)
        loop.add([this, order] { readFaultRegister(order); });
    loop.add([this] { readCoCpuSlot(); });
    loop.add([this] { showCodeTexts(); });
    for (int i = 0; i < kIdentLength; ++i)
        loop.add([this, i] { readIdent(i); });
    loop.add([this] {
        if (!mayRead()) return; // the codes show the failure; the next cycle tries again
        ui.cmdGoOnline->hide();
        m_firstPassDone = true;
    });
}

void frmTargetBoard::beginFirstPass() {
    m_passFailed = false;
    ui.cmdResetFaults->setEnabled(false);
    for (QLabel* l : ui.lblRevIdentInPLC)
        l->setEnabled(true);
    for (QLabel* l : ui.inPlcCaptions)
        l->setEnabled(true);
    for (int i = 0; i < kBoardSettingCount; ++i)
        if (m_rowShown[size_t(i)]) setRowEnabled(i, i < kFirstClockSetting || m_variant.clock);
    setClockControlsEnabled(m_variant.clock);
}

// A register that cannot be read shows why, never a code: the board's code table is not
// asked about the window's own failure.
void frmTargetBoard::readFaultRegister(int order) {
    const size_t k = size_t(order);
    m_codes[k].clear();
    m_failed[k] = LinkFailure::None; // skipped
    if (mayRead()) {
        const LinkResult r = m_ctx.link.readValue(QLatin1String(faultRegisters()[k].address));
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

void frmTargetBoard::readCoCpuSlot() {
    if (!m_variant.coCpuLine || !mayRead()) return;
    const LinkResult r = m_ctx.link.readValue(QLatin1String(faultRegisters()[kCoCpuOrder].address));
    if (!r) {
        m_passFailed = true;
        ui.lblTargetBoard[kCoCpuOrder]->setText(QStringLiteral("CO-CPU Slot: ") +
                                                notReadText(r.failure));
        return;
    }
    ui.lblTargetBoard[kCoCpuOrder]->setText(QStringLiteral("CO-CPU Slot: ") +
                                            QString::number(r.value));
}

void frmTargetBoard::showCodeTexts() {
    const QString folder = m_ctx.link.programFolder();
    const CodeTexts faults = CodeTexts::load(folder, CodeFile::Faults);
    const CodeTexts comm = CodeTexts::load(folder, CodeFile::CommErrors);
    for (const int order : {0, 1, 4, 5}) {
        const QString& code = m_codes[size_t(order)];
        ui.txtTargetBoard[size_t(order)]->setPlainText(
            code.isEmpty() ? kNoBoard : (order < 2 ? faults : comm).describe(code));
    }
    const QString& last = m_codes[kAdviceOrder];
    ui.txtTargetBoard[kAdviceOrder]->setPlainText(
        last.isEmpty() ? notReadAdvice() : correctiveAction(last.toInt(nullptr, 16)));
}

// Name bytes, then the checksum and the revision; a failed read leaves no half ident shown.
void frmTargetBoard::readIdent(int i) {
    const auto notRead = [this](LinkFailure f) {
        for (QLabel* l : ui.lblRevIdentInPLC)
            l->setText(notReadText(f));
    };
    if (!mayRead()) {
        if (i == 0 && m_passFailed) notRead(LinkFailure::None);
        return;
    }
    const LinkResult r = m_ctx.link.readValue(identAddress(i));
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

void frmTargetBoard::addRefreshSettings(RefreshLoop& loop) {
    for (int i = 0; i < kBoardSettingCount; ++i) {
        const bool polled = i < kFirstClockSetting ? m_rowShown[size_t(i)] : m_variant.clock;
        if (!polled) continue;
        loop.addRead(QLatin1String(boardSettings()[size_t(i)].address), m_fields->textBox(i),
                     [this, i](qint64 v) { m_fields->showValue(i, twoDigits(v)); });
    }
}

void frmTargetBoard::ShowOffline() {
    ui.cmdGoOnline->show();
    ui.cmdResetFaults->setEnabled(false);
    for (const int i : kTextBoxes)
        ui.txtTargetBoard[size_t(i)]->setPlainText(kNoBoard);
    for (QLabel* l : ui.lblRevIdentInPLC)
        l->setEnabled(false);
    for (QLabel* l : ui.inPlcCaptions)
        l->setEnabled(false);
    for (int i = 0; i < kBoardSettingCount; ++i)
        if (m_rowShown[size_t(i)]) setRowEnabled(i, false);
    setClockControlsEnabled(false);
    m_offlineShown = true;
}

void frmTargetBoard::showPcClock() {
    const QDateTime now = m_ctx.pcClock();
    if (now.time().second() == m_lastShownSecond) return;
    m_lastShownSecond = now.time().second();
    ui.lblCurrTime->setText(pcTimeText(now));
    ui.lblCurrDate->setText(pcDateText(now));
}

void frmTargetBoard::cmdResetFaults_Click() {
    const MsgAnswer a = m_ctx.prompt.message(
        QStringLiteral("WARNING - Fault Code Reset!"),
        QStringLiteral("Target Board will be reinitialized.\r\n\r\nDo you wish to continue?"),
        MsgButtons::YesNoCancel, MsgIcon::Critical);
    if (a != MsgAnswer::Yes) return;
    ui.cmdResetFaults->setEnabled(false);
    if (!m_ctx.link.OnlineMode()) return;
    const CheckedWrites w = writeChecked(m_ctx.link, faultResetWrites());
    // Whatever happened, the codes shown are read again at once.
    m_firstPassDone = false;
    m_loop->abortPass();
    if (!w.result)
        m_ctx.prompt.message(windowTitle(), resetFailedText(w), MsgButtons::Ok,
                             MsgIcon::Exclamation);
    tellStrays(m_ctx.prompt, windowTitle(), w.strays);
}

// One instant of the PC clock for all three writes: the values belong together.
void frmTargetBoard::cmdSetTime_Click() {
    writeClock(clockTimeWrites(m_ctx.pcClock()));
}

void frmTargetBoard::cmdSetDate_Click() {
    writeClock(clockDateWrites(m_ctx.pcClock()));
}

void frmTargetBoard::writeClock(const std::vector<BoardWrite>& writes) {
    if (!m_ctx.link.OnlineMode()) return;
    std::vector<std::pair<QString, QString>> pairs;
    for (const BoardWrite& w : writes)
        pairs.emplace_back(w.address, w.value);
    const CheckedWrites w = writeChecked(m_ctx.link, pairs);
    if (!w.result)
        m_ctx.prompt.message(windowTitle(),
                             QStringLiteral("The board clock was not set: the write of %1 "
                                            "failed (%2); %3 of %4 values written.")
                                 .arg(pairs[w.written].first, failureText(w.result.failure))
                                 .arg(w.written)
                                 .arg(pairs.size()),
                             MsgButtons::Ok, MsgIcon::Exclamation);
    tellStrays(m_ctx.prompt, windowTitle(), w.strays);
}

} // namespace kalvex
