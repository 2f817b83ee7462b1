// What every machine page promises: an online pass reads the board in the page's order, nothing
// is written that the operator did not enter, offline the data set shows and nothing is sent,
// and a lost link ends the pass and takes the program offline.
#include "PageKit.h"

#include <QAbstractButton>
#include <QTest>

#include <memory>

using namespace kalvex;

namespace {

QStringList names(const char* list) {
    return QString::fromLatin1(list).split(' ', Qt::SkipEmptyParts);
}

class PageContract : public test::LinkFixture, public testing::WithParamInterface<test::Contract> {
  protected:
    void SetUp() override {
        LinkFixture::SetUp();
        board.setValue("B2088", 5);
        board.setValue("B692", 140);
        board.setValue("W690", 500);
        board.setValue("B130", 2); // ductors in manual: their boxes are live online
        state.gSpindleCountKnown = true;
        page.reset(GetParam().make(state, link, prompt));
    }
    int runPass() { return test::runPass(page->refreshLoop()); }
    QWidget* w(const QString& name) const { return test::control<QWidget>(*page, name); }
    // A fresh start of the cycle, its first pass run.
    void start() {
        test::showActive(*page);
        page->Activate();
        clearTranscript();
        runPass();
    }
    // Tab round the page and back: focus alone.
    void navigate() {
        for (const Qt::Key key : {Qt::Key_Tab, Qt::Key_Backtab})
            for (int i = 0; i < 60; ++i)
                QTest::keyClick(
                    QApplication::focusWidget() ? QApplication::focusWidget() : page.get(), key);
    }
    void expectOffline() {
        for (const QString& n : names(GetParam().dashes))
            EXPECT_EQ(test::shownText(w(n)), "-") << qPrintable(n);
        for (const QString& n : names(GetParam().disabled))
            EXPECT_FALSE(w(n)->isEnabled()) << qPrintable(n);
    }
    std::vector<int> passReads(bool first) const {
        std::vector<QString> adds = test::addresses(first ? GetParam().firstReads : "");
        for (const QString& a : test::addresses(GetParam().reads))
            adds.push_back(a);
        return test::bytesOf(adds);
    }

    test::UsLocale locale;
    AppState state;
    std::unique_ptr<MachinePage> page;
};

TEST_P(PageContract, OnlinePassesReadInOrderAndOnlyTheOperatorWrites) {
    const QStringList probe = names(GetParam().probe);
    start();
    // (the Color page first reads the values of the field the focus went to)
    const std::vector<int> reads = traffic().reads, expected = passReads(true);
    ASSERT_GE(reads.size(), expected.size());
    EXPECT_EQ(std::vector(reads.end() - std::ptrdiff_t(expected.size()), reads.end()), expected);
    std::vector<std::pair<int, int>> first;
    for (const QString& wr : names(GetParam().firstWrite))
        first.emplace_back(int(parseAddress(wr.split('=')[0]).byteAddress),
                           wr.split('=')[1].toInt());
    EXPECT_EQ(traffic().writes, first);
    const QStringList set = probe[0].split('='); // a new board value: shown, never written
    board.setValue(set[0], set[1].toLongLong());
    clearTranscript();
    navigate();
    EXPECT_TRUE(traffic().writes.empty());
    clearTranscript();
    runPass();
    EXPECT_EQ(traffic().reads, passReads(false));
    EXPECT_TRUE(traffic().writes.empty());
    EXPECT_EQ(test::shownText(w(probe[1])), probe[2]);
    page->Unload();
    clearTranscript();
    runPass();
    EXPECT_TRUE(sent().isEmpty());
}

TEST_P(PageContract, OfflineTheDataSetShowsAndNothingIsSent) {
    link.CloseRSComm();
    clearTranscript();
    const QStringList items = names(GetParam().items);
    for (int k = 0; k < items.size(); ++k)
        state.gCurrentData.Value[size_t(items[k].split(':')[0].toInt())] = 70 + k;
    start();
    runPass();
    expectOffline();
    for (int k = 0; k < items.size(); ++k)
        EXPECT_EQ(test::shownText(w(items[k].split(':')[1])), QString::number(70 + k))
            << qPrintable(items[k]);
    for (const QString& n : names(GetParam().editable))
        EXPECT_FALSE(w(n)->isEnabled()) << qPrintable(n);
    state.gOfflineEdit = true;
    runPass();
    runPass();
    for (const QString& n : names(GetParam().editable))
        EXPECT_TRUE(w(n)->isEnabled()) << qPrintable(n);
    navigate();
    runPass();
    EXPECT_TRUE(sent().isEmpty());
}

// Under the failed read's cancelled retry box the link is lost: no command reaches the board,
// the next pass takes the program offline, and back online the page is prepared again.
TEST_P(PageContract, ALostLinkEndsThePassAndTheNextGoesOffline) {
    start();
    const int steps = runPass();
    board.faults().silent = true;
    EXPECT_LT(runPass(), steps); // ends at the read that failed
    EXPECT_EQ(page->refreshLoop().pending(), 0u);
    EXPECT_TRUE(link.CommError());
    clearTranscript();
    for (QAbstractButton* b : page->findChildren<QAbstractButton*>())
        if (b->isEnabled() && b->isVisible()) b->click();
    EXPECT_TRUE(sent().isEmpty());
    board.faults().silent = false;
    runPass();
    EXPECT_FALSE(link.OnlineMode());
    expectOffline();
    EXPECT_TRUE(sent().isEmpty());

    link.OpenRSComm(port);
    clearTranscript();
    runPass();
    EXPECT_EQ(traffic().reads, passReads(true));
    for (const QString& n : names(GetParam().disabled))
        EXPECT_TRUE(w(n)->isEnabled()) << qPrintable(n);
}

INSTANTIATE_TEST_SUITE_P(Pages, PageContract, testing::ValuesIn(test::kContracts),
                         [](const auto& row) { return std::string(row.param.name); });

class PageTabs : public test::LinkFixture, public testing::WithParamInterface<test::TabReads> {
  protected:
    test::UsLocale locale;
    AppState state;
};

// A tab switch stops the pass before its next read; the tab's passes then read its own
// addresses in order and show the board's values.
TEST_P(PageTabs, ATabSwitchEndsThePassAndTheTabReadsItsAddressesInOrder) {
    const QStringList probe = names(GetParam().probe);
    if (!probe.isEmpty())
        board.setValue(probe[0].split('=')[0], probe[0].split('=')[1].toLongLong());
    std::unique_ptr<MachinePage> page(GetParam().make(state, link, prompt));
    test::showActive(*page);
    page->Activate();
    clearTranscript();
    page->refreshLoop().step(); // the first tab's pass laid out
    page->refreshLoop().step(); // its first read
    const QByteArray before = sent();
    GetParam().select(*page, GetParam().tab);
    page->refreshLoop().step(); // sees the change: no read
    EXPECT_EQ(sent(), before);
    EXPECT_EQ(page->refreshLoop().pending(), 0u);
    clearTranscript();
    test::runPass(page->refreshLoop());
    EXPECT_EQ(traffic().reads, test::bytesOf(test::addresses(GetParam().reads)));
    EXPECT_TRUE(traffic().writes.empty());
    if (!probe.isEmpty()) {
        EXPECT_EQ(test::shownText(test::control<QWidget>(*page, probe[1])), probe[2]);
    }
}

INSTANTIATE_TEST_SUITE_P(Pages, PageTabs, testing::ValuesIn(test::kTabReads),
                         [](const auto& row) { return std::string(row.param.name); });

} // namespace
