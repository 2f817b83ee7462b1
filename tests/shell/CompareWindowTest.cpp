#include "ShellFixture.h"
#include "data/TagMap.h"
#include "widgets/dialogs/frmCompare.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTableView>
#include <QtTest/QTest>

namespace kalvex::test {
namespace {

// File > Compare with Board against a board whose set-up data differs in three items.
class CompareWindow : public ShellFixture {
  protected:
    void SetUp() override {
        ShellFixture::SetUp();
        window->show();
        goOnline();
        for (const int i : setupDataItems())
            board.setValue(itemAddress(i), state.gDefaultData.Value[size_t(i)]);
    }
    qint64 boardValue(int item) const { return board.value(itemAddress(item)); }

    static constexpr int kChanged[] = {122, 131, 1745};
};

// An equal board shows no differences and offers no download; one that differs in three items
// downloads the ticked ones only and reads them back.
TEST_F(CompareWindow, DownloadsTheTickedItemsOnlyAndReadsThemBack) {
    board.clearTranscript();
    QString countShown;
    bool downloadEnabled = true;
    modal.on<frmCompare>([&](frmCompare* w) {
        countShown = control<QLabel>(*w, "lblCount")->text();
        downloadEnabled = control<QPushButton>(*w, "cmdDownload")->isEnabled() ||
                          control<QCheckBox>(*w, "chkVerify")->isEnabled();
        QTest::mouseClick(control<QPushButton>(*w, "cmdClose"), Qt::LeftButton);
        return true;
    });
    item("tbrDownloadCompareData_0")->trigger();
    EXPECT_EQ(countShown, "No differences");
    EXPECT_FALSE(downloadEnabled);
    EXPECT_TRUE(board.writes().empty());
    EXPECT_TRUE(prompt.boxes.empty());

    for (const int i : kChanged)
        board.setValue(itemAddress(i), state.gDefaultData.Value[size_t(i)] + 1);
    board.clearTranscript();
    QString countAfterUntick, firstName, title;
    modal.on<frmCompare>([&](frmCompare* w) {
        auto* grid = control<QTableView>(*w, "grdDifferences");
        auto* count = control<QLabel>(*w, "lblCount");
        countShown = count->text();
        firstName = grid->model()->index(0, 2).data().toString();
        EXPECT_TRUE(control<QCheckBox>(*w, "chkVerify")->isChecked());
        grid->setCurrentIndex(grid->model()->index(1, 3)); // Space unticks in any column
        QTest::keyClick(grid, Qt::Key_Space);
        countAfterUntick = count->text();
        title = w->windowTitle();
        QTest::mouseClick(control<QPushButton>(*w, "cmdDownload"), Qt::LeftButton);
        return true;
    });
    prompt.answer(MsgAnswer::Yes); // the download question
    item("mnuFileCompareData_0")->trigger();

    EXPECT_EQ(countShown, "3 items differ, 3 ticked");
    EXPECT_EQ(firstName, "Canfeed Enable Low Speed");
    EXPECT_EQ(countAfterUntick, "3 items differ, 2 ticked");
    EXPECT_EQ(title, "Compare with Board - [unnamed]");
    ASSERT_EQ(prompt.boxes.size(), 2u);
    EXPECT_EQ(prompt.boxes[0].title, "Data Download");
    EXPECT_EQ(prompt.boxes[1].text, "2 items written and read back: the board holds them.");
    EXPECT_EQ(boardValue(122), state.gCurrentData.Value[122]);
    EXPECT_EQ(boardValue(131), state.gCurrentData.Value[131] + 1); // unticked: left alone
    EXPECT_EQ(boardValue(1745), state.gCurrentData.Value[1745]);
    EXPECT_EQ(state.gCurrentData, state.gDefaultData);
}

} // namespace
} // namespace kalvex::test
