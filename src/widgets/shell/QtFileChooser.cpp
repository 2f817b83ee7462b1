#include "widgets/shell/QtFileChooser.h"

#include "widgets/shell/FileDialogStart.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScreen>

namespace kalvex {

namespace {

// A real name is preselected in its own folder; "folder/*.sdt" chooses nothing and starts where
// this kind of file was last chosen.
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
    dialog.setDirectory(startFolder(initialPath, rememberedFolder(filter), documentsFolder()));
    if (!initialPath.isEmpty() && !initial.fileName().contains(u'*'))
        dialog.selectFile(safeFileName(initial.fileName()));
    // Big enough for the name, size, type and date columns at once.
    const QSize screen = dialog.screen()->availableSize();
    dialog.resize(qMin(screen.width() * 9 / 10, 860), qMin(screen.height() * 9 / 10, 540));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    rememberFolder(filter, dialog.selectedFiles().front());
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
