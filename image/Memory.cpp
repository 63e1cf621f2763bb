#include "image/Memory.h"

#include <cstdlib>
#include <mutex>
#include <sys/mman.h>
#include <unordered_map>

namespace orvane::image {

namespace {

// Large blocks come straight from the kernel, already zero, and are marked
// for transparent huge pages: the reader's first touch of a 400 MB buffer
// then takes a few hundred page faults instead of a hundred thousand, which
// otherwise costs more than reading the file.
constexpr std::size_t kLargeBlock = 4u << 20;
constexpr std::size_t kHugePage = 2u << 20;

std::mutex& LargeBlocksMutex() {
    static std::mutex m;
    return m;
}
std::unordered_map<std::uint8_t*, std::pair<void*, std::size_t>>& LargeBlocks() {
    static std::unordered_map<std::uint8_t*, std::pair<void*, std::size_t>> blocks;
    return blocks;
}

std::uint8_t* MapLargeBlock(std::size_t size) {
    const std::size_t length = size + kHugePage; // room to align the start
    void* base = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED)
        return nullptr;
    auto aligned = reinterpret_cast<std::uintptr_t>(base);
    aligned = (aligned + kHugePage - 1) & ~std::uintptr_t(kHugePage - 1);
    auto* block = reinterpret_cast<std::uint8_t*>(aligned);
#ifdef MADV_HUGEPAGE
    madvise(block, size, MADV_HUGEPAGE);
#endif
    std::lock_guard<std::mutex> lock(LargeBlocksMutex());
    LargeBlocks()[block] = {base, length};
    return block;
}

} // namespace

std::uint8_t* TryAllocate(std::size_t size) {
    if (size == 0)
        return nullptr;
    if (size >= kLargeBlock)
        return MapLargeBlock(size);
    return static_cast<std::uint8_t*>(std::calloc(size, 1));
}

void FreeBuffer(std::uint8_t* block) {
    if (!block)
        return;
    {
        std::lock_guard<std::mutex> lock(LargeBlocksMutex());
        auto it = LargeBlocks().find(block);
        if (it != LargeBlocks().end()) {
            munmap(it->second.first, it->second.second);
            LargeBlocks().erase(it);
            return;
        }
    }
    std::free(block);
}

} // namespace orvane::image
