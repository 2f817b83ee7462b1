#pragma once
#include <QByteArray>
#include <QString>

#include <optional>

namespace kalvex {

// Every file the program writes goes through saveFileAtomically, and every file it reads from
// elsewhere through readLimitedFile.

// Why `path` cannot be written or read as a file: empty when it is a regular file or absent.
// Devices, FIFOs and folders are refused before they are opened (a FIFO would block).
QString notRegularFileProblem(const QString& path);

// Replaces `path` with `bytes` through a QSaveFile, checking every write and the flush before
// the commit (a buffered write's flush error is otherwise lost). Empty on success; otherwise
// why, and the earlier file is whole.
QString saveFileAtomically(const QString& path, const QByteArray& bytes);

// Reads a regular file of at most `limit` bytes; nothing, with why in `error`, otherwise.
std::optional<QByteArray> readLimitedFile(const QString& path, qint64 limit, QString* error);

} // namespace kalvex
