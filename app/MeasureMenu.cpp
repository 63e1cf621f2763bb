// The Measure menu: the measuring tools with their gestures, the levelling, the areal parameters
// of the whole image, the profile's cut-off, and the Results panel docked at the bottom.
#include "app/ImageFrame.h"
#include "app/MainWindow.h"
#include "app/ProfilePanel.h"
#include "app/ResultsPanel.h"
#include "measure/Roughness.h"

#include <QAction>
#include <QActionGroup>
#include <QDockWidget>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>

namespace orvane::app {

namespace {

constexpr measure::FormKind kLevelKinds[] = {measure::FormKind::None, measure::FormKind::Plane,
                                             measure::FormKind::ThreePoints,
                                             measure::FormKind::Poly2, measure::FormKind::Poly3};

} // namespace

void MainWindow::BuildMeasureMenu() {
    measureMenu_ = menuBar()->addMenu(QStringLiteral("Measure"));
    // The gestures, listed so that they can be found; the menu cannot do them.
    for (const char* gesture :
         {"Profile: Right Drag", "Move a Profile End: Left Drag on It", "Area: Shift+Left Drag"})
        measureMenu_->addAction(QLatin1String(gesture))->setEnabled(false);
    arealAction_ = measureMenu_->addAction(QStringLiteral("Areal Parameters of the Whole Image"));
    connect(arealAction_, &QAction::triggered, this, [this] { frame_->MeasureWholeArea(); });
    measureMenu_->addSeparator();

    levelMenu_ = measureMenu_->addMenu(QStringLiteral("Level"));
    auto* levelGroup = new QActionGroup(this);
    const char* const levelTexts[] = {"None", "Plane", "Plane through 3 Points",
                                      "Polynomial of Degree 2", "Polynomial of Degree 3"};
    for (std::size_t i = 0; i < levelActions_.size(); ++i) {
        QAction* action = levelMenu_->addAction(QLatin1String(levelTexts[i]));
        action->setCheckable(true);
        levelGroup->addAction(action);
        const measure::FormKind kind = kLevelKinds[i];
        connect(action, &QAction::triggered, this, [this, kind] { frame_->SetLevelling(kind); });
        levelActions_[i] = action;
    }

    cutoffMenu_ = measureMenu_->addMenu(QStringLiteral("Profile Cut-off"));
    auto* cutoffGroup = new QActionGroup(this);
    for (std::size_t i = 0; i < cutoffActions_.size(); ++i) {
        const double cutoffMm = i == 0 ? 0.0 : measure::kCutoffsMm[i - 1];
        QAction* action = cutoffMenu_->addAction(i == 0 ? QStringLiteral("Automatic (ISO 4288)")
                                                        : QStringLiteral("%1 mm").arg(cutoffMm));
        action->setCheckable(true);
        cutoffGroup->addAction(action);
        connect(action, &QAction::triggered, this,
                [this, cutoffMm] { frame_->SetCutoffMm(cutoffMm); });
        cutoffActions_[i] = action;
    }
    profileWidthAction_ = measureMenu_->addAction(QStringLiteral("Profile Width..."));
    connect(profileWidthAction_, &QAction::triggered, this, [this] {
        bool ok = false;
        const int pixels = QInputDialog::getInt(
            this, QStringLiteral("Profile Width"),
            QStringLiteral("Pixels across the line each point averages (1: the line alone):"),
            frame_->ProfileWidth(), 1, ImageFrame::kMaxProfileWidthPx, 1, &ok);
        if (ok)
            frame_->SetProfileWidth(pixels);
    });
    measureMenu_->addSeparator();
    // Esc is read by the frame (it also ends a drag): the menu shows it without taking it.
    clearMeasurementAction_ = measureMenu_->addAction(QStringLiteral("Clear Measurement\tEsc"));
    connect(clearMeasurementAction_, &QAction::triggered, this,
            [this] { frame_->ClearMeasurement(); });

    // The profile and the results lie along the bottom of the window, side by side.
    profileDock_ = new QDockWidget(QStringLiteral("Profile"), this);
    profileDock_->setObjectName(QStringLiteral("profileDock"));
    ProfilePanel* profile = frame_->Components().profilePanel;
    profile->SetDocked(true);
    profileDock_->setWidget(profile);
    profileDock_->setAllowedAreas(Qt::BottomDockWidgetArea | Qt::TopDockWidgetArea);
    addDockWidget(Qt::BottomDockWidgetArea, profileDock_);
    profileDock_->hide();
    QAction* profileAction = profileDock_->toggleViewAction();
    profileAction->setText(QStringLiteral("Profile Panel"));
    profileAction->setObjectName(QStringLiteral("profilePanelAction"));

    resultsDock_ = new QDockWidget(QStringLiteral("Results"), this);
    resultsDock_->setObjectName(QStringLiteral("resultsDock"));
    resultsDock_->setWidget(frame_->Results());
    resultsDock_->setAllowedAreas(Qt::BottomDockWidgetArea | Qt::TopDockWidgetArea);
    addDockWidget(Qt::BottomDockWidgetArea, resultsDock_);
    splitDockWidget(profileDock_, resultsDock_, Qt::Horizontal);
    resultsDock_->hide();
    QAction* resultsAction = resultsDock_->toggleViewAction();
    resultsAction->setText(QStringLiteral("Results Panel"));
    resultsAction->setObjectName(QStringLiteral("resultsPanelAction"));
    measureMenu_->addAction(profileAction);
    measureMenu_->addAction(resultsAction);
}

void MainWindow::UpdateMeasureMenu() {
    const ImageFrame& frame = *frame_;
    const bool shown = frame.ImageShown();
    for (std::size_t i = 0; i < levelActions_.size(); ++i) {
        levelActions_[i]->setEnabled(shown);
        levelActions_[i]->setChecked(frame.LevellingKind() == kLevelKinds[i]);
    }
    arealAction_->setEnabled(shown);
    for (std::size_t i = 0; i < cutoffActions_.size(); ++i)
        cutoffActions_[i]->setChecked(frame.CutoffMm() ==
                                      (i == 0 ? 0.0 : measure::kCutoffsMm[i - 1]));
    clearMeasurementAction_->setEnabled(shown);
    profileWidthAction_->setEnabled(shown);
    // With an image and nothing measured on it, the status bar says how to measure.
    const bool hint = shown && !frame.ReliefShown() && !frame.SomethingMeasured();
    hintLabel_->setText(hint ? QStringLiteral("Right drag: profile   Shift+drag: area   "
                                              "Ctrl+wheel: zoom at the pointer")
                             : QString());
    hintLabel_->setVisible(hint);
}

QString MainWindow::StatusHint() const {
    return hintLabel_->isVisible() ? hintLabel_->text() : QString();
}

} // namespace orvane::app
