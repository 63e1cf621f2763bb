#pragma once
#include "measure/ColourRange.h"
#include "panels/ColourMaps.h"

#include <QMainWindow>
#include <QStringList>
#include <array>

class QAction;
class QLabel;
class QActionGroup;
class QDockWidget;
class QMenu;
class QProgressBar;

namespace orvane::app {

class ImageFrame;

// The main window: its menu only forwards to the frame, which fills the
// whole client area. It keeps what is remembered between runs: the recent
// files, the palette, the dialogs' folders and its own geometry.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);

    ImageFrame& Frame() const { return *frame_; }

    // A menu command by its name, as tests and scripts reach what a menu user reaches (its
    // state, or a trigger as a click gives): "openAction", "saveViewAction", ...; a menu by
    // its menu action: "fileMenu", "viewMenu", .... Null for an unknown name.
    QAction* Command(const QString& name) const;
    // The palette's item in View > Palette.
    QAction* PaletteCommand(panels::Palette palette) const;
    // The items of File > Open Recent, the recent files first, then its separator and
    // "Clear Menu".
    QList<QAction*> RecentFileCommands() const;
    // The status bar's text.
    QString StatusBarText() const;
    // The status bar's hint at the measuring gestures; empty while hidden.
    QString StatusHint() const;

    // The menus' commands.
    void ChooseAndOpenFile();
    void Exit();
    void ChooseTexture();
    void RemoveTexture();
    void ShowTiffInfo();
    void ShowAbout();
    // File > Save View As...; nothing unless an image is shown and the frame is idle.
    void SaveViewAs();
    // View > Colour Bar, ticked or not, when it is available.
    void ShowColourBar(bool shown);

    // Opens `path` as File > Open does once a file is chosen (the command line's file, a
    // recent file); nothing while the frame is busy (an open, a save at file resolution).
    void OpenFile(const QString& path);
    // A recent file: opened, or, when it no longer exists, taken off the list with a message.
    void OpenRecentFile(const QString& path);
    void ClearRecentFiles();
    const QStringList& RecentFiles() const { return recentFiles_; }
    // The palette chosen in View > Palette, remembered for the next start.
    void ChoosePalette(panels::Palette palette);
    // The frame's palette and its ticked menu item, without remembering it.
    void ShowPalette(panels::Palette palette);
    void ToggleFullScreen();

    // Shows the window with the geometry and maximised state it had when last closed;
    // maximised the first time.
    void ShowAsLastTime();

    // Sets every menu item's enabled state from the frame's state: the one
    // place that does.
    void UpdateMenuState();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void BuildMenu();
    void BuildViewMenu();
    // View > Colour Range: Manual asks for its heights first.
    void ChooseColourRange(measure::ColourRangeKind kind);
    void ShowColourRangeChoice();
    // The Measure menu and the Results dock (MeasureMenu.cpp).
    void BuildMeasureMenu();
    void UpdateMeasureMenu();
    void NameCommands();
    void RestoreSettings();
    void RebuildRecentMenu();
    void SetRecentFiles(const QStringList& files);
    void OpenFinished(const QString& path, bool shown);
    bool closeAfterOpen_ = false;
    QStringList recentFiles_;

    ImageFrame* frame_ = nullptr;
    QMenu* fileMenu_ = nullptr;
    QAction* openAction_ = nullptr;
    QMenu* openRecentMenu_ = nullptr;
    QAction* clearRecentAction_ = nullptr;
    QAction* saveViewAction_ = nullptr;
    QAction* exitAction_ = nullptr;
    QMenu* editMenu_ = nullptr;
    QAction* copyViewAction_ = nullptr;
    QMenu* viewMenu_ = nullptr;
    QAction* zoomInAction_ = nullptr;
    QAction* zoomOutAction_ = nullptr;
    QAction* wholeImageAction_ = nullptr;
    QAction* actualPixelsAction_ = nullptr;
    QAction* view2dAction_ = nullptr;
    QAction* view3dAction_ = nullptr;
    QMenu* paletteMenu_ = nullptr;
    std::array<QAction*, panels::kAllPalettes.size()> paletteActions_{}; // in menu order
    QAction* colourBarAction_ = nullptr;
    QAction* scaleBarAction_ = nullptr;
    QMenu* colourRangeMenu_ = nullptr;
    std::array<QAction*, 4> colourRangeActions_{}; // Full, Data, Auto, Manual
    QLabel* hintLabel_ = nullptr;
    QLabel* resolutionLabel_ = nullptr;
    QLabel* backgroundLabel_ = nullptr;
    QProgressBar* backgroundProgress_ = nullptr;
    QAction* fullScreenAction_ = nullptr;
    QMenu* measureMenu_ = nullptr;
    QMenu* levelMenu_ = nullptr;
    std::array<QAction*, 5> levelActions_{}; // None, Plane, 3 points, degree 2, degree 3
    QAction* arealAction_ = nullptr;
    QMenu* cutoffMenu_ = nullptr;
    std::array<QAction*, 6> cutoffActions_{}; // automatic, then the standard cut-offs
    QAction* clearMeasurementAction_ = nullptr;
    QAction* profileWidthAction_ = nullptr;
    QDockWidget* profileDock_ = nullptr;
    QDockWidget* resultsDock_ = nullptr;
    QMenu* optionsMenu_ = nullptr;
    QAction* loadTextureAction_ = nullptr;
    QAction* removeTextureAction_ = nullptr;
    QAction* tiffInfoAction_ = nullptr;
    QMenu* aboutMenu_ = nullptr;
    QAction* aboutAction_ = nullptr;
    // The exact sample under the pointer, or the file's summary.
    QLabel* statusLabel_ = nullptr;
};

} // namespace orvane::app
