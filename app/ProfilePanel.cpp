#include "app/ProfilePanel.h"

#include "app/CsvExport.h"
#include "app/LayoutFonts.h"
#include "measure/ProfileRoughness.h"
#include "panels/ColourBarTicks.h"

#include <QApplication>
#include <QBoxLayout>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPushButton>
#include <QScatterSeries>
#include <QToolButton>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <vector>

namespace orvane::app {

namespace {

ProfilePanel::SaveAnswer& SaveOverride() {
    static ProfilePanel::SaveAnswer answer;
    return answer;
}

// Ticks at round values (1, 2, 2.5 or 5 times a power of ten, as the colour bar's), labelled
// with the decimals their step needs.
void PlaceRoundTicks(QValueAxis* axis, double low, double high) {
    const std::vector<double> ticks = panels::RoundTicks(low, high);
    if (ticks.size() < 2)
        return;
    const double step = ticks[1] - ticks[0];
    int decimals = 0;
    for (double tick : ticks) {
        const QString text = panels::TickText(tick, step);
        const int point = int(text.indexOf(QLatin1Char('.')));
        decimals = std::max(decimals, point < 0 ? 0 : int(text.size()) - point - 1);
    }
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(ticks.front());
    axis->setTickInterval(step);
    axis->setLabelFormat(QStringLiteral("%.%1f").arg(decimals));
}

// The filter's mean line over the profile in the chart's units: solid over the evaluation range,
// dashed over the ends, where the filter's window is cut short.
void AddMeanLine(QChart* chart, const view2d::Profile& profile,
                 const measure::RoughnessFigures& figures, QAbstractAxis* x, QAbstractAxis* y) {
    QList<QPointF> head, body, tail;
    for (std::size_t i = 0; i < profile.Points.size() && i < figures.MeanLineMm.size(); ++i) {
        const view2d::ProfilePoint& point = profile.Points[i];
        const double mean = figures.MeanLineMm[i];
        if (!point.DistanceMm || !std::isfinite(mean))
            continue;
        const QPointF at(*point.DistanceMm / profile.MmPerLengthUnit,
                         mean / profile.MmPerHeightUnit);
        if (i <= figures.FirstPoint)
            head.append(at);
        if (i >= figures.FirstPoint && i < figures.EndPoint)
            body.append(at);
        if (i + 1 >= figures.EndPoint)
            tail.append(at);
    }
    const QColor colour(230, 110, 0);
    for (const auto& [points, style] :
         {std::pair{head, Qt::DashLine}, std::pair{body, Qt::SolidLine},
          std::pair{tail, Qt::DashLine}}) {
        if (points.size() < 2)
            continue;
        auto* series = new QLineSeries;
        series->setPen(QPen(colour, 1.5, style));
        series->append(points);
        chart->addSeries(series);
        series->attachAxis(x);
        series->attachAxis(y);
    }
}

} // namespace

ProfilePanel::ProfilePanel(QWidget* parent) : QFrame(parent) {
    StyleRaisedPanel(this);
    setFocusPolicy(Qt::ClickFocus); // Ctrl+C reaches the panel once clicked
    hide();
    titleLabel = MakeLabel(this, 0, 0, QStringLiteral("Profile"), TahomaFont(13, true));
    closeButton = MakeCloseButton(this, {0, 0, 20, 22});
    connect(closeButton, &QToolButton::clicked, this, &ProfilePanel::CloseClicked);

    auto* chart = new QChart;
    chart->legend()->hide();
    chart->setBackgroundRoundness(0);
    chart->setMargins(QMargins(2, 2, 2, 2));
    chart->setAnimationOptions(QChart::NoAnimation);
    chartView = new QChartView(chart, this);
    chartView->setMinimumSize(320, 190);
    chartView->setRenderHint(QPainter::Antialiasing);

    figuresLabel = MakeLabel(this, 0, 0, QString(), TahomaFont(11));
    figuresLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    figuresLabel->setToolTip(QStringLiteral(
        "Pa, Pq and Pt are the primary profile's (less the levelling's form, no filter). Ra, Rq, "
        "Rz, Rt, Rp, Rv, Rsk and Rku are the roughness profile's (ISO 4287) after the Gaussian "
        "filter (ISO 16610-21), half a cut-off left out at each end."));
    exportButton = new QPushButton(QStringLiteral("Export CSV..."), this);
    connect(exportButton, &QPushButton::clicked, this, [this] { ExportCsv(); });
    hoverLabel = MakeLabel(this, 0, 0, QString(), TahomaFont(11));
    chartView->viewport()->setMouseTracking(true);
    chartView->viewport()->installEventFilter(this);

    // The chart takes the width; the figures and Export stand at its right, so the panel lies
    // flat along the bottom of the window.
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 4);
    auto* titleRow = new QHBoxLayout;
    titleRow->addStretch(1);
    titleRow->addWidget(titleLabel);
    titleRow->addStretch(1);
    titleRow->addWidget(closeButton);
    outer->addLayout(titleRow);
    auto* body = new QHBoxLayout;
    body->addWidget(chartView, 1);
    auto* side = new QVBoxLayout;
    side->addWidget(figuresLabel);
    side->addStretch(1);
    side->addWidget(hoverLabel);
    side->addWidget(exportButton, 0, Qt::AlignRight);
    body->addLayout(side);
    outer->addLayout(body, 1);
    resize(780, 270);
}

bool ProfilePanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched != chartView->viewport())
        return QFrame::eventFilter(watched, event);
    if (event->type() == QEvent::MouseMove && profile_) {
        QChart* chart = chartView->chart();
        const QPointF at = chart->mapFromScene(
            chartView->mapToScene(static_cast<QMouseEvent*>(event)->position().toPoint()));
        std::optional<std::size_t> point;
        if (!chart->series().isEmpty() && chart->plotArea().contains(at))
            point =
                view2d::NearestPoint(*profile_, chart->mapToValue(at, chart->series().first()).x());
        if (point != hovered_) {
            HoverAt(point);
            emit PointHovered(point ? qint64(*point) : -1);
        }
    } else if (event->type() == QEvent::Leave && hovered_) {
        HoverAt(std::nullopt);
        emit PointHovered(-1);
    }
    return QFrame::eventFilter(watched, event);
}

void ProfilePanel::HoverAt(std::optional<std::size_t> point) {
    if (point && (!profile_ || *point >= profile_->Points.size()))
        point.reset();
    hovered_ = point;
    if (hoverDot_)
        hoverDot_->clear();
    if (!point) {
        hoverLabel->clear();
        return;
    }
    const view2d::ProfilePoint& p = profile_->Points[*point];
    hoverLabel->setText(view2d::PointText(*profile_, p));
    hoverLabel->adjustSize();
    if (hoverDot_ && p.Value)
        hoverDot_->append(view2d::ChartDistance(*profile_, p),
                          profile_->HeightsKnown ? *p.Value / profile_->MmPerHeightUnit : *p.Value);
}

void ProfilePanel::SetDocked(bool docked) {
    // A dock has its own title and close button.
    titleLabel->setVisible(!docked);
    closeButton->setVisible(!docked);
}

void ProfilePanel::SetSaveAnswer(SaveAnswer answer) {
    SaveOverride() = std::move(answer);
}

void ProfilePanel::ShowMeasuring() {
    ShowNotMeasured(QStringLiteral("Measuring..."));
}

void ProfilePanel::ShowNotMeasured(const QString& why) {
    profile_.reset();
    roughness_.reset();
    chartView->chart()->removeAllSeries();
    hoverDot_ = nullptr;
    hovered_.reset();
    hoverLabel->clear();
    figuresLabel->setText(why);
    figuresLabel->adjustSize();
    exportButton->setEnabled(false);
}

void ProfilePanel::ShowProfile(const view2d::Profile& profile,
                               const std::optional<measure::RoughnessOutcome>& roughness) {
    profile_ = profile;
    roughness_ = roughness;
    QChart* chart = chartView->chart();
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes())
        chart->removeAxis(axis);
    const view2d::ProfileCurve curve = view2d::ProfileCurveOf(profile);
    auto* distanceAxis = new QValueAxis;
    distanceAxis->setTitleText(profile.MillimetresKnown
                                   ? QStringLiteral("distance (%1)").arg(profile.LengthUnit)
                                   : QStringLiteral("distance (px)"));
    auto* valueAxis = new QValueAxis;
    valueAxis->setTitleText(profile.HeightsKnown
                                ? QStringLiteral("height (%1)").arg(profile.HeightUnit)
                            : profile.StoredValues ? QStringLiteral("value")
                                                   : QStringLiteral("sample"));
    for (QValueAxis* axis : {distanceAxis, valueAxis}) {
        QFont font = axis->labelsFont();
        font.setPixelSize(9);
        axis->setLabelsFont(font);
        axis->setTitleFont(font);
    }
    distanceAxis->setRange(curve.Distances.first, curve.Distances.second);
    valueAxis->setRange(curve.Values.first, curve.Values.second);
    PlaceRoundTicks(distanceAxis, curve.Distances.first, curve.Distances.second);
    PlaceRoundTicks(valueAxis, curve.Values.first, curve.Values.second);
    chart->addAxis(distanceAxis, Qt::AlignBottom);
    chart->addAxis(valueAxis, Qt::AlignLeft);
    for (const QList<QPointF>& run : curve.Runs) {
        auto* series = new QLineSeries;
        series->setPen(QPen(QColor(20, 60, 160), 1.5));
        series->append(run);
        chart->addSeries(series);
        series->attachAxis(distanceAxis);
        series->attachAxis(valueAxis);
    }
    if (roughness && roughness->Figures)
        AddMeanLine(chart, profile, *roughness->Figures, distanceAxis, valueAxis);
    // The hovered point's dot, above the curves.
    hoverDot_ = new QScatterSeries;
    hoverDot_->setMarkerSize(8);
    hoverDot_->setColor(QColor(220, 30, 30));
    hoverDot_->setBorderColor(Qt::white);
    chart->addSeries(hoverDot_);
    hoverDot_->attachAxis(distanceAxis);
    hoverDot_->attachAxis(valueAxis);
    hovered_.reset();
    hoverLabel->clear();
    QString figures = view2d::ProfileFiguresText(profile);
    if (roughness)
        figures += QLatin1Char('\n') + measure::RoughnessFiguresText(*roughness, profile);
    figuresLabel->setText(figures);
    figuresLabel->adjustSize();
    exportButton->setEnabled(true);
}

bool ProfilePanel::event(QEvent* event) {
    // Ctrl+C in the panel copies the profile, not the view (Edit > Copy View's shortcut).
    if (event->type() == QEvent::ShortcutOverride &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy) && profile_) {
        event->accept();
        return true;
    }
    return QFrame::event(event);
}

void ProfilePanel::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy) && profile_) {
        QApplication::clipboard()->setText(view2d::ProfileCsv(*profile_));
        event->accept();
        return;
    }
    QFrame::keyPressEvent(event);
}

void ProfilePanel::ExportCsv() {
    if (!profile_)
        return;
    ExportCsvText(this, QStringLiteral("profile.csv"), view2d::ProfileCsv(*profile_),
                  SaveOverride());
}

} // namespace orvane::app
