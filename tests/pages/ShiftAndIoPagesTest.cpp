#include "PageKit.h"
#include "widgets/pages/UpDown.h"

#include <QPushButton>
#include <QTest>

using namespace kalvex;

namespace {

using IoPageTest = test::PageTest<frmDisplayIO>;

// The words' bits show ON in blue and off in red, each in its own label; F18 and F17 share a byte.
TEST_F(IoPageTest, EachBitShowsInItsOwnLabel) {
    board.setValue("W100", 0x8001);
    board.poke(34, 0x04); // F18 set, F17 clear
    page.show();
    runPass(); // ShowOnline
    runPass();
    EXPECT_EQ(at<QLabel>("lblp9150State0")->text(), "ON");
    EXPECT_EQ(at<QLabel>("lblp9150State1")->text(), "off");
    for (int b = 0; b < 16; ++b)
        EXPECT_EQ(at<QLabel>(QStringLiteral("lblSlot00State%1").arg(b))->text(),
                  b == 0 || b == 15 ? "ON" : "off")
            << b;
    EXPECT_EQ(at<QLabel>("lblSlot00State0")->palette().color(QPalette::WindowText),
              QColor(0, 0, 255));
    EXPECT_EQ(at<QLabel>("lblSlot00State1")->palette().color(QPalette::WindowText),
              QColor(192, 0, 0));
    link.CloseRSComm();
    runPass();
    EXPECT_EQ(at<QLabel>("lblSlot00State1")->palette().color(QPalette::WindowText),
              QColor(0, 0, 255));
}

// The Shift Data page online on a stopped machine; B1016 holds other bits beside the reset.
class ShiftPageTest : public test::PageTest<frmData> {
  protected:
    void SetUp() override {
        LinkFixture::SetUp();
        board.setValue("B1016", 0xA0);
        test::showActive(page);
        runPass(); // ShowOnline and the first tab
        clearTranscript();
    }
};

// (a tab's reads are PageTabs)
TEST_F(ShiftPageTest, TheOffsetFollowsTheSpindles) {
    for (auto [spindles, max] : {std::pair(24, 23), std::pair(36, 35)}) {
        state.gSpindleCount = spindles;
        runPass();
        EXPECT_EQ(at<UpDown>("updSpindleTripOffset")->maximum(), max);
    }
}

// The mouse holds the bit; the keyboard never presses it; a 0 the board did not get is sent as
// soon as the page can write again, or as it unloads.
TEST_F(ShiftPageTest, HeldButtonsSetTheirBitOnlyWhileTheMouseHoldsThem) {
    QPushButton* reset = at<QPushButton>("cmdResetTrips");
    QTest::mousePress(reset, Qt::LeftButton);
    EXPECT_EQ(board.value("B1016"), 0xA1);
    QTest::mouseRelease(reset, Qt::LeftButton);
    EXPECT_EQ(board.value("B1016"), 0xA0);

    clearTranscript();
    reset->setFocus();
    for (Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter})
        QTest::keyClick(reset, key);
    EXPECT_TRUE(traffic().writes.empty());

    QTest::mousePress(reset, Qt::LeftButton);
    board.faults().silent = true; // the release's retry box is cancelled
    QTest::mouseRelease(reset, Qt::LeftButton);
    EXPECT_EQ(board.value("B1016"), 0xA1);
    board.faults().silent = false;
    runPass(); // the lost link takes the page offline: nothing can be sent
    EXPECT_EQ(board.value("B1016"), 0xA1);
    link.OpenRSComm(port);
    runPass();
    EXPECT_EQ(board.value("B1016"), 0xA0);

    page.selectTab(1);
    runPass();
    QTest::mousePress(at<QPushButton>("cmdEndofShift"), Qt::LeftButton);
    EXPECT_EQ(board.value("F137"), 1);
    page.Unload(); // the page closes with the button held
    EXPECT_EQ(board.value("F137"), 0);
}

// Each count's right edge stands nearer the end of its own caption's text than the start of
// the next column's caption, on every tab: spindles in three columns, counters in two.
TEST_F(ShiftPageTest, EachCountStandsBesideItsOwnCaption) {
    const auto label = [&](const char* kind, int i) {
        return at<QLabel>(QStringLiteral("%1%2").arg(kind).arg(i));
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
            const int countRight =
                label("lblData", i)->mapTo(&page, QPoint(0, 0)).x() + label("lblData", i)->width();
            const int ownEnd = x(own, own->fontMetrics().horizontalAdvance(own->text()));
            const int nextStart = x(label("lblDescription", next), 0);
            EXPECT_LT(countRight - ownEnd, nextStart - countRight) << i;
        }
    }
}

} // namespace
