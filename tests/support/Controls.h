#pragma once
#include <QObject>
#include <QString>

#include <cstdio>
#include <cstdlib>

namespace kalvex::test {

// A window's control by its objectName. A missing control ends the test binary with its name:
// every test after it would only fail on a null pointer.
template <class W> W* control(const QObject& parent, const QString& name) {
    W* w = parent.findChild<W*>(name);
    if (!w) {
        std::fprintf(stderr, "no control named %s under %s\n", qPrintable(name),
                     qPrintable(parent.objectName()));
        std::abort();
    }
    return w;
}

} // namespace kalvex::test
