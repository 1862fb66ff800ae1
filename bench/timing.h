#pragma once

// What the benchmarks share: the best time of several runs of a step, and
// the library's handle of an in-memory codeplug object.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "host/memory_codeplug.h"

// The best of `runs` runs of `work`, which returns false when it failed; a
// failure ends the benchmark.
template <typename Work>
double best_milliseconds(int runs, Work work) {
    using Clock = std::chrono::steady_clock;
    double best = 1e300;
    for (int run = 0; run < runs; ++run) {
        auto start = Clock::now();
        if (!work()) {
            std::fprintf(stderr, "a benchmarked step failed\n");
            std::exit(1);
        }
        best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return best;
}

inline std::uintptr_t handle_of(MemoryCodeplug* codeplug) {
    return reinterpret_cast<std::uintptr_t>(static_cast<ICodeplug*>(codeplug));
}
