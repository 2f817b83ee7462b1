#include "data/pages/CommPortTable.h"

#include <QDir>

namespace kalvex::commport {

QString deviceText(const QString& device) {
    return device.isEmpty() ? QString() : QStringLiteral("Device: ") + device;
}

QString savedInText(const QString& path) {
    return QStringLiteral("Saved in %1").arg(QDir::toNativeSeparators(path));
}

QString deviceRunNote(const QString& device) {
    return QStringLiteral("This run talks to %1 (--device or --simulate): the port number is "
                          "saved, but used only when KALVEX starts without them.")
        .arg(device);
}

QString answeredText(const QString& device, int baud) {
    return QStringLiteral("The board answered on %1 at %2.").arg(device).arg(baud);
}

} // namespace kalvex::commport
