#include "report/ReportLayout.h"
#include "RecordingPage.h"
#include "data/TagMap.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace kalvex::test {
namespace {

// Counts are grouped as the system locale says; the expectations are those of the C locale.
const bool kCLocale = (qputenv("LC_ALL", "C"), true);

constexpr double kEps = 1e-9;
const QString kTitle = QStringLiteral("KALVEX Report: [line4.sdt]");
const QString kDate = QStringLiteral("07/12/2026 10:30:00");
const double kItemLine = RecordingPage::lineOf(ReportFontRole::ItemText);

ReportJob jobWith(ReportOptions options) {
    return {defaultDataSet(QStringLiteral("KALVEX_R1.0.0")), options, QStringLiteral("[line4.sdt]"),
            kDate};
}

ReportOptions only(bool setup, bool shift, bool labels, int first = 0, int last = 99) {
    return {setup, shift, labels, first == 0 && last == 99, first, last};
}

RecordingPage layout(const ReportJob& job) {
    RecordingPage page;
    const int pages = PrintReport(page, job);
    EXPECT_EQ(pages, page.pages());
    return page;
}

// The first text drawn that equals `text`; a missing one fails the test.
RecordingPage::Op at(const RecordingPage& p, const QString& text) {
    if (const auto* o = p.find(text)) return *o;
    ADD_FAILURE() << "not drawn: " << qPrintable(text);
    return {-1, false, -100, -100, 0, text, ReportFontRole::ItemText};
}
double rightOf(const RecordingPage::Op& o) {
    return o.x + RecordingPage::widthOf(o.font, o.text);
}

// The labels whose "On Dur." row was printed, with their pages.
std::vector<std::pair<int, int>> labelRows(const RecordingPage& p) {
    static const QRegularExpression re(QStringLiteral("^(\\d+) On Dur\\.:$"));
    std::vector<std::pair<int, int>> rows;
    for (const auto& o : p.ops)
        if (const auto m = re.match(o.text); m.hasMatch())
            rows.push_back({m.captured(1).toInt(), o.page});
    return rows;
}

// Every page carries the centred title and its rule on top, its own number, the date and a rule
// in the footer, and something between them: the report never ends on a blank page.
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

TEST(ReportLayout, FullReportFramesEveryPageAndStartsEachSectionOnItsOwnPage) {
    const RecordingPage p = layout(jobWith({}));
    expectFramedPages(p);
    EXPECT_EQ(at(p, "Set-up Parameters").page, 1);
    EXPECT_EQ(at(p, "Data Collection Counts (shift data)").page, 2);
    // The shift section needs two pages here: "C." would start too low on the first.
    EXPECT_EQ(at(p, "C. Last (previous) Shift Data").page, 3);
    EXPECT_EQ(at(p, "Label Data (pneumatic ductor color control):").page, 4);
    const auto rows = labelRows(p);
    ASSERT_EQ(rows.size(), 100u);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(rows[size_t(i)].first, i);
    EXPECT_EQ(p.pages(), rows.back().second);
}

TEST(ReportLayout, ItemsAndValuesSitAtTheirColumns) {
    ReportJob job = jobWith({});
    job.data.Value[122] = 650;
    job.data.Value[37] = 1234567;
    job.data.Value[0] = 1234;
    job.data.Value[42 + 13] = 4321; // current shift, spindle 13
    job.data.Value[1744] = 1;
    job.data.Value[129] = 128;
    const RecordingPage p = layout(job);

    const auto speed = at(p, "A. Speed Parameters"), low = at(p, "1. Canfeed Enable Low Speed: "),
               v650 = at(p, "650");
    EXPECT_NEAR(speed.x, 0.75, kEps);
    EXPECT_EQ(speed.font, ReportFontRole::SubsectionTitle);
    EXPECT_NEAR(low.y - speed.y, RecordingPage::lineOf(ReportFontRole::SubsectionTitle), kEps);
    EXPECT_NEAR(low.x, 1.0, kEps);
    EXPECT_NEAR(v650.y, low.y, kEps);
    EXPECT_NEAR(rightOf(v650), 5.5, kEps);
    EXPECT_TRUE(p.find("SLC-500"));
    EXPECT_NEAR(at(p, "1:N 2:N 3:N 4:N 5:N 6:N 7:N 8:Y").y - at(p, "5. Ductor Feedback Enable:").y,
                kItemLine, kEps);

    // Counts are grouped (a comma under the C locale the tests run in); the offset is not.
    EXPECT_NEAR(rightOf(at(p, "1,234,567")), 4.0, kEps);
    EXPECT_TRUE(p.find("1234"));
    const auto s1 = at(p, "1: 0"), s13 = at(p, "13: 4,321"), s25 = at(p, "25: 0");
    EXPECT_NEAR(s1.x, 1.25, kEps);
    EXPECT_NEAR(s13.x, 3.25, kEps);
    EXPECT_NEAR(s25.x, 5.25, kEps);
    EXPECT_NEAR(s13.y, s1.y, kEps);
}

// Only labels that exist are printed; the heads are printed even when no label is.
TEST(ReportLayout, LabelRangesPrintOnlyLabelsThatExist) {
    const std::tuple<int, int, int, int, int> cases[] = {{5, 5, 5, 5, 1},
                                                         {90, 450, 90, 99, 1},
                                                         {450, 450, 0, -1, 1},
                                                         {7, 3, 0, -1, 1},
                                                         {0, 40, 0, 40, 3}};
    for (const auto& [first, last, shownFirst, shownLast, pages] : cases) {
        SCOPED_TRACE(testing::Message() << first << "-" << last);
        const RecordingPage p = layout(jobWith(only(false, false, true, first, last)));
        expectFramedPages(p);
        EXPECT_EQ(p.pages(), pages);
        std::vector<int> labels, expected;
        for (const auto& row : labelRows(p))
            labels.push_back(row.first);
        for (int l = shownFirst; l <= shownLast; ++l)
            expected.push_back(l);
        EXPECT_EQ(labels, expected);
        EXPECT_TRUE(p.find("Label:"));
    }
}

TEST(ReportLayout, LabelBlocksBreakAboveTheBottomReserveAndRepeatTheHeads) {
    const RecordingPage p = layout(jobWith(only(false, false, true)));
    ASSERT_GT(p.pages(), 2);
    for (int n = 1; n <= p.pages(); ++n) {
        SCOPED_TRACE(n);
        const auto ops = p.onPage(n);
        // After the title: the heads (on the first page after the section title and a blank
        // line), "Label:" at the margin and " #d " every 0.75 from 1.75.
        const size_t h = n == 1 ? 3 : 2;
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
    // Values are centred on their columns.
    const double row = at(p, "0 Cycle Dur.:").y;
    const double firstCentre = 1.75 + RecordingPage::widthOf(ReportFontRole::ItemText, " #1 ") / 2;
    int seen = 0;
    for (const auto& o : p.ops)
        if (o.page == 1 && o.text == "350" && std::abs(o.y - row) < kEps) {
            EXPECT_NEAR((o.x + rightOf(o)) / 2, firstCentre + 0.75 * seen++, kEps);
        }
    EXPECT_EQ(seen, 8);
}

TEST(ReportLayout, NoSectionChosenDrawsNoPage) {
    RecordingPage p;
    EXPECT_EQ(PrintReport(p, jobWith(only(false, false, false))), 0);
    EXPECT_TRUE(p.ops.empty());
}

} // namespace
} // namespace kalvex::test
