#include "shell/QtPrompt.h"
#include "ShellFixture.h"

#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest/QTest>

namespace kalvex::test {
namespace {

TEST(QtPromptText, LineEndsBecomeLineBreaks) {
    const std::pair<QString, QString> cases[] = {
        {"one\rtwo", "one\ntwo"},
        {"one\r\n\r\ntwo", "one\n\ntwo"},
        {"Infeed Track Jam\r\n ", "Infeed Track Jam\n "},
        {"plain", "plain"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(QtPrompt::displayText(in), out);
}

struct BoxCase {
    MsgButtons buttons;
    MsgIcon icon;
    QMessageBox::Icon shownIcon;
    QMessageBox::StandardButton click;
    MsgAnswer answer;
};

void PrintTo(const BoxCase& c, std::ostream* os) {
    *os << "buttons " << int(c.buttons) << " answer " << int(c.answer);
}

class QtPromptBox : public ::testing::TestWithParam<BoxCase> {
  protected:
    void SetUp() override { ensureApplication(); }
    ModalDriver modal;
};

TEST_P(QtPromptBox, ShowsTitleTextIconAndAnswersTheButton) {
    const BoxCase& c = GetParam();
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString text;
    QString title;
    modal.on<QMessageBox>([&](QMessageBox* box) {
        icon = box->icon();
        text = box->text();
        title = box->windowTitle();
        QTest::mouseClick(box->button(c.click), Qt::LeftButton);
        return true;
    });
    QtPrompt prompt;
    EXPECT_EQ(prompt.message("Data Upload", "first\r\n\r\nsecond", c.buttons, c.icon), c.answer);
    EXPECT_EQ(title, "Data Upload");
    EXPECT_EQ(text, "first\n\nsecond");
    EXPECT_EQ(icon, c.shownIcon);
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, QtPromptBox,
    ::testing::Values(BoxCase{MsgButtons::YesNo, MsgIcon::Question, QMessageBox::Question,
                              QMessageBox::No, MsgAnswer::No},
                      BoxCase{MsgButtons::YesNoCancel, MsgIcon::Exclamation, QMessageBox::Warning,
                              QMessageBox::Cancel, MsgAnswer::Cancel},
                      BoxCase{MsgButtons::RetryCancel, MsgIcon::Critical, QMessageBox::Critical,
                              QMessageBox::Retry, MsgAnswer::Retry},
                      BoxCase{MsgButtons::Ok, MsgIcon::Information, QMessageBox::Information,
                              QMessageBox::Ok, MsgAnswer::Ok}));

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
