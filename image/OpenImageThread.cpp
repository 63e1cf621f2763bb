#include "image/OpenImageThread.h"

void OpenImageThread::run() {
    result_ = ReadSamples(FileName, Geometry, Buffer,
                          [this](int percent) { emit ProgressReported(percent); });
    finished_.store(true, std::memory_order_release);
    emit RunEnded();
}
