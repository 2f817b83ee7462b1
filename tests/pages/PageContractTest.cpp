#include "PageKit.h"
#include "widgets/pages/StaleValue.h"

#include <QAbstractButton>
#include <QFocusEvent>
#include <QPointer>
#include <QTabBar>
#include <QVBoxLayout>

using namespace kalvex;
using test::names;

namespace {

// firstReads/firstWrite: before and in the first online pass; reads: every pass; probe: a board
// value, the control showing it and how; offline, `dashes` show "-", `disabled` are disabled,
// `items` show data-set items ("37:lblData37"), `editable` are enabled only for offline editing.
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

class EntryFieldTest : public test::LinkFixture {
  protected:
    void SetUp() override {
        LinkFixture::SetUp();
        auto* layout = new QVBoxLayout(&page);
        for (QWidget* w : std::initializer_list<QWidget*>{field, spin, next, cmdDefault})
            layout->addWidget(w);
        EntryFieldConfig config;
        config.address = "W1092";
        config.dataIndex = kItem;
        config.title = "Set-up";
        entry = new NumericEntryField(field, spin, cmdDefault, state, link, prompt, config);
        entry->setRange(0, 1000);
        test::showActive(page);
    }
    void reset(const QString& shown, int stored) {
        entry->clearEditing();
        entry->showValue(shown);
        state.gCurrentData.Value[kItem] = stored;
        prompt.boxes.clear();
        clearTranscript();
    }

    static constexpr int kItem = 130;
    AppState state;
    QWidget page;
    QLineEdit* field = new QLineEdit(&page);
    UpDown* spin = new UpDown(&page);
    QLineEdit* next = new QLineEdit(&page);
    QPushButton* cmdDefault = new QPushButton("-", &page);
    NumericEntryField* entry = nullptr;
};

// Rounded half to even; Esc gives the shown value back, twice leaves; a lost link stores only.
TEST_F(EntryFieldTest, EnterRefusesAnythingButANumberWithinTheBoundsASpinStepsOnce) {
    enum Meanwhile { Nothing, Blank, Refresh, LinkLost };
    const char F = 'F', N = 'N', D = 'D'; // the focus after: the field, the next box, Default
    const Qt::Key Ret = Qt::Key_Return, Esc = Qt::Key_Escape;
    // typed (nullptr: passing through), meanwhile, keys, stored (-1: refused), written, focus
    const std::tuple<const char*, Meanwhile, std::vector<Qt::Key>, int, bool, char> cases[] = {
        // clang-format off
        {"700", LinkLost, {Ret}, 700, false, N}, {"abc", Nothing, {Ret}, -1, false, F}, {"-1", Nothing, {Ret}, -1, false, F},
        {"1000.5", Nothing, {Ret}, -1, false, F}, {"12,5", Nothing, {Ret}, -1, false, F}, {"", Nothing, {Ret}, -1, false, F},
        {"1e4", Nothing, {Ret}, -1, false, F}, {"0", Nothing, {Ret}, 0, true, N}, {"1000", Nothing, {Ret}, 1000, true, N},
        {" 999.4 ", Nothing, {Ret}, 999, true, N}, {"1e2", Nothing, {Ret}, 100, true, N}, {"-0", Nothing, {Ret}, 0, true, N},
        {"12.6", Nothing, {Ret}, 13, true, N}, {"12.5", Nothing, {Ret}, 12, true, N}, {"13.5", Nothing, {Ret}, 14, true, N},
        {"777", Nothing, {Esc}, 650, false, F}, {"777", Nothing, {Esc, Esc}, 650, false, D}, {"12", Refresh, {Ret}, 12, true, N},
        {nullptr, Nothing, {Qt::Key_Tab}, 650, false, N}, {nullptr, Nothing, {Ret}, 650, false, N}, {nullptr, Nothing, {Esc, Esc}, 650, false, D},
        {nullptr, Blank, {Qt::Key_Tab}, 650, false, N}, {nullptr, Blank, {Ret}, 650, false, N}, {nullptr, Blank, {Esc, Esc}, 650, false, D},
        // clang-format on
    };
    for (const auto& [typed, meanwhile, keys, stored, written, focus] : cases) {
        SCOPED_TRACE(testing::Message()
                     << (typed ? typed : "(nothing)") << " " << meanwhile << " " << keys.size());
        reset("650", 650);
        if (meanwhile == Blank) entry->showBlank(QString());
        link.setCommError(meanwhile == LinkLost);
        field->setFocus();
        if (typed) {
            field->selectAll();
            QTest::keyClick(field, Qt::Key_Delete);
            QTest::keyClicks(field, typed);
        }
        if (meanwhile == Refresh) {
            entry->showValue("999");
            for (QEvent::Type t : {QEvent::FocusOut, QEvent::FocusIn}) { // another program
                QFocusEvent e(t, Qt::ActiveWindowFocusReason);
                QCoreApplication::sendEvent(field, &e);
            }
            EXPECT_EQ(field->text(), typed);
        }
        for (Qt::Key k : keys) {
            QTest::keyClick(QApplication::focusWidget(), k);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall); // a range message
        }
        EXPECT_EQ(QApplication::focusWidget(), focus == F   ? field
                                               : focus == N ? next
                                                            : static_cast<QWidget*>(cmdDefault));
        EXPECT_EQ(entry->editing(), field->hasFocus());
        EXPECT_EQ(state.gCurrentData.Value[kItem], stored < 0 ? 650 : stored);
        EXPECT_EQ(sent().isEmpty(), !written);
        EXPECT_TRUE(!written || board.value("W1092") == stored) << board.value("W1092");
        ASSERT_EQ(prompt.boxes.size(), stored < 0 ? 1u : 0u);
        if (field->hasFocus()) { // the value shown given back, ready to be typed over
            EXPECT_EQ(field->text(), "650");
            EXPECT_EQ(field->selectedText(), "650");
        }
        entry->showValue("1"); // a refresh reaches the field once it is left
        EXPECT_EQ(field->text() == "1", !field->hasFocus());
        if (stored >= 0) continue;
        EXPECT_EQ(prompt.boxes[0].title, "Set-up");
        EXPECT_EQ(prompt.boxes[0].text, "Only a Number Between 0 and 1000 can be Entered");
        EXPECT_EQ(prompt.boxes[0].icon, MsgIcon::Information);
    }
    link.setCommError(false);
    entry->showBlank(QString());
    QTest::mouseClick(spin->upButton(), Qt::LeftButton); // nothing to step from
    EXPECT_TRUE(sent().isEmpty());

    const std::tuple<bool, int, bool, int, qsizetype> spins[] = {
        // online, shown, up, after, bytes sent: 3 for each of the word's
        {true, 650, true, 651, 6},
        {true, 1000, true, 1000, 0}, // at a bound nothing moves and nothing is written
        {true, 0, false, 0, 0},
        {false, 650, false, 649, 0}};
    for (const auto& [online, shown, up, after, bytes] : spins) {
        SCOPED_TRACE(shown);
        if (!online) link.CloseRSComm();
        reset(QString::number(shown), -1);
        QTest::mouseClick(up ? spin->upButton() : spin->downButton(), Qt::LeftButton);
        EXPECT_EQ(field->text(), QString::number(after));
        EXPECT_EQ(sent().size(), bytes);
        EXPECT_EQ(state.gCurrentData.Value[kItem], after != shown ? after : -1);
    }
    EXPECT_EQ(board.value("W1092"), 651);
}

class RefreshLoopTest : public test::LinkFixture {
  protected:
    QWidget page;
    int passes = 0;
    std::function<void(RefreshLoop&)> layOut;
    RefreshLoop loop{&page, link, [this](RefreshLoop& l) {
                         ++passes;
                         if (layOut) layOut(l);
                     }};
};

TEST_F(RefreshLoopTest, SkipsWhileTheLinkIsBusyAndPacesPagesLeftOffline) {
    loop.start();
    bool stepped = true;
    board.faults().silent = true;
    prompt.answerWith([&](const test::Box&) {
        stepped = loop.step(); // a timer tick during the link's retry box
        return MsgAnswer::Cancel;
    });
    link.RSRead(QStringLiteral("W50"));
    EXPECT_FALSE(stepped);
    EXPECT_EQ(passes, 0);
    link.CloseRSComm();
    clearTranscript();
    AppState state;
    frmSetup shown{state, link, prompt};
    shown.show();
    const int before = shown.refreshLoop().passes();
    QTest::qWait(1000);
    const int made = shown.refreshLoop().passes() - before;
    EXPECT_GE(made, 1);
    EXPECT_LE(made, 1000 / RefreshLoop::kOfflineIntervalMs + 5);
    shown.Unload();
    EXPECT_TRUE(sent().isEmpty());
}

TEST_F(RefreshLoopTest, BoardStepsStopAtWhateverEndsThePass) {
    // the condition of the second read, what runs in the first read's sink, the guard's answer
    const std::tuple<const char*, bool, std::function<void()>, bool, std::vector<int>, test::Writes>
        cases[] = {
            {"all steps", true, nullptr, true, {50, 51, 52, 53, 56, 57}, {{54, 7}}},
            {"condition false", false, nullptr, true, {50, 51, 56, 57}, {{54, 7}}},
            {"guard refuses", true, nullptr, false, {}, {}},
            {"link closed", true, [this] { link.CloseRSComm(); }, true, {50, 51}, {}},
            {"link lost", true, [this] { link.setCommError(true); }, true, {50, 51}, {}},
        };
    board.setValue("W50", 1234);
    for (const auto& [name, readW52, afterFirst, guard, reads, writes] : cases) {
        SCOPED_TRACE(name);
        link.setCommError(false);
        link.setOnlineMode(true);
        clearTranscript();
        std::vector<qint64> seen;
        const auto keep = [&](qint64 v) { seen.push_back(v); };
        layOut = [&](RefreshLoop& l) {
            l.addRead(QStringLiteral("W50"), [&](qint64 v) {
                keep(v);
                if (afterFirst) afterFirst();
            });
            l.addRead(QStringLiteral("W52"), keep, [&] { return readW52; });
            l.addWrite(QStringLiteral("B54"), QStringLiteral("7"));
            l.addRead(QStringLiteral("W56"), keep);
        };
        loop.setGuard([&] { return guard; });
        loop.start();
        test::runPass(loop);
        loop.stop();
        EXPECT_EQ(traffic().reads, reads);
        EXPECT_EQ(traffic().writes, writes);
        EXPECT_TRUE(reads.empty() || seen.front() == 1234);
    }
}

// (the cable pulled, the program quitting)
TEST_F(RefreshLoopTest, APageClosedUnderARetryBoxLeavesNothingBehind) {
    board.faults().silent = true;
    auto* owner = new QWidget;
    const QPointer<QWidget> watch(owner);
    bool sunk = false;
    prompt.answerWith([&](const test::Box&) {
        delete owner;
        return MsgAnswer::Cancel;
    });
    auto* closing = new RefreshLoop(owner, link, [&](RefreshLoop& l) {
        l.addRead(QStringLiteral("W50"), [&](qint64) { sunk = true; });
        l.addWrite(QStringLiteral("W52"), QStringLiteral("1"));
    });
    closing->start();
    QTRY_VERIFY_WITH_TIMEOUT(watch.isNull(), 5000);
    QTest::qWait(100); // the timer's slot has returned; later ticks must not come
    EXPECT_FALSE(sunk);
    EXPECT_EQ(prompt.boxes.size(), 1u);
}

} // namespace
