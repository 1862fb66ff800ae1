// The JSON form of a comparison, for scripts; the README gives its shape.

#include <nlohmann/json.hpp>

#include "codeplug/layout.h"
#include "host/diff_report.h"

namespace {

using json = nlohmann::ordered_json;

constexpr const char* kChanges[] = {"field-changed", "field-added", "field-removed", "item-inserted", "item-removed"};

// The item's kind in English whatever the language, unlike the words of the
// text and the sheet.
std::string_view kind_of_item(LONG block, bool member) {
    static const diff_wording kEnglish(Language::English, false);
    return member ? kEnglish.word(diff_word::member) : kEnglish.item_noun(block);
}

json named(LONG id, diff_wording& words) {
    json named = json::object();
    named["id"] = id;
    const std::string_view table = id >= kFirstFieldId && id <= kLastFieldId ? FieldName(id) : std::string_view();
    named["field"] = table.empty() ? json(nullptr) : json(std::string(table));
    named["name"] = words.name(id);
    return named;
}

json value_of(const FieldRow& row) { return json{{"value", Utf8(row.value)}, {"type", row.type}}; }

json rows_of(const TypeRows& rows, diff_wording& words) {
    json all = json::array();
    for (const FieldRow& row : rows) {
        json one = named(row.id, words);
        one["value"] = Utf8(row.value);
        one["type"] = row.type;
        all.push_back(std::move(one));
    }
    return all;
}

json place_of(const item_place& place, LONG block, bool member) {
    json where = json::object();
    where["kind"] = kind_of_item(block, member);
    if (place.before) where["before"] = place.before->position + 1;
    if (place.after) where["after"] = place.after->position + 1;
    if (std::optional<std::u16string_view> alias = PlaceAlias(place)) where["alias"] = Utf8(*alias);
    return where;
}

json content_of(const item_side& item, diff_wording& words) {
    if (item.entry) return json{{"fields", rows_of(*item.entry, words)}};
    json members = json::array();
    for (const TypeRows& member : item.list->items) members.push_back(rows_of(member, words));
    return json{{"info", rows_of(item.list->info, words)}, {"members", std::move(members)}};
}

}  // namespace

std::string DiffAsJson(const std::vector<difference>& differences, diff_wording& words, const diff_sources& sources) {
    json all = json::array();
    for (const difference& found : differences) {
        json one = json::object();
        one["change"] = kChanges[static_cast<std::size_t>(found.kind)];
        one["block"] = named(found.block, words);
        if (found.item) one["item"] = place_of(*found.item, found.block, false);
        if (found.member) one["member"] = place_of(*found.member, found.block, true);
        if (const FieldRow* row = found.after ? found.after : found.before) {
            one["field"] = named(row->id, words);
            if (found.before) one["before"] = value_of(*found.before);
            if (found.after) one["after"] = value_of(*found.after);
        } else {
            const item_place& place = found.member ? *found.member : *found.item;
            const bool inserted = found.kind == change_kind::item_inserted;
            one["content"] = content_of(inserted ? *place.after : *place.before, words);
        }
        all.push_back(std::move(one));
    }
    json document = json::object();
    document["format"] = "xmlxsl-diff";
    document["version"] = 1;
    document["before"] = sources.before;
    document["after"] = sources.after;
    document["language"] = words.language() == Language::German ? "German" : "English";
    document["equal"] = differences.empty();
    document["differences"] = std::move(all);
    return document.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}
