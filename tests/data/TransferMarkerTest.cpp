// The marker an interrupted download leaves: its file, its states and what the next start says.
#include "data/TransferMarker.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace kalvex {
namespace {

using Kind = TransferMarker::Kind;
using State = TransferMarker::State;

QByteArray fileText(const QString& path) {
    return QFile::exists(path) ? test::fileBytes(path) : QByteArray("(absent)");
}

struct TextCase {
    TransferMarker marker;
    std::vector<const char*> says;
};

TEST(TransferMarkerTest, WrittenReadBackAndToldAsTheBoardHoldsIt) {
    const std::vector<TextCase> cases = {
        // clang-format off
        {{Kind::Data, State::Stopped, "All Data", "/dev/ttyS0", 812, 1747}, {"A download of All Data", "stopped after item 812 of 1747", "mix of old and new"}},
        {{Kind::Data, State::Running, "Label Data", "/dev/ttyUSB0", 100, 433}, {"interrupted after item 100 of 433", "may hold neither"}},
        {{Kind::Program, State::Running, "program KVX91D07 (LINE1.ovp)", "COM1", 64, 512}, {"interrupted after record 64 of 512", "may still be in program mode", "The board holds a partial program: download it again before running the machine"}},
        {{Kind::Program, State::Stopped, "program A=B (x.ovp)", "", 0, 0}, {"stopped after record 0 of 0", "left program mode", "no ident was written"}},
        // clang-format on
    };
    QTemporaryDir dir;
    const QString path = transferMarkerPath(dir.filePath(QStringLiteral("not/yet")));
    for (const TextCase& c : cases) {
        ASSERT_EQ(writeTransferMarker(path, c.marker), QString());
        const MarkerFound found = readTransferMarker(path);
        ASSERT_EQ(found.status, MarkerFound::Status::Found) << qPrintable(found.why);
        EXPECT_EQ(found.marker, c.marker);
        EXPECT_EQ(found.marker.boardMayBeInProgramMode(),
                  c.marker.kind == Kind::Program && c.marker.state == State::Running);
        const QString text = interruptedTransferText(found, path);
        for (const char* s : c.says)
            EXPECT_TRUE(text.contains(QLatin1String(s))) << s << " not in " << qPrintable(text);
    }
    EXPECT_EQ(removeTransferMarker(path), QString());
    EXPECT_EQ(readTransferMarker(path).status, MarkerFound::Status::None);
    EXPECT_EQ(interruptedTransferText(readTransferMarker(path), path), QString());
    EXPECT_EQ(removeTransferMarker(path), QString()); // already gone
}

TEST(TransferMarkerTest, MalformedMarkerIsNamedWithItsPathAndReason) {
    const QByteArray h = "KALVEX transfer marker 1\n";
    const QByteArray body = "kind=data\nstate=running\nwhat=All Data\nport=p\n";
    const std::vector<std::pair<QByteArray, const char*>> cases = {
        {"", "does not begin with"},
        {"kind=data\n", "does not begin with"},
        {h, "the line kind= is missing"},
        {h + body + "done=5\n", "the line total= is missing"},
        {h + body + "done=5\ntotal=9\ndone=6\n", "\"done=6\" is not expected"},
        {h + body + "done=5\ntotal=9\nspeed=3\n", "\"speed=3\" is not expected"},
        {h + "kind=firmware\nstate=running\nwhat=x\nport=p\ndone=1\ntotal=2\n", "neither data"},
        {h + "kind=data\nstate=paused\nwhat=x\nport=p\ndone=1\ntotal=2\n", "neither running"},
        {h + body + "done=10\ntotal=9\n", "done=10 of total=9 is not a count"},
        {h + body + "done=-1\ntotal=9\n", "done=-1 of total=9"},
        {h + body + "done=x\ntotal=9\n", "is not a count"},
        {h + "kind=data\nstate=running\nwhat=\nport=p\ndone=1\ntotal=2\n", "names nothing"},
        {QByteArray(5000, 'K'), "too large"},
    };
    QTemporaryDir dir;
    const QString path = transferMarkerPath(dir.path());
    for (const auto& [text, reason] : cases) {
        test::writeBytes(path, text);
        const MarkerFound found = readTransferMarker(path);
        EXPECT_EQ(found.status, MarkerFound::Status::Unreadable) << text.left(80).constData();
        const QString message = interruptedTransferText(found, path);
        EXPECT_TRUE(message.contains(QDir::toNativeSeparators(path)));
        EXPECT_TRUE(message.contains(QLatin1String(reason)))
            << reason << " not in " << qPrintable(message);
    }
}

// The file follows the download at coarse steps only; a quit leaves the exact count.
TEST(TransferMarkerTest, MarkerFileWritesEveryNItemsAndGoesAtTheEnd) {
    QTemporaryDir dir;
    const QString path = transferMarkerPath(dir.path());
    TransferMarkerFile file(path, {Kind::Data, State::Running, "All Data", "p", 0, 1747}, 50);
    file.progress(10);
    EXPECT_EQ(fileText(path), "(absent)") << "written before start";
    file.start();
    for (const auto& [done, expected] :
         std::vector<std::pair<int, const char*>>{{11, "done=10"},
                                                  {59, "done=10"},
                                                  {60, "done=60"},
                                                  {109, "done=60"},
                                                  {130, "done=130"}}) {
        file.progress(done);
        EXPECT_TRUE(fileText(path).contains(expected))
            << done << ": " << fileText(path).constData();
    }
    file.stopped(131);
    EXPECT_TRUE(fileText(path).contains("state=stopped\n") &&
                fileText(path).contains("done=131\n"));
    file.finished();
    EXPECT_EQ(fileText(path), "(absent)");
    EXPECT_EQ(file.error(), QString());
}

TEST(TransferMarkerTest, UnwritableFolderIsNamed) {
    QTemporaryDir dir;
    const QString blocker = test::writeBytes(dir.filePath(QStringLiteral("KALVEX")), "");
    TransferMarkerFile file(transferMarkerPath(blocker), {}, 1);
    file.start();
    EXPECT_TRUE(file.error().contains(QDir::toNativeSeparators(blocker)))
        << qPrintable(file.error());
}

} // namespace
} // namespace kalvex
