#include "widgets/report/frmWaitDisplay.h"

#include <QGroupBox>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

namespace kalvex {

struct frmWaitDisplay::Ui {
    QGroupBox* fraWaitDisplay = nullptr;
    QLabel* lblWaitDisplay = nullptr;
};

frmWaitDisplay::frmWaitDisplay(int reportRequest, std::function<void()> job, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui>()), m_request(reportRequest), m_job(std::move(job)) {
    setObjectName(QStringLiteral("frmWaitDisplay"));
    setWindowTitle(QStringLiteral("KALVEX"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    ui->fraWaitDisplay = new QGroupBox(this);
    ui->fraWaitDisplay->setObjectName(QStringLiteral("fraWaitDisplay"));
    ui->lblWaitDisplay = new QLabel(QStringLiteral("Please Standby ..."), ui->fraWaitDisplay);
    ui->lblWaitDisplay->setObjectName(QStringLiteral("lblWaitDisplay"));
    ui->lblWaitDisplay->setAlignment(Qt::AlignCenter);
    ui->lblWaitDisplay->setMinimumWidth(280);
    (new QVBoxLayout(ui->fraWaitDisplay))->addWidget(ui->lblWaitDisplay);
    (new QVBoxLayout(this))->addWidget(ui->fraWaitDisplay);
    m_fallback.setSingleShot(true);
    m_fallback.setInterval(500);
    connect(&m_fallback, &QTimer::timeout, this, &frmWaitDisplay::run);
}

frmWaitDisplay::~frmWaitDisplay() = default;

void frmWaitDisplay::start() {
    ui->lblWaitDisplay->setText(m_request == 1
                                    ? QStringLiteral("Generating Report, Please Standby ...")
                                    : QStringLiteral("Please Standby ..."));
    adjustSize();
    if (const QScreen* s = screen()) move(s->geometry().center() - rect().center());
    show();
    m_fallback.start();
}

void frmWaitDisplay::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    if (!m_started) QTimer::singleShot(0, this, &frmWaitDisplay::run);
}

void frmWaitDisplay::run() {
    if (m_started) return;
    m_started = true;
    m_fallback.stop();
    if (m_request == 1 && m_job) m_job();
    hide();
    Q_EMIT done();
    deleteLater();
}

} // namespace kalvex
