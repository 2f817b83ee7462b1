#include "ShellFixture.h"
#include "data/TagMap.h"
#include "widgets/dialogs/frmCompare.h"
#include "widgets/dialogs/frmLabelRange.h"
#include "widgets/dialogs/frmProcessing.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QToolButton>
#include <QtTest/QTest>

namespace kalvex::test {
namespace {

QRadioButton* optLabels(QWidget& d, int i) {
    return control<QRadioButton>(d, i ? "optLabels1" : "optLabels0");
}
QLineEdit* txtLabels(QWidget& d, int i) {
    return control<QLineEdit>(d, i ? "txtLabels1" : "txtLabels0");
}

class TransferWindows : public ShellFixture {
  protected:
    void SetUp() override {
        ShellFixture::SetUp();
        window->show();
        goOnline();
        for (const int i : setupDataItems())
            board.setValue(itemAddress(i), state.gDefaultData.Value[size_t(i)]);
        board.setValue(itemAddress(kSetupItem), 9); // not the default
        board.clearTranscript();
    }

    static constexpr int kSetupItem = 143; // W686, moved by All only
    QString progressText;
    std::pair<int, int> progress{-1, -1};
};

// Button faces move all the data, the upload menu a part, the label range dialog its range.
TEST_F(TransferWindows, UploadAndDownloadButtons) {
    modal.on<frmProcessing>([this](frmProcessing* w) {
        const auto* bar = control<QProgressBar>(*w, "prgProcessing");
        progressText = control<QLabel>(*w, "lblProcessing")->text();
        progress = {bar->value(), bar->maximum()};
        return false;
    });
    for (int i = 0; i < 3; ++i)
        prompt.answer(MsgAnswer::Yes);
    child<QToolButton>("uploadButton")->menu()->actions().at(1)->trigger();
    EXPECT_EQ(state.gProcessCode, kUploadShift);

    QTest::mouseClick(child<QToolButton>("uploadButton"), Qt::LeftButton, {}, QPoint(6, 6));
    EXPECT_EQ(state.gProcessCode, kUploadAll);
    EXPECT_EQ(state.gCurrentData.Value[kSetupItem], 9);

    state.gCurrentData.Value[kSetupItem] = 12;
    child<QToolButton>("downloadButton")->defaultAction()->trigger();
    EXPECT_EQ(state.gProcessCode, kDownloadAll);
    EXPECT_EQ(board.value(itemAddress(kSetupItem)), 12);
    EXPECT_EQ(progress.first, 1747);
    ASSERT_EQ(prompt.boxes.size(), 3u);
    EXPECT_EQ(prompt.boxes[1].title, "Data Upload");
    EXPECT_EQ(prompt.boxes[2].title, "Data Download");

    // A label range of five to three moves label five only.
    modal.on<frmLabelRange>([](frmLabelRange* d) {
        QTest::mouseClick(optLabels(*d, 1), Qt::LeftButton);
        QTest::keyClicks(txtLabels(*d, 0), "5");
        QTest::keyClicks(txtLabels(*d, 1), "3");
        QTest::mouseClick(control<QPushButton>(*d, "cmdOk"), Qt::LeftButton);
        return true;
    });
    prompt.answer(MsgAnswer::Yes);
    item("mnuFileUploadData_2")->trigger();
    EXPECT_EQ(state.gLabelFirst, 5);
    EXPECT_EQ(state.gLabelLast, 5);
    EXPECT_EQ(progressText, "Uploading Label Data, Please Standby...");
    EXPECT_EQ(progress.second, 17);
}

// An equal board offers no download; one differing in three items downloads the ticked ones.
TEST_F(TransferWindows, CompareDownloadsTheTickedItemsOnlyAndReadsThemBack) {
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

    for (const int i : {122, 131, 1745})
        board.setValue(itemAddress(i), state.gDefaultData.Value[size_t(i)] + 1);
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
    EXPECT_EQ(board.value(itemAddress(122)), state.gCurrentData.Value[122]);
    EXPECT_EQ(board.value(itemAddress(131)),
              state.gCurrentData.Value[131] + 1); // unticked: left alone
    EXPECT_EQ(board.value(itemAddress(1745)), state.gCurrentData.Value[1745]);
    EXPECT_EQ(state.gCurrentData, state.gDefaultData);
}

// A refused range keeps the dialog for correction (the rules are the range's own test).
TEST(LabelRangeDialog, FocusRulesRefusalAndCancel) {
    RecordingPrompt prompt;
    frmLabelRange d{prompt};
    d.show();
    EXPECT_TRUE(optLabels(d, 0)->isChecked());
    EXPECT_FALSE(d.range());
    QApplication::setActiveWindow(&d);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    QTest::mouseClick(optLabels(d, 1), Qt::LeftButton);
    EXPECT_TRUE(txtLabels(d, 0)->hasFocus());
    QTest::keyClick(txtLabels(d, 0), Qt::Key_Return);
    EXPECT_TRUE(txtLabels(d, 1)->hasFocus());
    EXPECT_TRUE(d.isVisible()); // Enter moved on, it did not press Ok

    optLabels(d, 0)->setChecked(true);
    optLabels(d, 0)->setFocus();
    QTest::keyClick(optLabels(d, 0), Qt::Key_Down); // chosen by arrow: on to "from"
    EXPECT_TRUE(optLabels(d, 1)->isChecked());
    QTRY_VERIFY(txtLabels(d, 0)->hasFocus());

    optLabels(d, 0)->setChecked(true);
    optLabels(d, 0)->setFocus();
    txtLabels(d, 0)->setFocus();
    EXPECT_TRUE(optLabels(d, 1)->isChecked());

    txtLabels(d, 0)->setText("1O");
    QTest::mouseClick(control<QPushButton>(d, "cmdOk"), Qt::LeftButton);
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_EQ(prompt.boxes[0].title, "Label Range");
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(txtLabels(d, 0)->text(), "1O");
    QTest::mouseClick(control<QPushButton>(d, "cmdCancel"), Qt::LeftButton);
    EXPECT_FALSE(d.range() || d.isVisible());
}

} // namespace
} // namespace kalvex::test
