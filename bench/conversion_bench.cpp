// Export and import of realistic codeplugs of growing size through the
// library's exported functions, beside the time libxml2's xmllint takes to
// parse the same XML text: the yardstick for what reading such a file costs.
//
// Prints one table; each time is the best of several runs.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/codeplug_generator.h"
#include "host/memory_codeplug.h"
#include "interface/xmlxsl.h"
#include "platform/ansi.h"
#include "platform/com.h"
#include "platform/unique_bstr.h"

namespace {

using Clock = std::chrono::steady_clock;

template <typename Work>
double best_milliseconds(int runs, Work work) {
    double best = 1e300;
    for (int run = 0; run < runs; ++run) {
        auto start = Clock::now();
        if (!work()) {
            std::fprintf(stderr, "a benchmarked call failed\n");
            std::exit(1);
        }
        best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return best;
}

std::uintptr_t handle_of(MemoryCodeplug* codeplug) {
    return reinterpret_cast<std::uintptr_t>(static_cast<ICodeplug*>(codeplug));
}

struct Row {
    std::size_t fields;
    double exportMs;
    double importMs;
    double xmllintMs;
};

Row measure(int channels, const std::filesystem::path& folder, int runs) {
    Codeplug codeplug = GenerateRealisticCodeplug(channels);
    auto source = MemoryCodeplug::Create(codeplug);
    std::string file = (folder / ("radio-" + std::to_string(channels) + ".xml")).string();
    std::string plain = (folder / ("plain-" + std::to_string(channels) + ".xml")).string();

    Row row{CountFields(codeplug), 0, 0, 0};
    row.exportMs = best_milliseconds(runs, [&] { return XMLXSL_CP2XML(file.c_str(), source.get()) == XMLXSL_S_OK; });
    unique_bstr text;
    XMLXSL_WriteXML(text.put(), 1);
    std::ofstream(plain, std::ios::binary) << to_ansi(text.get());
    XMLXSL_CloseXMLFile(handle_of(source.get()));

    row.importMs = best_milliseconds(runs, [&] {
        auto target = MemoryCodeplug::Create();
        bool ok = XMLXSL_XML2CP(file.c_str(), target.get()) == XMLXSL_S_OK;
        return XMLXSL_CloseXMLFile(handle_of(target.get())) == XMLXSL_S_OK && ok;
    });
    std::string command = "xmllint --noout '" + plain + "'";
    row.xmllintMs = best_milliseconds(runs, [&] { return std::system(command.c_str()) == 0; });
    return row;
}

}  // namespace

int main() {
    if (std::system("xmllint --version > /dev/null 2>&1") != 0) {
        std::fprintf(stderr, "xmllint is missing: install libxml2-utils\n");
        return 1;
    }
    std::filesystem::path folder = std::filesystem::temp_directory_path() / "xmlxsl-bench";
    std::filesystem::create_directories(folder);
    CoInitialize(nullptr);
    if (XMLXSL_Open() != XMLXSL_S_OK) return 1;

    // 1,000, 10,015 and 100,005 fields: 40 fields a channel.
    std::vector<Row> rows;
    for (int channels : {16, 241, 2491}) rows.push_back(measure(channels, folder, channels > 1000 ? 3 : 7));

    std::printf("| fields | export ms | export ms/1k fields | import ms | import ms/1k fields | xmllint ms | import/xmllint |\n");
    std::printf("|---:|---:|---:|---:|---:|---:|---:|\n");
    for (const Row& row : rows) {
        double thousands = static_cast<double>(row.fields) / 1000.0;
        std::printf("| %zu | %.1f | %.2f | %.1f | %.2f | %.1f | %.1f |\n", row.fields, row.exportMs,
                    row.exportMs / thousands, row.importMs, row.importMs / thousands, row.xmllintMs,
                    row.importMs / row.xmllintMs);
    }
    const Row& mid = rows[1];
    const Row& big = rows[2];
    auto growth = [&](double bigMs, double midMs) {
        return (bigMs / static_cast<double>(big.fields)) / (midMs / static_cast<double>(mid.fields));
    };
    std::printf("\nper-field cost at 100k against 10k: export %.2fx, import %.2fx\n", growth(big.exportMs, mid.exportMs),
                growth(big.importMs, mid.importMs));

    XMLXSL_Close();
    CoUninitialize();
    std::filesystem::remove_all(folder);
    return 0;
}
