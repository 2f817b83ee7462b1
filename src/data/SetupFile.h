#pragma once
#include "data/SetupData.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace kalvex {

// The .sdt set-up file: the record laid out little-endian from the first byte, texts as one
// Latin-1 byte per character, each array as dimension count, item count, lowest index, items.

// Limits far above any real file (1747 items, about 19 KB), so garbage is refused before
// anything is allocated for it.
inline constexpr qint64 kMaxSetupFileBytes = 4 * 1024 * 1024;
inline constexpr qint32 kMaxSetupItems = 65535;

QByteArray encodeSetupData(const SetupData& data);

// Decodes untrusted bytes. On failure returns nothing and says why in `error`.
std::optional<SetupData> decodeSetupData(const QByteArray& bytes, QString* error);

// Reads and decodes a file; the error names the file.
std::optional<SetupData> readSetupFile(const QString& path, QString* error);

// Replaces the file atomically: on failure the earlier file stays whole.
bool writeSetupFile(const QString& path, const SetupData& data, QString* error);

} // namespace kalvex
