#include "widgets/dialogs/frmSetupComm.h"

#include "link/CommSettings.h"
#include "link/NetworkPort.h"
#include "link/PortProbe.h"
#include "link/Prompt.h"
#include "link/RSComm.h"
#include "widgets/pages/UpDown.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

namespace kalvex {

namespace {

const int kSpeeds[2] = {9600, 19200};

QPushButton* namedButton(const QString& caption, const char* name, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    return b;
}

} // namespace

frmSetupComm::frmSetupComm(RSComm& link, SerialPort& port, Prompt& prompt, QString programFolder,
                           QWidget* parent)
    : QDialog(parent), m_link(link), m_port(port), m_prompt(prompt),
      m_programFolder(std::move(programFolder)), m_wasOnline(link.OnlineMode()) {
    setObjectName(QStringLiteral("frmSetupComm"));
    setWindowTitle(QStringLiteral("Comm Port Settings"));
    ui.cmdSave = namedButton(QStringLiteral("&Save"), "cmdSave", this);
    ui.cmdCancel = namedButton(QStringLiteral("&Cancel"), "cmdCancel", this);
    ui.cmdSave->setDefault(true); // Enter saves, and Save checks the field first
    ui.cmdCancel->setAutoDefault(false);
    connect(ui.cmdSave, &QPushButton::clicked, this, &frmSetupComm::cmdSave_Click);
    connect(ui.cmdCancel, &QPushButton::clicked, this, &frmSetupComm::cmdCancel_Click);

    auto* top = new QHBoxLayout;
    top->addWidget(buildPortFrame());
    top->addWidget(buildSpeedFrame());
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ui.cmdSave);
    buttons->addWidget(ui.cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    ui.lblNote = new QLabel(this);
    ui.lblNote->setObjectName(QStringLiteral("lblNote"));
    ui.lblNote->setWordWrap(true);
    layout->addWidget(ui.lblNote);
    // Where Save writes, which need not be the program folder.
    auto* target = new QLabel(
        QStringLiteral("Saved in %1").arg(QDir::toNativeSeparators(link.CommSettingsSaveFile())),
        this);
    target->setObjectName(QStringLiteral("lblSettingsFile"));
    target->setWordWrap(true);
    layout->addWidget(target);
    layout->addWidget(buildNetworkFrame());
    layout->addWidget(buildFindFrame());
    layout->addLayout(buttons);
    if (!m_port.usesPortNumber())
        ui.lblNote->setText(
            QStringLiteral("This run talks to %1 (--device or --simulate): the port number is "
                           "saved, but used only when KALVEX starts without them.")
                .arg(m_port.deviceName()));
    else
        ui.lblNote->hide();
    CurrentSettings();
    ui.txtCommPort->setFocus();
    ui.txtCommPort->selectAll();
}

frmSetupComm::~frmSetupComm() = default;

QGroupBox* frmSetupComm::buildPortFrame() {
    auto* frame = new QGroupBox(QStringLiteral("Comm Port"), this);
    auto* row = new QHBoxLayout(frame);
    ui.txtCommPort = new QLineEdit(frame);
    ui.txtCommPort->setObjectName(QStringLiteral("txtCommPort"));
    ui.txtCommPort->setMaximumWidth(50);
    ui.txtCommPort->installEventFilter(this);
    // A typed number names the port again, instead of a device Find Board found.
    connect(ui.txtCommPort, &QLineEdit::textEdited, this, [this] { showDevice({}); });
    ui.updCommPort = new UpDown(frame);
    ui.updCommPort->setObjectName(QStringLiteral("updCommPort"));
    ui.updCommPort->setRange(kMinCommPort, kMaxCommPort);
    connect(ui.updCommPort, &UpDown::stepped, this, &frmSetupComm::spin);
    row->setSpacing(0);
    row->addWidget(ui.txtCommPort);
    row->addWidget(ui.updCommPort);
    row->addStretch();
    return frame;
}

QGroupBox* frmSetupComm::buildSpeedFrame() {
    auto* frame = new QGroupBox(QStringLiteral("Port Speed"), this);
    auto* column = new QVBoxLayout(frame);
    for (int i = 0; i < 2; ++i) {
        auto* o = new QRadioButton(QString::number(kSpeeds[i]), frame);
        o->setObjectName(QStringLiteral("optPortSpeed%1").arg(i));
        column->addWidget(o);
        ui.optPortSpeed[size_t(i)] = o;
    }
    return frame;
}

QGroupBox* frmSetupComm::buildFindFrame() {
    auto* frame = new QGroupBox(QStringLiteral("Find Board"), this);
    auto* grid = new QGridLayout(frame);
    ui.cmdFindBoard = namedButton(QStringLiteral("&Find Board"), "cmdFindBoard", frame);
    ui.cmdFindBoard->setAutoDefault(false);
    connect(ui.cmdFindBoard, &QPushButton::clicked, this, &frmSetupComm::cmdFindBoard_Click);
    ui.lblDevice = new QLabel(frame);
    ui.lblDevice->setObjectName(QStringLiteral("lblDevice"));
    ui.lblDevice->setToolTip(QStringLiteral("Save uses this device instead of a port number."));
    ui.cmdUsePort = namedButton(QStringLiteral("Use a &Port Number"), "cmdUsePort", frame);
    ui.cmdUsePort->setAutoDefault(false);
    ui.cmdUsePort->hide();
    connect(ui.cmdUsePort, &QPushButton::clicked, this, [this] {
        showDevice({});
        ui.txtCommPort->setFocus();
        ui.txtCommPort->selectAll();
    });
    ui.lstPorts = new QListWidget(frame);
    ui.lstPorts->setObjectName(QStringLiteral("lstPorts"));
    ui.lstPorts->setFocusPolicy(Qt::NoFocus);
    ui.lstPorts->setMinimumSize(460, 110);
    grid->addWidget(ui.cmdFindBoard, 0, 0);
    grid->addWidget(ui.lblDevice, 0, 1);
    grid->addWidget(ui.cmdUsePort, 0, 2);
    grid->addWidget(ui.lstPorts, 1, 0, 1, 3);
    return frame;
}

QGroupBox* frmSetupComm::buildNetworkFrame() {
    auto* frame = new QGroupBox(QStringLiteral("Network"), this);
    auto* row = new QHBoxLayout(frame);
    ui.chkNetwork = new QCheckBox(QStringLiteral("&Network device server"), frame);
    ui.chkNetwork->setObjectName(QStringLiteral("chkNetwork"));
    ui.cboNetProtocol = new QComboBox(frame);
    ui.cboNetProtocol->setObjectName(QStringLiteral("cboNetProtocol"));
    ui.cboNetProtocol->addItems({QStringLiteral("RFC 2217"), QStringLiteral("Raw TCP")});
    ui.txtNetHost = new QLineEdit(frame);
    ui.txtNetHost->setObjectName(QStringLiteral("txtNetHost"));
    ui.txtNetHost->setPlaceholderText(QStringLiteral("host"));
    ui.txtNetPort = new QLineEdit(frame);
    ui.txtNetPort->setObjectName(QStringLiteral("txtNetPort"));
    ui.txtNetPort->setPlaceholderText(QStringLiteral("port"));
    ui.txtNetPort->setMaximumWidth(70);
    row->addWidget(ui.chkNetwork);
    row->addWidget(ui.cboNetProtocol);
    row->addWidget(ui.txtNetHost, 1);
    row->addWidget(ui.txtNetPort);
    for (QWidget* w :
         {static_cast<QWidget*>(ui.cboNetProtocol), static_cast<QWidget*>(ui.txtNetHost),
          static_cast<QWidget*>(ui.txtNetPort)}) {
        w->setEnabled(false);
        connect(ui.chkNetwork, &QCheckBox::toggled, w, &QWidget::setEnabled);
    }
    // A device server replaces a found device: the dialog names only what Save uses.
    connect(ui.chkNetwork, &QCheckBox::toggled, this, [this](bool on) {
        if (on) showDevice({});
    });
    return frame;
}

void frmSetupComm::showNetwork(const QString& device) {
    const std::optional<NetworkDevice> d =
        isNetworkDevice(device) ? parseNetworkDevice(device, nullptr) : std::nullopt;
    ui.chkNetwork->setChecked(d.has_value());
    if (!d) return;
    ui.cboNetProtocol->setCurrentIndex(d->rfc2217 ? 0 : 1);
    ui.txtNetHost->setText(d->host);
    ui.txtNetPort->setText(QString::number(d->port));
}

std::optional<QString> frmSetupComm::networkDevice() {
    bool ok = false;
    const uint port = ui.txtNetPort->text().trimmed().toUInt(&ok);
    const NetworkDevice d{ui.cboNetProtocol->currentIndex() == 0, ui.txtNetHost->text().trimmed(),
                          quint16(ok && port <= 65535 ? port : 0)};
    QString why;
    QLineEdit* wrong = ui.txtNetHost;
    if (d.host.isEmpty()) {
        why = QStringLiteral("Enter the host name or address of the device server.");
    } else if (d.port == 0) {
        why = QStringLiteral("The device server's port must be a number from 1 to 65535.");
        wrong = ui.txtNetPort;
    } else if (parseNetworkDevice(networkDeviceText(d), &why)) {
        return networkDeviceText(d);
    }
    m_prompt.message(QStringLiteral("Network device server"), why, MsgButtons::Ok,
                     MsgIcon::Information);
    ui.cmdSave->setDown(false);
    wrong->setFocus();
    return std::nullopt;
}

void frmSetupComm::showDevice(const QString& device) {
    if (m_device.isEmpty() && !device.isEmpty()) m_heldPort = ui.txtCommPort->text();
    if (device.isEmpty() && ui.txtCommPort->text().isEmpty()) ui.txtCommPort->setText(m_heldPort);
    m_device = device;
    const bool named = !device.isEmpty();
    if (named) ui.txtCommPort->clear();
    ui.txtCommPort->setEnabled(!named);
    ui.updCommPort->setEnabled(!named);
    ui.cmdUsePort->setVisible(named);
    ui.lblDevice->setText(named ? QStringLiteral("Device: ") + device : QString());
}

void frmSetupComm::CurrentSettings() {
    const QString path = m_link.CommSettingsFile();
    QString why;
    const std::optional<PortSettings> read = loadCommSettings(path, &why);
    if (!read)
        m_prompt.message(
            QStringLiteral("SetupComm CurrentSettings"),
            errorNumberText(75, QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), why)),
            MsgButtons::Ok, MsgIcon::Information);
    const PortSettings s = read.value_or(PortSettings{});
    ui.txtCommPort->setText(QString::number(s.portNumber));
    ui.optPortSpeed[s.baud == 19200 ? 1 : 0]->setChecked(true);
    showNetwork(s.device);
    showDevice(isNetworkDevice(s.device) ? QString() : s.device);
}

bool frmSetupComm::checkPortField() {
    if (commPortFromText(ui.txtCommPort->text())) return true;
    m_prompt.message(QStringLiteral("Comm Port"),
                     QStringLiteral("Only a Number Between %1 and %2 can be Entered")
                         .arg(kMinCommPort)
                         .arg(kMaxCommPort),
                     MsgButtons::Ok, MsgIcon::Information);
    // A click that moved the focus must not leave its button pressed behind the message.
    for (QPushButton* b : {ui.cmdSave, ui.cmdFindBoard})
        b->setDown(false);
    ui.txtCommPort->setFocus();
    return false;
}

// After the focus change has ended, so the range message does not nest in it. Moving to
// Cancel is never stopped: Cancel always closes.
void frmSetupComm::checkAfterLeaving() {
    QWidget* now = QApplication::focusWidget();
    if (!isVisible() || now == ui.txtCommPort || now == ui.cmdCancel || !isAncestorOf(now) ||
        !m_device.isEmpty())
        return;
    checkPortField();
}

bool frmSetupComm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui.txtCommPort && event->type() == QEvent::FocusOut) {
        const Qt::FocusReason why = static_cast<QFocusEvent*>(event)->reason();
        if (why != Qt::PopupFocusReason && why != Qt::ActiveWindowFocusReason)
            QTimer::singleShot(0, this, &frmSetupComm::checkAfterLeaving);
    }
    return QDialog::eventFilter(watched, event);
}

void frmSetupComm::spin(int direction) {
    const int from = commPortFromText(ui.txtCommPort->text()).value_or(kMinCommPort);
    ui.txtCommPort->setText(QString::number(qBound(kMinCommPort, from + direction, kMaxCommPort)));
    showDevice({});
}

QString frmSetupComm::saveSettings(const PortSettings& s) {
    return saveCommPortFiles(m_link.CommSettingsSaveFile(), m_programFolder, s);
}

void frmSetupComm::cmdSave_Click() {
    if (m_search || (m_device.isEmpty() && !checkPortField())) return;
    const std::optional<QString> network =
        ui.chkNetwork->isChecked() ? networkDevice() : std::optional<QString>(m_device);
    if (!network) return;
    m_link.CloseRSComm();
    PortSettings s;
    // With a device the number is only kept in the file for a later run without it.
    s.portNumber = m_device.isEmpty() ? *commPortFromText(ui.txtCommPort->text())
                                      : commPortFromText(m_heldPort).value_or(kMinCommPort);
    s.baud = ui.optPortSpeed[1]->isChecked() ? 19200 : 9600;
    s.device = *network;
    const QString why = saveSettings(s);
    // Back online whatever the save did: a failed write must not also cost the link.
    if (m_wasOnline) m_link.setOnlineMode(true);
    if (!why.isEmpty()) {
        m_prompt.message(QStringLiteral("SetupComm"), errorNumberText(75, why), MsgButtons::Ok,
                         MsgIcon::Information);
        return;
    }
    if (!m_wasOnline || m_link.OnlineMode()) accept();
}

void frmSetupComm::cmdCancel_Click() {
    reject();
}

void frmSetupComm::reject() {
    m_search.reset(); // a search in progress ends before its next probe
    QDialog::reject();
}

void frmSetupComm::cmdFindBoard_Click() {
    if (m_search) return;
    const SerialPort* held = m_link.port();
    const QString skip = held && held->isOpen() ? held->deviceName() : QString();
    ui.lstPorts->clear();
    const std::vector<PortCandidate> ports = listSerialPorts();
    for (const PortCandidate& p : ports)
        ui.lstPorts->addItem(candidateLine(p));
    if (ports.empty()) {
        ui.lstPorts->addItem(QStringLiteral("No serial ports were found on this computer."));
        return;
    }
    m_search = std::make_unique<BoardSearch>(ports, skip);
    ui.cmdFindBoard->setEnabled(false);
    ui.cmdSave->setEnabled(false);
    QTimer::singleShot(0, this, &frmSetupComm::findStep);
}

// One probe per event, so the dialog is drawn and Cancel is taken between them.
void frmSetupComm::findStep() {
    if (!m_search) return;
    if (m_search->done()) {
        endSearch();
        return;
    }
    ui.lstPorts->addItem(probeResultText(m_search->step()));
    ui.lstPorts->scrollToBottom();
    QTimer::singleShot(0, this, &frmSetupComm::findStep);
}

void frmSetupComm::endSearch() {
    const std::optional<ProbeResult> found = m_search->found();
    m_search.reset();
    ui.cmdFindBoard->setEnabled(true);
    ui.cmdSave->setEnabled(true);
    if (!found) {
        ui.lstPorts->addItem(QStringLiteral("No board answered on any port."));
        return;
    }
    ui.lstPorts->addItem(
        QStringLiteral("The board answered on %1 at %2.").arg(found->port.device).arg(found->baud));
    if (found->port.portNumber > 0) {
        ui.txtCommPort->setText(QString::number(found->port.portNumber));
        showDevice({});
    } else {
        showDevice(found->port.device);
    }
    ui.optPortSpeed[found->baud == 19200 ? 1 : 0]->setChecked(true);
    ui.cmdSave->setFocus();
}

} // namespace kalvex
