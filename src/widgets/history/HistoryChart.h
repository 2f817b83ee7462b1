#pragma once
#include "data/history/HistoryTypes.h"

#include <QChartView>

#include <vector>

class QAbstractSeries;
class QDateTimeAxis;
class QValueAxis;

namespace kalvex {

class HistoryStore;

// The timeline: machine CPM, good cans and blow-offs per minute as the lowest and highest
// value of each time bucket, alarm spans shaded, other events marked along the bottom. A
// stretch without readings is a gap in the line, never a zero. Drag to zoom into a time span,
// the wheel or +/- zoom, the arrow keys pan, a right click or Home shows the whole range.
class HistoryChart final : public QChartView {
    Q_OBJECT
  public:
    explicit HistoryChart(QWidget* parent = nullptr);

    void load(const HistoryStore& store, qint64 fromMs, qint64 toMs,
              const std::vector<HistoryEvent>& events);
    // The time span shown, after zoom and pan.
    qint64 visibleFromMs() const;
    qint64 visibleToMs() const;

  Q_SIGNALS:
    void visibleRangeChanged();

  protected:
    void keyPressEvent(QKeyEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

  private:
    void addSeries(const QString& name, const std::vector<HistoryBucket>& buckets, qint64 bucketSec,
                   const QColor& colour);
    void addAlarmSpans(const std::vector<HistoryEvent>& events, qint64 fromMs, qint64 toMs);
    void addEventMarks(const std::vector<HistoryEvent>& events);
    void attach(QAbstractSeries* s);
    void resetZoom();

    QDateTimeAxis* m_x = nullptr;
    QValueAxis* m_y = nullptr;
    qint64 m_fromMs = 0, m_toMs = 0;
    double m_top = 100;
};

} // namespace kalvex
