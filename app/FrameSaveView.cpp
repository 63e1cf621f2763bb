// Saving and copying what the view shows: the 2D box or the 3D view as they are on the screen,
// or in 2D the view window at file resolution.
#include "app/FileResolutionSave.h"
#include "app/ImageBox.h"
#include "app/ImageFrame.h"
#include "app/Messages.h"
#include "app/PictureFile.h"
#include "app/ScaleBarPaint.h"
#include "view2d/ViewExport.h"
#include "view3d/gl/SceneViewer.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QToolButton>

namespace orvane::app {

QImage ImageFrame::ShownPicture() {
    if (!ImageShown())
        return QImage();
    if (ReliefShown())
        return ui_.sceneViewer->grabFramebuffer();
    // The picture the box paints, stretched now from the window it shows.
    if (!RefreshBitmap())
        return QImage();
    const QImage* sharp = SharpPictureShown();
    QImage picture = sharp ? sharp->copy() : DisplayBitmap->copy();
    const QImage noData = sharp ? QImage() : NoDataOverlay();
    const std::optional<view2d::ScaleBar> bar = ShownScaleBar();
    if (!noData.isNull() || bar) {
        // The no-data colour and the bar's plate are in no palette: the picture takes colours
        // of its own.
        picture = picture.convertToFormat(QImage::Format_RGB32);
        QPainter painter(&picture);
        if (!noData.isNull())
            painter.drawImage(0, 0, noData);
        if (bar)
            PaintScaleBar(painter, *bar, ui_.imageBox->rect(), ui_.imageBox->font());
    }
    picture.setDevicePixelRatio(1); // a file holds the device pixels
    return picture;
}

void ImageFrame::SaveFileResolutionView(const QString& fileName) {
    FileResolutionJob job;
    job.fileName = fileName;
    job.rect = view2d::ShownFileRect(view_.Window, image_);
    job.size = view2d::ExportSize(job.rect);
    if (image_.ColumnStep == 1 && image_.RowStep == 1) {
        // The file's own levels, also while a levelled picture is shown: a save at file
        // resolution shows the heights as stored, thinned or not.
        job.levels = storedLevels_ ? storedLevels_.get() : image_.Levels();
        job.noDataMask = image_.NoDataMask.get();
    }
    job.levelRule = view2d::LevelRuleOf(image_);
    job.geometry = image_;
    job.reader = exact_;
    job.shownName = QFileInfo(shownFile_).fileName();
    job.colours = panels::PaletteColourTable(palette_);
    // The window goes on while a worker reads, encodes and writes; until it ends nothing is
    // opened (Busy), so the level buffer it may read stays put.
    fileResolutionSave_ = std::make_unique<FileResolutionSave>(std::move(job), this);
    connect(fileResolutionSave_.get(), &FileResolutionSave::Ended, this,
            [this](const FileResolutionOutcome& outcome) {
                // Deleted once this slot has returned: the signal comes from it.
                fileResolutionSave_.release()->deleteLater();
                emit MenuStateChanged();
                if (!outcome.error.isEmpty())
                    app::ShowMessage(this, image::MessageKind::Error, outcome.error);
                else if (!outcome.warning.isEmpty())
                    app::ShowMessage(this, image::MessageKind::Plain, outcome.warning);
                emit SaveEnded();
            });
    emit MenuStateChanged();
}

void ImageFrame::SaveView(const QString& fileName, bool fileResolution) {
    if (!ImageShown() || Busy()) {
        app::ShowMessage(this, image::MessageKind::Error,
                         SaveFailureText(fileName, QStringLiteral("No image is shown.")));
        emit SaveEnded();
        return;
    }
    if (fileResolution && !ReliefShown()) {
        SaveFileResolutionView(fileName);
        return;
    }
    QString error;
    const QImage picture = ShownPicture();
    if (picture.isNull())
        error = SaveFailureText(fileName, QStringLiteral("No image is shown."));
    if (picture.isNull() || !WritePictureFile(picture, fileName, error))
        app::ShowMessage(this, image::MessageKind::Error, error);
    emit SaveEnded();
}

void ImageFrame::ChooseAndSaveView() {
    if (!ImageShown() || Busy())
        return;
    saveViewDialog_.FileName = view2d::SuggestedViewFileName(shownFile_, saveViewDialog_.FileName);
    saveViewDialog_.FileResolutionOffered = !ReliefShown();
    if (!saveViewDialog_.Execute(this))
        return;
    emit SaveFolderChosen(QFileInfo(saveViewDialog_.FileName).absolutePath());
    SaveView(saveViewDialog_.FileName, saveViewDialog_.FileResolution);
}

void ImageFrame::CopyView() {
    const QImage picture = ShownPicture();
    if (!picture.isNull())
        QApplication::clipboard()->setImage(picture);
}

} // namespace orvane::app
