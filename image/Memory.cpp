#include "image/Memory.h"

#include <cstdlib>

std::uint8_t* TryAllocate(std::size_t size) {
    if (size == 0)
        return nullptr;
    return static_cast<std::uint8_t*>(std::calloc(size, 1));
}

void FreeBuffer(std::uint8_t* block) { std::free(block); }
