// The open routine: examining, validating and sizing a TIFF, then reading it
// on a background thread while the window stays responsive.
#include "app/ImageFrame.h"
#include "app/Messages.h"
#include "app/PaintBox.h"
#include "image/Acceptance.h"
#include "image/InfoLabels.h"
#include "image/Memory.h"
#include "image/OpenImageThread.h"
#include "image/OpenMessages.h"
#include "image/OpenPipeline.h"
#include "image/Sizing.h"
#include "image/TiffFile.h"

#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QScopeGuard>
#include <QToolButton>
#include <cstring>

namespace {

void SetLabelText(QLabel* label, const QString& text) {
    label->setText(text);
    label->adjustSize();
}

} // namespace

void TTarsunFrame::LoadButtonClick() {
    // Pointer moves over the 3D view do nothing while the dialog is open and
    // while the file is being read.
    sceneMoveAttached_ = false;
    auto reattach = qScopeGuard([this] { sceneMoveAttached_ = true; });
    if (!OpenDialog1.Execute(this))
        return;
    SB3D->setEnabled(true);
    SetMenuEnabled(Menus.File1, false);
    SetMenuEnabled(Menus.Options1, false);
    SetMenuEnabled(Menus.About1, false);
    OpenImage(OpenDialog1.FileName);
}

void TTarsunFrame::SetProgressDisplay(int percentage) {
    FProgressBar->setValue(percentage);
    ProgressLabel->setText(QStringLiteral("Processing %1%").arg(percentage));
    emit ProgressShown(percentage);
}

void TTarsunFrame::ShowProgress(int percentage) {
    if (percentage > 100)
        percentage = 100;
    SetProgressDisplay(percentage);
    // The value is applied now; the paint follows on the next pass of the
    // wait loop, so a burst of reports costs one paint, not one each.
    FProgressBar->update();
    ProgressLabel->update();
}

void TTarsunFrame::OpenImage(const QString& path) {
    bool accepted = false;
    // However the open ends, another file can be opened afterwards.
    auto ending = qScopeGuard([this, &accepted] {
        if (!accepted) {
            SetMenuEnabled(Menus.File1, true);
            SetMenuEnabled(Menus.Options1, true);
            SetMenuEnabled(Menus.About1, true);
        }
        emit OpenEnded();
    });

    // Preparation.
    QLocale::setDefault(QLocale::c());
    InfoPanel->hide();
    RemoveTextureButtonClick();
    OpenDialog1.FileName = path;
    FreeBuffer(SampleBuffer);
    SampleBuffer = nullptr;
    BigtiffLabel->setVisible(IsBigTiff(path));

    // Examination.
    auto tiff = TiffHandle::Open(path);
    if (!*tiff) {
        ShowMessage(this, MessageKind::Plain,
                    UnopenableMessage(QFileInfo(path).fileName(), tiff->TakeErrors()));
        return;
    }
    const TiffTags tags = ReadTiffTags(tiff->get());
    if (tags.ImageWidth)
        ImageWidth = *tags.ImageWidth;
    if (tags.ImageLength)
        ImageHeight = *tags.ImageLength;
    // A file without a usable XResolution has an unknown pixel size; keeping the
    // previous file's value would show another file's millimetres.
    Resolution = tags.XResolution ? *tags.XResolution : 0.0f;
    BitsPerSample = static_cast<std::int16_t>(tags.BitsPerSample);
    Photometric = tags.Photometric;
    const QStringList rejections = AcceptanceMessages(tags);
    if (!rejections.isEmpty()) {
        tiff.reset();
        for (const QString& message : rejections)
            ShowMessage(this, MessageKind::Rejection, message);
        return;
    }
    if (tags.ResolutionUnit == 3) // centimetre
        Resolution = static_cast<float>(static_cast<long double>(Resolution) * 2.54L);
    ZMax = tags.MaxSampleValue * 0.001;
    ZMin = tags.MinSampleValue * 0.001;
    AcquisitionDate = tags.DateTime;
    ScannerSoftware = tags.Software;
    AcquisitionSetup = tags.Make;
    ScannerModel = tags.Model;
    AcquisitionInfo = tags.ImageDescription;
    tiff.reset();

    const std::uint32_t fileWidth = tags.ImageWidth.value_or(0);
    const std::uint32_t fileHeight = tags.ImageLength.value_or(0);
    SetLabelText(FileLabel, QFileInfo(path).fileName());
    SetLabelText(ResLabel, ResolutionLabelText(Resolution, BitsPerSample));
    SetLabelText(SizeLabel, SizeLabelText(fileWidth, fileHeight, Resolution));

    // Sizing.
    const SizingResult size = SizeImage(fileWidth, fileHeight, TrialAllocator());
    ImageWidth = size.ImageWidth;
    ImageHeight = size.ImageHeight;
    ColumnStep = size.ColumnStep;
    RowStep = size.RowStep;
    SpanWidth = size.SpanWidth;
    SpanHeight = size.SpanHeight;
    if (size.outcome != SizingResult::Ok) {
        ShowMessage(this, MessageKind::Plain, SizingMessage(size.outcome));
        return;
    }

    // Reading.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    auto cursorBack = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    ProgressPanel->move(width() / 2 - ProgressPanel->width() / 2, height() / 2);
    SetProgressDisplay(0);
    ProgressLabel->move(53, ProgressLabel->y());
    ProgressPanel->show();
    ProgressPanel->raise();

    SampleBuffer = TryAllocate(static_cast<std::size_t>(ImageWidth * ImageHeight));
    if (!SampleBuffer) {
        ProgressPanel->hide();
        ShowMessage(this, MessageKind::Plain, SizingMessage(SizingResult::TooBig));
        return;
    }
    Loading = true;

    OpenImageThread reader;
    reader.FileName = path;
    reader.Geometry = {SpanWidth, SpanHeight, ColumnStep, RowStep};
    reader.Buffer = SampleBuffer;
    QEventLoop wait;
    connect(&reader, &OpenImageThread::ProgressReported, this,
            [this](int percent) { ShowProgress(percent); });
    connect(&reader, &OpenImageThread::RunEnded, &wait, &QEventLoop::quit, Qt::QueuedConnection);
    reader.start(QThread::HighestPriority);
    // The reader's completion ends this loop; it always arrives after every
    // progress report, since both are queued from the reader in order.
    wait.exec();
    reader.wait();
    Q_ASSERT(reader.IsFinished());
    const ReadResult read = reader.Result();

    if (Photometric == 0) // minimum is white
        InvertLevels(SampleBuffer, static_cast<std::size_t>(ImageWidth * ImageHeight));
    cursorBack.dismiss();
    QApplication::restoreOverrideCursor();

    // Display.
    ViewWidth = static_cast<double>(ImageWidth);
    ViewHeight = static_cast<double>(ImageHeight);
    ViewOffsetX = ViewOffsetY = 0.0;
    DisplayBitmap = QImage();
    PlaceImage();
    DisplayInfo = DisplayDescription{ImageWidth, ImageHeight, BuildGreyPalette(8)};
    if (!DisplayBitmap ||
        (DisplayBitmap->isNull() && PaintBox1->width() > 0 && PaintBox1->height() > 0)) {
        DisplayBitmap.reset();
        ShowMessage(this, MessageKind::Plain, QStringLiteral("Problem in open image!"));
        return;
    }
    Loading = false;
    PaintBox1->repaint();

    PrepareReliefForImage();

    // Panels and menus.
    HistogramPanel->show();
    PlaceHistogramPanel();
    FillHistogram();
    ProgressPanel->hide();
    ProgressLabel->move(20, ProgressLabel->y());
    accepted = true;
    SetMenuEnabled(Menus.LoadTexture1, true);
    SetMenuEnabled(Menus.IFFInfo1, true);
    SetMenuEnabled(Menus.File1, true);
    SetMenuEnabled(Menus.Options1, true);
    SetMenuEnabled(Menus.About1, true);

    if (read.unreadableRows > 0)
        ShowMessage(this, MessageKind::Plain,
                    UnreadableRowsMessage(read.unreadableRows, SpanHeight,
                                          QFileInfo(path).fileName(), read.errors));
}
