#include "data/SetupFile.h"
#include "TestFiles.h"
#include "data/TagMap.h"

#include <QTemporaryDir>

#include <random>

using namespace kalvex;

namespace {

// The layout written out by hand: little-endian fields, no padding.
QByteArray le16(int v) {
    return QByteArray(1, char(v & 0xFF)) + char((v >> 8) & 0xFF);
}
QByteArray le32(qint64 v) {
    return le16(int(v & 0xFFFF)) + le16(int((v >> 16) & 0xFFFF));
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
    return {
        QStringLiteral("KALVEX_R2.3.3"),
        {QStringLiteral("B1011"), QStringLiteral("W1092"), QString(), QStringLiteral("B1401.0")},
        {7, 600, -1, 2147483647}};
}

TEST(SetupFileLayout, RecordsAreWrittenByteByByte) {
    EXPECT_EQ(encodeSetupData(small()).toHex(' '),
              layout("KALVEX_R2.3.3", {"B1011", "W1092", "", "B1401.0"}, {7, 600, -1, 2147483647})
                  .toHex(' '));
    EXPECT_EQ(encodeSetupData(defaultDataSet(QStringLiteral("KALVEX_R2.3.3"))).size(), 19247);
}

// Bytes after the record are ignored; counts other than the tag map's are kept.
TEST(SetupFileReader, ReadsBackWhatWasWritten) {
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

TEST(SetupFileReader, RefusesMalformedRecordsWithAMessage) {
    const QByteArray head = text("V") + le16(1), one = head + le32(1) + le32(0) + text("B1");
    const struct {
        QByteArray bytes;
        const char* says;
    } cases[] = {
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
    for (const auto& c : cases) {
        QString error;
        EXPECT_FALSE(decodeSetupData(c.bytes, &error)) << c.bytes.toHex(' ').constData();
        EXPECT_TRUE(error.contains(QLatin1String(c.says))) << qPrintable(error);
    }
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

TEST(SetupFileOnDisk, ReadErrorsNameTheFile) {
    QTemporaryDir dir;
    test::writeBytes(dir.filePath("bad.sdt"), "\x03");
    QFile huge(dir.filePath("huge.sdt"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize(kMaxSetupFileBytes + 1));
    QString error;
    for (const char* name : {"missing.sdt", "bad.sdt", "huge.sdt"}) {
        EXPECT_FALSE(readSetupFile(dir.filePath(name), &error));
        EXPECT_TRUE(error.contains(QLatin1String(name))) << qPrintable(error);
    }
    EXPECT_TRUE(error.contains(QLatin1String("too large"))) << qPrintable(error);
}

} // namespace
