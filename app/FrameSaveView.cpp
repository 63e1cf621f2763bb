// Saving and copying what the view shows: the 2D box or the 3D view as they are on the screen,
// or in 2D the view window at file resolution.
#include "app/ImageFrame.h"
#include "app/Messages.h"
#include "app/PictureFile.h"
#include "view2d/ViewExport.h"
#include "view3d/gl/SceneViewer.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QToolButton>
#include <cstring>

namespace orvane::app {

namespace {

QImage IndexedPicture(const view2d::LevelPicture& levels, panels::Palette palette) {
    QImage picture(levels.Width, levels.Height, QImage::Format_Indexed8);
    if (picture.isNull())
        return picture;
    picture.setColorTable(PaletteColourTable(palette));
    for (int y = 0; y < levels.Height; ++y)
        std::memcpy(picture.scanLine(y), levels.Levels.data() + std::size_t(y) * levels.Width,
                    std::size_t(levels.Width));
    return picture;
}

} // namespace

QImage TTarsunFrame::ShownPicture() {
    if (!ImageShown())
        return QImage();
    if (ReliefShown())
        return ui_.SceneViewer1->grabFramebuffer();
    // The picture the box paints, stretched now from the window it shows.
    if (!RefreshBitmap())
        return QImage();
    QImage picture = DisplayBitmap->copy();
    picture.setDevicePixelRatio(1); // a file holds the device pixels
    return picture;
}

std::optional<QImage> TTarsunFrame::FileResolutionPicture(QString& error) {
    if (!ImageShown()) {
        error = QStringLiteral("No image is shown.");
        return std::nullopt;
    }
    const view2d::FileRect rect = view2d::ShownFileRect(view_.Window, image_);
    const view2d::PictureSize size = view2d::ExportSize(rect);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    view2d::LevelPicture levels;
    if (image_.ColumnStep == 1 && image_.RowStep == 1) {
        // The buffer holds every file pixel.
        levels = view2d::ExportFromLevels(image_.Levels(), image_, rect, size);
    } else {
        image::SampleReader reader(image::TiffSource::File(shownFile_));
        std::optional<view2d::LevelPicture> read = view2d::ExportFromReader(reader, rect, size);
        if (!read) {
            error = QStringLiteral("Could not read \"%1\" again: %2")
                        .arg(QFileInfo(shownFile_).fileName(), reader.OpenError());
            return std::nullopt;
        }
        levels = std::move(*read);
    }
    QImage picture = IndexedPicture(levels, palette_);
    if (picture.isNull()) {
        error = QStringLiteral("Not enough memory for a picture of %1 x %2 pixels.")
                    .arg(size.Width)
                    .arg(size.Height);
        return std::nullopt;
    }
    return picture;
}

bool TTarsunFrame::SaveView(const QString& fileName, bool fileResolution) {
    QImage picture;
    QString error;
    if (fileResolution && !ReliefShown()) {
        std::optional<QImage> full = FileResolutionPicture(error);
        if (full)
            picture = std::move(*full);
    } else {
        picture = ShownPicture();
        if (picture.isNull())
            error = QStringLiteral("No image is shown.");
    }
    if (picture.isNull())
        error = SaveFailureText(fileName, error);
    if (picture.isNull() || !WritePictureFile(picture, fileName, error)) {
        app::ShowMessage(this, image::MessageKind::Error, error);
        return false;
    }
    return true;
}

void TTarsunFrame::SaveViewAsClick() {
    if (!ImageShown())
        return;
    // The file's own name with "-view" in the folder of the last save, or the file's.
    const QFileInfo shown(shownFile_);
    QString folder = SaveViewDialog1.FileName.isEmpty()
                         ? shown.absolutePath()
                         : QFileInfo(SaveViewDialog1.FileName).absolutePath();
    SaveViewDialog1.FileName =
        QDir(folder).filePath(shown.completeBaseName() + QStringLiteral("-view.png"));
    SaveViewDialog1.FileResolutionOffered = !ReliefShown();
    if (!SaveViewDialog1.Execute(this))
        return;
    emit SaveFolderChosen(QFileInfo(SaveViewDialog1.FileName).absolutePath());
    SaveView(SaveViewDialog1.FileName, SaveViewDialog1.FileResolution);
}

void TTarsunFrame::CopyViewClick() {
    const QImage picture = ShownPicture();
    if (!picture.isNull())
        QApplication::clipboard()->setImage(picture);
}

} // namespace orvane::app
