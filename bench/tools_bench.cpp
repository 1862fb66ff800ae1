// The technician's tools on realistic codeplugs of 1,000 and 10,000
// channels, each beside an import (XMLXSL_XML2CP) of the same codeplug's
// scrambled XML file: the tools start from the codeplug in memory, so the
// reading of files is left out of their times, while the import's reads
// its file, as the program's would. Prints what each costs per field, its
// time over the import's, and how its cost per field grows from the
// smaller codeplug to the larger.
//
// The tools are a table of named steps: a tool joins with a row.

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "bench/timing.h"
#include "host/channel_csv.h"
#include "host/check_report.h"
#include "host/codeplug_check.h"
#include "host/codeplug_generator.h"
#include "host/field_display_names.h"
#include "host/memory_codeplug.h"
#include "interface/xmlxsl.h"
#include "platform/com.h"

namespace {

namespace fs = std::filesystem;

const FieldDisplayNames& english() {
    static const FieldDisplayNames names("English");
    return names;
}

struct TimedStep {
    const char* name;
    // Makes what the step reads, outside its time, and gives the work to
    // time, which returns false when the step failed.
    std::function<std::function<bool()>(const Codeplug&)> prepare;
};

const TimedStep kSteps[] = {
    {"channels export",
     [](const Codeplug& codeplug) {
         return [&codeplug] { return !WriteChannelCsv(codeplug, english(), false).empty(); };
     }},
    {"channels import",
     [](const Codeplug& codeplug) {
         return [&codeplug, csv = WriteChannelCsv(codeplug, english(), false)] {
             return ReplaceChannels(codeplug, csv) == codeplug;
         };
     }},
    {"check", [](const Codeplug& codeplug) { return [&codeplug] { return !CheckCodeplug(codeplug).empty(); }; }},
    {"check with its text",
     [](const Codeplug& codeplug) {
         return
             [&codeplug] { return !FindingsText("radio.xml", codeplug, CheckCodeplug(codeplug), english()).empty(); };
     }},
};

constexpr int kChannelCounts[] = {1000, 10000};

struct Row {
    const char* step;
    int channels;
    std::size_t fields;
    // The best run with the codeplug in the caches from the run before, and
    // the best with none of it there.
    double cachedMs, uncachedMs;
    double importMs;
};

// Writes over more memory than the caches hold, so that a step that runs
// next finds none of its codeplug there, whatever its size.
void evict_caches() {
    static std::vector<char> memory(128u << 20);
    for (std::size_t at = 0; at < memory.size(); at += 64) memory[at] = static_cast<char>(memory[at] + 1);
}

double per_thousand_fields(double ms, std::size_t fields) { return ms * 1000.0 / static_cast<double>(fields); }

}  // namespace

int main() {
    const fs::path folder = fs::temp_directory_path() / "xmlxsl-tools-bench";
    fs::create_directories(folder);
    CoInitialize(nullptr);
    if (XMLXSL_Open() != XMLXSL_S_OK) return 1;

    std::vector<Row> rows;
    for (int channels : kChannelCounts) {
        const Codeplug codeplug = GenerateRealisticCodeplug(channels);
        const std::size_t fields = CountFields(codeplug);
        // The tools take milliseconds, and the machine's other work moves
        // their times: many runs find their best. They run before the
        // import, whose work would leave its traces in the heap.
        const int runs = channels > 5000 ? 12 : 40;
        const std::size_t first = rows.size();
        for (const TimedStep& step : kSteps) {
            std::function<bool()> work = step.prepare(codeplug);
            rows.push_back({step.name, channels, fields, best_milliseconds(runs, work),
                            best_milliseconds(runs, evict_caches, work), 0});
        }
        const double importMs = import_milliseconds(codeplug, channels > 5000 ? 3 : 5, folder);
        for (std::size_t at = first; at < rows.size(); ++at) rows[at].importMs = importMs;
    }
    XMLXSL_Close();
    CoUninitialize();
    fs::remove_all(folder);

    std::printf(
        "| step | channels | fields | ms, cached | ms, uncached | ms per 1,000 fields, cached | ms per 1,000 "
        "fields, uncached | import ms | uncached step / import |\n");
    std::printf("|---|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    for (const Row& row : rows)
        std::printf("| %s | %d | %zu | %.1f | %.1f | %.3f | %.3f | %.1f | %.3f |\n", row.step, row.channels, row.fields,
                    row.cachedMs, row.uncachedMs, per_thousand_fields(row.cachedMs, row.fields),
                    per_thousand_fields(row.uncachedMs, row.fields), row.importMs, row.uncachedMs / row.importMs);
    std::printf(
        "\nGrowth of the cost per field from %d to %d channels:\n\n| step | cached | uncached |\n|---|---:|---:|\n",
        kChannelCounts[0], kChannelCounts[1]);
    const std::size_t steps = std::size(kSteps);
    auto growth = [](double smallMs, std::size_t smallFields, double largeMs, std::size_t largeFields) {
        return per_thousand_fields(largeMs, largeFields) / per_thousand_fields(smallMs, smallFields);
    };
    for (std::size_t at = 0; at < steps; ++at) {
        const Row& small = rows[at];
        const Row& large = rows[steps + at];
        std::printf("| %s | %.2f | %.2f |\n", small.step,
                    growth(small.cachedMs, small.fields, large.cachedMs, large.fields),
                    growth(small.uncachedMs, small.fields, large.uncachedMs, large.fields));
    }
    std::printf("| import (XMLXSL_XML2CP), for comparison | %.2f | |\n",
                growth(rows[0].importMs, rows[0].fields, rows[steps].importMs, rows[steps].fields));
    return 0;
}
