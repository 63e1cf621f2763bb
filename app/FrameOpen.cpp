// The frame's part of an open: the dialog, and the window steps that the open
// routine (image/OpenImage) calls between its own: labels, progress, message
// boxes, the first picture, the relief and the panels.
#include "app/ImageBox.h"
#include "app/ImageFrame.h"
#include "app/Messages.h"
#include "image/OpenImageThread.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QToolButton>

namespace orvane::app {

namespace {

void SetLabelText(QLabel* label, const QString& text) {
    label->setText(text);
    label->adjustSize();
}

} // namespace

void ImageFrame::ChooseAndOpenFile() {
    if (Busy())
        return;
    // Pointer moves over the 3D view do nothing while the dialog is open, nor while the
    // chosen file is opened.
    sceneMoveAttached_ = false;
    if (!openDialog_.Execute(this)) {
        sceneMoveAttached_ = true;
        return;
    }
    OpenChosenFile(openDialog_.FileName);
}

void ImageFrame::OpenChosenFile(const QString& path) {
    // One open at a time, and none while a save may read the level buffer.
    if (Busy())
        return;
    sceneMoveAttached_ = false;
    ui_.view3dButton->setEnabled(true);
    SetOpenInProgress(true);
    OpenImage(path);
}

void ImageFrame::OpenImage(const QString& path) {
    openClock_.start();
    openTimings_ = OpenTimings();
    // The next dialog starts on this file, whether or not it opens.
    openDialog_.FileName = path;
    // One source for the open's read and the exact reader: the file as it was opened.
    const image::TiffSource source = image::TiffSource::File(path);
    image::OpenStart start = image::BeginOpen(source, image_, *this);
    if (!start.read) {
        EndOpen(path, source, start.result);
        return;
    }
    // The read runs beside the window's event loop; the open goes on when it ends.
    QElapsedTimer readClock;
    readClock.start();
    reading_ = std::make_unique<image::OpenImageThread>(start.read);
    connect(reading_.get(), &image::OpenImageThread::ProgressReported, this,
            [this](int percent) { ShowProgress(percent); });
    connect(
        reading_.get(), &image::OpenImageThread::RunEnded, this,
        [this, path, source, readClock, start = std::move(start)]() mutable {
            openTimings_.ReadMs = double(readClock.nsecsElapsed()) / 1e6;
            // Deleted once this slot has returned: the signal comes from it.
            image::OpenImageThread* thread = reading_.release();
            thread->wait();
            const image::ReadResult read = thread->Result();
            thread->deleteLater();
            EndOpen(path, source, image::FinishOpen(std::move(start), read, image_, *this));
        },
        Qt::QueuedConnection);
    reading_->Start();
}

void ImageFrame::EndOpen(const QString& path, const image::TiffSource& source,
                         const image::OpenResult& result) {
    const bool shown = result.outcome == image::OpenOutcome::Shown;
    if (shown) {
        shownFile_ = path;
        OpenExactReader(source);
        ApplyColourRange();
        RequestSharpPicture(); // and the status bar says what the view paints
    }
    // However the open ended, another file can be opened now.
    sceneMoveAttached_ = true;
    if (openInProgress_)
        SetOpenInProgress(false);
    emit OpenFinished(path, shown);
    emit OpenEnded();
}

void ImageFrame::SetProgressDisplay(int percentage) {
    ui_.progressBar->setValue(percentage);
    ui_.progressLabel->setText(QStringLiteral("Processing %1%").arg(percentage));
    emit ProgressShown(percentage);
}

void ImageFrame::ShowProgress(int percentage) {
    if (percentage > 100)
        percentage = 100;
    SetProgressDisplay(percentage);
    // The value is applied now; the paint follows on the next pass of the
    // wait loop, so a burst of reports costs one paint, not one each.
    ui_.progressBar->update();
    ui_.progressLabel->update();
}

void ImageFrame::Prepare(const QString&) {
    // The old image goes: from here on the model is the new file's, and its
    // levels are the reader's until the read ends.
    view_.Loading = true;
    shownFile_.clear();
    // The relief is the old image's until the new one is shown: hidden, a 3D
    // view shown during the read draws nothing rather than seconds of mesh.
    scene_.heightField.SetVisible(false);
    DropExactReader();
    ui_.infoPanel->hide();
    ui_.histogramPanel->hide();
    RemoveTexture();
    ui_.imageBox->update(); // white until the new picture is in
}

void ImageFrame::ShowBigTiffMarker(bool shown) {
    ui_.bigTiffLabel->setVisible(shown);
}

void ImageFrame::ShowMessage(image::MessageKind kind, const QString& text) {
    app::ShowMessage(this, kind, text);
}

void ImageFrame::ShowFileLabels(const QString& fileName, const QString& resolutionText,
                                const QString& sizeText) {
    SetLabelText(ui_.fileLabel, fileName);
    SetLabelText(ui_.resolutionLabel, resolutionText);
    SetLabelText(ui_.sizeLabel, sizeText);
}

void ImageFrame::BeginRead() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QFrame* panel = ui_.progressPanel;
    panel->move(width() / 2 - panel->width() / 2, height() / 2);
    SetProgressDisplay(0);
    ui_.progressLabel->move(53, ui_.progressLabel->y());
    panel->show();
    panel->raise();
}

void ImageFrame::EndRead() {
    QApplication::restoreOverrideCursor();
}

bool ImageFrame::Display() {
    view_.Window = view2d::WholeImageWindow(image_);
    DisplayBitmap = QImage();
    PlaceImage();
    DisplayInfo = DisplayDescription{image_.ImageWidth, image_.ImageHeight};
    ImageBox* box = ui_.imageBox;
    if (!DisplayBitmap || (DisplayBitmap->isNull() && box->width() > 0 && box->height() > 0)) {
        DisplayBitmap.reset();
        return false;
    }
    view_.Loading = false;
    box->repaint();
    openTimings_.OpenMs = double(openClock_.nsecsElapsed()) / 1e6;
    return true;
}

void ImageFrame::Finish() {
    ui_.histogramPanel->show();
    PlaceHistogramPanel();
    FillHistogram();
    FillColourBar();
    ui_.progressPanel->hide();
    ui_.progressLabel->move(20, ui_.progressLabel->y());
    imageEverShown_ = true;
    SetOpenInProgress(false);
}

void ImageFrame::ImageLost() {
    DisplayBitmap.reset();
    DisplayInfo.reset();
    view_.Loading = false;
    ui_.progressPanel->hide();
    ui_.progressLabel->move(20, ui_.progressLabel->y());
    ShowViewMode(false);
    ui_.imageBox->update();
    update();
    emit MenuStateChanged();
}

} // namespace orvane::app
