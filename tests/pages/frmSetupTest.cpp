#include "widgets/pages/frmSetup.h"
#include "data/AppState.h"
#include "data/TagMap.h"
#include "support/Controls.h"
#include "support/LinkFixture.h"
#include "support/Pages.h"
#include "widgets/pages/RefreshLoop.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <set>

using namespace kalvex;

namespace {

std::set<int> bytesOf(const std::vector<QString>& adds) {
    const std::vector<int> bytes = test::bytesOf(adds);
    return {bytes.begin(), bytes.end()};
}

class SetupPageTest : public test::LinkFixture {
  protected:
    void SetUp() override {
        LinkFixture::SetUp();
        page.show();
        page.Activate();
        clearTranscript();
    }
    // Runs the refresh cycle to the end of its next pass.
    void runPass() { test::runPass(page.refreshLoop()); }
    void selectTab(int tab) {
        page.selectTab(tab);
        runPass(); // the pass that notices the change ends at once
        clearTranscript();
    }
    template <class W = QWidget> W* control(const QString& name) const {
        return test::control<W>(page, name);
    }
    QLineEdit* txtSetup(int i) const {
        return control<QLineEdit>(QStringLiteral("txtSetup%1").arg(i));
    }
    QString label(int i) const {
        return control<QLabel>(QStringLiteral("lblDisplay%1").arg(i))->text();
    }
    std::set<int> readSet() const {
        const auto reads = traffic().reads;
        return {reads.begin(), reads.end()};
    }

    AppState state;
    frmSetup page{state, link, prompt};
};

TEST(SetupParameterTable, AgreesWithTheDataSetTagMap) {
    AppState state;
    for (int i = 0; i < kSetupParameterCount; ++i)
        EXPECT_EQ(state.gDefaultData.Address[size_t(i + kSetupDataOffset)],
                  QString::fromLatin1(setupParameters()[size_t(i)].address))
            << i;
}

// (tab 0 is the page's contract)
TEST_F(SetupPageTest, EachTabsPassReadsOnlyItsAddresses) {
    const std::pair<int, std::set<int>> cases[] = {
        {1, bytesOf({"W690", "B692", "B1013", "B1014", "B694"})},
        {2, bytesOf({"W1004", "B1003", "B1000", "B1001", "B1002", "B1010", "B1006", "B1007",
                     "B1008", "B1009"})},
        {3, bytesOf({"W830", "W832", "W834", "F119", "W180", "W512"})},
    };
    for (const auto& [tab, expected] : cases) {
        selectTab(tab);
        runPass();
        EXPECT_EQ(readSet(), expected) << "tab " << tab;
    }
}

TEST_F(SetupPageTest, TheTimingTabShowsThePositions) {
    board.setValue("W180", 725);
    board.setValue("W512", 359);
    board.setValue("F119", 0);
    selectTab(3);
    runPass();
    EXPECT_EQ(label(2), "5");
    EXPECT_EQ(label(3), "359");
    EXPECT_FALSE(control("cmdZeroResolver")->isEnabled());
    board.setValue("F119", 1);
    runPass();
    EXPECT_TRUE(control("cmdZeroResolver")->isEnabled());
}

TEST_F(SetupPageTest, ShiftOffsetBoundFollowsTheSpindleCount) {
    selectTab(2);
    QLineEdit* field = txtSetup(kQcShiftOffsetIndex);
    const std::tuple<int, int, bool> cases[] = {{36, 36, true}, {24, 25, false}, {24, 24, true}};
    for (auto [spindles, typed, accepted] : cases) {
        SCOPED_TRACE(testing::Message() << spindles << " " << typed);
        state.gSpindleCount = spindles;
        runPass();
        prompt.boxes.clear();
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, QString::number(typed));
        QTest::keyClick(field, Qt::Key_Return);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall); // the range message
        EXPECT_EQ(prompt.boxes.empty(), accepted);
        if (accepted) {
            EXPECT_EQ(board.value("B1010"), typed);
        } else {
            EXPECT_EQ(prompt.boxes[0].text, "Only a Number Between 1 and 24 can be Entered");
        }
    }
}

TEST_F(SetupPageTest, FeedbackBoxesAndButtonsWriteTheMask) {
    selectTab(1);
    board.setValue("B694", 0);
    runPass();
    QTest::mouseClick(control("chkFeedback2"), Qt::LeftButton);
    EXPECT_EQ(board.value("B694"), 4);
    EXPECT_EQ(state.gCurrentData.Value[129], 4);
    QTest::mouseClick(control("cmdEnableFeedbackAll"), Qt::LeftButton);
    EXPECT_EQ(board.value("B694"), 255);
    runPass();
    for (int j = 0; j < 8; ++j)
        EXPECT_TRUE(control<QCheckBox>(QStringLiteral("chkFeedback%1").arg(j))->isChecked());
    QTest::mouseClick(control("cmdDisableFeedbackAll"), Qt::LeftButton);
    EXPECT_EQ(board.value("B694"), 0);
}

TEST_F(SetupPageTest, TestButtonsRequestTheirFlagsAndZeroResolverOnlyOnYes) {
    page.QCTest();
    page.BadCanTest();
    for (const char* flag : {"B2088", "F825", "F102", "F830"})
        EXPECT_EQ(board.value(flag), 1) << flag;
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

TEST_F(SetupPageTest, ATabSwitchStopsThePassBeforeItsNextRead) {
    page.refreshLoop().step(); // Speed tab pass laid out
    page.refreshLoop().step(); // first read
    const QByteArray before = sent();
    page.selectTab(3);
    page.refreshLoop().step(); // sees the change: no read
    EXPECT_EQ(sent(), before);
    EXPECT_EQ(page.refreshLoop().pending(), 0u);
}

} // namespace
