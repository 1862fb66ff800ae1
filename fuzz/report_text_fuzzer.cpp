// The report generator's own text work, held against the literal steps:
// the alias rewrite, the cut after each pass and the "amp;" removal must
// give the same text for every input.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "report/report_generator.h"
#include "tests/support/literal_report_text.h"

namespace {

void require_same(const char* step, const std::string& input, const std::string& fast, const std::string& literal) {
    if (fast == literal) return;
    std::fprintf(stderr, "%s differs from the literal step\ninput:   [%s]\nfast:    [%s]\nliteral: [%s]\n", step,
                 input.c_str(), fast.c_str(), literal.c_str());
    std::abort();
}

void check_cut(const char* step, bool (*cut)(std::string&), std::string_view closingTag, const std::string& input) {
    std::string fast = input;
    const bool fastFound = cut(fast);
    std::string literal = input;
    const bool literalFound = LiteralCutAfter(literal, closingTag);
    if (fastFound != literalFound) {
        std::fprintf(stderr, "%s finds the tag: %d, the literal step: %d\n", step, fastFound, literalFound);
        std::abort();
    }
    require_same(step, input, fast, literal);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);

    std::string rewritten = input;
    RewriteAliases(rewritten);
    require_same("RewriteAliases", input, rewritten, LiteralRewriteAliases(input));

    check_cut("CutAfterEndOfDocument", CutAfterEndOfDocument, "</TORVALE_CODEPLUG>", input);
    check_cut("CutAfterEndOfReport", CutAfterEndOfReport, "</html>", input);

    std::string stripped = input;
    RemoveAmpersandEntities(stripped);
    require_same("RemoveAmpersandEntities", input, stripped, LiteralRemoveAmpersandEntities(input));
    return 0;
}
