#include "CliRunner.h"
#include "PtyServer.h"
#include "QtPrinters.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kalvex;

namespace {

using test::CliRun;

const QByteArray kHex = ":104000000102030405060708090A0B0C0D0E0F1028\r\n:00000001FF\r\n";

// kalvex-cli program on a board simulated in this process, files in a temporary folder.
class ProgramCli : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        QString error;
        ASSERT_TRUE(server.start(&error)) << qPrintable(error);
        server.withBoard([](sim::Board& b) { b.machine().running = false; });
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    void write(const QString& name, const QByteArray& bytes) const {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray read(const QString& name) const {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void writeSet(const char* type, const QByteArray& hex) const {
        write(QStringLiteral("P.ovp"), QByteArray(type) + ",x\r\n");
        write(QStringLiteral("P.rev"), "ABC:?05\r\n");
        write(QStringLiteral("P.hex"), hex);
    }
    CliRun program(const QStringList& args, const QString& ovp = QStringLiteral("P.ovp")) {
        return test::runCli(
            QStringList{QStringLiteral("--device"), server.slavePath(), QStringLiteral("program")} +
            args + QStringList{path(ovp)});
    }

    QTemporaryDir dir;
    sim::PtyServer server;
};

struct CheckCase {
    const char* name;
    const char* type; // nullptr: no .ovp
    const char* hex;  // nullptr: no .hex
    int code;
    const char* said; // on stdout (code 0) or stderr
};

class ProgramCheck : public ProgramCli, public ::testing::WithParamInterface<CheckCase> {};

TEST_P(ProgramCheck, ExitCodeSaysWhy) {
    const CheckCase& c = GetParam();
    if (c.type) writeSet(c.type, c.hex ? QByteArray(c.hex) : QByteArray());
    if (!c.hex) QFile::remove(path(QStringLiteral("P.hex")));
    const CliRun r = test::runCli(
        {QStringLiteral("program"), QStringLiteral("check"), path(QStringLiteral("P.ovp"))});
    EXPECT_EQ(r.code, c.code) << qPrintable(r.err);
    EXPECT_TRUE((r.out + r.err).contains(QLatin1String(c.said))) << qPrintable(r.out + r.err);
}

INSTANTIATE_TEST_SUITE_P(
    Sets, ProgramCheck,
    ::testing::Values(
        CheckCase{"Valid", "D", kHex.constData(), 0,
                  "Board type: D\nBoard: P9100(PLC)\nIdent: ABC\nRevision: 5\nChecksum: 175\n"
                  "Valid: yes\n"},
        CheckCase{"PlsBoard", "E", kHex.constData(), 1, "is a PLS target board program."},
        CheckCase{"BadHexLine", "D", ":1040000001\r\n", 1, "Line 1:"},
        CheckCase{"OvpMissing", nullptr, nullptr, 3, "does not exist"},
        CheckCase{"HexMissing", "D", nullptr, 3, "P.hex File Does Not Exist."},
        CheckCase{"HexEmpty", "D", "", 3, "P.hex File is Not Valid"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(ProgramCli, DownloadWithoutYesShowsTheQuestionAndSendsNothingAfterTheIdentReads) {
    writeSet("D", kHex);
    const CliRun r = program({QStringLiteral("download")});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains(QLatin1String("Program Download - [ABC]: Program to be loaded")));
    server.withBoard([](sim::Board& b) {
        EXPECT_TRUE(b.writes().empty());
        EXPECT_TRUE(b.programLog().empty());
    });
}

// The whole path a service engineer takes: a program downloaded with --yes comes back
// identical with program upload; an existing set is replaced only with --force.
TEST_F(ProgramCli, DownloadedProgramComesBackIdenticalWithUpload) {
    QByteArray image(0x2000, 0);
    QByteArray hex;
    for (int i = 0; i < image.size(); ++i)
        image[i] = char(QRandomGenerator::global()->bounded(256));
    for (int i = 0; i < image.size(); i += 16)
        hex += ":10" + QByteArray::number(0x2000 + i, 16).toUpper() + "00" +
               image.mid(i, 16).toHex().toUpper() + "\r\n";
    writeSet("4", hex + ":00000001FF\r\n");
    const CliRun down = program({QStringLiteral("--yes"), QStringLiteral("download")});
    ASSERT_EQ(down.code, 0) << qPrintable(down.err);
    EXPECT_TRUE(down.err.contains(QLatin1String("Program Download Complete!")));

    write(QStringLiteral("Q.ovp"), "4");
    write(QStringLiteral("Q.hex"), "old");
    CliRun up = program({QStringLiteral("upload")}, QStringLiteral("Q.ovp"));
    EXPECT_EQ(up.code, 3);
    EXPECT_EQ(read(QStringLiteral("Q.hex")), QByteArray("old"));
    up = program({QStringLiteral("upload"), QStringLiteral("--force")}, QStringLiteral("Q.ovp"));
    ASSERT_EQ(up.code, 0) << qPrintable(up.err);
    EXPECT_TRUE(read(QStringLiteral("Q.hex")) == hex + ":00000001FF\r\n");
    EXPECT_EQ(read(QStringLiteral("Q.rev")), QByteArray("ABC\0\0\0\0\0:?05\r\n", 14));
}

} // namespace
