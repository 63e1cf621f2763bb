#pragma once
#include "image/ImageModel.h"
#include "image/SampleReader.h"
#include "view2d/ViewExport.h"

#include <QFutureWatcher>
#include <QObject>
#include <QProgressDialog>
#include <QRgb>
#include <QTimer>
#include <QVector>
#include <atomic>
#include <memory>

namespace orvane::app {

// What a save at file resolution reads, taken on the window's thread when it starts. The job
// shares the shown file's reader, so the file it saves is the one shown even if another is
// renamed over its path; the level buffer is read only where it holds every file pixel, and
// the window opens nothing while a save runs (see ImageFrame::Busy).
struct FileResolutionJob {
    QString fileName; // where to write
    view2d::FileRect rect;
    view2d::PictureSize size;
    const std::uint8_t* levels = nullptr;     // the level buffer, when it holds every file pixel
    const std::uint8_t* noDataMask = nullptr; // beside it, when some pixel has no value
    view2d::LevelRule levelRule;              // how the reader's samples become levels
    image::ImageGeometry geometry;
    std::shared_ptr<image::SampleReader> reader; // where the file was thinned
    QString shownName;                           // the shown file's name, for messages
    QVector<QRgb> colours;
};

// How a save at file resolution ended.
struct FileResolutionOutcome {
    bool cancelled = false;
    QString error;   // why nothing was written; empty when written (or cancelled)
    QString warning; // written, but with pixels that could not be read
};

// Reads, encodes and writes the picture; any failure (a full disk, memory) becomes the
// outcome's error, never an exception.
FileResolutionOutcome SaveAtFileResolution(const FileResolutionJob& job,
                                           const std::atomic<bool>& cancel,
                                           std::atomic<int>& rowsDone);

// One save at file resolution running off the window's thread, behind a window-modal progress
// dialog with Cancel. Ended is emitted once, on the window's thread; the object may then be
// deleted.
class FileResolutionSave : public QObject {
    Q_OBJECT
public:
    FileResolutionSave(FileResolutionJob job, QWidget* dialogParent);
    ~FileResolutionSave() override;

signals:
    void Ended(const FileResolutionOutcome& outcome);

private:
    FileResolutionJob job_;
    std::atomic<bool> cancel_{false};
    std::atomic<int> rowsDone_{0};
    QProgressDialog progress_;
    QTimer poll_;
    QFutureWatcher<FileResolutionOutcome> watcher_;
};

} // namespace orvane::app
