#include "tests/support/FailingAllocator.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<bool> armed{false};
std::atomic<std::size_t> failFrom{0}, failTo{0};

void* Allocate(std::size_t size) {
    if (armed.load(std::memory_order_relaxed) && size >= failFrom.load(std::memory_order_relaxed) &&
        size <= failTo.load(std::memory_order_relaxed))
        throw std::bad_alloc();
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

} // namespace

namespace orvane::test {

void FailAllocations(std::size_t fromBytes, std::size_t toBytes) {
    failFrom = fromBytes;
    failTo = toBytes;
    armed = true;
}

void StopFailingAllocations() {
    armed = false;
}

} // namespace orvane::test

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
