#include "ShellFixture.h"
#include "data/frmProcessing.h"
#include "report/ReportCommands.h"
#include "report/frmReportSetup.h"
#include "report/frmWaitDisplay.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest/QTest>
#include <functional>

namespace kalvex::test {
namespace {

// Report Set-up as the user sees it.
class ReportSetup : public ::testing::Test {
  public:
    void open(const ReportOptions& o) {
        ensureApplication();
        dialog = std::make_unique<frmReportSetup>(o, prompt);
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    }
    template <class W> W* child(const char* name) const {
        auto* w = dialog->findChild<W*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QCheckBox* check(int i) const {
        return child<QCheckBox>(qPrintable(QStringLiteral("chkReportOptions%1").arg(i)));
    }
    QRadioButton* option(int i) const {
        return child<QRadioButton>(qPrintable(QStringLiteral("optLabels%1").arg(i)));
    }
    QLineEdit* field(int i) const {
        return child<QLineEdit>(qPrintable(QStringLiteral("txtLabels%1").arg(i)));
    }
    // On the box or circle: a button that spans grid columns is not hit at its centre.
    static void press(QAbstractButton* b) {
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
    }
    void click(const char* button) {
        QTest::mouseClick(child<QPushButton>(button), Qt::LeftButton);
    }
    ReportOptions ok() {
        click("cmdOk");
        EXPECT_TRUE(dialog->chosen());
        return dialog->chosen().value_or(ReportOptions{});
    }

    RecordingPrompt prompt;
    std::unique_ptr<frmReportSetup> dialog;
};

TEST_F(ReportSetup, ShowsTheOptionsItWasOpenedWith) {
    open({false, true, true, false, 5, 120});
    EXPECT_EQ(dialog->windowTitle(), "Report Set-up");
    EXPECT_FALSE(check(0)->isChecked());
    EXPECT_TRUE(check(1)->isChecked() && check(2)->isChecked());
    EXPECT_TRUE(option(1)->isChecked());
    EXPECT_EQ(field(0)->text(), "5");
    EXPECT_EQ(field(1)->text(), "120");

    open({true, true, false, true, 0, 99});
    for (int i = 0; i < 2; ++i)
        EXPECT_FALSE(option(i)->isChecked() || option(i)->isEnabled() || field(i)->isEnabled());
}

// What Ok gives after the user's clicks, from the options the dialog was opened with.
struct OkCase {
    const char* name;
    ReportOptions opened;
    std::function<void(ReportSetup&)> act;
    ReportOptions expected;
};

class OkResults : public ReportSetup, public ::testing::WithParamInterface<OkCase> {};

TEST_P(OkResults, AreTheOptionsShown) {
    open(GetParam().opened);
    GetParam().act(*this);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(ok(), GetParam().expected);
    EXPECT_TRUE(prompt.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(ReportSetup, OkResults,
                         ::testing::Values(OkCase{"full_report",
                                                  {false, false, false, false, 3, 4},
                                                  [](ReportSetup& d) { d.click("cmdFullReport"); },
                                                  {true, true, true, true, 0, 0}},
                                           OkCase{"range_with_empty_fields",
                                                  {},
                                                  [](ReportSetup& d) { d.press(d.option(1)); },
                                                  {true, true, true, false, 0, 0}},
                                           OkCase{"labels_unchecked",
                                                  {true, true, true, false, 5, 9},
                                                  [](ReportSetup& d) {
                                                      d.press(d.check(2));
                                                      EXPECT_TRUE(d.field(0)->text().isEmpty() &&
                                                                  d.field(1)->text().isEmpty());
                                                  },
                                                  {true, true, false, false, 0, 0}},
                                           OkCase{"all_labels_empties_the_range",
                                                  {true, false, true, false, 5, 9},
                                                  [](ReportSetup& d) { d.press(d.option(0)); },
                                                  {true, false, true, true, 0, 0}}),
                         [](const auto& test) { return std::string(test.param.name); });

TEST_F(ReportSetup, EnteringAFieldChoosesTheRangeAndOffersZero) {
    open({});
    field(0)->setFocus();
    EXPECT_TRUE(option(1)->isChecked());
    EXPECT_EQ(field(0)->text(), "0");
    QTRY_COMPARE(field(0)->selectedText(), QStringLiteral("0"));
    QTest::keyClicks(field(0), "12");
    QTest::keyClick(field(0), Qt::Key_Return); // Enter moves on to "to:"
    EXPECT_TRUE(field(1)->hasFocus());
    QTest::keyClicks(field(1), "450");
    const ReportOptions o = ok();
    EXPECT_FALSE(o.allLabels);
    EXPECT_EQ(o.labelFirst, 12);
    EXPECT_EQ(o.labelLast, 450);
    EXPECT_TRUE(prompt.boxes.empty());
}

TEST_F(ReportSetup, AnEntryAbove450IsRefusedEmptiedAndKeepsTheFocus) {
    open({});
    field(0)->setFocus();
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

    // Ok with a refused entry does not close either.
    QTest::keyClicks(field(0), "abc");
    click("cmdOk");
    EXPECT_FALSE(dialog->chosen());
    EXPECT_EQ(prompt.boxes.size(), 2u);
}

// Through the main window: the options change on Ok only.
class ReportCommandsTest : public ShellFixture {
  protected:
    ReportOptions current() const { return reportOptions(state); }
};

TEST_F(ReportCommandsTest, ReportSetupCommitsOnOkOnly) {
    modal.on<frmReportSetup>([](frmReportSetup* d) {
        QTest::mouseClick(d->findChild<QCheckBox*>("chkReportOptions1"), Qt::LeftButton);
        d->findChild<QLineEdit*>("txtLabels0")->setFocus();
        QTest::mouseClick(d->findChild<QPushButton*>("cmdCancel"), Qt::LeftButton);
        return true;
    });
    item("mnuFilePrintSetup")->trigger();
    EXPECT_EQ(current(), ReportOptions{});

    modal.on<frmReportSetup>([](frmReportSetup* d) {
        QTest::mouseClick(d->findChild<QCheckBox*>("chkReportOptions1"), Qt::LeftButton);
        QTest::mouseClick(d->findChild<QPushButton*>("cmdOk"), Qt::LeftButton);
        return true;
    });
    item("mnuFilePrintSetup")->trigger();
    EXPECT_FALSE(state.gReportShift);
    EXPECT_TRUE(state.gReportSetup && state.gReportLabels);
}

// The printer dialog answered with a PDF file, or cancelled.
class PdfPrinter final : public PrintDialogs {
  public:
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
    int asked = 0;
    int previews = 0;
};

class PrintReportTest : public ShellFixture {
  protected:
    void SetUp() override {
        ShellFixture::SetUp();
        printer.file = home.filePath(QStringLiteral("report.pdf"));
        window->reportCommands().setDialogs(&printer);
        window->show();
    }
    QList<QAction*> printEntries() const {
        return {item("mnuFilePrint"), item("mnuFilePrintPreview"), item("Toolbar1_6")};
    }
    PdfPrinter printer;
};

TEST_F(PrintReportTest, PrintsBehindTheWaitWindowAndOnlyOnceAtATime) {
    item("Toolbar1_6")->trigger();
    ASSERT_EQ(printer.asked, 1);
    QPointer<frmWaitDisplay> wait = window->findChild<frmWaitDisplay*>();
    ASSERT_TRUE(wait && wait->isVisible());
    EXPECT_EQ(wait->findChild<QLabel*>("lblWaitDisplay")->text(),
              "Generating Report, Please Standby ...");
    EXPECT_EQ(state.gReportRequest, 1);
    for (QAction* a : printEntries())
        EXPECT_FALSE(a->isEnabled());
    window->reportCommands().PrintReport(); // a second one while generating: nothing
    EXPECT_EQ(printer.asked, 1);
    EXPECT_EQ(window->findChildren<frmWaitDisplay*>().size(), 1);
    QTRY_VERIFY(!wait);
    EXPECT_EQ(state.gReportRequest, 0);
    for (QAction* a : printEntries())
        EXPECT_TRUE(a->isEnabled());
    QFile pdf(printer.file);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.readAll().startsWith("%PDF"));
    EXPECT_TRUE(board.transcript().empty()); // offline: no upload offered
    EXPECT_TRUE(prompt.boxes.empty());
}

TEST_F(PrintReportTest, CancelInThePrinterDialogPrintsNothing) {
    printer.accept = false;
    item("mnuFilePrint")->trigger();
    EXPECT_EQ(printer.asked, 1);
    EXPECT_EQ(window->findChild<frmWaitDisplay*>(), nullptr);
    EXPECT_FALSE(QFile::exists(printer.file));
    EXPECT_TRUE(item("mnuFilePrint")->isEnabled());
}

TEST_F(PrintReportTest, OnlineTheUploadComesFirstAndAFailedOneStopsThePrint) {
    goOnline();
    board.setValue(QStringLiteral("W1092"), 650);
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
    EXPECT_TRUE(item("mnuFilePrint")->isEnabled());
    // The preview is refused the same way; answering No shows the data as it is.
    link.setCommError(false);
    board.faults().silentAfter = -1;
    prompt.answer(MsgAnswer::No);
    item("mnuFilePrintPreview")->trigger();
    EXPECT_EQ(printer.previews, 1);
}

} // namespace
} // namespace kalvex::test
