#pragma once

// What the benchmarks share to time the library's calls: the best of
// several runs of a step, and the handle by which the library knows a
// codeplug object's open XML file.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "host/memory_codeplug.h"

// The shortest of `runs` runs of work, in milliseconds; a run that returns
// false ends the program, since its time would mean nothing.
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

// The same, with `before` run ahead of each run outside its time.
template <typename Before, typename Work>
double best_milliseconds(int runs, Before before, Work work) {
    double best = 1e300;
    for (int run = 0; run < runs; ++run) {
        before();
        best = std::min(best, best_milliseconds(1, work));
    }
    return best;
}

inline std::uintptr_t handle_of(MemoryCodeplug* codeplug) {
    return reinterpret_cast<std::uintptr_t>(static_cast<ICodeplug*>(codeplug));
}
