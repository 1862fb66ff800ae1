#pragma once

// The display texts of the resource manager. The build generates their
// definitions from data/field_names.tsv and data/choices.tsv, after checking
// the rows against the codeplug's list of field ids.

#include <cstddef>
#include <span>
#include <string_view>

#include "resourcemanager/language.h"

struct FieldDisplay {
    std::u16string_view names[kLanguageCount];  // indexed by Language
    bool onOff;                                 // values "0" and "1" show as words
};

struct ChoiceWord {
    std::u16string_view value;                  // the value as the radio stores it
    std::u16string_view words[kLanguageCount];  // indexed by Language
};

// One entry for each field id, the entry of id 0 first.
std::span<const FieldDisplay> FieldDisplays() noexcept;

// The words that the values of on/off fields become; values not listed here
// show as they are.
std::span<const ChoiceWord> ChoiceWords() noexcept;
