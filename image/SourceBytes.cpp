#include "image/SourceBytes.h"

namespace orvane::image {

SourceBytes::SourceBytes(const TiffSource& source) {
    if (source.inMemory) {
        memory_ = source.data;
        memorySize_ = source.data ? source.size : 0;
        return;
    }
    file_ = source.OpenFile();
}

SourceBytes::~SourceBytes() = default;

const std::uint8_t* SourceBytes::Read(std::uint64_t offset, std::size_t count,
                                      std::vector<std::uint8_t>& scratch) const {
    if (memory_)
        return offset <= memorySize_ && count <= memorySize_ - offset ? memory_ + offset : nullptr;
    if (!file_)
        return nullptr;
    if (scratch.size() < count)
        scratch.resize(count);
    // Short: the file is shorter than it was.
    return file_->ReadAt(scratch.data(), count, offset) == std::int64_t(count) ? scratch.data()
                                                                               : nullptr;
}

} // namespace orvane::image
