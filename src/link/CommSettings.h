#pragma once
#include "link/SerialPort.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace kalvex {

// RSPort.cfg: one line, the port number, a comma and the speed, ended by CR LF. A device named
// by Find Board follows as a third field; readers that take two fields ignore it.
constexpr int kMinCommPort = 1;
constexpr int kMaxCommPort = 99;
constexpr qint64 kCommSettingsLimit = 4096; // one short line; anything longer is not the file

// The settings a file's first line gives: the port clamped to 1-99 (rounded half to even), the
// speed 19200 only when it says so, otherwise the defaults.
PortSettings parseCommSettings(const QByteArray& bytes);
QByteArray formatCommSettings(const PortSettings& settings);
// The port an operator typed: a number from 1 to 99, rounded half to even; nothing otherwise.
std::optional<int> commPortFromText(const QString& text);

// What a file holds: the defaults when it is absent or empty; nothing, with why, when it
// cannot be read.
std::optional<PortSettings> loadCommSettings(const QString& path, QString* why);
// Replaces the file whole (its folder made when missing). Empty on success; otherwise why,
// naming the path, and the old file is left as it was.
QString saveCommSettings(const QString& path, const PortSettings& settings);

// ORVILO.SFG for the board development tools: the port number minus 1, in each of the tool
// folders ORV51, ORV96 and DIV51 that exists under the program folder (never created). Writes
// in that order and stops at the first failure; `written` receives each file replaced.
QString writeToolPortFiles(const QString& programFolder, int portNumber,
                           QStringList* written = nullptr);

} // namespace kalvex
