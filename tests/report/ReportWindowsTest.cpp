#include "shell/ShellFixture.h"
#include "widgets/dialogs/frmProcessing.h"
#include "widgets/report/ReportCommands.h"
#include "widgets/report/frmReportSetup.h"
#include "widgets/report/frmWaitDisplay.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest/QTest>

namespace kalvex::test {
namespace {

class ReportSetup : public ::testing::Test {
  public:
    void open(const ReportOptions& o) {
        ensureApplication();
        dialog = std::make_unique<frmReportSetup>(o, prompt);
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    }
    template <class W = QAbstractButton> W* child(const QString& name, int i = -1) const {
        return control<W>(*dialog, i < 0 ? name : name + QString::number(i));
    }
    QRadioButton* option(int i) const { return child<QRadioButton>("optLabels", i); }
    QLineEdit* field(int i) const { return child<QLineEdit>("txtLabels", i); }
    // On the box or circle: a button that spans grid columns is not hit at its centre.
    void press(const QString& name, int i = -1) {
        QAbstractButton* b = child(name, i);
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
    }

    RecordingPrompt prompt;
    std::unique_ptr<frmReportSetup> dialog;
};

// What Ok gives after a click or Tab from the options opened with; All Labels disables the range.
TEST_F(ReportSetup, OkGivesTheOptionsShown) {
    const auto rangeDisabled = [this] {
        EXPECT_EQ(dialog->windowTitle(), "Report Set-up");
        for (int i = 0; i < 2; ++i)
            EXPECT_FALSE(option(i)->isChecked() || option(i)->isEnabled() || field(i)->isEnabled());
    };
    const auto tabToOk = [this](const char* typed) {
        option(0)->setFocus();
        QTest::keyClick(option(0), Qt::Key_Tab); // the second option is skipped in its group
        ASSERT_TRUE(field(0)->hasFocus());
        QTest::keyClicks(field(0), typed);
        QTest::keyClick(field(0), Qt::Key_Tab);
        QTest::keyClick(field(1), Qt::Key_Tab);
        ASSERT_TRUE(child("cmdOk")->hasFocus());
    };
    // clang-format off
    const std::tuple<ReportOptions, std::function<void()>, ReportOptions> cases[] = {
        {{true, true, false, true, 0, 99}, rangeDisabled, {true, true, false, false, 0, 0}},
        {{false, true, true, false, 5, 120}, [] {}, {false, true, true, false, 5, 120}},
        {{false, false, false, false, 3, 4}, [this] { press("cmdFullReport"); }, {true, true, true, true, 0, 0}},
        {{}, [this] { press("optLabels", 1); }, {true, true, true, false, 0, 0}}, // empty fields
        {{true, true, true, false, 5, 9}, [this] { press("chkReportOptions", 2); }, {true, true, false, false, 0, 0}},
        {{true, false, true, false, 5, 9}, [this] { press("optLabels", 0); }, {true, false, true, true, 0, 0}},
        {{true, true, true, true, 0, 99}, [&] { tabToOk(""); }, {true, true, true, true, 0, 0}},
        {{true, true, true, true, 0, 99}, [&] { tabToOk("7"); }, {true, true, true, false, 7, 0}}};
    // clang-format on
    for (const auto& [opened, act, expected] : cases) {
        open(opened);
        act();
        EXPECT_TRUE(dialog->isVisible());
        QTest::keyClick(child("cmdOk"), Qt::Key_Return);
        ASSERT_TRUE(dialog->chosen());
        EXPECT_EQ(*dialog->chosen(), expected);
    }
    EXPECT_TRUE(prompt.boxes.empty());
}

TEST_F(ReportSetup, AFieldChoosesTheRangeOffersZeroAndRefusesAbove450) {
    open({});
    field(0)->setFocus();
    EXPECT_TRUE(option(1)->isChecked());
    EXPECT_EQ(field(0)->text(), "0");
    QTRY_COMPARE(field(0)->selectedText(), QStringLiteral("0"));
    QTest::keyClicks(field(0), "451");
    QTest::keyClick(field(0), Qt::Key_Tab);
    QTRY_COMPARE(prompt.boxes.size(), size_t(1));
    EXPECT_EQ(prompt.boxes[0].title, "Label Range Error");
    EXPECT_EQ(prompt.boxes[0].text, "Only a number from 0 to 450 can be entered.");
    EXPECT_EQ(prompt.boxes[0].icon, MsgIcon::Exclamation);
    EXPECT_TRUE(field(0)->text().isEmpty());
    QTRY_VERIFY(field(0)->hasFocus());
    QTest::qWait(20);
    EXPECT_TRUE(field(0)->text().isEmpty()); // the focus handed back is no new visit

    QTest::keyClicks(field(0), "abc");
    press("cmdOk");
    EXPECT_FALSE(dialog->chosen());
    EXPECT_EQ(prompt.boxes.size(), 2u);
    QTRY_VERIFY(field(0)->hasFocus());
    field(0)->clear();
    QTest::keyClicks(field(0), "12");
    QTest::keyClick(field(0), Qt::Key_Return);
    EXPECT_TRUE(field(1)->hasFocus());
    QTest::keyClicks(field(1), "450");
    press("cmdOk");
    EXPECT_EQ(dialog->chosen(), (ReportOptions{true, true, true, false, 12, 450}));
    EXPECT_EQ(prompt.boxes.size(), 2u);
}

struct PdfPrinter final : PrintDialogs {
    bool choosePrinter(QPrinter& printer, QWidget*) override {
        ++asked;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        return accept;
    }
    void preview(QPrinter&, const std::function<void(QPrinter*)>&, QWidget*) override {
        ++previews;
    }
    QString file;
    bool accept = true;
    int asked = 0, previews = 0;
};

class PrintReportTest : public ShellFixture {
  protected:
    void SetUp() override {
        ShellFixture::SetUp();
        printer.file = home.filePath("report.pdf");
        window->reportCommands().setDialogs(&printer);
        window->show();
    }
    void expectPrintEntriesEnabled(bool on) const {
        for (const char* name : {"mnuFilePrint", "mnuFilePrintPreview", "Toolbar1_6"})
            EXPECT_EQ(item(name)->isEnabled(), on) << name;
    }
    PdfPrinter printer;
};

TEST_F(PrintReportTest, PrintsBehindTheWaitWindowOnceAtATimeAndNothingWhenCancelledOrNoSection) {
    item("Toolbar1_6")->trigger();
    ASSERT_EQ(printer.asked, 1);
    QPointer<frmWaitDisplay> wait = window->findChild<frmWaitDisplay*>();
    ASSERT_TRUE(wait && wait->isVisible());
    EXPECT_EQ(control<QLabel>(*wait, "lblWaitDisplay")->text(),
              "Generating Report, Please Standby ...");
    EXPECT_EQ(state.gReportRequest, 1);
    expectPrintEntriesEnabled(false);
    window->reportCommands().PrintReport(); // a second one while generating: nothing
    EXPECT_EQ(printer.asked, 1);
    EXPECT_EQ(window->findChildren<frmWaitDisplay*>().size(), 1);
    QTRY_VERIFY(!wait);
    EXPECT_EQ(state.gReportRequest, 0);
    expectPrintEntriesEnabled(true);
    QFile pdf(printer.file);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.readAll().startsWith("%PDF"));
    EXPECT_TRUE(board.transcript().empty()); // offline: no upload offered
    pdf.remove();                            // cancelled in the printer dialog: nothing

    printer.accept = false;
    item("mnuFilePrint")->trigger();
    EXPECT_EQ(printer.asked, 2);
    EXPECT_EQ(window->findChild<frmWaitDisplay*>(), nullptr);
    EXPECT_FALSE(QFile::exists(printer.file));
    expectPrintEntriesEnabled(true);
    EXPECT_TRUE(prompt.boxes.empty());

    for (const char* button : {"cmdCancel", "cmdOk"}) {
        modal.on<frmReportSetup>([button](frmReportSetup* d) {
            for (int i = 0; i < 3; ++i)
                QTest::mouseClick(
                    control<QCheckBox>(*d, QStringLiteral("chkReportOptions%1").arg(i)),
                    Qt::LeftButton);
            QTest::mouseClick(control<QPushButton>(*d, button), Qt::LeftButton);
            return true;
        });
        item("mnuFilePrintSetup")->trigger();
    }
    EXPECT_EQ(reportOptions(state), (ReportOptions{false, false, false, false, 0, 0}));
    for (const char* entry : {"mnuFilePrint", "mnuFilePrintPreview"})
        item(entry)->trigger();
    EXPECT_EQ(printer.asked + printer.previews, 2);
    ASSERT_EQ(prompt.boxes.size(), 2u);
    EXPECT_TRUE(prompt.boxes[1].text.startsWith("No report section is selected"));
    EXPECT_EQ(window->findChild<frmWaitDisplay*>(), nullptr);
    expectPrintEntriesEnabled(true);
}

TEST_F(PrintReportTest, OnlineTheUploadComesFirstAndAFailedOneStopsThePrint) {
    goOnline();
    board.setValue("W1092", 650);
    prompt.answer(MsgAnswer::Yes);
    modal.on<frmProcessing>([](frmProcessing*) { return false; });
    item("mnuFilePrint")->trigger();
    EXPECT_EQ(prompt.boxes.at(0).text, "Do you wish to first 'Upload Data' from the P9100?  ");
    EXPECT_EQ(state.gCurrentData.Value[122], 650);
    EXPECT_EQ(printer.asked, 1);
    QTRY_VERIFY(window->findChild<frmWaitDisplay*>() == nullptr);

    // The board stops answering half-way through the next upload.
    board.faults().silentAfter = board.receivedCount() + 2000;
    prompt.answer(MsgAnswer::Yes);
    item("mnuFilePrint")->trigger();
    EXPECT_EQ(printer.asked, 1);
    ASSERT_FALSE(prompt.boxes.empty());
    EXPECT_EQ(prompt.boxes.back().text,
              "The data upload did not complete.\r\n\r\nNo report was printed.");
    expectPrintEntriesEnabled(true);
    // The preview is refused the same way; answering No shows the data as it is.
    link.setCommError(false);
    board.faults().silentAfter = -1;
    prompt.answer(MsgAnswer::No);
    item("mnuFilePrintPreview")->trigger();
    EXPECT_EQ(printer.previews, 1);
}

} // namespace
} // namespace kalvex::test
