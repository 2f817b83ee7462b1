#pragma once
#include "link/Address.h"
#include "widgets/pages/RefreshLoop.h"

#include <QApplication>
#include <QLocale>
#include <QString>
#include <QTest>
#include <gtest/gtest.h>

#include <vector>

namespace kalvex::test {

// One refresh pass (the step that lays it out, then one per board request); returns the steps.
inline int runPass(RefreshLoop& loop) {
    int steps = loop.step() ? 1 : 0;
    while (loop.pending() > 0 && loop.step())
        ++steps;
    return steps;
}

// Shows a window as the active one, so its refresh loop may step and its fields take the focus.
inline void showActive(QWidget& w) {
    w.show();
    QApplication::setActiveWindow(&w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
}

// Counts grouped the US way while it lives.
struct UsLocale {
    UsLocale() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    ~UsLocale() { QLocale::setDefault(QLocale::c()); }
};

// The memory bytes behind board addresses, in order.
inline std::vector<int> bytesOf(const std::vector<QString>& adds) {
    std::vector<int> out;
    for (const QString& a : adds) {
        const ParsedAddress p = parseAddress(a);
        for (int k = 0; k < p.byteCount(); ++k)
            out.push_back(int(p.byteAddress) + k);
    }
    return out;
}

} // namespace kalvex::test
