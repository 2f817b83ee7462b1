#include "data/AppState.h"
#include "data/pages/ColorControlTable.h"
#include "link/Address.h"
#include "support/Controls.h"
#include "support/LinkFixture.h"
#include "support/Pages.h"
#include "widgets/pages/RefreshLoop.h"
#include "widgets/pages/UpDown.h"
#include "widgets/pages/frmColorControl.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

using namespace kalvex;
using test::bytesOf;

namespace {

// The byte writes of one value.
std::vector<std::pair<int, int>> writesOf(const QString& add, int value) {
    const ParsedAddress p = parseAddress(add);
    std::vector<std::pair<int, int>> out{{int(p.byteAddress), value % 256}};
    if (p.byteCount() == 2) out.push_back({int(p.byteAddress) + 1, value / 256});
    return out;
}

QString storedOn(int label, int d) {
    return QStringLiteral("B%1").arg(3100 + 30 * label + d);
}
QString storedCycle(int label, int d) {
    return QStringLiteral("W%1").arg(3110 + 30 * label + 2 * d);
}

TEST(ColorControlTable, CrossBoundsFollowThePairedValue) {
    // ON may take what leaves the CYCLE 140 longer, up to the maximum ON: (maxOn, cycle, max).
    for (const auto& [maxOn, cycle, max] : {std::tuple{140, 400, 140},
                                            {140, 200, 60},
                                            {140, 280, 140},
                                            {140, 279, 139},
                                            {200, 0, -140}}) {
        const ColorBounds b = onBounds(cycle, maxOn);
        EXPECT_EQ(std::tuple(b.min, b.max, b.empty()), std::tuple(0, max, cycle < 140)) << cycle;
    }
    const ColorBounds cycle = cycleBounds(100, 500);
    EXPECT_EQ(cycle.min, 240); // so 239 is refused
    EXPECT_EQ(cycle.max, 500);
}

TEST(ColorControlTable, DensityTextsAndNoneWithoutMaximum) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    for (const auto& [on, cycle, maxOn, text] : {std::tuple{70, 280, 140, "50.0%"},
                                                 {70, 280, 200, "42.5%"},
                                                 {70, 0, 140, "0.0%"},
                                                 {1, 3, 140, "66.7%"},
                                                 {70, 280, 0, "-"}})
        EXPECT_EQ(densityText(on, cycle, maxOn), text) << on << "/" << cycle;
    EXPECT_FALSE(colorDensity(70, 280, 0));
    QLocale::setDefault(QLocale::c());
}

TEST(ColorControlTable, LabelBaseStaysInsideTheLabelBlock) {
    const AppState state;
    for (int label : {0, 7, 99}) {
        ASSERT_TRUE(labelBase(label)) << label;
        const int base = *labelBase(label);
        EXPECT_EQ(base, 144 + 16 * label);
        for (int d = 0; d < 8; ++d) {
            EXPECT_EQ(state.gDefaultData.Address[size_t(base + d)], storedOn(label, d));
            EXPECT_EQ(state.gDefaultData.Address[size_t(base + 8 + d)], storedCycle(label, d));
        }
    }
    for (qint64 label : {-1LL, 100LL, 65535LL})
        EXPECT_FALSE(labelBase(label)) << label;
    EXPECT_EQ(colorAddress(20), "");
}

TEST(ColorControlTable, LoadSubstitutesAndStatusTexts) {
    EXPECT_EQ(loadedOn(200, 200), 200);
    EXPECT_EQ(loadedOn(201, 200), 0);
    // (stored, on, maxCycle, loaded); the last two: 350 itself outside the bounds, kept inside
    for (const auto& [stored, on, maxCycle, loaded] : {std::tuple{240, 100, 500, 240},
                                                       {239, 100, 500, 350},
                                                       {500, 100, 500, 500},
                                                       {501, 100, 500, 350},
                                                       {100, 300, 500, 440},
                                                       {100, 0, 300, 300}})
        EXPECT_EQ(loadedCycle(stored, on, maxCycle), loaded) << stored << " " << on;
    const std::tuple<int, const char*, const char*, bool> status[] = {
        {2, "MAN", "OFF", true}, {5, "AUTO", "ON", false}, {0, "OFF", "OFF", false}};
    for (auto [b130, mode, on, manual] : status) {
        EXPECT_EQ(ductorModeText(b130), mode);
        EXPECT_EQ(ductorsAutoText(b130), on);
        EXPECT_EQ(manualMode(b130), manual);
    }
}

class ColorPageTest : public test::LinkFixture {
  protected:
    void SetUp() override {
        LinkFixture::SetUp();
        board.setValue("B692", 140);
        board.setValue("W690", 500);
    }
    void open() {
        test::showActive(page);
        clearTranscript();
        runPass();
    }
    void runPass() { test::runPass(page.refreshLoop()); }
    QLineEdit* field(int i) const {
        return test::control<QLineEdit>(page, QStringLiteral("txtColorCtrl%1").arg(i));
    }
    template <class W = QWidget> W* control(const QString& name) const {
        return test::control<W>(page, name);
    }
    // The first reads of n values of one or two bytes, as many bytes as those of n stored values.
    std::vector<int> firstReads(size_t n) const {
        const std::vector<int> reads = traffic().reads;
        const size_t bytes = std::min(reads.size(), n / 2 * 3); // 8 bytes then 8 words
        return {reads.begin(), reads.begin() + std::ptrdiff_t(bytes)};
    }
    // Types into field i and leaves it with `key`.
    void enter(int i, const QString& text, Qt::Key key = Qt::Key_Tab) {
        field(i)->setFocus(Qt::MouseFocusReason);
        field(i)->selectAll();
        QTest::keyClicks(field(i), text);
        QTest::keyClick(field(i), key);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall); // a range message
    }

    test::UsLocale locale;
    AppState state;
    frmColorControl page{state, link, prompt};
};

TEST_F(ColorPageTest, AChangedValueGoesToTheWorkingRegisterThenTheStoredCopy) {
    board.setValue("W686", 5);
    board.setValue("B722", 30);
    board.setValue("W734", 280);
    open();
    clearTranscript();
    enter(2, "70");
    auto expected = writesOf("B722", 70);
    for (auto w : writesOf(storedOn(5, 2), 70))
        expected.push_back(w);
    EXPECT_EQ(traffic().writes, expected);
    EXPECT_EQ(state.gCurrentData.Value[size_t(*labelBase(5) + 2)], 70);
    EXPECT_EQ(control<QLabel>("lblColorCtrl2")->text(), "50.0%");

    clearTranscript();
    enter(2, "70"); // the same value again
    EXPECT_TRUE(traffic().writes.empty());
    // The bounds follow the paired value as the check runs.
    enter(2, "141");
    enter(10, "209");
    ASSERT_EQ(prompt.boxes.size(), 2u);
    EXPECT_EQ(prompt.boxes[0].text, "Only a Number Between 0 and 140 can be Entered");
    EXPECT_EQ(prompt.boxes[1].text, "Only a Number Between 210 and 500 can be Entered");
    EXPECT_EQ(prompt.boxes[1].title, "Color Control");
    EXPECT_TRUE(traffic().writes.empty());
}

TEST_F(ColorPageTest, AFreshBoardsOnFieldsCanBeLeftWithoutAWrite) {
    for (int d = 0; d < 8; ++d)
        board.setValue(QStringLiteral("W%1").arg(730 + 2 * d), 0);
    open();
    clearTranscript();
    enter(0, "5");
    enter(1, "5", Qt::Key_Return);
    field(3)->setFocus(Qt::MouseFocusReason);
    QTest::keyClicks(field(3), "9");
    QTest::keyClick(field(3), Qt::Key_Escape);
    QTest::keyClick(field(3), Qt::Key_Escape);
    EXPECT_TRUE(prompt.boxes.empty());
    EXPECT_TRUE(traffic().writes.empty());
    EXPECT_FALSE(field(3)->hasFocus());
    EXPECT_EQ(field(0)->text(), "0");
}

TEST_F(ColorPageTest, ALabelLoadCopiesTheStoredValuesWithSubstitutes) {
    board.setValue("W686", 5);
    board.setValue(storedOn(7, 0), 50);
    board.setValue(storedOn(7, 1), 141); // above the maximum ON: 0
    board.setValue(storedCycle(7, 0), 400);
    board.setValue(storedCycle(7, 1), 139); // below 0 + 140: 350
    open();
    clearTranscript();
    enter(16, "7", Qt::Key_Return);
    EXPECT_EQ(traffic().writes, writesOf("W686", 7));
    EXPECT_TRUE(page.loading());
    EXPECT_EQ(field(0)->text(), "-");
    EXPECT_TRUE(control("cmdDefault")->hasFocus());
    clearTranscript();
    runPass();
    EXPECT_FALSE(page.loading());
    std::vector<QString> reads;
    std::vector<std::pair<int, int>> writes;
    for (int k = 0; k < 16; ++k) {
        const QString stored = k < 8 ? storedOn(7, k) : storedCycle(7, k - 8);
        reads.push_back(stored);
        const int loaded = k < 8 ? loadedOn(board.value(stored), 140)
                                 : loadedCycle(board.value(stored), k == 8 ? 50 : 0, 500);
        for (auto w : writesOf(colorAddress(k), loaded))
            writes.push_back(w);
    }
    // (field 0 then takes the focus and shows the board's values again)
    EXPECT_EQ(firstReads(reads.size()), bytesOf(reads));
    EXPECT_EQ(traffic().writes, writes);
    EXPECT_EQ(board.value("B720"), 50);
    EXPECT_EQ(board.value("B721"), 0);
    EXPECT_EQ(board.value("W732"), 350);
    EXPECT_EQ(field(8)->text(), "400");
    EXPECT_TRUE(field(0)->hasFocus());
    EXPECT_EQ(state.gCurrentData.Value[143], 7);

    // A spin of the label during a load starts over with the new label's values.
    enter(16, "9", Qt::Key_Return);
    page.refreshLoop().step(); // the load's pass laid out
    page.refreshLoop().step(); // label 9, first value
    clearTranscript();
    QTest::mouseClick(control<UpDown>("updColorCtrl16")->upButton(), Qt::LeftButton);
    runPass();
    std::vector<QString> label10;
    for (int k = 0; k < 16; ++k)
        label10.push_back(k < 8 ? storedOn(10, k) : storedCycle(10, k - 8));
    EXPECT_EQ(firstReads(label10.size()), bytesOf(label10));
    EXPECT_EQ(board.value("W686"), 10);
}

TEST_F(ColorPageTest, ManualBoxesWriteOnlyWhatTheOperatorClicks) {
    board.setValue("B130", 2);
    open();
    runPass();
    clearTranscript();
    EXPECT_EQ(control<QLabel>("lblStatus2")->text(), "MAN");
    QTest::mouseClick(control("chkDuctorManual1"), Qt::LeftButton);
    EXPECT_EQ(traffic().writes, writesOf("B61", 2));
    clearTranscript();
    QTest::mouseClick(control("cmdDuctorsManualON"), Qt::LeftButton);
    EXPECT_EQ(traffic().writes, writesOf("B61", 255)); // one write of the whole mask
    board.setValue("B61", 3);
    clearTranscript();
    runPass();
    EXPECT_TRUE(traffic().writes.empty());
    EXPECT_TRUE(control<QCheckBox>("chkDuctorManual1")->isChecked());
    EXPECT_FALSE(control<QCheckBox>("chkDuctorManual2")->isChecked());
    board.setValue("B130", 5);
    runPass();
    EXPECT_TRUE(traffic().writes.empty());
    EXPECT_FALSE(control("chkDuctorManual0")->isEnabled());
    EXPECT_FALSE(control<QCheckBox>("chkDuctorManual0")->isChecked());

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
    EXPECT_FALSE(control<QCheckBox>("chkDuctorManual0")->isChecked());
}

TEST_F(ColorPageTest, OfflineTheLabelComesFromTheDataSetAndOneOutsideItShowsNothing) {
    link.CloseRSComm();
    clearTranscript();
    state.gOfflineEdit = true;
    state.gCurrentData.Value[143] = 4;
    state.gCurrentData.Value[size_t(*labelBase(4))] = 33;
    open();
    runPass();
    EXPECT_EQ(field(0)->text(), "33"); // (the label itself is the page's contract)
    enter(0, "44");
    EXPECT_EQ(state.gCurrentData.Value[size_t(*labelBase(4))], 44);
    enter(16, "5.5");
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
    enter(0, "9");
    EXPECT_EQ(traffic().writes, writesOf("B720", 9));
}

} // namespace
