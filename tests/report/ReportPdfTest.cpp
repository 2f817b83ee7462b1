#include "CliRunner.h"
#include "data/SetupFile.h"
#include "data/TagMap.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace kalvex::test {
namespace {

// Runs a poppler tool on a PDF and returns what it printed.
QString poppler(const QString& tool, const QStringList& args) {
    QProcess p;
    p.start(tool, args);
    EXPECT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0) << qPrintable(tool);
    return QString::fromUtf8(p.readAllStandardOutput());
}

class ReportPdf : public ::testing::Test {
  protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
            GTEST_SKIP() << "poppler-utils (pdftotext, pdfinfo) is not installed";
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
    static int pageCount(const QString& pdf) {
        static const QRegularExpression re(QStringLiteral("Pages:\\s+(\\d+)"));
        return re.match(poppler(QStringLiteral("pdfinfo"), {pdf})).captured(1).toInt();
    }
    static QStringList pages(const QString& pdf) {
        QStringList p = poppler(QStringLiteral("pdftotext"), {"-layout", pdf, "-"}).split(u'\f');
        if (!p.isEmpty() && p.last().trimmed().isEmpty()) p.removeLast();
        return p;
    }

    QTemporaryDir dir;
};

TEST_F(ReportPdf, FullReportReadsBackPageByPage) {
    const CliRun r = report({"line4.sdt", "-o", "full.pdf", "--paper", "letter"});
    ASSERT_EQ(r.code, 0) << qPrintable(r.err);
    const QStringList text = pages(path("full.pdf"));
    const int count = pageCount(path("full.pdf"));
    ASSERT_GE(count, 8); // one set-up page, shift data, at least six pages of labels
    ASSERT_EQ(text.size(), count);
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

struct CliCase {
    const char* name;
    QStringList args;
    int code;
    const char* err; // part of stderr
};

void PrintTo(const CliCase& c, std::ostream* os) {
    *os << c.name;
}

class ReportCliRefusals : public ReportPdf, public ::testing::WithParamInterface<CliCase> {};

TEST_P(ReportCliRefusals, WriteNothingAndSayWhy) {
    const CliCase& c = GetParam();
    const CliRun r = report(c.args);
    EXPECT_EQ(r.code, c.code);
    EXPECT_TRUE(r.err.contains(QLatin1String(c.err))) << qPrintable(r.err);
    EXPECT_FALSE(QFile::exists(path("out.pdf")));
}

const QStringList kOut{"-o", "out.pdf"};

INSTANTIATE_TEST_SUITE_P(
    ReportPdf, ReportCliRefusals,
    ::testing::Values(
        CliCase{"label_above_450", QStringList{"line4.sdt", "--labels", "5-451"} + kOut, 1,
                "Only a number from 0 to 450 can be entered."},
        CliCase{"label_not_a_number", QStringList{"line4.sdt", "--labels", "x"} + kOut, 1,
                "Only a number from 0 to 450 can be entered."},
        CliCase{"unknown_section", QStringList{"line4.sdt", "--sections", "setup,trips"} + kOut, 1,
                "not 'trips'"},
        CliCase{"labels_without_section",
                QStringList{"line4.sdt", "--sections", "setup", "--labels", "1-2"} + kOut, 1,
                "--labels goes with the labels section"},
        CliCase{"missing_file", QStringList{"none.sdt"} + kOut, 3, "none.sdt"},
        CliCase{"output_is_a_folder", {"line4.sdt", "-o", "."}, 3, "not a regular file"},
        CliCase{
            "output_folder_missing", {"line4.sdt", "-o", "no/such/out.pdf"}, 3, "no/such/out.pdf"}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(ReportPdf, OneLabelOnOnePage) {
    const CliRun r =
        report({"line4.sdt", "-o", "one.pdf", "--sections", "labels", "--labels", "5-5"});
    ASSERT_EQ(r.code, 0) << qPrintable(r.err);
    ASSERT_EQ(pageCount(path("one.pdf")), 1);
    const QString text = pages(path("one.pdf")).value(0);
    EXPECT_TRUE(text.contains(QRegularExpression("5 On Dur.:(\\s+0){8}\n")));
    EXPECT_TRUE(text.contains(QRegularExpression("5 Cycle Dur.:(\\s+350){8}\n")));
    EXPECT_EQ(text.count(QStringLiteral("On Dur.:")), 1);
    EXPECT_TRUE(text.contains("Page 1"));
}

} // namespace
} // namespace kalvex::test
