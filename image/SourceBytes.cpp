#include "image/SourceBytes.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace orvane::image {

SourceBytes::SourceBytes(const TiffSource& source) {
    if (source.inMemory) {
        memory_ = source.data;
        memorySize_ = source.data ? source.size : 0;
        return;
    }
    fd_ = ::open(QFile::encodeName(source.path).constData(), O_RDONLY | O_CLOEXEC);
}

SourceBytes::~SourceBytes() {
    if (fd_ >= 0)
        ::close(fd_);
}

const std::uint8_t* SourceBytes::Read(std::uint64_t offset, std::size_t count,
                                      std::vector<std::uint8_t>& scratch) const {
    if (memory_)
        return offset <= memorySize_ && count <= memorySize_ - offset ? memory_ + offset : nullptr;
    if (fd_ < 0 || offset > std::uint64_t(INT64_MAX) - count)
        return nullptr;
    if (scratch.size() < count)
        scratch.resize(count);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got = ::pread(fd_, scratch.data() + done, count - done, off_t(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return nullptr; // the file is shorter than it was
        done += std::size_t(got);
    }
    return scratch.data();
}

} // namespace orvane::image
