#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>

namespace {

// The dynamic symbols the library defines, as nm lists them; a host and the
// library see nothing else of it.
std::set<std::string> DefinedDynamicSymbols(const std::string& library) {
    std::filesystem::path listing =
        std::filesystem::temp_directory_path() / ("resourcemanager-symbols-" + std::to_string(std::random_device{}()));
    std::string command = "nm -D --defined-only --format=just-symbols '" + library + "' > '" + listing.string() + "'";
    std::set<std::string> symbols;
    if (std::system(command.c_str()) == 0) {
        std::ifstream in(listing);
        for (std::string symbol; std::getline(in, symbol);)
            if (!symbol.starts_with("__") && !symbol.starts_with("_init") && !symbol.starts_with("_fini"))
                symbols.insert(symbol);
    }
    std::filesystem::remove(listing);
    return symbols;
}

TEST(ResourceManagerLibrary, ExportsExactlyTheTwoFunctions) {
    EXPECT_EQ(DefinedDynamicSymbols(XMLXSL_RESOURCEMANAGER_PATH),
              (std::set<std::string>{"GetFieldName", "TranslateChoice"}));
}

}  // namespace
