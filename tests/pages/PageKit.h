#pragma once
// What the page tests share: making each machine page, reading what a control shows, and board
// addresses written compactly.
#include "data/AppState.h"
#include "link/Address.h"
#include "support/Controls.h"
#include "support/LinkFixture.h"
#include "support/Pages.h"
#include "widgets/pages/MachinePage.h"
#include "widgets/pages/frm5800DF1.h"
#include "widgets/pages/frmColorControl.h"
#include "widgets/pages/frmData.h"
#include "widgets/pages/frmDisplayIO.h"
#include "widgets/pages/frmMain.h"
#include "widgets/pages/frmSetup.h"

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

// What every machine page promises (PageContractTest), one row a page.
struct Contract {
    const char* name;
    test::MakePage make;
    const char* firstReads; // what showing the page online reads before its first pass
    const char* firstWrite; // "B63=1": what the first pass writes
    const char* reads;      // every online pass, in order
    const char* probe;      // "W164=1500 lblp9150State3 1500": a board value and where it shows
    const char* dashes;     // show "-" offline
    const char* disabled;   // disabled offline, enabled online
    const char* items;      // "37:lblData37": data-set items shown offline
    const char* editable;   // enabled offline only with offline editing
};

// clang-format off
inline const Contract kContracts[] = {
    {"MainDisplay", make<frmMain>(), "B2088", "", "W112 W526 D1100 D1104 D1304",
     "D1100=1234567 lblDisplay2 1,234,567", "lblDisplay0 lblDisplay1 txtSpindleBlowoff",
     "txtSpindleBlowoff updSpindleNumber cmdSingleBlowoff cmdBlanketBlowoff cmdMandrelBlowoff cmdBadCanBlowoff lblDisplay0 fraDisplay1",
     "37:lblDisplay2 38:lblDisplay3 121:lblDisplay4", ""},
    {"Setup", make<frmSetup>(), "", "", "W1092 W1094 W1096 W526",
     "W1092=650 txtSetup0 650", "lblDisplay0", "cmdQCTest0", "122:txtSetup0 124:txtSetup2", "txtSetup0"},
    {"ColorControl", make<frmColorControl>(), "W690 B692", "B63=1",
     "F119 W686 B720*8 W730*8 W520 W522 B130 B61", "W734=280 txtColorCtrl10 280", "",
     "fraColorCtrl3 chkDuctorManual0 cmdDuctorsManualON cmdDuctorsManualOFF", "143:txtColorCtrl16", ""},
    {"Shift", make<frmData>(), "", "", "B599 B1011 W1020*36", "W1020=12 lblData1 12",
     "lblData0", "cmdResetTrips", "0:txtSpindleTripOffset 1:lblData1 37:lblData37", ""},
    {"Io", make<frmDisplayIO>(), "", "",
     "F18 F17 W162 W164 B166 B167 W180 W112 W184 W186 W188 W170 W100 W110 W120 W130",
     "W164=1500 lblp9150State3 1500", "lblSlot00State0 lblp9150State1", "lblSlot00State0", "", ""},
    {"Df1", make<frm5800DF1>(), "", "",
     "B1423 B1421 B1422 W1416 B1414 B1426 B1702 B1703 W1704 B1401 B1450 B1411",
     "B1401=241 cboSetup SLC500", "lblDisplay0", "lblDisplay3", "1745:txtSetup0 1746:txtSetup1", "txtSetup1 cboSetup"},
};
// clang-format on

// A page's other tabs: what a pass reads there, in order, and a board value it shows.
struct TabReads {
    const char* name;
    MakePage make;
    std::function<void(MachinePage&, int)> select;
    int tab;
    const char* reads;
    const char* probe; // "D1112=4321 lblData42 4,321"; "" for none
};

template <class Page> std::function<void(MachinePage&, int)> selects() {
    return [](MachinePage& p, int tab) { static_cast<Page&>(p).selectTab(tab); };
}

// clang-format off
inline const TabReads kTabReads[] = {
    {"Shift1", make<frmData>(), selects<frmData>(), 1, "D1100 D1104 D1108 D1116 D1120 D1112 W1124*36", "D1112=4321 lblData42 4,321"},
    {"Shift2", make<frmData>(), selects<frmData>(), 2, "D1200 D1204 D1208 D1216 D1220 D1212 W1224*36", ""},
    {"Setup1", make<frmSetup>(), selects<frmSetup>(), 1, "W690 B692 B1013 B1014 B694", ""},
    {"Setup2", make<frmSetup>(), selects<frmSetup>(), 2, "W1004 B1003 B1000 B1001 B1002 B1010 B1006 B1007 B1008 B1009", ""},
    {"Setup3", make<frmSetup>(), selects<frmSetup>(), 3, "W830 W832 W834 F119 W180 W512", "W180=725 lblDisplay2 5"},
    {"Setup3Resolver", make<frmSetup>(), selects<frmSetup>(), 3, "W830 W832 W834 F119 W180 W512", "W512=359 lblDisplay3 359"},
};
// clang-format on

// One page on the simulated board, its refresh cycle stepped by hand.
template <class Page> class PageTest : public LinkFixture {
  protected:
    int runPass() { return test::runPass(page.refreshLoop()); }
    template <class W = QWidget> W* at(const QString& name) const { return control<W>(page, name); }
    QString text(const QString& name) const { return shownText(at(name)); }

    UsLocale locale;
    AppState state;
    Page page{state, link, prompt};
};

} // namespace kalvex::test
