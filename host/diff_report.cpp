#include "host/diff_report.h"

#include "platform/ansi.h"

std::string ItemPosition(const item_place& place, const diff_wording& words) {
    if (!place.after) return std::to_string(place.before->position + 1);
    std::string text = std::to_string(place.after->position + 1);
    if (place.before && place.before->position != place.after->position)
        text.append(" (")
            .append(words.word(diff_word::was))
            .append(" ")
            .append(std::to_string(place.before->position + 1))
            .append(")");
    return text;
}

std::optional<std::u16string_view> PlaceAlias(const item_place& place) noexcept {
    return ItemAlias(place.after ? *place.after : *place.before);
}

std::string Utf8(std::u16string_view text) {
    std::string utf8;
    (void)try_to_utf8(text, utf8, ill_formed::replace);
    return utf8;
}
