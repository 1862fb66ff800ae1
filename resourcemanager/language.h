#pragma once

// The languages the resource manager has texts in.

#include <cstddef>
#include <optional>
#include <string_view>

enum class Language : std::size_t { English = 0, German = 1 };
constexpr std::size_t kLanguageCount = 2;

constexpr std::size_t index_of(Language language) noexcept { return static_cast<std::size_t>(language); }

// The language a host's language name selects: "English", "German" or
// "Deutsch", compared without regard to ASCII case. Nothing for any other
// text, for the empty text, and for a name with anything after it (an
// embedded NUL included).
std::optional<Language> FindLanguage(std::u16string_view name) noexcept;
