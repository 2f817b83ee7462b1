#include "ShellFixture.h"
#include "widgets/dialogs/frmLabelRange.h"
#include "widgets/dialogs/frmProcessing.h"

#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
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
QPushButton* button(QWidget& d, const char* name) {
    return control<QPushButton>(d, QString::fromLatin1(name));
}

class TransferWindows : public ShellFixture {
  protected:
    void SetUp() override {
        ShellFixture::SetUp();
        window->show();
        goOnline();
        board.setValue(itemAddress(kSetupItem), 9); // not the default
    }
    int value(int item) const { return state.gCurrentData.Value[size_t(item)]; }

    static constexpr int kSetupItem = 143; // W686, moved by All only
    QString progressText;
    std::pair<int, int> progress{-1, -1};
};

// The button faces move all the data, the upload button's menu a part; the progress window
// reaches the end; the label range dialog's answer is the range moved.
TEST_F(TransferWindows, UploadAndDownloadButtons) {
    // what the progress window showed last
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
    EXPECT_EQ(value(kSetupItem), 9);

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
        QTest::mouseClick(button(*d, "cmdOk"), Qt::LeftButton);
        return true;
    });
    prompt.answer(MsgAnswer::Yes);
    item("mnuFileUploadData_2")->trigger();
    EXPECT_EQ(state.gLabelFirst, 5);
    EXPECT_EQ(state.gLabelLast, 5);
    EXPECT_EQ(progressText, "Uploading Label Data, Please Standby...");
    EXPECT_EQ(progress.second, 17);
}

class LabelRangeDialog : public ::testing::Test {
  protected:
    LabelRangeDialog() { d.show(); }
    RecordingPrompt prompt;
    frmLabelRange d{prompt};
};

// The focus follows the choice; a refused range keeps the dialog for correction (the rules are
// the range's own test); Cancel gives none.
TEST_F(LabelRangeDialog, FocusRulesRefusalAndCancel) {
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
    QTest::mouseClick(button(d, "cmdOk"), Qt::LeftButton);
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_EQ(prompt.boxes[0].title, "Label Range");
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(txtLabels(d, 0)->text(), "1O");
    QTest::mouseClick(button(d, "cmdCancel"), Qt::LeftButton);
    EXPECT_FALSE(d.range() || d.isVisible());
}

} // namespace
} // namespace kalvex::test
