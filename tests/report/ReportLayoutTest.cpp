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

// The labels whose "On Dur." row was printed, with their pages.
std::vector<std::pair<int, int>> labelRows(const RecordingPage& p) {
    static const QRegularExpression re(QStringLiteral("^(\\d+) On Dur\\.:$"));
    std::vector<std::pair<int, int>> rows;
    for (const auto& o : p.ops)
        if (const auto m = re.match(o.text); m.hasMatch())
            rows.push_back({m.captured(1).toInt(), o.page});
    return rows;
}

// Every page carries the title on top, its own number and the date in the footer, and
// something more: the report never ends on a blank page.
void expectFramedPages(const RecordingPage& p) {
    const double footerTop = 10.5 - RecordingPage::lineOf(ReportFont::Footer) - 0.1;
    for (int n = 1; n <= p.pages(); ++n) {
        SCOPED_TRACE(n);
        const auto ops = p.onPage(n);
        ASSERT_GE(ops.size(), 6u);
        EXPECT_EQ(ops[0]->text, kTitle);
        EXPECT_NEAR(ops[0]->y, 0.1, kEps);
        EXPECT_NEAR(ops[0]->x,
                    (8.0 - RecordingPage::widthOf(ReportFont::PageTitle, kTitle) - 0.5) / 2, kEps);
        ASSERT_TRUE(ops[1]->rule);
        EXPECT_NEAR(ops[1]->y, 0.1 + RecordingPage::lineOf(ReportFont::PageTitle), kEps);
        EXPECT_NEAR(ops[1]->x, 0.5, kEps);
        EXPECT_NEAR(ops[1]->x2, 7.5, kEps);
        const auto* page = ops[ops.size() - 3];
        const auto* date = ops[ops.size() - 2];
        EXPECT_EQ(page->text, QStringLiteral("Page %1").arg(n));
        EXPECT_NEAR(page->x, 0.5, kEps);
        EXPECT_NEAR(page->y, footerTop, kEps);
        EXPECT_EQ(date->text, kDate);
        EXPECT_NEAR(date->x + RecordingPage::widthOf(ReportFont::Footer, kDate), 7.5, kEps);
        EXPECT_NEAR(date->y, footerTop, kEps);
        EXPECT_TRUE(ops.back()->rule);
        EXPECT_NEAR(ops.back()->y, footerTop - 0.1, kEps);
        // Content starts 0.25 below the title rule and keeps clear of the footer.
        EXPECT_NEAR(ops[2]->y, ops[1]->y + 0.25, kEps);
        for (size_t i = 2; i + 3 < ops.size(); ++i)
            EXPECT_LT(ops[i]->y, footerTop - 0.1) << qPrintable(ops[i]->text);
    }
}

TEST(ReportLayout, FullReportFramesEveryPageAndStartsEachSectionOnItsOwnPage) {
    const RecordingPage p = layout(jobWith({}));
    expectFramedPages(p);
    const auto* setup = p.find(QStringLiteral("Set-up Parameters"));
    const auto* shift = p.find(QStringLiteral("Data Collection Counts (shift data)"));
    const auto* labels = p.find(QStringLiteral("Label Data (pneumatic ductor color control):"));
    ASSERT_TRUE(setup && shift && labels);
    EXPECT_EQ(setup->page, 1);
    EXPECT_EQ(shift->page, 2);
    // The shift section needs two pages here: "C." would start too low on the first.
    const auto* last = p.find(QStringLiteral("C. Last (previous) Shift Data"));
    ASSERT_TRUE(last);
    EXPECT_EQ(last->page, 3);
    EXPECT_EQ(labels->page, 4);
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
    const RecordingPage p = layout(job);
    const auto item = ReportFont::ItemText;

    const auto* low = p.find(QStringLiteral("1. Canfeed Enable Low Speed: "));
    const auto* v650 = p.find(QStringLiteral("650"));
    ASSERT_TRUE(low && v650);
    EXPECT_NEAR(low->x, 1.0, kEps);
    EXPECT_NEAR(v650->y, low->y, kEps);
    EXPECT_NEAR(v650->x + RecordingPage::widthOf(item, QStringLiteral("650")), 5.5, kEps);
    const auto* speed = p.find(QStringLiteral("A. Speed Parameters"));
    ASSERT_TRUE(speed);
    EXPECT_NEAR(speed->x, 0.75, kEps);
    EXPECT_EQ(speed->font, ReportFont::SubsectionTitle);
    EXPECT_NEAR(low->y - speed->y, RecordingPage::lineOf(ReportFont::SubsectionTitle), kEps);
    EXPECT_TRUE(p.find(QStringLiteral("SLC-500")));

    // Counts are grouped (a comma under the C locale the tests run in); the offset is not.
    const auto* good = p.find(QStringLiteral("1,234,567"));
    ASSERT_TRUE(good);
    EXPECT_NEAR(good->x + RecordingPage::widthOf(item, good->text), 4.0, kEps);
    EXPECT_TRUE(p.find(QStringLiteral("1234")));
    const auto* s1 = p.find(QStringLiteral("1: 0"));
    const auto* s13 = p.find(QStringLiteral("13: 4,321"));
    const auto* s25 = p.find(QStringLiteral("25: 0"));
    ASSERT_TRUE(s1 && s13 && s25);
    EXPECT_NEAR(s1->x, 1.25, kEps);
    EXPECT_NEAR(s13->x, 3.25, kEps);
    EXPECT_NEAR(s25->x, 5.25, kEps);
    EXPECT_NEAR(s13->y, s1->y, kEps);
}

TEST(ReportLayout, DuctorFeedbackFlagsFollowTheBitsOfItem129) {
    ReportJob job = jobWith(only(true, false, false));
    job.data.Value[129] = 5;
    const RecordingPage p = layout(job);
    const auto* flags = p.find(QStringLiteral("1:Y 2:N 3:Y 4:N 5:N 6:N 7:N 8:N"));
    const auto* line = p.find(QStringLiteral("5. Ductor Feedback Enable:"));
    ASSERT_TRUE(flags && line);
    EXPECT_NEAR(flags->x, 1.25, kEps);
    EXPECT_NEAR(flags->y - line->y, RecordingPage::lineOf(ReportFont::ItemText), kEps);
    EXPECT_EQ(ductorFlagsText(0xFF), "1:Y 2:Y 3:Y 4:Y 5:Y 6:Y 7:Y 8:Y");
    EXPECT_EQ(p.pages(), 1);
}

struct RangeCase {
    int first, last;
    int expectFirst, expectLast, pages;
};

class LabelRanges : public ::testing::TestWithParam<RangeCase> {};

TEST_P(LabelRanges, PrintOnlyLabelsThatExist) {
    const RangeCase c = GetParam();
    const RecordingPage p = layout(jobWith(only(false, false, true, c.first, c.last)));
    expectFramedPages(p);
    EXPECT_EQ(p.pages(), c.pages);
    std::vector<int> labels;
    for (const auto& [label, page] : labelRows(p))
        labels.push_back(label);
    std::vector<int> expected;
    for (int l = c.expectFirst; l <= c.expectLast; ++l)
        expected.push_back(l);
    EXPECT_EQ(labels, expected);
    EXPECT_TRUE(p.find(QStringLiteral("Label:"))); // the heads even when no label is printed
}

INSTANTIATE_TEST_SUITE_P(ReportLayout, LabelRanges,
                         ::testing::Values(RangeCase{5, 5, 5, 5, 1}, RangeCase{90, 450, 90, 99, 1},
                                           RangeCase{450, 450, 0, -1, 1}, RangeCase{7, 3, 0, -1, 1},
                                           RangeCase{0, 40, 0, 40, 3}));

TEST(ReportLayout, LabelBlocksBreakAboveTheBottomReserveAndRepeatTheHeads) {
    const RecordingPage p = layout(jobWith(only(false, false, true)));
    ASSERT_GT(p.pages(), 2);
    const double item = RecordingPage::lineOf(ReportFont::ItemText);
    for (int n = 1; n <= p.pages(); ++n) {
        SCOPED_TRACE(n);
        const auto ops = p.onPage(n);
        // After the title: the heads (and on the first page the section title and a blank
        // line before them), "Label:" at the margin and " #d " every 0.75 from 1.75.
        size_t h = 2;
        while (h < ops.size() && ops[h]->text != QLatin1String("Label:"))
            ++h;
        ASSERT_LT(h + 8, ops.size());
        EXPECT_EQ(h, n == 1 ? 3u : 2u);
        EXPECT_EQ(ops[h]->font, ReportFont::LabelHeads);
        EXPECT_NEAR(ops[h]->x, 0.5, kEps);
        for (int d = 1; d <= 8; ++d) {
            EXPECT_EQ(ops[h + size_t(d)]->text, QStringLiteral(" #%1 ").arg(d));
            EXPECT_NEAR(ops[h + size_t(d)]->x, 1.75 + 0.75 * (d - 1), kEps);
        }
        // No block starts lower than 0.9 in above the bottom; the next would have.
        double lastTop = 0;
        for (const auto* o : ops)
            if (o->text.endsWith(QLatin1String(" On Dur.:"))) {
                EXPECT_LE(o->y + 0.9, 10.5);
                lastTop = o->y;
            }
        if (n < p.pages()) {
            EXPECT_GT(lastTop + 3 * item + 0.9, 10.5);
        }
    }
    // Values are centred on their columns.
    const auto* on0 = p.find(QStringLiteral("0 Cycle Dur.:"));
    const auto firstCentre = 1.75 + RecordingPage::widthOf(ReportFont::ItemText, " #1 ") / 2;
    int seen = 0;
    for (const auto& o : p.ops)
        if (o.page == 1 && o.text == QLatin1String("350") && std::abs(o.y - on0->y) < kEps) {
            EXPECT_NEAR(o.x + RecordingPage::widthOf(ReportFont::ItemText, o.text) / 2,
                        firstCentre + 0.75 * seen, kEps);
            ++seen;
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
