#include "data/SetupFile.h"
#include "FileLimit.h"
#include "data/TagMap.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <random>

using namespace kalvex;

namespace {

// The layout written out by hand: little-endian fields, no padding.
QByteArray le16(int v) {
    QByteArray b;
    b.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF));
    return b;
}
QByteArray le32(qint64 v) {
    QByteArray b;
    for (int k = 0; k < 4; ++k)
        b.append(char((v >> (8 * k)) & 0xFF));
    return b;
}
QByteArray text(const QByteArray& t) {
    return le16(int(t.size())) + t;
}

QByteArray layout(const QByteArray& version, const std::vector<QByteArray>& addresses,
                  const std::vector<qint64>& values) {
    QByteArray b = text(version) + le16(1) + le32(qint64(addresses.size())) + le32(0);
    for (const QByteArray& a : addresses)
        b += text(a);
    b += le16(1) + le32(qint64(values.size())) + le32(0);
    for (const qint64 v : values)
        b += le32(v);
    return b;
}

SetupData small() {
    SetupData d;
    d.Version = QStringLiteral("KALVEX_R2.3.3");
    d.Address = {QStringLiteral("B1011"), QStringLiteral("W1092"), QString(),
                 QStringLiteral("B1401.0")};
    d.Value = {7, 600, -1, 2147483647};
    return d;
}

TEST(SetupFileLayout, SmallRecordByteByByte) {
    const QByteArray expected =
        layout("KALVEX_R2.3.3", {"B1011", "W1092", "", "B1401.0"}, {7, 600, -1, 2147483647});
    EXPECT_EQ(encodeSetupData(small()).toHex(' '), expected.toHex(' '));
    // One address in full: length 5 as 05 00, then its characters.
    EXPECT_EQ(expected.mid(25, 7), QByteArray::fromHex("05004231303131"));
}

TEST(SetupFileLayout, DefaultRecordMatchesTheLayoutAndIs19247Bytes) {
    const SetupData d = defaultDataSet(QStringLiteral("KALVEX_R2.3.3"));
    std::vector<QByteArray> addresses;
    std::vector<qint64> values;
    for (size_t i = 0; i < d.Address.size(); ++i) {
        addresses.push_back(d.Address[i].toLatin1());
        values.push_back(d.Value[i]);
    }
    const QByteArray bytes = encodeSetupData(d);
    EXPECT_EQ(bytes.size(), 19247);
    EXPECT_TRUE(bytes == layout("KALVEX_R2.3.3", addresses, values));
}

TEST(SetupFileReader, ReadsBackWhatWasWritten) {
    for (const SetupData& d :
         {small(), defaultDataSet(QStringLiteral("KALVEX_R1.0.0")), SetupData{}}) {
        QString error;
        const auto back = decodeSetupData(encodeSetupData(d), &error);
        ASSERT_TRUE(back) << qPrintable(error);
        EXPECT_EQ(*back, d);
    }
}

TEST(SetupFileReader, IgnoresBytesAfterTheRecord) {
    const auto back = decodeSetupData(encodeSetupData(small()) + "tail of a longer file", nullptr);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, small());
}

TEST(SetupFileReader, KeepsCountsThatDifferFromTheTagMap) {
    std::vector<QByteArray> addresses(1700, "B1");
    std::vector<qint64> values(1800, 5);
    const auto d = decodeSetupData(layout("X", addresses, values), nullptr);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->Address.size(), 1700u);
    EXPECT_EQ(d->Value.size(), 1800u);
}

struct BadFile {
    const char* name;
    QByteArray bytes;
    const char* expectedWords;
};

void PrintTo(const BadFile& c, std::ostream* os) {
    *os << c.name;
}

class SetupFileReaderRefuses : public ::testing::TestWithParam<BadFile> {};

TEST_P(SetupFileReaderRefuses, WithAMessage) {
    QString error;
    EXPECT_FALSE(decodeSetupData(GetParam().bytes, &error));
    EXPECT_TRUE(error.contains(QLatin1String(GetParam().expectedWords))) << qPrintable(error);
}

const QByteArray kAddrHead = text("V") + le16(1);
const QByteArray kOneAddr = kAddrHead + le32(1) + le32(0) + text("B1");

INSTANTIATE_TEST_SUITE_P(
    Corpus, SetupFileReaderRefuses,
    ::testing::Values(
        BadFile{"empty", QByteArray(), "version"}, BadFile{"oneByte", "\x05", "version"},
        BadFile{"versionBeyondEnd", le16(40) + "KALVEX", "version"},
        BadFile{"noAddressHeader", text("V") + le16(1) + le32(1), "address list header"},
        BadFile{"twoDimensions", text("V") + le16(2) + le32(1) + le32(0) + text("B1"),
                "2 dimensions"},
        BadFile{"zeroDimensions", text("V") + le16(0) + le32(1) + le32(0), "0 dimensions"},
        BadFile{"negativeCount", kAddrHead + le32(-1) + le32(0), "claims -1"},
        BadFile{"hugeCount", kAddrHead + le32(0x7FFFFFFF) + le32(0) + text("B1"), "claims"},
        BadFile{"countAboveLimit",
                kAddrHead + le32(kMaxSetupItems + 1) + le32(0) +
                    QByteArray(2 * (kMaxSetupItems + 1), '\0'),
                "claims"},
        BadFile{"lowIndexOne", kAddrHead + le32(1) + le32(1) + text("B1"), "starts at index 1"},
        BadFile{"addressBeyondEnd", kAddrHead + le32(1) + le32(0) + le16(9) + "B1", "address list"},
        BadFile{"countMoreThanAddresses", kAddrHead + le32(3) + le32(0) + text("B1") + text("B2"),
                "address list"},
        BadFile{"noValueHeader", kOneAddr + le16(1), "value list header"},
        BadFile{"valueDimensions", kOneAddr + le16(3) + le32(1) + le32(0) + le32(5),
                "3 dimensions"},
        BadFile{"valueLowIndex", kOneAddr + le16(1) + le32(1) + le32(-5) + le32(5),
                "starts at index -5"},
        BadFile{"valuesShort", kOneAddr + le16(1) + le32(2) + le32(0) + le32(5), "claims 2"},
        BadFile{"valueCountHuge", kOneAddr + le16(1) + le32(0x40000000) + le32(0), "claims"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(SetupFileReader, RefusesEveryTruncation) {
    const QByteArray full = encodeSetupData(small());
    for (qsizetype n = 0; n < full.size(); ++n) {
        QString error;
        EXPECT_FALSE(decodeSetupData(full.left(n), &error)) << n;
        EXPECT_FALSE(error.isEmpty()) << n;
    }
}

// Whatever garbage comes in, the reader either refuses it or returns exactly the record that
// the bytes spell out.
TEST(SetupFileReader, SurvivesRandomCorruption) {
    const QByteArray good = encodeSetupData(defaultDataSet(QStringLiteral("KALVEX_R1.0.0")));
    std::mt19937 rng(20240601);
    int accepted = 0;
    for (int round = 0; round < 3000; ++round) {
        QByteArray bytes = good;
        std::uniform_int_distribution<int> pos(0, int(bytes.size()) - 1), value(0, 255);
        const int hits = 1 + round % 4;
        for (int h = 0; h < hits; ++h) {
            // Hit the count and length fields near the start more often than the values.
            const int p = round % 2 ? pos(rng) % 64 : pos(rng);
            bytes[p] = char(value(rng));
        }
        if (round % 5 == 0) bytes.truncate(pos(rng));
        QString error;
        const auto d = decodeSetupData(bytes, &error);
        if (!d) {
            EXPECT_FALSE(error.isEmpty());
            continue;
        }
        ++accepted;
        const QByteArray again = encodeSetupData(*d);
        ASSERT_TRUE(bytes.startsWith(again)) << "round " << round;
    }
    EXPECT_GT(accepted, 0);
}

class SetupFileOnDisk : public ::testing::Test {
  protected:
    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }
    static QByteArray contents(const QString& p) {
        QFile f(p);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QTemporaryDir dir;
};

TEST_F(SetupFileOnDisk, WritesAndReadsAFile) {
    const SetupData d = defaultDataSet(QStringLiteral("KALVEX_R1.0.0"));
    QString error;
    ASSERT_TRUE(writeSetupFile(path("a.sdt"), d, &error)) << qPrintable(error);
    EXPECT_EQ(contents(path("a.sdt")), encodeSetupData(d));
    const auto back = readSetupFile(path("a.sdt"), &error);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, d);
}

TEST_F(SetupFileOnDisk, ReadErrorsNameTheFile) {
    QFile f(path("bad.sdt"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("\x03");
    f.close();
    for (const char* name : {"missing.sdt", "bad.sdt"}) {
        QString error;
        EXPECT_FALSE(readSetupFile(path(name), &error));
        EXPECT_TRUE(error.contains(QLatin1String(name))) << qPrintable(error);
    }
}

TEST_F(SetupFileOnDisk, RefusesAHugeFileWithoutReadingIt) {
    QFile f(path("huge.sdt"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_TRUE(f.resize(kMaxSetupFileBytes + 1));
    f.close();
    QString error;
    EXPECT_FALSE(readSetupFile(path("huge.sdt"), &error));
    EXPECT_TRUE(error.contains(QLatin1String("too large"))) << qPrintable(error);
}

TEST_F(SetupFileOnDisk, AFailedSaveLeavesTheEarlierFileWhole) {
    const SetupData earlier = small();
    ASSERT_TRUE(writeSetupFile(path("keep.sdt"), earlier, nullptr));
    const QByteArray before = contents(path("keep.sdt"));
    QString error;
    {
        test::FileSizeLimit limit(1000); // the default record needs 19247 bytes
        EXPECT_FALSE(writeSetupFile(path("keep.sdt"), defaultDataSet(QStringLiteral("X")), &error));
    }
    EXPECT_TRUE(error.contains(QLatin1String("keep.sdt"))) << qPrintable(error);
    EXPECT_EQ(contents(path("keep.sdt")), before);
    EXPECT_FALSE(writeSetupFile(path("no/such/folder/x.sdt"), earlier, &error));
}

} // namespace
