#include "widgets/pages/StaleValue.h"

#include "widgets/pages/NumericEntryField.h"

#include <QLabel>
#include <QLineEdit>
#include <QVariant>

namespace kalvex::stale {

namespace {

const char* const kRead = "kalvexRead";   // a value read since the page was prepared
const char* const kStale = "kalvexStale"; // drawn stale
const char* const kTip = "kalvexToolTip"; // the tool tip before it was marked
const char* const kColor = "kalvexColor"; // the text colour before it was marked
const QColor kStaleText(128, 128, 128);

QPalette::ColorRole textRole(const QWidget* w) {
    return qobject_cast<const QLineEdit*>(w) ? QPalette::Text : QPalette::WindowText;
}

void draw(QWidget* w, bool staleLook, const QString& why) {
    if (w->property(kStale).toBool() == staleLook) {
        if (staleLook) w->setToolTip(why);
        return;
    }
    w->setProperty(kStale, staleLook);
    QFont f = w->font();
    f.setItalic(staleLook);
    w->setFont(f);
    QPalette p = w->palette();
    if (staleLook) {
        w->setProperty(kTip, w->toolTip());
        w->setProperty(kColor, p.color(textRole(w)));
        p.setColor(textRole(w), kStaleText);
        w->setPalette(p);
        w->setToolTip(why);
    } else {
        p.setColor(textRole(w), w->property(kColor).value<QColor>());
        w->setPalette(p);
        w->setToolTip(w->property(kTip).toString());
    }
}

void showPlaceholder(QWidget* w) {
    if (auto* field = qobject_cast<NumericEntryField*>(
            w->property(NumericEntryField::kFieldProperty).value<QObject*>())) {
        if (!field->editing()) field->showBlank(QStringLiteral("-")); // never what is typed
    } else if (auto* label = qobject_cast<QLabel*>(w))
        label->setText(QStringLiteral("-"));
    else if (auto* line = qobject_cast<QLineEdit*>(w))
        line->setText(QStringLiteral("-"));
}

} // namespace

void markRead(QWidget* shows) {
    if (!shows) return;
    shows->setProperty(kRead, true);
    draw(shows, false, {});
}

void markFailed(QWidget* shows, LinkFailure why) {
    if (!shows) return;
    const bool hadValue = shows->property(kRead).toBool();
    if (!hadValue) showPlaceholder(shows);
    draw(
        shows, true,
        hadValue
            ? QStringLiteral("Not updated: %1. The last value read is shown.").arg(failureText(why))
            : QStringLiteral("Not read: %1.").arg(failureText(why)));
}

void forgetAll(QWidget* page) {
    for (QWidget* w : page->findChildren<QWidget*>()) {
        if (!w->property(kRead).isValid() && !w->property(kStale).isValid()) continue;
        w->setProperty(kRead, QVariant());
        draw(w, false, {});
    }
}

bool isStale(const QWidget* shows) {
    return shows && shows->property(kStale).toBool();
}

} // namespace kalvex::stale
