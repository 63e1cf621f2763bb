#pragma once
#include "panels/Histogram.h"

#include <QChartView>
#include <optional>
#include <utility>

class QAreaSeries;
class QGraphicsRectItem;
class QLineSeries;
class QValueAxis;

namespace orvane::app {

// The histogram chart: 256 black bars over a level axis fixed at 0..255 and a
// hidden value axis at 0..1, and a red marker spike. The user zooms the level
// axis with a left drag towards the right (a drag to the left undoes the
// zoom) and pans it with a right drag; the wheel does nothing.
class HistogramChart : public QChartView {
    Q_OBJECT
public:
    explicit HistogramChart(QWidget* parent);

    // The bars, drawn as one filled outline: bar i spans i - 0.5 .. i + 0.5,
    // which stays crisp at about one pixel per level.
    QAreaSeries* barSeries = nullptr;
    QLineSeries* markerSeries = nullptr; // the level marker

    // Clears both series, resets both axes and shows the bars.
    void ShowBars(const panels::HistogramBars& bars);
    void ShowMarker(int level);
    // Marks the colour range's ends on the level axis; nothing takes them off.
    void ShowRangeEnds(std::optional<std::pair<double, double>> levels);
    QList<double> RangeEnds() const;

    QValueAxis* ValueAxis() const { return valueAxis_; }
    // The bar heights and marker points now shown, for reports and tests.
    QList<double> BarHeights() const;
    QList<QPointF> MarkerPoints() const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    QLineSeries* barTops_ = nullptr;
    QLineSeries* rangeLow_ = nullptr;
    QLineSeries* rangeHigh_ = nullptr;
    QList<double> heights_;
    QValueAxis* levelAxis_ = nullptr;
    QValueAxis* valueAxis_ = nullptr;
    QGraphicsRectItem* rubberBand_ = nullptr;
    Qt::MouseButton dragButton_ = Qt::NoButton;
    QPointF dragStart_, dragLast_;
};

} // namespace orvane::app
