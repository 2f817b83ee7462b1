#include "widgets/pages/EntryFieldGroup.h"

#include "link/TextNumber.h"

#include <QLineEdit>

#include <algorithm>

namespace kalvex {

EntryFieldGroup::EntryFieldGroup(AppState* state, RSComm& link, Prompt& prompt,
                                 QAbstractButton* defaultButton, QObject* parent)
    : QObject(parent), m_state(state), m_link(link), m_prompt(prompt), m_default(defaultButton) {}

NumericEntryField* EntryFieldGroup::add(int index, QLineEdit* text, UpDown* spin,
                                        EntryFieldConfig config, Bounds bounds) {
    auto* f =
        new NumericEntryField(text, spin, m_default, m_state, m_link, m_prompt, std::move(config));
    f->setRange(bounds.first, bounds.second);
    connect(f, &NumericEntryField::committed, this, &EntryFieldGroup::updateRanges);
    m_fields[index] = f;
    return f;
}

NumericEntryField* EntryFieldGroup::field(int index) const {
    const auto it = m_fields.find(index);
    return it == m_fields.end() ? nullptr : it->second;
}

int EntryFieldGroup::value(int index) const {
    const NumericEntryField* f = field(index);
    return f ? valueOf(f->textBox()->text()) : 0;
}

QLineEdit* EntryFieldGroup::textBox(int index) const {
    const NumericEntryField* f = field(index);
    return f ? f->textBox() : nullptr;
}

void EntryFieldGroup::showValue(int index, const QString& value) {
    if (NumericEntryField* f = field(index)) f->showValue(value);
}

void EntryFieldGroup::clearEditing() {
    for (const auto& [index, f] : m_fields)
        f->clearEditing();
}

void EntryFieldGroup::setRangeRule(int index, RangeRule rule) {
    m_rules[index] = std::move(rule);
    updateRanges();
}

void EntryFieldGroup::updateRanges() {
    for (const auto& [index, rule] : m_rules)
        if (NumericEntryField* f = field(index)) {
            const auto [min, max] = rule();
            f->setRange(min, max);
        }
}

bool EntryFieldGroup::refusalPending() const {
    return std::any_of(m_fields.begin(), m_fields.end(),
                       [](const auto& entry) { return entry.second->refusing(); });
}

} // namespace kalvex
