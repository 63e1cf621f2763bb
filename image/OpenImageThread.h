#pragma once
#include "image/ScanlineReader.h"

#include <QThread>
#include <atomic>
#include <functional>

namespace orvane::image {

// Reads the pixels of an accepted file into the sample buffer on its own
// thread, at the highest priority short of time-critical once started.
// Progress arrives as queued ProgressReported signals on the owner's thread,
// in order; RunEnded (queued as well) always comes after the last of them, so
// the owner's event loop goes on and no loop is nested in it.
class OpenImageThread : public QThread {
    Q_OBJECT
public:
    using Job = ReadJob;
    explicit OpenImageThread(Job job, QObject* parent = nullptr);
    // Waits for the read: an owner that goes first lets it finish.
    ~OpenImageThread() override;

    void Start() { start(QThread::HighestPriority); }

    // Set last, with release semantics, so that every level written before is
    // visible to whoever reads it true with acquire semantics.
    bool IsFinished() const { return finished_.load(std::memory_order_acquire); }
    // Valid once IsFinished() is true. A job that throws ends with a result
    // that says why (ReadResult::failure) and has read nothing.
    const ReadResult& Result() const { return result_; }

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
