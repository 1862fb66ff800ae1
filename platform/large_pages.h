#pragma once

// Asks the system to back a large, freshly allocated block with large pages
// where it can. A report's texts are tens of megabytes written once from
// start to end; in pages of 4 KiB each first write is a page fault, and on a
// virtual machine those cost more than the writing itself. A block that is
// small, or a system without the advice, is left as it is: only speed
// depends on it.

#include <cstddef>

#include "platform/export.h"

WIN32_EXPORT void PreferLargePages(void* block, std::size_t bytes) noexcept;
