#pragma once
#include "image/ScanlineReader.h"

#include <QThread>
#include <atomic>
#include <functional>

namespace orvane::image {

// Reads the pixels of an accepted file into the sample buffer on its own
// thread. Progress arrives as queued ProgressReported signals, applied on the
// thread that waits, in order; RunEnded (queued as well) always comes after
// the last of them.
class OpenImageThread : public QThread {
    Q_OBJECT
public:
    using Job = ReadJob;
    explicit OpenImageThread(Job job, QObject* parent = nullptr);

    // Set last, with release semantics, so that every level written before is
    // visible to whoever reads it true with acquire semantics.
    bool IsFinished() const { return finished_.load(std::memory_order_acquire); }
    // Valid once IsFinished() is true. A job that throws ends with a result
    // that says why (ReadResult::failure) and has read nothing.
    const ReadResult& Result() const { return result_; }

    // Runs `job` at the highest priority short of time-critical and waits for
    // it in a nested event loop, so the window keeps handling events; each
    // progress report reaches `showProgress` on the calling thread.
    static ReadResult RunAndWait(Job job, const ProgressFunction& showProgress);

signals:
    void ProgressReported(int percent);
    void RunEnded();

protected:
    void run() override;

private:
    Job job_;
    ReadResult result_;
    std::atomic<bool> finished_{false};
};

} // namespace orvane::image
