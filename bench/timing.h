#pragma once

// What the benchmarks share to time the library's calls: the best of
// several runs of a step, the handle by which the library knows a codeplug
// object's open XML file, and an import of a codeplug to compare with.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "host/memory_codeplug.h"
#include "interface/xmlxsl.h"

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

// The best of `runs` imports (XMLXSL_XML2CP) of the codeplug's XML file,
// which is exported into `folder` first; the anchor that the tools of the
// program are measured against. A failed export ends the program.
inline double import_milliseconds(const Codeplug& codeplug, int runs, const std::filesystem::path& folder) {
    const std::string file = (folder / "radio.xml").string();
    auto source = MemoryCodeplug::Create(codeplug);
    const bool written = XMLXSL_CP2XML(file.c_str(), source.get()) == XMLXSL_S_OK;
    XMLXSL_CloseXMLFile(handle_of(source.get()));
    if (!written) {
        std::fprintf(stderr, "the XML file of %zu fields cannot be written\n", CountFields(codeplug));
        std::exit(1);
    }
    return best_milliseconds(runs, [&] {
        auto target = MemoryCodeplug::Create();
        bool ok = XMLXSL_XML2CP(file.c_str(), target.get()) == XMLXSL_S_OK;
        return XMLXSL_CloseXMLFile(handle_of(target.get())) == XMLXSL_S_OK && ok;
    });
}
