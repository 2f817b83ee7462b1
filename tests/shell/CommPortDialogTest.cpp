#include "ShellFixture.h"
#include "support/Controls.h"
#include "support/LinkFixture.h"
#include "widgets/dialogs/frmSetupComm.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace kalvex;
using test::control;

namespace {

class CommPortDialogTest : public ::testing::Test, protected test::SimulatedLink {
  protected:
    void SetUp() override {
        test::ensureApplication();
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

TEST_F(CommPortDialogTest, LoadClampsThePortAndSelects19200OnlyWhenTheFileSaysSo) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"120,19200\r\n", "99", true}, {"0,9600\r\n", "1", false}, {"2,4800\r\n", "2", false}};
    for (auto [line, shown, fast] : cases) {
        writeSettings(line);
        auto d = open();
        EXPECT_EQ(portField(*d)->text(), shown) << line;
        EXPECT_EQ(control<QRadioButton>(*d, "optPortSpeed1")->isChecked(), fast) << line;
    }
    EXPECT_TRUE(prompt.boxes.empty());
}

TEST_F(CommPortDialogTest, OfflineSaveWritesSettingsAndToolFilesAndOpensNothing) {
    auto d = open();
    type(*d, "3");
    control<QRadioButton>(*d, "optPortSpeed1")->setChecked(true);
    QTest::keyClick(portField(*d), Qt::Key_Return); // Enter presses Save
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(file("support/RSPort.cfg"), "3,19200\r\n");
    EXPECT_EQ(file("ORV51/ORVILO.SFG"), "2\r\n");
    EXPECT_EQ(file("DIV51/ORVILO.SFG"), "2\r\n");
    EXPECT_FALSE(QDir(home.path()).exists("ORV96"));
    EXPECT_EQ(port.openCount(), 0);
    EXPECT_TRUE(prompt.boxes.empty());
}

TEST_F(CommPortDialogTest, BadPortIsRefusedOnSaveAndCancelAlwaysCloses) {
    auto d = open();
    for (const char* text : {"abc", "100", "0"}) {
        type(*d, text);
        prompt.boxes.clear();
        QTest::keyClick(portField(*d), Qt::Key_Return);
        ASSERT_EQ(prompt.boxes.size(), 1u) << text;
        EXPECT_EQ(prompt.boxes[0].title, "Comm Port");
        EXPECT_EQ(prompt.boxes[0].text, "Only a Number Between 1 and 99 can be Entered");
        EXPECT_TRUE(d->isVisible());
        EXPECT_EQ(portField(*d)->text(), text);
    }
    prompt.boxes.clear();
    QTest::mouseClick(control<QPushButton>(*d, "cmdCancel"), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(d->result(), QDialog::Rejected);
    EXPECT_FALSE(d->isVisible());
    EXPECT_TRUE(prompt.boxes.empty());
    EXPECT_EQ(file("support/RSPort.cfg"), "<missing>");
    EXPECT_EQ(file("ORV51/ORVILO.SFG"), "<missing>");
}

// A device server is checked on Save: a bad entry keeps the file as it was; a good one is saved
// as the device and shown again when the dialog opens.
TEST_F(CommPortDialogTest, NetworkDeviceServerIsValidatedAndSavedAsTheDevice) {
    const struct {
        const char *host, *port;
        int protocol;
        const char* refusal; // empty: saved
        QByteArray file;
    } cases[] = {
        {"", "4001", 0, "host name", "<missing>"},
        {"gw1", "70000", 0, "1 to 65535", "<missing>"},
        {"gw 1", "4001", 0, "gw 1", "<missing>"},
        {"127.0.0.1", "4001", 0, "", "1,9600,rfc2217://127.0.0.1:4001\r\n"},
        {"gw1", "2000", 1, "", "1,9600,socket://gw1:2000\r\n"},
    };
    for (const auto& c : cases) {
        auto d = open();
        control<QCheckBox>(*d, "chkNetwork")->setChecked(true);
        control<QComboBox>(*d, "cboNetProtocol")->setCurrentIndex(c.protocol);
        control<QLineEdit>(*d, "txtNetHost")->setText(c.host);
        control<QLineEdit>(*d, "txtNetPort")->setText(c.port);
        prompt.boxes.clear();
        d->cmdSave_Click();
        EXPECT_EQ(prompt.boxes.size(), *c.refusal ? 1u : 0u) << c.host;
        if (*c.refusal) {
            EXPECT_TRUE(prompt.boxes[0].text.contains(c.refusal)) << c.host;
        }
        EXPECT_EQ(file("support/RSPort.cfg"), c.file) << c.host;
    }
    auto d = open();
    EXPECT_TRUE(control<QCheckBox>(*d, "chkNetwork")->isChecked());
    EXPECT_EQ(control<QComboBox>(*d, "cboNetProtocol")->currentIndex(), 1);
    EXPECT_EQ(control<QLineEdit>(*d, "txtNetHost")->text(), "gw1");
    EXPECT_EQ(control<QLineEdit>(*d, "txtNetPort")->text(), "2000");
    EXPECT_EQ(port.openCount(), 0);
}

// Online as it opened: Save re-opens the link. A board that does not answer keeps the dialog
// open offline; a file that cannot be written still gets the link back, then is reported.
TEST_F(CommPortDialogTest, OnlineSaveReopensAndFailuresKeepTheDialogOpen) {
    link.setOnlineMode(true);
    auto d = open();
    type(*d, "4");
    board.faults().silent = true; // the retry box is cancelled
    d->cmdSave_Click();
    EXPECT_TRUE(d->isVisible());
    EXPECT_FALSE(link.OnlineMode());
    EXPECT_EQ(port.lastSettings().portNumber, 4);

    board.faults().silent = false;
    link.setCommError(false);
    link.setOnlineMode(true);
    auto again = open();
    QFile::remove(home.filePath("ORV51/ORVILO.SFG"));
    QDir(home.path()).mkpath("ORV51/ORVILO.SFG"); // a folder where the file goes
    type(*again, "5");
    prompt.boxes.clear();
    again->cmdSave_Click();
    EXPECT_TRUE(link.OnlineMode());
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_EQ(prompt.boxes[0].title, "SetupComm");
    EXPECT_TRUE(prompt.boxes[0].text.contains(home.filePath("ORV51/ORVILO.SFG")))
        << prompt.boxes[0].text.toStdString();
    EXPECT_TRUE(again->isVisible());
    // Tried before anything was written: every file keeps port 4.
    EXPECT_EQ(file("support/RSPort.cfg"), "4,9600\r\n");
    EXPECT_EQ(file("DIV51/ORVILO.SFG"), "3\r\n");
}

// A device from Find Board (or the file) takes the port field's place: the field is emptied and
// disabled, and Save writes the device; "Use a Port Number" gives the number back.
TEST_F(CommPortDialogTest, ADeviceStandsInThePortFieldsPlaceUntilANumberIsChosen) {
    writeSettings("7,19200,/dev/pts/5\r\n");
    auto d = open();
    EXPECT_EQ(portField(*d)->text(), "");
    EXPECT_FALSE(portField(*d)->isEnabled());
    EXPECT_EQ(control<QLabel>(*d, "lblDevice")->text(), "Device: /dev/pts/5");
    d->cmdSave_Click();
    EXPECT_TRUE(prompt.boxes.empty());
    EXPECT_EQ(file("support/RSPort.cfg"), "7,19200,/dev/pts/5\r\n");

    auto again = open();
    QTest::mouseClick(control<QPushButton>(*again, "cmdUsePort"), Qt::LeftButton);
    EXPECT_EQ(portField(*again)->text(), "7");
    EXPECT_TRUE(portField(*again)->isEnabled());
    EXPECT_EQ(control<QLabel>(*again, "lblDevice")->text(), "");
    again->cmdSave_Click();
    EXPECT_EQ(file("support/RSPort.cfg"), "7,19200\r\n");
    EXPECT_TRUE(prompt.boxes.empty());

    writeSettings("7,19200,/dev/pts/5\r\n"); // a device server chosen instead
    auto third = open();
    control<QCheckBox>(*third, "chkNetwork")->setChecked(true);
    EXPECT_EQ(control<QLabel>(*third, "lblDevice")->text(), "");
    EXPECT_EQ(portField(*third)->text(), "7");
}

} // namespace
