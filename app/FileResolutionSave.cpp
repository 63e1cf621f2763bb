#include "app/FileResolutionSave.h"

#include "app/PictureFile.h"

#include <QFileInfo>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <new>

namespace orvane::app {

namespace {

QString NotEnoughMemory(const FileResolutionJob& job) {
    return SaveFailureText(job.fileName,
                           QStringLiteral("Not enough memory for a picture of %1 x %2 pixels.")
                               .arg(job.size.Width)
                               .arg(job.size.Height));
}

FileResolutionOutcome Save(const FileResolutionJob& job, const std::atomic<bool>& cancel,
                           std::atomic<int>& rowsDone) {
    FileResolutionOutcome outcome;
    view2d::LevelPicture levels;
    if (job.levels) {
        levels = view2d::ExportFromLevels(job.levels, job.geometry, job.rect, job.size, &rowsDone,
                                          job.noDataMask);
    } else {
        std::optional<view2d::LevelPicture> read =
            job.reader ? view2d::ExportFromReader(*job.reader, job.rect, job.size, &cancel,
                                                  &rowsDone, job.levelRule)
                       : std::nullopt;
        if (cancel.load()) {
            outcome.cancelled = true;
            return outcome;
        }
        if (!read) {
            outcome.error = SaveFailureText(
                job.fileName,
                QStringLiteral("Could not read \"%1\" again: %2")
                    .arg(job.shownName, job.reader ? job.reader->OpenError() : QString()));
            return outcome;
        }
        levels = std::move(*read);
    }
    const QImage picture = view2d::IndexedPicture(levels, job.colours);
    if (picture.isNull()) {
        outcome.error = NotEnoughMemory(job);
        return outcome;
    }
    WritePictureFile(picture, job.fileName, outcome.error, &cancel);
    outcome.cancelled = outcome.error.isEmpty() && cancel.load();
    if (outcome.error.isEmpty() && !outcome.cancelled && levels.MissingPixels > 0) {
        // Written, but not all of it is the file's: said as the open says lost rows.
        const std::int64_t pixels = std::int64_t(levels.Width) * levels.Height;
        outcome.warning = QStringLiteral("The view was saved to \"%1\", but %2 of its %3 pixels "
                                         "could not be read from \"%4\"; they are level 0.")
                              .arg(QFileInfo(job.fileName).fileName())
                              .arg(levels.MissingPixels)
                              .arg(pixels)
                              .arg(job.shownName);
    }
    return outcome;
}

} // namespace

FileResolutionOutcome SaveAtFileResolution(const FileResolutionJob& job,
                                           const std::atomic<bool>& cancel,
                                           std::atomic<int>& rowsDone) {
    try {
        return Save(job, cancel, rowsDone);
    } catch (const std::bad_alloc&) {
        FileResolutionOutcome outcome;
        outcome.error = NotEnoughMemory(job);
        return outcome;
    } catch (const std::exception& e) {
        FileResolutionOutcome outcome;
        outcome.error = SaveFailureText(job.fileName, QString::fromLocal8Bit(e.what()));
        return outcome;
    }
}

FileResolutionSave::FileResolutionSave(FileResolutionJob job, QWidget* dialogParent)
    : job_(std::move(job)), progress_(QStringLiteral("Saving the view at file resolution..."),
                                      QStringLiteral("Cancel"), 0, job_.size.Height, dialogParent) {
    progress_.setWindowTitle(QStringLiteral("Save View"));
    progress_.setWindowModality(Qt::WindowModal);
    progress_.setMinimumDuration(300);
    progress_.setAutoReset(false);
    progress_.setAutoClose(false);
    connect(&progress_, &QProgressDialog::canceled, this, [this] { cancel_.store(true); });
    connect(&poll_, &QTimer::timeout, this, [this] {
        if (progress_.wasCanceled())
            cancel_.store(true); // Escape or the window's close button
        else
            progress_.setValue(std::min(rowsDone_.load(), job_.size.Height));
    });
    connect(&watcher_, &QFutureWatcherBase::finished, this, [this] {
        poll_.stop();
        progress_.hide();
        emit Ended(watcher_.result());
    });
    poll_.start(50);
    watcher_.setFuture(
        QtConcurrent::run([this] { return SaveAtFileResolution(job_, cancel_, rowsDone_); }));
}

FileResolutionSave::~FileResolutionSave() {
    cancel_.store(true);
    watcher_.waitForFinished();
}

} // namespace orvane::app
