#include "platform/fault_injection.h"

#include <atomic>
#include <cstdlib>

#include "platform/large_pages.h"
#include "platform/oleheap.h"

namespace {

// Allocations still allowed before the injected failure; negative when off.
std::atomic<int> gAllocationsBeforeFailure{-1};

bool take_injected_failure() noexcept {
    int remaining = gAllocationsBeforeFailure.load(std::memory_order_relaxed);
    while (remaining >= 0) {
        int next = remaining == 0 ? -1 : remaining - 1;
        if (gAllocationsBeforeFailure.compare_exchange_weak(remaining, next, std::memory_order_relaxed))
            return remaining == 0;
    }
    return false;
}

}  // namespace

void FailOleAllocationsAfter(int n) noexcept {
    gAllocationsBeforeFailure.store(n < 0 ? -1 : n, std::memory_order_relaxed);
}

bool OleAllocationFailurePending() noexcept { return gAllocationsBeforeFailure.load(std::memory_order_relaxed) >= 0; }

void* try_ole_allocate_zeroed(std::size_t bytes) noexcept {
    if (take_injected_failure()) return nullptr;
    // A large block comes fresh from the system, zeroed and not yet touched:
    // the advice still decides the pages its first writes get.
    void* block = std::calloc(1, bytes);
    PreferLargePages(block, bytes);
    return block;
}

void ole_free(void* block) noexcept { std::free(block); }
