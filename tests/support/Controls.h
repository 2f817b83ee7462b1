#pragma once
#include <QObject>
#include <QString>

namespace kalvex::test {

// A window's control by its objectName; a missing one ends the binary (not a null pointer later).
template <class W> W* control(const QObject& parent, const QString& name) {
    W* w = parent.findChild<W*>(name);
    if (!w)
        qFatal("no control named %s under %s", qPrintable(name), qPrintable(parent.objectName()));
    return w;
}

} // namespace kalvex::test
