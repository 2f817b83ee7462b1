#pragma once
#include "widgets/pages/NumericEntryField.h"

#include <QObject>

#include <functional>
#include <map>
#include <utility>

class QAbstractButton;
class QLineEdit;

namespace kalvex {

class AppState;
class Prompt;
class RSComm;
class UpDown;

// The entry fields of one page, by index: the refresh shows values through it, commands ask it
// whether a refused value is pending, and bounds that follow something else (another field's
// value, the spindle count) are rules it applies before every pass and after every commit.
class EntryFieldGroup : public QObject {
    Q_OBJECT
  public:
    using Bounds = std::pair<int, int>;
    using RangeRule = std::function<Bounds()>;

    EntryFieldGroup(AppState& state, RSComm& link, Prompt& prompt, QAbstractButton* defaultButton,
                    QObject* parent)
        : EntryFieldGroup(&state, link, prompt, defaultButton, parent) {}
    // Fields without a data set (a dialog's): they store only through their configs' hooks.
    EntryFieldGroup(AppState* state, RSComm& link, Prompt& prompt, QAbstractButton* defaultButton,
                    QObject* parent);

    NumericEntryField* add(int index, QLineEdit* text, UpDown* spin, EntryFieldConfig config,
                           Bounds bounds);
    NumericEntryField* field(int index) const;
    // The field's text box, or null where the index has no field.
    QLineEdit* textBox(int index) const;
    // The value shown in a field as a whole number; 0 when it holds none.
    int value(int index) const;

    void showValue(int index, const QString& value);
    void clearEditing();

    void setRangeRule(int index, RangeRule rule);
    void updateRanges();

    // A refused value waits for its range message, or the message is open: a command that the
    // same click or access key started must not run.
    bool refusalPending() const;

  private:
    AppState* m_state;
    RSComm& m_link;
    Prompt& m_prompt;
    QAbstractButton* m_default;
    std::map<int, NumericEntryField*> m_fields;
    std::map<int, RangeRule> m_rules;
};

} // namespace kalvex
