#include "ShellFixture.h"
#include "data/TagMap.h"
#include "widgets/dialogs/frmCompare.h"
#include "widgets/dialogs/frmLabelRange.h"
#include "widgets/dialogs/frmProcessing.h"
#include "widgets/dialogs/frmSetupComm.h"
#include "widgets/shell/FileDialogStart.h"
#include "widgets/shell/QtPrompt.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
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

class CommPortDialogTest : public ::testing::Test, protected SimulatedLink {
  protected:
    void SetUp() override {
        link.attachPort(port);
        QDir(home.path()).mkdir("ORV51");
        QDir(home.path()).mkdir("DIV51");
    }
    std::unique_ptr<frmSetupComm> open() {
        auto d = std::make_unique<frmSetupComm>(link, port, prompt, home.path());
        d->show();
        QApplication::setActiveWindow(d.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(d.get()));
        return d;
    }
    QByteArray file(const QString& name) const {
        QFile f(home.filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    void writeSettings(const QByteArray& line) {
        QDir(home.path()).mkdir("support");
        QFile f(home.filePath("support/RSPort.cfg"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(line);
    }
    static QLineEdit* portField(frmSetupComm& d) { return control<QLineEdit>(d, "txtCommPort"); }
    static void type(frmSetupComm& d, const QString& text) {
        portField(d)->setFocus();
        portField(d)->selectAll();
        QTest::keyClicks(portField(d), text);
    }
};

TEST_F(CommPortDialogTest, SaveWritesWhatTheDialogShowsOrRefusesAndKeepsTheFile) {
    // the file before, the port typed then Enter, 19200, device server (protocol -1: none)
    // clang-format off
    const std::tuple<const char*, const char*, bool, const char*, const char*, int, const char*, QByteArray> cases[] = {
        {nullptr, "abc", false, "", "", -1, "Only a Number Between 1 and 99 can be Entered", "<missing>"},
        {"7,19200,/dev/pts/5\r\n", nullptr, false, "", "", -1, "", "7,19200,/dev/pts/5\r\n"},
        {nullptr, nullptr, false, "", "4001", 0, "host name", "<missing>"},
        {nullptr, nullptr, false, "gw1", "70000", 0, "1 to 65535", "<missing>"},
        {nullptr, nullptr, false, "gw 1", "4001", 0, "gw 1", "<missing>"},
        {nullptr, nullptr, false, "127.0.0.1", "4001", 0, "", "1,9600,rfc2217://127.0.0.1:4001\r\n"},
        {nullptr, nullptr, true, "gw1", "2000", 1, "", "1,19200,socket://gw1:2000\r\n"},
    };
    // clang-format on
    for (const auto& c : cases) {
        const auto& [before, typed, fast, host, netPort, protocol, refusal, saved] = c;
        SCOPED_TRACE(&c - cases);
        QFile::remove(home.filePath("support/RSPort.cfg"));
        if (before) writeSettings(before);
        prompt.boxes.clear();
        auto d = open();
        if (fast) control<QRadioButton>(*d, "optPortSpeed1")->setChecked(true);
        if (protocol >= 0) {
            control<QCheckBox>(*d, "chkNetwork")->setChecked(true);
            control<QComboBox>(*d, "cboNetProtocol")->setCurrentIndex(protocol);
            control<QLineEdit>(*d, "txtNetHost")->setText(host);
            control<QLineEdit>(*d, "txtNetPort")->setText(netPort);
        }
        if (typed) {
            type(*d, typed);
            QTest::keyClick(portField(*d), Qt::Key_Return);
        } else {
            d->cmdSave_Click();
        }
        ASSERT_EQ(prompt.boxes.size(), *refusal ? 1u : 0u);
        EXPECT_TRUE(!*refusal || prompt.boxes[0].text.contains(refusal));
        EXPECT_EQ(d->isVisible(), *refusal != 0);
        EXPECT_EQ(file("support/RSPort.cfg"), saved);
    }
    auto d = open(); // the device server saved last is shown again
    EXPECT_TRUE(control<QCheckBox>(*d, "chkNetwork")->isChecked());
    EXPECT_EQ(control<QComboBox>(*d, "cboNetProtocol")->currentIndex(), 1);
    EXPECT_EQ(control<QLineEdit>(*d, "txtNetHost")->text(), "gw1");
    EXPECT_EQ(control<QLineEdit>(*d, "txtNetPort")->text(), "2000");
    EXPECT_EQ(port.openCount(), 0); // offline: no save opened the port
}

TEST_F(CommPortDialogTest, OnlineSaveReopensTheLinkBeforeAFileFails) {
    link.setOnlineMode(true);
    auto d = open();
    QDir(home.path()).mkpath("ORV51/ORVILO.SFG"); // a folder where the file goes
    type(*d, "5");
    const QByteArray before = file("support/RSPort.cfg");
    d->cmdSave_Click();
    EXPECT_TRUE(link.OnlineMode());
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_EQ(prompt.boxes[0].title, "SetupComm");
    EXPECT_TRUE(prompt.boxes[0].text.contains(home.filePath("ORV51/ORVILO.SFG")))
        << prompt.boxes[0].text.toStdString();
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(file("support/RSPort.cfg"), before);
    EXPECT_EQ(file("DIV51/ORVILO.SFG"), "<missing>");
}

TEST_F(CommPortDialogTest, ARefusedPortStaysToBeCorrectedThenADeviceStandsInThePortFieldsPlace) {
    auto d = open();
    type(*d, "100");
    QTest::keyClick(portField(*d), Qt::Key_Return);
    QTest::keyClick(portField(*d), Qt::Key_Tab);
    QCoreApplication::processEvents();
    ASSERT_EQ(prompt.boxes.size(), 2u);
    EXPECT_EQ(prompt.boxes[1].title, "Comm Port");
    EXPECT_EQ(portField(*d)->text(), "100");
    EXPECT_TRUE(portField(*d)->hasFocus());
    QTest::keyClick(portField(*d), Qt::Key_Escape);
    EXPECT_FALSE(d->isVisible());

    // A device in the file empties and disables the port field until "Use a Port".
    writeSettings("7,19200,/dev/pts/5\r\n");
    auto first = open();
    EXPECT_EQ(portField(*first)->text(), "");
    EXPECT_FALSE(portField(*first)->isEnabled());
    EXPECT_EQ(control<QLabel>(*first, "lblDevice")->text(), "Device: /dev/pts/5");
    auto again = open();
    QTest::mouseClick(control<QPushButton>(*again, "cmdUsePort"), Qt::LeftButton);
    EXPECT_EQ(portField(*again)->text(), "7");
    EXPECT_TRUE(portField(*again)->isEnabled());
    EXPECT_EQ(control<QLabel>(*again, "lblDevice")->text(), "");
    again->cmdSave_Click();
    EXPECT_EQ(file("support/RSPort.cfg"), "7,19200\r\n");
    EXPECT_EQ(prompt.boxes.size(), 2u); // none new

    writeSettings("7,19200,/dev/pts/5\r\n"); // a device server chosen instead
    auto third = open();
    control<QCheckBox>(*third, "chkNetwork")->setChecked(true);
    EXPECT_EQ(control<QLabel>(*third, "lblDevice")->text(), "");
    EXPECT_EQ(portField(*third)->text(), "7");
}

// Long lists keep their head in the box and the whole in details; "Caption:\t\tvalue" is a grid.
TEST(QtPrompt, BoxShowsTitleTextIconAndAnswersTheButtonInputGivesTheText) {
    using B = MsgButtons;
    using I = MsgIcon;
    using Q = QMessageBox;
    QStringList list{"710 of 1,744 written and verified; 1,034 not sent.", ""};
    for (int i = 0; i < 1744; ++i)
        list << QStringLiteral("W%1  item").arg(2 * i);
    const QString td = "<td style='white-space:pre; padding-right:12px'>";
    const QString div = "<div style='white-space:pre'>";
    const QString grid = div + "On disk:</div><table cellspacing=0 cellpadding=1><tr>" + td +
                         "  Program Ident: </td>" + td + "K9</td></tr><tr>" + td +
                         "  Program Checksum: </td>" + td + "7 &amp; 8</td></tr></table>" + div +
                         "&nbsp;</div>" + div + "Go?</div>";
    const QString lines = "first\r\n\r\nsecond\rthird", shownLines = "first\n\nsecond\nthird";
    const std::tuple<QString, B, I, Q::Icon, Q::StandardButton, MsgAnswer, QString, QString>
        cases[] = {
            // clang-format off
        {lines, B::YesNo, I::Question, Q::Question, Q::No, MsgAnswer::No, shownLines, ""},
        {lines, B::YesNoCancel, I::Exclamation, Q::Warning, Q::Cancel, MsgAnswer::Cancel, shownLines, ""},
        {lines, B::RetryCancel, I::Critical, Q::Critical, Q::Retry, MsgAnswer::Retry, shownLines, ""},
        {lines, B::Ok, I::Information, Q::Information, Q::Ok, MsgAnswer::Ok, shownLines, ""},
        {list.join("\r\n"), B::Ok, I::Exclamation, Q::Warning, Q::Ok, MsgAnswer::Ok,
         list.mid(0, 10).join("\n") + "\n...\n\n1736 more lines: Show Details.", list.join("\n")},
        {"On disk:\r\n  Program Ident: \t\tK9\r\n  Program Checksum: \t7 & 8\r\n\r\nGo?", B::Ok,
         I::Question, Q::Question, Q::Ok, MsgAnswer::Ok, grid, ""},
            // clang-format on
        };
    ModalDriver modal;
    QtPrompt prompt;
    for (const auto& c : cases) {
        const auto& [message, buttons, icon, wantIcon, button, answer, shown, wantDetails] = c;
        SCOPED_TRACE(&c - cases);
        Q::Icon shownIcon = Q::NoIcon;
        QString text, title, details;
        int height = 0;
        modal.on<QMessageBox>([&, click = button](QMessageBox* box) {
            shownIcon = box->icon();
            std::tie(text, title, details) =
                std::tuple(box->text(), box->windowTitle(), box->detailedText());
            height = box->sizeHint().height();
            QTest::mouseClick(box->button(click), Qt::LeftButton);
            return true;
        });
        EXPECT_EQ(prompt.message("Data Upload", message, buttons, icon), answer);
        EXPECT_EQ(title, "Data Upload");
        EXPECT_EQ(text, shown);
        EXPECT_EQ(details, wantDetails);
        EXPECT_EQ(shownIcon, wantIcon);
        EXPECT_LT(height, 600);
    }
    modal.on<QInputDialog>([](QInputDialog* d) {
        EXPECT_EQ(d->textValue(), "1234");
        EXPECT_EQ(d->labelText(), "Please Enter New Passcode (0-65535)");
        d->setTextValue("4321");
        d->accept();
        return true;
    });
    EXPECT_EQ(
        prompt.inputBox("Color Control Passcode", "Please Enter New Passcode (0-65535)", "1234"),
        std::optional<QString>("4321"));
    modal.on<QInputDialog>([](QInputDialog* d) {
        d->reject();
        return true;
    });
    EXPECT_EQ(prompt.inputBox("t", "p", "x"), std::nullopt);
}

TEST(FileDialogStart, SafeProposedNamesAndTheFolderItOpensIn) {
    // clang-format off
    const std::pair<QString, QString> cases[] = {
        {"KALVEX Report - [line3.sdt]", "KALVEX Report - [line3.sdt]"}, {"tab\there", "tab-here"},
        {"KALVEX Report: 12/08/2026 10:20", "KALVEX Report- 12-08-2026 10-20"},
        {"a*b?c\"d<e>f|g\\h", "a-b-c-d-e-f-g-h"}, {"ends with dots. . ", "ends with dots"}};
    // clang-format on
    for (const auto& [name, safe] : cases)
        EXPECT_EQ(safeFileName(name), safe) << qPrintable(name);
    QTemporaryDir dir;
    const QString open = dir.filePath("open"), last = dir.filePath("last"),
                  docs = dir.filePath("docs"), gone = dir.filePath("gone");
    for (const QString& f : {open, last, docs})
        QDir().mkpath(f);
    const std::tuple<QString, QString, QString, QString> starts[] = {
        {open + "/A.sdt", last, docs, open}, // the file that is open
        {open + "/*.sdt", last, docs, last}, // a pattern names no file
        {"", last, docs, last},              // nothing named
        {"", gone, docs, docs},              // a remembered folder since removed
        {gone + "/A.sdt", "", docs, docs},   // a named file in a folder since removed
        {"", "", gone, QDir::homePath()},    // no documents folder either
    };
    for (const auto& [initial, remembered, documents, expected] : starts)
        EXPECT_EQ(startFolder(initial, remembered, documents), expected)
            << qPrintable(initial + " | " + remembered);
}

} // namespace
} // namespace kalvex::test
