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

TEST(CommSettings, FirstLineGivesClampedPortSpeedAndDevice) {
    const std::tuple<const char*, int, int, const char*> cases[] = {
        {"120,9600\r\n", 99, 9600, ""},    {"0,9600\r\n", 1, 9600, ""},
        {"2,4800\r\n", 2, 9600, ""},       {"2.5,19200\r\n", 2, 19200, ""},
        {"3.5, 19200 \r\n", 4, 19200, ""}, {"1,19200,/dev/ttyUSB0\r\n", 1, 19200, "/dev/ttyUSB0"},
        {"x\r\n7,19200\r\n", 1, 9600, ""},
    };
    for (auto [text, port, baud, device] : cases) {
        const PortSettings s = parseCommSettings(text);
        EXPECT_EQ(s.portNumber, port) << text;
        EXPECT_EQ(s.baud, baud) << text;
        EXPECT_EQ(s.device, device) << text;
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
    const QStringList none = {};
    QStringList written;
    EXPECT_EQ(writeToolPortFiles(home.path(), 3, &written), "");
    EXPECT_EQ(written, none);
    EXPECT_EQ(dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot), none);

    dir.mkdir("ORV51");
    dir.mkdir("div51"); // a folder copied from Windows in another case
    EXPECT_EQ(writeToolPortFiles(home.path(), 3, &written), "");
    EXPECT_EQ(written,
              QStringList({home.filePath("ORV51/ORVILO.SFG"), home.filePath("div51/ORVILO.SFG")}));
    EXPECT_EQ(contents(home.filePath("ORV51/ORVILO.SFG")), "2\r\n");
    EXPECT_EQ(contents(home.filePath("div51/ORVILO.SFG")), "2\r\n");
    EXPECT_FALSE(dir.exists("ORV96"));
    EXPECT_EQ(writeToolPortFiles(home.path(), 1), "");
    EXPECT_EQ(contents(home.filePath("ORV51/ORVILO.SFG")), "0\r\n");
}

} // namespace
