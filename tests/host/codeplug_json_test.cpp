#include "host/codeplug_json.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>

#include "tests/support/sample_codeplugs.h"

namespace {

using json = nlohmann::ordered_json;

template <typename Call>
std::string error_of(Call call) {
    try {
        call();
    } catch (const CodeplugFileError& error) {
        return error.what();
    }
    return "(no error)";
}

// SmallCodeplug's file (a region size row, a channel of two rows, a zone of
// one channel), changed as JSON.
std::function<std::string()> edit(std::function<void(json& blocks, json& file)> change) {
    return [change] {
        json file = json::parse(WriteCodeplugJson(SmallCodeplug()));
        change(file["blocks"], file);
        return file.dump(2);
    };
}

}  // namespace

// The README's codeplug file, as written there; an id outside 1 to 470 goes
// under "id".
TEST(WriteCodeplugJson, WritesTheReadmesExampleInLayoutOrderWithARowOnEachLine) {
    std::ifstream readme(XMLXSL_SOURCE_DIR "/README.md");
    const std::string text{std::istreambuf_iterator<char>(readme), std::istreambuf_iterator<char>()};
    const std::size_t start = text.find("```json\n") + 8;
    Codeplug codeplug;
    codeplug.blocks[field::PA_BLOCK] =
        ListBlock{{}, {EntryBlock{{{field::PA_ZONEALIAS, u"Zone 1 North", 3}}, {{{field::PA_PERSINDEX, u"0", 2}}}}}};
    codeplug.blocks[field::CP_BLOCK] =
        EntryBlock{{{field::CP_RXREFFREQ, u"6.25", 0}},
                   {{{field::CP_RXFREQ, u"450.12500", 7}, {field::ALIAS, u"Fire Dispatch 1", 3}}}};
    codeplug.blocks[field::RRW_BLOCK] = TypeRows{{field::RRW_RGNSIZE, u"4096", 2}};
    EXPECT_EQ(WriteCodeplugJson(codeplug), text.substr(start, text.find("```", start) - start));
    codeplug.blocks[field::RRW_BLOCK] = TypeRows{{471, u"", 255}};
    EXPECT_NE(WriteCodeplugJson(codeplug).find(R"({"id": 471, "value": "", "type": 255})"), std::string::npos);
}

TEST(WriteCodeplugJson, RefusesALoneSurrogate) {
    const Codeplug codeplug{
        {{field::CP_BLOCK, EntryBlock{{}, {{}, {{field::ALIAS, std::u16string(u"A\xD800z"), 3}}}}}}};
    EXPECT_EQ(error_of([&] { WriteCodeplugJson(codeplug); }),
              "codeplug: blocks.CP_BLOCK.items[1][0].value: holds a lone surrogate, which UTF-8 cannot carry");
}

TEST(ReadCodeplugJson, ReadsBackWhatWasWrittenIdsOutsideTheFieldTableAndEveryCharacterIncluded) {
    Codeplug codeplug = HardCodeplug();
    std::get<TypeRows>(codeplug.blocks[field::RRW_BLOCK]) = {{0, u"", 0},
                                                             {471, std::u16string(u"a\0b", 3), 7},
                                                             {-2147483647 - 1, u"\U0001F4FB\\/", 255},
                                                             {2147483647, u"", 1}};
    EXPECT_EQ(ReadCodeplugJson(WriteCodeplugJson(codeplug), "radio.json"), codeplug);
}

TEST(ReadCodeplugJson, TakesAFieldByIdAndALeftOutTypeAsZero) {
    std::string text = edit([](json& blocks, json&) {
        blocks["RRW_BLOCK"][0] = json::parse(R"({"id": 101, "value": "x\u00e9\ud83d\udcfb"})");
    })();
    EXPECT_EQ(std::get<TypeRows>(ReadCodeplugJson(text, "radio.json").blocks.at(field::RRW_BLOCK)),
              (TypeRows{{field::RRW_TYPECTRLBLKVECT, u"x\u00E9\U0001F4FB", 0}}));
}

struct BadFile {
    const char* name;
    std::function<std::string()> text;
    const char* error;
};

class ReadCodeplugJsonError : public testing::TestWithParam<BadFile> {};

TEST_P(ReadCodeplugJsonError, NamesTheFileAndThePlace) {
    EXPECT_EQ(error_of([] { ReadCodeplugJson(GetParam().text(), "radio.json"); }), GetParam().error);
}

const BadFile kBadFiles[] = {
    {"UnknownFieldName", edit([](json& b, json&) { b["RRW_BLOCK"][0]["field"] = "RRW_SIZE"; }),
     R"(radio.json: blocks.RRW_BLOCK[0].field: unknown field name "RRW_SIZE")"},
    {"RowWithoutValue", edit([](json& b, json&) { b["CP_BLOCK"]["items"][0][1].erase("value"); }),
     R"(radio.json: blocks.CP_BLOCK.items[0][1]: a row without "value")"},
    {"ValueAsNumber", edit([](json& b, json&) { b["RRW_BLOCK"][0]["value"] = 4096; }),
     "radio.json: blocks.RRW_BLOCK[0].value: a value must be a string"},
    {"TypeCodeAbove255", edit([](json& b, json&) { b["RRW_BLOCK"][0]["type"] = 256; }),
     "radio.json: blocks.RRW_BLOCK[0].type: a type code must be an integer from 0 to 255"},
    {"NegativeTypeCode", edit([](json& b, json&) { b["RRW_BLOCK"][0]["type"] = -1; }),
     "radio.json: blocks.RRW_BLOCK[0].type: a type code must be an integer from 0 to 255"},
    {"IdBeyond32Bits", edit([](json& b, json&) {
         b["RRW_BLOCK"][0] = {{"id", 2147483648LL}, {"value", ""}};
     }),
     "radio.json: blocks.RRW_BLOCK[0].id: a field id must be an integer from -2147483648 to 2147483647"},
    {"FieldAndId", edit([](json& b, json&) { b["RRW_BLOCK"][0]["id"] = 100; }),
     R"(radio.json: blocks.RRW_BLOCK[0]: a row names its field by "field" or by "id", not both)"},
    {"NeitherFieldNorId", edit([](json& b, json&) { b["RRW_BLOCK"][0].erase("field"); }),
     R"(radio.json: blocks.RRW_BLOCK[0]: a row without "field" or "id")"},
    {"UnknownKeyInRow", edit([](json& b, json&) { b["RRW_BLOCK"][0]["colour"] = "red"; }),
     "radio.json: blocks.RRW_BLOCK[0].colour: unknown key"},
    {"RowAsText", edit([](json& b, json&) { b["RRW_BLOCK"][0] = "RRW_RGNSIZE=4096"; }),
     R"(radio.json: blocks.RRW_BLOCK[0]: a row must be an object with "field" or "id", "value" and "type")"},
    {"TypeBlockAsObject", edit([](json& b, json&) { b["RRW_BLOCK"] = json::object(); }),
     "radio.json: blocks.RRW_BLOCK: a TYPE block must be an array of rows"},
    {"EntryItemAsObject", edit([](json& b, json&) { b["CP_BLOCK"]["items"][0] = json::object(); }),
     "radio.json: blocks.CP_BLOCK.items[0]: an ENTRY item must be an array of rows"},
    {"ListItemAsArray", edit([](json& b, json&) { b["PA_BLOCK"]["items"][0] = json::array(); }),
     R"(radio.json: blocks.PA_BLOCK.items[0]: a LIST item must be an object with "info" and "items")"},
    {"FieldNameForABlock", edit([](json& b, json&) { b["ALIAS"] = json::array(); }),
     "radio.json: blocks.ALIAS: unknown block"},
    {"MissingBlock", edit([](json& b, json&) { b.erase("SLI_BLOCK"); }),
     "radio.json: blocks.SLI_BLOCK: missing; a codeplug file holds all 16 blocks of the layout"},
    {"OtherVersion", edit([](json&, json& f) { f["version"] = 2; }), "radio.json: version: must be 1"},
    {"DuplicateKeyDeepInAList",
     [] {
         std::string text = WriteCodeplugJson(SmallCodeplug()), once = R"("value": "1",)";
         return text.replace(text.find(once), once.size(), once + R"( "value": "2",)");
     },
     "radio.json: blocks.PA_BLOCK.items[0].items[0][0].value: given twice"},
    {"Empty", [] { return std::string(); }, "radio.json: the file is empty"},
    {"NotJson", [] { return std::string("{\n  \"format\": xmlxsl\n}"); },
     "radio.json: line 2, column 13: not JSON: syntax error while parsing value - invalid literal; last read: "
     "'\"format\": x'"},
};

INSTANTIATE_TEST_SUITE_P(Faults, ReadCodeplugJsonError, testing::ValuesIn(kBadFiles),
                         [](const testing::TestParamInfo<BadFile>& info) { return std::string(info.param.name); });
