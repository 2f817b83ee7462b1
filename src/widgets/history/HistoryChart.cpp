#include "widgets/history/HistoryChart.h"

#include "data/history/HistoryRecorder.h"
#include "data/history/HistoryStore.h"

#include <QAreaSeries>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QKeyEvent>
#include <QLegendMarker>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>

#include <set>

namespace kalvex {

HistoryChart::HistoryChart(QWidget* parent) : QChartView(new QChart, parent) {
    setObjectName(QStringLiteral("chtHistory"));
    setRubberBand(QChartView::HorizontalRubberBand);
    setRenderHint(QPainter::Antialiasing);
    setFocusPolicy(Qt::StrongFocus);
    chart()->legend()->setAlignment(Qt::AlignBottom);
    m_x = new QDateTimeAxis;
    m_y = new QValueAxis;
    m_y->setTitleText(QStringLiteral("per minute"));
    m_y->setLabelFormat(QStringLiteral("%.0f"));
    chart()->addAxis(m_x, Qt::AlignBottom);
    chart()->addAxis(m_y, Qt::AlignLeft);
    connect(m_x, &QDateTimeAxis::rangeChanged, this, &HistoryChart::visibleRangeChanged);
}

void HistoryChart::attach(QAbstractSeries* s) {
    chart()->addSeries(s);
    s->attachAxis(m_x);
    s->attachAxis(m_y);
}

void HistoryChart::load(const HistoryStore& store, qint64 fromMs, qint64 toMs,
                        const std::vector<HistoryEvent>& events) {
    chart()->removeAllSeries();
    m_fromMs = fromMs;
    m_toMs = toMs;
    const qint64 fromSec = fromMs / 1000, toSec = (toMs + 999) / 1000;
    const qint64 bucket = HistoryStore::bucketFor(toSec - fromSec);
    m_top = 10;
    const struct {
        HistorySeries series;
        const char* name;
        QColor colour;
    } lines[] = {{kSeriesCpm, "Machine CPM", QColor(0, 90, 200)},
                 {kSeriesGoodPerMin, "Good cans / min", QColor(0, 150, 60)},
                 {kSeriesBlowoffsPerMin, "Blow-offs / min", QColor(220, 120, 0)}};
    for (const auto& l : lines) {
        const std::vector<HistoryBucket> b = store.buckets(l.series, fromSec, toSec, bucket);
        for (const HistoryBucket& v : b)
            m_top = std::max(m_top, v.max);
        addSeries(QString::fromLatin1(l.name), b, bucket, l.colour);
    }
    m_top *= 1.1;
    addAlarmSpans(events, fromMs, toMs);
    addEventMarks(events);
    resetZoom();
}

// Each run of buckets without a gap is a line of its own, all in the series' colour; the
// legend names the series once.
void HistoryChart::addSeries(const QString& name, const std::vector<HistoryBucket>& buckets,
                             qint64 bucketSec, const QColor& colour) {
    const qint64 gap = std::max<qint64>(3 * bucketSec, 30);
    QLineSeries* line = nullptr;
    bool named = false;
    for (size_t i = 0; i < buckets.size(); ++i) {
        if (!line || buckets[i].sec - buckets[i - 1].sec > gap) {
            line = new QLineSeries;
            line->setName(name);
            line->setColor(colour);
            attach(line);
            if (named)
                for (QLegendMarker* m : chart()->legend()->markers(line))
                    m->setVisible(false);
            named = true;
        }
        const HistoryBucket& b = buckets[i];
        line->append(double(b.sec * 1000), b.min);
        if (b.max != b.min) line->append(double(b.sec * 1000 + bucketSec * 500), b.max);
    }
}

// Shaded from an alarm raised until no alarm bit is left set, or the link went offline (what
// the board held after that is unknown), or the range ends.
void HistoryChart::addAlarmSpans(const std::vector<HistoryEvent>& events, qint64 fromMs,
                                 qint64 toMs) {
    std::set<QString> active;
    qint64 start = 0;
    bool named = false;
    const auto close = [&](qint64 endMs) {
        auto* upper = new QLineSeries;
        auto* lower = new QLineSeries;
        upper->append(double(start), m_top);
        upper->append(double(endMs), m_top);
        lower->append(double(start), 0);
        lower->append(double(endMs), 0);
        auto* area = new QAreaSeries(upper, lower);
        area->setName(QStringLiteral("Alarm active"));
        area->setColor(QColor(220, 0, 0, 45));
        area->setBorderColor(Qt::transparent);
        attach(area);
        if (named)
            for (QLegendMarker* m : chart()->legend()->markers(area))
                m->setVisible(false);
        named = true;
    };
    for (const HistoryEvent& e : events) {
        const bool ends = e.kind == HistoryKind::Offline || e.kind == HistoryKind::LinkLost;
        if (e.kind == HistoryKind::AlarmRaised) {
            if (active.empty()) start = std::max(e.ms, fromMs);
            active.insert(e.subject);
        } else if ((e.kind == HistoryKind::AlarmCleared && active.erase(e.subject) &&
                    active.empty()) ||
                   (ends && !active.empty())) {
            active.clear();
            close(e.ms);
        }
    }
    if (!active.empty()) close(toMs);
}

void HistoryChart::addEventMarks(const std::vector<HistoryEvent>& events) {
    auto* marks = new QScatterSeries;
    marks->setName(QStringLiteral("Events"));
    marks->setMarkerSize(7);
    marks->setColor(QColor(90, 90, 90));
    for (const HistoryEvent& e : events)
        if (e.kind != HistoryKind::AlarmCleared) marks->append(double(e.ms), 0);
    attach(marks);
}

void HistoryChart::resetZoom() {
    m_x->setRange(QDateTime::fromMSecsSinceEpoch(m_fromMs), QDateTime::fromMSecsSinceEpoch(m_toMs));
    m_y->setRange(0, m_top);
    const qint64 span = m_toMs - m_fromMs;
    m_x->setFormat(span > 2 * 86400 * 1000LL ? QStringLiteral("dd.MM hh:mm")
                                             : QStringLiteral("hh:mm"));
}

qint64 HistoryChart::visibleFromMs() const {
    return m_x->min().toMSecsSinceEpoch();
}

qint64 HistoryChart::visibleToMs() const {
    return m_x->max().toMSecsSinceEpoch();
}

// Zoom and pan move the time axis only; the value axis stays put.
void HistoryChart::keyPressEvent(QKeyEvent* e) {
    const qreal step = chart()->plotArea().width() / 10;
    switch (e->key()) {
    case Qt::Key_Left:
        chart()->scroll(-step, 0);
        break;
    case Qt::Key_Right:
        chart()->scroll(step, 0);
        break;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        chart()->zoomIn(chart()->plotArea().adjusted(step, 0, -step, 0));
        break;
    case Qt::Key_Minus:
        chart()->zoomIn(chart()->plotArea().adjusted(-step, 0, step, 0));
        break;
    case Qt::Key_Home:
        resetZoom();
        break;
    default:
        QChartView::keyPressEvent(e);
        return;
    }
    m_y->setRange(0, m_top);
}

void HistoryChart::wheelEvent(QWheelEvent* e) {
    const qreal step = chart()->plotArea().width() / 10 * (e->angleDelta().y() > 0 ? 1 : -1);
    chart()->zoomIn(chart()->plotArea().adjusted(step, 0, -step, 0));
    m_y->setRange(0, m_top);
    e->accept();
}

void HistoryChart::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::RightButton) {
        resetZoom();
        e->accept();
        return;
    }
    QChartView::mouseReleaseEvent(e);
}

} // namespace kalvex
