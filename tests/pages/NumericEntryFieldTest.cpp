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

// What the operator typed (nothing: passing through), what happens meanwhile, the keys that
// leave: a number within the bounds is stored and written rounded half to even; anything else
// gets the range message, the value shown given back, nothing stored or written; Esc once
// gives the value back and stays, twice leaves; a refresh, another program's focus or a lost
// link leave the typed text alone, the lost link stores without sending.
TEST_F(EntryFieldTest, EnterRefusesAnythingButANumberWithinTheBounds) {
    enum Meanwhile { Nothing, Blank, Refresh, LinkLost };
    const char F = 'F', N = 'N', D = 'D';
    const Qt::Key Ret = Qt::Key_Return, Esc = Qt::Key_Escape;
    const struct {
        const char* typed;
        Meanwhile meanwhile;
        std::vector<Qt::Key> keys;
        int stored; // -1: refused
        bool written;
        char focus; // F the field, N the next box, D the default button
    } cases[] = {
        // clang-format off
        {"700", LinkLost, {Ret}, 700, false, N}, // stored, not sent
        {"abc", Nothing, {Ret}, -1, false, F}, {"-1", Nothing, {Ret}, -1, false, F},
        {"1000.5", Nothing, {Ret}, -1, false, F}, {"12,5", Nothing, {Ret}, -1, false, F},
        {"", Nothing, {Ret}, -1, false, F}, {"1e4", Nothing, {Ret}, -1, false, F},
        {"0", Nothing, {Ret}, 0, true, N}, {"1000", Nothing, {Ret}, 1000, true, N},
        {" 999.4 ", Nothing, {Ret}, 999, true, N}, {"1e2", Nothing, {Ret}, 100, true, N},
        {"-0", Nothing, {Ret}, 0, true, N}, {"12.6", Nothing, {Ret}, 13, true, N},
        {"12.5", Nothing, {Ret}, 12, true, N}, {"13.5", Nothing, {Ret}, 14, true, N},
        {"777", Nothing, {Esc}, 650, false, F}, {"777", Nothing, {Esc, Esc}, 650, false, D},
        {"12", Refresh, {Ret}, 12, true, N}, {nullptr, Nothing, {Qt::Key_Tab}, 650, false, N}, {nullptr, Nothing, {Ret}, 650, false, N},
        {nullptr, Nothing, {Esc, Esc}, 650, false, D}, {nullptr, Blank, {Qt::Key_Tab}, 650, false, N},
        {nullptr, Blank, {Ret}, 650, false, N}, {nullptr, Blank, {Esc, Esc}, 650, false, D},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.typed ? c.typed : "(nothing)") << " " << c.meanwhile
                                        << " " << c.keys.size());
        entry->clearEditing();
        entry->showValue("650");
        if (c.meanwhile == Blank) entry->showBlank(QString());
        state.gCurrentData.Value[kItem] = 650;
        link.setCommError(c.meanwhile == LinkLost);
        prompt.boxes.clear();
        clearTranscript();
        field->setFocus();
        if (c.typed) type(c.typed);
        if (c.meanwhile == Refresh) {
            entry->showValue("999");
            for (QEvent::Type t : {QEvent::FocusOut, QEvent::FocusIn}) { // another program
                QFocusEvent e(t, Qt::ActiveWindowFocusReason);
                QCoreApplication::sendEvent(field, &e);
            }
            EXPECT_EQ(field->text(), c.typed);
        }
        for (Qt::Key k : c.keys)
            press(k);
        EXPECT_EQ(field->hasFocus(), c.focus == F);
        EXPECT_EQ(next->hasFocus(), c.focus == N);
        EXPECT_EQ(cmdDefault->hasFocus(), c.focus == D);
        EXPECT_EQ(entry->editing(), field->hasFocus());
        EXPECT_EQ(state.gCurrentData.Value[kItem], c.stored < 0 ? 650 : c.stored);
        EXPECT_EQ(sent().isEmpty(), !c.written);
        EXPECT_TRUE(!c.written || boardValue() == c.stored) << boardValue();
        ASSERT_EQ(prompt.boxes.size(), c.stored < 0 ? 1u : 0u);
        if (field->hasFocus()) { // the value shown given back, ready to be typed over
            EXPECT_EQ(field->text(), "650");
            EXPECT_EQ(field->selectedText(), "650");
        }
        entry->showValue("1"); // a refresh reaches the field once it is left
        EXPECT_EQ(field->text() == "1", !field->hasFocus());
        if (c.stored >= 0) continue;
        EXPECT_EQ(prompt.boxes[0].title, "Set-up");
        EXPECT_EQ(prompt.boxes[0].text, "Only a Number Between 0 and 1000 can be Entered");
        EXPECT_EQ(prompt.boxes[0].icon, MsgIcon::Information);
    }
    link.setCommError(false);
    entry->showBlank(QString());
    QTest::mouseClick(spin->upButton(), Qt::LeftButton); // nothing to step from
    EXPECT_TRUE(sent().isEmpty());
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
