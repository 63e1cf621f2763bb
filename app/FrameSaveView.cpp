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
#include <QEventLoop>
#include <QFileInfo>
#include <QProgressDialog>
#include <QScopeGuard>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>

namespace orvane::app {

namespace {

QImage IndexedPicture(const view2d::LevelPicture& levels, const QVector<QRgb>& colours) {
    QImage picture(levels.Width, levels.Height, QImage::Format_Indexed8);
    if (picture.isNull())
        return picture;
    picture.setColorTable(colours);
    for (int y = 0; y < levels.Height; ++y)
        std::memcpy(picture.scanLine(y), levels.Levels.data() + std::size_t(y) * levels.Width,
                    std::size_t(levels.Width));
    return picture;
}

// What a save at file resolution needs, taken on the window's thread: the worker reads
// nothing else. The level buffer stays put meanwhile: the progress dialog is modal, so no
// other file can be opened until the save ends.
struct FileResolutionJob {
    view2d::FileRect rect;
    view2d::PictureSize size;
    const std::uint8_t* levels = nullptr; // the level buffer, when it holds every file pixel
    image::ImageGeometry geometry;
    QString shownFile; // read again where the file was thinned
    QVector<QRgb> colours;
};

// The picture's levels, its colours, the file. Returns why it failed; empty on success and
// when cancelled.
QString SaveAtFileResolution(const FileResolutionJob& job, const QString& fileName,
                             const std::atomic<bool>& cancel, std::atomic<int>& rowsDone) {
    view2d::LevelPicture levels;
    if (job.levels) {
        levels = view2d::ExportFromLevels(job.levels, job.geometry, job.rect, job.size, &rowsDone);
    } else {
        image::SampleReader reader(image::TiffSource::File(job.shownFile));
        std::optional<view2d::LevelPicture> read =
            view2d::ExportFromReader(reader, job.rect, job.size, &cancel, &rowsDone);
        if (cancel.load())
            return QString();
        if (!read)
            return SaveFailureText(
                fileName, QStringLiteral("Could not read \"%1\" again: %2")
                              .arg(QFileInfo(job.shownFile).fileName(), reader.OpenError()));
        levels = std::move(*read);
    }
    const QImage picture = IndexedPicture(levels, job.colours);
    if (picture.isNull())
        return SaveFailureText(fileName,
                               QStringLiteral("Not enough memory for a picture of %1 x %2 pixels.")
                                   .arg(job.size.Width)
                                   .arg(job.size.Height));
    QString error;
    WritePictureFile(picture, fileName, error, &cancel);
    return error;
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

bool TTarsunFrame::SaveFileResolutionView(const QString& fileName) {
    FileResolutionJob job;
    job.rect = view2d::ShownFileRect(view_.Window, image_);
    job.size = view2d::ExportSize(job.rect);
    if (image_.ColumnStep == 1 && image_.RowStep == 1)
        job.levels = image_.Levels();
    job.geometry = image_;
    job.shownFile = shownFile_;
    job.colours = PaletteColourTable(palette_);

    // The window goes on while a worker reads, encodes and writes; a modal progress dialog
    // shows the rows done and can cancel (until the file is written).
    QProgressDialog progress(QStringLiteral("Saving the view at file resolution..."),
                             QStringLiteral("Cancel"), 0, job.size.Height, this);
    progress.setWindowTitle(QStringLiteral("Save View"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    std::atomic<bool> cancel{false};
    std::atomic<int> rowsDone{0};
    // Nothing may free the level buffer meanwhile: the dialog blocks the window's commands,
    // and drops are refused.
    savingView_ = true;
    const auto saved = qScopeGuard([this] { savingView_ = false; });
    connect(&progress, &QProgressDialog::canceled, &progress, [&cancel] { cancel.store(true); });
    QString error;
    std::unique_ptr<QThread> worker(
        QThread::create([&] { error = SaveAtFileResolution(job, fileName, cancel, rowsDone); }));
    QEventLoop waiting;
    connect(worker.get(), &QThread::finished, &waiting, &QEventLoop::quit);
    QTimer poll;
    connect(&poll, &QTimer::timeout, &progress, [&] {
        if (progress.wasCanceled())
            cancel.store(true); // Escape or the window's close button
        else
            progress.setValue(std::min(rowsDone.load(), job.size.Height));
    });
    poll.start(50);
    worker->start();
    waiting.exec();
    worker->wait();
    poll.stop();
    if (cancel.load())
        return false;
    if (!error.isEmpty()) {
        app::ShowMessage(this, image::MessageKind::Error, error);
        return false;
    }
    return true;
}

bool TTarsunFrame::SaveView(const QString& fileName, bool fileResolution) {
    if (!ImageShown()) {
        app::ShowMessage(this, image::MessageKind::Error,
                         SaveFailureText(fileName, QStringLiteral("No image is shown.")));
        return false;
    }
    if (fileResolution && !ReliefShown())
        return SaveFileResolutionView(fileName);
    QString error;
    const QImage picture = ShownPicture();
    if (picture.isNull())
        error = SaveFailureText(fileName, QStringLiteral("No image is shown."));
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
