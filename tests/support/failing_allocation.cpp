#include "tests/support/failing_allocation.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<int> gAllocationsBeforeFailure{-1};

bool take_injected_failure() noexcept {
    int remaining = gAllocationsBeforeFailure.load(std::memory_order_relaxed);
    while (remaining >= 0) {
        const int next = remaining == 0 ? -1 : remaining - 1;
        if (gAllocationsBeforeFailure.compare_exchange_weak(remaining, next, std::memory_order_relaxed))
            return remaining == 0;
    }
    return false;
}

void* try_allocate(std::size_t size) noexcept {
    if (take_injected_failure()) return nullptr;
    return std::malloc(size == 0 ? 1 : size);
}

void* allocate(std::size_t size) {
    void* block = try_allocate(size);
    if (block == nullptr) throw std::bad_alloc();
    return block;
}

}  // namespace

void FailAllocationsAfter(int n) noexcept {
    gAllocationsBeforeFailure.store(n < 0 ? -1 : n, std::memory_order_relaxed);
}

bool AllocationFailurePending() noexcept { return gAllocationsBeforeFailure.load(std::memory_order_relaxed) >= 0; }

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return try_allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return try_allocate(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }
