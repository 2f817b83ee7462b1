#include "LinkChecks.h"
#include "link/CommSettings.h"
#include "link/QtSerialPort.h"
#include "support/LinkFixture.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kalvex;
using namespace kalvex::test;

namespace {

void writeFile(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
}
QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

class SetupTest : public ::testing::Test, protected SimulatedLink {};

TEST_F(SetupTest, AnUnusableSettingsFileAsksAndOpensNothing) {
    const QString path = home.filePath("support/RSPort.cfg"), folder = home.filePath("support");
    const QString unreadable = "Error Number = 13\r\n\r\n" + path + ": ";
    const std::pair<QByteArray, QString> cases[] = {
        {"COM3,9600\r\n",
         unreadable + "\"COM3,9600\" is not a port number and a speed, such as 3,9600."},
        {QByteArray("\x01\xff\x00", 3), unreadable + "its first line is not text."},
        {"", "Error Number = 76\r\n\r\nCannot write " + path + ": the folder " + folder +
                 " cannot be made."}}; // support/ is a plain file
    for (const auto& [line, text] : cases) {
        QFile::remove(folder) || QDir(folder).removeRecursively();
        line.isEmpty() ? writeFile(folder, "x") : writeFile(path, line);
        prompt.boxes.clear();
        prompt.answer(MsgAnswer::Cancel);
        link.OpenRSComm(port);
        EXPECT_EQ(prompt.boxes, Boxes({{"RSComm InitializeRSComm", text, MsgButtons::RetryCancel,
                                        MsgIcon::Critical}}));
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

// Installed, the program folder is never touched (even as root); only defaults are written.
TEST_F(SetupTest, UserSettingsComeFirstAndAnUnwritableProgramFolderSavesThere) {
    enum Where { Program, User, System };
    // User, program ("!": support/ a file) and system (nullptr: not installed) files.
    const std::tuple<const char*, const char*, const char*, const char*, int, int, Where, Where>
        cases[] = {
            {"user file wins", "5,19200\r\n", "2,9600\r\n", nullptr, 5, 19200, User, User},
            {"program file alone", nullptr, "3,19200\r\n", nullptr, 3, 19200, Program, Program},
            {"nothing yet, writable", nullptr, nullptr, nullptr, 1, 9600, Program, Program},
            {"empty program file", nullptr, "", nullptr, 1, 9600, Program, Program},
            {"nothing yet, unwritable", nullptr, "!", nullptr, 1, 9600, User, User},
            {"installed, system file", nullptr, "2,9600\r\n", "3,9600\r\n", 3, 9600, System, User},
            {"installed, user file wins", "5,9600\r\n", nullptr, "3,9600\r\n", 5, 9600, User, User},
            {"installed, nothing yet", nullptr, "2,9600\r\n", "", 1, 9600, User, User}};
    for (const auto& [name, userFile, programFile, systemFile, number, baud, reads, saves] :
         cases) {
        SCOPED_TRACE(name);
        QTemporaryDir dir;
        const QString program = dir.filePath("program"), user = dir.filePath("user");
        const QString system = dir.filePath("etc/kalvex/RSPort.cfg");
        QDir().mkpath(program);
        if (userFile) writeFile(user + "/RSPort.cfg", userFile);
        if (programFile && *programFile == '!')
            writeFile(program + "/support", "x");
        else if (programFile)
            writeFile(program + "/support/RSPort.cfg", programFile);
        if (systemFile && *systemFile) writeFile(system, systemFile);
        const QByteArray programBefore = readFile(program + "/support/RSPort.cfg");
        RSComm l(prompt, clock, program);
        l.setUserSettingsFolder(user);
        if (systemFile) l.setSystemSettingsFile(system);
        l.OpenRSComm(port);
        EXPECT_TRUE(l.OnlineMode());
        EXPECT_EQ(port.lastSettings().portNumber, number);
        EXPECT_EQ(port.lastSettings().baud, baud);
        const QString paths[] = {program + "/support/RSPort.cfg", user + "/RSPort.cfg", system};
        EXPECT_EQ(l.CommSettingsFile(), paths[reads]);
        EXPECT_EQ(l.CommSettingsSaveFile(), paths[saves]);
        const char* given[] = {programFile, userFile, systemFile};
        EXPECT_EQ(readFile(paths[reads]),
                  given[reads] && *given[reads] ? given[reads] : "1,9600\r\n");
        if (systemFile) {
            EXPECT_EQ(readFile(program + "/support/RSPort.cfg"), programBefore);
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
    // Denied: the device's group and the new login, once (then a reference); busy: another matter.
    const std::tuple<int, QString, bool, QStringList, QStringList> texts[] = {
        // clang-format off
        {EBUSY, "dialout", true, {"ModemManager"}, {"dialout", "log out"}},
        {EACCES, "dialout", true, {"'dialout'", "usermod -aG dialout", "log out and in"}, {"Modem"}},
        {EACCES, "uucp", true, {"'uucp'", "usermod -aG uucp"}, {"dialout"}},
        {EACCES, "", true, {"ls -l /dev/ttyUSB0", "dialout (a udev rule)", "another port"}, {"usermod", "-aG"}},
        {EACCES, "dialout", false, {"denied", "first message"}, {"usermod"}},
        // clang-format on
    };
    for (const auto& [error, group, withFix, with, without] : texts) {
        const QString text = QtSerialPort::busyOrDeniedText("/dev/ttyUSB0", error, group, withFix);
        for (const QString& part : with + without)
            EXPECT_EQ(text.contains(part), with.contains(part)) << qPrintable(part + " in " + text);
    }
    // Only a group that may read and write the device, and is neither root nor tty, is named.
    const QString fake = home.filePath("ttyFake");
    writeFile(fake, "");
    const group* dialout = ::getgrnam("dialout");
    if (::getuid() == 0 && dialout) {
        ASSERT_EQ(::chown(qPrintable(fake), uid_t(-1), dialout->gr_gid), 0);
    }
    const QString name = QFileInfo(fake).groupId() != 0 ? QFileInfo(fake).group() : QString();
    const std::tuple<QString, int, QString> groups[] = {
        {"/dev/null", 0, ""}, {"/dev/tty", 0, ""}, {home.filePath("none"), 0, ""},
        {fake, 0660, name},   {fake, 0600, ""},    {fake, 0640, ""}}; // root:root and root:tty 0666
    for (const auto& [device, mode, expected] : groups) {
        ASSERT_EQ(mode ? ::chmod(qPrintable(device), mode_t(mode)) : 0, 0);
        EXPECT_EQ(QtSerialPort::deviceGroup(device), expected) << qPrintable(device) << mode;
    }
}

// Open and close send one attention byte each (none to a silent board); reopening starts afresh.
TEST_F(SetupTest, OnlineChangesAndALostBoardAreAnnouncedOnceAndNeverWhileBusy) {
    std::vector<bool> changes;
    int lost = 0;
    bool busyWhenAnnounced = false;
    QObject::connect(&link, &RSComm::onlineModeChanged, [&](bool online) {
        changes.push_back(online);
        busyWhenAnnounced = busyWhenAnnounced || link.isBusy();
    });
    QObject::connect(&link, &RSComm::linkLost, [&] {
        ++lost;
        busyWhenAnnounced = busyWhenAnnounced || link.isBusy();
    });
    link.setOnlineMode(true); // no port attached: nothing to open
    EXPECT_FALSE(link.OnlineMode());
    link.attachPort(port);
    link.setOnlineMode(true);
    link.setOnlineMode(false);
    link.setOnlineMode(false);
    EXPECT_EQ(changes, (std::vector<bool>{true, false}));
    board.clearTranscript();
    link.OpenRSComm(port);
    EXPECT_EQ(board.bytesFromPc(), QByteArray("\xFF"));
    link.RSRead("B60");
    board.clearTranscript();
    link.CloseRSComm();
    EXPECT_EQ(board.bytesFromPc(), QByteArray("\xFF"));
    EXPECT_FALSE(link.OnlineMode());
    EXPECT_EQ(link.boardMode(), 0);
    link.OpenRSComm(port);
    board.clearTranscript();
    link.RSRead("B60");
    EXPECT_EQ(board.bytesFromPc(), QByteArray("\xFF\x01\x00\x3C", 4));
    link.CloseRSComm();

    board.faults().silent = true; // switched off: the port stays open, the link goes offline
    link.OpenRSComm(port);
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_TRUE(port.isOpen());
    EXPECT_FALSE(link.OnlineMode());
    EXPECT_TRUE(link.CommError());
    link.RSRead("W300"); // still lost: no second announcement
    EXPECT_EQ(lost, 1);
    EXPECT_FALSE(busyWhenAnnounced);
    board.clearTranscript();
    link.CloseRSComm();
    EXPECT_TRUE(board.bytesFromPc().isEmpty());
    EXPECT_FALSE(port.isOpen());
}

TEST_F(SetupTest, SettingsAndFaultTextsComeFromASupportFolderOfAnyCase) {
    EXPECT_EQ(link.FaultDescription(10), "Fault Code (0AH): --- Fault File Not Found ---");
    writeFile(home.filePath("SUPPORT/rsport.CFG"), "7,19200\r\n");
    link.OpenRSComm(port);
    EXPECT_EQ(port.lastSettings().portNumber, 7);
    EXPECT_EQ(port.lastSettings().baud, 19200);
    EXPECT_EQ(QDir(home.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
              QStringList{"SUPPORT"});
    writeFile(
        home.filePath("SUPPORT/FaultErrCodes.txt"),
        "0a,Text\r\n0A,Second\r\n  5C ,  \"Program is invalid, download again\"  \r\nFF,Last\r\n"
        "100,Wide\r\ngarbage line without comma\r\n\"unterminated,quote\r\n05\r\n");
    // clang-format off
    const std::pair<int, const char*> cases[] = {
        {10, "Fault Code (0AH): Text"}, {0x5C, "Fault Code (5CH): Program is invalid, download again"},
        {255, "Fault Code (FFH): Last"}, {256, "Fault Code (100H): Wide"}, {5, "Fault Code (05H): "},
        {0x42, "Fault Code (42H): no text installed for this code"}};
    // clang-format on
    for (auto [code, text] : cases)
        EXPECT_EQ(link.FaultDescription(code), text) << code;
    EXPECT_TRUE(prompt.boxes.empty());
}

// A line without a port number and a speed gives nothing (port -1), never the defaults.
TEST(CommSettings, FirstLineGivesClampedPortSpeedAndDevice) {
    // clang-format off
    const std::tuple<QByteArray, int, int, const char*> cases[] = {
        {"120,9600\r\n", 99, 9600, ""}, {"0,9600\r\n", 1, 9600, ""}, {"2,4800\r\n", 2, 9600, ""},
        {"2.5,19200\r\n", 2, 19200, ""}, {"3.5, 19200 \r\n", 4, 19200, ""},
        {" 4 ,  19200  \r\n", 4, 19200, ""}, {"5,\"19200\"\r\n", 5, 19200, ""},
        {"99999999999,19200", 99, 19200, ""}, {"1,19200,/dev/ttyUSB0\r\n", 1, 19200, "/dev/ttyUSB0"},
        {"2,9600,socket://gw1:2000", 2, 9600, "socket://gw1:2000"}, {"3,9600,n,8,1\r\n", 3, 9600, ""},
        {"COM3,9600\r\n", -1, 0, ""}, {"x\r\n7,19200\r\n", -1, 0, ""}, {"3\r\n", -1, 0, ""},
        {QByteArray("\x01\xff\x00\x33,9600", 8), -1, 0, ""}};
    // clang-format on
    for (const auto& [text, port, baud, device] : cases) {
        SCOPED_TRACE(text.toStdString());
        QString why;
        const std::optional<PortSettings> s = parseCommSettings(text, &why);
        ASSERT_EQ(s.has_value(), port > 0);
        EXPECT_EQ(why.isEmpty(), port > 0);
        if (!s) continue;
        EXPECT_EQ(s->portNumber, port);
        EXPECT_EQ(s->baud, baud);
        EXPECT_EQ(s->device, device);
    }
    EXPECT_EQ(formatCommSettings({3, 19200, {}}), "3,19200\r\n");
    EXPECT_EQ(formatCommSettings({1, 9600, "/dev/pts/4"}), "1,9600,/dev/pts/4\r\n");
}

TEST(CommSettings, TypedPortIsANumberFromOneTo99) {
    const std::pair<const char*, std::optional<int>> cases[] = {
        {"3", 3},    {" 99 ", 99}, {"2.5", 2},  {"1", 1},   {"0", std::nullopt},
        {"100", {}}, {"abc", {}},  {"", {}},    {"3x", {}}, {"0.5", {}},
        {"-1", {}},  {"99.4", {}}, {"98.6", 99}};
    for (auto [text, port] : cases)
        EXPECT_EQ(commPortFromText(text), port) << text;
}

TEST(CommSettings, LoadSaveAndToolFilesOnlyInTheToolFoldersThatExist) {
    QTemporaryDir home;
    QDir dir(home.path());
    const QString cfg = home.filePath("support/RSPort.cfg");
    EXPECT_EQ(saveCommPortFiles(cfg, home.path(), {3, 9600, {}}), "");
    EXPECT_EQ(dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"support"});
    dir.mkdir("ORV51");
    dir.mkdir("div51"); // a folder copied from Windows in another case
    EXPECT_EQ(toolPortFiles(home.path()),
              QStringList({home.filePath("ORV51/ORVILO.SFG"), home.filePath("div51/ORVILO.SFG")}));
    EXPECT_EQ(saveCommPortFiles(cfg, home.path(), {3, 19200, {}}), "");
    EXPECT_EQ(readFile(cfg), "3,19200\r\n");
    EXPECT_EQ(readFile(home.filePath("ORV51/ORVILO.SFG")), "2\r\n");
    EXPECT_EQ(readFile(home.filePath("div51/ORVILO.SFG")), "2\r\n");
    EXPECT_FALSE(dir.exists("ORV96"));
    const QString path = home.filePath("other/RSPort.cfg");
    EXPECT_EQ(loadCommSettings(path, nullptr)->portNumber, 1); // absent: the defaults
    EXPECT_EQ(saveCommSettings(path, {3, 19200, {}}), "");     // the folder is made
    EXPECT_EQ(readFile(path), "3,19200\r\n");
    EXPECT_EQ(loadCommSettings(path, nullptr)->baud, 19200);
    writeFile(path, "");
    EXPECT_EQ(loadCommSettings(path, nullptr)->baud, 9600);
    const QString blocked = home.filePath("other/blocked.cfg");
    ASSERT_TRUE(QDir().mkpath(blocked));
    QString why;
    EXPECT_FALSE(loadCommSettings(blocked, &why));
    EXPECT_TRUE(why.contains("blocked.cfg")) << why.toStdString();
    EXPECT_TRUE(saveCommSettings(blocked, {}).contains("blocked.cfg"));
    writeFile(home.filePath("plain"), "x");
    const QString noFolder = saveCommSettings(home.filePath("plain/support/RSPort.cfg"), {});
    EXPECT_TRUE(noFolder.startsWith("The folder ")) << noFolder.toStdString();
}

// Every target is tried before any is written (as root too), and each failing one is named.
TEST(CommSettings, OneUnwritableTargetLeavesEveryFileAsItWas) {
    const struct {
        bool supportIsAFile, orv96Blocked;
        QStringList named;
    } cases[] = {
        {false, true, {"ORV96"}}, {true, false, {"support"}}, {true, true, {"support", "ORV96"}}};
    for (const auto& c : cases) {
        QTemporaryDir home;
        QDir dir(home.path());
        for (const char* tool : {"ORV51", "ORV96", "DIV51"})
            dir.mkdir(tool);
        if (c.orv96Blocked) dir.mkpath("ORV96/ORVILO.SFG");
        if (c.supportIsAFile) writeFile(home.filePath("support"), "x");
        const QString why =
            saveCommPortFiles(home.filePath("support/RSPort.cfg"), home.path(), {5, 9600, {}});
        EXPECT_TRUE(why.startsWith("Nothing was saved")) << why.toStdString();
        EXPECT_EQ(why.count('\n'), c.named.size()) << why.toStdString();
        for (const QString& name : c.named)
            EXPECT_TRUE(why.contains(home.filePath(name))) << why.toStdString();
        EXPECT_EQ(readFile(home.filePath("ORV51/ORVILO.SFG")), "<missing>");
        EXPECT_EQ(readFile(home.filePath("DIV51/ORVILO.SFG")), "<missing>");
        EXPECT_EQ(readFile(home.filePath("support")), c.supportIsAFile ? "x" : "<missing>");
    }
}

} // namespace
