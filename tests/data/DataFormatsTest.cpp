#include "TestFiles.h"
#include "data/LabelRange.h"
#include "data/SetupFile.h"
#include "data/ShiftExport.h"
#include "data/TagMap.h"
#include "data/TransferMarker.h"
#include "data/TransferPlan.h"
#include "data/pages/Df1GatewayTable.h"

#include <QDir>
#include <QTemporaryDir>

#include <random>

namespace kalvex {
namespace {

// What no other test pins (gaps and repeats: TransferByCode's All rows).
TEST(TagMap, UnpinnedAddressesAndDefaults) {
    // clang-format off
    const std::tuple<int, const char*, qint32> cases[] = {{43, "W1124", 0}, {79, "D1200", 0}, {85, "W1224", 0}, {121, "D1304", 0},
        {122, "W1092", 600}, {125, "W690", 500}, {143, "W686", 0}, {144, "B3100", 0}, {152, "W3110", 350}, {1743, "W6094", 350}, {1746, "B1411", 10}};
    // clang-format on
    const SetupData d = defaultDataSet(QStringLiteral("v"));
    for (const auto& [index, address, value] : cases)
        EXPECT_EQ(std::pair(d.Address[size_t(index)], d.Value[size_t(index)]),
                  std::pair(QString::fromLatin1(address), value));
}

// Only the rules around the manual's tables: which row uses which, what a missing code shows.
TEST(Df1GatewayTable, RowsAndCodesOutsideTheTables) {
    // clang-format off
    const std::tuple<int, qint64, const char*> rows[] = {
        {0, 33, "(33) Unknown Status"}, {2, 6, "(6) Message Packet Error"}, {3, 4711, "4711"},
        {4, 1, "Write"}, {4, 5, "5"}, {6, 0, "Command"}, {6, 1, "Reply"}, {8, 65535, "65535"}};
    const std::tuple<qint64, qint64, qint64, const char*> statuses[] = {
        {0, 16, 0, "(00) Success - No Error"}, {1, 0x1B, 0, "(1B) - Not Used"},
        {3, 240, 27, "(F0-1B) Another Node is the Program Owner"}, {1, 240, 28, "(F0-1C) - Not Used"}};
    // clang-format on
    for (auto [row, value, text] : rows)
        EXPECT_EQ(df1RowText(row, value), text) << row << " " << value;
    for (auto [status, sts, ext, text] : statuses)
        EXPECT_EQ(df1StatusText(status, sts, ext), text) << sts << " " << ext;
    EXPECT_EQ(df1Address(kDf1Reads), "");
    for (auto [value, index] : {std::pair<qint64, int>{1, 1}, {2, -1}, {-1, -1}})
        EXPECT_EQ(df1ListIndex(value), index) << value;
}

TEST(LabelRange, OkAppliesTheRules) {
    const struct {
        bool rangeChosen;
        const char *from, *to;
        int first, last;
        bool cancelled;
    } cases[] = {
        // clang-format off
        {false, "x", "7", 0, 99, false},   // All Labels ignores the fields
        {true, "5", "3", 5, 5, false},     // last below first: first only
        {true, "-4", "150", 0, 99, false}, // clamped
        {true, "3", "7", 3, 7, false}, {true, " 12 ", "12", 12, 12, false},
        {true, "2.5", "3.5", 2, 4, false}, // half to even
        {true, "1e1", "20", 10, 20, false}, {true, "120", "130", 99, 99, false},
        {true, "0.4", "0.6", 0, 1, false}, {true, "abc", "5", 0, 5, true}, // non-numeric cancels
        {true, "5", "", 5, 5, true}, {true, "5x", "6", 0, 6, true}, {true, "inf", "6", 0, 6, true},
        // clang-format on
    };
    for (const auto& c : cases) {
        const std::optional<LabelRange> r =
            labelRangeOk(c.rangeChosen, QString::fromLatin1(c.from), QString::fromLatin1(c.to));
        EXPECT_EQ(!r, c.cancelled) << c.from << " " << c.to;
        const LabelRange got = r.value_or(LabelRange{c.first, c.last});
        EXPECT_EQ(std::pair(got.first, got.last), std::pair(c.first, c.last)) << c.from;
    }
    EXPECT_EQ(labelDataItems(7, 3), labelDataItems(7, 7));
    EXPECT_EQ(labelDataItems(-1, 150), labelDataItems(0, 99));
    for (const int other : {3, 5, 13, 31, -1}) { // codes of no transfer move nothing
        EXPECT_EQ(transferPlan(other).text, QStringLiteral("Please Standby...")) << other;
        EXPECT_TRUE(transferPlan(other).items.empty()) << other;
    }
}

TEST(ShiftExport, LinesAndValuesInPlace) {
    const auto expected = [](const SetupData& d, const char* name, const char* date) {
        const QByteArray totals = "(Good Can, Total Blow-off, Misloads, Manual Blow-offs, "
                                  "QC Blow-offs, Restart Blow-off)\r\n";
        const auto values = [&](int first, int last) {
            QByteArray b;
            for (int i = first; i <= last; ++i)
                b += QByteArray::number(d.Value[size_t(i)]) + "\r\n";
            return b;
        };
        return QByteArray(name) + "\r\nDate: " + date + "\r\n \r\nCurrent Shift Data:\r\n" +
               totals + values(37, 42) + " \r\nCurrent Shift Trips per Spindle:\r\n" +
               values(43, 78) + " \r\nLast Shift Data:\r\n" + totals + values(79, 84) +
               " \r\nLast Shift Trips per Spindle\r\n" + values(85, 120);
    };
    SetupData d = defaultDataSet({});
    EXPECT_EQ(shiftExportText(d, {}, {}), expected(d, "untitled", ""));
    for (int i = 37; i <= 120; ++i)
        d.Value[size_t(i)] = i * 1000;
    d.Value[42] = -42;
    d.Value[120] = 2147483647;
    EXPECT_EQ(shiftExportText(d, QStringLiteral("shift.sdt"), QStringLiteral("1/2/2024 3:04:05")),
              expected(d, "shift.sdt", "1/2/2024 3:04:05"));
}

// The set-up file layout written out by hand: little-endian fields, no padding.
QByteArray le16(int v) {
    return QByteArray(1, char(v & 0xFF)) + char((v >> 8) & 0xFF);
}
QByteArray le32(qint64 v) {
    return le16(int(v & 0xFFFF)) + le16(int((v >> 16) & 0xFFFF));
}
QByteArray text(const QByteArray& t) {
    return le16(int(t.size())) + t;
}

SetupData small() {
    return {
        QStringLiteral("KALVEX_R2.3.3"),
        {QStringLiteral("B1011"), QStringLiteral("W1092"), QString(), QStringLiteral("B1401.0")},
        {7, 600, -1, 2147483647}};
}

// Bytes after the record are ignored; counts other than the tag map's are kept.
TEST(SetupFileReader, WritesByteByByteAndReadsBackWhatWasWritten) {
    QByteArray layout = text("KALVEX_R2.3.3") + le16(1) + le32(4) + le32(0);
    for (const char* a : {"B1011", "W1092", "", "B1401.0"})
        layout += text(a);
    layout += le16(1) + le32(4) + le32(0) + le32(7) + le32(600) + le32(-1) + le32(2147483647);
    EXPECT_EQ(encodeSetupData(small()).toHex(' '), layout.toHex(' '));
    EXPECT_EQ(encodeSetupData(defaultDataSet(QStringLiteral("KALVEX_R2.3.3"))).size(), 19247);
    const SetupData odd{QStringLiteral("X"), std::vector<QString>(1700, QStringLiteral("B1")),
                        std::vector<qint32>(1800, 5)};
    for (const SetupData& d :
         {small(), defaultDataSet(QStringLiteral("KALVEX_R1.0.0")), SetupData{}, odd}) {
        QString error;
        const auto back = decodeSetupData(encodeSetupData(d) + "tail of a longer file", &error);
        ASSERT_TRUE(back) << qPrintable(error);
        EXPECT_EQ(*back, d);
    }
}

TEST(SetupFileReader, RefusesMalformedRecordsAndFilesWithAMessage) {
    const QByteArray head = text("V") + le16(1), one = head + le32(1) + le32(0) + text("B1");
    const std::pair<QByteArray, const char*> cases[] = {
        {QByteArray(), "version"},
        {le16(40) + "KALVEX", "version"},
        {head + le32(1), "address list header"},
        {text("V") + le16(2) + le32(1) + le32(0) + text("B1"), "2 dimensions"},
        {text("V") + le16(0) + le32(1) + le32(0), "0 dimensions"},
        {head + le32(-1) + le32(0), "claims -1"},
        {head + le32(kMaxSetupItems + 1) + le32(0) + QByteArray(2 * (kMaxSetupItems + 1), '\0'),
         "claims"},
        {head + le32(1) + le32(1) + text("B1"), "starts at index 1"},
        {head + le32(1) + le32(0) + le16(9) + "B1", "address list"},
        {head + le32(3) + le32(0) + text("B1") + text("B2"), "address list"},
        {one + le16(1), "value list header"},
        {one + le16(3) + le32(1) + le32(0) + le32(5), "3 dimensions"},
        {one + le16(1) + le32(1) + le32(-5) + le32(5), "starts at index -5"},
        {one + le16(1) + le32(2) + le32(0) + le32(5), "claims 2"},
    };
    for (const auto& [bytes, says] : cases) {
        QString error;
        EXPECT_FALSE(decodeSetupData(bytes, &error)) << bytes.toHex(' ').constData();
        EXPECT_TRUE(error.contains(QLatin1String(says))) << qPrintable(error);
    }
    QString error;
    QTemporaryDir dir;
    test::writeBytes(dir.filePath("bad.sdt"), "\x03");
    QFile huge(dir.filePath("huge.sdt"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize(kMaxSetupFileBytes + 1));
    for (const char* name : {"missing.sdt", "bad.sdt", "huge.sdt"}) {
        EXPECT_FALSE(readSetupFile(dir.filePath(name), &error));
        EXPECT_TRUE(error.contains(QLatin1String(name))) << qPrintable(error);
    }
    EXPECT_TRUE(error.contains(QLatin1String("too large"))) << qPrintable(error);
}

TEST(SetupFileReader, SurvivesRandomCorruption) {
    const QByteArray good = encodeSetupData(defaultDataSet(QStringLiteral("KALVEX_R1.0.0")));
    std::mt19937 rng(20240601);
    std::uniform_int_distribution<int> pos(0, int(good.size()) - 1), value(0, 255);
    int accepted = 0;
    for (int round = 0; round < 3000; ++round) {
        QByteArray bytes = good;
        // Hit the count and length fields near the start more often than the values.
        for (int h = 0; h <= round % 4; ++h)
            bytes[round % 2 ? pos(rng) % 64 : pos(rng)] = char(value(rng));
        if (round % 5 == 0) bytes.truncate(pos(rng));
        QString error;
        const auto d = decodeSetupData(bytes, &error);
        if (!d) {
            EXPECT_FALSE(error.isEmpty());
            continue;
        }
        ++accepted;
        ASSERT_TRUE(bytes.startsWith(encodeSetupData(*d))) << "round " << round;
    }
    EXPECT_GT(accepted, 0);
}

using Kind = TransferMarker::Kind;
using State = TransferMarker::State;

TEST(TransferMarkerTest, WrittenReadBackToldAndRefusedWhenMalformed) {
    const std::vector<std::pair<TransferMarker, std::vector<const char*>>> cases = {
        // clang-format off
        {{Kind::Data, State::Stopped, "All Data", "/dev/ttyS0", 812, 1747}, {"A download of All Data", "stopped after item 812 of 1747", "mix of old and new"}},
        {{Kind::Data, State::Running, "Label Data", "/dev/ttyUSB0", 100, 433}, {"interrupted after item 100 of 433", "may hold neither"}},
        {{Kind::Program, State::Running, "program KVX91D07 (LINE1.ovp)", "COM1", 64, 512}, {"interrupted after record 64 of 512", "may still be in program mode", "The board holds a partial program: download it again before running the machine"}},
        {{Kind::Program, State::Stopped, "program A=B (x.ovp)", "", 0, 0}, {"stopped after record 0 of 0", "left program mode", "no ident was written"}},
        // clang-format on
    };
    QTemporaryDir dir;
    const QString path = transferMarkerPath(dir.filePath(QStringLiteral("not/yet")));
    for (const auto& [marker, says] : cases) {
        ASSERT_EQ(writeTransferMarker(path, marker), QString());
        const MarkerFound found = readTransferMarker(path);
        ASSERT_EQ(found.status, MarkerFound::Status::Found) << qPrintable(found.why);
        EXPECT_EQ(found.marker, marker);
        EXPECT_EQ(found.marker.boardMayBeInProgramMode(),
                  marker.kind == Kind::Program && marker.state == State::Running);
        const QString text = interruptedTransferText(found, path);
        for (const char* s : says)
            EXPECT_TRUE(text.contains(QLatin1String(s))) << s << " not in " << qPrintable(text);
    }
    EXPECT_EQ(removeTransferMarker(path), QString());
    EXPECT_EQ(readTransferMarker(path).status, MarkerFound::Status::None);
    EXPECT_EQ(interruptedTransferText(readTransferMarker(path), path), QString());
    EXPECT_EQ(removeTransferMarker(path), QString()); // already gone

    // The file during a transfer: coarse steps only; a quit leaves the exact count.
    const auto fileText = [&] { return QFile::exists(path) ? test::fileBytes(path) : "(absent)"; };
    TransferMarkerFile file(path, {Kind::Data, State::Running, "All Data", "p", 0, 1747}, 50);
    file.progress(10);
    EXPECT_EQ(fileText(), "(absent)") << "written before start";
    file.start();
    // clang-format off
    const std::pair<int, const char*> steps[] = {{11, "done=10"}, {59, "done=10"}, {60, "done=60"}, {109, "done=60"}, {130, "done=130"}};
    // clang-format on
    for (const auto& [done, expected] : steps) {
        file.progress(done);
        EXPECT_TRUE(fileText().contains(expected)) << done << ": " << fileText().constData();
    }
    file.stopped(131);
    EXPECT_TRUE(fileText().contains("state=stopped\n") && fileText().contains("done=131\n"));
    file.finished();
    EXPECT_EQ(fileText(), "(absent)");
    EXPECT_EQ(file.error(), QString());

    const QString blocker = test::writeBytes(dir.filePath(QStringLiteral("KALVEX")), "");
    TransferMarkerFile blocked(transferMarkerPath(blocker), {}, 1);
    blocked.start();
    EXPECT_TRUE(blocked.error().contains(QDir::toNativeSeparators(blocker)))
        << qPrintable(blocked.error());

    const QByteArray h = "KALVEX transfer marker 1\n";
    const QByteArray body = "kind=data\nstate=running\nwhat=All Data\nport=p\n";
    const std::vector<std::pair<QByteArray, const char*>> malformed = {
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
    for (const auto& [text, reason] : malformed) {
        test::writeBytes(path, text);
        const MarkerFound found = readTransferMarker(path);
        EXPECT_EQ(found.status, MarkerFound::Status::Unreadable) << text.left(80).constData();
        const QString message = interruptedTransferText(found, path);
        EXPECT_TRUE(message.contains(QDir::toNativeSeparators(path)));
        EXPECT_TRUE(message.contains(QLatin1String(reason)))
            << reason << " not in " << qPrintable(message);
    }
}

} // namespace
} // namespace kalvex
