#pragma once
#include <QString>

namespace kalvex {

// A name any file system takes: the characters Windows, a FAT stick or a network share refuse
// (and control characters) become '-', trailing dots and blanks go.
QString safeFileName(const QString& name);

// The folder a file dialog opens in: the folder of a file already named (the set-up file that
// is open), else the one last used for this kind of file, else the user's documents folder.
// Folders that no longer exist are passed over.
QString startFolder(const QString& initialPath, const QString& remembered,
                    const QString& documents);

// The last folder a file of this kind (its filter) was chosen in, kept between runs.
QString rememberedFolder(const QString& kind);
void rememberFolder(const QString& kind, const QString& chosenFile);
QString documentsFolder();

} // namespace kalvex
