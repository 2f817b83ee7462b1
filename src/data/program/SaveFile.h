#pragma once
#include <QByteArray>
#include <QString>

#include <utility>
#include <vector>

namespace kalvex {

using FileContents = std::vector<std::pair<QString, QByteArray>>;

// Replaces files atomically, checking every write and each commit. All are written in full
// before the first is committed, so a full disk or a refused path leaves every earlier file
// whole; `why` names the file and the reason. Paths naming something other than a regular
// file are refused.
bool saveFilesAtomically(const FileContents& files, QString* why);

} // namespace kalvex
