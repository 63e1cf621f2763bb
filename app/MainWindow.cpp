#include "app/MainWindow.h"

#include "app/AboutDialog.h"
#include "app/AppIcon.h"
#include "app/ColourRangeDialog.h"
#include "app/ImageFrame.h"
#include "app/LayoutFonts.h"
#include "app/Messages.h"
#include "app/Settings.h"
#include "panels/RecentFiles.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>

namespace orvane::app {

namespace {

const QString kRecentKey = QStringLiteral("files/recent");
const QString kOpenFolderKey = QStringLiteral("dialogs/openFolder");
const QString kSaveFolderKey = QStringLiteral("dialogs/saveFolder");
const QString kGeometryKey = QStringLiteral("window/geometry");

// The first local file of a drag; empty when it carries none.
QString DraggedFile(const QMimeData* data) {
    if (!data || !data->hasUrls())
        return QString();
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            return url.toLocalFile();
    return QString();
}

} // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Orvane"));
    // Every window of the application (the About box too) shows the icon the
    // desktop entry installs.
    QApplication::setWindowIcon(AppIcon());
    RegisterLayoutFonts();
    setFont(TahomaFont(11));
    setAcceptDrops(true);

    frame_ = new ImageFrame(this);
    setCentralWidget(frame_);
    // Below the frame, whose own layout stays as designed.
    statusLabel_ = new QLabel(this);
    statusLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    statusBar()->addWidget(statusLabel_, 1);
    connect(frame_, &ImageFrame::StatusTextChanged, statusLabel_, &QLabel::setText);
    // What the 2D view paints: the file's pixels or the kept ones of a thinned file.
    resolutionLabel_ = new QLabel(this);
    statusBar()->addPermanentWidget(resolutionLabel_);
    connect(frame_, &ImageFrame::ResolutionShownChanged, resolutionLabel_, &QLabel::setText);
    hintLabel_ = new QLabel(this);
    hintLabel_->setEnabled(false); // greyed: a hint, not a reading
    statusBar()->addPermanentWidget(hintLabel_);
    hintLabel_->hide();
    // Work beside the window shows its progress at the status bar's right.
    backgroundLabel_ = new QLabel(this);
    backgroundProgress_ = new QProgressBar(this);
    backgroundProgress_->setRange(0, 100);
    backgroundProgress_->setMaximumWidth(160);
    statusBar()->addPermanentWidget(backgroundLabel_);
    statusBar()->addPermanentWidget(backgroundProgress_);
    backgroundLabel_->hide();
    backgroundProgress_->hide();
    BuildMenu();
    NameCommands();
    RestoreSettings();
    UpdateMenuState();
    connect(frame_, &ImageFrame::BackgroundProgress, this,
            [this](const QString& what, int percent) {
                backgroundLabel_->setText(what);
                backgroundProgress_->setValue(std::max(0, percent));
                backgroundLabel_->setVisible(percent >= 0);
                backgroundProgress_->setVisible(percent >= 0);
            });
    connect(frame_, &ImageFrame::MenuStateChanged, this, &MainWindow::UpdateMenuState);
    connect(frame_, &ImageFrame::MeasureStateChanged, this, &MainWindow::UpdateMeasureMenu);
    connect(frame_, &ImageFrame::OpenFinished, this, &MainWindow::OpenFinished);
    connect(frame_, &ImageFrame::SaveFolderChosen, this,
            [](const QString& folder) { WriteSetting(kSaveFolderKey, folder); });

    // A close asked for while a file is read takes effect once the open ends.
    connect(frame_, &ImageFrame::OpenEnded, this, [this] {
        if (closeAfterOpen_) {
            closeAfterOpen_ = false;
            close();
        }
    });

    resize(1010, 640 + menuBar()->sizeHint().height());
}

QAction* MainWindow::Command(const QString& name) const {
    return name.isEmpty() ? nullptr : findChild<QAction*>(name);
}

QAction* MainWindow::PaletteCommand(panels::Palette palette) const {
    for (std::size_t i = 0; i < panels::kAllPalettes.size(); ++i)
        if (panels::kAllPalettes[i] == palette)
            return paletteActions_[i];
    return nullptr;
}

QList<QAction*> MainWindow::RecentFileCommands() const {
    return openRecentMenu_->actions();
}

QString MainWindow::StatusBarText() const {
    return statusLabel_->text();
}

void MainWindow::NameCommands() {
    const std::pair<QAction*, const char*> actions[] = {
        {fileMenu_->menuAction(), "fileMenu"},
        {openAction_, "openAction"},
        {openRecentMenu_->menuAction(), "openRecentMenu"},
        {clearRecentAction_, "clearRecentAction"},
        {saveViewAction_, "saveViewAction"},
        {exitAction_, "exitAction"},
        {editMenu_->menuAction(), "editMenu"},
        {copyViewAction_, "copyViewAction"},
        {viewMenu_->menuAction(), "viewMenu"},
        {zoomInAction_, "zoomInAction"},
        {zoomOutAction_, "zoomOutAction"},
        {actualPixelsAction_, "actualPixelsAction"},
        {scaleBarAction_, "scaleBarAction"},
        {colourRangeActions_[0], "colourRangeFullAction"},
        {colourRangeActions_[1], "colourRangeDataAction"},
        {colourRangeActions_[2], "colourRangeAutoAction"},
        {colourRangeActions_[3], "colourRangeManualAction"},
        {wholeImageAction_, "wholeImageAction"},
        {view2dAction_, "view2dAction"},
        {view3dAction_, "view3dAction"},
        {paletteMenu_->menuAction(), "paletteMenu"},
        {colourBarAction_, "colourBarAction"},
        {fullScreenAction_, "fullScreenAction"},
        {measureMenu_->menuAction(), "measureMenu"},
        {levelMenu_->menuAction(), "levelMenu"},
        {levelActions_[0], "levelNoneAction"},
        {levelActions_[1], "levelPlaneAction"},
        {levelActions_[2], "levelThreePointsAction"},
        {levelActions_[3], "levelPoly2Action"},
        {levelActions_[4], "levelPoly3Action"},
        {arealAction_, "arealAction"},
        {cutoffMenu_->menuAction(), "cutoffMenu"},
        {clearMeasurementAction_, "clearMeasurementAction"},
        {optionsMenu_->menuAction(), "optionsMenu"},
        {loadTextureAction_, "loadTextureAction"},
        {removeTextureAction_, "removeTextureAction"},
        {tiffInfoAction_, "tiffInfoAction"},
        {aboutMenu_->menuAction(), "aboutMenu"},
        {aboutAction_, "aboutAction"},
    };
    // Each belongs to its menu, or to the window: Command() finds it among the descendants.
    for (const auto& [action, name] : actions)
        action->setObjectName(QLatin1String(name));
}

void MainWindow::BuildMenu() {
    QStyle* s = style();
    fileMenu_ = menuBar()->addMenu(QStringLiteral("File"));
    openAction_ =
        fileMenu_->addAction(s->standardIcon(QStyle::SP_DialogOpenButton), QStringLiteral("Open"));
    openAction_->setShortcut(QKeySequence::Open);
    openRecentMenu_ = fileMenu_->addMenu(QStringLiteral("Open Recent"));
    clearRecentAction_ = new QAction(QStringLiteral("Clear Menu"), this);
    saveViewAction_ = fileMenu_->addAction(QStringLiteral("Save View As..."));
    saveViewAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    fileMenu_->addSeparator();
    exitAction_ =
        fileMenu_->addAction(s->standardIcon(QStyle::SP_DialogCloseButton), QStringLiteral("Exit"));
    exitAction_->setShortcut(QKeySequence::Quit);
    editMenu_ = menuBar()->addMenu(QStringLiteral("Edit"));
    copyViewAction_ = editMenu_->addAction(QStringLiteral("Copy View"));
    copyViewAction_->setShortcut(QKeySequence::Copy);
    BuildViewMenu();
    BuildMeasureMenu();
    optionsMenu_ = menuBar()->addMenu(QStringLiteral("Options"));
    loadTextureAction_ = optionsMenu_->addAction(s->standardIcon(QStyle::SP_FileDialogContentsView),
                                                 QStringLiteral("Load Texture"));
    removeTextureAction_ = optionsMenu_->addAction(s->standardIcon(QStyle::SP_TrashIcon),
                                                   QStringLiteral("Remove Texture"));
    tiffInfoAction_ = optionsMenu_->addAction(s->standardIcon(QStyle::SP_FileDialogInfoView),
                                              QStringLiteral("TIFF Info"));
    aboutMenu_ = menuBar()->addMenu(QStringLiteral("About"));
    aboutAction_ = aboutMenu_->addAction(s->standardIcon(QStyle::SP_MessageBoxInformation),
                                         QStringLiteral("About Orvane"));

    connect(openAction_, &QAction::triggered, frame_, &ImageFrame::ChooseAndOpenFile);
    connect(clearRecentAction_, &QAction::triggered, this, [this] { ClearRecentFiles(); });
    connect(saveViewAction_, &QAction::triggered, this, [this] { frame_->ChooseAndSaveView(); });
    connect(exitAction_, &QAction::triggered, this, &QWidget::close);
    connect(copyViewAction_, &QAction::triggered, this, [this] { frame_->CopyView(); });
    connect(loadTextureAction_, &QAction::triggered, frame_, &ImageFrame::ChooseTexture);
    connect(removeTextureAction_, &QAction::triggered, frame_, &ImageFrame::RemoveTexture);
    connect(tiffInfoAction_, &QAction::triggered, frame_, &ImageFrame::ShowTiffInfo);
    connect(aboutAction_, &QAction::triggered, this, &MainWindow::ShowAbout);
}

void MainWindow::BuildViewMenu() {
    viewMenu_ = menuBar()->addMenu(QStringLiteral("View"));
    // The keys act on the frame: they are its shortcuts, active while it (or one of its
    // controls) has the focus, and shown in the menu.
    auto add = [this](const QString& text, QList<QKeySequence> keys, auto handler) {
        QAction* action = viewMenu_->addAction(text);
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        frame_->addAction(action);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    zoomInAction_ =
        add(QStringLiteral("Zoom In"), {Qt::Key_Plus, Qt::Key_Equal}, [this] { frame_->ZoomIn(); });
    zoomOutAction_ =
        add(QStringLiteral("Zoom Out"), {Qt::Key_Minus}, [this] { frame_->ZoomOut(); });
    wholeImageAction_ = add(QStringLiteral("Whole Image"), {Qt::Key_0, Qt::Key_Home},
                            [this] { frame_->ResetZoom(); });
    actualPixelsAction_ = add(QStringLiteral("Actual Pixels"), {Qt::CTRL | Qt::Key_1},
                              [this] { frame_->ShowActualPixels(); });
    viewMenu_->addSeparator();
    view2dAction_ =
        add(QStringLiteral("2D View"), {Qt::Key_2}, [this] { frame_->ChooseView(false); });
    view3dAction_ =
        add(QStringLiteral("3D View"), {Qt::Key_3}, [this] { frame_->ChooseView(true); });
    viewMenu_->addSeparator();
    paletteMenu_ = viewMenu_->addMenu(QStringLiteral("Palette"));
    auto* paletteGroup = new QActionGroup(this);
    paletteGroup->setExclusive(true);
    for (std::size_t i = 0; i < panels::kAllPalettes.size(); ++i) {
        const panels::Palette palette = panels::kAllPalettes[i];
        QAction* action = paletteMenu_->addAction(panels::PaletteDisplayName(palette));
        action->setCheckable(true);
        paletteGroup->addAction(action);
        connect(action, &QAction::triggered, this, [this, palette] { ChoosePalette(palette); });
        paletteActions_[i] = action;
    }
    colourBarAction_ = viewMenu_->addAction(QStringLiteral("Colour Bar"));
    colourBarAction_->setCheckable(true);
    connect(colourBarAction_, &QAction::toggled, this,
            [this](bool shown) { frame_->ShowColourBar(shown); });
    colourRangeMenu_ = viewMenu_->addMenu(QStringLiteral("Colour Range"));
    auto* rangeGroup = new QActionGroup(this);
    rangeGroup->setExclusive(true);
    const std::pair<measure::ColourRangeKind, QString> ranges[] = {
        {measure::ColourRangeKind::Full, QStringLiteral("Full")},
        {measure::ColourRangeKind::Data, QStringLiteral("Data (Least to Greatest)")},
        {measure::ColourRangeKind::Auto, QStringLiteral("Auto (0.5 % to 99.5 %)")},
        {measure::ColourRangeKind::Manual, QStringLiteral("Manual...")}};
    for (std::size_t i = 0; i < std::size(ranges); ++i) {
        const measure::ColourRangeKind kind = ranges[i].first;
        QAction* action = colourRangeMenu_->addAction(ranges[i].second);
        action->setCheckable(true);
        rangeGroup->addAction(action);
        connect(action, &QAction::triggered, this, [this, kind] { ChooseColourRange(kind); });
        colourRangeActions_[i] = action;
    }
    scaleBarAction_ = viewMenu_->addAction(QStringLiteral("Scale Bar"));
    scaleBarAction_->setCheckable(true);
    connect(scaleBarAction_, &QAction::toggled, this,
            [this](bool shown) { frame_->ShowScaleBar(shown); });
    viewMenu_->addSeparator();
    fullScreenAction_ = add(QStringLiteral("Full Screen"), {Qt::Key_F, Qt::Key_F11},
                            [this] { ToggleFullScreen(); });
    fullScreenAction_->setCheckable(true);
}

void MainWindow::RestoreSettings() {
    ShowPalette(panels::ParsePalette(ReadSetting(kPaletteSettingKey).toString())
                    .value_or(panels::Palette::Grey));

    recentFiles_ = ReadSetting(kRecentKey).toStringList().mid(0, panels::kMaxRecentFiles);
    RebuildRecentMenu();

    const QString openFolder = ReadSetting(kOpenFolderKey).toString();
    if (!openFolder.isEmpty())
        frame_->FileOpenDialog().FileName = openFolder;
    const QString saveFolder = ReadSetting(kSaveFolderKey).toString();
    if (!saveFolder.isEmpty())
        frame_->ViewSaveDialog().FileName = QDir(saveFolder).filePath(QStringLiteral("view"));
}

void MainWindow::ShowAsLastTime() {
    const QByteArray geometry = ReadSetting(kGeometryKey).toByteArray();
    if (geometry.isEmpty() || !restoreGeometry(geometry))
        showMaximized();
    else
        show();
}

void MainWindow::UpdateMenuState() {
    const ImageFrame& frame = *frame_;
    // While a file is being opened or the view saved at file resolution the
    // menus are off, and so are the shortcuts of the commands that would open
    // or save; the commands on the image come with the first shown image and
    // stay; the texture can be removed while one is on. In the order an open
    // ends.
    const bool idle = !frame.Busy();
    const bool shown = frame.ImageShown();
    removeTextureAction_->setEnabled(frame.TextureShown());
    loadTextureAction_->setEnabled(frame.ImageEverShown());
    tiffInfoAction_->setEnabled(frame.ImageEverShown());
    openAction_->setEnabled(idle);
    openRecentMenu_->menuAction()->setEnabled(idle && !recentFiles_.isEmpty());
    saveViewAction_->setEnabled(shown && idle);
    copyViewAction_->setEnabled(shown);
    for (QAction* action : {zoomInAction_, zoomOutAction_, wholeImageAction_, actualPixelsAction_})
        action->setEnabled(shown);
    view2dAction_->setEnabled(shown && frame.Components().view2dButton->isEnabled());
    view3dAction_->setEnabled(shown && frame.Components().view3dButton->isEnabled());
    colourBarAction_->setEnabled(frame.ImageEverShown());
    ShowColourRangeChoice();
    for (QMenu* menu : {fileMenu_, editMenu_, viewMenu_, measureMenu_, optionsMenu_, aboutMenu_})
        menu->menuAction()->setEnabled(idle);
    UpdateMeasureMenu();
}

void MainWindow::ChooseColourRange(measure::ColourRangeKind kind) {
    measure::ColourRange range{kind, 0, 0};
    if (kind == measure::ColourRangeKind::Manual) {
        const auto shown = frame_->ColourRangeShown();
        const std::optional<measure::ColourRange> typed = ColourRangeDialog::Ask(
            this, frame_->ColourRangeUnit(), shown ? shown->low : 0, shown ? shown->high : 1);
        if (!typed) {
            ShowColourRangeChoice(); // the tick goes back to the range in force
            return;
        }
        range = *typed;
    }
    frame_->SetColourRange(range);
    ShowColourRangeChoice();
}

void MainWindow::ShowColourRangeChoice() {
    const int index = int(frame_->ColourRangeChoice().Kind);
    for (int i = 0; i < int(colourRangeActions_.size()); ++i)
        colourRangeActions_[std::size_t(i)]->setChecked(i == index);
}

void MainWindow::OpenFile(const QString& path) {
    frame_->OpenChosenFile(path);
}

void MainWindow::OpenFinished(const QString& path, bool shown) {
    // The title names the image on the views: a refused file leaves the one that was open.
    const QString shownFile = frame_->ShownFile();
    if (shownFile.isEmpty()) {
        setWindowTitle(QStringLiteral("Orvane"));
        setWindowFilePath(QString());
    } else {
        const QFileInfo file(shownFile);
        setWindowTitle(file.fileName() + QStringLiteral(" - Orvane"));
        setWindowFilePath(file.absoluteFilePath());
    }
    if (!shown)
        return;
    WriteSetting(kOpenFolderKey, QFileInfo(path).absolutePath());
    SetRecentFiles(panels::WithRecentFile(recentFiles_, path));
}

void MainWindow::SetRecentFiles(const QStringList& files) {
    recentFiles_ = files;
    WriteSetting(kRecentKey, recentFiles_);
    RebuildRecentMenu();
    UpdateMenuState();
}

void MainWindow::RebuildRecentMenu() {
    openRecentMenu_->clear();
    for (int i = 0; i < recentFiles_.size(); ++i) {
        const QString path = recentFiles_[i];
        QAction* action = openRecentMenu_->addAction(panels::RecentFileMenuText(i, path));
        action->setData(path);
        connect(action, &QAction::triggered, this, [this, path] { OpenRecentFile(path); });
    }
    openRecentMenu_->addSeparator();
    openRecentMenu_->addAction(clearRecentAction_);
}

void MainWindow::OpenRecentFile(const QString& path) {
    if (!QFileInfo::exists(path)) {
        SetRecentFiles(panels::WithoutRecentFile(recentFiles_, path));
        ShowMessage(this, MessageKind::Error,
                    QStringLiteral("\"%1\" no longer exists: it has been removed from the recent "
                                   "files.")
                        .arg(QDir::toNativeSeparators(path)));
        return;
    }
    OpenFile(path);
}

void MainWindow::ClearRecentFiles() {
    SetRecentFiles({});
}

void MainWindow::ShowPalette(panels::Palette palette) {
    frame_->SetPalette(palette);
    for (std::size_t i = 0; i < panels::kAllPalettes.size(); ++i)
        paletteActions_[i]->setChecked(panels::kAllPalettes[i] == palette);
}

void MainWindow::ChoosePalette(panels::Palette palette) {
    ShowPalette(palette);
    WriteSetting(kPaletteSettingKey, panels::PaletteName(palette));
}

void MainWindow::ToggleFullScreen() {
    // The maximised flag stays in the state, so leaving full screen returns to it.
    setWindowState(windowState() ^ Qt::WindowFullScreen);
}

// The commands run as their menu items do, so that they are off where the items are.
void MainWindow::ChooseAndOpenFile() {
    openAction_->trigger();
}
void MainWindow::Exit() {
    exitAction_->trigger();
}
void MainWindow::ChooseTexture() {
    loadTextureAction_->trigger();
}
void MainWindow::RemoveTexture() {
    removeTextureAction_->trigger();
}
void MainWindow::ShowTiffInfo() {
    tiffInfoAction_->trigger();
}
void MainWindow::SaveViewAs() {
    saveViewAction_->trigger();
}

void MainWindow::ShowColourBar(bool shown) {
    if (colourBarAction_->isEnabled())
        colourBarAction_->setChecked(shown);
}

void MainWindow::ShowAbout() {
    // A fresh box each time, without owner, shown modally; it deletes itself.
    auto* box = new AboutDialog(nullptr);
    box->exec();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (frame_->View().Loading) {
        closeAfterOpen_ = true;
        event->ignore();
        return;
    }
    // A window closed in full screen keeps the geometry it had before.
    if (!isFullScreen())
        WriteSetting(kGeometryKey, saveGeometry());
    QMainWindow::closeEvent(event);
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && fullScreenAction_)
        fullScreenAction_->setChecked(isFullScreen());
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    dragMoveEvent(event); // an entering drag is judged as a moving one
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
    // No drop while a file is read: the dragged file is refused at once.
    if (!DraggedFile(event->mimeData()).isEmpty() && frame_->AcceptsDrops())
        event->acceptProposedAction();
    else
        event->ignore();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QString path = DraggedFile(event->mimeData());
    if (path.isEmpty() || !frame_->AcceptsDrops()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    const QPoint at = frame_->mapFrom(this, event->position().toPoint());
    // The open runs once the drop is over, so the program the file came from is not kept
    // waiting for the read.
    QMetaObject::invokeMethod(
        this, [this, path, at] { frame_->DropFile(path, at); }, Qt::QueuedConnection);
}

} // namespace orvane::app
