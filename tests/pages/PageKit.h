#pragma once
// What the page tests share: each machine page, what a control shows, addresses and writes.
#include "data/AppState.h"
#include "support/Controls.h"
#include "support/LinkFixture.h"
#include "support/Pages.h"
#include "widgets/pages/NumericEntryField.h"
#include "widgets/pages/UpDown.h"
#include "widgets/pages/frm5800DF1.h"
#include "widgets/pages/frmColorControl.h"
#include "widgets/pages/frmData.h"
#include "widgets/pages/frmDisplayIO.h"
#include "widgets/pages/frmMain.h"
#include "widgets/pages/frmSetup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace kalvex::test {

using Writes = std::vector<std::pair<int, int>>;
using MakePage = std::function<MachinePage*(AppState&, RSComm&, Prompt&)>;

template <class Page> MakePage make() {
    return [](AppState& s, RSComm& l, Prompt& p) { return new Page(s, l, p); };
}

inline QString shownText(const QWidget* w) {
    if (auto* c = qobject_cast<const QCheckBox*>(w)) return c->isChecked() ? "1" : "0";
    if (auto* l = qobject_cast<const QLabel*>(w)) return l->text();
    if (auto* e = qobject_cast<const QLineEdit*>(w)) return e->text();
    if (auto* c = qobject_cast<const QComboBox*>(w)) return c->currentText();
    return QStringLiteral("<no text>");
}

inline QStringList names(const char* list) {
    return QString::fromLatin1(list).split(' ', Qt::SkipEmptyParts);
}

// "B599 W1020*3" -> B599, W1020, W1022, W1024: a run of n addresses of one size.
inline std::vector<QString> addresses(const QString& list) {
    std::vector<QString> out;
    for (const QString& token : list.split(' ', Qt::SkipEmptyParts)) {
        const QStringList run = token.split('*');
        if (run.size() == 1) out.push_back(token);
        const ParsedAddress first = parseAddress(run[0]);
        for (int k = 0; run.size() > 1 && k < run[1].toInt(); ++k)
            out.push_back(run[0][0] + QString::number(first.byteAddress + k * first.byteCount()));
    }
    return out;
}

// "B720=50 W730*2=350 F825=1" -> byte writes in order, low byte first; a flag's byte: its bit.
inline Writes writesOf(const char* list) {
    Writes out;
    for (const QString& token : names(list)) {
        const qint64 v = token.section('=', 1).toLongLong();
        for (const QString& a : addresses(token.section('=', 0, 0))) {
            const ParsedAddress p = parseAddress(a);
            for (int k = 0; k < p.byteCount(); ++k)
                out.emplace_back(int(p.byteAddress) + k,
                                 p.bitMode ? int(v) * p.bitMask : int(v >> (8 * k) & 255));
        }
    }
    return out;
}

template <class Page> class PageTest : public LinkFixture {
  protected:
    int runPass() { return test::runPass(page.refreshLoop()); }
    template <class W = QWidget> W* at(const QString& name) const { return control<W>(page, name); }
    QString text(const QString& name) const { return shownText(at(name)); }
    // Shown online (on `tab`), its first pass made.
    void open(int tab = 0) {
        showActive(page);
        if constexpr (requires { page.selectTab(tab); }) page.selectTab(tab);
        runPass(); // (after a tab change, the pass that notices it ends at once)
        clearTranscript();
    }
    // Types into a field and leaves it with `key`; a range message it causes is shown.
    void enter(QLineEdit* field, const QString& typed, Qt::Key key = Qt::Key_Tab) {
        field->setFocus(Qt::MouseFocusReason);
        field->selectAll();
        QTest::keyClicks(field, typed);
        QTest::keyClick(field, key);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    }

    UsLocale locale;
    AppState state;
    Page page{state, link, prompt};
};

} // namespace kalvex::test
