#pragma once
#include "measure/Roughness.h"
#include "view2d/Profile.h"

#include <QFrame>
#include <functional>
#include <optional>

class QChartView;
class QLabel;
class QPushButton;
class QScatterSeries;
class QToolButton;

namespace orvane::app {

// The "Profile" panel: a chart of the heights (or sample values) along the measuring line
// against the distance (mm, or pixels), the line's figures beside it, and "Export CSV...";
// Ctrl+C copies the same CSV text. The main window docks it along its bottom; without one it
// floats over the frame like the histogram and information panels.
class ProfilePanel : public QFrame {
    Q_OBJECT
public:
    explicit ProfilePanel(QWidget* parent);

    QLabel* titleLabel = nullptr;
    QToolButton* closeButton = nullptr;
    QChartView* chartView = nullptr;
    QLabel* figuresLabel = nullptr;
    QLabel* hoverLabel = nullptr; // the point under the pointer on the chart
    QPushButton* exportButton = nullptr;

    // Docked: the dock's title and close button replace the panel's own.
    void SetDocked(bool docked);
    // "Measuring..." while the profile is computed off the window's thread.
    void ShowMeasuring();
    // Why the line has no profile, in place of the figures.
    void ShowNotMeasured(const QString& why);
    // The profile's chart and figures, with its roughness when measured: the filter's mean line
    // on the chart (dashed where half a cut-off from an end leaves it incomplete) and the
    // roughness figures beneath the primary profile's.
    void ShowProfile(const view2d::Profile& profile,
                     const std::optional<measure::RoughnessOutcome>& roughness = std::nullopt);
    const std::optional<view2d::Profile>& Shown() const { return profile_; }
    // The point the pointer is over on the chart, as the hover shows it: its distance and height
    // in the label, a dot on the curve; none takes them away.
    void HoverAt(std::optional<std::size_t> point);
    std::optional<std::size_t> Hovered() const { return hovered_; }
    const std::optional<measure::RoughnessOutcome>& ShownRoughness() const { return roughness_; }

    // Where "Export CSV..." writes; tests and batch runs answer instead of a dialog.
    using SaveAnswer = std::function<std::optional<QString>(const QString& suggested)>;
    static void SetSaveAnswer(SaveAnswer answer);

signals:
    void CloseClicked();
    // The pointer moved onto the chart's point `index` (in Shown()'s points), or off the chart
    // (-1).
    void PointHovered(qint64 index);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ExportCsv();

    std::optional<view2d::Profile> profile_;
    std::optional<measure::RoughnessOutcome> roughness_;
    std::optional<std::size_t> hovered_;
    QScatterSeries* hoverDot_ = nullptr;
};

} // namespace orvane::app
