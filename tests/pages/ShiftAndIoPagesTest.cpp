#include "data/AppState.h"
#include "support/Controls.h"
#include "support/LinkFixture.h"
#include "support/Pages.h"
#include "widgets/pages/RefreshLoop.h"
#include "widgets/pages/UpDown.h"
#include "widgets/pages/frmData.h"
#include "widgets/pages/frmDisplayIO.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace kalvex;
using test::control;

namespace {

std::vector<int> bytes(std::initializer_list<std::pair<int, int>> runs) {
    std::vector<int> out;
    for (auto [first, count] : runs)
        for (int k = 0; k < count; ++k)
            out.push_back(first + k);
    return out;
}

class IoPageTest : public test::LinkFixture {
  protected:
    void runPass() { test::runPass(page.refreshLoop()); }
    QLabel* label(const QString& name) const { return control<QLabel>(page, name); }

    AppState state;
    frmDisplayIO page{state, link, prompt};
};

// The words' bits show ON in blue and off in red, each in its own label; F18 and F17 share a byte.
TEST_F(IoPageTest, EachBitShowsInItsOwnLabel) {
    board.setValue("W100", 0x8001);
    board.poke(34, 0x04); // F18 set, F17 clear
    page.show();
    runPass(); // ShowOnline
    runPass();
    EXPECT_EQ(label("lblp9150State0")->text(), "ON");
    EXPECT_EQ(label("lblp9150State1")->text(), "off");
    for (int b = 0; b < 16; ++b)
        EXPECT_EQ(label(QStringLiteral("lblSlot00State%1").arg(b))->text(),
                  b == 0 || b == 15 ? "ON" : "off")
            << b;
    EXPECT_EQ(label("lblSlot00State0")->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_EQ(label("lblSlot00State1")->palette().color(QPalette::WindowText), QColor(192, 0, 0));
    link.CloseRSComm();
    runPass();
    EXPECT_EQ(label("lblSlot00State1")->palette().color(QPalette::WindowText), QColor(0, 0, 255));
}

// The Shift Data page online on a stopped machine; B1016 holds other bits beside the reset.
class ShiftPageTest : public test::LinkFixture {
  protected:
    void SetUp() override {
        LinkFixture::SetUp();
        board.setValue("B1016", 0xA0);
        test::showActive(page);
        runPass(); // ShowOnline and the first tab
        clearTranscript();
    }
    void runPass() { test::runPass(page.refreshLoop()); }
    QPushButton* button(const char* name) const { return control<QPushButton>(page, name); }
    QString shown(int i) const {
        return control<QLabel>(page, QStringLiteral("lblData%1").arg(i))->text();
    }

    test::UsLocale locale;
    AppState state;
    frmData page{state, link, prompt};
};

TEST_F(ShiftPageTest, EachTabReadsItsDisplaysInOrderAndTheOffsetFollowsTheSpindles) {
    board.setValue("D1112", 4321);
    // (tab 0 is the page's contract)
    const std::pair<int, std::vector<int>> tabs[] = {
        {1, bytes({{1100, 4}, {1104, 4}, {1108, 4}, {1116, 4}, {1120, 4}, {1112, 4}, {1124, 72}})},
        {2, bytes({{1200, 4}, {1204, 4}, {1208, 4}, {1216, 4}, {1220, 4}, {1212, 4}, {1224, 72}})}};
    for (const auto& [tab, reads] : tabs) {
        page.selectTab(tab);
        runPass(); // ends at once on the change
        clearTranscript();
        runPass();
        EXPECT_EQ(traffic().reads, reads) << tab;
    }
    EXPECT_EQ(shown(42), "4,321");
    for (auto [spindles, max] : {std::pair(24, 23), std::pair(36, 35)}) {
        state.gSpindleCount = spindles;
        runPass();
        EXPECT_EQ(control<UpDown>(page, "updSpindleTripOffset")->maximum(), max);
    }
}

// The mouse holds the bit; the keyboard never presses it; a 0 the board did not get is sent as
// soon as the page can write again, or as it unloads.
TEST_F(ShiftPageTest, HeldButtonsSetTheirBitOnlyWhileTheMouseHoldsThem) {
    QPushButton* reset = button("cmdResetTrips");
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
    QTest::mousePress(button("cmdEndofShift"), Qt::LeftButton);
    EXPECT_EQ(board.value("F137"), 1);
    page.Unload(); // the page closes with the button held
    EXPECT_EQ(board.value("F137"), 0);
}

// Each count's right edge stands nearer the end of its own caption's text than the start of
// the next column's caption, on every tab: spindles in three columns, counters in two.
TEST_F(ShiftPageTest, EachCountStandsBesideItsOwnCaption) {
    const auto label = [&](const char* kind, int i) {
        return control<QLabel>(page, QStringLiteral("%1%2").arg(kind).arg(i));
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
