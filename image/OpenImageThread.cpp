#include "image/OpenImageThread.h"

namespace orvane::image {

OpenImageThread::OpenImageThread(Job job, QObject* parent)
    : QThread(parent), job_(std::move(job)) {}

OpenImageThread::~OpenImageThread() {
    wait();
}

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

} // namespace orvane::image
