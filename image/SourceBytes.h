#pragma once
#include "image/TiffSource.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace orvane::image {

// Reads byte ranges of a TIFF source from any thread: a memory block in
// place, a file with pread into the caller's buffer. Reading a file this way
// costs a copy from the page cache; reading it through a mapping costs a page
// fault and page-table work per few pages, which measured several times
// slower (most of all on a virtual machine).
class SourceBytes {
public:
    explicit SourceBytes(const TiffSource& source);
    ~SourceBytes();
    SourceBytes(const SourceBytes&) = delete;
    SourceBytes& operator=(const SourceBytes&) = delete;

    // `count` bytes from `offset`: where they lie in a memory block, else read
    // into `scratch` (grown as needed). Null when they cannot all be read.
    const std::uint8_t* Read(std::uint64_t offset, std::size_t count,
                             std::vector<std::uint8_t>& scratch) const;

private:
    const std::uint8_t* memory_ = nullptr;
    std::uint64_t memorySize_ = 0;
    std::shared_ptr<const SourceFile> file_; // the source's own descriptor
};

} // namespace orvane::image
