#include "PageKit.h"
#include "data/pages/MainDisplayValues.h"

#include <QDialog>
#include <QPlainTextEdit>
#include <QTimer>

using namespace kalvex;
using test::writesOf;

namespace {

class MainDisplayTest : public test::PageTest<frmMain> {
  protected:
    void SetUp() override {
        LinkFixture::SetUp();
        state.gSpindleCountKnown = true;
        test::showActive(page);
        activate();
    }
    // A fresh start of the cycle with B2088 = 5.
    void activate() {
        board.setValue("B2088", 5);
        page.Activate();
        runPass();
        board.clearTranscript();
        prompt.boxes.clear();
    }
    QPushButton* button(const char* name) const { return at<QPushButton>(name); }

    QLineEdit* spindle = at<QLineEdit>("txtSpindleBlowoff");
    UpDown* arrows = at<UpDown>("updSpindleNumber");
};

TEST_F(MainDisplayTest, EveryBlowoffWritesItsTargetAndFlagsInOrderOnceTheSpindlesAreKnown) {
    // clang-format off
    const std::tuple<int, const char*, const char*> cases[] = {
        {24, "cmdBlanketBlowoff", "B2088=25 F825=1 F102=1"}, {24, "cmdMandrelBlowoff", "B2088=26 F825=1 F102=1"},
        {36, "cmdBlanketBlowoff", "B2088=37 F825=1 F102=1"}, {36, "cmdMandrelBlowoff", "B2088=38 F825=1 F102=1"},
        {24, "cmdSingleBlowoff", "B2088=5 F825=1 F102=1"}, {24, "cmdBadCanBlowoff", "F830=1"}};
    // clang-format on
    for (const auto& [spindles, name, writes] : cases) {
        state.gSpindleCount = spindles;
        for (const char* flag : {"F825", "F102", "F830"})
            board.setValue(flag, 0);
        board.clearTranscript();
        QTest::mouseClick(button(name), Qt::LeftButton);
        EXPECT_EQ(test::memoryWrites(board), writesOf(writes)) << name;
    }
    EXPECT_TRUE(prompt.boxes.empty());
    // Without a spindle count the board sent, Blanket and Mandrel wait: they are past the last.
    state.gSpindleCountKnown = false;
    state.gSpindleCountProblem = "wrong echo from the board";
    runPass();
    board.clearTranscript();
    for (const char* name : {"cmdBlanketBlowoff", "cmdMandrelBlowoff"}) {
        EXPECT_FALSE(button(name)->isEnabled()) << name;
        EXPECT_TRUE(button(name)->toolTip().contains("B52") &&
                    button(name)->toolTip().contains("wrong echo"))
            << qPrintable(button(name)->toolTip());
        button(name)->click();
    }
    EXPECT_TRUE(test::memoryWrites(board).empty());
    state.gSpindleCountKnown = true;
    runPass();
    EXPECT_TRUE(button("cmdBlanketBlowoff")->isEnabled());
}

// (a label painting its own background repaints alone; Fusion frames are darker than the window)
TEST_F(MainDisplayTest, ValueLabelsFillTheirBackgroundWithTheColourOfTheirFrame) {
    for (int i = 0; i < frmMain::kDisplays; ++i) {
        const auto* label = at<QLabel>(QStringLiteral("lblDisplay%1").arg(i));
        EXPECT_TRUE(label->autoFillBackground()) << i;
        const QImage shot = at(QStringLiteral("fraDisplay%1").arg(i))->grab().toImage();
        const QPoint inLabel = label->geometry().topLeft() + QPoint(1, 1);
        EXPECT_EQ(shot.pixelColor(inLabel), shot.pixelColor(inLabel + QPoint(0, -3))) << i;
    }
}

TEST_F(MainDisplayTest, MessagesFollowTheBackgroundPollUnderAModalWindow) {
    const auto* box = at<QPlainTextEdit>("txtMessageDisplay");
    QStringList seen;
    QDialog other;
    QTimer::singleShot(0, &other, [&] {
        for (const char* text :
             {"Set-up Program is Currently OFFLINE", "-- System Normal --\r\nON"}) {
            state.gStatusMessage = text;
            const QString shown = QString::fromLatin1(text).replace("\r\n", "\n");
            for (int waited = 0; box->toPlainText() != shown && waited < 2000; waited += 50)
                QTest::qWait(50);
            seen << box->toPlainText();
        }
        other.accept();
    });
    other.exec();
    EXPECT_EQ(seen,
              QStringList({"Set-up Program is Currently OFFLINE", "-- System Normal --\nON"}));
    EXPECT_TRUE(sent().isEmpty());
}

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
        {"", "up", "6", 6, "cmdDefault"}, {"12", "Enter", "12", 0, "cmdSingleBlowoff"}, {"99", "leave", "99", 0, "cmdDefault"},
        {"25", "cmdSingleBlowoff", "5", 0, "txtSpindleBlowoff"}, {"0", "cmdBlanketBlowoff", "5", 0, "txtSpindleBlowoff"}, {"abc", "cmdBadCanBlowoff", "5", 0, "txtSpindleBlowoff"},
        {"x", "Enter", "5", 0, "txtSpindleBlowoff"}, {"24.6", "Enter", "5", 0, "txtSpindleBlowoff"},
    };
    // clang-format on
    for (const auto& [typed, then, shown, written, focus] : cases) {
        SCOPED_TRACE(testing::Message() << typed << " " << then);
        activate();
        if (*typed) {
            spindle->setFocus();
            spindle->selectAll();
            QTest::keyClicks(spindle, typed);
        }
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
        EXPECT_EQ(test::memoryWrites(board), test::Writes(written ? 1 : 0, {2088, written}));
        EXPECT_EQ(sent().isEmpty(), written == 0);
        const bool refused = QString(focus) == "txtSpindleBlowoff";
        ASSERT_EQ(prompt.boxes.size(), refused ? 1u : 0u);
        if (!refused) continue;
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
    EXPECT_EQ(std::pair(spindleMax(24), spindleMax(25)), std::pair(24, 36));
}

using SetupPageTest = test::PageTest<frmSetup>;

TEST(SetupParameterTable, AgreesWithTheDataSetTagMap) {
    const AppState state;
    for (int i = 0; i < kSetupParameterCount; ++i)
        EXPECT_EQ(state.gDefaultData.Address[size_t(i + kSetupDataOffset)],
                  setupParameters()[size_t(i)].address)
            << i;
}

// The feedback mask (tab 1), the shift offset within the spindles (2), the test buttons (3).
TEST_F(SetupPageTest, EachTabWritesWhatTheOperatorAsks) {
    open(1);
    board.setValue("B694", 0);
    runPass();
    QTest::mouseClick(at("chkFeedback2"), Qt::LeftButton);
    EXPECT_EQ(board.value("B694"), 4);
    EXPECT_EQ(state.gCurrentData.Value[129], 4);
    QTest::mouseClick(at("cmdEnableFeedbackAll"), Qt::LeftButton);
    EXPECT_EQ(board.value("B694"), 255);
    runPass();
    for (int j = 0; j < 8; ++j)
        EXPECT_TRUE(at<QCheckBox>(QStringLiteral("chkFeedback%1").arg(j))->isChecked());
    QTest::mouseClick(at("cmdDisableFeedbackAll"), Qt::LeftButton);
    EXPECT_EQ(board.value("B694"), 0);

    open(2);
    for (auto [spindles, typed, accepted] :
         {std::tuple(36, 36, true), {24, 25, false}, {24, 24, true}}) {
        SCOPED_TRACE(testing::Message() << spindles << " " << typed);
        state.gSpindleCount = spindles;
        runPass();
        prompt.boxes.clear();
        enter(at<QLineEdit>(QStringLiteral("txtSetup%1").arg(kQcShiftOffsetIndex)),
              QString::number(typed), Qt::Key_Return);
        ASSERT_EQ(prompt.boxes.empty(), accepted);
        if (accepted)
            EXPECT_EQ(board.value("B1010"), typed);
        else
            EXPECT_EQ(prompt.boxes[0].text, "Only a Number Between 1 and 24 can be Entered");
    }

    board.setValue("F119", 0);
    open(3);
    runPass();
    EXPECT_FALSE(at("cmdZeroResolver")->isEnabled());
    board.setValue("F119", 1);
    runPass();
    EXPECT_TRUE(at("cmdZeroResolver")->isEnabled());
    page.QCTest();
    page.BadCanTest();
    for (const char* flag : {"B2088", "F825", "F102", "F830"})
        EXPECT_EQ(board.value(flag), 1) << flag;
    prompt.boxes.clear();
    for (MsgAnswer a : {MsgAnswer::No, MsgAnswer::Cancel, MsgAnswer::Yes}) {
        board.setValue("F831", 0);
        prompt.answer(a);
        page.ZeroResolver();
        EXPECT_EQ(board.value("F831"), a == MsgAnswer::Yes ? 1 : 0);
    }
    ASSERT_EQ(prompt.boxes.size(), 3u);
    EXPECT_EQ(prompt.boxes[0].title, "Zero Resolver");
    EXPECT_EQ(prompt.boxes[0].text,
              "You are about change the Resolver offset.\r\n\r\nDo you wish to continue?");
    EXPECT_EQ(prompt.boxes[0].buttons, MsgButtons::YesNoCancel);
}

class Df1PageTest : public test::PageTest<frm5800DF1> {
  protected:
    QString shown(int row) const { return text(QStringLiteral("lblDisplay%1").arg(row)); }
    QComboBox* list() const { return at<QComboBox>("cboSetup"); }
};

TEST_F(Df1PageTest, StatusCodesAreReadOnlyOnAnErrorAndThePlcTypeWrittenOnlyWhenChosen) {
    board.setValue("B1401", 0xF1);
    open();
    board.setValue("B1423", 0);
    board.setValue("B1421", 7);
    board.poke(1702, 0x40);
    board.setValue("B1703", 0);
    runPass();
    EXPECT_EQ(shown(0), "(0) Unknown Status");
    EXPECT_EQ(shown(1), "(7) Unknown Status");
    EXPECT_EQ(shown(6), "Reply");
    EXPECT_EQ(shown(7), "(00) Success - No Error");
    board.setValue("B1703", 1);
    board.setValue("B1418", 240);
    board.setValue("B1419", 27);
    clearTranscript();
    runPass();
    EXPECT_EQ(traffic().reads,
              test::bytesOf(test::addresses("B1423 B1421 B1422 W1416 B1414 B1426 B1702 "
                                            "B1703 B1418 B1419 W1704 B1401 B1450 B1411")));
    EXPECT_EQ(shown(7), "(F0-1B) Another Node is the Program Owner");

    clearTranscript();
    list()->setFocus();
    QTest::keyClick(list(), Qt::Key_Up);
    EXPECT_EQ(list()->currentText(), "PLC5");
    EXPECT_EQ(board.value("B1401"), 0xF0);
    EXPECT_EQ(state.gCurrentData.Value[1744], 0);
    board.setValue("B1401.0", 1);
    runPass();
    EXPECT_EQ(list()->currentIndex(), 0);
    QTest::keyClick(list(), Qt::Key_Escape);
    runPass();
    EXPECT_EQ(list()->currentIndex(), 1);
    EXPECT_EQ(traffic().writes.size(), 1u);

    link.CloseRSComm();
    state.gOfflineEdit = true;
    state.gCurrentData.Value[1744] = 7;
    runPass();
    runPass();
    EXPECT_EQ(list()->currentIndex(), -1);
    clearTranscript();
    list()->setFocus();
    QTest::keyClick(list(), Qt::Key_Down);
    EXPECT_EQ(state.gCurrentData.Value[1744], 0);
    EXPECT_TRUE(sent().isEmpty());
}

using IoPageTest = test::PageTest<frmDisplayIO>;

// ON in blue, off in red; F18 and F17 share a byte.
TEST_F(IoPageTest, EachBitShowsInItsOwnLabel) {
    board.setValue("W100", 0x8001);
    board.poke(34, 0x04); // F18 set, F17 clear
    open();
    runPass();
    EXPECT_EQ(text("lblp9150State0"), "ON");
    EXPECT_EQ(text("lblp9150State1"), "off");
    for (int b = 0; b < 16; ++b)
        EXPECT_EQ(text(QStringLiteral("lblSlot00State%1").arg(b)), b == 0 || b == 15 ? "ON" : "off")
            << b;
    const auto colour = [&](const char* n) { return at(n)->palette().color(QPalette::WindowText); };
    EXPECT_EQ(colour("lblSlot00State0"), QColor(0, 0, 255));
    EXPECT_EQ(colour("lblSlot00State1"), QColor(192, 0, 0));
    link.CloseRSComm();
    runPass();
    EXPECT_EQ(colour("lblSlot00State1"), QColor(0, 0, 255));
}

using ShiftPageTest = test::PageTest<frmData>;

// Nearer the end of its caption than the next column's: spindles in 3 columns, counters in 2.
TEST_F(ShiftPageTest, TheOffsetFollowsTheSpindlesAndEachCountStandsBesideItsCaption) {
    open();
    for (auto [spindles, max] : {std::pair(24, 23), std::pair(36, 35)}) {
        state.gSpindleCount = spindles;
        runPass();
        EXPECT_EQ(at<UpDown>("updSpindleTripOffset")->maximum(), max);
    }
    const auto label = [&](const char* kind, int i) {
        return at<QLabel>(kind + QString::number(i));
    };
    const auto x = [&](QLabel* l, int dx) { // from where the text starts
        return l->mapTo(&page, QPoint(std::max(0, l->indent()) + dx, 0)).x();
    };
    for (int tab = 0; tab < 3; ++tab) {
        page.selectTab(tab);
        QApplication::processEvents();
        std::vector<std::pair<int, int>> pairs; // (display, the one in the next column)
        const int spindle1 = tab == 0 ? 1 : tab == 1 ? 43 : 85;
        for (int k = 0; k < 24; ++k)
            pairs.emplace_back(spindle1 + k, spindle1 + k + 12);
        for (int k = 0; k < 3 && tab > 0; ++k)
            pairs.emplace_back(spindle1 - 6 + k, spindle1 - 3 + k);
        for (auto [i, next] : pairs) {
            QLabel* own = label("lblDescription", i);
            ASSERT_TRUE(own->isVisible()) << i;
            QLabel* count = label("lblData", i);
            const int countRight = count->mapTo(&page, QPoint(0, 0)).x() + count->width();
            const int ownEnd = x(own, own->fontMetrics().horizontalAdvance(own->text()));
            EXPECT_LT(countRight - ownEnd, x(label("lblDescription", next), 0) - countRight) << i;
        }
    }
}

} // namespace
