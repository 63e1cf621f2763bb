#pragma once
// A replacement of the global operator new that a test can make fail, for the executables that
// link it (tests/support's orvane_failing_allocator): allocations of a chosen size range throw
// std::bad_alloc while the failure is armed, on every thread.
#include <cstddef>

namespace orvane::test {

// From now on allocations of `fromBytes` .. `toBytes` (both included) fail.
void FailAllocations(std::size_t fromBytes, std::size_t toBytes);
void StopFailingAllocations();

// Arms the failure for the lifetime of the object.
class FailingAllocations {
public:
    FailingAllocations(std::size_t fromBytes, std::size_t toBytes) {
        FailAllocations(fromBytes, toBytes);
    }
    ~FailingAllocations() { StopFailingAllocations(); }
    FailingAllocations(const FailingAllocations&) = delete;
    FailingAllocations& operator=(const FailingAllocations&) = delete;
};

} // namespace orvane::test
