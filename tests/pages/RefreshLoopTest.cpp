#include "widgets/pages/RefreshLoop.h"
#include "support/LinkFixture.h"

#include <QDialog>
#include <QTest>

using namespace kalvex;

namespace {

class RefreshLoopTest : public test::LinkFixture {
  protected:
    RefreshLoopTest()
        : loop(&page, link, [this](RefreshLoop& l) {
              ++passes;
              l.add([this] { log += 'a'; });
              l.add([this] { log += 'b'; });
          }) {}

    QWidget page;
    RefreshLoop loop;
    int passes = 0;
    std::string log;
};

TEST_F(RefreshLoopTest, WaitsBelowAnotherModalWindow) {
    page.show();
    loop.start();
    QDialog box;
    box.setModal(true);
    box.show();
    ASSERT_EQ(QApplication::activeModalWidget(), &box);
    EXPECT_FALSE(loop.step());
    box.close();
    EXPECT_TRUE(loop.step());
}

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

TEST_F(RefreshLoopTest, TheTimerDrivesItWithoutHelp) {
    loop.start();
    QTRY_VERIFY_WITH_TIMEOUT(passes >= 3, 5000);
    loop.stop();
    EXPECT_EQ(log.substr(0, 4), "abab");
    EXPECT_FALSE(loop.step());
}

} // namespace
