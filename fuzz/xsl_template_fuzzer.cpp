// Templates and resource values through CXSL::translateXSL. The input is
// the template, then a NUL byte, then the resource string file. The dealer
// blocks come from a registry written once, whose texts hold tags again:
// their own, each other's and a resource key's. A translation that does not
// end is caught by libFuzzer's -timeout.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz/scratch_folder.h"
#include "localise/xsl_translator.h"
#include "platform/environment.h"
#include "report/error_report.h"

namespace {

// The middle block is a multi-string: "^0004^ Main Street", "Springfield ^0003^".
constexpr std::string_view kDealerRegistry =
    "Windows Registry Editor Version 5.00\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Corvane\\TORVALE]\r\n"
    "\"DealerInfoLeft\"=\"Corvane & Sons <Radio>\"\r\n"
    "\"DealerInfoMiddle\"=hex(7):5e,00,30,00,30,00,30,00,34,00,5e,00,20,00,4d,00,61,00,69,00,6e,00,20,00,53,\\\r\n"
    "  00,74,00,72,00,65,00,65,00,74,00,00,00,53,00,70,00,72,00,69,00,6e,00,67,00,66,00,69,00,65,00,\\\r\n"
    "  6c,00,64,00,20,00,5e,00,30,00,30,00,30,00,33,00,5e,00,00,00,00,00\r\n"
    "\"DealerInfoRight\"=\"^0002^ ^TITL^\"\r\n";

struct Scratch {
    ScratchFolder folder;
    std::string resourcePath = folder.file("strings.txt");

    Scratch() {
        const std::string registryPath = folder.file("dealer.reg");
        WriteWholeFile(registryPath, reinterpret_cast<const std::uint8_t*>(kDealerRegistry.data()),
                       kDealerRegistry.size());
        if (!SetEnvironmentVariableA("XMLXSL_REGISTRY", registryPath.c_str())) std::abort();
    }
};

const Scratch& scratch() {
    static const Scratch made;
    return made;
}

// Every status but the dealer getters' codes, which this registry never
// gives, and the could-not-be-opened one, for a file that is always there.
bool is_translation_status(ShortStatus status) {
    return status == kShortOk || status == kShortResourceLine || status == kShortResource ||
           status == kShortTagLength || status == kShortFormat || status == kShortMemory || status == kShortRead;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    scratch();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t separator = std::min(input.find('\0'), input.size());
    const std::string xslTemplate(input.substr(0, separator));
    const std::string_view resources = input.substr(std::min(separator + 1, input.size()));
    WriteWholeFile(scratch().resourcePath, reinterpret_cast<const std::uint8_t*>(resources.data()), resources.size());
    gXSLErrorMsg = "Errors: \n";

    CXSL translator;
    if (translator.init(xslTemplate) != kShortOk) std::abort();
    const ShortStatus status = translator.translateXSL(scratch().resourcePath);
    if (!is_translation_status(status)) {
        std::fprintf(stderr, "translateXSL gives status %#x\n%s", static_cast<unsigned>(status), gXSLErrorMsg.c_str());
        std::abort();
    }
    if (status == kShortOk && xslTemplate.find('^') == std::string::npos && translator.getText() != xslTemplate) {
        std::fprintf(stderr, "a template without carets changed\n");
        std::abort();
    }
    return 0;
}
