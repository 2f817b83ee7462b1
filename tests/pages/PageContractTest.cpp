#include "PageKit.h"
#include "widgets/pages/StaleValue.h"

#include <QAbstractButton>
#include <QTabBar>

using namespace kalvex;
using test::names;

namespace {

// firstReads: what showing the page online reads before its first pass; firstWrite: what that
// pass writes ("B63=1"); reads: every online pass, in order; probe: a board value, the control
// that shows it and how ("W164=1500 lblp9150State3 1500"); offline: `dashes` show "-", `disabled`
// are disabled (enabled online), `items` show data-set items ("37:lblData37"), `editable` are
// enabled only with offline editing; tab: the tab shown.
struct Contract {
    const char* name;
    test::MakePage make;
    const char *firstReads, *firstWrite, *reads, *probe, *dashes, *disabled, *items, *editable;
    int tab = 0;
};

// clang-format off
const Contract kContracts[] = {
    {"MainDisplay", test::make<frmMain>(), "B2088", "", "W112 W526 D1100 D1104 D1304", "D1100=1234567 lblDisplay2 1,234,567", "lblDisplay0 lblDisplay1 txtSpindleBlowoff", "txtSpindleBlowoff updSpindleNumber cmdSingleBlowoff cmdBlanketBlowoff cmdMandrelBlowoff cmdBadCanBlowoff lblDisplay0 fraDisplay1", "37:lblDisplay2 38:lblDisplay3 121:lblDisplay4", ""},
    {"Setup", test::make<frmSetup>(), "", "", "W1092 W1094 W1096 W526", "W1092=650 txtSetup0 650", "lblDisplay0", "cmdQCTest0", "122:txtSetup0 124:txtSetup2", "txtSetup0"},
    {"ColorControl", test::make<frmColorControl>(), "W690 B692", "B63=1", "F119 W686 B720*8 W730*8 W520 W522 B130 B61", "W734=280 txtColorCtrl10 280", "", "fraColorCtrl3 chkDuctorManual0 cmdDuctorsManualON cmdDuctorsManualOFF", "143:txtColorCtrl16", ""},
    {"Shift", test::make<frmData>(), "", "", "B599 B1011 W1020*36", "W1020=12 lblData1 12", "lblData0", "cmdResetTrips", "0:txtSpindleTripOffset 1:lblData1 37:lblData37", ""},
    {"Io", test::make<frmDisplayIO>(), "", "", "F18 F17 W162 W164 B166 B167 W180 W112 W184 W186 W188 W170 W100 W110 W120 W130", "W164=1500 lblp9150State3 1500", "lblSlot00State0 lblp9150State1", "lblSlot00State0", "", ""},
    {"Df1", test::make<frm5800DF1>(), "", "", "B1423 B1421 B1422 W1416 B1414 B1426 B1702 B1703 W1704 B1401 B1450 B1411", "B1401=241 cboSetup SLC500", "lblDisplay0", "lblDisplay3", "1745:txtSetup0 1746:txtSetup1", "txtSetup1 cboSetup"},
};
// clang-format on

using Texts = std::map<QString, QString>;

Texts shownTexts(const QWidget* page) {
    Texts t;
    for (const QWidget* w : page->findChildren<QWidget*>())
        if (!w->objectName().isEmpty() && test::shownText(w) != "<no text>")
            t[w->objectName()] = test::shownText(w);
    return t;
}

std::vector<QString> staleNames(const QWidget* page) {
    std::vector<QString> out;
    for (const QWidget* w : page->findChildren<QWidget*>())
        if (stale::isStale(w)) out.push_back(w->objectName());
    return out;
}

class PageContract : public test::LinkFixture, public testing::WithParamInterface<Contract> {
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
    void start() {
        test::showActive(*page);
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

    // Two different sets of memory, neither holding a 0 the page could show by mistake.
    void fill(int set) {
        for (int a = 0; a < 65536; ++a)
            board.poke(a, quint8(set == 0 ? (a * 7 + 3) % 251 + 1 : (a * 13 + 5) % 241 + 2));
    }
    // Shown online with the first set; the second then in memory.
    Texts freshPage() {
        fill(0);
        page.reset(GetParam().make(state, link, prompt));
        page->show();
        runPass();
        runPass();
        fill(1);
        clearTranscript();
        return shownTexts(page.get());
    }

    test::UsLocale locale;
    AppState state;
    std::unique_ptr<MachinePage> page;
};

// A lost link: a failed read's cancelled retry box; back online the page is prepared again.
TEST_P(PageContract, OnlinePassesReadInOrderOnlyTheOperatorWritesAndALostLinkGoesOffline) {
    const QStringList probe = names(GetParam().probe);
    start();
    // (the Color page first reads the values of the field the focus went to)
    const std::vector<int> reads = traffic().reads, expected = passReads(true);
    ASSERT_GE(reads.size(), expected.size());
    EXPECT_EQ(std::vector(reads.end() - std::ptrdiff_t(expected.size()), reads.end()), expected);
    EXPECT_EQ(traffic().writes, test::writesOf(GetParam().firstWrite));
    const QStringList set = probe[0].split('='); // a new board value: shown, never written
    board.setValue(set[0], set[1].toLongLong());
    clearTranscript();
    navigate();
    EXPECT_TRUE(traffic().writes.empty());
    clearTranscript();
    const int steps = runPass();
    EXPECT_EQ(traffic().reads, passReads(false));
    EXPECT_TRUE(traffic().writes.empty());
    EXPECT_EQ(test::shownText(w(probe[1])), probe[2]);

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

// A wrong echo at each read of a pass in turn.
TEST_P(PageContract, AWrongEchoAtAnyReadShowsNoValueTheBoardDidNotSend) {
    int staleSeen = 0;
    freshPage();
    runPass();
    const Texts after = shownTexts(page.get());
    const std::vector<int> positions = traffic().readHighBytes;
    ASSERT_FALSE(positions.empty());
    for (const int position : positions) {
        SCOPED_TRACE(position);
        Texts old = freshPage();
        board.faults().wrongEchoAt = {board.receivedCount() + position};
        runPass();
        const Texts shown = shownTexts(page.get());
        for (const auto& [widget, text] : shown)
            EXPECT_TRUE(text == old[widget] || text == after.at(widget))
                << qPrintable(widget) << " shows " << qPrintable(text) << ", neither "
                << qPrintable(old[widget]) << " nor " << qPrintable(after.at(widget));
        for (const QString& w : staleNames(page.get())) {
            EXPECT_EQ(shown.at(w), old[w]) << qPrintable(w); // the last good value
            ++staleSeen;
        }
        EXPECT_TRUE(traffic().writes.empty());
        board.faults().wrongEchoAt.clear();
        runPass(); // the next good pass clears the look
        EXPECT_TRUE(staleNames(page.get()).empty());
    }
    EXPECT_GT(2 * staleSeen, int(positions.size())) << staleSeen; // most reads have a display
}

const auto kName = [](const auto& row) { return std::string(row.param.name); };
INSTANTIATE_TEST_SUITE_P(Pages, PageContract, testing::ValuesIn(kContracts), kName);

using PageTabs = PageContract;

// clang-format off
const Contract kTabs[] = {
    {"Shift1", test::make<frmData>(), "", "", "D1100 D1104 D1108 D1116 D1120 D1112 W1124*36", "D1112=4321 lblData42 4,321", "", "", "", "", 1},
    {"Shift2", test::make<frmData>(), "", "", "D1200 D1204 D1208 D1216 D1220 D1212 W1224*36", "", "", "", "", "", 2},
    {"Setup1", test::make<frmSetup>(), "", "", "W690 B692 B1013 B1014 B694", "", "", "", "", "", 1},
    {"Setup2", test::make<frmSetup>(), "", "", "W1004 B1003 B1000 B1001 B1002 B1010 B1006 B1007 B1008 B1009", "", "", "", "", "", 2},
    {"Setup3", test::make<frmSetup>(), "", "", "W830 W832 W834 F119 W180 W512", "W180=725 lblDisplay2 5 W512=359 lblDisplay3 359", "", "", "", "", 3},
};
// clang-format on

// A tab switch ends the pass before its next read.
TEST_P(PageTabs, ATabSwitchEndsThePassAndTheTabReadsItsAddressesInOrder) {
    const QStringList probe = names(GetParam().probe);
    for (qsizetype k = 0; k < probe.size(); k += 3)
        board.setValue(probe[k].section('=', 0, 0), probe[k].section('=', 1).toLongLong());
    test::showActive(*page);
    clearTranscript();
    page->refreshLoop().step(); // the first tab's pass laid out
    page->refreshLoop().step(); // its first read
    const QByteArray before = sent();
    page->findChild<QTabBar*>()->setCurrentIndex(GetParam().tab);
    page->refreshLoop().step(); // sees the change: no read
    EXPECT_EQ(sent(), before);
    EXPECT_EQ(page->refreshLoop().pending(), 0u);
    clearTranscript();
    runPass();
    EXPECT_EQ(traffic().reads, passReads(false));
    EXPECT_TRUE(traffic().writes.empty());
    for (qsizetype k = 0; k < probe.size(); k += 3)
        EXPECT_EQ(test::shownText(w(probe[k + 1])), probe[k + 2]) << qPrintable(probe[k]);
}

INSTANTIATE_TEST_SUITE_P(Pages, PageTabs, testing::ValuesIn(kTabs), kName);

} // namespace
