#pragma once
#include "data/FileChooser.h"

#include <QPointer>
#include <QWidget>

namespace kalvex {

// The file-open and file-save dialogs of the desktop.
class QtFileChooser final : public FileChooser {
  public:
    void setParentWindow(QWidget* w) { m_parent = w; }

    std::optional<QString> openFile(const QString& filter, const QString& initialPath) override;
    std::optional<QString> saveFile(const QString& filter, const QString& initialPath) override;

  private:
    QPointer<QWidget> m_parent;
};

} // namespace kalvex
