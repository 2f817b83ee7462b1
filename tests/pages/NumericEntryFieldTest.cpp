#include "pages/NumericEntryField.h"
#include "LinkFixture.h"
#include "data/AppState.h"
#include "pages/UpDown.h"

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
        field = new QLineEdit(&page);
        spin = new UpDown(&page);
        next = new QLineEdit(&page);
        cmdDefault = new QPushButton(QStringLiteral("-"), &page);
        for (QWidget* w : std::initializer_list<QWidget*>{field, spin, next, cmdDefault})
            layout->addWidget(w);
        EntryFieldConfig config;
        config.address = QStringLiteral("W1092");
        config.dataIndex = kItem;
        config.title = QStringLiteral("Set-up");
        entry = new NumericEntryField(field, spin, cmdDefault, state, link, prompt, config);
        entry->setRange(0, 1000);
        entry->showValue(QStringLiteral("650"));
        state.gCurrentData.Value[kItem] = 650;
        page.show();
        QApplication::setActiveWindow(&page);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&page));
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
    qint64 boardValue() const { return board.value(QStringLiteral("W1092")); }

    static constexpr int kItem = 130;
    AppState state;
    QWidget page;
    QLineEdit* field = nullptr;
    UpDown* spin = nullptr;
    QLineEdit* next = nullptr;
    QPushButton* cmdDefault = nullptr;
    NumericEntryField* entry = nullptr;
};

TEST_F(EntryFieldTest, LettersAndEnterShowTheRangeMessageAndRestore) {
    type(QStringLiteral("abc"));
    press(Qt::Key_Return);
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_EQ(prompt.boxes[0].title, QStringLiteral("Set-up"));
    EXPECT_EQ(prompt.boxes[0].text,
              QStringLiteral("Only a Number Between 0 and 1000 can be Entered"));
    EXPECT_EQ(prompt.boxes[0].icon, MsgIcon::Information);
    EXPECT_EQ(field->text(), QStringLiteral("650"));
    EXPECT_TRUE(field->hasFocus());
    EXPECT_EQ(field->selectedText(), QStringLiteral("650"));
    EXPECT_TRUE(entry->editing());
    EXPECT_EQ(state.gCurrentData.Value[kItem], 650);
    EXPECT_TRUE(sent().isEmpty());
}

TEST_F(EntryFieldTest, AcceptsTheBoundsAndRejectsJustOutside) {
    const std::pair<const char*, bool> cases[] = {
        {"0", true},   {"1000", true},    {" 999.4 ", true}, {"1e2", true}, {"-0", true},
        {"-1", false}, {"1000.5", false}, {"12,5", false},   {"", false},   {"1e4", false},
    };
    for (auto [text, accepted] : cases) {
        prompt.boxes.clear();
        field->setFocus();
        type(QString::fromLatin1(text));
        press(Qt::Key_Return);
        EXPECT_EQ(prompt.boxes.empty(), accepted) << text;
        EXPECT_EQ(next->hasFocus(), accepted) << text;
    }
}

TEST_F(EntryFieldTest, AFractionIsRoundedHalfToEvenAndTheBoardGetsTheSameNumber) {
    const std::pair<const char*, int> cases[] = {{"12.6", 13}, {"12.5", 12}, {"13.5", 14}};
    for (auto [text, stored] : cases) {
        field->setFocus();
        type(QString::fromLatin1(text));
        QTest::keyClick(field, Qt::Key_Return);
        EXPECT_EQ(state.gCurrentData.Value[kItem], stored) << text;
        EXPECT_EQ(boardValue(), stored) << text;
        EXPECT_FALSE(entry->editing());
    }
    EXPECT_TRUE(prompt.boxes.empty());
}

TEST_F(EntryFieldTest, EscOnceRestoresAndStaysEscTwiceLeavesWritingNothing) {
    type(QStringLiteral("777"));
    QTest::keyClick(field, Qt::Key_Escape);
    EXPECT_EQ(field->text(), QStringLiteral("650"));
    EXPECT_TRUE(field->hasFocus());
    EXPECT_EQ(field->selectedText(), QStringLiteral("650"));
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

// A value refused when an arrow is pressed cancels that press: the arrow does not go down,
// so it cannot repeat, and nothing is written; the field gets its value and the focus back.
TEST_F(EntryFieldTest, ArrowPressedOverARefusedValueDoesNotStep) {
    QLineEdit otherText;
    UpDown otherSpin;
    EntryFieldConfig config;
    config.address = QStringLiteral("W1094");
    config.title = QStringLiteral("Set-up");
    NumericEntryField other(&otherText, &otherSpin, cmdDefault, state, link, prompt, config);
    other.setRange(0, 1999);
    other.showValue(QStringLiteral("1000"));
    for (UpDown* arrows : {spin, &otherSpin}) {
        prompt.boxes.clear();
        field->setFocus();
        type(QStringLiteral("5000"));
        QTest::mousePress(arrows->downButton(), Qt::LeftButton);
        EXPECT_FALSE(arrows->downButton()->isDown());
        QTest::mouseRelease(arrows->downButton(), Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
        EXPECT_EQ(prompt.boxes.size(), 1u);
        EXPECT_EQ(field->text(), QStringLiteral("650"));
        EXPECT_EQ(otherText.text(), QStringLiteral("1000"));
        EXPECT_TRUE(field->hasFocus());
    }
    EXPECT_TRUE(sent().isEmpty());
}

TEST_F(EntryFieldTest, RefreshAndOtherProgramsLeaveTypedTextAloneUntilTheCommit) {
    type(QStringLiteral("12"));
    entry->showValue(QStringLiteral("999"));
    EXPECT_EQ(field->text(), QStringLiteral("12"));
    for (QEvent::Type t : {QEvent::FocusOut, QEvent::FocusIn}) { // another program in between
        QFocusEvent e(t, Qt::ActiveWindowFocusReason);
        QCoreApplication::sendEvent(field, &e);
    }
    press(Qt::Key_Return);
    EXPECT_EQ(state.gCurrentData.Value[kItem], 12);
    entry->showValue(QStringLiteral("999"));
    EXPECT_EQ(field->text(), QStringLiteral("999"));
}

// One click, one step within the bounds, written at once online, only stored offline.
TEST_F(EntryFieldTest, ASpinClickStepsOnceWithinTheBounds) {
    struct Case {
        bool online;
        const char* shown;
        bool up;
        const char* after;
        qsizetype bytes;
    };
    const Case cases[] = {
        {true, "650", true, "651", 2 + 6}, // mode handshake, then 3 bytes for each of the word's
        {true, "1000", true, "1000", 0},   // at a bound nothing moves and nothing is written
        {true, "0", false, "0", 0},
        {false, "650", false, "649", 0},
    };
    for (const Case& c : cases) {
        if (!c.online) link.CloseRSComm();
        board.clearTranscript();
        entry->clearEditing();
        entry->showValue(QString::fromLatin1(c.shown));
        state.gCurrentData.Value[kItem] = -1;
        QTest::mouseClick(c.up ? spin->upButton() : spin->downButton(), Qt::LeftButton);
        const QString after = QString::fromLatin1(c.after);
        EXPECT_EQ(field->text(), after) << c.shown;
        EXPECT_EQ(sent().size(), c.bytes) << c.shown;
        const bool moved = after != QLatin1String(c.shown);
        EXPECT_EQ(state.gCurrentData.Value[kItem], moved ? after.toInt() : -1) << c.shown;
    }
    EXPECT_EQ(boardValue(), 651);
}

TEST_F(EntryFieldTest, CommErrorStoresButSendsNothing) {
    link.setCommError(true);
    type(QStringLiteral("700"));
    press(Qt::Key_Return);
    EXPECT_EQ(state.gCurrentData.Value[kItem], 700);
    EXPECT_TRUE(sent().isEmpty());
    EXPECT_TRUE(prompt.boxes.empty());
}

} // namespace
