#pragma once
#include "panels/ColourMaps.h"

#include <QMainWindow>
#include <QStringList>
#include <array>

class QAction;
class QLabel;
class QActionGroup;
class QMenu;

namespace orvane::app {

class TTarsunFrame;

// The main window: its menu only forwards to the frame, which fills the
// whole client area. It keeps what is remembered between runs: the recent
// files, the palette, the dialogs' folders and its own geometry.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);

    TTarsunFrame* FrameTarsun = nullptr;
    QMenu* File1 = nullptr;
    QAction* Open1 = nullptr;
    QMenu* OpenRecent1 = nullptr;
    QAction* ClearRecent1 = nullptr;
    QAction* SaveViewAs1 = nullptr;
    QAction* Exit1 = nullptr;
    QMenu* Edit1 = nullptr;
    QAction* CopyView1 = nullptr;
    QMenu* View1 = nullptr;
    QAction* ZoomIn1 = nullptr;
    QAction* ZoomOut1 = nullptr;
    QAction* WholeImage1 = nullptr;
    QAction* View2D1 = nullptr;
    QAction* View3D1 = nullptr;
    QMenu* Palette1 = nullptr;
    std::array<QAction*, panels::kAllPalettes.size()> PaletteActions{}; // in menu order
    QAction* ColourBar1 = nullptr;
    QAction* FullScreen1 = nullptr;
    QMenu* Options1 = nullptr;
    QAction* LoadTexture1 = nullptr;
    QAction* RemoveTexture1 = nullptr;
    QAction* IFFInfo1 = nullptr;
    QMenu* About1 = nullptr;
    QAction* AbutOrvane41 = nullptr;
    // The status bar's text: the exact sample under the pointer, or the file's summary.
    QLabel* StatusLabel = nullptr;

    void Open1Click();
    void Exit1Click();
    void LoadTexture1Click();
    void RemoveTexture1Click();
    void IFFInfo1Click();
    void AbutOrvane41Click();

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
    void RestoreSettings();
    void RebuildRecentMenu();
    void SetRecentFiles(const QStringList& files);
    void OpenFinished(const QString& path, bool shown);
    bool closeAfterOpen_ = false;
    QStringList recentFiles_;
};

} // namespace orvane::app
