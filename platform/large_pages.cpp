#include "platform/large_pages.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

namespace {

// Below this a block rarely spans one whole large page.
constexpr std::size_t kWorthAdvising = std::size_t{4} << 20;

}  // namespace

void PreferLargePages(void* block, std::size_t bytes) noexcept {
#ifdef MADV_HUGEPAGE
    if (!block || bytes < kWorthAdvising) return;
    const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    // The advice takes whole pages; the pages that the block shares with its
    // neighbours at either end are left alone.
    const auto begin = (reinterpret_cast<std::uintptr_t>(block) + page - 1) / page * page;
    const auto end = (reinterpret_cast<std::uintptr_t>(block) + bytes) / page * page;
    if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)block;
    (void)bytes;
#endif
}
