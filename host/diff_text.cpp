// The text form of a comparison: one line for each difference.

#include <cstdio>

#include "host/diff_report.h"

namespace {

// The value in double quotes, every control character written as an escape.
void append_quoted(std::string& out, std::string_view utf8) {
    out.push_back('"');
    for (char c : utf8) {
        switch (c) {
            case '"':
                out.append("\\\"");
                break;
            case '\\':
                out.append("\\\\");
                break;
            case '\n':
                out.append("\\n");
                break;
            case '\r':
                out.append("\\r");
                break;
            case '\t':
                out.append("\\t");
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
                    char escape[8];
                    std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(c));
                    out.append(escape);
                } else {
                    out.push_back(c);
                }
        }
    }
    out.push_back('"');
}

void append_item(std::string& out, std::string_view noun, const item_place& place, const diff_wording& words) {
    out.append(", ").append(noun).append(" ").append(ItemPosition(place, words));
    if (std::optional<std::u16string_view> alias = PlaceAlias(place)) {
        out.push_back(' ');
        append_quoted(out, Utf8(*alias));
    }
}

void append_value(std::string& out, const FieldRow& row, bool withType, const diff_wording& words) {
    append_quoted(out, Utf8(row.value));
    if (withType)
        out.append(" (").append(words.word(diff_word::type)).append(" ").append(std::to_string(row.type)).append(")");
}

}  // namespace

std::string DiffAsText(const std::vector<difference>& differences, diff_wording& words) {
    std::string out;
    for (const difference& found : differences) {
        out.append(words.name(found.block));
        if (found.item) append_item(out, words.item_noun(found.block), *found.item, words);
        if (found.member) append_item(out, words.word(diff_word::member), *found.member, words);
        out.append(": ");
        switch (found.kind) {
            case change_kind::item_inserted:
                out.append(words.word(diff_word::inserted));
                break;
            case change_kind::item_removed:
                out.append(words.word(diff_word::removed));
                break;
            case change_kind::field_changed: {
                const bool types = found.before->type != found.after->type;
                out.append(words.name(found.after->id)).append(": ");
                append_value(out, *found.before, types, words);
                out.append(" -> ");
                append_value(out, *found.after, types, words);
                break;
            }
            case change_kind::field_added:
                out.append(words.name(found.after->id)).append(": ").append(words.word(diff_word::added)).append(" ");
                append_value(out, *found.after, true, words);
                break;
            case change_kind::field_removed:
                out.append(words.name(found.before->id))
                    .append(": ")
                    .append(words.word(diff_word::removed))
                    .append(" ");
                append_value(out, *found.before, true, words);
                break;
        }
        out.push_back('\n');
    }
    return out;
}
