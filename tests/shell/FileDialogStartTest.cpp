#include "widgets/shell/FileDialogStart.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace kalvex {
namespace {

TEST(FileDialogStart, ProposedNamesAreOnesEveryFileSystemTakes) {
    const std::pair<QString, QString> cases[] = {
        {"KALVEX Report - [line3.sdt]", "KALVEX Report - [line3.sdt]"},
        {"KALVEX Report: 12/08/2026 10:20", "KALVEX Report- 12-08-2026 10-20"},
        {"a*b?c\"d<e>f|g\\h", "a-b-c-d-e-f-g-h"},
        {"tab\there", "tab-here"},
        {"ends with dots. . ", "ends with dots"},
    };
    for (const auto& [name, safe] : cases)
        EXPECT_EQ(safeFileName(name), safe) << qPrintable(name);
}

TEST(FileDialogStart, OpensByTheNamedFileElseTheLastFolderElseDocuments) {
    QTemporaryDir dir;
    const QString open = dir.filePath("open"), last = dir.filePath("last"),
                  docs = dir.filePath("docs");
    for (const QString& f : {open, last, docs})
        QDir().mkpath(f);
    const QString gone = dir.filePath("gone");
    const struct {
        QString initial, remembered, documents, expected;
    } cases[] = {
        {open + "/A.sdt", last, docs, open}, // the file that is open
        {open + "/*.sdt", last, docs, last}, // a pattern names no file
        {"", last, docs, last},              // nothing named
        {"", gone, docs, docs},              // a remembered folder since removed
        {gone + "/A.sdt", "", docs, docs},   // a named file in a folder since removed
        {"", "", gone, QDir::homePath()},    // no documents folder either
    };
    for (const auto& c : cases)
        EXPECT_EQ(startFolder(c.initial, c.remembered, c.documents), c.expected)
            << qPrintable(c.initial + " | " + c.remembered);
}

} // namespace
} // namespace kalvex
