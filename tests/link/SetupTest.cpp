#include "Boxes.h"
#include "support/LinkFixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kalvex;
using namespace kalvex::test;

namespace {

// A link not yet opened, over the in-process board.
class SetupTest : public ::testing::Test, protected SimulatedLink {
  protected:
    void writeFile(const QString& path, const QByteArray& content) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    static QByteArray readFile(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(none)");
    }
};

// The link's side of the settings file; its parsing is CommSettingsTest's.
TEST_F(SetupTest, SettingsFileGivesPortAndSpeed) {
    struct Case {
        const char* content; // nullptr: no file (and at first no folder)
        int port;
        int baud;
    };
    const Case cases[] = {
        {nullptr, 1, 9600},
        {"", 1, 9600},
        {"3,19200\r\n", 3, 19200},
    };
    const QString path = home.filePath("support/RSPort.cfg");
    for (const Case& c : cases) {
        if (c.content) writeFile(path, QByteArray(c.content));
        link.OpenRSComm(port);
        EXPECT_TRUE(link.OnlineMode()) << c.content;
        EXPECT_EQ(link.CommSettingsFile(), path);
        EXPECT_EQ(port.lastSettings().portNumber, c.port) << c.content;
        EXPECT_EQ(port.lastSettings().baud, c.baud) << c.content;
        // Only a missing or empty file is written, with the defaults.
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), c.content && *c.content ? c.content : "1,9600\r\n") << c.content;
        link.CloseRSComm();
    }
    EXPECT_TRUE(prompt.boxes.empty());
}

TEST_F(SetupTest, AnExistingSupportFolderOfAnyCaseIsUsed) {
    writeFile(home.filePath("SUPPORT/rsport.CFG"), "7,19200\r\n");
    link.OpenRSComm(port);
    EXPECT_EQ(port.lastSettings().portNumber, 7);
    EXPECT_EQ(port.lastSettings().baud, 19200);
    EXPECT_EQ(QDir(home.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
              QStringList{"SUPPORT"});
}

// A settings file that cannot be used (a first line that gives no settings, a support folder
// that cannot be made): the box, the file kept, nothing opened; Retry tries again.
TEST_F(SetupTest, AnUnusableSettingsFileAsksAndOpensNothing) {
    const QString path = home.filePath("support/RSPort.cfg"), folder = home.filePath("support");
    const std::pair<QByteArray, QString> cases[] = {
        {"COM3,9600\r\n", "Error Number = 13\r\n\r\n" + path},
        {QByteArray("\x01\xff\x00", 3), "Error Number = 13\r\n\r\n" + path},
        {"", "Error Number = "}}; // support/ is a plain file
    for (const auto& [line, text] : cases) {
        QFile::remove(folder) || QDir(folder).removeRecursively();
        line.isEmpty() ? writeFile(folder, "x") : writeFile(path, line);
        prompt.boxes.clear();
        prompt.answer(MsgAnswer::Cancel);
        link.OpenRSComm(port);
        ASSERT_EQ(prompt.boxes.size(), 1u);
        EXPECT_EQ(prompt.boxes[0].title, "RSComm InitializeRSComm");
        EXPECT_EQ(prompt.boxes[0].buttons, MsgButtons::RetryCancel);
        EXPECT_EQ(prompt.boxes[0].icon, MsgIcon::Critical);
        EXPECT_TRUE(prompt.boxes[0].text.startsWith(text)) << qPrintable(prompt.boxes[0].text);
        EXPECT_FALSE(link.OnlineMode());
        EXPECT_TRUE(link.portFailed());
        EXPECT_EQ(port.openCount(), 0);
        EXPECT_TRUE(board.bytesFromPc().isEmpty());
        EXPECT_EQ(readFile(line.isEmpty() ? folder : path), line.isEmpty() ? "x" : line);
    }
    QFile::remove(folder);
    prompt.answerWith([&](const Box&) {
        writeFile(path, "3,19200\r\n"); // mended while the box was up
        return MsgAnswer::Retry;
    });
    writeFile(path, "COM3,9600\r\n");
    link.OpenRSComm(port);
    EXPECT_TRUE(link.OnlineMode());
    EXPECT_EQ(port.lastSettings().portNumber, 3);
}

// The user's own file comes first; a program folder that cannot be written (a support "folder"
// that is a file) sends the defaults and later saves to the user's folder. Installed, the
// program folder is never touched, even when it could be written (run as root): the system-wide
// file is read, and saves go to the user's.
TEST_F(SetupTest, UserSettingsComeFirstAndAnUnwritableProgramFolderSavesThere) {
    enum Where { Program, User, System };
    struct Case {
        const char* name;
        const char* userFile;    // nullptr: none
        const char* programFile; // nullptr: none; "!": support/ is a plain file
        const char* systemFile;  // nullptr: not installed; "": installed, no system file
        int port;
        Where reads, saves;
    };
    const Case cases[] = {
        {"user file wins", "5,19200\r\n", "2,9600\r\n", nullptr, 5, User, User},
        {"program file alone", nullptr, "2,9600\r\n", nullptr, 2, Program, Program},
        {"nothing yet, writable", nullptr, nullptr, nullptr, 1, Program, Program},
        {"nothing yet, unwritable", nullptr, "!", nullptr, 1, User, User},
        {"installed, system file", nullptr, "2,9600\r\n", "3,9600\r\n", 3, System, User},
        {"installed, user file wins", "5,9600\r\n", nullptr, "3,9600\r\n", 5, User, User},
        {"installed, nothing yet", nullptr, "2,9600\r\n", "", 1, User, User},
    };
    for (const Case& c : cases) {
        QTemporaryDir dir;
        const QString program = dir.filePath("program"), user = dir.filePath("user");
        const QString system = dir.filePath("etc/kalvex/RSPort.cfg");
        QDir().mkpath(program);
        if (c.userFile) writeFile(user + "/RSPort.cfg", c.userFile);
        if (c.programFile && *c.programFile == '!')
            writeFile(program + "/support", "x");
        else if (c.programFile)
            writeFile(program + "/support/RSPort.cfg", c.programFile);
        if (c.systemFile && *c.systemFile) writeFile(system, c.systemFile);
        const QByteArray programBefore = readFile(program + "/support/RSPort.cfg");
        RSComm l(prompt, clock, program);
        l.setUserSettingsFolder(user);
        if (c.systemFile) l.setSystemSettingsFile(system);
        l.OpenRSComm(port);
        EXPECT_TRUE(l.OnlineMode()) << c.name;
        EXPECT_EQ(port.lastSettings().portNumber, c.port) << c.name;
        const QString paths[] = {program + "/support/RSPort.cfg", user + "/RSPort.cfg", system};
        EXPECT_EQ(l.CommSettingsFile(), paths[c.reads]) << c.name;
        EXPECT_EQ(l.CommSettingsSaveFile(), paths[c.saves]) << c.name;
        EXPECT_TRUE(QFile::exists(paths[c.reads])) << c.name;
        if (c.systemFile) {
            EXPECT_EQ(readFile(program + "/support/RSPort.cfg"), programBefore) << c.name;
        }
        l.CloseRSComm();
    }
    EXPECT_TRUE(prompt.boxes.empty());
}

TEST_F(SetupTest, PortThatCannotOpenSaysWhy) {
    port.failNextOpen({2, QStringLiteral("QSerialPort"), QStringLiteral("No such port.")});
    link.OpenRSComm(port);
    EXPECT_EQ(prompt.boxes,
              Boxes({{"Comm Port Error",
                      "Error Number = 2\r\nError Source = QSerialPort\r\n\r\nNo such port.",
                      MsgButtons::Ok, MsgIcon::Critical}}));
    EXPECT_TRUE(link.CommError());
    EXPECT_FALSE(link.OnlineMode());
    EXPECT_TRUE(link.portFailed());
}

TEST_F(SetupTest, BoardSwitchedOffLeavesThePortOpenButOfflineAndIsAnnouncedLostOnce) {
    int lost = 0;
    bool busyWhenAnnounced = true;
    QObject::connect(&link, &RSComm::linkLost, [&] {
        ++lost;
        busyWhenAnnounced = link.isBusy();
    });
    board.faults().silent = true;
    link.OpenRSComm(port);
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_TRUE(port.isOpen());
    EXPECT_FALSE(link.OnlineMode());
    EXPECT_TRUE(link.CommError());
    link.RSRead("W300"); // still lost: no second announcement
    EXPECT_EQ(lost, 1);
    EXPECT_FALSE(busyWhenAnnounced);
    board.clearTranscript();
    link.CloseRSComm(); // no attention byte to a board known to be silent
    EXPECT_TRUE(board.bytesFromPc().isEmpty());
    EXPECT_FALSE(port.isOpen());
}

TEST_F(SetupTest, OpenAndCloseSendOneAttentionByteEach) {
    link.OpenRSComm(port);
    EXPECT_EQ(board.bytesFromPc(), QByteArray("\xFF"));
    link.RSRead("B60");
    board.clearTranscript();
    link.CloseRSComm();
    EXPECT_EQ(board.bytesFromPc(), QByteArray("\xFF"));
    EXPECT_FALSE(link.OnlineMode());
    EXPECT_EQ(link.boardMode(), 0);
    // Reopening starts the mode handshake afresh.
    link.OpenRSComm(port);
    board.clearTranscript();
    link.RSRead("B60");
    EXPECT_EQ(board.bytesFromPc(), QByteArray("\xFF\x01\x00\x3C", 4));
}

TEST_F(SetupTest, OnlineChangesAreAnnouncedOnceEachAfterTheRequest) {
    std::vector<bool> changes;
    bool busyWhenAnnounced = true;
    QObject::connect(&link, &RSComm::onlineModeChanged, [&](bool online) {
        changes.push_back(online);
        busyWhenAnnounced = link.isBusy();
    });
    link.setOnlineMode(true); // no port attached: nothing to open
    EXPECT_FALSE(link.OnlineMode());
    link.attachPort(port);
    link.setOnlineMode(true);
    link.setOnlineMode(false);
    link.setOnlineMode(false);
    EXPECT_EQ(changes, (std::vector<bool>{true, false}));
    EXPECT_FALSE(busyWhenAnnounced);
}

} // namespace
