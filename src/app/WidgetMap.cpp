#include "app/WidgetMap.h"

#include "link/SafeFile.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTextStream>

#include <functional>

namespace kalvex::app {

namespace {

QString nameOf(const QObject* o) {
    return o->objectName().isEmpty() ? QString::fromLatin1(o->metaObject()->className())
                                     : o->objectName();
}

QString textOf(const QWidget* w) {
    if (auto* e = qobject_cast<const QLineEdit*>(w)) return e->text();
    if (auto* t = qobject_cast<const QPlainTextEdit*>(w)) return t->toPlainText();
    if (auto* l = qobject_cast<const QLabel*>(w)) return l->text();
    if (auto* b = qobject_cast<const QAbstractButton*>(w)) return b->text();
    if (auto* m = qobject_cast<const QMessageBox*>(w)) return m->text();
    if (auto* c = qobject_cast<const QComboBox*>(w)) return c->currentText();
    if (w->isWindow()) return w->windowTitle();
    return {};
}

void line(QTextStream& out, const QString& name, const QWidget* w, QRect r, const QString& text) {
    r.moveTopLeft(w->mapToGlobal(r.topLeft()));
    QString flat = text;
    flat.replace(u'\t', u' ').replace(u'\n', u' ').replace(u'\r', u' ');
    out << name << '\t' << r.x() << '\t' << r.y() << '\t' << r.width() << '\t' << r.height() << '\t'
        << flat << '\n';
}

void parts(QTextStream& out, const QWidget* w) {
    const QString name = nameOf(w);
    if (auto* tabs = qobject_cast<const QTabBar*>(w))
        for (int i = 0; i < tabs->count(); ++i)
            line(out, name + QStringLiteral(".tab%1").arg(i), w, tabs->tabRect(i),
                 tabs->tabText(i));
    QList<QAction*> actions;
    std::function<QRect(QAction*)> rect;
    if (auto* bar = qobject_cast<const QMenuBar*>(w)) {
        actions = bar->actions();
        rect = [bar](QAction* a) { return bar->actionGeometry(a); };
    } else if (auto* menu = qobject_cast<const QMenu*>(w)) {
        actions = menu->actions();
        rect = [menu](QAction* a) { return menu->actionGeometry(a); };
    }
    for (QAction* a : actions)
        if (!a->isSeparator()) line(out, name + u':' + a->text(), w, rect(a), QString());
}

} // namespace

bool writeWidgetMap(const QString& path) {
    QString text;
    QTextStream out(&text);
    const QWidget* focus = QApplication::focusWidget();
    out << "focus\t" << (focus ? nameOf(focus) : QStringLiteral("-")) << '\n';
    for (const QWidget* w : QApplication::allWidgets()) {
        if (!w->isVisible()) continue;
        line(out, nameOf(w), w, w->rect(), textOf(w));
        parts(out, w);
    }
    out.flush();
    return saveFileAtomically(path, text.toUtf8()).isEmpty();
}

} // namespace kalvex::app
