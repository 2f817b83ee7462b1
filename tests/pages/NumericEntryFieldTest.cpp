#include "widgets/pages/NumericEntryField.h"
#include "data/AppState.h"
#include "support/LinkFixture.h"
#include "support/Pages.h"
#include "widgets/pages/EntryFieldGroup.h"
#include "widgets/pages/UpDown.h"

#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

using namespace kalvex;

namespace {

// A page with one entry field bound to W1092 and data-set element 130 showing 650, a second
// text box after it in tab order, and the default button.
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
        entry->showValue("650");
        state.gCurrentData.Value[kItem] = 650;
        test::showActive(page);
        field->setFocus();
        board.clearTranscript();
    }

    void type(const QString& text) {
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Delete);
        QTest::keyClicks(field, text);
    }
    // Presses a key in the field and lets a range message that it caused appear.
    void press(Qt::Key key) {
        QTest::keyClick(QApplication::focusWidget(), key);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    }
    qint64 boardValue() const { return board.value("W1092"); }

    static constexpr int kItem = 130;
    AppState state;
    QWidget page;
    QLineEdit* field = new QLineEdit(&page);
    UpDown* spin = new UpDown(&page);
    QLineEdit* next = new QLineEdit(&page);
    QPushButton* cmdDefault = new QPushButton("-", &page);
    NumericEntryField* entry = nullptr;
};

// Enter refuses what is not a number within the bounds: the range message, the value shown
// given back, nothing stored or written. A number within them is stored and written rounded
// half to even.
TEST_F(EntryFieldTest, EnterRefusesAnythingButANumberWithinTheBounds) {
    const std::pair<const char*, int> cases[] = {
        // -1: refused
        {"abc", -1}, {"-1", -1},   {"1000.5", -1}, {"12,5", -1},     {"", -1},
        {"1e4", -1}, {"0", 0},     {"1000", 1000}, {" 999.4 ", 999}, {"1e2", 100},
        {"-0", 0},   {"12.6", 13}, {"12.5", 12},   {"13.5", 14}};
    for (auto [text, stored] : cases) {
        SCOPED_TRACE(text);
        prompt.boxes.clear();
        field->setFocus();
        type(text);
        press(Qt::Key_Return);
        EXPECT_EQ(next->hasFocus(), stored >= 0);
        EXPECT_EQ(field->hasFocus(), stored < 0);
        EXPECT_EQ(entry->editing(), stored < 0);
        if (stored >= 0) {
            EXPECT_TRUE(prompt.boxes.empty());
            EXPECT_EQ(state.gCurrentData.Value[kItem], stored);
            EXPECT_EQ(boardValue(), stored);
            continue;
        }
        ASSERT_EQ(prompt.boxes.size(), 1u);
        EXPECT_EQ(prompt.boxes[0].title, "Set-up");
        EXPECT_EQ(prompt.boxes[0].text, "Only a Number Between 0 and 1000 can be Entered");
        EXPECT_EQ(prompt.boxes[0].icon, MsgIcon::Information);
        EXPECT_EQ(field->text(), "650");
        EXPECT_EQ(field->selectedText(), "650");
        EXPECT_EQ(state.gCurrentData.Value[kItem], 650);
        EXPECT_TRUE(sent().isEmpty());
    }
}

TEST_F(EntryFieldTest, EscOnceRestoresAndStaysEscTwiceLeavesWritingNothing) {
    type("777");
    QTest::keyClick(field, Qt::Key_Escape);
    EXPECT_EQ(field->text(), "650");
    EXPECT_TRUE(field->hasFocus());
    EXPECT_EQ(field->selectedText(), "650");
    EXPECT_TRUE(entry->editing());
    QTest::keyClick(field, Qt::Key_Escape);
    EXPECT_TRUE(cmdDefault->hasFocus());
    EXPECT_FALSE(entry->editing());
    EXPECT_EQ(state.gCurrentData.Value[kItem], 650);
    EXPECT_TRUE(sent().isEmpty()); // the restored value is the board's own
}

// Only what the operator typed is committed: passing through a field, filled or never
// filled, shows no message and writes nothing.
TEST_F(EntryFieldTest, LeavingWithoutTypingWritesNothing) {
    const std::vector<Qt::Key> leaves[] = {
        {Qt::Key_Tab}, {Qt::Key_Return}, {Qt::Key_Escape, Qt::Key_Escape}};
    for (bool filled : {true, false}) {
        if (!filled) entry->showBlank(QString());
        state.gCurrentData.Value[kItem] = 650;
        for (const auto& keys : leaves) {
            field->setFocus();
            for (Qt::Key k : keys)
                press(k);
            EXPECT_FALSE(field->hasFocus()) << filled << keys.size();
        }
        QTest::mouseClick(spin->upButton(), Qt::LeftButton); // nothing to step from if blank
    }
    EXPECT_TRUE(prompt.boxes.empty());
    EXPECT_EQ(state.gCurrentData.Value[kItem], 650);
    EXPECT_EQ(sent().size(), 2 + 6); // the one spin step of the filled field
    EXPECT_EQ(boardValue(), 651);
}

TEST_F(EntryFieldTest, RefreshAndOtherProgramsLeaveTypedTextAloneUntilTheCommit) {
    type("12");
    entry->showValue("999");
    EXPECT_EQ(field->text(), "12");
    for (QEvent::Type t : {QEvent::FocusOut, QEvent::FocusIn}) { // another program in between
        QFocusEvent e(t, Qt::ActiveWindowFocusReason);
        QCoreApplication::sendEvent(field, &e);
    }
    press(Qt::Key_Return);
    EXPECT_EQ(state.gCurrentData.Value[kItem], 12);
    entry->showValue("999");
    EXPECT_EQ(field->text(), "999");
}

// One click, one step within the bounds, written at once online, only stored offline.
TEST_F(EntryFieldTest, ASpinClickStepsOnceWithinTheBounds) {
    const std::tuple<bool, int, bool, int, qsizetype> cases[] = {
        // online, shown, up, after, bytes
        {true, 650, true, 651, 2 + 6}, // mode handshake, then 3 bytes for each of the word's
        {true, 1000, true, 1000, 0},   // at a bound nothing moves and nothing is written
        {true, 0, false, 0, 0},
        {false, 650, false, 649, 0}};
    for (const auto& [online, shown, up, after, bytes] : cases) {
        SCOPED_TRACE(shown);
        if (!online) link.CloseRSComm();
        board.clearTranscript();
        entry->clearEditing();
        entry->showValue(QString::number(shown));
        state.gCurrentData.Value[kItem] = -1;
        QTest::mouseClick(up ? spin->upButton() : spin->downButton(), Qt::LeftButton);
        EXPECT_EQ(field->text(), QString::number(after));
        EXPECT_EQ(sent().size(), bytes);
        EXPECT_EQ(state.gCurrentData.Value[kItem], after != shown ? after : -1);
    }
    EXPECT_EQ(boardValue(), 651);
}

TEST_F(EntryFieldTest, CommErrorStoresButSendsNothing) {
    link.setCommError(true);
    type("700");
    press(Qt::Key_Return);
    EXPECT_EQ(state.gCurrentData.Value[kItem], 700);
    EXPECT_TRUE(sent().isEmpty());
    EXPECT_TRUE(prompt.boxes.empty());
}

// Two linked fields as the ductor times are: the ON time may not pass the cycle less 140.
class EntryGroupTest : public test::LinkFixture {
  protected:
    void SetUp() override {
        LinkFixture::SetUp();
        auto* layout = new QVBoxLayout(&page);
        for (QWidget* w : std::initializer_list<QWidget*>{cycle, cycleSpin, on, onSpin})
            layout->addWidget(w);
        const auto config = [](const char* address) {
            EntryFieldConfig c;
            c.address = QString::fromLatin1(address);
            c.title = "Set-up";
            return c;
        };
        group.add(0, cycle, cycleSpin, config("W690"), {140, 650});
        group.add(1, on, onSpin, config("B692"), {0, 200});
        group.setRangeRule(1, [this] {
            return EntryFieldGroup::Bounds{0, std::min(200, group.value(0) - 140)};
        });
        group.showValue(0, "400");
        group.showValue(1, "100");
        group.updateRanges();
        test::showActive(page);
    }
    void enter(QLineEdit* field, const char* text) {
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, QString::fromLatin1(text));
        QTest::keyClick(field, Qt::Key_Return);
    }

    AppState state;
    QWidget page;
    QLineEdit* cycle = new QLineEdit(&page);
    UpDown* cycleSpin = new UpDown(&page);
    QLineEdit* on = new QLineEdit(&page);
    UpDown* onSpin = new UpDown(&page);
    QPushButton* cmdDefault = new QPushButton("-", &page);
    EntryFieldGroup group{state, link, prompt, cmdDefault, &page};
};

TEST_F(EntryGroupTest, ACommittedValueMovesTheLinkedBoundsAndARefusalIsPendingUntilShown) {
    EXPECT_EQ(onSpin->maximum(), 200);
    enter(cycle, "300");
    EXPECT_EQ(board.value("W690"), 300);
    EXPECT_EQ(onSpin->maximum(), 160);
    const qint64 before = board.value("B692");
    enter(on, "170");
    EXPECT_TRUE(group.refusalPending()); // a command on the same click must not run
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    EXPECT_FALSE(group.refusalPending());
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_EQ(prompt.boxes[0].text, "Only a Number Between 0 and 160 can be Entered");
    EXPECT_EQ(board.value("B692"), before);
    enter(on, "160");
    EXPECT_EQ(board.value("B692"), 160);
}

} // namespace
