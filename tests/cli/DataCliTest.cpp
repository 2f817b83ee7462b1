#include "CliRunner.h"
#include "PtyServer.h"
#include "data/AppState.h"
#include "data/SetupFile.h"
#include "data/ShiftExport.h"
#include "data/TagMap.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kalvex;

namespace {

using test::CliRun;

// kalvex-cli on a board simulated in this process, so the test can look into its memory.
class DataCli : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        QString error;
        ASSERT_TRUE(server.start(&error)) << qPrintable(error);
        server.withBoard([](sim::Board& b) { b.machine().running = false; });
    }

    CliRun cli(QStringList args, bool onBoard = true) const {
        QStringList all{QStringLiteral("--home"), home.path()};
        if (onBoard) all << QStringLiteral("--device") << server.slavePath();
        return test::runCli(all + args, home.path());
    }
    qint64 boardValue(const char* add) {
        qint64 v = 0;
        server.withBoard([&](sim::Board& b) { v = b.value(QLatin1String(add)); });
        return v;
    }
    void setBoard(const char* add, qint64 v) {
        server.withBoard([&](sim::Board& b) { b.setValue(QLatin1String(add), v); });
    }
    QString path(const char* name) const { return home.filePath(QLatin1String(name)); }
    static QByteArray contents(const QString& p) {
        QFile f(p);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir home;
    mutable sim::PtyServer server;
    AppState state;
};

TEST_F(DataCli, BackupAndRestoreEveryItem) {
    setBoard("W1092", 650);
    setBoard("B3250", 7);
    setBoard("D1100", 4321);
    setBoard("W686", 12);
    const CliRun up = cli({"upload", "all", "-o", path("backup.sdt")});
    ASSERT_EQ(up.code, 0) << qPrintable(up.err);
    const auto saved = readSetupFile(path("backup.sdt"), nullptr);
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->Version, state.gProgramVersion);
    EXPECT_EQ(saved->Address, state.gDefaultData.Address);
    EXPECT_EQ(saved->Value[122], 650);
    EXPECT_EQ(saved->Value[144 + 16 * 5], 7);
    EXPECT_EQ(saved->Value[37], 4321);
    EXPECT_EQ(saved->Value[143], 12);

    for (const char* add : {"W1092", "B3250", "D1100", "W686"})
        setBoard(add, 1);
    const CliRun down = cli({"download", "all", path("backup.sdt")});
    ASSERT_EQ(down.code, 0) << qPrintable(down.err);
    EXPECT_EQ(boardValue("W1092"), 650);
    EXPECT_EQ(boardValue("B3250"), 7);
    EXPECT_EQ(boardValue("D1100"), 4321);
    EXPECT_EQ(boardValue("W686"), 12);
}

TEST_F(DataCli, UploadOfOneSetKeepsTheRestOfTheBase) {
    SetupData base = state.gDefaultData;
    base.Value[122] = 611;
    ASSERT_TRUE(writeSetupFile(path("base.sdt"), base, nullptr));
    setBoard("W1092", 650);
    setBoard("B3250", 9);
    setBoard("B3100", 8);
    const CliRun r = cli(
        {"upload", "labels", "--labels", "5-3", "--base", path("base.sdt"), "-o", path("out.sdt")});
    ASSERT_EQ(r.code, 0) << qPrintable(r.err);
    const auto out = readSetupFile(path("out.sdt"), nullptr);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->Value[122], 611); // not in the set: from the base
    EXPECT_EQ(out->Value[224], 9);   // label 5, ductor 1
    EXPECT_EQ(out->Value[144], 0);   // label 0 was not uploaded
}

TEST_F(DataCli, DownloadOfSetUpDataLeavesOtherItemsAlone) {
    SetupData d = state.gDefaultData;
    d.Value[122] = 700;
    d.Value[1746] = 33;
    d.Value[152] = 444;
    ASSERT_TRUE(writeSetupFile(path("d.sdt"), d, nullptr));
    const CliRun r = cli({"download", "setup", path("d.sdt")});
    ASSERT_EQ(r.code, 0) << qPrintable(r.err);
    EXPECT_EQ(boardValue("W1092"), 700);
    EXPECT_EQ(boardValue("B1411"), 33);
    EXPECT_EQ(boardValue("W3110"), 350);
}

TEST_F(DataCli, ExportWritesTheShiftTextOfAFile) {
    SetupData d = state.gDefaultData;
    d.Value[37] = 5555;
    d.Value[120] = -3;
    ASSERT_TRUE(writeSetupFile(path("shift.sdt"), d, nullptr));
    const CliRun r = cli({"export", path("shift.sdt"), "-o", path("shift.txt")}, false);
    ASSERT_EQ(r.code, 0) << qPrintable(r.err);
    QList<QByteArray> got = contents(path("shift.txt")).split('\n');
    QList<QByteArray> want = shiftExportText(d, QStringLiteral("shift.sdt"), {}).split('\n');
    ASSERT_EQ(got.size(), want.size());
    EXPECT_TRUE(got[1].startsWith("Date: ") && got[1].size() > 10) << got[1].constData();
    got.removeAt(1);
    want.removeAt(1);
    EXPECT_EQ(got, want);
}

TEST_F(DataCli, DumpListsEveryItem) {
    SetupData d = state.gDefaultData;
    d.Value[1746] = -9;
    ASSERT_TRUE(writeSetupFile(path("d.sdt"), d, nullptr));
    const CliRun r = cli({"dump", path("d.sdt")}, false);
    ASSERT_EQ(r.code, 0) << qPrintable(r.err);
    const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1 + 1747);
    EXPECT_EQ(lines[0], state.gProgramVersion);
    EXPECT_EQ(lines[1], "0\tB1011\t0");
    EXPECT_EQ(lines[1747], "1746\tB1411\t-9");
}

TEST_F(DataCli, RefusedArgumentsAndBadFiles) {
    QFile bad(path("bad.sdt"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write(QByteArray::fromHex("0100410100ffffff7f00000000"));
    bad.close();
    struct Case {
        QStringList args;
        int code;
        const char* says;
    };
    const Case cases[] = {
        {{"upload", "most", "-o", "x.sdt"}, 1, "SET is"},
        {{"upload", "all"}, 1, "-o"},
        {{"upload", "setup", "--labels", "1-2", "-o", "x.sdt"}, 1, "labels set only"},
        {{"upload", "labels", "--labels", "a-b", "-o", "x.sdt"}, 1, "FIRST-LAST"},
        {{"download", "all"}, 1, "Wrong arguments"},
        {{"download", "all", "missing.sdt"}, 3, "missing.sdt"},
        {{"download", "all", "bad.sdt"}, 3, "claims"},
        {{"dump", "bad.sdt"}, 3, "bad.sdt"},
        {{"export", "bad.sdt", "-o", "x.txt"}, 3, "bad.sdt"},
        {{"upload", "all", "--base", "bad.sdt", "-o", "x.sdt"}, 3, "bad.sdt"},
    };
    for (const Case& c : cases) {
        const CliRun r = cli(c.args);
        EXPECT_EQ(r.code, c.code) << qPrintable(c.args.join(' ')) << qPrintable(r.err);
        EXPECT_TRUE(r.err.contains(QLatin1String(c.says))) << qPrintable(r.err);
    }
    EXPECT_FALSE(QFile::exists(path("x.sdt")));
    EXPECT_FALSE(QFile::exists(path("x.txt")));
}

TEST_F(DataCli, AFileOfAnotherVersionNeedsYes) {
    SetupData d = state.gDefaultData;
    d.Version = QStringLiteral("KALVEX_R0.1.0");
    d.Value[122] = 720;
    ASSERT_TRUE(writeSetupFile(path("old.sdt"), d, nullptr));
    const CliRun no = cli({"download", "setup", path("old.sdt")});
    EXPECT_EQ(no.code, 1);
    EXPECT_TRUE(no.err.contains("KALVEX_R0.1.0")) << qPrintable(no.err);
    EXPECT_EQ(boardValue("W1092"), 600);
    const CliRun yes = cli({"--yes", "download", "setup", path("old.sdt")});
    EXPECT_EQ(yes.code, 0) << qPrintable(yes.err);
    EXPECT_EQ(boardValue("W1092"), 720);
}

TEST_F(DataCli, ALostBoardSavesNothing) {
    ASSERT_TRUE(writeSetupFile(path("keep.sdt"), state.gDefaultData, nullptr));
    const QByteArray before = contents(path("keep.sdt"));
    server.withBoard([](sim::Board& b) { b.faults().silentAfter = b.receivedCount() + 200; });
    const CliRun r = cli({"upload", "all", "-o", path("keep.sdt")});
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.contains("Error Processing Request")) << qPrintable(r.err);
    EXPECT_EQ(contents(path("keep.sdt")), before);
}

TEST_F(DataCli, AnUnwritableOutputIsAFileError) {
    const CliRun r = cli({"upload", "setup", "-o", path("no/such/dir.sdt")});
    EXPECT_EQ(r.code, 3);
    EXPECT_TRUE(r.err.contains("dir.sdt")) << qPrintable(r.err);
    const CliRun e = cli({"dump", path("no/such/dir.sdt")}, false);
    EXPECT_EQ(e.code, 3);
}

} // namespace
