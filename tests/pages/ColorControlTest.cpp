#include "PageKit.h"
#include "data/pages/ColorControlTable.h"

using namespace kalvex;
using test::writesOf;

namespace {

TEST(ColorControlTable, BoundsDensityLoadSubstitutesStatusTextsAndLabelBases) {
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

TEST_F(ColorPageTest, AChangedValueGoesToTheWorkingRegisterThenTheStoredCopy) {
    board.setValue("W686", 5);
    board.setValue("B722", 30);
    board.setValue("W734", 280);
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
}

TEST_F(ColorPageTest, AFreshBoardsOnFieldsCanBeLeftWithoutAWrite) {
    for (int d = 0; d < 8; ++d)
        board.setValue(QStringLiteral("W%1").arg(730 + 2 * d), 0);
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
}

// Label 7's stored values: ON 141 is above the maximum (0), CYCLE 139 below 0 + 140 (350).
TEST_F(ColorPageTest, ALabelLoadCopiesTheStoredValuesWithSubstitutes) {
    board.setValue("W686", 5);
    board.setValue("B3310", 50);
    board.setValue("B3311", 141);
    board.setValue("W3320", 400);
    board.setValue("W3322", 139);
    open();
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

TEST_F(ColorPageTest, ManualBoxesWriteOnlyWhatTheOperatorClicks) {
    board.setValue("B130", 2);
    open();
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
