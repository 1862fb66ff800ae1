#pragma once

// The words of a comparison's report in the user's language: the display
// names of blocks and fields as the resource manager gives them
// (GetFieldName), or their table names when asked, and the report's own few
// words in English and German. Every text is UTF-8.

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "host/field_display_names.h"
#include "platform/wintypes.h"
#include "resourcemanager/language.h"

enum class diff_word {
    channel,
    zone,
    scan_list,
    entry,
    member,
    members,
    was,
    inserted,
    removed,
    added,
    type,
    empty,
    title,
    intro,
    equal,
    before,
    after,
    item,
    field,
    model,
    serial,
    differences,
    page,
    of,
    technician,
    date,
    work_order,
    signature,
};

// The languages that --language takes: "English", "German" or "Deutsch",
// in any ASCII case; nothing for any other name.
std::optional<Language> FindDiffLanguage(std::string_view name) noexcept;

class diff_wording {
public:
    // With tableNames, blocks and fields are named by their table names
    // ("CP_RXFREQ") rather than their display names. Throws CommandError
    // when the resource manager has no names in the language.
    diff_wording(Language language, bool tableNames);

    Language language() const noexcept { return language_; }

    // The display name of a block or field id in the language; its table
    // name with tableNames, or when the resource manager gives none; "field
    // 999" for an id that has neither. Throws std::bad_alloc.
    const std::string& name(LONG id);

    std::string_view word(diff_word word) const noexcept;

    // What an item of the block is called: a channel, a zone, a scan list,
    // or an entry of any other block.
    std::string_view item_noun(LONG block) const noexcept;

private:
    std::string look_up(LONG id) const;

    Language language_;
    // None when blocks and fields go by their table names.
    std::optional<FieldDisplayNames> displayNames_;
    std::map<LONG, std::string> names_;
};
