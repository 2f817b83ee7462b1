#include "widgets/pages/RefreshLoop.h"
#include "data/AppState.h"
#include "support/LinkFixture.h"
#include "support/Pages.h"
#include "widgets/pages/frmMain.h"
#include "widgets/pages/frmSetup.h"

#include <QDialog>
#include <QPointer>
#include <QTest>

#include <functional>

using namespace kalvex;

namespace {

class RefreshLoopTest : public test::LinkFixture {
  protected:
    RefreshLoopTest()
        : loop(&page, link, [this](RefreshLoop& l) {
              ++passes;
              if (layOut) layOut(l);
          }) {}

    void runPass() { test::runPass(loop); }

    QWidget page;
    std::function<void(RefreshLoop&)> layOut = [this](RefreshLoop& l) {
        l.add([this] { log += 'a'; });
        l.add([this] { log += 'b'; });
    };
    RefreshLoop loop;
    int passes = 0;
    std::string log;
};

TEST_F(RefreshLoopTest, SkipsWhileTheLinkIsBusy) {
    loop.start();
    bool stepped = true;
    board.faults().silent = true;
    prompt.answerWith([&](const test::Box&) {
        stepped = loop.step(); // a timer tick during the link's retry box
        return MsgAnswer::Cancel;
    });
    link.RSRead(QStringLiteral("W50"));
    EXPECT_FALSE(stepped);
    EXPECT_EQ(passes, 0);
}

// A pass of two reads, a conditional read and a write: each case stops it at another point, and
// nothing after that point reaches the board.
TEST_F(RefreshLoopTest, BoardStepsStopAtWhateverEndsThePass) {
    struct Case {
        const char* name;
        bool readW52;                     // the condition of the second read
        std::function<void()> afterFirst; // runs in the first read's sink
        bool guard;
        std::vector<int> reads;
        std::vector<std::pair<int, int>> writes;
    };
    const std::vector<Case> cases = {
        {"all steps", true, nullptr, true, {50, 51, 52, 53, 56, 57}, {{54, 7}}},
        {"condition false", false, nullptr, true, {50, 51, 56, 57}, {{54, 7}}},
        {"guard refuses", true, nullptr, false, {}, {}},
        {"link closed", true, [this] { link.CloseRSComm(); }, true, {50, 51}, {}},
        {"link lost", true, [this] { link.setCommError(true); }, true, {50, 51}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        link.setCommError(false);
        link.setOnlineMode(true);
        clearTranscript();
        std::vector<qint64> seen;
        board.setValue("W50", 1234);
        layOut = [&](RefreshLoop& l) {
            l.addRead(QStringLiteral("W50"), [&](qint64 v) {
                seen.push_back(v);
                if (c.afterFirst) c.afterFirst();
            });
            l.addRead(
                QStringLiteral("W52"), [&](qint64 v) { seen.push_back(v); },
                [&] { return c.readW52; });
            l.addWrite(QStringLiteral("B54"), QStringLiteral("7"));
            l.addRead(QStringLiteral("W56"), [&](qint64 v) { seen.push_back(v); });
        };
        loop.setGuard([&] { return c.guard; });
        loop.start();
        runPass();
        loop.stop();
        const test::Traffic t = traffic();
        EXPECT_EQ(t.reads, c.reads);
        EXPECT_EQ(t.writes, c.writes);
        if (!c.reads.empty()) {
            EXPECT_EQ(seen.front(), 1234);
        }
    }
}

// A page closed while its read waits in a retry box (the cable pulled, the program quitting):
// the loop goes with it and nothing of it is touched afterwards.
TEST(RefreshLoopClosing, APageClosedUnderARetryBoxLeavesNothingBehind) {
    for (const bool byTimer : {false, true}) {
        test::SimulatedLink f;
        f.link.attachPort(f.port);
        f.link.setOnlineMode(true);
        ASSERT_TRUE(f.link.OnlineMode());
        f.board.faults().silent = true;
        auto* owner = new QWidget;
        const QPointer<QWidget> watch(owner);
        bool sunk = false;
        f.prompt.answerWith([&](const test::Box&) {
            delete owner;
            return MsgAnswer::Cancel;
        });
        auto* loop = new RefreshLoop(owner, f.link, [&](RefreshLoop& l) {
            l.addRead(QStringLiteral("W50"), [&](qint64) { sunk = true; });
            l.addWrite(QStringLiteral("W52"), QStringLiteral("1"));
        });
        loop->start();
        if (byTimer) {
            QTRY_VERIFY_WITH_TIMEOUT(watch.isNull(), 5000);
            QTest::qWait(100); // the timer's slot has returned; later ticks must not come
        } else {
            loop->step();
            loop->step();
        }
        EXPECT_TRUE(watch.isNull()) << byTimer;
        EXPECT_FALSE(sunk) << byTimer;
        EXPECT_EQ(f.prompt.boxes.size(), 1u) << byTimer;
    }
}

// A page left offline waits for no board: its passes come a few dozen times a second at most,
// not as fast as the timer can fire.
TEST_F(RefreshLoopTest, PagesLeftOfflineArePaced) {
    link.CloseRSComm();
    clearTranscript();
    AppState state;
    frmMain main{state, link, prompt};
    frmSetup setup{state, link, prompt};
    for (MachinePage* shown : std::initializer_list<MachinePage*>{&main, &setup}) {
        SCOPED_TRACE(shown->windowTitle().toStdString());
        shown->show();
        const int before = shown->refreshLoop().passes();
        QTest::qWait(1000);
        const int made = shown->refreshLoop().passes() - before;
        EXPECT_GE(made, 1);
        EXPECT_LE(made, 1000 / RefreshLoop::kOfflineIntervalMs + 5);
        shown->Unload();
    }
    EXPECT_TRUE(sent().isEmpty());
}

} // namespace
