#include "data/SetupFile.h"
#include "data/TagMap.h"
#include "support/CliRunner.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace kalvex::test {
namespace {

class ReportPdf : public ::testing::Test {
  protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty())
            GTEST_SKIP() << "poppler-utils (pdftotext) is not installed";
        ASSERT_TRUE(dir.isValid());
        SetupData d = defaultDataSet(QStringLiteral("KALVEX_R") + QStringLiteral(KALVEX_VERSION));
        d.Value[37] = 1234567;
        d.Value[121] = 98765;
        d.Value[129] = 5;
        d.Value[144 + 16 * 99 + 7] = 42; // label 99, ductor 8 ON duration
        ASSERT_TRUE(writeSetupFile(path("line4.sdt"), d, nullptr));
    }

    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }

    // kalvex-cli report under the C locale, without a display.
    CliRun report(const QStringList& args) const {
        qputenv("LC_ALL", "C");
        qunsetenv("DISPLAY");
        return runCli(QStringList{QStringLiteral("report")} + args, dir.path());
    }
    // The text of each page of a PDF, as pdftotext reads it.
    QStringList pages(const char* pdf) const {
        QProcess p;
        p.start("pdftotext", {"-layout", path(pdf), "-"});
        EXPECT_TRUE(p.waitForFinished(30000));
        EXPECT_EQ(p.exitCode(), 0);
        QStringList text = QString::fromUtf8(p.readAllStandardOutput()).split(u'\f');
        if (!text.isEmpty() && text.last().trimmed().isEmpty()) text.removeLast();
        return text;
    }

    QTemporaryDir dir;
};

TEST_F(ReportPdf, FullReportReadsBackPageByPage) {
    const CliRun r = report({"line4.sdt", "-o", "full.pdf", "--paper", "letter"});
    ASSERT_EQ(r.code, 0) << qPrintable(r.err);
    const QStringList text = pages("full.pdf");
    const int count = int(text.size());
    ASSERT_GE(count, 8); // one set-up page, shift data, at least six pages of labels
    static const QRegularExpression footer(QStringLiteral("^\\s*Page (\\d+)\\s+\\S.*\\d$"),
                                           QRegularExpression::MultilineOption);
    for (int n = 1; n <= count; ++n) {
        SCOPED_TRACE(n);
        const QString& page = text[n - 1];
        EXPECT_EQ(page.trimmed().section(u'\n', 0, 0).trimmed(), "KALVEX Report: [line4.sdt]");
        const auto footers = footer.globalMatch(page);
        ASSERT_TRUE(footers.hasNext());
        EXPECT_EQ(footers.peekNext().captured(1).toInt(), n);
    }
    EXPECT_TRUE(text[0].contains("Set-up Parameters"));
    EXPECT_TRUE(text[0].contains("1:Y 2:N 3:Y 4:N 5:N 6:N 7:N 8:N"));
    EXPECT_TRUE(text[1].contains("Data Collection Counts (shift data)"));
    EXPECT_TRUE(text[1].contains(QRegularExpression("Total Good Cans:\\s+1,234,567\n")));
    EXPECT_TRUE(
        text.join("").contains(QRegularExpression("Lifetime Can Count \\(x1,000\\):\\s+98,765\n")));
    // The last page ends with label 99, not blank.
    EXPECT_TRUE(text.last().contains(QRegularExpression("99 On Dur.:(\\s+0){7}\\s+42\n")));
    EXPECT_EQ(text.join("").count(QStringLiteral("Label Data (pneumatic ductor color control):")),
              1);
}

TEST_F(ReportPdf, RefusalsWriteNothingAndSayWhy) {
    const QString range = "Only a number from 0 to 450 can be entered.";
    const std::tuple<QStringList, int, QString> cases[] = {
        {{"line4.sdt", "--labels", "5-451", "-o", "out.pdf"}, 1, range},
        {{"line4.sdt", "--labels", "x", "-o", "out.pdf"}, 1, range},
        {{"line4.sdt", "--sections", "setup,trips", "-o", "out.pdf"}, 1, "not 'trips'"},
        {{"line4.sdt", "--sections", "setup", "--labels", "1-2", "-o", "out.pdf"},
         1,
         "--labels goes with the labels section"},
        {{"none.sdt", "-o", "out.pdf"}, 3, "none.sdt"},
        {{"line4.sdt", "-o", "."}, 3, "not a regular file"},
        {{"line4.sdt", "-o", "no/such/out.pdf"}, 3, "no/such/out.pdf"}};
    for (const auto& [args, code, err] : cases) {
        SCOPED_TRACE(qPrintable(args.join(' ')));
        const CliRun r = report(args);
        EXPECT_EQ(r.code, code);
        EXPECT_TRUE(r.err.contains(err)) << qPrintable(r.err);
        EXPECT_FALSE(QFile::exists(path("out.pdf")));
    }
}

} // namespace
} // namespace kalvex::test
