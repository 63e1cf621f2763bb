#include "app/HistogramChart.h"

#include <QAreaSeries>
#include <QChart>
#include <QGraphicsLayout>
#include <QGraphicsRectItem>
#include <QLineSeries>
#include <QMouseEvent>
#include <QValueAxis>

namespace orvane::app {

HistogramChart::HistogramChart(QWidget* parent) : QChartView(parent) {
    auto* chart = new QChart;
    chart->legend()->hide();
    chart->setTitle(QString());
    chart->setBackgroundRoundness(0);
    chart->setMargins(QMargins(2, 2, 2, 2));
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setPlotAreaBackgroundVisible(false);

    barTops_ = new QLineSeries(this);
    barSeries = new QAreaSeries(barTops_);
    barSeries->setBrush(Qt::black);
    barSeries->setPen(Qt::NoPen);
    markerSeries = new QLineSeries;
    QPen markerPen(Qt::red);
    markerPen.setWidth(3);
    markerSeries->setPen(markerPen);
    chart->addSeries(barSeries);
    chart->addSeries(markerSeries);
    // The colour range's ends: blue dashes across the plot.
    QPen rangePen(QColor(0, 90, 255));
    rangePen.setWidth(2);
    rangePen.setStyle(Qt::DashLine);
    for (QLineSeries** end : {&rangeLow_, &rangeHigh_}) {
        *end = new QLineSeries(this);
        (*end)->setPen(rangePen);
        chart->addSeries(*end);
    }

    levelAxis_ = new QValueAxis;
    levelAxis_->setRange(0, 255);
    levelAxis_->setMinorTickCount(4);
    levelAxis_->setLabelFormat(QStringLiteral("%d"));
    levelAxis_->setLinePen(QPen(Qt::gray));
    levelAxis_->setGridLineVisible(false);
    levelAxis_->setMinorGridLineVisible(false);
    QFont labels = levelAxis_->labelsFont();
    labels.setPixelSize(9);
    levelAxis_->setLabelsFont(labels);
    valueAxis_ = new QValueAxis;
    valueAxis_->setRange(0, 1);
    valueAxis_->hide();
    chart->addAxis(levelAxis_, Qt::AlignBottom);
    chart->addAxis(valueAxis_, Qt::AlignLeft);
    for (QAbstractSeries* s :
         {static_cast<QAbstractSeries*>(barSeries), static_cast<QAbstractSeries*>(markerSeries),
          static_cast<QAbstractSeries*>(rangeLow_), static_cast<QAbstractSeries*>(rangeHigh_)}) {
        s->attachAxis(levelAxis_);
        s->attachAxis(valueAxis_);
    }
    setChart(chart);
    setRenderHint(QPainter::Antialiasing, false);
    setRubberBand(QChartView::NoRubberBand);

    rubberBand_ = new QGraphicsRectItem;
    rubberBand_->setPen(QPen(Qt::red, 2));
    rubberBand_->hide();
    chart->scene()->addItem(rubberBand_);
}

void HistogramChart::ShowBars(const panels::HistogramBars& heights) {
    markerSeries->clear();
    chart()->zoomReset();
    valueAxis_->setRange(0, 1);
    levelAxis_->setRange(0, 255);
    heights_.clear();
    QList<QPointF> outline;
    outline.reserve(2 * int(heights.size()));
    for (int i = 0; i < int(heights.size()); ++i) {
        heights_.append(heights[i]);
        outline.append({i - 0.5, heights[i]});
        outline.append({i + 0.5, heights[i]});
    }
    barTops_->replace(outline);
}

void HistogramChart::ShowMarker(int level) {
    markerSeries->clear();
    for (const panels::ChartPoint& p : panels::LevelMarkerPoints(level))
        markerSeries->append(p.X, p.Y);
}

void HistogramChart::ShowRangeEnds(std::optional<std::pair<double, double>> levels) {
    rangeLow_->clear();
    rangeHigh_->clear();
    if (!levels)
        return;
    rangeLow_->append({{levels->first, 0}, {levels->first, 1}});
    rangeHigh_->append({{levels->second, 0}, {levels->second, 1}});
}

QList<double> HistogramChart::RangeEnds() const {
    QList<double> ends;
    for (const QLineSeries* end : {rangeLow_, rangeHigh_})
        if (!end->points().isEmpty())
            ends << end->points().first().x();
    return ends;
}

QList<double> HistogramChart::BarHeights() const {
    return heights_;
}

QList<QPointF> HistogramChart::MarkerPoints() const {
    return markerSeries->points();
}

void HistogramChart::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton)
        return;
    dragButton_ = event->button();
    dragStart_ = dragLast_ = event->position();
    event->accept();
}

void HistogramChart::mouseMoveEvent(QMouseEvent* event) {
    if (dragButton_ == Qt::LeftButton) {
        const QRectF plot = chart()->plotArea();
        const QPointF now = event->position();
        // Only the level axis zooms: the band spans the plot's full height.
        QRectF band(QPointF(std::min(dragStart_.x(), now.x()), plot.top()),
                    QPointF(std::max(dragStart_.x(), now.x()), plot.bottom()));
        rubberBand_->setRect(band);
        rubberBand_->setVisible(now.x() > dragStart_.x());
    } else if (dragButton_ == Qt::RightButton) {
        chart()->scroll(dragLast_.x() - event->position().x(), 0);
    }
    dragLast_ = event->position();
    event->accept();
}

void HistogramChart::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != dragButton_)
        return;
    if (dragButton_ == Qt::LeftButton) {
        rubberBand_->hide();
        const qreal endX = event->position().x();
        if (endX > dragStart_.x() + 2) {
            const QRectF plot = chart()->plotArea();
            chart()->zoomIn(
                QRectF(QPointF(dragStart_.x(), plot.top()), QPointF(endX, plot.bottom())));
        } else if (endX < dragStart_.x() - 2) {
            chart()->zoomReset();
            levelAxis_->setRange(0, 255);
        }
    }
    dragButton_ = Qt::NoButton;
    event->accept();
}

void HistogramChart::wheelEvent(QWheelEvent* event) {
    event->ignore();
}

} // namespace orvane::app
