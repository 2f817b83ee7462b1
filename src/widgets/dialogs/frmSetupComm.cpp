#include "widgets/dialogs/frmSetupComm.h"

#include "data/pages/CommPortTable.h"
#include "link/CommSettings.h"
#include "link/NetworkPort.h"
#include "link/PortProbe.h"
#include "link/Prompt.h"
#include "link/RSComm.h"
#include "widgets/pages/EntryFieldGroup.h"
#include "widgets/pages/PageControls.h"
#include "widgets/pages/Stepper.h"
#include "widgets/pages/UpDown.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kalvex {

using namespace commport;

namespace {

QLineEdit* namedEdit(const char* name, const char* placeholder, QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setPlaceholderText(QLatin1String(placeholder));
    return e;
}

} // namespace

frmSetupComm::frmSetupComm(RSComm& link, SerialPort& port, Prompt& prompt, QString programFolder,
                           QWidget* parent)
    : QDialog(parent), m_link(link), m_port(port), m_prompt(prompt),
      m_programFolder(std::move(programFolder)), m_wasOnline(link.OnlineMode()) {
    setObjectName(QStringLiteral("frmSetupComm"));
    setWindowTitle(kWindowTitle);
    ui.cmdSave = controls::button(kSave, QStringLiteral("cmdSave"), this);
    ui.cmdCancel = controls::button(kCancel, QStringLiteral("cmdCancel"), this);
    ui.cmdSave->setDefault(true); // Enter saves, and Save checks the field first
    connect(ui.cmdSave, &QPushButton::clicked, this, &frmSetupComm::cmdSave_Click);
    connect(ui.cmdCancel, &QPushButton::clicked, this, &frmSetupComm::cmdCancel_Click);
    m_finder = new Stepper(this, m_link, [this] { return findStep(); });

    auto* top = new QHBoxLayout;
    top->addWidget(buildPortFrame());
    top->addWidget(buildSpeedFrame());
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ui.cmdSave);
    buttons->addWidget(ui.cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    ui.lblNote = controls::label(QString(), QStringLiteral("lblNote"), this);
    ui.lblNote->setWordWrap(true);
    layout->addWidget(ui.lblNote);
    QLabel* target = controls::label(savedInText(link.CommSettingsSaveFile()),
                                     QStringLiteral("lblSettingsFile"), this);
    target->setWordWrap(true);
    layout->addWidget(target);
    layout->addWidget(buildNetworkFrame());
    layout->addWidget(buildFindFrame());
    layout->addLayout(buttons);
    if (!m_port.usesPortNumber())
        ui.lblNote->setText(deviceRunNote(m_port.deviceName()));
    else
        ui.lblNote->hide();
    CurrentSettings();
    ui.txtCommPort->setFocus();
    ui.txtCommPort->selectAll();
}

frmSetupComm::~frmSetupComm() = default;

QGroupBox* frmSetupComm::buildPortFrame() {
    QGroupBox* frame = controls::frame(kPortFrame, QStringLiteral("fraCommPort"), this);
    const controls::Entry e =
        controls::entry(QStringLiteral("txtCommPort"), QStringLiteral("updCommPort"), frame, 50);
    (new QHBoxLayout(frame))->addLayout(e.box);
    ui.txtCommPort = e.text;
    ui.updCommPort = e.spin;
    // A typed number names the port again, instead of a device Find Board found.
    connect(e.text, &QLineEdit::textEdited, this, [this] { showDevice({}); });
    EntryFieldConfig c;
    c.title = kPortFrame;
    c.editingFlag = false;  // a port Find Board found is shown whatever the field is doing
    c.commitStores = false; // nothing is kept before Save
    c.keepRefusedText = true;
    c.dialogKeys = true;
    c.spinAction = [this](int) { showDevice({}); };
    // Cancel always closes; a device in the field's place leaves nothing to check.
    c.commitOnFocusLoss = [this] {
        return m_device.isEmpty() && QApplication::focusWidget() != ui.cmdCancel;
    };
    m_fields = new EntryFieldGroup(nullptr, m_link, m_prompt, nullptr, this);
    m_portField = m_fields->add(0, e.text, e.spin, std::move(c), {kMinCommPort, kMaxCommPort});
    return frame;
}

QGroupBox* frmSetupComm::buildSpeedFrame() {
    QGroupBox* frame = controls::frame(kSpeedFrame, QStringLiteral("fraPortSpeed"), this);
    auto* column = new QVBoxLayout(frame);
    for (size_t i = 0; i < kSpeeds.size(); ++i) {
        auto* o = new QRadioButton(QString::number(kSpeeds[i]), frame);
        o->setObjectName(controls::indexed("optPortSpeed", int(i)));
        column->addWidget(o);
        ui.optPortSpeed[i] = o;
    }
    return frame;
}

QGroupBox* frmSetupComm::buildFindFrame() {
    QGroupBox* frame = controls::frame(kFindFrame, QStringLiteral("fraFindBoard"), this);
    auto* grid = new QGridLayout(frame);
    ui.cmdFindBoard = controls::button(kFindBoard, QStringLiteral("cmdFindBoard"), frame);
    connect(ui.cmdFindBoard, &QPushButton::clicked, this, &frmSetupComm::cmdFindBoard_Click);
    ui.lblDevice = controls::label(QString(), QStringLiteral("lblDevice"), frame);
    ui.lblDevice->setToolTip(kDeviceTip);
    ui.cmdUsePort = controls::button(kUsePort, QStringLiteral("cmdUsePort"), frame);
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
    QGroupBox* frame = controls::frame(kNetworkFrame, QStringLiteral("fraNetwork"), this);
    auto* row = new QHBoxLayout(frame);
    ui.chkNetwork = new QCheckBox(kNetworkCheck, frame);
    ui.chkNetwork->setObjectName(QStringLiteral("chkNetwork"));
    ui.cboNetProtocol = new QComboBox(frame);
    ui.cboNetProtocol->setObjectName(QStringLiteral("cboNetProtocol"));
    for (const char* protocol : kNetProtocols)
        ui.cboNetProtocol->addItem(QLatin1String(protocol));
    ui.txtNetHost = namedEdit("txtNetHost", "host", frame);
    ui.txtNetPort = namedEdit("txtNetPort", "port", frame);
    ui.txtNetPort->setMaximumWidth(70);
    row->addWidget(ui.chkNetwork);
    row->addWidget(ui.cboNetProtocol);
    row->addWidget(ui.txtNetHost, 1);
    row->addWidget(ui.txtNetPort);
    for (QWidget* w :
         std::initializer_list<QWidget*>{ui.cboNetProtocol, ui.txtNetHost, ui.txtNetPort}) {
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
        why = kNoHost;
    } else if (d.port == 0) {
        why = kBadNetPort;
        wrong = ui.txtNetPort;
    } else if (parseNetworkDevice(networkDeviceText(d), &why)) {
        return networkDeviceText(d);
    }
    m_prompt.message(kNetworkTitle, why, MsgButtons::Ok, MsgIcon::Information);
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
    ui.lblDevice->setText(deviceText(device));
}

void frmSetupComm::CurrentSettings() {
    const QString path = m_link.CommSettingsFile();
    QString why;
    const std::optional<PortSettings> read = loadCommSettings(path, &why);
    if (!read)
        m_prompt.message(
            kLoadTitle,
            errorNumberText(75, QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), why)),
            MsgButtons::Ok, MsgIcon::Information);
    const PortSettings s = read.value_or(PortSettings{});
    m_portField->showValue(QString::number(s.portNumber));
    ui.optPortSpeed[size_t(speedOption(s.baud))]->setChecked(true);
    showNetwork(s.device);
    showDevice(isNetworkDevice(s.device) ? QString() : s.device);
}

QString frmSetupComm::saveSettings(const PortSettings& s) {
    return saveCommPortFiles(m_link.CommSettingsSaveFile(), m_programFolder, s);
}

void frmSetupComm::cmdSave_Click() {
    if (m_search || (m_device.isEmpty() && !m_portField->commitNow())) return;
    const std::optional<QString> network =
        ui.chkNetwork->isChecked() ? networkDevice() : std::optional<QString>(m_device);
    if (!network) return;
    m_link.CloseRSComm();
    PortSettings s;
    // With a device the number is only kept in the file for a later run without it.
    s.portNumber = m_device.isEmpty() ? *commPortFromText(ui.txtCommPort->text())
                                      : commPortFromText(m_heldPort).value_or(kMinCommPort);
    s.baud = kSpeeds[ui.optPortSpeed[1]->isChecked() ? 1 : 0];
    s.device = *network;
    const QString why = saveSettings(s);
    // Back online whatever the save did: a failed write must not also cost the link.
    if (m_wasOnline) m_link.setOnlineMode(true);
    if (!why.isEmpty()) {
        m_prompt.message(kSaveTitle, errorNumberText(75, why), MsgButtons::Ok,
                         MsgIcon::Information);
        return;
    }
    if (!m_wasOnline || m_link.OnlineMode()) accept();
}

void frmSetupComm::cmdCancel_Click() {
    reject();
}

void frmSetupComm::reject() {
    m_finder->stop(); // a search in progress ends before its next probe
    m_search.reset();
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
        ui.lstPorts->addItem(kNoPorts);
        return;
    }
    m_search = std::make_unique<BoardSearch>(ports, skip);
    ui.cmdFindBoard->setEnabled(false);
    ui.cmdSave->setEnabled(false);
    m_finder->start();
}

int frmSetupComm::findStep() {
    if (!m_search) return -1;
    if (m_search->done()) {
        endSearch();
        return -1;
    }
    ui.lstPorts->addItem(probeResultText(m_search->step()));
    ui.lstPorts->scrollToBottom();
    return 0;
}

void frmSetupComm::endSearch() {
    const std::optional<ProbeResult> found = m_search->found();
    m_search.reset();
    ui.cmdFindBoard->setEnabled(true);
    ui.cmdSave->setEnabled(true);
    if (!found) {
        ui.lstPorts->addItem(kNoAnswer);
        return;
    }
    ui.lstPorts->addItem(answeredText(found->port.device, found->baud));
    if (found->port.portNumber > 0) {
        m_portField->showValue(QString::number(found->port.portNumber));
        showDevice({});
    } else {
        showDevice(found->port.device);
    }
    ui.optPortSpeed[size_t(speedOption(found->baud))]->setChecked(true);
    ui.cmdSave->setFocus();
}

} // namespace kalvex
