#include "widgets/shell/StatusBar.h"

#include <QDateTime>
#include <QHelpEvent>
#include <QLocale>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

namespace kalvex {

namespace {

struct PanelLayout {
    const char* key;
    const char* text;
    const char* name; // what a screen reader says
    const char* toolTip;
    int stretch;
};

constexpr PanelLayout kPanels[] = {
    {"STATUS", "System Message:", "Status Display", "System Status Display Messages", 1},
    {"MODE", "OFFLINE", "Online Mode", "Communications Mode", 0},
    {"DATE", "", "Current Date", "Current Date", 0},
    {"TIME", "", "Current Time", "Current Time", 0},
};

} // namespace

void StatusPanel::mouseDoubleClickEvent(QMouseEvent* e) {
    QLabel::mouseDoubleClickEvent(e);
    Q_EMIT doubleClicked();
}

QSize StatusPanel::minimumSizeHint() const {
    return {minimumWidth(), QLabel::minimumSizeHint().height()};
}

QString StatusPanel::shownText() const {
    const int width = contentsRect().width() - 2 * margin();
    return fontMetrics().elidedText(text(), Qt::ElideRight, width);
}

void StatusPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    drawFrame(&painter);
    const QRect r = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    style()->drawItemText(&painter, r, int(alignment()), palette(), isEnabled(), shownText(),
                          foregroundRole());
}

bool StatusPanel::event(QEvent* e) {
    if (e->type() == QEvent::ToolTip && shownText() != text()) {
        QToolTip::showText(static_cast<QHelpEvent*>(e)->globalPos(), text(), this);
        return true;
    }
    return QLabel::event(e);
}

StatusBar::StatusBar(QWidget* parent) : QStatusBar(parent) {
    setObjectName(QStringLiteral("sbrMain"));
    setSizeGripEnabled(false);
    for (int i = 0; i < 4; ++i) {
        const PanelLayout& panel = kPanels[i];
        auto* p = new StatusPanel(QString::fromLatin1(panel.text), this);
        p->setObjectName(QLatin1String(panel.key));
        p->setAccessibleName(QString::fromLatin1(panel.name));
        p->setToolTip(QString::fromLatin1(panel.toolTip));
        p->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        p->setMargin(2);
        if (i == 1)
            p->setMinimumWidth(p->fontMetrics().horizontalAdvance(QStringLiteral("OFFLINE")) + 24);
        if (i == 0) p->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        addPermanentWidget(p, panel.stretch);
        connect(p, &StatusPanel::doubleClicked, this, [this, i] { Q_EMIT panelDblClick(i + 1); });
        m_panels[size_t(i)] = p;
    }
    refreshClock();
    m_clock.setInterval(1000);
    connect(&m_clock, &QTimer::timeout, this, &StatusBar::refreshClock);
    m_clock.start();
}

void StatusBar::refreshClock() {
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale locale;
    panel(Date)->setText(locale.toString(now.date(), QLocale::ShortFormat));
    panel(Time)->setText(locale.toString(now.time(), QLocale::ShortFormat));
}

} // namespace kalvex
