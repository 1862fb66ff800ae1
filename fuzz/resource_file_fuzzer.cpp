// Resource string files through CReader: any bytes as the file, then a few
// keys looked up, the first word of the file among them.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz/scratch_folder.h"
#include "localise/resource_table.h"
#include "report/error_report.h"

namespace {

constexpr std::string_view kWhiteSpace = " \t\r\n\v\f";

[[noreturn]] void fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "%s: [%s]\n", what, detail.c_str());
    std::abort();
}

bool is_read_status(ShortStatus status) {
    return status == kShortOk || status == kShortFileOpen || status == kShortResourceLine || status == kShortMemory ||
           status == kShortRead;
}

// A stored value is what follows the key and its separator on a trimmed
// line: never empty, never beginning with a blank or tab, never ending in
// white space.
void check_lookup(const CReader& reader, const std::string& key) {
    std::string value = "unset";
    const ShortStatus status = reader.getString(key, value);
    if (status == kShortResource) {
        if (!value.empty()) fail("a missing key gives a value", key);
        return;
    }
    if (status != kShortOk) fail("getString gives an unknown status", key);
    if (value.empty()) fail("a stored value is empty", key);
    if (value.front() == ' ' || value.front() == '\t') fail("a stored value begins with its separator", key);
    if (kWhiteSpace.find(value.back()) != std::string_view::npos) fail("a stored value ends in white space", key);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const ScratchFolder folder;
    static const std::string path = folder.file("strings.txt");
    WriteWholeFile(path, data, size);
    gXSLErrorMsg = "Errors: \n";

    CReader reader;
    const ShortStatus status = reader.readFile(path);
    if (!is_read_status(status)) fail("readFile gives an unknown status", path);
    if (status == kShortFileOpen) fail("the resource file cannot be opened", path);

    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::size_t wordBegin = std::min(text.find_first_not_of(kWhiteSpace), text.size());
    const std::size_t wordEnd = std::min(text.find_first_of(kWhiteSpace, wordBegin), text.size());
    for (const std::string& key : {std::string(text.substr(wordBegin, wordEnd - wordBegin)), std::string("0001"),
                                   std::string("TITL"), std::string()}) {
        check_lookup(reader, key);
    }
    return 0;
}
