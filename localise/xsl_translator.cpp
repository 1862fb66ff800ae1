#include "localise/xsl_translator.h"

#include <new>
#include <string_view>

#include "localise/installation_settings.h"
#include "localise/resource_table.h"
#include "localise/tag_expansion.h"
#include "platform/ansi.h"
#include "platform/unique_variant.h"
#include "report/error_report.h"

namespace {

constexpr std::string_view kDealerLeftTag = "0002";
constexpr std::string_view kDealerMiddleTag = "0004";
constexpr std::string_view kDealerRightTag = "0003";

constexpr std::string_view kAmpersand = "&";
constexpr std::string_view kLessThan = "<";
constexpr std::string_view kLineFeed = "\n";
constexpr std::string_view kEscapedAmpersand = "&amp;";
constexpr std::string_view kEscapedLessThan = "&lt;";
constexpr std::string_view kEscapedLineFeed = "&lt;br />";

// Replacements that hold tags again can double the text at every step, so a
// resource file of a few lines could ask for gigabytes. A translation that
// grows the text by more than this (a hundred times a large report template)
// counts as memory run out, before it takes the process's memory and time.
constexpr std::size_t kGrowthLimit = std::size_t{4} << 20;
// Only steps for tags that a replacement brought back count, and normal
// templates have none: it stops endless loops in a fraction of a second.
constexpr std::size_t kRescanLimit = std::size_t{256} << 20;

struct dealer_block {
    std::string_view tag;
    DWORD (*read)(VARIANT* result);
    std::string_view failure;
};

// In the order in which a tag is tested against them.
constexpr dealer_block kDealerBlocks[] = {
    {kDealerLeftTag, GetDealerInfoLeft, "DealerInfoLeft is bad\n"},
    {kDealerMiddleTag, GetDealerInfoMiddle, "DealerInfoMiddle is bad\n"},
    {kDealerRightTag, GetDealerInfoRight, "DealerInfoRight is bad\n"},
};

// The unescaped text that replaces tag, or a failure with its line appended.
ShortStatus try_look_up(const std::string& tag, const CReader& resources, std::string& text) {
    for (const dealer_block& dealer : kDealerBlocks) {
        if (tag != dealer.tag) continue;
        unique_variant block;
        if (const DWORD code = dealer.read(block.put()); code != 0) {
            AppendReportError(dealer.failure);
            return code;
        }
        text = block.vt() == VT_BSTR ? to_ansi(block.get()->bstrVal) : std::string();
        return kShortOk;
    }
    if (resources.getString(tag, text) != kShortOk) {
        AppendReportError("Can not find resource %s. \n", tag);
        return kShortResource;
    }
    return kShortOk;
}

}  // namespace

ShortStatus CXSL::init(const char* text) {
    try {
        text_ = text ? text : "";
    } catch (const std::bad_alloc&) {
        AppendReportError("Unable to allocate memory in CXSL::init \n");
        return kShortMemory;
    }
    return kShortOk;
}

ShortStatus CXSL::translateXSL(std::string resourcePath) {
    try {
        CReader resources;
        if (const ShortStatus status = resources.readFile(resourcePath); status != kShortOk) return status;
        const auto lookUp = [&resources](const std::string& tag, std::string& replacement) {
            std::string text;
            if (const ShortStatus status = try_look_up(tag, resources, text); status != kShortOk) return status;
            replacement = processString(text);
            return kShortOk;
        };
        return ExpandTags(text_, lookUp, {kGrowthLimit, kRescanLimit});
    } catch (const std::bad_alloc&) {
        AppendReportError("Unable to allocate memory in CXSL::translateXSL \n");
        return kShortMemory;
    } catch (...) {
        AppendReportError("Resource file or registry error \n");
        return kShortResource;
    }
}

std::string CXSL::processString(const std::string& text) {
    try {
        std::string escaped;
        escaped.reserve(text.size());
        // One pass gives what the three passes in turn would: the entities
        // written for "<" and line feeds are never looked at again.
        for (const char character : text) {
            if (character == kAmpersand[0])
                escaped.append(kEscapedAmpersand);
            else if (character == kLessThan[0])
                escaped.append(kEscapedLessThan);
            else if (character == kLineFeed[0])
                escaped.append(kEscapedLineFeed);
            else
                escaped.push_back(character);
        }
        return escaped;
    } catch (const std::bad_alloc&) {
        AppendReportError("Unable to allocate memory in CXSL::processString.\n");
        return {};
    }
}
