#pragma once
#include <QString>

#include <optional>

namespace kalvex {

// The file-open and file-save dialogs. The GUI shows the real dialogs; tests answer from a
// script. `filter` is in Qt form ("Setup Files(*.sdt)"). Empty optional when cancelled.
class FileChooser {
  public:
    virtual ~FileChooser() = default;
    // The file must exist; read-only box hidden.
    virtual std::optional<QString> openFile(const QString& filter, const QString& initialPath) = 0;
    // Asks before overwriting; read-only box hidden.
    virtual std::optional<QString> saveFile(const QString& filter, const QString& initialPath) = 0;
};

} // namespace kalvex
