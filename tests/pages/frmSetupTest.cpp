#include "PageKit.h"
#include "data/TagMap.h"

#include <QCheckBox>
#include <QTest>

using namespace kalvex;

namespace {

// (a tab's reads are PageTabs)
class SetupPageTest : public test::PageTest<frmSetup> {
  protected:
    void SetUp() override {
        LinkFixture::SetUp();
        page.show();
        page.Activate();
        clearTranscript();
    }
    void selectTab(int tab) {
        page.selectTab(tab);
        runPass(); // the pass that notices the change ends at once
        clearTranscript();
    }
};

TEST(SetupParameterTable, AgreesWithTheDataSetTagMap) {
    AppState state;
    for (int i = 0; i < kSetupParameterCount; ++i)
        EXPECT_EQ(state.gDefaultData.Address[size_t(i + kSetupDataOffset)],
                  QString::fromLatin1(setupParameters()[size_t(i)].address))
            << i;
}

TEST_F(SetupPageTest, ShiftOffsetBoundFollowsTheSpindleCount) {
    selectTab(2);
    auto* field = at<QLineEdit>(QStringLiteral("txtSetup%1").arg(kQcShiftOffsetIndex));
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
}

// Zero Resolver is offered while F119 is set, and writes only on Yes.
TEST_F(SetupPageTest, TestButtonsRequestTheirFlagsAndZeroResolverOnlyOnYes) {
    board.setValue("F119", 0);
    selectTab(3);
    runPass();
    EXPECT_FALSE(at("cmdZeroResolver")->isEnabled());
    board.setValue("F119", 1);
    runPass();
    EXPECT_TRUE(at("cmdZeroResolver")->isEnabled());
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

} // namespace
