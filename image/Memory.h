#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

namespace orvane::image {

// Zero-filled blocks for the sample buffer and the sizing trials. Failure is a
// result (null), never an exception: a too-large image is an expected case.
std::uint8_t* TryAllocate(std::size_t size);
void FreeBuffer(std::uint8_t* block);

struct FreeBufferDeleter {
    void operator()(std::uint8_t* block) const { FreeBuffer(block); }
};
// A block from TryAllocate that goes back with FreeBuffer.
using LevelBuffer = std::unique_ptr<std::uint8_t, FreeBufferDeleter>;

} // namespace orvane::image
