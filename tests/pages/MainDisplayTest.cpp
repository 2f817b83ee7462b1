#include "LinkFixture.h"
#include "data/AppState.h"
#include "link/Address.h"
#include "pages/MainDisplayValues.h"
#include "pages/NumericEntryField.h"
#include "pages/RefreshLoop.h"
#include "pages/UpDown.h"
#include "pages/frmMain.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

using namespace kalvex;

namespace {

// The page online on a stopped simulated machine with 24 spindles and B2088 = 5, its refresh
// cycle stepped by hand.
class MainDisplayTest : public test::LinkFixture {
  protected:
    void SetUp() override {
        LinkFixture::SetUp();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        board.setValue(QStringLiteral("B2088"), 5);
        QObject::connect(&link, &RSComm::onlineModeChanged, [this] { ++modeUpdates; });
        page.show();
        QApplication::setActiveWindow(&page);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&page));
        activate();
    }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    // A fresh start of the cycle; from here on only the test moves it.
    void activate() {
        page.Activate();
        runPass();
        board.clearTranscript();
        prompt.boxes.clear();
    }
    // One pass: the step that lays it out, then one step per board request.
    int runPass() {
        RefreshLoop& loop = page.refreshLoop();
        int steps = loop.step() ? 1 : 0;
        while (loop.pending() > 0 && loop.step())
            ++steps;
        return steps;
    }
    void typeSpindle(const QString& text) {
        txtSpindleBlowoff->setFocus();
        txtSpindleBlowoff->selectAll();
        QTest::keyClick(txtSpindleBlowoff, Qt::Key_Delete);
        QTest::keyClicks(txtSpindleBlowoff, text);
    }
    // Byte writes as (address, value), bits as the byte they set.
    std::vector<std::pair<int, int>> writes() const {
        std::vector<std::pair<int, int>> out;
        for (const auto& w : board.writes())
            out.emplace_back(w.address, w.value);
        return out;
    }
    static std::pair<int, int> bitSet(const char* add) {
        const ParsedAddress p = parseAddress(QString::fromLatin1(add));
        return {int(p.byteAddress), p.bitMask};
    }
    template <class W = QWidget> W* control(const QString& name) const {
        W* w = page.findChild<W*>(name);
        EXPECT_TRUE(w) << name.toStdString();
        return w;
    }
    QPushButton* button(const char* name) const {
        return control<QPushButton>(QString::fromLatin1(name));
    }
    QString label(int i) const {
        return control<QLabel>(QStringLiteral("lblDisplay%1").arg(i))->text();
    }

    AppState state;
    frmMain page{state, link, prompt};
    QLineEdit* txtSpindleBlowoff = control<QLineEdit>(QStringLiteral("txtSpindleBlowoff"));
    UpDown* updSpindleNumber = control<UpDown>(QStringLiteral("updSpindleNumber"));
    int modeUpdates = 0;
};

TEST_F(MainDisplayTest, EveryQcBlowoffWritesTheTargetThenF825ThenF102) {
    struct Case {
        int spindles;
        const char* button;
        int target;
    };
    const Case cases[] = {{24, "cmdBlanketBlowoff", 25},
                          {24, "cmdMandrelBlowoff", 26},
                          {36, "cmdBlanketBlowoff", 37},
                          {36, "cmdMandrelBlowoff", 38},
                          {24, "cmdSingleBlowoff", 5}};
    for (const Case& c : cases) {
        state.gSpindleCount = c.spindles;
        for (const char* flag : {"F825", "F102"})
            board.setValue(QString::fromLatin1(flag), 0);
        board.clearTranscript();
        QTest::mouseClick(button(c.button), Qt::LeftButton);
        const auto w = writes();
        ASSERT_EQ(w.size(), 3u) << c.target;
        EXPECT_EQ(w[0], std::make_pair(2088, c.target));
        for (size_t i : {1u, 2u}) {
            const auto [address, mask] = bitSet(i == 1 ? "F825" : "F102");
            EXPECT_EQ(w[i].first, address) << c.target;
            EXPECT_TRUE(w[i].second & mask) << c.target;
        }
    }
    EXPECT_TRUE(prompt.boxes.empty());
}

TEST_F(MainDisplayTest, TestTripWritesF830) {
    QTest::mouseClick(button("cmdBadCanBlowoff"), Qt::LeftButton);
    EXPECT_EQ(board.value(QStringLiteral("F830")), 1);
    EXPECT_EQ(writes().size(), 1u);
}

TEST_F(MainDisplayTest, ButtonsSendNothingWhileCommErrorIsSet) {
    link.setCommError(true);
    for (QPushButton* b : {button("cmdSingleBlowoff"), button("cmdBlanketBlowoff"),
                           button("cmdMandrelBlowoff"), button("cmdBadCanBlowoff")})
        QTest::mouseClick(b, Qt::LeftButton);
    EXPECT_TRUE(sent().isEmpty());
}

TEST_F(MainDisplayTest, OnlineSpindleNumberComesFromB2088WithinOneAndMax) {
    struct Case {
        int b2088, spindles;
        const char* shown;
    };
    const Case cases[] = {{0, 24, "1"},   {30, 24, "24"}, {24, 24, "24"},
                          {30, 36, "30"}, {37, 36, "36"}, {7, 36, "7"}};
    for (const Case& c : cases) {
        board.setValue(QStringLiteral("B2088"), c.b2088);
        state.gSpindleCount = c.spindles;
        activate();
        EXPECT_EQ(txtSpindleBlowoff->text(), QString::fromLatin1(c.shown)) << c.b2088;
        EXPECT_EQ(updSpindleNumber->maximum(), c.spindles) << c.b2088;
        EXPECT_TRUE(button("cmdSingleBlowoff")->hasFocus());
    }
}

TEST_F(MainDisplayTest, OnlinePassShowsTheBoardOneReadPerStep) {
    // Speeds come from the machine; the fake clock stands still, so the counters do too.
    board.machine().running = true;
    board.machine().speed = 1200;
    board.machine().overvarnishSpeed = 850;
    const std::pair<const char*, qint64> counts[] = {
        {"D1100", 1234567}, {"D1104", 2345}, {"D1304", 98765432}};
    for (auto [add, v] : counts)
        board.setValue(QString::fromLatin1(add), v);
    EXPECT_EQ(runPass(), 1 + 5);
    const char* shown[] = {"1200", "850", "1,234,567", "2,345", "98,765,432"};
    for (int i = 0; i < frmMain::kDisplays; ++i)
        EXPECT_EQ(label(i), QString::fromLatin1(shown[i])) << i;
    EXPECT_TRUE(writes().empty());
}

TEST_F(MainDisplayTest, OfflineShowsTheDataSetCountsAndDashes) {
    link.CloseRSComm();
    board.clearTranscript();
    state.gCurrentData.Value[37] = 1234567;
    state.gCurrentData.Value[38] = 89;
    state.gCurrentData.Value[121] = 98765;
    EXPECT_EQ(runPass(), 1);
    const char* shown[] = {"-", "-", "1,234,567", "89", "98,765"};
    for (int i = 0; i < frmMain::kDisplays; ++i)
        EXPECT_EQ(label(i), QString::fromLatin1(shown[i])) << i;
    EXPECT_EQ(txtSpindleBlowoff->text(), QStringLiteral("-"));
    for (QWidget* w : std::initializer_list<QWidget*>{
             txtSpindleBlowoff, updSpindleNumber, button("cmdSingleBlowoff"),
             button("cmdBlanketBlowoff"), button("cmdMandrelBlowoff"), button("cmdBadCanBlowoff"),
             control(QStringLiteral("lblDisplay0")), control(QStringLiteral("fraDisplay1"))})
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    EXPECT_TRUE(control(QStringLiteral("lblDisplay2"))->isEnabled());
    EXPECT_TRUE(sent().isEmpty());
}

TEST_F(MainDisplayTest, MessageFollowsTheStatusTextInBothModes) {
    state.gStatusMessage =
        QStringLiteral("-- System Normal --\r\nSet-up Program is Currently ONLINE");
    runPass();
    EXPECT_EQ(control<QPlainTextEdit>(QStringLiteral("txtMessageDisplay"))->toPlainText(),
              QStringLiteral("-- System Normal --\nSet-up Program is Currently ONLINE"));
    link.CloseRSComm();
    state.gStatusMessage = QStringLiteral("Set-up Program is Currently OFFLINE");
    runPass();
    EXPECT_EQ(control<QPlainTextEdit>(QStringLiteral("txtMessageDisplay"))->toPlainText(),
              state.gStatusMessage);
}

TEST_F(MainDisplayTest, ACommErrorStopsThePassAndTheNextPassGoesOffline) {
    board.faults().silent = true; // the retry box is cancelled
    EXPECT_EQ(runPass(), 2);
    EXPECT_TRUE(link.CommError());
    EXPECT_EQ(modeUpdates, 0);
    runPass();
    EXPECT_FALSE(link.OnlineMode());
    EXPECT_EQ(modeUpdates, 1);
    EXPECT_EQ(label(0), QStringLiteral("-"));
    EXPECT_FALSE(button("cmdSingleBlowoff")->isEnabled());
}

TEST_F(MainDisplayTest, BackOnlineThePageIsPreparedAgain) {
    link.CloseRSComm();
    runPass();
    link.OpenRSComm(port);
    board.setValue(QStringLiteral("B2088"), 9);
    EXPECT_EQ(runPass(), 1 + 1 + 5); // B2088, then the displays
    EXPECT_EQ(txtSpindleBlowoff->text(), QStringLiteral("9"));
    EXPECT_TRUE(button("cmdSingleBlowoff")->isEnabled());
}

TEST_F(MainDisplayTest, SpinWritesB2088AtOnceTypingAndLeavingSendsNothing) {
    QTest::mouseClick(updSpindleNumber->upButton(), Qt::LeftButton);
    EXPECT_EQ(txtSpindleBlowoff->text(), QStringLiteral("6"));
    EXPECT_EQ(writes(), (std::vector<std::pair<int, int>>{{2088, 6}}));
    EXPECT_TRUE(button("cmdDefault")->hasFocus());
    board.clearTranscript();
    typeSpindle(QStringLiteral("12"));
    QTest::keyClick(txtSpindleBlowoff, Qt::Key_Return);
    EXPECT_TRUE(button("cmdSingleBlowoff")->hasFocus());
    EXPECT_TRUE(sent().isEmpty());
    EXPECT_TRUE(prompt.boxes.empty());
}

TEST_F(MainDisplayTest, ABadSpindleNumberKeepsTheFocusAndNoButtonFires) {
    struct Case {
        const char* typed;
        const char* button; // null: leave with Enter
    };
    const Case cases[] = {{"25", "cmdSingleBlowoff"},
                          {"0", "cmdBlanketBlowoff"},
                          {"abc", "cmdBadCanBlowoff"},
                          {"x", nullptr},
                          {"24.6", nullptr}};
    for (const Case& c : cases) {
        prompt.boxes.clear();
        typeSpindle(QString::fromLatin1(c.typed));
        if (c.button)
            QTest::mouseClick(button(c.button), Qt::LeftButton);
        else
            QTest::keyClick(txtSpindleBlowoff, Qt::Key_Return);
        QCoreApplication::sendPostedEvents(
            nullptr, QEvent::MetaCall); // the range message follows the click or key
        ASSERT_EQ(prompt.boxes.size(), 1u) << c.typed;
        EXPECT_EQ(prompt.boxes[0].title, QStringLiteral("Q.C. Blow-off"));
        EXPECT_EQ(prompt.boxes[0].text,
                  QStringLiteral("Only a Number Between 1 and 24 can be Entered"));
        EXPECT_EQ(txtSpindleBlowoff->text(), QStringLiteral("5")) << c.typed;
        EXPECT_TRUE(txtSpindleBlowoff->hasFocus()) << c.typed;
        EXPECT_TRUE(sent().isEmpty()) << c.typed;
    }
}

TEST_F(MainDisplayTest, AFocusMoveByThePageDoesNotCheckTheField) {
    typeSpindle(QStringLiteral("99"));
    button("cmdDefault")->setFocus(Qt::OtherFocusReason);
    EXPECT_TRUE(prompt.boxes.empty());
}

TEST(MainDisplayValues, CountsAreWholeGroupedNumbers) {
    const QLocale en(QLocale::English, QLocale::UnitedStates);
    const std::pair<const char*, const char*> cases[] = {
        {"1234567", "1,234,567"}, {" 12 ", "12"},    {"abc", "0"},
        {"999", "999"},           {"1000", "1,000"}, {"655359999", "655,359,999"}};
    for (auto [value, shown] : cases)
        EXPECT_EQ(groupedCount(QString::fromLatin1(value), en), QString::fromLatin1(shown));
    EXPECT_EQ(groupedCount(u"1234567", QLocale(QLocale::German)), QStringLiteral("1.234.567"));
}

} // namespace
