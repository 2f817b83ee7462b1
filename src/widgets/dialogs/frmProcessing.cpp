#include "widgets/dialogs/frmProcessing.h"

#include "data/DataTransfer.h"
#include "link/RSComm.h"
#include "widgets/pages/Stepper.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace kalvex {

frmProcessing::frmProcessing(DataTransfer& transfer, RSComm& link, QWidget* parent)
    : QDialog(parent), m_transfer(transfer), m_link(link) {
    setObjectName(QStringLiteral("frmProcessing"));
    setWindowTitle(QStringLiteral("KALVEX"));
    setModal(true);
    ui.fraProcessing = new QGroupBox(QStringLiteral("Processing Request:"), this);
    ui.fraProcessing->setObjectName(QStringLiteral("fraProcessing"));
    ui.prgProcessing = new QProgressBar(ui.fraProcessing);
    ui.prgProcessing->setObjectName(QStringLiteral("prgProcessing"));
    ui.prgProcessing->setRange(0, m_transfer.maximum());
    ui.prgProcessing->setValue(0);
    ui.lblProcessing = new QLabel(m_transfer.text(), ui.fraProcessing);
    ui.lblProcessing->setObjectName(QStringLiteral("lblProcessing"));
    auto* frame = new QVBoxLayout(ui.fraProcessing);
    frame->addWidget(ui.prgProcessing);
    frame->addWidget(ui.lblProcessing);
    ui.cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    ui.cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(ui.cmdCancel, &QPushButton::clicked, this, &frmProcessing::cmdCancel_Click);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ui.fraProcessing);
    layout->addWidget(ui.cmdCancel, 0, Qt::AlignHCenter);
    setMinimumWidth(380);
    m_step = new Stepper(this, m_link, [this] { return stepTransfer(); });
    qApp->installEventFilter(this);
}

void frmProcessing::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (!m_step->isActive() && !m_transfer.finished()) m_step->start();
}

void frmProcessing::cmdCancel_Click() {
    m_transfer.cancel();
}

void frmProcessing::reject() {
    if (m_transfer.finished())
        QDialog::reject();
    else
        m_transfer.cancel();
}

// A box above this window (a retry question, the fault box) holds the transfer until it closes.
int frmProcessing::stepTransfer() {
    const bool more = m_transfer.step();
    // Failed items are named here as they happen, and stay named under the closing box.
    if (!m_transfer.failedItems().empty())
        ui.lblProcessing->setText(m_transfer.text() + QStringLiteral("\nFailed items: ") +
                                  m_transfer.failedItemsText());
    ui.prgProcessing->setMaximum(m_transfer.maximum());
    ui.prgProcessing->setValue(m_transfer.value());
    Q_EMIT stepped(m_transfer.value());
    if (more) return 0;
    m_step->stop();
    accept();
    if (m_quitAfterStop)
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    return -1;
}

bool frmProcessing::eventFilter(QObject* watched, QEvent* e) {
    if (watched != qApp || e->type() != QEvent::Quit || m_transfer.finished())
        return QDialog::eventFilter(watched, e);
    m_transfer.cancel();
    m_quitAfterStop = true;
    return true;
}

} // namespace kalvex
