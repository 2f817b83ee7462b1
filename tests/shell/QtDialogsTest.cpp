#include "ShellFixture.h"
#include "widgets/shell/FileDialogStart.h"
#include "widgets/shell/QtPrompt.h"

#include <QDir>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest/QTest>

namespace kalvex::test {
namespace {

// Long lists keep their head in the box and the whole in details; "Caption:\t\tvalue" is a grid.
TEST(QtPrompt, BoxShowsTitleTextIconAndAnswersTheButtonInputGivesTheText) {
    using B = MsgButtons;
    using I = MsgIcon;
    using Q = QMessageBox;
    QStringList list{"710 of 1,744 written and verified; 1,034 not sent.", ""};
    for (int i = 0; i < 1744; ++i)
        list << QStringLiteral("W%1  item").arg(2 * i);
    const QString td = "<td style='white-space:pre; padding-right:12px'>";
    const QString div = "<div style='white-space:pre'>";
    const QString grid = div + "On disk:</div><table cellspacing=0 cellpadding=1><tr>" + td +
                         "  Program Ident: </td>" + td + "K9</td></tr><tr>" + td +
                         "  Program Checksum: </td>" + td + "7 &amp; 8</td></tr></table>" + div +
                         "&nbsp;</div>" + div + "Go?</div>";
    const QString lines = "first\r\n\r\nsecond\rthird", shownLines = "first\n\nsecond\nthird";
    const std::tuple<QString, B, I, Q::Icon, Q::StandardButton, MsgAnswer, QString, QString>
        cases[] = {
            // clang-format off
        {lines, B::YesNo, I::Question, Q::Question, Q::No, MsgAnswer::No, shownLines, ""},
        {lines, B::YesNoCancel, I::Exclamation, Q::Warning, Q::Cancel, MsgAnswer::Cancel, shownLines, ""},
        {lines, B::RetryCancel, I::Critical, Q::Critical, Q::Retry, MsgAnswer::Retry, shownLines, ""},
        {lines, B::Ok, I::Information, Q::Information, Q::Ok, MsgAnswer::Ok, shownLines, ""},
        {list.join("\r\n"), B::Ok, I::Exclamation, Q::Warning, Q::Ok, MsgAnswer::Ok,
         list.mid(0, 10).join("\n") + "\n...\n\n1736 more lines: Show Details.", list.join("\n")},
        {"On disk:\r\n  Program Ident: \t\tK9\r\n  Program Checksum: \t7 & 8\r\n\r\nGo?", B::Ok,
         I::Question, Q::Question, Q::Ok, MsgAnswer::Ok, grid, ""},
            // clang-format on
        };
    ModalDriver modal;
    QtPrompt prompt;
    for (const auto& c : cases) {
        const auto& [message, buttons, icon, wantIcon, button, answer, shown, wantDetails] = c;
        SCOPED_TRACE(&c - cases);
        Q::Icon shownIcon = Q::NoIcon;
        QString text, title, details;
        int height = 0;
        modal.on<QMessageBox>([&, click = button](QMessageBox* box) {
            shownIcon = box->icon();
            std::tie(text, title, details) =
                std::tuple(box->text(), box->windowTitle(), box->detailedText());
            height = box->sizeHint().height();
            QTest::mouseClick(box->button(click), Qt::LeftButton);
            return true;
        });
        EXPECT_EQ(prompt.message("Data Upload", message, buttons, icon), answer);
        EXPECT_EQ(title, "Data Upload");
        EXPECT_EQ(text, shown);
        EXPECT_EQ(details, wantDetails);
        EXPECT_EQ(shownIcon, wantIcon);
        EXPECT_LT(height, 600);
    }
    modal.on<QInputDialog>([](QInputDialog* d) {
        EXPECT_EQ(d->textValue(), "1234");
        EXPECT_EQ(d->labelText(), "Please Enter New Passcode (0-65535)");
        d->setTextValue("4321");
        d->accept();
        return true;
    });
    EXPECT_EQ(
        prompt.inputBox("Color Control Passcode", "Please Enter New Passcode (0-65535)", "1234"),
        std::optional<QString>("4321"));
    modal.on<QInputDialog>([](QInputDialog* d) {
        d->reject();
        return true;
    });
    EXPECT_EQ(prompt.inputBox("t", "p", "x"), std::nullopt);
}

TEST(FileDialogStart, SafeProposedNamesAndTheFolderItOpensIn) {
    // clang-format off
    const std::pair<QString, QString> cases[] = {
        {"KALVEX Report - [line3.sdt]", "KALVEX Report - [line3.sdt]"}, {"tab\there", "tab-here"},
        {"KALVEX Report: 12/08/2026 10:20", "KALVEX Report- 12-08-2026 10-20"},
        {"a*b?c\"d<e>f|g\\h", "a-b-c-d-e-f-g-h"}, {"ends with dots. . ", "ends with dots"}};
    // clang-format on
    for (const auto& [name, safe] : cases)
        EXPECT_EQ(safeFileName(name), safe) << qPrintable(name);
    QTemporaryDir dir;
    const QString open = dir.filePath("open"), last = dir.filePath("last"),
                  docs = dir.filePath("docs");
    for (const QString& f : {open, last, docs})
        QDir().mkpath(f);
    const QString gone = dir.filePath("gone");
    const std::tuple<QString, QString, QString, QString> starts[] = {
        {open + "/A.sdt", last, docs, open}, // the file that is open
        {open + "/*.sdt", last, docs, last}, // a pattern names no file
        {"", last, docs, last},              // nothing named
        {"", gone, docs, docs},              // a remembered folder since removed
        {gone + "/A.sdt", "", docs, docs},   // a named file in a folder since removed
        {"", "", gone, QDir::homePath()},    // no documents folder either
    };
    for (const auto& [initial, remembered, documents, expected] : starts)
        EXPECT_EQ(startFolder(initial, remembered, documents), expected)
            << qPrintable(initial + " | " + remembered);
}

} // namespace
} // namespace kalvex::test
