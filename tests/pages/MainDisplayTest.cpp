#include "data/AppState.h"
#include "data/pages/MainDisplayValues.h"
#include "link/Address.h"
#include "support/Controls.h"
#include "support/LinkFixture.h"
#include "support/Pages.h"
#include "widgets/pages/RefreshLoop.h"
#include "widgets/pages/UpDown.h"
#include "widgets/pages/frmMain.h"

#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace kalvex;
using test::control;

namespace {

using Writes = std::vector<std::pair<int, int>>;

// The page online on a stopped simulated machine with 24 spindles and B2088 = 5, its refresh
// cycle stepped by hand.
class MainDisplayTest : public test::LinkFixture {
  protected:
    void SetUp() override {
        LinkFixture::SetUp();
        board.setValue("B2088", 5);
        state.gSpindleCountKnown = true;
        test::showActive(page);
        activate();
    }

    // A fresh start of the cycle; from here on only the test moves it.
    void activate() {
        page.Activate();
        runPass();
        board.clearTranscript();
        prompt.boxes.clear();
    }
    int runPass() { return test::runPass(page.refreshLoop()); }
    void typeSpindle(const QString& text) {
        spindle->setFocus();
        spindle->selectAll();
        QTest::keyClick(spindle, Qt::Key_Delete);
        QTest::keyClicks(spindle, text);
    }
    // Byte writes as (address, value).
    Writes writes() const { return test::memoryWrites(board); }
    QPushButton* button(const char* name) const { return control<QPushButton>(page, name); }
    QString message() const {
        return control<QPlainTextEdit>(page, "txtMessageDisplay")->toPlainText();
    }

    test::UsLocale locale;
    AppState state;
    frmMain page{state, link, prompt};
    QLineEdit* spindle = control<QLineEdit>(page, "txtSpindleBlowoff");
    UpDown* arrows = control<UpDown>(page, "updSpindleNumber");
};

// The Q.C. blow-offs write their target, then F825, then F102; the test trip F830 alone.
TEST_F(MainDisplayTest, EveryBlowoffWritesItsTargetAndFlagsInOrder) {
    const auto bit = [](const char* add) {
        const ParsedAddress p = parseAddress(add);
        return std::pair(int(p.byteAddress), p.bitMask);
    };
    const Writes flags{bit("F825"), bit("F102")};
    const std::tuple<int, const char*, int> cases[] = {
        {24, "cmdBlanketBlowoff", 25}, {24, "cmdMandrelBlowoff", 26}, {36, "cmdBlanketBlowoff", 37},
        {36, "cmdMandrelBlowoff", 38}, {24, "cmdSingleBlowoff", 5},   {24, "cmdBadCanBlowoff", 0}};
    for (const auto& [spindles, name, target] : cases) {
        state.gSpindleCount = spindles;
        for (const char* flag : {"F825", "F102", "F830"})
            board.setValue(flag, 0);
        board.clearTranscript();
        QTest::mouseClick(button(name), Qt::LeftButton);
        const Writes expected =
            target ? Writes{{2088, target}, flags[0], flags[1]} : Writes{bit("F830")};
        EXPECT_EQ(writes(), expected) << name;
    }
    EXPECT_TRUE(prompt.boxes.empty());
}

// A value label paints its own background, so a new value repaints the label alone; the
// colour must be the frame's interior (a shade darker than the window in Fusion), or every
// display shows a lighter patch.
TEST_F(MainDisplayTest, ValueLabelsFillTheirBackgroundWithTheColourOfTheirFrame) {
    for (int i = 0; i < frmMain::kDisplays; ++i) {
        const auto* label = control<QLabel>(page, QStringLiteral("lblDisplay%1").arg(i));
        auto* frame = control<QWidget>(page, QStringLiteral("fraDisplay%1").arg(i));
        EXPECT_TRUE(label->autoFillBackground()) << i;
        const QImage shot = frame->grab().toImage();
        const QPoint inLabel = label->geometry().topLeft() + QPoint(1, 1);
        const QPoint besideLabel = label->geometry().topLeft() + QPoint(1, -2);
        EXPECT_EQ(shot.pixelColor(inLabel), shot.pixelColor(besideLabel)) << i;
    }
}

// Under another modal window the passes wait, but the messages follow the background poll.
TEST_F(MainDisplayTest, MessagesFollowTheBackgroundPollUnderAModalWindow) {
    board.clearTranscript();
    QStringList seen;
    QDialog other;
    QTimer::singleShot(0, &other, [&] {
        for (const char* text :
             {"Set-up Program is Currently OFFLINE", "-- System Normal --\r\nON"}) {
            state.gStatusMessage = text;
            const QString shown = QString::fromLatin1(text).replace("\r\n", "\n");
            for (int waited = 0; message() != shown && waited < 2000; waited += 50)
                QTest::qWait(50);
            seen << message();
        }
        other.accept();
    });
    other.exec();
    EXPECT_EQ(seen,
              QStringList({"Set-up Program is Currently OFFLINE", "-- System Normal --\nON"}));
    EXPECT_TRUE(sent().isEmpty());
}

// Typed numbers wait for a button; a focus move by the page itself checks nothing.
TEST_F(MainDisplayTest, SpinWritesB2088AtOnceTypingAndLeavingSendsNothing) {
    // Going online parks the focus off every command: Space or Enter right after fires nothing.
    EXPECT_TRUE(button("cmdDefault")->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_TRUE(sent().isEmpty());
    EXPECT_EQ(arrows->maximum(), 24);
    QTest::mouseClick(arrows->upButton(), Qt::LeftButton);
    EXPECT_EQ(spindle->text(), "6");
    EXPECT_EQ(writes(), (Writes{{2088, 6}}));
    EXPECT_TRUE(button("cmdDefault")->hasFocus());
    board.clearTranscript();
    typeSpindle("12");
    QTest::keyClick(spindle, Qt::Key_Return);
    EXPECT_TRUE(button("cmdSingleBlowoff")->hasFocus());
    typeSpindle("99");
    button("cmdDefault")->setFocus(Qt::OtherFocusReason);
    EXPECT_TRUE(sent().isEmpty());
    EXPECT_TRUE(prompt.boxes.empty());
}

TEST_F(MainDisplayTest, ABadSpindleNumberKeepsTheFocusAndNoButtonFires) {
    const std::pair<const char*, const char*> cases[] = {// no button: leave with Enter
                                                         {"25", "cmdSingleBlowoff"},
                                                         {"0", "cmdBlanketBlowoff"},
                                                         {"abc", "cmdBadCanBlowoff"},
                                                         {"x", nullptr},
                                                         {"24.6", nullptr}};
    for (const auto& [typed, name] : cases) {
        prompt.boxes.clear();
        typeSpindle(typed);
        if (name)
            QTest::mouseClick(button(name), Qt::LeftButton);
        else
            QTest::keyClick(spindle, Qt::Key_Return);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall); // the range message
        ASSERT_EQ(prompt.boxes.size(), 1u) << typed;
        EXPECT_EQ(prompt.boxes[0].title, "Q.C. Blow-off");
        EXPECT_EQ(prompt.boxes[0].text, "Only a Number Between 1 and 24 can be Entered");
        EXPECT_EQ(spindle->text(), "5") << typed;
        EXPECT_TRUE(spindle->hasFocus()) << typed;
        EXPECT_TRUE(sent().isEmpty()) << typed;
    }
}

TEST(MainDisplayValues, CountsAreGroupedAndTheSpindleNumberWithinOneAndMax) {
    const QLocale en(QLocale::English, QLocale::UnitedStates);
    EXPECT_EQ(groupedCount(u" 12.6 ", en), "13");
    EXPECT_EQ(groupedCount(u"abc", en), "0");
    EXPECT_EQ(groupedCount(u"655359999", en), "655,359,999");
    EXPECT_EQ(groupedCount(u"1234567", QLocale(QLocale::German)), "1.234.567");
    const std::tuple<const char*, int, const char*> spindles[] = {
        {"0", 24, "1"}, {"30", 24, "24"}, {"24", 24, "24"}, {"30", 36, "30"}, {"37", 36, "36"}};
    for (auto [b2088, max, text] : spindles)
        EXPECT_EQ(initialSpindleText(b2088, max), text) << b2088 << " " << max;
    EXPECT_EQ(spindleMax(24), 24);
    EXPECT_EQ(spindleMax(25), 36);
}

// Blanket and Mandrel are numbered past the last spindle: without a count the board sent they
// stay disabled, say why, and send nothing.
TEST_F(MainDisplayTest, BlanketAndMandrelWaitForAGoodSpindleCount) {
    state.gSpindleCountKnown = false;
    state.gSpindleCountProblem = "wrong echo from the board";
    runPass();
    for (const char* name : {"cmdBlanketBlowoff", "cmdMandrelBlowoff"}) {
        EXPECT_FALSE(button(name)->isEnabled()) << name;
        EXPECT_TRUE(button(name)->toolTip().contains("B52") &&
                    button(name)->toolTip().contains("wrong echo"))
            << qPrintable(button(name)->toolTip());
        button(name)->click();
    }
    EXPECT_TRUE(writes().empty());
    state.gSpindleCountKnown = true;
    runPass();
    EXPECT_TRUE(button("cmdBlanketBlowoff")->isEnabled());
}

} // namespace
