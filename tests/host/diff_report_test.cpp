#include "host/diff_report.h"

#include <gtest/gtest.h>

#include <functional>
#include <nlohmann/json.hpp>

namespace {

TypeRows channel(std::u16string frequency, std::u16string alias) {
    return {{field::CP_RXFREQ, std::move(frequency), 4}, {field::ALIAS, std::move(alias), 3}};
}

TypeRows member(std::u16string index, std::u16string alias) {
    return {{field::PA_PERSINDEX, std::move(index), 2}, {field::ALIAS, std::move(alias), 3}};
}

// Three channels and a zone of two; the other blocks are missing on both
// sides, so equal.
Codeplug base() {
    Codeplug codeplug;
    codeplug.blocks[field::CP_BLOCK] = EntryBlock{
        {}, {channel(u"450.00000", u"Fire 1"), channel(u"451.00000", u"Fire 2"), channel(u"452.00000", u"Fire 3")}};
    codeplug.blocks[field::PA_BLOCK] = ListBlock{
        {}, {EntryBlock{{{field::PA_ZONEALIAS, u"North", 3}}, {member(u"0", u"Fire 1"), member(u"1", u"Fire 2")}}}};
    return codeplug;
}

std::vector<TypeRows>& channels(Codeplug& c) { return std::get<EntryBlock>(c.blocks[field::CP_BLOCK]).items; }

struct TextCase {
    const char* name;
    std::function<void(Codeplug&)> change;
    std::string expected;
    Language language = Language::English;
    bool tableNames = false;
};
void PrintTo(const TextCase& textCase, std::ostream* out) { *out << textCase.name; }

const TextCase kTextCases[] = {
    {"QuotesEveryValue", [](Codeplug& c) { channels(c)[1][0].value = u"4\"5\\0\n\t\x01\u00DF"; },
     "Channel parameters, channel 2 \"Fire 2\": Receive frequency: \"451.00000\" -> "
     "\"4\\\"5\\\\0\\n\\t\\u0001\xC3\x9F\"\n"},
    {"ShowsTypesOnlyWhenTheyDiffer", [](Codeplug& c) { channels(c)[0][0].type = 5; },
     "Channel parameters, channel 1 \"Fire 1\": Receive frequency: \"450.00000\" (type 4) -> \"450.00000\" (type 5)\n"},
    {"TellsAMovedItemsOldPlace",
     [](Codeplug& c) {
         channels(c)[2][0].value = u"453.00000";
         channels(c).erase(channels(c).begin());
     },
     "Channel parameters, channel 1 \"Fire 1\": removed\n"
     "Channel parameters, channel 2 (was 3) \"Fire 3\": Receive frequency: \"452.00000\" -> \"453.00000\"\n"},
    {"InsertedItem", [](Codeplug& c) { channels(c).push_back(channel(u"1", u"Tac")); },
     "Channel parameters, channel 4 \"Tac\": inserted\n"},
    {"AddedFieldWithItsType",
     [](Codeplug& c) {
         std::get<EntryBlock>(c.blocks[field::CP_BLOCK]).info.push_back({field::CP_RXREFFREQ, u"6.25", 4});
     },
     "Channel parameters: Receive reference frequency: added \"6.25\" (type 4)\n"},
    {"MemberInGerman",
     [](Codeplug& c) { std::get<ListBlock>(c.blocks[field::PA_BLOCK]).items[0].items[1][0].value = u"2"; },
     "Kanalzuordnung, Zone 1 \"North\", Mitglied 2 \"Fire 2\": Kanalprofilnummer: \"1\" -> \"2\"\n", Language::German},
    {"TableNames", [](Codeplug& c) { channels(c)[1][0].value = u"1"; },
     "CP_BLOCK, channel 2 \"Fire 2\": CP_RXFREQ: \"451.00000\" -> \"1\"\n", Language::English, true},
};

class DiffText : public testing::TestWithParam<TextCase> {};

TEST_P(DiffText, WritesALineForEachDifference) {
    const Codeplug before = base();
    Codeplug after = base();
    GetParam().change(after);
    diff_wording words(GetParam().language, GetParam().tableNames);
    EXPECT_EQ(DiffAsText(DiffCodeplugs(before, after), words), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Differences, DiffText, testing::ValuesIn(kTextCases),
                         [](const testing::TestParamInfo<TextCase>& info) { return std::string(info.param.name); });

TEST(DiffJson, GivesPlacesFromOneAndTheContentOfAnInsertedItem) {
    const Codeplug before = base();
    Codeplug after = base();
    std::get<ListBlock>(after.blocks[field::PA_BLOCK]).items[0].items[0][1].value = u"Fire \"1\"";
    channels(after).insert(channels(after).begin(), channel(u"449.00000", u"New"));
    diff_wording words(Language::English, false);
    const auto document = nlohmann::json::parse(DiffAsJson(DiffCodeplugs(before, after), words, {"a.json", "b.xml"}));

    EXPECT_EQ(document["format"], "xmlxsl-diff");
    EXPECT_EQ(document["before"], "a.json");
    EXPECT_EQ(document["equal"], false);
    ASSERT_EQ(document["differences"].size(), 2u);
    const auto& inserted = document["differences"][0];
    EXPECT_EQ(inserted["change"], "item-inserted");
    EXPECT_EQ(inserted["block"],
              nlohmann::json::parse(R"({"id": 38, "field": "CP_BLOCK", "name": "Channel parameters"})"));
    EXPECT_EQ(inserted["item"], nlohmann::json::parse(R"({"kind": "channel", "after": 1, "alias": "New"})"));
    EXPECT_EQ(
        inserted["content"]["fields"][0],
        nlohmann::json::parse(
            R"({"id": 455, "field": "CP_RXFREQ", "name": "Receive frequency", "value": "449.00000", "type": 4})"));
    const auto& changed = document["differences"][1];
    EXPECT_EQ(changed["change"], "field-changed");
    EXPECT_EQ(changed["item"], nlohmann::json::parse(R"({"kind": "zone", "before": 1, "after": 1, "alias": "North"})"));
    EXPECT_EQ(changed["member"]["kind"], "member");
    EXPECT_EQ(changed["field"]["field"], "ALIAS");
    EXPECT_EQ(changed["before"], nlohmann::json::parse(R"({"value": "Fire 1", "type": 3})"));
    EXPECT_EQ(changed["after"]["value"], "Fire \"1\"");
}

// Values from a codeplug can hold anything: none may become markup, end the
// style element or vanish.
TEST(DiffHtml, EscapesEveryValue) {
    Codeplug before = base();
    before.blocks[field::RI_BLOCK] = EntryBlock{{{field::RI_MODELNUM, u"M</style><b>", 3}}, {}};
    Codeplug after = before;
    channels(after)[0][1].value = u"<script>&'\"\x07";
    diff_wording words(Language::German, false);
    const std::string html = DiffAsHtml(DiffCodeplugs(before, after), words, {"a&b.json", "<c>.xml"}, after);

    EXPECT_TRUE(html.starts_with("<!DOCTYPE html>\n<html lang=\"de\">\n<head>\n<meta charset=\"utf-8\">"));
    EXPECT_NE(html.find("&lt;script&gt;&amp;&#39;&quot;\xE2\x90\x87"), std::string::npos);
    EXPECT_EQ(html.find("<script"), std::string::npos);
    EXPECT_EQ(html.find("<b>"), std::string::npos);
    EXPECT_EQ(html.find("</style><b>"), std::string::npos);
    EXPECT_NE(html.find("content: \"M\\3C /style>\\3C b>\";"), std::string::npos);
    EXPECT_NE(html.find("a&amp;b.json"), std::string::npos);
    EXPECT_NE(html.find("&lt;c&gt;.xml"), std::string::npos);
    EXPECT_NE(html.find("Codeplug-Änderungen"), std::string::npos);
}

}  // namespace
