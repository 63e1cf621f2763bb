#include "app/MainForm.h"

#include "app/About.h"
#include "app/AppIcon.h"
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

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Orvane"));
    // Every window of the application (the About box too) shows the icon the
    // desktop entry installs.
    QApplication::setWindowIcon(AppIcon());
    RegisterLayoutFonts();
    setFont(TahomaFont(11));
    setAcceptDrops(true);

    FrameTarsun = new TTarsunFrame(this);
    FrameTarsun->Components().LoadButton->hide();
    FrameTarsun->Components().InfoButton->hide();
    setCentralWidget(FrameTarsun);
    BuildMenu();
    RestoreSettings();
    UpdateMenuState();
    // Below the frame, whose own layout stays as designed.
    StatusLabel = new QLabel(this);
    StatusLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    statusBar()->addWidget(StatusLabel, 1);
    connect(FrameTarsun, &TTarsunFrame::StatusTextChanged, StatusLabel, &QLabel::setText);
    connect(FrameTarsun, &TTarsunFrame::MenuStateChanged, this, &TForm1::UpdateMenuState);
    connect(FrameTarsun, &TTarsunFrame::OpenFinished, this, &TForm1::OpenFinished);
    connect(FrameTarsun, &TTarsunFrame::SaveFolderChosen, this,
            [](const QString& folder) { WriteSetting(kSaveFolderKey, folder); });

    // A close asked for while a file is read takes effect once the open ends.
    connect(FrameTarsun, &TTarsunFrame::OpenEnded, this, [this] {
        if (closeAfterOpen_) {
            closeAfterOpen_ = false;
            close();
        }
    });

    resize(1010, 640 + menuBar()->sizeHint().height());
}

void TForm1::BuildMenu() {
    QStyle* s = style();
    File1 = menuBar()->addMenu(QStringLiteral("File"));
    Open1 = File1->addAction(s->standardIcon(QStyle::SP_DialogOpenButton), QStringLiteral("Open"));
    Open1->setShortcut(QKeySequence::Open);
    OpenRecent1 = File1->addMenu(QStringLiteral("Open Recent"));
    ClearRecent1 = new QAction(QStringLiteral("Clear Menu"), this);
    SaveViewAs1 = File1->addAction(QStringLiteral("Save View As..."));
    SaveViewAs1->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    File1->addSeparator();
    Exit1 = File1->addAction(s->standardIcon(QStyle::SP_DialogCloseButton), QStringLiteral("Exit"));
    Exit1->setShortcut(QKeySequence::Quit);
    Edit1 = menuBar()->addMenu(QStringLiteral("Edit"));
    CopyView1 = Edit1->addAction(QStringLiteral("Copy View"));
    CopyView1->setShortcut(QKeySequence::Copy);
    BuildViewMenu();
    Options1 = menuBar()->addMenu(QStringLiteral("Options"));
    LoadTexture1 = Options1->addAction(s->standardIcon(QStyle::SP_FileDialogContentsView),
                                       QStringLiteral("Load Texture"));
    RemoveTexture1 = Options1->addAction(s->standardIcon(QStyle::SP_TrashIcon),
                                         QStringLiteral("Remove Texture"));
    IFFInfo1 = Options1->addAction(s->standardIcon(QStyle::SP_FileDialogInfoView),
                                   QStringLiteral("TIFF Info"));
    About1 = menuBar()->addMenu(QStringLiteral("About"));
    AbutOrvane41 = About1->addAction(s->standardIcon(QStyle::SP_MessageBoxInformation),
                                     QStringLiteral("About Orvane"));

    connect(Open1, &QAction::triggered, this, [this] { Open1Click(); });
    connect(ClearRecent1, &QAction::triggered, this, [this] { ClearRecentFiles(); });
    connect(SaveViewAs1, &QAction::triggered, this, [this] { FrameTarsun->SaveViewAsClick(); });
    connect(Exit1, &QAction::triggered, this, [this] { Exit1Click(); });
    connect(CopyView1, &QAction::triggered, this, [this] { FrameTarsun->CopyViewClick(); });
    connect(LoadTexture1, &QAction::triggered, this, [this] { LoadTexture1Click(); });
    connect(RemoveTexture1, &QAction::triggered, this, [this] { RemoveTexture1Click(); });
    connect(IFFInfo1, &QAction::triggered, this, [this] { IFFInfo1Click(); });
    connect(AbutOrvane41, &QAction::triggered, this, [this] { AbutOrvane41Click(); });
}

void TForm1::BuildViewMenu() {
    View1 = menuBar()->addMenu(QStringLiteral("View"));
    // The keys act on the frame: they are its shortcuts, active while it (or one of its
    // controls) has the focus, and shown in the menu.
    auto add = [this](const QString& text, QList<QKeySequence> keys, auto handler) {
        QAction* action = View1->addAction(text);
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        FrameTarsun->addAction(action);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    ZoomIn1 = add(QStringLiteral("Zoom In"), {Qt::Key_Plus, Qt::Key_Equal},
                  [this] { FrameTarsun->FrameMouseWheelUp(); });
    ZoomOut1 = add(QStringLiteral("Zoom Out"), {Qt::Key_Minus},
                   [this] { FrameTarsun->FrameMouseWheelDown(); });
    WholeImage1 = add(QStringLiteral("Whole Image"), {Qt::Key_0, Qt::Key_Home},
                      [this] { FrameTarsun->ResetZoom(); });
    View1->addSeparator();
    View2D1 =
        add(QStringLiteral("2D View"), {Qt::Key_2}, [this] { FrameTarsun->ChooseView(false); });
    View3D1 =
        add(QStringLiteral("3D View"), {Qt::Key_3}, [this] { FrameTarsun->ChooseView(true); });
    View1->addSeparator();
    Palette1 = View1->addMenu(QStringLiteral("Palette"));
    auto* paletteGroup = new QActionGroup(this);
    paletteGroup->setExclusive(true);
    for (std::size_t i = 0; i < panels::kAllPalettes.size(); ++i) {
        const panels::Palette palette = panels::kAllPalettes[i];
        QAction* action = Palette1->addAction(panels::PaletteDisplayName(palette));
        action->setCheckable(true);
        paletteGroup->addAction(action);
        connect(action, &QAction::triggered, this, [this, palette] { ChoosePalette(palette); });
        PaletteActions[i] = action;
    }
    ColourBar1 = View1->addAction(QStringLiteral("Colour Bar"));
    ColourBar1->setCheckable(true);
    connect(ColourBar1, &QAction::toggled, this,
            [this](bool shown) { FrameTarsun->ShowColourBar(shown); });
    View1->addSeparator();
    FullScreen1 = add(QStringLiteral("Full Screen"), {Qt::Key_F, Qt::Key_F11},
                      [this] { ToggleFullScreen(); });
    FullScreen1->setCheckable(true);
}

void TForm1::RestoreSettings() {
    ShowPalette(panels::ParsePalette(ReadSetting(kPaletteSettingKey).toString())
                    .value_or(panels::Palette::Grey));

    recentFiles_ = ReadSetting(kRecentKey).toStringList().mid(0, panels::kMaxRecentFiles);
    RebuildRecentMenu();

    const QString openFolder = ReadSetting(kOpenFolderKey).toString();
    if (!openFolder.isEmpty())
        FrameTarsun->OpenDialog().FileName = openFolder;
    const QString saveFolder = ReadSetting(kSaveFolderKey).toString();
    if (!saveFolder.isEmpty())
        FrameTarsun->SaveViewDialog().FileName = QDir(saveFolder).filePath(QStringLiteral("view"));
}

void TForm1::ShowAsLastTime() {
    const QByteArray geometry = ReadSetting(kGeometryKey).toByteArray();
    if (geometry.isEmpty() || !restoreGeometry(geometry))
        showMaximized();
    else
        show();
}

void TForm1::UpdateMenuState() {
    const TTarsunFrame& frame = *FrameTarsun;
    // While a file is being opened or the view saved at file resolution the
    // menus are off, and so are the shortcuts of the commands that would open
    // or save; the commands on the image come with the first shown image and
    // stay; the texture can be removed while one is on. In the order an open
    // ends.
    const bool idle = !frame.Busy();
    const bool shown = frame.ImageShown();
    RemoveTexture1->setEnabled(frame.TextureShown());
    LoadTexture1->setEnabled(frame.ImageEverShown());
    IFFInfo1->setEnabled(frame.ImageEverShown());
    Open1->setEnabled(idle);
    OpenRecent1->menuAction()->setEnabled(idle && !recentFiles_.isEmpty());
    SaveViewAs1->setEnabled(shown && idle);
    CopyView1->setEnabled(shown);
    for (QAction* action : {ZoomIn1, ZoomOut1, WholeImage1})
        action->setEnabled(shown);
    View2D1->setEnabled(shown && frame.Components().SB2D->isEnabled());
    View3D1->setEnabled(shown && frame.Components().SB3D->isEnabled());
    ColourBar1->setEnabled(frame.ImageEverShown());
    for (QMenu* menu : {File1, Edit1, View1, Options1, About1})
        menu->menuAction()->setEnabled(idle);
}

void TForm1::Open1Click() {
    FrameTarsun->LoadButtonClick();
}

void TForm1::OpenFile(const QString& path) {
    FrameTarsun->OpenChosenFile(path);
}

void TForm1::OpenFinished(const QString& path, bool shown) {
    // The title names the image on the views: a refused file leaves the one that was open.
    const QString shownFile = FrameTarsun->ShownFile();
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

void TForm1::SetRecentFiles(const QStringList& files) {
    recentFiles_ = files;
    WriteSetting(kRecentKey, recentFiles_);
    RebuildRecentMenu();
    UpdateMenuState();
}

void TForm1::RebuildRecentMenu() {
    OpenRecent1->clear();
    for (int i = 0; i < recentFiles_.size(); ++i) {
        const QString path = recentFiles_[i];
        QString text = QDir::toNativeSeparators(path);
        text.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* action = OpenRecent1->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(text));
        action->setData(path);
        connect(action, &QAction::triggered, this, [this, path] { OpenRecentFile(path); });
    }
    OpenRecent1->addSeparator();
    OpenRecent1->addAction(ClearRecent1);
}

void TForm1::OpenRecentFile(const QString& path) {
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

void TForm1::ClearRecentFiles() {
    SetRecentFiles({});
}

void TForm1::ShowPalette(panels::Palette palette) {
    FrameTarsun->SetPalette(palette);
    for (std::size_t i = 0; i < panels::kAllPalettes.size(); ++i)
        PaletteActions[i]->setChecked(panels::kAllPalettes[i] == palette);
}

void TForm1::ChoosePalette(panels::Palette palette) {
    ShowPalette(palette);
    WriteSetting(kPaletteSettingKey, panels::PaletteName(palette));
}

void TForm1::ToggleFullScreen() {
    // The maximised flag stays in the state, so leaving full screen returns to it.
    setWindowState(windowState() ^ Qt::WindowFullScreen);
}

void TForm1::Exit1Click() {
    close();
}
void TForm1::LoadTexture1Click() {
    FrameTarsun->LoadTextureButtonClick();
}
void TForm1::RemoveTexture1Click() {
    FrameTarsun->RemoveTextureButtonClick();
}
void TForm1::IFFInfo1Click() {
    FrameTarsun->InfoButtonClick();
}

void TForm1::AbutOrvane41Click() {
    // A fresh box each time, without owner, shown modally; it deletes itself.
    auto* box = new TAboutForm(nullptr);
    box->exec();
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (FrameTarsun->View().Loading) {
        closeAfterOpen_ = true;
        event->ignore();
        return;
    }
    // A window closed in full screen keeps the geometry it had before.
    if (!isFullScreen())
        WriteSetting(kGeometryKey, saveGeometry());
    QMainWindow::closeEvent(event);
}

void TForm1::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && FullScreen1)
        FullScreen1->setChecked(isFullScreen());
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    dragMoveEvent(event); // an entering drag is judged as a moving one
}

void TForm1::dragMoveEvent(QDragMoveEvent* event) {
    // No drop while a file is read: the dragged file is refused at once.
    if (!DraggedFile(event->mimeData()).isEmpty() && FrameTarsun->AcceptsDrops())
        event->acceptProposedAction();
    else
        event->ignore();
}

void TForm1::dropEvent(QDropEvent* event) {
    const QString path = DraggedFile(event->mimeData());
    if (path.isEmpty() || !FrameTarsun->AcceptsDrops()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    const QPoint at = FrameTarsun->mapFrom(this, event->position().toPoint());
    // The open runs once the drop is over, so the program the file came from is not kept
    // waiting for the read.
    QMetaObject::invokeMethod(
        this, [this, path, at] { FrameTarsun->DropFile(path, at); }, Qt::QueuedConnection);
}

} // namespace orvane::app
