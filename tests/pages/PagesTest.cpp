#include "PageKit.h"
#include "data/pages/ColorControlTable.h"
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

TEST_F(MainDisplayTest, SpinWritesAtOnceABadNumberKeepsTheFocusBlowoffsWriteInOrderLabelsFill) {
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
    const std::tuple<int, const char*, const char*> blowoffs[] = {
        {24, "cmdBlanketBlowoff", "B2088=25 F825=1 F102=1"}, {24, "cmdMandrelBlowoff", "B2088=26 F825=1 F102=1"},
        {36, "cmdBlanketBlowoff", "B2088=37 F825=1 F102=1"}, {36, "cmdMandrelBlowoff", "B2088=38 F825=1 F102=1"},
        {24, "cmdSingleBlowoff", "B2088=5 F825=1 F102=1"}, {24, "cmdBadCanBlowoff", "F830=1"}};
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
    activate();
    for (const auto& [spindles, name, writes] : blowoffs) {
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

    clearTranscript();
    // (a label painting its own background repaints alone; Fusion frames are darker than the
    // window)
    for (int i = 0; i < frmMain::kDisplays; ++i) {
        const auto* label = at<QLabel>(QStringLiteral("lblDisplay%1").arg(i));
        EXPECT_TRUE(label->autoFillBackground()) << i;
        const QImage shot = at(QStringLiteral("fraDisplay%1").arg(i))->grab().toImage();
        const QPoint inLabel = label->geometry().topLeft() + QPoint(1, 1);
        EXPECT_EQ(shot.pixelColor(inLabel), shot.pixelColor(inLabel + QPoint(0, -3))) << i;
    }
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

using SetupPageTest = test::PageTest<frmSetup>;

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

using Df1PageTest = test::PageTest<frm5800DF1>;

TEST_F(Df1PageTest, StatusCodesAreReadOnlyOnAnErrorAndThePlcTypeWrittenOnlyWhenChosen) {
    const auto shown = [&](int row) { return text(QStringLiteral("lblDisplay%1").arg(row)); };
    auto* list = at<QComboBox>("cboSetup");
    board.setValue("B1401", 0xF1);
    open();
    board.setValue("B1423", 0);
    board.setValue("B1421", 7);
    board.poke(1702, 0x40);
    board.setValue("B1703", 0);
    runPass();
    EXPECT_EQ(QStringList({shown(0), shown(1), shown(6), shown(7)}),
              QStringList({"(0) Unknown Status", "(7) Unknown Status", "Reply",
                           "(00) Success - No Error"}));
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
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Up);
    EXPECT_EQ(list->currentText(), "PLC5");
    EXPECT_EQ(board.value("B1401"), 0xF0);
    EXPECT_EQ(state.gCurrentData.Value[1744], 0);
    board.setValue("B1401.0", 1);
    runPass();
    EXPECT_EQ(list->currentIndex(), 0);
    QTest::keyClick(list, Qt::Key_Escape);
    runPass();
    EXPECT_EQ(list->currentIndex(), 1);
    EXPECT_EQ(traffic().writes.size(), 1u);

    link.CloseRSComm();
    state.gOfflineEdit = true;
    state.gCurrentData.Value[1744] = 7;
    runPass();
    runPass();
    EXPECT_EQ(list->currentIndex(), -1);
    clearTranscript();
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
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
    EXPECT_EQ(QStringList({text("lblp9150State0"), text("lblp9150State1")}),
              QStringList({"ON", "off"}));
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
            QLabel* own = at<QLabel>("lblDescription" + QString::number(i));
            ASSERT_TRUE(own->isVisible()) << i;
            QLabel* count = at<QLabel>("lblData" + QString::number(i));
            const int countRight = count->mapTo(&page, QPoint(0, 0)).x() + count->width();
            const int ownEnd = x(own, own->fontMetrics().horizontalAdvance(own->text()));
            EXPECT_LT(countRight - ownEnd,
                      x(at<QLabel>("lblDescription" + QString::number(next)), 0) - countRight)
                << i;
        }
    }
}

TEST(PageTables, MainDisplayCountsAndSpindlesSetupAddressesColourBoundsDensityAndLoads) {
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
    const AppState state;
    for (int i = 0; i < kSetupParameterCount; ++i)
        EXPECT_EQ(state.gDefaultData.Address[size_t(i + kSetupDataOffset)],
                  setupParameters()[size_t(i)].address)
            << i;
    // ON may take what leaves the CYCLE 140 longer, up to the maximum ON: (maxOn, cycle, max).
    const std::tuple<int, int, int> onMax[] = {
        {140, 400, 140}, {140, 200, 60}, {140, 280, 140}, {140, 279, 139}, {200, 0, -140}};
    for (const auto& [maxOn, cycle, max] : onMax) {
        const ColorBounds b = onBounds(cycle, maxOn);
        EXPECT_EQ(std::tuple(b.min, b.max, b.empty()), std::tuple(0, max, cycle < 140)) << cycle;
    }
    EXPECT_EQ(std::pair(cycleBounds(100, 500).min, cycleBounds(100, 500).max), std::pair(240, 500));
    test::UsLocale locale;
    // clang-format off
    const std::tuple<int, int, int, const char*> density[] = {
        {70, 280, 140, "50.0%"}, {70, 280, 200, "42.5%"}, {70, 0, 140, "0.0%"}, {1, 3, 140, "66.7%"}, {70, 280, 0, "-"}};
    // clang-format on
    for (const auto& [on, cycle, maxOn, text] : density)
        EXPECT_EQ(densityText(on, cycle, maxOn), text) << on << "/" << cycle;
    EXPECT_EQ(std::pair(loadedOn(200, 200), loadedOn(201, 200)), std::pair(200, 0));
    // (stored, on, maxCycle, loaded); the last two: 350 itself outside the bounds, kept inside
    const std::tuple<int, int, int, int> cycles[] = {{240, 100, 500, 240}, {239, 100, 500, 350},
                                                     {500, 100, 500, 500}, {501, 100, 500, 350},
                                                     {100, 300, 500, 440}, {100, 0, 300, 300}};
    for (const auto& [stored, on, maxCycle, loaded] : cycles)
        EXPECT_EQ(loadedCycle(stored, on, maxCycle), loaded) << stored << " " << on;
    const std::tuple<int, const char*, const char*, bool> status[] = {
        {2, "MAN", "OFF", true}, {5, "AUTO", "ON", false}, {0, "OFF", "OFF", false}};
    for (auto [b130, mode, onText, manual] : status)
        EXPECT_EQ(std::tuple(ductorModeText(b130), ductorsAutoText(b130), manualMode(b130)),
                  std::tuple(mode, onText, manual));
    EXPECT_EQ(std::tuple(labelBase(0), labelBase(7), labelBase(99)), std::tuple(144, 256, 1728));
    for (qint64 label : {-1LL, 100LL, 65535LL})
        EXPECT_FALSE(labelBase(label)) << label;
    EXPECT_EQ(colorAddress(20), "");
}

class ColorPageTest : public test::PageTest<frmColorControl> {
  protected:
    void SetUp() override {
        LinkFixture::SetUp();
        board.setValue("B692", 140);
        board.setValue("W690", 500);
    }
    QLineEdit* field(int i) const { return at<QLineEdit>(QStringLiteral("txtColorCtrl%1").arg(i)); }
    void expectFirstReads(const char* list) const {
        const std::vector<int> expected = test::bytesOf(test::addresses(list));
        std::vector<int> reads = traffic().reads;
        reads.resize(std::min(reads.size(), expected.size()));
        EXPECT_EQ(reads, expected);
    }
};

// Label 7's stored values: ON 141 is above the maximum (0), CYCLE 139 below 0 + 140 (350).
TEST_F(ColorPageTest, AChangedValueGoesToTheWorkingRegisterThenTheStoredCopyALabelLoadCopiesIt) {
    board.setValue("W686", 5);
    board.setValue("B722", 30);
    board.setValue("W734", 280);
    board.setValue("B3310", 50);
    board.setValue("B3311", 141);
    board.setValue("W3320", 400);
    board.setValue("W3322", 139);
    open();
    enter(field(2), "70");
    EXPECT_EQ(traffic().writes, writesOf("B722=70 B3252=70"));
    EXPECT_EQ(state.gCurrentData.Value[size_t(*labelBase(5) + 2)], 70);
    EXPECT_EQ(text("lblColorCtrl2"), "50.0%");
    clearTranscript();
    enter(field(2), "70"); // the same value again
    enter(field(2), "141");
    enter(field(10), "209");
    ASSERT_EQ(prompt.boxes.size(), 2u);
    EXPECT_EQ(prompt.boxes[0].text, "Only a Number Between 0 and 140 can be Entered");
    EXPECT_EQ(prompt.boxes[1].text, "Only a Number Between 210 and 500 can be Entered");
    EXPECT_EQ(prompt.boxes[1].title, "Color Control");
    EXPECT_TRUE(traffic().writes.empty());
    QTest::mouseClick(at<UpDown>("updColorCtrl2")->upButton(), Qt::LeftButton); // 71, no focus move
    EXPECT_EQ(at<UpDown>("updColorCtrl10")->minimum(), 211);

    clearTranscript();
    enter(field(16), "7", Qt::Key_Return);
    EXPECT_EQ(traffic().writes, writesOf("W686=7"));
    EXPECT_TRUE(page.loading());
    EXPECT_EQ(field(0)->text(), "-");
    EXPECT_TRUE(at("cmdDefault")->hasFocus());
    clearTranscript();
    runPass();
    EXPECT_FALSE(page.loading());
    expectFirstReads("B3310*8 W3320*8"); // (then field 0 takes the focus and reads again)
    EXPECT_EQ(traffic().writes, writesOf("B720=50 B721*7=0 W730=400 W732*7=350"));
    EXPECT_EQ(field(8)->text(), "400");
    EXPECT_TRUE(field(0)->hasFocus());
    EXPECT_EQ(state.gCurrentData.Value[143], 7);

    // A spin of the label during a load starts over with the new label's values.
    enter(field(16), "9", Qt::Key_Return);
    page.refreshLoop().step(); // the load's pass laid out
    page.refreshLoop().step(); // label 9, first value
    clearTranscript();
    QTest::mouseClick(at<UpDown>("updColorCtrl16")->upButton(), Qt::LeftButton);
    runPass();
    expectFirstReads("B3400*8 W3410*8");
    EXPECT_EQ(board.value("W686"), 10);
}

// A fresh board's ON fields (CYCLE 0) can be left without a write.
TEST_F(ColorPageTest, ManualBoxesAndAFreshBoardsFieldsWriteOnlyWhatTheOperatorClicks) {
    for (int d = 0; d < 8; ++d)
        board.setValue(QStringLiteral("W%1").arg(730 + 2 * d), 0);
    board.setValue("B130", 2);
    open();
    enter(field(0), "5");
    enter(field(1), "5", Qt::Key_Return);
    field(3)->setFocus(Qt::MouseFocusReason);
    QTest::keyClicks(field(3), "9");
    QTest::keyClick(field(3), Qt::Key_Escape);
    QTest::keyClick(field(3), Qt::Key_Escape);
    EXPECT_TRUE(prompt.boxes.empty());
    EXPECT_TRUE(traffic().writes.empty());
    EXPECT_FALSE(field(3)->hasFocus());
    EXPECT_EQ(field(0)->text(), "0");
    board.setValue("W730", 280);
    runPass();
    clearTranscript();
    EXPECT_EQ(text("lblStatus2"), "MAN");
    QTest::mouseClick(at("chkDuctorManual1"), Qt::LeftButton);
    EXPECT_EQ(traffic().writes, writesOf("B61=2"));
    clearTranscript();
    QTest::mouseClick(at("cmdDuctorsManualON"), Qt::LeftButton);
    EXPECT_EQ(traffic().writes, writesOf("B61=255")); // one write of the whole mask
    board.setValue("B61", 3);
    runPass();
    EXPECT_TRUE(at<QCheckBox>("chkDuctorManual1")->isChecked());
    EXPECT_FALSE(at<QCheckBox>("chkDuctorManual2")->isChecked());
    board.setValue("B130", 5);
    clearTranscript();
    runPass();
    EXPECT_TRUE(traffic().writes.empty());
    EXPECT_FALSE(at("chkDuctorManual0")->isEnabled());
    EXPECT_FALSE(at<QCheckBox>("chkDuctorManual0")->isChecked());

    // A refused value waiting for its message: ON All neither writes nor ticks.
    board.setValue("B130", 2);
    board.setValue("B61", 0);
    runPass();
    field(0)->setFocus(Qt::MouseFocusReason);
    QTest::keyClicks(field(0), "999");
    QTest::keyClick(field(0), Qt::Key_Tab);
    page.DuctorsManualAll(true);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall); // the range message
    EXPECT_TRUE(traffic().writes.empty());
    EXPECT_FALSE(at<QCheckBox>("chkDuctorManual0")->isChecked());
}

TEST_F(ColorPageTest, OfflineTheLabelComesFromTheDataSetAndOneOutsideItShowsNothing) {
    link.CloseRSComm();
    state.gOfflineEdit = true;
    state.gCurrentData.Value[143] = 4;
    state.gCurrentData.Value[size_t(*labelBase(4))] = 33;
    open();
    runPass();
    EXPECT_EQ(field(0)->text(), "33");
    enter(field(0), "44");
    EXPECT_EQ(state.gCurrentData.Value[size_t(*labelBase(4))], 44);
    enter(field(16), "5.5");
    ASSERT_EQ(prompt.boxes.size(), 1u); // whole label numbers only
    QTest::keyClick(field(16), Qt::Key_Escape);
    QTest::keyClick(field(16), Qt::Key_Escape);
    state.gCurrentData.Value[143] = 150;
    runPass();
    EXPECT_EQ(field(16)->text(), "150");
    EXPECT_EQ(field(0)->text(), "-");
    EXPECT_TRUE(sent().isEmpty());

    // Online, a board label past the block: the working register only.
    board.setValue("W686", 120);
    link.OpenRSComm(port);
    runPass();
    runPass();
    EXPECT_EQ(field(16)->text(), "120");
    clearTranscript();
    enter(field(0), "9");
    EXPECT_EQ(traffic().writes, writesOf("B720=9"));
}

} // namespace
