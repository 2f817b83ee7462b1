#include "PageKit.h"

#include <QFocusEvent>
#include <QPointer>
#include <QVBoxLayout>

using namespace kalvex;

namespace {

// An entry field bound to W1092 and data-set item 130, a text box after it, the default button.
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
    // The field showing `shown`, no edit under way, the data set holding `stored`.
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

    // A spin click steps once within the bounds.
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
    // Pages left offline are paced.
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
