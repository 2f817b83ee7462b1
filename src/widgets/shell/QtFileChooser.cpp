#include "widgets/shell/QtFileChooser.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScreen>

namespace kalvex {

namespace {

// "folder/*.sdt" starts in the folder with nothing chosen; a real name is preselected.
std::optional<QString> runDialog(QWidget* parent, QFileDialog::AcceptMode mode,
                                 const QString& filter, const QString& initialPath) {
    QFileDialog dialog(parent, mode == QFileDialog::AcceptOpen ? QStringLiteral("Open")
                                                               : QStringLiteral("Save As"));
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    dialog.setNameFilter(filter);
    // A name typed without extension gets the filter's, as the dialog's filter promises.
    const QRegularExpressionMatch suffix =
        QRegularExpression(QStringLiteral("\\*\\.(\\w+)")).match(filter);
    if (mode == QFileDialog::AcceptSave && suffix.hasMatch())
        dialog.setDefaultSuffix(suffix.captured(1));
    const QFileInfo initial(initialPath);
    if (!initialPath.isEmpty()) {
        dialog.setDirectory(initial.absolutePath());
        if (!initial.fileName().contains(u'*')) dialog.selectFile(initial.fileName());
    }
    // Big enough for the name, size, type and date columns at once.
    const QSize screen = dialog.screen()->availableSize();
    dialog.resize(qMin(screen.width() * 9 / 10, 860), qMin(screen.height() * 9 / 10, 540));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().front();
}

} // namespace

std::optional<QString> QtFileChooser::openFile(const QString& filter, const QString& initialPath) {
    return runDialog(m_parent, QFileDialog::AcceptOpen, filter, initialPath);
}

std::optional<QString> QtFileChooser::saveFile(const QString& filter, const QString& initialPath) {
    return runDialog(m_parent, QFileDialog::AcceptSave, filter, initialPath);
}

} // namespace kalvex
