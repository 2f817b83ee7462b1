#include "DiffCommands.h"
#include "PtyServer.h"
#include "data/SetupFile.h"
#include "data/TagMap.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kalvex;
using namespace kalvex::cli;

namespace {

// diff and download --only-changed against a board simulated on a pseudo-terminal.
class DiffCli : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        QString error;
        ASSERT_TRUE(server.start(&error)) << qPrintable(error);
        const SetupData d = defaultDataSet(QStringLiteral("KALVEX_R1.0.0"));
        server.withBoard([&d](sim::Board& b) {
            b.machine().running = false;
            for (const int i : setupDataItems())
                b.setValue(d.Address[size_t(i)], d.Value[size_t(i)]);
        });
        options.home = home.path().toStdString();
        options.device = server.slavePath().toStdString();
        options.yes = true;
    }
    // The default set with three set-up items changed, written to `name`.
    QString changedFile(const char* name, SetupData d = defaultDataSet("KALVEX_R1.0.0")) {
        for (const int i : {122, 131, 1745})
            d.Value[size_t(i)] += 1;
        const QString p = home.filePath(QLatin1String(name));
        EXPECT_TRUE(writeSetupFile(p, d, nullptr));
        return p;
    }
    int diff(DiffRequest r, std::string& out) {
        r.options = options;
        ::testing::internal::CaptureStdout();
        const int rc = runDiff(r);
        out = ::testing::internal::GetCapturedStdout();
        return rc;
    }
    std::vector<sim::MemoryWrite> writes() {
        std::vector<sim::MemoryWrite> w;
        server.withBoard([&](sim::Board& b) { w = b.writes(); });
        return w;
    }

    QTemporaryDir home;
    sim::PtyServer server;
    CliOptions options;
};

const std::string kThreeLines = "122\tW1092\tCanfeed Enable Low Speed\t601\t600\n"
                                "131\tB1003\tNumber of Cans to Blow-off for Each Misload\t2\t1\n"
                                "1745\tB1450\tDF1 gateway PLC node number\t2\t1\n";

TEST_F(DiffCli, FileAgainstFileNeedsNoPort) {
    const QString a = changedFile("a.sdt");
    const QString b = home.filePath("b.sdt");
    ASSERT_TRUE(writeSetupFile(b, defaultDataSet("KALVEX_R1.0.0"), nullptr));
    options.device = home.filePath("no-such-port").toStdString();
    std::string out;
    EXPECT_EQ(diff({{}, a, b, kUploadAll, {}}, out), kExitDiffer);
    EXPECT_EQ(out, kThreeLines);
    EXPECT_EQ(diff({{}, a, a, kUploadAll, {}}, out), kExitOk);
    EXPECT_EQ(out, "");
    EXPECT_EQ(diff({{}, a, home.filePath("missing.sdt"), kUploadAll, {}}, out), kExitFile);
    EXPECT_EQ(diff({{}, a, b, kUploadShift, {}}, out), kExitOk); // the set limits the items

    SetupData label5 = defaultDataSet("KALVEX_R1.0.0");
    label5.Value[size_t(kFirstLabelItem + 5 * kItemsPerLabel)] = 9;
    const QString c = home.filePath("c.sdt");
    ASSERT_TRUE(writeSetupFile(c, label5, nullptr));
    EXPECT_EQ(diff({{}, c, b, kUploadAll, {6, 7}}, out), kExitOk); // so does --labels
    EXPECT_EQ(diff({{}, c, b, kUploadAll, {5, 5}}, out), kExitDiffer);
    EXPECT_EQ(out, "224\tB3250\tLabel 5, ductor 1 ON\t9\t0\n");
}

TEST_F(DiffCli, FileAgainstBoardListsTheDifferences) {
    std::string out;
    EXPECT_EQ(diff({{}, changedFile("a.sdt"), {}, kUploadSetup, {}}, out), kExitDiffer);
    EXPECT_EQ(out, kThreeLines);
    EXPECT_TRUE(writes().empty());
}

TEST_F(DiffCli, DownloadOnlyChangedWritesTheThreeItemsThenNothing) {
    const QString file = changedFile("a.sdt");
    EXPECT_EQ(runDownloadOnlyChanged({options, kUploadSetup, file, {}, true}), kExitOk);
    std::vector<int> written;
    for (const sim::MemoryWrite& w : writes())
        written.push_back(w.address);
    EXPECT_EQ(written, (std::vector<int>{1092, 1093, 1003, 1450}));

    server.withBoard([](sim::Board& b) { b.clearTranscript(); });
    EXPECT_EQ(runDownloadOnlyChanged({options, kUploadSetup, file, {}, true}), kExitOk);
    EXPECT_TRUE(writes().empty());
}

// The reply to the last byte of the read-back is corrupted: the board seems not to hold W1092.
TEST_F(DiffCli, AVerificationMismatchExitsTwo) {
    SetupData d = defaultDataSet("KALVEX_R1.0.0");
    const QString file = changedFile("a.sdt", d);
    qint64 start = 0, end = 0;
    server.withBoard([&](sim::Board& b) { start = b.receivedCount(); });
    ASSERT_EQ(runDownloadOnlyChanged({options, kUploadSetup, file, {}, true}), kExitOk);
    server.withBoard([&](sim::Board& b) {
        end = b.receivedCount();
        for (const int i : setupDataItems())
            b.setValue(d.Address[size_t(i)], d.Value[size_t(i)]);
        b.faults().wrongEchoAt = {end + (end - start) - 1};
    });
    EXPECT_EQ(runDownloadOnlyChanged({options, kUploadSetup, file, {}, true}), kExitComm);
}

} // namespace
