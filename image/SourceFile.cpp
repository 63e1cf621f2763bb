#include "image/SourceFile.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane::image {

std::shared_ptr<const SourceFile> SourceFile::Open(const QString& path) {
    std::shared_ptr<SourceFile> file(new SourceFile);
    file->name_ = QFile::encodeName(path);
    file->fd_ = ::open(file->name_.constData(), O_RDONLY | O_CLOEXEC);
    file->openErrno_ = file->fd_ < 0 ? errno : 0;
    return file;
}

SourceFile::~SourceFile() {
    if (fd_ >= 0)
        ::close(fd_);
}

std::uint64_t SourceFile::Size() const {
    struct stat status;
    if (fd_ < 0 || fstat(fd_, &status) != 0 || status.st_size < 0)
        return 0;
    return std::uint64_t(status.st_size);
}

std::int64_t SourceFile::ReadAt(void* out, std::size_t count, std::uint64_t offset) const {
    if (fd_ < 0 || offset > std::uint64_t(INT64_MAX) - count) {
        errno = fd_ < 0 ? EBADF : EINVAL;
        return -1;
    }
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got =
            ::pread(fd_, static_cast<char*>(out) + done, count - done, off_t(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return -1;
        if (got == 0)
            break; // the end of the file
        done += std::size_t(got);
    }
    return std::int64_t(done);
}

} // namespace orvane::image
