// Templates and resource values through CXSL::translateXSL. The input is
// the template, then a NUL byte, then the resource string file. The dealer
// blocks come from a registry written once, whose texts hold tags again:
// their own, each other's and a resource key's. A translation that does not
// end is caught by libFuzzer's -timeout. The loop itself, ExpandTags, is then
// held against the literal loop with the same tags and small limits.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "fuzz/scratch_folder.h"
#include "localise/installation_settings.h"
#include "localise/resource_table.h"
#include "localise/tag_expansion.h"
#include "localise/xsl_translator.h"
#include "platform/ansi.h"
#include "platform/environment.h"
#include "platform/unique_variant.h"
#include "report/error_report.h"
#include "tests/support/literal_translation.h"

namespace {

// The middle block is a multi-string: "^0002^ Main Street", "Springfield ^0003^".
// No block holds its own tag: such a block makes every template that uses it
// run to the rescan limit, which the small limits of the literal comparison
// reach far sooner.
constexpr std::string_view kDealerRegistry =
    "Windows Registry Editor Version 5.00\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Corvane\\TORVALE]\r\n"
    "\"DealerInfoLeft\"=\"Corvane & Sons <Radio>\"\r\n"
    "\"DealerInfoMiddle\"=hex(7):5e,00,30,00,30,00,30,00,32,00,5e,00,20,00,4d,00,61,00,69,00,6e,00,20,00,53,\\\r\n"
    "  00,74,00,72,00,65,00,65,00,74,00,00,00,53,00,70,00,72,00,69,00,6e,00,67,00,66,00,69,00,65,00,\\\r\n"
    "  6c,00,64,00,20,00,5e,00,30,00,30,00,30,00,33,00,5e,00,00,00,00,00\r\n"
    "\"DealerInfoRight\"=\"^0002^ ^TITL^\"\r\n";

// Small enough that the literal loop, which walks the whole text character
// by character at every step, runs each input in milliseconds.
constexpr tag_expansion_limits kSmallLimits = {1024, 16384};

std::string escaped_dealer_block(DWORD (*read)(VARIANT*)) {
    unique_variant block;
    if (read(block.put()) != 0 || block.vt() != VT_BSTR) std::abort();
    return CXSL::processString(to_ansi(block.get()->bstrVal));
}

struct Scratch {
    ScratchFolder folder;
    std::string resourcePath = folder.file("strings.txt");
    std::map<std::string, std::string, std::less<>> dealerBlocks;

    Scratch() {
        const std::string registryPath = folder.file("dealer.reg");
        WriteWholeFile(registryPath, reinterpret_cast<const std::uint8_t*>(kDealerRegistry.data()),
                       kDealerRegistry.size());
        if (!SetEnvironmentVariableA("XMLXSL_REGISTRY", registryPath.c_str())) std::abort();
        dealerBlocks = {{"0002", escaped_dealer_block(GetDealerInfoLeft)},
                        {"0004", escaped_dealer_block(GetDealerInfoMiddle)},
                        {"0003", escaped_dealer_block(GetDealerInfoRight)}};
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

struct Expanded {
    ShortStatus status;
    std::string text;
    std::string errors;
};

Expanded expand(ShortStatus (*loop)(std::string&, const tag_lookup&, tag_expansion_limits), std::string text,
                const tag_lookup& lookup) {
    gXSLErrorMsg.clear();
    const ShortStatus status = loop(text, lookup, kSmallLimits);
    return {status, std::move(text), gXSLErrorMsg};
}

// The text is compared unless memory ran out, where it is unspecified.
// Gives the status of the small run.
ShortStatus require_literal_results(const std::string& xslTemplate) {
    CReader resources;
    if (const ShortStatus status = resources.readFile(scratch().resourcePath); status != kShortOk) return status;
    const tag_lookup lookup = [&resources](const std::string& tag, std::string& replacement) {
        if (const auto dealer = scratch().dealerBlocks.find(tag); dealer != scratch().dealerBlocks.end()) {
            replacement = dealer->second;
            return kShortOk;
        }
        std::string text;
        if (resources.getString(tag, text) != kShortOk) {
            AppendReportError("Can not find resource %s. \n", tag);
            return kShortResource;
        }
        replacement = CXSL::processString(text);
        return kShortOk;
    };
    const Expanded fast = expand(ExpandTags, xslTemplate, lookup);
    const Expanded literal = expand(LiteralTranslation, xslTemplate, lookup);
    if (fast.status == literal.status && fast.errors == literal.errors &&
        (fast.status == kShortMemory || fast.text == literal.text))
        return fast.status;
    std::fprintf(stderr, "ExpandTags differs from the literal loop\nfast:    %#x [%s] [%s]\nliteral: %#x [%s] [%s]\n",
                 static_cast<unsigned>(fast.status), fast.errors.c_str(), fast.text.c_str(),
                 static_cast<unsigned>(literal.status), literal.errors.c_str(), literal.text.c_str());
    std::abort();
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
    // A template that reaches the small limits would grind on to the real
    // ones in translateXSL, which gives the same status only much later.
    if (require_literal_results(xslTemplate) == kShortMemory) return 0;
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
