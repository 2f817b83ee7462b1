#pragma once
#include <QString>

#include <array>

namespace kalvex::commport {

// The comm port dialog's captions, messages and the speeds it offers.
constexpr std::array<int, 2> kSpeeds{9600, 19200};
// The speed option a saved or found speed selects: 19200 its own, anything else 9600.
constexpr int speedOption(int baud) {
    return baud == kSpeeds[1] ? 1 : 0;
}

inline const QString kWindowTitle = QStringLiteral("Comm Port Settings");
inline const QString kPortFrame = QStringLiteral("Comm Port"); // and the range message's title
inline const QString kSpeedFrame = QStringLiteral("Port Speed");
inline const QString kFindFrame = QStringLiteral("Find Board");
inline const QString kNetworkFrame = QStringLiteral("Network");
inline const QString kSave = QStringLiteral("&Save");
inline const QString kCancel = QStringLiteral("&Cancel");
inline const QString kFindBoard = QStringLiteral("&Find Board");
inline const QString kUsePort = QStringLiteral("Use a &Port Number");
inline const QString kNetworkCheck = QStringLiteral("&Network device server");
inline const std::array<const char*, 2> kNetProtocols{"RFC 2217", "Raw TCP"};
inline const QString kDeviceTip = QStringLiteral("Save uses this device instead of a port number.");

inline const QString kNoPorts = QStringLiteral("No serial ports were found on this computer.");
inline const QString kNoAnswer = QStringLiteral("No board answered on any port.");
inline const QString kNetworkTitle = QStringLiteral("Network device server");
inline const QString kNoHost =
    QStringLiteral("Enter the host name or address of the device server.");
inline const QString kBadNetPort =
    QStringLiteral("The device server's port must be a number from 1 to 65535.");
inline const QString kLoadTitle = QStringLiteral("SetupComm CurrentSettings");
inline const QString kSaveTitle = QStringLiteral("SetupComm");

// "Device: /dev/pts/5", or nothing without a device.
QString deviceText(const QString& device);
// Where Save writes, which need not be the program folder.
QString savedInText(const QString& path);
// This run talks to a device given on the command line, not to the port number saved.
QString deviceRunNote(const QString& device);
QString answeredText(const QString& device, int baud);

} // namespace kalvex::commport
