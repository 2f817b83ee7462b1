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
    // Range message text for min and max; empty: the standard text.
    std::function<QString(int, int)> rangeMessage;
    // Replaces the spin's own store and write (e.g. a spin that writes another address).
    std::function<void(int)> spinAction;
};

// The text box + up/down pair bound to a board address and a data-set element. It shows the
// live value while idle, lets the user type or spin, checks the value against the spin
// bounds when the user leaves, stores it and, online, writes it to the board.
class NumericEntryField : public QObject {
    Q_OBJECT
  public:
    NumericEntryField(QLineEdit* text, UpDown* spin, QAbstractButton* defaultButton,
                      AppState& state, RSComm& link, Prompt& prompt, EntryFieldConfig config);

    // A value from a refresh pass: shown only while the user is not editing the field.
    void showValue(const QString& value);
    bool editing() const { return m_editing; }
    void clearEditing() {
        m_editing = false;
        m_escArmed = false;
    }
    void setRange(int min, int max);
    // The Commit step as leaving the field would run it; false when the value was refused.
    bool commit() { return commitStep(); }
    QLineEdit* textBox() const { return m_text; }
    UpDown* spin() const { return m_spin; }
    const EntryFieldConfig& config() const { return m_config; }

  Q_SIGNALS:
    // An accepted value was stored (and written when online).
    void committed(int value);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void enterStep();
    bool keyStep(int key);
    bool commitStep();
    void spinStep(int direction);
    void storeAndWrite(int value);
    bool canWrite() const;

    QLineEdit* m_text;
    UpDown* m_spin;
    QAbstractButton* m_default;
    AppState& m_state;
    RSComm& m_link;
    Prompt& m_prompt;
    EntryFieldConfig m_config;
    bool m_editing = false;
    bool m_escArmed = false;
    bool m_inCommit = false;
    int m_commits = 0;
    qint32 m_saved = 0;
};

} // namespace kalvex
