#include "resourcemanager/language.h"

#include <algorithm>

namespace {

struct LanguageName {
    std::u16string_view lowerCase;
    Language language;
};

constexpr LanguageName kLanguageNames[] = {
    {u"english", Language::English},
    {u"german", Language::German},
    {u"deutsch", Language::German},
};

// ASCII only: a host's "ENGLISH" is meant, but a Turkish dotted capital I is
// not an i, and the names we know are plain ASCII.
constexpr char16_t ascii_lower(char16_t c) noexcept { return c >= u'A' && c <= u'Z' ? c - u'A' + u'a' : c; }

bool equals_ignoring_ascii_case(std::u16string_view text, std::u16string_view lowerCase) noexcept {
    // The classic algorithm: std::ranges brings default-visible inline objects
    // that would widen the library's exports.
    return std::equal(text.begin(), text.end(), lowerCase.begin(), lowerCase.end(),
                      [](char16_t c, char16_t l) { return ascii_lower(c) == l; });
}

}  // namespace

std::optional<Language> FindLanguage(std::u16string_view name) noexcept {
    for (const LanguageName& known : kLanguageNames)
        if (equals_ignoring_ascii_case(name, known.lowerCase)) return known.language;
    return std::nullopt;
}
