#pragma once
#include <QObject>
#include <QString>

#include <functional>

class QAbstractButton;
class QLineEdit;

namespace kalvex {

class AppState;
class Prompt;
class RSComm;
class UpDown;

// How one entry field differs from the Set-up Parameters field.
struct EntryFieldConfig {
    QString address;          // written on commit and spin; empty: nothing is written
    int dataIndex = -1;       // element of the working data set; -1: none
    QString title;            // title of the range message
    bool editingFlag = true;  // false: the refresh may always rewrite the field
    bool commitStores = true; // false: the commit only checks the value
    bool checkOnFocusLost = true;
    // Replaces the spin's own store and write (e.g. a spin that writes another address).
    std::function<void(int)> spinAction;

    // Hooks for fields whose effects are the page's own; unset, the field behaves as above.
    // Runs as the focus comes into the field, before the value to restore is taken.
    std::function<void()> onFocusIn;
    // Sees a key first; true: the page has handled it.
    std::function<bool(int key)> onKey;
    // Runs just before the value is checked or stepped: bounds that follow other values.
    std::function<void()> beforeCheck;
    // Replaces the store and write of both the commit and the spin.
    std::function<void(int value)> store;
    // False while leaving the field must not commit (the page is busy filling it).
    std::function<bool()> commitOnFocusLoss;
    // A value equal to the one the field was entered with is neither checked nor stored.
    bool storeOnlyChanged = false;
    // Refuses fractions and exponents.
    bool wholeNumbers = false;
    // A refused text stays for the operator to correct instead of returning to the saved value.
    bool keepRefusedText = false;
    // Enter and Esc are the dialog's (its default button, closing), not the field's.
    bool dialogKeys = false;
};

// The text box + up/down pair bound to a board address and a data-set element. It shows the
// live value while idle, lets the user type or spin, checks the value against the spin
// bounds when the user leaves, stores it and, online, writes it to the board.
//
// Only what the operator typed or spun is ever stored or written: leaving a field whose text
// came from the board, the data set or nowhere (a field never filled) changes nothing. The
// range message is shown after the focus change or mouse press that found the bad value has
// ended, so no control is left pressed (an arrow would repeat) and no focus change nests.
class NumericEntryField : public QObject {
    Q_OBJECT
  public:
    NumericEntryField(QLineEdit* text, UpDown* spin, QAbstractButton* defaultButton,
                      AppState& state, RSComm& link, Prompt& prompt, EntryFieldConfig config)
        : NumericEntryField(text, spin, defaultButton, &state, link, prompt, std::move(config)) {}
    // Without a data set (null state): the field stores only through its config's hooks.
    NumericEntryField(QLineEdit* text, UpDown* spin, QAbstractButton* defaultButton,
                      AppState* state, RSComm& link, Prompt& prompt, EntryFieldConfig config);

    // A value from a refresh pass: shown only while the user is not editing the field.
    void showValue(const QString& value);
    // A placeholder such as "-": the field holds no value to commit or step from.
    void showBlank(const QString& text);
    // A value the page puts in whatever the operator is doing (a label load): shown, and taken
    // as the value to restore when the field has the focus.
    void refill(const QString& value);
    bool editing() const { return m_editing; }
    // The text holds what the operator typed since entering the field.
    bool typed() const { return m_typed; }
    void clearEditing();
    void setRange(int min, int max);
    // The Commit step as leaving the field would run it; false when the value was refused
    // (the range message follows once the current event has been handled).
    bool commit() { return commitStep(); }
    // The same for a command that needs the answer now (a dialog's Save): a refused value's
    // range message has been shown when it returns.
    bool commitNow();
    QLineEdit* textBox() const { return m_text; }
    UpDown* spin() const { return m_spin; }

    // A refused value waits for its range message or the message is open: a command that the
    // same click or access key started must not run.
    bool refusing() const { return m_refusing; }

    // The text box's property that points back at its field.
    static constexpr const char* kFieldProperty = "kalvexEntryField";

    // The field that holds the keyboard focus, if any.
    static NumericEntryField* focused();

  Q_SIGNALS:
    // An accepted value was stored (and written when online).
    void committed(int value);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void enterStep();
    bool keyStep(int key);
    bool commitStep();
    void leaveUnstored();
    void refuse();
    void showRangeMessage();
    bool spinPressed();
    void spinStep(int direction);
    void storeAndWrite(int value);
    bool canWrite() const;
    void restoreSaved();

    QLineEdit* m_text;
    UpDown* m_spin;
    QAbstractButton* m_default;
    AppState* m_state;
    RSComm& m_link;
    Prompt& m_prompt;
    EntryFieldConfig m_config;
    bool m_editing = false;
    bool m_escArmed = false;
    bool m_filled = false;            // the text came from the board, the data set or a commit
    bool m_typed = false;             // the operator changed the text since entering
    bool m_refusing = false;          // a refused value waits for its range message
    QObject* m_clickFilter = nullptr; // swallows the end of the click that found the value
    int m_commits = 0;
    qint32 m_saved = 0;
    QString m_savedText;
};

} // namespace kalvex
