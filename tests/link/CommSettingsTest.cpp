#include "link/CommSettings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kalvex;

namespace {

QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A third field is a device only when it names one; a line that does not start with a port
// number and a speed gives nothing (port -1 below), never the defaults.
TEST(CommSettings, FirstLineGivesClampedPortSpeedAndDevice) {
    const std::tuple<QByteArray, int, int, const char*> cases[] = {
        {"120,9600\r\n", 99, 9600, ""},
        {"0,9600\r\n", 1, 9600, ""},
        {"2,4800\r\n", 2, 9600, ""},
        {"2.5,19200\r\n", 2, 19200, ""},
        {"3.5, 19200 \r\n", 4, 19200, ""},
        {" 4 ,  19200  \r\n", 4, 19200, ""},
        {"5,\"19200\"\r\n", 5, 19200, ""},
        {"99999999999,19200", 99, 19200, ""},
        {"1,19200,/dev/ttyUSB0\r\n", 1, 19200, "/dev/ttyUSB0"},
        {"2,9600,socket://gw1:2000", 2, 9600, "socket://gw1:2000"},
        {"3,9600,n,8,1\r\n", 3, 9600, ""},
        {"COM3,9600\r\n", -1, 0, ""},
        {"x\r\n7,19200\r\n", -1, 0, ""},
        {"3\r\n", -1, 0, ""},
        {QByteArray("\x01\xff\x00\x33,9600", 8), -1, 0, ""},
    };
    for (const auto& [text, port, baud, device] : cases) {
        QString why;
        const std::optional<PortSettings> s = parseCommSettings(text, &why);
        ASSERT_EQ(s.has_value(), port > 0) << text.toStdString();
        EXPECT_EQ(why.isEmpty(), port > 0) << text.toStdString();
        if (!s) continue;
        EXPECT_EQ(s->portNumber, port) << text.toStdString();
        EXPECT_EQ(s->baud, baud) << text.toStdString();
        EXPECT_EQ(s->device, device) << text.toStdString();
    }
    EXPECT_EQ(formatCommSettings({3, 19200, {}}), "3,19200\r\n");
    EXPECT_EQ(formatCommSettings({1, 9600, "/dev/pts/4"}), "1,9600,/dev/pts/4\r\n");
}

TEST(CommSettings, TypedPortIsANumberFromOneTo99) {
    const std::pair<const char*, std::optional<int>> cases[] = {
        {"3", 3},    {" 99 ", 99}, {"2.5", 2},   {"1", 1},   {"0", std::nullopt},
        {"100", {}}, {"abc", {}},  {"", {}},     {"3x", {}}, {"0.5", {}},
        {"-1", {}},  {"99.4", {}}, {"98.6", 99},
    };
    for (auto [text, port] : cases)
        EXPECT_EQ(commPortFromText(text), port) << text;
}

TEST(CommSettings, LoadSaveAndTheirFailures) {
    QTemporaryDir home;
    const QString path = home.filePath("support/RSPort.cfg");
    EXPECT_EQ(loadCommSettings(path, nullptr)->portNumber, 1); // absent: the defaults
    EXPECT_EQ(saveCommSettings(path, {3, 19200, {}}), "");     // the folder is made
    EXPECT_EQ(contents(path), "3,19200\r\n");
    EXPECT_EQ(loadCommSettings(path, nullptr)->baud, 19200);
    writeFile(path, "");
    EXPECT_EQ(loadCommSettings(path, nullptr)->baud, 9600);

    // A folder where the file should be: refused with the path named, nothing else changed.
    const QString blocked = home.filePath("support/blocked.cfg");
    ASSERT_TRUE(QDir().mkpath(blocked));
    QString why;
    EXPECT_FALSE(loadCommSettings(blocked, &why));
    EXPECT_TRUE(why.contains("blocked.cfg")) << why.toStdString();
    EXPECT_TRUE(saveCommSettings(blocked, {}).contains("blocked.cfg"));
    // A program folder that is a file: the support folder cannot be made.
    writeFile(home.filePath("plain"), "x");
    const QString noFolder = saveCommSettings(home.filePath("plain/support/RSPort.cfg"), {});
    EXPECT_TRUE(noFolder.startsWith("The folder ")) << noFolder.toStdString();
}

TEST(CommSettings, ToolFilesOnlyInTheToolFoldersThatExist) {
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
    EXPECT_EQ(contents(cfg), "3,19200\r\n");
    EXPECT_EQ(contents(home.filePath("ORV51/ORVILO.SFG")), "2\r\n");
    EXPECT_EQ(contents(home.filePath("div51/ORVILO.SFG")), "2\r\n");
    EXPECT_FALSE(dir.exists("ORV96"));
}

// Every target is tried before any is written (as root too: a file where a folder should be,
// a folder where a file should be), and each one that cannot be written is named.
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
        EXPECT_EQ(contents(home.filePath("ORV51/ORVILO.SFG")), "<missing>");
        EXPECT_EQ(contents(home.filePath("DIV51/ORVILO.SFG")), "<missing>");
        EXPECT_EQ(contents(home.filePath("support")), c.supportIsAFile ? "x" : "<missing>");
    }
}

} // namespace
