#include "ShellFixture.h"
#include "widgets/dialogs/frmSetupComm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
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

// Save writes a typed port (Enter) or device server; a refusal names its cause, keeps the file.
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

// Save re-opens the link first; a file that cannot be written is then told, nothing written.
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

// A refused port is told once (Enter, then Tab) and stays to be corrected; Esc closes.
TEST_F(CommPortDialogTest, ARefusedPortStaysToBeCorrectedAndEscCloses) {
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
}

// A device (from Find Board or the file) empties and disables the port field until "Use a Port".
TEST_F(CommPortDialogTest, ADeviceStandsInThePortFieldsPlaceUntilANumberIsChosen) {
    writeSettings("7,19200,/dev/pts/5\r\n");
    auto d = open();
    EXPECT_EQ(portField(*d)->text(), "");
    EXPECT_FALSE(portField(*d)->isEnabled());
    EXPECT_EQ(control<QLabel>(*d, "lblDevice")->text(), "Device: /dev/pts/5");
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
