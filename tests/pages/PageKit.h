#pragma once
// What the page tests share: making each machine page, reading what a control shows, and board
// addresses written compactly.
#include "data/AppState.h"
#include "link/Address.h"
#include "widgets/pages/MachinePage.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include <functional>
#include <vector>

namespace kalvex::test {

using MakePage = std::function<MachinePage*(AppState&, RSComm&, Prompt&)>;

template <class Page> MakePage make() {
    return [](AppState& s, RSComm& l, Prompt& p) { return new Page(s, l, p); };
}

// The text a label, text box or list shows.
inline QString shownText(const QWidget* w) {
    if (auto* l = qobject_cast<const QLabel*>(w)) return l->text();
    if (auto* e = qobject_cast<const QLineEdit*>(w)) return e->text();
    if (auto* c = qobject_cast<const QComboBox*>(w)) return c->currentText();
    return QStringLiteral("<no text>");
}

// "B599 W1020*3" -> B599, W1020, W1022, W1024: a run of n addresses of one size.
inline std::vector<QString> addresses(const char* list) {
    std::vector<QString> out;
    for (const QString& token : QString::fromLatin1(list).split(' ', Qt::SkipEmptyParts)) {
        const QStringList run = token.split('*');
        if (run.size() == 1) out.push_back(token);
        const ParsedAddress first = parseAddress(run[0]);
        for (int k = 0; run.size() > 1 && k < run[1].toInt(); ++k)
            out.push_back(run[0][0] + QString::number(first.byteAddress + k * first.byteCount()));
    }
    return out;
}

} // namespace kalvex::test
