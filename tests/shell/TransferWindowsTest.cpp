#include "Controls.h"
#include "PtyServer.h"
#include "ShellFixture.h"
#include "data/DataTransfer.h"
#include "data/TransferPlan.h"
#include "data/frmLabelRange.h"
#include "data/frmProcessing.h"
#include "link/QtSerialPort.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QtTest/QTest>

namespace kalvex::test {
namespace {

// What the progress window showed last.
struct Progress {
    QString text;
    int value = -1;
    int maximum = -1;
};

class TransferWindows : public ShellFixture {
  protected:
    void SetUp() override {
        ShellFixture::SetUp();
        window->show();
        goOnline();
        // Board values that differ from the defaults for a shift item and a set-up-only item.
        board.setValue(itemAddress(kShiftItem), 77);
        board.setValue(itemAddress(kSetupItem), 9);
    }
    // Records the progress window; clicks Cancel once it has moved `cancelAt` items.
    void watchProgress(int cancelAt = -1) {
        modal.on<frmProcessing>([this, cancelAt](frmProcessing* w) {
            const auto* bar = control<QProgressBar>(*w, QStringLiteral("prgProcessing"));
            progress = {control<QLabel>(*w, QStringLiteral("lblProcessing"))->text(), bar->value(),
                        bar->maximum()};
            if (cancelAt >= 0 && progress.value >= cancelAt) {
                QTest::mouseClick(control<QPushButton>(*w, QStringLiteral("cmdCancel")),
                                  Qt::LeftButton);
                return true;
            }
            return false;
        });
    }
    int value(int item) const { return state.gCurrentData.Value[size_t(item)]; }

    static constexpr int kShiftItem = 1;
    static constexpr int kSetupItem = 143; // W686, moved by All only
    Progress progress;
};

TEST_F(TransferWindows, UploadButtonFaceUploadsAll) {
    watchProgress();
    prompt.answer(MsgAnswer::Yes);
    QTest::mouseClick(child<QToolButton>("uploadButton"), Qt::LeftButton, {}, QPoint(6, 6));
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_EQ(prompt.boxes[0].title, "Data Upload");
    EXPECT_EQ(state.gProcessCode, kUploadAll);
    EXPECT_EQ(value(kShiftItem), 77);
    EXPECT_EQ(value(kSetupItem), 9);
    EXPECT_EQ(progress.text, "Uploading, Please Standby...");
    EXPECT_EQ(progress.maximum, 1747);
}

TEST_F(TransferWindows, UploadMenuShiftDataUploadsShiftDataOnly) {
    watchProgress();
    prompt.answer(MsgAnswer::Yes);
    child<QToolButton>("uploadButton")->menu()->actions().at(1)->trigger();
    EXPECT_EQ(state.gProcessCode, kUploadShift);
    EXPECT_EQ(value(kShiftItem), 77);
    EXPECT_NE(value(kSetupItem), 9);
    EXPECT_EQ(progress.text, "Uploading Shift Data, Please Standby...");
    EXPECT_EQ(progress.value, 121);
}

TEST_F(TransferWindows, DownloadButtonFaceDownloadsAll) {
    watchProgress();
    state.gCurrentData.Value[kSetupItem] = 12;
    prompt.answer(MsgAnswer::Yes);
    child<QToolButton>("downloadButton")->defaultAction()->trigger();
    EXPECT_EQ(prompt.boxes[0].title, "Data Download");
    EXPECT_EQ(state.gProcessCode, kDownloadAll);
    EXPECT_EQ(board.value(itemAddress(kSetupItem)), 12);
    EXPECT_EQ(progress.value, 1747);
}

TEST_F(TransferWindows, CancelStopsTheUploadBeforeTheNextItem) {
    watchProgress(10);
    const int lastItem = 1746;
    board.setValue(itemAddress(lastItem), 1);
    const int before = value(lastItem);
    prompt.answer(MsgAnswer::Yes);
    item("mnuFileUploadData_4")->trigger();
    EXPECT_EQ(value(kShiftItem), 77);
    EXPECT_EQ(value(lastItem), before);
    EXPECT_LT(progress.value, 20);
    EXPECT_EQ(prompt.boxes.size(), 1u); // no error box after a cancel
}

QRadioButton* optLabels(QWidget& d, int i) {
    return control<QRadioButton>(d, i ? "optLabels1" : "optLabels0");
}
QLineEdit* txtLabels(QWidget& d, int i) {
    return control<QLineEdit>(d, i ? "txtLabels1" : "txtLabels0");
}
QPushButton* button(QWidget& d, const char* name) {
    return control<QPushButton>(d, QString::fromLatin1(name));
}

TEST_F(TransferWindows, LabelRangeFiveToThreeMovesLabelFiveOnly) {
    modal.on<frmLabelRange>([](frmLabelRange* d) {
        QTest::mouseClick(optLabels(*d, 1), Qt::LeftButton);
        QTest::keyClicks(txtLabels(*d, 0), "5");
        QTest::keyClicks(txtLabels(*d, 1), "3");
        QTest::mouseClick(button(*d, "cmdOk"), Qt::LeftButton);
        return true;
    });
    watchProgress();
    prompt.answer(MsgAnswer::Yes);
    item("mnuFileUploadData_2")->trigger();
    EXPECT_EQ(state.gLabelFirst, 5);
    EXPECT_EQ(state.gLabelLast, 5);
    EXPECT_EQ(progress.text, "Uploading Label Data, Please Standby...");
    EXPECT_EQ(progress.maximum, 17);
}

// The label range dialog by itself: the range Ok gives.
struct RangeCase {
    bool range;
    const char* from;
    const char* to;
    int first, last;
};

void PrintTo(const RangeCase& c, std::ostream* os) {
    if (c.range)
        *os << "from '" << c.from << "' to '" << c.to << "'";
    else
        *os << "all labels";
}

class LabelRangeDialog : public ::testing::TestWithParam<RangeCase> {
  protected:
    void SetUp() override { ensureApplication(); }
    RecordingPrompt prompt;
};

TEST_P(LabelRangeDialog, OkSetsTheRange) {
    const RangeCase& c = GetParam();
    frmLabelRange d(prompt);
    d.show();
    EXPECT_FALSE(d.range());
    EXPECT_TRUE(optLabels(d, 0)->isChecked());
    if (c.range) {
        optLabels(d, 1)->setChecked(true);
        txtLabels(d, 0)->setText(c.from);
        txtLabels(d, 1)->setText(c.to);
    }
    QTest::mouseClick(button(d, "cmdOk"), Qt::LeftButton);
    ASSERT_TRUE(d.range());
    EXPECT_EQ(d.range()->first, c.first);
    EXPECT_EQ(d.range()->last, c.last);
    EXPECT_FALSE(d.isVisible());
}

INSTANTIATE_TEST_SUITE_P(Ranges, LabelRangeDialog,
                         ::testing::Values(RangeCase{false, "", "", 0, 99},
                                           RangeCase{true, "5", "3", 5, 5},
                                           RangeCase{true, "-4", "150", 0, 99},
                                           RangeCase{true, " 7 ", "12.5", 7, 12}));

TEST(LabelRangeDialogInput, NonNumericRangeIsRefusedAndKept) {
    ensureApplication();
    RecordingPrompt prompt;
    frmLabelRange d(prompt);
    d.show();
    optLabels(d, 1)->setChecked(true);
    txtLabels(d, 0)->setText("1O");
    txtLabels(d, 1)->setText("20");
    QTest::mouseClick(button(d, "cmdOk"), Qt::LeftButton);
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_EQ(prompt.boxes[0].title, "Label Range");
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(txtLabels(d, 0)->text(), "1O");
    EXPECT_FALSE(d.range());
    QTest::mouseClick(button(d, "cmdCancel"), Qt::LeftButton);
    EXPECT_FALSE(d.range());
    EXPECT_FALSE(d.isVisible());
}

TEST(LabelRangeDialogInput, FocusRules) {
    ensureApplication();
    RecordingPrompt prompt;
    frmLabelRange d(prompt);
    d.show();
    QApplication::setActiveWindow(&d);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    QTest::mouseClick(optLabels(d, 1), Qt::LeftButton);
    EXPECT_TRUE(txtLabels(d, 0)->hasFocus());
    QTest::keyClick(txtLabels(d, 0), Qt::Key_Return);
    EXPECT_TRUE(txtLabels(d, 1)->hasFocus());
    EXPECT_TRUE(d.isVisible()); // Enter moved on, it did not press Ok

    optLabels(d, 0)->setChecked(true);
    txtLabels(d, 0)->setFocus();
    EXPECT_TRUE(optLabels(d, 1)->isChecked());

    txtLabels(d, 0)->setText(QStringLiteral("3"));
    txtLabels(d, 1)->setText(QStringLiteral("4"));
    button(d, "cmdOk")->setFocus();
    QTest::keyClick(button(d, "cmdOk"), Qt::Key_Return); // Enter on a button presses it
    EXPECT_FALSE(d.isVisible());
    ASSERT_TRUE(d.range());
    EXPECT_EQ(d.range()->last, 4);
}

// Over a real pseudo-terminal at the wire speed of 9600 baud, Cancel ends the transfer.
TEST(ProcessingWindow, CancelWorksAt9600Baud) {
    ensureApplication();
    QString error;
    auto server = sim::startSimulator(9600, QString(), &error);
    ASSERT_TRUE(server) << error.toStdString();
    QTemporaryDir home;
    RecordingPrompt prompt;
    SystemClock clock;
    QtSerialPort port(server->slavePath());
    RSComm link(prompt, clock, home.path());
    link.OpenRSComm(port);
    ASSERT_TRUE(link.OnlineMode());
    AppState state;
    DataTransfer transfer(link, prompt, state.gCurrentData, transferPlan(kUploadShift));
    frmProcessing w(transfer, link);
    QObject::connect(&w, &frmProcessing::stepped, [&](int value) {
        if (value == 3) QTest::mouseClick(button(w, "cmdCancel"), Qt::LeftButton);
    });
    w.exec();
    EXPECT_TRUE(transfer.cancelled());
    EXPECT_EQ(transfer.value(), 3);
    EXPECT_EQ(control<QProgressBar>(w, QStringLiteral("prgProcessing"))->value(), 3);
    link.CloseRSComm();
}

} // namespace
} // namespace kalvex::test
