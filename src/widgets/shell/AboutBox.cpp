#include "widgets/shell/AboutBox.h"

#include "link/RSComm.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace kalvex {

namespace {

QString lineText(const RSComm& link) {
    const SerialPort* port = link.port();
    if (!port || !port->isOpen()) return QStringLiteral("Serial line: not open (offline)");
    return QStringLiteral("Serial line: %1, %2 baud, low latency %3")
        .arg(port->deviceName())
        .arg(link.portSettings().baud)
        .arg(port->lowLatency() ? QStringLiteral("on") : QStringLiteral("off"));
}

} // namespace

QString AboutBox::systemInfoTool() {
    for (const char* name : {"msinfo32", "kinfocenter", "hardinfo2", "hardinfo"}) {
        const QString path = QStandardPaths::findExecutable(QLatin1String(name));
        if (!path.isEmpty()) return path;
    }
    return QString();
}

AboutBox::AboutBox(const RSComm& link, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About KALVEX"));
    auto* name = new QLabel(QStringLiteral("<h2>KALVEX</h2>"), this);
    auto* text = new QLabel(
        QStringLiteral("Set-up and monitoring utility for the P9100 control board\n\n"
                       "Version %1\n\n"
                       "For support, call the service department of your machine supplier.\n\n%2")
            .arg(QStringLiteral(KALVEX_VERSION), lineText(link)),
        this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    QPushButton* info =
        buttons->addButton(QStringLiteral("&System Info..."), QDialogButtonBox::ActionRole);
    const QString tool = systemInfoTool();
    info->setEnabled(!tool.isEmpty());
    if (tool.isEmpty())
        info->setToolTip(QStringLiteral("No system information tool is installed."));
    connect(info, &QPushButton::clicked, this, [tool] { QProcess::startDetached(tool, {}); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(name);
    layout->addWidget(text);
    layout->addWidget(buttons);
}

} // namespace kalvex
