#include "image/OpenImageThread.h"

#include <QEventLoop>

namespace orvane::image {

OpenImageThread::OpenImageThread(Job job, QObject* parent)
    : QThread(parent), job_(std::move(job)) {}

void OpenImageThread::run() {
    // Nothing may leave a thread's run: it would end the program.
    try {
        result_ = job_([this](int percent) { emit ProgressReported(percent); });
    } catch (...) {
        result_ = ReadResult();
        result_.failure = ReadFailureText(std::current_exception());
    }
    finished_.store(true, std::memory_order_release);
    emit RunEnded();
}

ReadResult OpenImageThread::RunAndWait(Job job, const ProgressFunction& showProgress) {
    OpenImageThread reader(std::move(job));
    QEventLoop wait;
    QObject::connect(&reader, &OpenImageThread::ProgressReported, &wait,
                     [&showProgress](int percent) {
                         if (showProgress)
                             showProgress(percent);
                     });
    QObject::connect(&reader, &OpenImageThread::RunEnded, &wait, &QEventLoop::quit,
                     Qt::QueuedConnection);
    reader.start(QThread::HighestPriority);
    // The completion ends this loop; it always arrives after every progress
    // report, since both are queued from the reader in order.
    wait.exec();
    reader.wait();
    Q_ASSERT(reader.IsFinished());
    return reader.Result();
}

} // namespace orvane::image
