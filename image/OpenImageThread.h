#pragma once
#include "image/ScanlineReader.h"

#include <QThread>
#include <atomic>

// Reads the pixels of an accepted file into the sample buffer on its own
// thread. The owner sets the fields, starts it, and waits for RunEnded (a
// queued signal) in a nested event loop; progress arrives as queued
// ProgressReported signals, applied on the user-interface thread in order.
class OpenImageThread : public QThread {
    Q_OBJECT
public:
    explicit OpenImageThread(QObject* parent = nullptr) : QThread(parent) {}

    QString FileName;
    ReadGeometry Geometry;
    std::uint8_t* Buffer = nullptr;

    // Set last, with release semantics, so that every level written before is
    // visible to whoever reads it true with acquire semantics.
    bool IsFinished() const { return finished_.load(std::memory_order_acquire); }
    // Valid once IsFinished() is true.
    const ReadResult& Result() const { return result_; }

signals:
    void ProgressReported(int percent);
    void RunEnded();

protected:
    void run() override;

private:
    ReadResult result_;
    std::atomic<bool> finished_{false};
};
