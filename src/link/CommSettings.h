#pragma once
#include "link/SerialPort.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace kalvex {

// RSPort.cfg: one line, the port number, a comma and the speed, ended by CR LF. A device named
// by Find Board (a path, or rfc2217:// or socket:// and host:port) follows as a third field;
// readers that take two fields ignore it.
constexpr int kMinCommPort = 1;
constexpr int kMaxCommPort = 99;
constexpr qint64 kCommSettingsLimit = 4096; // one short line; anything longer is not the file

// The settings a file's first line gives: the port clamped to 1-99 (rounded half to even), the
// speed 19200 only when it says so, otherwise 9600; a third field only when it names a device.
// Nothing, with why, when the line does not start with a port number and a speed: a guess
// would open a port nobody chose.
std::optional<PortSettings> parseCommSettings(const QByteArray& bytes, QString* why = nullptr);
QByteArray formatCommSettings(const PortSettings& settings);
// The port an operator typed: a number from 1 to 99, rounded half to even; nothing otherwise.
std::optional<int> commPortFromText(const QString& text);

// What a file holds: the defaults when it is absent or empty; nothing, with why, when it
// cannot be read or its first line gives no settings.
std::optional<PortSettings> loadCommSettings(const QString& path, QString* why);
// Replaces the file whole (its folder made when missing). Empty on success; otherwise why,
// naming the path, and the old file is left as it was.
QString saveCommSettings(const QString& path, const PortSettings& settings);

// Why `path` cannot be replaced, naming it; empty when it can. Tried (a file made beside it, an
// existing one opened for writing), not guessed from permission bits, which say nothing to
// root or about a read-only mount. A missing folder counts as writable when it can be made.
QString whyNotWritable(const QString& path);

// ORVILO.SFG for the board development tools, in ORV51, ORV96 and DIV51 under the program
// folder, in that order, only for the folders that exist (they are never made).
QStringList toolPortFiles(const QString& programFolder);

// The comm port save: the settings file and each tool file (the port number minus 1). Every
// file is tried before any is written, so one that cannot be written leaves them all as they
// were and the answer names each such file. Should a write still fail, the answer says which
// files were written and which were not. Empty on success.
QString saveCommPortFiles(const QString& settingsPath, const QString& programFolder,
                          const PortSettings& settings);

} // namespace kalvex
