#include "widgets/maintenance/frmDownloadProg.h"

#include "data/program/ProgramRun.h"
#include "link/ProgramTransfer.h"
#include "widgets/pages/Stepper.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

namespace kalvex {

namespace {
constexpr int kPauseCheckMs = 20;
} // namespace

frmDownloadProg::frmDownloadProg(ProgramTransfer& transfer, ProgramRun& run, QWidget* parent)
    : QDialog(parent), m_transfer(transfer), m_run(run) {
    setObjectName(QStringLiteral("frmDownloadProg"));
    setWindowTitle(QStringLiteral("KALVEX"));
    setModal(true);
    setWindowFlag(Qt::WindowCloseButtonHint, false);
    ui.fraWaitDisplay = new QGroupBox(this);
    ui.fraWaitDisplay->setObjectName(QStringLiteral("fraWaitDisplay"));
    ui.lblWaitDisplay =
        new QLabel(QStringLiteral("Sending Program at Address: 0000H"), ui.fraWaitDisplay);
    ui.lblWaitDisplay->setObjectName(QStringLiteral("lblWaitDisplay"));
    auto* frame = new QVBoxLayout(ui.fraWaitDisplay);
    frame->addWidget(ui.lblWaitDisplay);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ui.fraWaitDisplay);
    setMinimumWidth(340);
    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer1.setInterval(250);
    connect(&Timer1, &QTimer::timeout, this, &frmDownloadProg::Timer1_Timer);
    connect(&m_transfer, &ProgramTransfer::stateChanged, this, &frmDownloadProg::Timer1_Timer);
    m_step = new Stepper(this, m_transfer.link(), [this] { return stepRun(); });
    qApp->installEventFilter(this);
    SetTransferMode(0);
}

void frmDownloadProg::SetTransferMode(int mode) {
    m_transferMode = mode;
    ui.lblWaitDisplay->setText(mode == 1 ? QStringLiteral("Reading Program at Address: ")
                                         : QStringLiteral("Sending Program at Address: "));
}

QString frmDownloadProg::labelText() const {
    return ui.lblWaitDisplay->text();
}

void frmDownloadProg::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (const QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
    if (m_run.finished() || m_step->isActive()) return;
    Timer1.start();
    m_step->start();
}

void frmDownloadProg::Timer1_Timer() {
    if (m_transferMode == 0 && m_transfer.InProgramMode())
        ui.lblWaitDisplay->setText(m_transfer.WritingIdent()
                                       ? QStringLiteral("Writing Program Ident ... ")
                                       : QStringLiteral("Writing to Program Address: ") +
                                             m_transfer.CurrentProgramAdd());
    else if (m_transferMode == 1 && m_transfer.InUploadMode())
        ui.lblWaitDisplay->setText(m_transfer.ReadingIdent()
                                       ? QStringLiteral("Reading Program Ident ... ")
                                       : QStringLiteral("Reading From Program Address: ") +
                                             m_transfer.CurrentProgramAdd());
}

// A box the transfer shows (the confirmation, a retry question) holds it until it closes.
int frmDownloadProg::stepRun() {
    const bool more = m_run.step();
    Q_EMIT stepped();
    // While the board pauses, look in now and then instead of spinning.
    if (more) return m_run.waitUntilUs() > 0 ? kPauseCheckMs : 0;
    m_step->stop();
    Timer1.stop();
    m_transferMode = 0;
    accept();
    if (m_quitAfterStop)
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    return -1;
}

void frmDownloadProg::closeEvent(QCloseEvent* e) {
    if (m_run.finished())
        QDialog::closeEvent(e);
    else
        e->ignore();
}

// A quit of the program waits for the run to stop at its next safe point (program mode left,
// no ident written), then goes on.
bool frmDownloadProg::eventFilter(QObject* watched, QEvent* e) {
    if (watched != qApp || e->type() != QEvent::Quit || m_run.finished())
        return QDialog::eventFilter(watched, e);
    m_run.requestStop();
    m_quitAfterStop = true;
    return true;
}

// Escape does nothing while the board may be in program mode.
void frmDownloadProg::reject() {
    if (m_run.finished()) QDialog::reject();
}

} // namespace kalvex
