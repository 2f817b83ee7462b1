#include "pages/frmSetup.h"
#include "LinkFixture.h"
#include "data/AppState.h"
#include "data/TagMap.h"
#include "pages/NumericEntryField.h"
#include "pages/RefreshLoop.h"
#include "pages/UpDown.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>

#include <set>

using namespace kalvex;

namespace {

std::set<int> bytesOf(std::initializer_list<const char*> adds) {
    std::set<int> out;
    for (const char* a : adds) {
        const ParsedAddress p = parseAddress(QString::fromLatin1(a));
        for (int k = 0; k < p.byteCount(); ++k)
            out.insert(int(p.byteAddress) + k);
    }
    return out;
}

class SetupPageTest : public test::LinkFixture {
  protected:
    void SetUp() override {
        LinkFixture::SetUp();
        page = std::make_unique<frmSetup>(state, link, prompt);
        QObject::connect(&link, &RSComm::onlineModeChanged, [this] { ++onlineUpdates; });
        page->show();
        page->Activate();
        clearTranscript();
    }

    // Runs the refresh cycle to the end of its next pass.
    void runPass() {
        page->refreshLoop().step(); // lays out the pass
        while (page->refreshLoop().pending() > 0)
            page->refreshLoop().step();
    }
    void selectTab(int tab) {
        page->selectTab(tab);
        runPass(); // the pass that notices the change ends at once
        clearTranscript();
    }

    template <class W = QWidget> W* control(const QString& name) const {
        W* w = page->findChild<W*>(name);
        EXPECT_TRUE(w) << name.toStdString();
        return w;
    }
    QLineEdit* txtSetup(int i) const {
        return control<QLineEdit>(QStringLiteral("txtSetup%1").arg(i));
    }

    std::set<int> readSet() const {
        const auto reads = traffic().reads;
        return {reads.begin(), reads.end()};
    }

    AppState state;
    std::unique_ptr<frmSetup> page;
    int onlineUpdates = 0;
};

TEST(SetupParameterTable, AgreesWithTheDataSetTagMap) {
    AppState state;
    for (int i = 0; i < kSetupParameterCount; ++i)
        EXPECT_EQ(state.gDefaultData.Address[size_t(i + kSetupDataOffset)],
                  QString::fromLatin1(setupParameters()[size_t(i)].address))
            << i;
}

TEST_F(SetupPageTest, EachTabsPassReadsOnlyItsAddresses) {
    const std::pair<int, std::set<int>> cases[] = {
        {0, bytesOf({"W1092", "W1094", "W1096", "W526"})},
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

TEST_F(SetupPageTest, FieldsShowTheBoardAndDisplaysItsPositions) {
    board.setValue(QStringLiteral("W1092"), 650);
    runPass();
    EXPECT_EQ(txtSetup(0)->text(), QStringLiteral("650"));
    board.setValue(QStringLiteral("W180"), 725);
    board.setValue(QStringLiteral("W512"), 359);
    board.setValue(QStringLiteral("F119"), 0);
    selectTab(3);
    runPass();
    EXPECT_EQ(control<QLabel>(QStringLiteral("lblDisplay2"))->text(), QStringLiteral("5"));
    EXPECT_EQ(control<QLabel>(QStringLiteral("lblDisplay3"))->text(), QStringLiteral("359"));
    EXPECT_FALSE(control(QStringLiteral("cmdZeroResolver"))->isEnabled());
    board.setValue(QStringLiteral("F119"), 1);
    runPass();
    EXPECT_TRUE(control(QStringLiteral("cmdZeroResolver"))->isEnabled());
}

TEST_F(SetupPageTest, ShiftOffsetBoundFollowsTheSpindleCount) {
    selectTab(2);
    QLineEdit* field = txtSetup(kQcShiftOffsetIndex);
    const std::tuple<int, const char*, bool> cases[] = {
        {36, "36", true}, {24, "25", false}, {24, "24", true}};
    for (auto [spindles, text, accepted] : cases) {
        state.gSpindleCount = spindles;
        runPass();
        prompt.boxes.clear();
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, QString::fromLatin1(text));
        QTest::keyClick(field, Qt::Key_Return);
        QCoreApplication::sendPostedEvents(nullptr,
                                           QEvent::MetaCall); // the range message follows the key
        EXPECT_EQ(prompt.boxes.empty(), accepted) << spindles << " " << text;
        if (accepted) {
            EXPECT_EQ(board.value(QStringLiteral("B1010")), QString::fromLatin1(text).toInt());
        } else {
            EXPECT_EQ(prompt.boxes[0].text,
                      QStringLiteral("Only a Number Between 1 and 24 can be Entered"));
        }
    }
}

TEST_F(SetupPageTest, FeedbackBoxesAndButtonsWriteTheMask) {
    selectTab(1);
    board.setValue(QStringLiteral("B694"), 0);
    runPass();
    QTest::mouseClick(control(QStringLiteral("chkFeedback2")), Qt::LeftButton);
    EXPECT_EQ(board.value(QStringLiteral("B694")), 4);
    EXPECT_EQ(state.gCurrentData.Value[129], 4);
    QTest::mouseClick(control(QStringLiteral("cmdEnableFeedbackAll")), Qt::LeftButton);
    EXPECT_EQ(board.value(QStringLiteral("B694")), 255);
    runPass();
    for (int j = 0; j < 8; ++j)
        EXPECT_TRUE(control<QCheckBox>(QStringLiteral("chkFeedback%1").arg(j))->isChecked());
    QTest::mouseClick(control(QStringLiteral("cmdDisableFeedbackAll")), Qt::LeftButton);
    EXPECT_EQ(board.value(QStringLiteral("B694")), 0);
}

// An access key changes the current tab as a click does: its frame is the one shown.
TEST_F(SetupPageTest, ChangingTheCurrentTabShowsItsFrame) {
    auto* tabs = control<QTabBar>(QStringLiteral("tbsSetup"));
    for (int tab : {2, 1, 3, 0}) {
        tabs->setCurrentIndex(tab);
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(control(QStringLiteral("fraSetup%1").arg(k))->isVisible(), k == tab) << tab;
    }
}

TEST_F(SetupPageTest, ZeroResolverOnlyOnYes) {
    for (MsgAnswer a : {MsgAnswer::No, MsgAnswer::Cancel, MsgAnswer::Yes}) {
        board.setValue(QStringLiteral("F831"), 0);
        prompt.answer(a);
        page->ZeroResolver();
        EXPECT_EQ(board.value(QStringLiteral("F831")), a == MsgAnswer::Yes ? 1 : 0);
    }
    ASSERT_EQ(prompt.boxes.size(), 3u);
    EXPECT_EQ(prompt.boxes[0].title, QStringLiteral("Zero Resolver"));
    EXPECT_EQ(prompt.boxes[0].text,
              QStringLiteral(
                  "You are about change the Resolver offset.\r\n\r\nDo you wish to continue?"));
    EXPECT_EQ(prompt.boxes[0].buttons, MsgButtons::YesNoCancel);
}

TEST_F(SetupPageTest, BlowOffTestsRequestTheirFlags) {
    page->QCTest();
    EXPECT_EQ(board.value(QStringLiteral("B2088")), 1);
    EXPECT_EQ(board.value(QStringLiteral("F825")), 1);
    EXPECT_EQ(board.value(QStringLiteral("F102")), 1);
    page->BadCanTest();
    EXPECT_EQ(board.value(QStringLiteral("F830")), 1);
}

TEST_F(SetupPageTest, ATabSwitchStopsThePassBeforeItsNextRead) {
    page->refreshLoop().step(); // Speed tab pass laid out
    page->refreshLoop().step(); // first read
    const QByteArray before = sent();
    page->selectTab(3);
    page->refreshLoop().step(); // sees the change: no read
    EXPECT_EQ(sent(), before);
    EXPECT_EQ(page->refreshLoop().pending(), 0u);
    clearTranscript();
    runPass();
    EXPECT_TRUE(readSet().count(830));
}

TEST_F(SetupPageTest, OfflineShowsTheDataSetAndOfflineEditingEnablesWithinOnePass) {
    link.CloseRSComm();
    state.gCurrentData.Value[122] = 777;
    runPass();
    runPass();
    EXPECT_EQ(txtSetup(0)->text(), QStringLiteral("777"));
    EXPECT_FALSE(txtSetup(0)->isEnabled());
    EXPECT_EQ(control<QLabel>(QStringLiteral("lblDisplay0"))->text(), QStringLiteral("-"));
    EXPECT_FALSE(control(QStringLiteral("cmdQCTest0"))->isEnabled());
    state.gOfflineEdit = true;
    runPass();
    runPass();
    EXPECT_TRUE(txtSetup(0)->isEnabled());
    EXPECT_FALSE(control(QStringLiteral("cmdQCTest0"))->isEnabled());
}

TEST_F(SetupPageTest, ACommErrorTakesTheProgramOfflineAtTheNextPass) {
    board.faults().silent = true;
    runPass();
    EXPECT_TRUE(link.CommError());
    runPass();
    EXPECT_FALSE(link.OnlineMode());
    EXPECT_EQ(onlineUpdates, 1);
}

} // namespace
