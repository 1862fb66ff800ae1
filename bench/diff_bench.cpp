// The comparison of `xmlxsl diff` on realistic codeplugs of 1,000 and
// 10,000 channels with a bounded number of differences, the files already
// read, beside an import of the same codeplug's XML file through the
// library: the comparison alone, and with its text report.
//
// Prints one table; each time is the best of five runs. A last row compares
// a codeplug with one in which every channel changed, the case the
// comparison is not made for.

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/timing.h"
#include "host/codeplug_diff.h"
#include "host/codeplug_generator.h"
#include "host/diff_report.h"
#include "interface/xmlxsl.h"
#include "platform/com.h"

namespace {

namespace fs = std::filesystem;

std::vector<TypeRows>& channels(Codeplug& codeplug) {
    return std::get<EntryBlock>(codeplug.blocks[field::CP_BLOCK]).items;
}

// Twelve differences spread over the codeplug: four changed channel fields,
// two inserted and two removed channels, a changed zone member, a renamed
// scan list, a changed setting and a changed type code.
Codeplug changed_a_little(Codeplug codeplug) {
    std::vector<TypeRows>& list = channels(codeplug);
    const std::size_t count = list.size();
    for (std::size_t k = 1; k <= 4; ++k) list[k * count / 5][0].value = u"469.99000";
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(count / 3));
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(2 * count / 3));
    list.insert(list.begin() + static_cast<std::ptrdiff_t>(count / 7), list.front());
    list.push_back(list.back());
    auto& zones = std::get<ListBlock>(codeplug.blocks[field::PA_BLOCK]).items;
    zones[zones.size() / 2].items[3][1].value = u"0";
    std::get<ListBlock>(codeplug.blocks[field::SLI_BLOCK]).items.back().info[0].value = u"Renamed";
    std::get<EntryBlock>(codeplug.blocks[field::RC_BLOCK]).info[5].value = u"99";
    std::get<EntryBlock>(codeplug.blocks[field::RI_BLOCK]).info[0].type = 9;
    return codeplug;
}

Codeplug every_channel_changed(Codeplug codeplug) {
    for (TypeRows& channel : channels(codeplug)) channel[0].value = u"469.99000";
    return codeplug;
}

struct Row {
    std::string what;
    std::size_t fields;
    std::size_t differences;
    double diffMs;
    double reportMs;
    double importMs;
};

Row measure(const std::string& what, const Codeplug& before, const Codeplug& after, const fs::path& folder) {
    std::size_t found = 0;
    const double diffMs = best_milliseconds(5, [&] {
        found = DiffCodeplugs(before, after).size();
        return found > 0;
    });
    const double reportMs = best_milliseconds(5, [&] {
        diff_wording words(Language::English, false);
        return !DiffAsText(DiffCodeplugs(before, after), words).empty();
    });
    return {what,     CountFields(before) + CountFields(after), found, diffMs,
            reportMs, import_milliseconds(before, 5, folder)};
}

}  // namespace

int main() {
    const fs::path folder = fs::temp_directory_path() / "xmlxsl-diff-bench";
    fs::create_directories(folder);
    CoInitialize(nullptr);
    if (XMLXSL_Open() != XMLXSL_S_OK) return 1;

    std::vector<Row> rows;
    for (int count : {1000, 10000}) {
        const Codeplug before = GenerateRealisticCodeplug(count);
        rows.push_back(measure(std::to_string(count) + " channels", before, changed_a_little(before), folder));
    }
    const Codeplug before = GenerateRealisticCodeplug(1000);
    rows.push_back(measure("1000 channels, every one changed", before, every_channel_changed(before), folder));

    XMLXSL_Close();
    CoUninitialize();
    fs::remove_all(folder);

    std::printf(
        "| codeplugs | fields of both | differences | diff ms | diff and text ms | ms per 1,000 fields | "
        "import of one ms | diff / import |\n");
    std::printf("|---|---:|---:|---:|---:|---:|---:|---:|\n");
    for (const Row& row : rows)
        std::printf("| %s | %zu | %zu | %.2f | %.2f | %.3f | %.1f | %.3f |\n", row.what.c_str(), row.fields,
                    row.differences, row.diffMs, row.reportMs, row.reportMs * 1000.0 / static_cast<double>(row.fields),
                    row.importMs, row.reportMs / row.importMs);
    return 0;
}
