#pragma once
#include <cstddef>
#include <cstdint>

// Zero-filled blocks for the sample buffer and the sizing trials. Failure is a
// result (null), never an exception: a too-large image is an expected case.
std::uint8_t* TryAllocate(std::size_t size);
void FreeBuffer(std::uint8_t* block);
