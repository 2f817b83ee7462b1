#include "support/CliBoard.h"
#include "support/QtPrinters.h"

#include <QRandomGenerator>

using namespace kalvex;

namespace {

using test::CliRun;

const QByteArray kHex = ":104000000102030405060708090A0B0C0D0E0F1028\r\n:00000001FF\r\n";

// kalvex-cli program on a board simulated in this process, files in a temporary folder.
class ProgramCli : public test::CliBoard {
  protected:
    void writeSet(const char* type, const QByteArray& hex) {
        write(path("P.ovp"), QByteArray(type) + ",x\r\n");
        write(path("P.rev"), "ABC:?05\r\n");
        write(path("P.hex"), hex);
    }
    // Records of 16 random bytes from `start`, `size` bytes in all, and the end record.
    static QByteArray records(int start, int size) {
        QByteArray hex;
        for (int i = 0; i < size; i += 16) {
            QByteArray line(16, 0);
            for (char& c : line)
                c = char(QRandomGenerator::global()->bounded(256));
            hex += ":10" + QByteArray::number(start + i, 16).toUpper() + "00" +
                   line.toHex().toUpper() + "\r\n";
        }
        return hex + ":00000001FF\r\n";
    }
    CliRun program(const QStringList& args, const char* ovp = "P.ovp", bool onBoard = true) {
        return cli(QStringList{QStringLiteral("program")} + args + QStringList{path(ovp)}, onBoard);
    }
};

// The exit code says why a program set cannot be used.
TEST_F(ProgramCli, CheckExitCodeSaysWhy) {
    const struct {
        const char* type; // nullptr: no .ovp
        const char* hex;  // nullptr: no .hex
        int code;
        const char* said; // on stdout (code 0) or stderr
    } cases[] = {
        // clang-format off
        {"D", kHex.constData(), 0, "Board type: D\nBoard: P9100(PLC)\nIdent: ABC\nRevision: 5\nChecksum: 175\nValid: yes\n"},
        {"E", kHex.constData(), 1, "is a PLS target board program."},
        {"D", ":1040000001\r\n", 1, "Line 1:"},
        {nullptr, nullptr, 3, "does not exist"},
        {"D", nullptr, 3, "P.hex File Does Not Exist."},
        // clang-format on
    };
    for (const auto& c : cases) {
        for (const char* name : {"P.ovp", "P.rev", "P.hex"})
            QFile::remove(path(name));
        if (c.type) writeSet(c.type, c.hex ? QByteArray(c.hex) : QByteArray());
        if (!c.hex) QFile::remove(path("P.hex"));
        const CliRun r = program({QStringLiteral("check")}, "P.ovp", false);
        EXPECT_EQ(r.code, c.code) << c.said << "\n" << qPrintable(r.err);
        EXPECT_TRUE((r.out + r.err).contains(QLatin1String(c.said))) << qPrintable(r.out + r.err);
    }
}

// The whole path a service engineer takes: without --yes the question and nothing written
// after the ident reads; a program downloaded with --yes comes back identical with program
// upload; an existing set is replaced only with --force.
TEST_F(ProgramCli, DownloadedProgramComesBackIdenticalWithUpload) {
    const QByteArray hex = records(0x2000, 0x2000);
    writeSet("4", hex);
    const CliRun asked = program({QStringLiteral("download")});
    EXPECT_EQ(asked.code, 1);
    EXPECT_TRUE(asked.err.contains("Program Download - [ABC]: Program to be loaded"));
    server.withBoard([](sim::Board& b) {
        EXPECT_TRUE(b.writes().empty());
        EXPECT_TRUE(b.programLog().empty());
    });
    const CliRun down = program({QStringLiteral("--yes"), QStringLiteral("download")});
    ASSERT_EQ(down.code, 0) << qPrintable(down.err);
    EXPECT_TRUE(down.err.contains(QLatin1String("Program Download Complete!")));

    write(path("Q.ovp"), "4");
    write(path("Q.hex"), "old");
    CliRun up = program({QStringLiteral("upload")}, "Q.ovp");
    EXPECT_EQ(up.code, 3);
    EXPECT_EQ(contents(path("Q.hex")), QByteArray("old"));
    up = program({QStringLiteral("upload"), QStringLiteral("--force")}, "Q.ovp");
    ASSERT_EQ(up.code, 0) << qPrintable(up.err);
    EXPECT_TRUE(contents(path("Q.hex")) == hex);
    EXPECT_EQ(contents(path("Q.rev")), QByteArray("ABC\0\0\0\0\0:?05\r\n", 14));
}

// SIGINT or SIGTERM stops a program transfer between two records: program mode left with its
// exit byte, no ident written, no file written, and the board's state said; 130 or 143.
TEST_F(ProgramCli, AStopSignalEndsAProgramTransferAtARecordBoundary) {
    writeSet("D", records(0x4000, 0x8000));
    write(path("Q.ovp"), "D");
    server.withBoard([](sim::Board& b) { b.faults().replyDelayUs = 300; });
    const struct {
        int signal;
        QStringList args;
        const char* says;
    } cases[] = {
        {SIGINT,
         {"program", "download", "--yes", path("P.ovp")},
         "The board holds a partial program: download it again before running the machine."},
        {SIGTERM, {"program", "upload", path("Q.ovp")}, "No file was written"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.signal);
        server.withBoard([](sim::Board& b) { b.clearTranscript(); });
        const CliRun r = stopWith(c.signal, c.args, 2000);
        EXPECT_EQ(r.code, 128 + c.signal);
        EXPECT_TRUE(r.err.contains(QLatin1String(c.says))) << qPrintable(r.err);
        server.withBoard([&](sim::Board& b) {
            for (const sim::MemoryWrite& w : b.writes())
                EXPECT_FALSE(w.address >= 61424 && w.address <= 61433) << w.address;
            if (c.signal != SIGINT) return;
            EXPECT_GT(b.programLog().size(), 10u);
            EXPECT_LT(b.programLog().size(), 2048u);
            // The exit byte's acknowledgement, then the closing attention's.
            EXPECT_TRUE(b.bytesToPc().endsWith("\x55\x55"))
                << b.bytesToPc().right(4).toHex().data();
        });
    }
    EXPECT_EQ(boardValue("B61424"), 'K');
    EXPECT_FALSE(QFile::exists(path("Q.hex")));
    EXPECT_FALSE(QFile::exists(path("Q.rev")));
}

} // namespace
