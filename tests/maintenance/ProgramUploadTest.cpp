#include "data/program/ProgramUpload.h"
#include "ProgramFixture.h"
#include "data/program/HexImage.h"

#include <QDir>

using namespace kalvex;
using namespace kalvex::test;

namespace {

using UploadOutcome = ProgramUpload::Outcome;

class ProgramUploadTest : public ProgramFixture {
  protected:
    UploadOutcome upload() {
        EXPECT_TRUE(files.UploadFile(path("LINE1.ovp")));
        transfer.setState(ProgramState::UploadRequested);
        ProgramUpload run(transfer, files, prompt);
        run.runToEnd();
        EXPECT_EQ(transfer.state(), ProgramState::Idle);
        return run.outcome();
    }
    // True when LINE1.hex describes board D's program memory, 4000H to BFFFH.
    bool hexHoldsTheBoardImage() const {
        QByteArray image, board8000;
        for (const HexRecord& r : parseHexText(read("LINE1.hex")).records)
            image += r.data;
        for (int a = 0x4000; a < 0xC000; ++a)
            board8000 += char(board.peek(a));
        return image == board8000;
    }
};

// A wrong echo once (the first image read's high address byte) is read again, never "00".
TEST_F(ProgramUploadTest, BoardDGivesIdentAndLinesFrom4000ToBFF0) {
    write("LINE1.ovp", "D");
    board.poke(61424 + 3, 0xEA);       // an ident byte beyond ASCII stays one byte in the file
    ASSERT_TRUE(link.readValue("B0")); // read mode is set: the ident reads are bytes 1-20
    board.faults().wrongEchoAt = {board.receivedCount() + 21};
    ASSERT_EQ(upload(), UploadOutcome::Complete);
    EXPECT_EQ(read("LINE1.rev"), QByteArray("KVX\xEA"
                                            "1D07:707\r\n"));
    EXPECT_FALSE(QFile::exists(path("LINE1.lcf")));
    const QList<QByteArray> lines = read("LINE1.hex").split('\n');
    ASSERT_EQ(lines.size(), 2048 + 2); // data, the end record, the empty rest after its CR LF
    EXPECT_TRUE(lines[0].startsWith(":10400000"));
    EXPECT_EQ(lines[0].size(), 9 + 32 + 1); // no record checksum, CR
    EXPECT_TRUE(lines[2047].startsWith(":10BFF000"));
    EXPECT_EQ(lines[2048], QByteArray(":00000001FF\r"));
    EXPECT_TRUE(hexHoldsTheBoardImage());
    EXPECT_EQ(prompt.boxes.back().text, "Program Upload Complete!");
}

TEST_F(ProgramUploadTest, ConfigurationBoardWritesItsLcfLine) {
    write("LINE1.ovp", "8");
    ASSERT_EQ(upload(), UploadOutcome::Complete);
    EXPECT_EQ(read("LINE1.lcf"), QByteArray("F") + QByteArray(34, '0') + "2001" + "2000%\r\n");
    EXPECT_EQ(read("LINE1.hex").count('\n'), 0x2000 / 16 + 1);
}

// The files are written whole before any replaces its old one: a failure leaves the old set,
// the link offline after a failed read, and the box says why.
TEST_F(ProgramUploadTest, AFailedUploadLeavesTheOldSetWhole) {
    struct Case {
        const char* blocked; // hex, rev, lcf are written in this order; "": a failed read
        bool folder; // a folder in its place, else a dangling link; for a failed read: a wrong
                     // echo twice, else the board silent mid-image
        const char* why;
        UploadOutcome outcome;
    };
    const Case cases[] = {
        {"LINE1.rev", false, "Cannot write \"%1\": ", UploadOutcome::FileError},
        {"LINE1.lcf", true, "\"%1\" is not a regular file.", UploadOutcome::FileError},
        {"LINE1.lcf", false, "Cannot write \"%1\": ", UploadOutcome::FileError},
        {"", false, "HEX file not created.", UploadOutcome::CommFailure},
        {"", true, "HEX file not created.", UploadOutcome::CommFailure},
    };
    const std::vector<std::pair<QString, QByteArray>> old{
        {"LINE1.hex", ":00000001FF\r\n"}, {"LINE1.rev", "OLD:?05\r\n"}, {"LINE1.lcf", "old lcf"}};
    for (const Case& c : cases) {
        for (const QString& name :
             QDir(home.path()).entryList({"LINE1.*"}, QDir::AllEntries | QDir::System))
            QFile::remove(path(name)) || QDir().rmdir(path(name));
        board.faults().silentAfter = -1;
        link.setCommError(false);
        link.setOnlineMode(true);
        write("LINE1.ovp", "8");
        for (const auto& [name, bytes] : old)
            if (name != c.blocked) write(name, bytes);
        if (*c.blocked)
            ASSERT_TRUE(c.folder ? QDir().mkdir(path(c.blocked))
                                 : QFile::link(path("missing/x"), path(c.blocked)));
        else if (!c.folder)
            board.faults().silentAfter = board.receivedCount() + 500;
        else {
            ASSERT_TRUE(link.readValue("B0")); // read mode is set: the ident reads are bytes 1-20
            board.faults().wrongEchoAt = {board.receivedCount() + 21, board.receivedCount() + 25};
        }
        prompt.boxes.clear();
        EXPECT_EQ(upload(), c.outcome) << c.blocked;
        EXPECT_EQ(link.OnlineMode(), *c.blocked != 0) << c.blocked;
        for (const auto& [name, bytes] : old) {
            if (name == c.blocked) continue;
            EXPECT_EQ(read(name), bytes) << c.blocked << " " << qPrintable(name);
        }
        EXPECT_EQ(QDir(home.path()).entryList({"LINE1.*"}, QDir::AllEntries | QDir::System).size(),
                  4)
            << c.blocked; // no temporary file left behind
        ASSERT_FALSE(prompt.boxes.empty());
        EXPECT_TRUE(prompt.boxes.back().text.startsWith(
            "Program Upload Not Complete!\r\n\r\n" +
            QString::fromLatin1(c.why).arg(QDir::toNativeSeparators(path(c.blocked)))))
            << qPrintable(prompt.boxes.back().text);
    }
}

} // namespace
