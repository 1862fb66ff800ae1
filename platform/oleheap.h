#pragma once

// The heap behind BSTRs and safe arrays, private to the platform library.
// Every counted allocation of fault_injection.h goes through here.

#include <cstddef>

// A zero-filled block, or null when the heap (or the test seam) refuses.
[[nodiscard]] void* try_ole_allocate_zeroed(std::size_t bytes) noexcept;
// Null is fine.
void ole_free(void* block) noexcept;
