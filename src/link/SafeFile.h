#pragma once
#include <QByteArray>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

namespace kalvex {

// Every file the program writes goes through saveFilesAtomically, and every file it reads from
// elsewhere through readLimitedFile.

// Why `path` cannot be written or read as a file: empty when it is a regular file or absent.
// Devices, FIFOs and folders are refused before they are opened (a FIFO would block).
QString notRegularFileProblem(const QString& path);

using FileContents = std::vector<std::pair<QString, QByteArray>>;

// Replaces every file through QSaveFile, checking each write and flush (a buffered write's
// flush error is otherwise lost). All are written in full before the first is committed, so a
// full disk or a refused path leaves every old file whole; only a commit (a rename) failing
// after an earlier one can leave that earlier file replaced. Empty on success; otherwise why,
// naming the file and the reason.
QString saveFilesAtomically(const FileContents& files);
QString saveFileAtomically(const QString& path, const QByteArray& bytes);

// Reads a regular file of at most `limit` bytes; nothing, with why in `error`, otherwise.
std::optional<QByteArray> readLimitedFile(const QString& path, qint64 limit, QString* error);

} // namespace kalvex
