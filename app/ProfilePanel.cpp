#include "app/ProfilePanel.h"

#include "app/LayoutFonts.h"
#include "app/Messages.h"
#include "app/WholeFile.h"
#include "image/NumberText.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QToolButton>
#include <QValueAxis>
#include <cmath>

namespace orvane::app {

namespace {

ProfilePanel::SaveAnswer& SaveOverride() {
    static ProfilePanel::SaveAnswer answer;
    return answer;
}

QString Number(double value, int decimals = 4) {
    return image::FormatFixed(value, 15, decimals);
}

QString Optional(const std::optional<double>& value, const QString& unit, int decimals = 4) {
    return value ? Number(*value, decimals) + unit : QStringLiteral("?");
}

} // namespace

ProfilePanel::ProfilePanel(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::ClickFocus); // Ctrl+C reaches the panel once clicked
    resize(460, 330);
    hide();
    titleLabel = MakeLabel(this, 200, 6, QStringLiteral("Profile"), TahomaFont(13, true));
    closeButton = new QToolButton(this);
    closeButton->setGeometry(435, 5, 20, 22);
    closeButton->setAutoRaise(true);
    closeButton->setIcon(CloseGlyph());
    connect(closeButton, &QToolButton::clicked, this, &ProfilePanel::CloseClicked);

    auto* chart = new QChart;
    chart->legend()->hide();
    chart->setBackgroundRoundness(0);
    chart->setMargins(QMargins(2, 2, 2, 2));
    chart->setAnimationOptions(QChart::NoAnimation);
    chartView = new QChartView(chart, this);
    chartView->setGeometry(2, 30, 456, 210);
    chartView->setRenderHint(QPainter::Antialiasing);

    figuresLabel = MakeLabel(this, 10, 244, QString(), TahomaFont(11));
    figuresLabel->setToolTip(
        QStringLiteral("Ra and Rq are taken over the raw profile: no filtering, no form removal."));
    exportButton = new QPushButton(QStringLiteral("Export CSV..."), this);
    exportButton->setGeometry(360, 298, 92, 25);
    connect(exportButton, &QPushButton::clicked, this, [this] { ExportCsv(); });
}

void ProfilePanel::SetSaveAnswer(SaveAnswer answer) {
    SaveOverride() = std::move(answer);
}

void ProfilePanel::ShowMeasuring() {
    ShowNotMeasured(QStringLiteral("Measuring..."));
}

void ProfilePanel::ShowNotMeasured(const QString& why) {
    profile_.reset();
    chartView->chart()->removeAllSeries();
    figuresLabel->setText(why);
    figuresLabel->adjustSize();
    exportButton->setEnabled(false);
}

QString ProfilePanel::FiguresText(const view2d::Profile& p) {
    const QString unit = p.HeightsKnown ? QStringLiteral(" mm") : QString();
    const view2d::ProfileStatistics& s = p.Statistics;
    QString length = QStringLiteral("length %1 px").arg(Number(p.LengthPx, 1));
    if (p.LengthMm)
        length =
            QStringLiteral("length %1 mm (%2 px)").arg(Number(*p.LengthMm), Number(p.LengthPx, 1));
    QString dxdy = QStringLiteral("dX %1 px   dY %2 px").arg(p.DxPx).arg(p.DyPx);
    if (p.DxMm && p.DyMm)
        dxdy = QStringLiteral("dX %1 mm (%2 px)   dY %3 mm (%4 px)")
                   .arg(Number(*p.DxMm))
                   .arg(p.DxPx)
                   .arg(Number(*p.DyMm))
                   .arg(p.DyPx);
    QString text = length + QStringLiteral("   ") + dxdy + QLatin1Char('\n');
    text += QStringLiteral("dZ %1   slope %2\n")
                .arg(Optional(p.Dz, unit), Optional(p.SlopeDeg, QStringLiteral(" deg"), 2));
    text += QStringLiteral("min %1   max %2   mean %3\nRa %4   Rq %5")
                .arg(Optional(s.Min, unit), Optional(s.Max, unit), Optional(s.Mean, unit),
                     Optional(s.Ra, unit), Optional(s.Rq, unit));
    if (!p.HeightsKnown)
        text += QStringLiteral("   (sample values: the file gives no height range)");
    if (s.MissingPoints > 0)
        text += QStringLiteral("\n%1 of %2 points have no value (unreadable data) and are left out")
                    .arg(s.MissingPoints)
                    .arg(qint64(p.Points.size()));
    return text;
}

void ProfilePanel::ShowProfile(const view2d::Profile& profile) {
    profile_ = profile;
    QChart* chart = chartView->chart();
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes())
        chart->removeAxis(axis);
    // Points without a value break the line: one series per run of values.
    double lowX = 0, highX = 0, lowY = 0, highY = 0;
    bool any = false;
    QLineSeries* run = nullptr;
    QList<QLineSeries*> runs;
    for (const view2d::ProfilePoint& point : profile.Points) {
        if (!point.Value) {
            run = nullptr;
            continue;
        }
        if (!run) {
            run = new QLineSeries;
            run->setPen(QPen(QColor(20, 60, 160), 1.5));
            runs << run;
        }
        const double x = point.DistanceMm.value_or(point.DistancePx);
        run->append(x, *point.Value);
        lowX = any ? std::min(lowX, x) : x;
        highX = any ? std::max(highX, x) : x;
        lowY = any ? std::min(lowY, *point.Value) : *point.Value;
        highY = any ? std::max(highY, *point.Value) : *point.Value;
        any = true;
    }
    auto* distanceAxis = new QValueAxis;
    distanceAxis->setTitleText(profile.MillimetresKnown ? QStringLiteral("distance (mm)")
                                                        : QStringLiteral("distance (px)"));
    auto* valueAxis = new QValueAxis;
    valueAxis->setTitleText(profile.HeightsKnown ? QStringLiteral("height (mm)")
                                                 : QStringLiteral("sample"));
    for (QValueAxis* axis : {distanceAxis, valueAxis}) {
        QFont font = axis->labelsFont();
        font.setPixelSize(9);
        axis->setLabelsFont(font);
        axis->setTitleFont(font);
    }
    const double spanY = highY - lowY;
    distanceAxis->setRange(lowX, highX > lowX ? highX : lowX + 1);
    valueAxis->setRange(lowY - 0.05 * spanY, highY + (spanY > 0 ? 0.05 * spanY : 1));
    chart->addAxis(distanceAxis, Qt::AlignBottom);
    chart->addAxis(valueAxis, Qt::AlignLeft);
    for (QLineSeries* series : runs) {
        chart->addSeries(series);
        series->attachAxis(distanceAxis);
        series->attachAxis(valueAxis);
    }
    figuresLabel->setText(FiguresText(profile));
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
    const QString suggested = QStringLiteral("profile.csv");
    std::optional<QString> path;
    if (SaveOverride()) {
        path = SaveOverride()(suggested);
    } else {
        const QString chosen = QFileDialog::getSaveFileName(
            this, QStringLiteral("Export CSV"), suggested, QStringLiteral("CSV (*.csv)"));
        if (!chosen.isEmpty())
            path = chosen;
    }
    if (!path)
        return;
    QString why;
    if (!WriteWholeFile(view2d::ProfileCsv(*profile_).toUtf8(), *path, why))
        ShowMessage(this, image::MessageKind::Error,
                    QStringLiteral("Could not write \"%1\": %2").arg(*path, why));
}

} // namespace orvane::app
