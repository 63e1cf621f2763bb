#pragma once
#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace orvane::image {

// The one open file behind a file source. Every library handle and byte
// reader of the source reads through this descriptor, each at offsets of its
// own: an open opens its path once, and a file renamed over the path or
// removed during a long read changes nothing it reads.
class SourceFile {
public:
    // Opens `path` for reading. A file that cannot be opened still gives a
    // SourceFile: without a descriptor, it keeps why.
    static std::shared_ptr<const SourceFile> Open(const QString& path);
    ~SourceFile();
    SourceFile(const SourceFile&) = delete;
    SourceFile& operator=(const SourceFile&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    int Descriptor() const { return fd_; }
    // errno of the failed open; 0 when open.
    int OpenErrno() const { return openErrno_; }
    // The path in the file system's encoding: the name the library gives the
    // file in its messages.
    const QByteArray& Name() const { return name_; }

    // The file's size now (it may have changed since it was opened); 0 when
    // it cannot be told.
    std::uint64_t Size() const;
    // Reads up to `count` bytes from `offset` into `out`: fewer at the end of
    // the file, -1 on an error.
    std::int64_t ReadAt(void* out, std::size_t count, std::uint64_t offset) const;

private:
    SourceFile() = default;
    QByteArray name_;
    int fd_ = -1;
    int openErrno_ = 0;
};

} // namespace orvane::image
