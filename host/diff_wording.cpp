#include "host/diff_wording.h"

#include <algorithm>
#include <cctype>

#include "codeplug/layout.h"

namespace {

struct wording {
    std::string_view english;
    std::string_view german;
};

// In diff_word's order.
constexpr wording kWords[] = {
    {"channel", "Kanal"},
    {"zone", "Zone"},
    {"scan list", "Scanliste"},
    {"entry", "Eintrag"},
    {"member", "Mitglied"},
    {"members", "Mitglieder"},
    {"was", "vorher"},
    {"inserted", "eingefügt"},
    {"removed", "entfernt"},
    {"added", "hinzugefügt"},
    {"type", "Typ"},
    {"empty", "leer"},
    {"Codeplug changes", "Codeplug-Änderungen"},
    {"Every difference between the two codeplugs, field by field, in the order of the codeplug.",
     "Jeder Unterschied zwischen den beiden Codeplugs, Feld für Feld, in der Reihenfolge des Codeplugs."},
    {"The two codeplugs are equal.", "Die beiden Codeplugs sind gleich."},
    {"Before", "Vorher"},
    {"After", "Nachher"},
    {"Item", "Element"},
    {"Field", "Feld"},
    {"Model", "Modell"},
    {"Serial number", "Seriennummer"},
    {"Differences", "Unterschiede"},
    {"Page", "Seite"},
    {"of", "von"},
    {"Technician", "Techniker"},
    {"Date", "Datum"},
    {"Work order", "Auftrag"},
    {"Signature", "Unterschrift"},
};
static_assert(std::size(kWords) == static_cast<std::size_t>(diff_word::signature) + 1);

bool equals_ignoring_case(std::string_view text, std::string_view lowerCase) {
    return std::equal(text.begin(), text.end(), lowerCase.begin(), lowerCase.end(),
                      [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

}  // namespace

std::optional<Language> FindDiffLanguage(std::string_view name) noexcept {
    if (equals_ignoring_case(name, "english")) return Language::English;
    if (equals_ignoring_case(name, "german") || equals_ignoring_case(name, "deutsch")) return Language::German;
    return std::nullopt;
}

const std::string& diff_wording::name(LONG id) {
    auto found = names_.find(id);
    if (found == names_.end()) found = names_.emplace(id, look_up(id)).first;
    return found->second;
}

diff_wording::diff_wording(Language language, bool tableNames) : language_(language) {
    if (!tableNames) displayNames_.emplace(language == Language::German ? "German" : "English");
}

std::string diff_wording::look_up(LONG id) const {
    if (displayNames_) return (*displayNames_)(id);
    if (std::string_view table = FieldName(id); !table.empty()) return std::string(table);
    return "field " + std::to_string(id);
}

std::string_view diff_wording::word(diff_word word) const noexcept {
    const wording& entry = kWords[static_cast<std::size_t>(word)];
    return language_ == Language::German ? entry.german : entry.english;
}

std::string_view diff_wording::item_noun(LONG block) const noexcept {
    switch (block) {
        case field::CP_BLOCK:
            return this->word(diff_word::channel);
        case field::PA_BLOCK:
            return this->word(diff_word::zone);
        case field::SLI_BLOCK:
            return this->word(diff_word::scan_list);
        default:
            return this->word(diff_word::entry);
    }
}
