#include "PageKit.h"
#include "data/pages/MainDisplayValues.h"
#include "widgets/pages/UpDown.h"

#include <QDialog>
#include <QImage>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace kalvex;

namespace {

using Writes = std::vector<std::pair<int, int>>;

// The page online on a stopped simulated machine with 24 spindles and B2088 = 5, its refresh
// cycle stepped by hand.
class MainDisplayTest : public test::PageTest<frmMain> {
  protected:
    void SetUp() override {
        LinkFixture::SetUp();
        state.gSpindleCountKnown = true;
        test::showActive(page);
        activate();
    }

    // A fresh start of the cycle with B2088 = 5; from here on only the test moves it.
    void activate() {
        board.setValue("B2088", 5);
        page.Activate();
        runPass();
        board.clearTranscript();
        prompt.boxes.clear();
    }
    void typeSpindle(const QString& typed) {
        spindle->setFocus();
        spindle->selectAll();
        QTest::keyClick(spindle, Qt::Key_Delete);
        QTest::keyClicks(spindle, typed);
    }
    // Byte writes as (address, value).
    Writes writes() const { return test::memoryWrites(board); }
    QPushButton* button(const char* name) const { return at<QPushButton>(name); }
    QString message() const { return at<QPlainTextEdit>("txtMessageDisplay")->toPlainText(); }

    QLineEdit* spindle = at<QLineEdit>("txtSpindleBlowoff");
    UpDown* arrows = at<UpDown>("updSpindleNumber");
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
        const auto* label = at<QLabel>(QStringLiteral("lblDisplay%1").arg(i));
        auto* frame = at(QStringLiteral("fraDisplay%1").arg(i));
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

// The arrows write B2088 at once; typed numbers wait for a button, and a focus move by the page
// itself checks nothing; a bad number keeps the focus, says why, and no button fires.
TEST_F(MainDisplayTest, SpinWritesAtOnceTypingWaitsABadNumberKeepsTheFocus) {
    // Going online parks the focus off every command: Space or Enter right after fires nothing.
    EXPECT_TRUE(button("cmdDefault")->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_TRUE(sent().isEmpty());
    EXPECT_EQ(arrows->maximum(), 24);
    // typed, then (a button, Enter, the arrows or a focus move), shown, B2088 written, focus after
    // clang-format off
    const std::tuple<const char*, const char*, const char*, int, const char*> cases[] = {
        {"", "up", "6", 6, "cmdDefault"},
        {"12", "Enter", "12", 0, "cmdSingleBlowoff"},
        {"99", "leave", "99", 0, "cmdDefault"},
        {"25", "cmdSingleBlowoff", "5", 0, "txtSpindleBlowoff"},
        {"0", "cmdBlanketBlowoff", "5", 0, "txtSpindleBlowoff"},
        {"abc", "cmdBadCanBlowoff", "5", 0, "txtSpindleBlowoff"},
        {"x", "Enter", "5", 0, "txtSpindleBlowoff"},
        {"24.6", "Enter", "5", 0, "txtSpindleBlowoff"},
    };
    // clang-format on
    for (const auto& [typed, then, shown, written, focus] : cases) {
        SCOPED_TRACE(testing::Message() << typed << " " << then);
        activate();
        if (*typed) typeSpindle(typed);
        if (QString(then) == "up")
            QTest::mouseClick(arrows->upButton(), Qt::LeftButton);
        else if (QString(then) == "Enter")
            QTest::keyClick(spindle, Qt::Key_Return);
        else if (QString(then) == "leave")
            button("cmdDefault")->setFocus(Qt::OtherFocusReason);
        else
            QTest::mouseClick(button(then), Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall); // the range message
        EXPECT_EQ(spindle->text(), shown);
        EXPECT_TRUE(at(focus)->hasFocus());
        if (written) {
            EXPECT_EQ(writes(), (Writes{{2088, written}}));
        } else {
            EXPECT_TRUE(sent().isEmpty());
        }
        if (QString(focus) != "txtSpindleBlowoff") {
            EXPECT_TRUE(prompt.boxes.empty());
            continue;
        }
        ASSERT_EQ(prompt.boxes.size(), 1u);
        EXPECT_EQ(prompt.boxes[0].title, "Q.C. Blow-off");
        EXPECT_EQ(prompt.boxes[0].text, "Only a Number Between 1 and 24 can be Entered");
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
