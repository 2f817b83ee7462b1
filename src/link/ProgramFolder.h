#pragma once
#include <QString>

namespace kalvex {

// Path of `name` inside `dir`, matching an existing entry without regard to letter case
// (a "Support" or "SUPPORT" folder copied from Windows is used as it is). When nothing
// matches, the path with `name` as given.
QString childPath(const QString& dir, const QString& name);

// The support folder under the program folder.
QString supportFolder(const QString& programFolder);

// A file in the support folder ("RSPort.cfg", "FaultErrCodes.txt", ...).
QString supportFile(const QString& programFolder, const QString& fileName);

// The program folder of a program in `binDir`: `binDir` itself in a build (support/ beside the
// programs), or ../share/kalvex when installed (bin/ and share/ side by side, wherever the
// prefix is). When neither holds the support texts, `binDir`.
QString defaultProgramFolder(const QString& binDir);

// The folder for one user's settings (RSPort.cfg) when the program folder is not theirs to
// write: the per-user configuration folder, ~/.config/KALVEX on Linux.
QString userSettingsFolder();

// The system-wide RSPort.cfg of a program installed in `binDir` (PREFIX/bin): /etc/kalvex for
// the prefix /usr, else PREFIX/etc/kalvex. Empty when the program runs from a build folder
// (support/ beside it), whose program folder is its own to write.
QString systemSettingsFile(const QString& binDir);

} // namespace kalvex
