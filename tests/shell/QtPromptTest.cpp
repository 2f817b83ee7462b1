#include "widgets/shell/QtPrompt.h"
#include "ShellFixture.h"

#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest/QTest>

namespace kalvex::test {
namespace {

TEST(QtPromptBox, ShowsTitleTextIconAndAnswersTheButton) {
    ensureApplication();
    using B = MsgButtons;
    using I = MsgIcon;
    using Q = QMessageBox;
    // clang-format off
    const std::tuple<B, I, Q::Icon, Q::StandardButton, MsgAnswer> cases[] = {
        {B::YesNo, I::Question, Q::Question, Q::No, MsgAnswer::No},
        {B::YesNoCancel, I::Exclamation, Q::Warning, Q::Cancel, MsgAnswer::Cancel},
        {B::RetryCancel, I::Critical, Q::Critical, Q::Retry, MsgAnswer::Retry},
        {B::Ok, I::Information, Q::Information, Q::Ok, MsgAnswer::Ok}};
    // clang-format on
    ModalDriver modal;
    QtPrompt prompt;
    for (const auto& [buttons, icon, shownIcon, click, answer] : cases) {
        SCOPED_TRACE(int(buttons));
        QMessageBox::Icon shown = QMessageBox::NoIcon;
        QString text, title;
        modal.on<QMessageBox>([&, click = click](QMessageBox* box) {
            shown = box->icon();
            text = box->text();
            title = box->windowTitle();
            QTest::mouseClick(box->button(click), Qt::LeftButton);
            return true;
        });
        EXPECT_EQ(prompt.message("Data Upload", "first\r\n\r\nsecond\rthird", buttons, icon),
                  answer);
        EXPECT_EQ(title, "Data Upload");
        EXPECT_EQ(text, "first\n\nsecond\nthird");
        EXPECT_EQ(shown, shownIcon);
    }
}

// One line per item for 1,744 items: the box stays within the screen, the whole text in the
// scrolling details.
TEST(QtPromptBox, ALongListGoesIntoTheDetails) {
    ensureApplication();
    ModalDriver modal;
    QtPrompt prompt;
    QStringList lines{"710 of 1,744 written and verified; 1,034 not sent.", ""};
    for (int i = 0; i < 1744; ++i)
        lines << QStringLiteral("W%1  item").arg(2 * i);
    for (const int count : {3, 1746}) {
        const QString text = lines.mid(0, count).join("\r\n");
        int height = 0;
        QString shown, details;
        modal.on<QMessageBox>([&](QMessageBox* box) {
            height = box->sizeHint().height();
            shown = box->text();
            details = box->detailedText();
            box->accept();
            return true;
        });
        prompt.message("KALVEX", text, MsgButtons::Ok, MsgIcon::Exclamation);
        EXPECT_LT(height, 600) << count;
        EXPECT_TRUE(shown.startsWith("710 of 1,744 written and verified; 1,034 not sent.\n"));
        EXPECT_EQ(details, count > 20 ? QtPrompt::displayText(text) : QString());
    }
}

// "Caption:<TAB><TAB>value" lines line their values up in a grid.
TEST(QtPromptBox, TabbedLinesBecomeAGrid) {
    ensureApplication();
    ModalDriver modal;
    QtPrompt prompt;
    QString shown;
    modal.on<QMessageBox>([&](QMessageBox* box) {
        shown = box->text();
        box->accept();
        return true;
    });
    prompt.message("Program Download",
                   "On disk:\r\n  Program Ident: \t\tK9\r\n  Program Checksum: \t7 & 8\r\n\r\nGo?",
                   MsgButtons::Ok, MsgIcon::Question);
    const QString cell = "<td style='white-space:pre; padding-right:12px'>";
    EXPECT_EQ(shown, "<div style='white-space:pre'>On disk:</div><table cellspacing=0 "
                     "cellpadding=1><tr>" +
                         cell + "  Program Ident: </td>" + cell + "K9</td></tr><tr>" + cell +
                         "  Program Checksum: </td>" + cell +
                         "7 &amp; 8</td></tr></table><div style='white-space:pre'>&nbsp;</div>"
                         "<div style='white-space:pre'>Go?</div>");
}

TEST(QtPromptInput, ReturnsTheTypedTextOrNothingOnCancel) {
    ensureApplication();
    ModalDriver modal;
    modal.on<QInputDialog>([](QInputDialog* d) {
        EXPECT_EQ(d->textValue(), "1234");
        EXPECT_EQ(d->labelText(), "Please Enter New Passcode (0-65535)");
        d->setTextValue("4321");
        d->accept();
        return true;
    });
    QtPrompt prompt;
    EXPECT_EQ(
        prompt.inputBox("Color Control Passcode", "Please Enter New Passcode (0-65535)", "1234"),
        std::optional<QString>("4321"));
    modal.on<QInputDialog>([](QInputDialog* d) {
        d->reject();
        return true;
    });
    EXPECT_EQ(prompt.inputBox("t", "p", "x"), std::nullopt);
}

} // namespace
} // namespace kalvex::test
