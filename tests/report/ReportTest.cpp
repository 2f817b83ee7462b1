#include "data/SetupFile.h"
#include "data/TagMap.h"
#include "report/ReportCanvas.h"
#include "report/ReportLayout.h"
#include "support/CliRunner.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace kalvex::test {
namespace {

// Counts are grouped as the system locale says; the expectations are those of the C locale.
const bool kCLocale = (qputenv("LC_ALL", "C"), true);

// A Letter page, 8 x 10.5 in printable; a line is 1.25 x the point size, a character half of it.
class RecordingPage final : public ReportCanvas {
  public:
    struct Op { // y: the top of the text line, or the rule's height
        int page;
        bool rule;
        double x, y, x2;
        QString text;
        ReportFontRole font;
    };

    static double lineOf(ReportFontRole f) { return reportFont(f).pointSize / 72.0 * 1.25; }
    static double widthOf(ReportFontRole f, const QString& t) {
        return double(t.size()) * reportFont(f).pointSize / 72.0 * 0.5;
    }
    double pageWidth() const override { return 8.0; }
    double pageHeight() const override { return 10.5; }
    void setFont(ReportFontRole role) override { m_font = role; }
    double textWidth(const QString& text) const override { return widthOf(m_font, text); }
    double lineHeight() const override { return lineOf(m_font); }
    void drawText(double x, double top, const QString& text) override {
        ops.push_back({m_page, false, x, top, 0, text, m_font});
    }
    void drawRule(double x1, double x2, double y) override {
        ops.push_back({m_page, true, x1, y, x2, {}, m_font});
    }
    void newPage() override { ++m_page; }

    int pages() const { return ops.empty() ? 0 : ops.back().page; }
    std::vector<const Op*> onPage(int page) const {
        std::vector<const Op*> r;
        for (const Op& o : ops)
            if (o.page == page) r.push_back(&o);
        return r;
    }
    std::vector<Op> ops;
    ReportFontRole m_font = ReportFontRole::ItemText;
    int m_page = 1;
};

constexpr double kEps = 1e-9;
const QString kTitle = QStringLiteral("KALVEX Report: [line4.sdt]");
const QString kDate = QStringLiteral("07/12/2026 10:30:00");
const double kItemLine = RecordingPage::lineOf(ReportFontRole::ItemText);

ReportJob jobWith(ReportOptions options) {
    return {defaultDataSet(QStringLiteral("KALVEX_R1.0.0")), options, QStringLiteral("[line4.sdt]"),
            kDate};
}

RecordingPage layout(const ReportJob& job) {
    RecordingPage page;
    const int pages = PrintReport(page, job);
    EXPECT_EQ(pages, page.pages());
    return page;
}

// The first text drawn that equals `text`; a missing one fails the test.
RecordingPage::Op drawn(const RecordingPage& p, const QString& text) {
    for (const auto& o : p.ops)
        if (!o.rule && o.text == text) return o;
    ADD_FAILURE() << "not drawn: " << qPrintable(text);
    return {-1, false, -100, -100, 0, text, ReportFontRole::ItemText};
}
double rightOf(const RecordingPage::Op& o) {
    return o.x + RecordingPage::widthOf(o.font, o.text);
}

std::vector<std::pair<int, int>> labelRows(const RecordingPage& p) {
    static const QRegularExpression re(QStringLiteral("^(\\d+) On Dur\\.:$"));
    std::vector<std::pair<int, int>> rows;
    for (const auto& o : p.ops)
        if (const auto m = re.match(o.text); m.hasMatch())
            rows.push_back({m.captured(1).toInt(), o.page});
    return rows;
}

// Title and rule on top, page number, date and rule in the footer, content between: no blank page.
void expectFramedPages(const RecordingPage& p) {
    const double footerTop = 10.5 - RecordingPage::lineOf(ReportFontRole::Footer) - 0.1;
    for (int n = 1; n <= p.pages(); ++n) {
        SCOPED_TRACE(n);
        const auto ops = p.onPage(n);
        ASSERT_GE(ops.size(), 6u);
        const auto &title = *ops[0], &rule = *ops[1], &page = *ops[ops.size() - 3],
                   &date = *ops[ops.size() - 2], &footerRule = *ops.back();
        EXPECT_EQ(title.text, kTitle);
        EXPECT_NEAR(title.y, 0.1, kEps);
        EXPECT_NEAR(title.x, (8.0 - RecordingPage::widthOf(title.font, kTitle) - 0.5) / 2, kEps);
        EXPECT_TRUE(rule.rule && footerRule.rule);
        EXPECT_NEAR(rule.y, 0.1 + RecordingPage::lineOf(ReportFontRole::PageTitle), kEps);
        EXPECT_NEAR(rule.x, 0.5, kEps);
        EXPECT_NEAR(rule.x2, 7.5, kEps);
        EXPECT_EQ(page.text, QStringLiteral("Page %1").arg(n));
        EXPECT_NEAR(page.x, 0.5, kEps);
        EXPECT_EQ(date.text, kDate);
        EXPECT_NEAR(rightOf(date), 7.5, kEps);
        EXPECT_NEAR(page.y, footerTop, kEps);
        EXPECT_NEAR(date.y, footerTop, kEps);
        EXPECT_NEAR(footerRule.y, footerTop - 0.1, kEps);
        EXPECT_NEAR(ops[2]->y, rule.y + 0.25, kEps); // content starts 0.25 below the title rule
        for (size_t i = 2; i + 3 < ops.size(); ++i)
            EXPECT_LT(ops[i]->y, footerTop - 0.1) << qPrintable(ops[i]->text);
    }
}

TEST(ReportLayout, FullReportFramesEveryPageStartsEachSectionOnItsOwnPageAndAlignsValues) {
    ReportJob job = jobWith({});
    job.data.Value[122] = 650;
    job.data.Value[37] = 1234567;
    job.data.Value[0] = 1234;
    job.data.Value[42 + 13] = 4321; // current shift, spindle 13
    job.data.Value[1744] = 1;
    job.data.Value[129] = 128;
    const RecordingPage p = layout(job);
    expectFramedPages(p);
    EXPECT_EQ(drawn(p, "Set-up Parameters").page, 1);
    EXPECT_EQ(drawn(p, "Data Collection Counts (shift data)").page, 2);
    // The shift section needs two pages here: "C." would start too low on the first.
    EXPECT_EQ(drawn(p, "C. Last (previous) Shift Data").page, 3);
    EXPECT_EQ(drawn(p, "Label Data (pneumatic ductor color control):").page, 4);
    const auto rows = labelRows(p);
    ASSERT_EQ(rows.size(), 100u);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(rows[size_t(i)].first, i);
    EXPECT_EQ(p.pages(), rows.back().second);

    const auto speed = drawn(p, "A. Speed Parameters"),
               low = drawn(p, "1. Canfeed Enable Low Speed: "), v650 = drawn(p, "650");
    EXPECT_NEAR(speed.x, 0.75, kEps);
    EXPECT_EQ(speed.font, ReportFontRole::SubsectionTitle);
    EXPECT_NEAR(low.y - speed.y, RecordingPage::lineOf(ReportFontRole::SubsectionTitle), kEps);
    EXPECT_NEAR(low.x, 1.0, kEps);
    EXPECT_NEAR(v650.y, low.y, kEps);
    EXPECT_NEAR(rightOf(v650), 5.5, kEps);
    drawn(p, "SLC-500");
    EXPECT_NEAR(drawn(p, "1:N 2:N 3:N 4:N 5:N 6:N 7:N 8:Y").y -
                    drawn(p, "5. Ductor Feedback Enable:").y,
                kItemLine, kEps);
    // Counts are grouped; the offset is not.
    EXPECT_NEAR(rightOf(drawn(p, "1,234,567")), 4.0, kEps);
    drawn(p, "1234");
    const auto s1 = drawn(p, "1: 0"), s13 = drawn(p, "13: 4,321"), s25 = drawn(p, "25: 0");
    EXPECT_NEAR(s1.x, 1.25, kEps);
    EXPECT_NEAR(s13.x, 3.25, kEps);
    EXPECT_NEAR(s25.x, 5.25, kEps);
    EXPECT_NEAR(s13.y, s1.y, kEps);
    const auto cycle0 = drawn(p, "0 Cycle Dur.:");
    const double firstCentre = 1.75 + RecordingPage::widthOf(ReportFontRole::ItemText, " #1 ") / 2;
    int seen = 0;
    for (const auto& o : p.ops)
        if (o.page == cycle0.page && o.text == "350" && std::abs(o.y - cycle0.y) < kEps) {
            EXPECT_NEAR((o.x + rightOf(o)) / 2, firstCentre + 0.75 * seen++, kEps);
        }
    EXPECT_EQ(seen, 8);
}

// Heads on every page (even with no label); blocks break above the bottom reserve.
TEST(ReportLayout, LabelRangesPrintOnlyLabelsThatExistInBlocksUnderTheHeads) {
    // first, last, first shown, last shown, pages
    // clang-format off
    const std::tuple<int, int, int, int, int> cases[] = {
        {5, 5, 5, 5, 1}, {90, 450, 90, 99, 1}, {450, 450, 0, -1, 1}, {7, 3, 0, -1, 1}, {0, 40, 0, 40, 3}, {0, 99, 0, 99, 7}};
    // clang-format on
    for (const auto& [first, last, shownFirst, shownLast, pages] : cases) {
        SCOPED_TRACE(testing::Message() << first << "-" << last);
        const RecordingPage p =
            layout(jobWith({false, false, true, first == 0 && last == 99, first, last}));
        expectFramedPages(p);
        EXPECT_EQ(p.pages(), pages);
        const auto rows = labelRows(p);
        ASSERT_EQ(int(rows.size()), shownLast - shownFirst + 1);
        for (size_t i = 0; i < rows.size(); ++i)
            EXPECT_EQ(rows[i].first, shownFirst + int(i));
        for (int n = 1; n <= p.pages(); ++n) {
            SCOPED_TRACE(n);
            const auto ops = p.onPage(n);
            const size_t h = n == 1 ? 3 : 2; // after the section title and a blank line on page 1
            ASSERT_LT(h + 8, ops.size());
            EXPECT_EQ(ops[h]->text, "Label:");
            EXPECT_EQ(ops[h]->font, ReportFontRole::LabelHeads);
            EXPECT_NEAR(ops[h]->x, 0.5, kEps);
            for (size_t d = 1; d <= 8; ++d) {
                EXPECT_EQ(ops[h + d]->text, QStringLiteral(" #%1 ").arg(d));
                EXPECT_NEAR(ops[h + d]->x, 1.75 + 0.75 * double(d - 1), kEps);
            }
            // No block starts lower than 0.9 in above the bottom; the next would have.
            double lastTop = 0;
            for (const auto* o : ops)
                if (o->text.endsWith(" On Dur.:")) {
                    EXPECT_LE(o->y + 0.9, 10.5);
                    lastTop = o->y;
                }
            EXPECT_TRUE(n == p.pages() || lastTop + 3 * kItemLine + 0.9 > 10.5) << lastTop;
        }
    }
    EXPECT_TRUE(layout(jobWith({false, false, false, true, 0, 99})).ops.empty()); // and 0 pages
}

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
        ASSERT_TRUE(writeSetupFile(dir.filePath("line4.sdt"), d, nullptr));
        qunsetenv("DISPLAY");
    }
    CliRun report(const QStringList& args) const {
        return runCli(QStringList{QStringLiteral("report")} + args, dir.path());
    }
    QTemporaryDir dir;
};

TEST_F(ReportPdf, FullReportReadsBackPageByPage) {
    const CliRun r = report({"line4.sdt", "-o", "full.pdf", "--paper", "letter"});
    ASSERT_EQ(r.code, 0) << qPrintable(r.err);
    QProcess pdftotext; // the text of each page
    pdftotext.start("pdftotext", {"-layout", dir.filePath("full.pdf"), "-"});
    ASSERT_TRUE(pdftotext.waitForFinished(30000));
    ASSERT_EQ(pdftotext.exitCode(), 0);
    const QStringList text =
        QString::fromUtf8(pdftotext.readAllStandardOutput()).trimmed().split(u'\f');
    ASSERT_GE(text.size(), 8); // one set-up page, shift data, at least six pages of labels
    static const QRegularExpression footer(QStringLiteral("^\\s*Page (\\d+)\\s+\\S.*\\d$"),
                                           QRegularExpression::MultilineOption);
    for (int n = 1; n <= int(text.size()); ++n) {
        EXPECT_EQ(text[n - 1].trimmed().section(u'\n', 0, 0).trimmed(),
                  "KALVEX Report: [line4.sdt]");
        EXPECT_EQ(footer.match(text[n - 1]).captured(1).toInt(), n);
    }
    EXPECT_TRUE(text[0].contains("Set-up Parameters"));
    EXPECT_TRUE(text[0].contains("1:Y 2:N 3:Y 4:N 5:N 6:N 7:N 8:N"));
    EXPECT_TRUE(text[1].contains("Data Collection Counts (shift data)"));
    EXPECT_TRUE(text[1].contains(QRegularExpression("Total Good Cans:\\s+1,234,567\n")));
    const QString all = text.join("");
    EXPECT_TRUE(all.contains(QRegularExpression("Lifetime Can Count \\(x1,000\\):\\s+98,765\n")));
    // The last page ends with label 99, not blank.
    EXPECT_TRUE(text.last().contains(QRegularExpression("99 On Dur.:(\\s+0){7}\\s+42\n")));
    EXPECT_EQ(all.count(QStringLiteral("Label Data (pneumatic ductor color control):")), 1);
}

TEST_F(ReportPdf, RefusalsWriteNothingAndSayWhy) {
    const QString range = "Only a number from 0 to 450 can be entered.";
    // clang-format off
    const std::tuple<QStringList, int, QString> cases[] = {
        {{"line4.sdt", "--labels", "5-451", "-o", "out.pdf"}, 1, range},
        {{"line4.sdt", "--labels", "x", "-o", "out.pdf"}, 1, range},
        {{"line4.sdt", "--sections", "setup,trips", "-o", "out.pdf"}, 1, "not 'trips'"},
        {{"line4.sdt", "--sections", "setup", "--labels", "1-2", "-o", "out.pdf"}, 1, "--labels goes with the labels section"},
        {{"none.sdt", "-o", "out.pdf"}, 3, "none.sdt"},
        {{"line4.sdt", "-o", "."}, 3, "not a regular file"},
        {{"line4.sdt", "-o", "no/such/out.pdf"}, 3, "no/such/out.pdf"}};
    // clang-format on
    for (const auto& [args, code, err] : cases) {
        SCOPED_TRACE(qPrintable(args.join(' ')));
        const CliRun r = report(args);
        EXPECT_EQ(r.code, code);
        EXPECT_TRUE(r.err.contains(err)) << qPrintable(r.err);
        EXPECT_FALSE(QFile::exists(dir.filePath("out.pdf")));
    }
}

} // namespace
} // namespace kalvex::test
