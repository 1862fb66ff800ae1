#include "host/codeplug_json.h"

#include <gtest/gtest.h>

#include <functional>
#include <nlohmann/json.hpp>
#include <string>

#include "host/codeplug_generator.h"
#include "tests/support/sample_codeplugs.h"

namespace {

using json = nlohmann::ordered_json;

std::string read_error(std::string_view text) {
    try {
        ReadCodeplugJson(text, "radio.json");
    } catch (const CodeplugFileError& error) {
        return error.what();
    }
    return "(read without error)";
}

std::string write_error(const Codeplug& codeplug) {
    try {
        WriteCodeplugJson(codeplug);
    } catch (const CodeplugFileError& error) {
        return error.what();
    }
    return "(written without error)";
}

// SmallCodeplug's file: a region size row, a channel of two rows, a zone of
// one channel.
std::string small_file() { return WriteCodeplugJson(SmallCodeplug()); }

std::string edited(const std::function<void(json&)>& edit) {
    json file = json::parse(small_file());
    edit(file);
    return file.dump(2);
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

json& blocks(json& file) { return file["blocks"]; }

}  // namespace

TEST(WriteCodeplugJson, WritesEveryKindInLayoutOrderWithARowOnEachLine) {
    Codeplug codeplug;
    codeplug.blocks[field::RRW_BLOCK] = TypeRows{{field::RRW_RGNSIZE, u"4096", 2}, {0, u"low", 0}, {471, u"", 255}};
    codeplug.blocks[field::CP_BLOCK] =
        EntryBlock{{}, {{{field::ALIAS, u"Fire & \"Rescue\"\r\n\t\u00D4\u20AC", 3}}, {}}};
    codeplug.blocks[field::PA_BLOCK] = ListBlock{{{field::PA_ZONEALIAS, u"Zone", 9}}, {EntryBlock{{}, {}}}};
    EXPECT_EQ(WriteCodeplugJson(codeplug), R"({
  "format": "xmlxsl-codeplug",
  "version": 1,
  "blocks": {
    "RRW_BLOCK": [
      {"field": "RRW_RGNSIZE", "value": "4096", "type": 2},
      {"id": 0, "value": "low", "type": 0},
      {"id": 471, "value": "", "type": 255}
    ],
    "CP_BLOCK": {
      "info": [],
      "items": [
        [
          {"field": "ALIAS", "value": "Fire & \"Rescue\"\r\n\tÔ€", "type": 3}
        ],
        []
      ]
    },
    "PA_BLOCK": {
      "info": [
        {"field": "PA_ZONEALIAS", "value": "Zone", "type": 9}
      ],
      "items": [
        {
          "info": [],
          "items": []
        }
      ]
    }
  }
}
)");
}

TEST(WriteCodeplugJson, WritesAnEmptyCodeplugAsEmptyBlocks) {
    EXPECT_EQ(WriteCodeplugJson(Codeplug{}),
              "{\n  \"format\": \"xmlxsl-codeplug\",\n  \"version\": 1,\n  \"blocks\": {}\n}\n");
}

TEST(WriteCodeplugJson, RefusesWhatTheFormatCannotHold) {
    Codeplug codeplug;
    codeplug.blocks[field::CP_BLOCK] = EntryBlock{{}, {{}, {{field::ALIAS, std::u16string(u"A\xD800z"), 3}}}};
    EXPECT_EQ(write_error(codeplug),
              "codeplug: blocks.CP_BLOCK.items[1][0].value: holds a lone surrogate, which UTF-8 cannot carry");
    EXPECT_EQ(write_error(Codeplug{{{field::CP_BLOCK, TypeRows{}}}}),
              "codeplug: blocks.CP_BLOCK: a TYPE block where the layout has an ENTRY one");
    EXPECT_EQ(write_error(Codeplug{{{field::ALIAS, TypeRows{}}}}), "codeplug: blocks.ALIAS: not a block of the layout");
    EXPECT_EQ(write_error(Codeplug{{{999, TypeRows{}}}}), "codeplug: blocks.id 999: not a block of the layout");
}

class CodeplugJsonRoundTrip : public testing::TestWithParam<std::uint32_t> {};

TEST_P(CodeplugJsonRoundTrip, ReadsBackWhatItWrote) {
    Codeplug codeplug = GenerateRandomCodeplug(GetParam());
    EXPECT_EQ(ReadCodeplugJson(WriteCodeplugJson(codeplug), "radio.json"), codeplug);
}

INSTANTIATE_TEST_SUITE_P(Seeds, CodeplugJsonRoundTrip, testing::Values(1u, 2u, 3u, 4u));

TEST(ReadCodeplugJson, KeepsIdsOutsideTheFieldTableAndEveryCharacter) {
    Codeplug codeplug = SmallCodeplug();
    std::get<TypeRows>(codeplug.blocks[field::RRW_BLOCK]) = {
        {0, u"", 0},
        {471, std::u16string(u"a\0b", 3), 7},
        {-2147483647 - 1, u"\U0001F4FB \u00D4\u20AC\x7F\x01", 255},
        {2147483647, u"\r\n\"\\/", 1},
    };
    EXPECT_EQ(ReadCodeplugJson(WriteCodeplugJson(codeplug), "radio.json"), codeplug);
}

TEST(ReadCodeplugJson, TakesAFieldByIdAndALeftOutTypeAsZero) {
    std::string text = edited([](json& file) {
        blocks(file)["RRW_BLOCK"][0] = json::parse(R"({"id": 101, "value": "x\u00e9\ud83d\udcfb"})");
    });
    Codeplug codeplug = ReadCodeplugJson(text, "radio.json");
    EXPECT_EQ(std::get<TypeRows>(codeplug.blocks.at(field::RRW_BLOCK)),
              (TypeRows{{field::RRW_TYPECTRLBLKVECT, u"x\u00E9\U0001F4FB", 0}}));
}

struct BadFile {
    const char* name;
    std::function<std::string()> text;
    const char* error;
};

class ReadCodeplugJsonError : public testing::TestWithParam<BadFile> {};

TEST_P(ReadCodeplugJsonError, NamesThePlace) { EXPECT_EQ(read_error(GetParam().text()), GetParam().error); }

const BadFile kBadFiles[] = {
    {"UnknownFieldName", [] { return edited([](json& f) { blocks(f)["RRW_BLOCK"][0]["field"] = "RRW_SIZE"; }); },
     R"(radio.json: blocks.RRW_BLOCK[0].field: unknown field name "RRW_SIZE")"},
    {"RowWithoutValue", [] { return edited([](json& f) { blocks(f)["CP_BLOCK"]["items"][0][1].erase("value"); }); },
     R"(radio.json: blocks.CP_BLOCK.items[0][1]: a row without "value")"},
    {"ListItemAsArray", [] { return edited([](json& f) { blocks(f)["PA_BLOCK"]["items"][0] = json::array(); }); },
     R"(radio.json: blocks.PA_BLOCK.items[0]: a LIST item must be an object with "info" and "items")"},
    {"ListItemWithAnotherKey",
     [] { return edited([](json& f) { blocks(f)["PA_BLOCK"]["items"][0]["rows"] = json::array(); }); },
     R"(radio.json: blocks.PA_BLOCK.items[0].rows: unknown key; a LIST item must be an object with "info" and "items")"},
    {"TypeCodeAbove255", [] { return edited([](json& f) { blocks(f)["RRW_BLOCK"][0]["type"] = 256; }); },
     "radio.json: blocks.RRW_BLOCK[0].type: a type code must be an integer from 0 to 255"},
    {"NegativeTypeCode", [] { return edited([](json& f) { blocks(f)["RRW_BLOCK"][0]["type"] = -1; }); },
     "radio.json: blocks.RRW_BLOCK[0].type: a type code must be an integer from 0 to 255"},
    {"TypeCodeAsText", [] { return edited([](json& f) { blocks(f)["RRW_BLOCK"][0]["type"] = "2"; }); },
     "radio.json: blocks.RRW_BLOCK[0].type: a type code must be an integer from 0 to 255"},
    {"UnknownBlock", [] { return edited([](json& f) { blocks(f)["XX_BLOCK"] = json::array(); }); },
     "radio.json: blocks.XX_BLOCK: unknown block"},
    {"FieldNameForABlock", [] { return edited([](json& f) { blocks(f)["ALIAS"] = json::array(); }); },
     "radio.json: blocks.ALIAS: unknown block"},
    {"MissingBlock", [] { return edited([](json& f) { blocks(f).erase("SLI_BLOCK"); }); },
     "radio.json: blocks.SLI_BLOCK: missing; a codeplug file holds all 16 blocks of the layout"},
    {"TypeBlockAsObject", [] { return edited([](json& f) { blocks(f)["RRW_BLOCK"] = json::object(); }); },
     "radio.json: blocks.RRW_BLOCK: a TYPE block must be an array of rows"},
    {"EntryBlockAsArray", [] { return edited([](json& f) { blocks(f)["CP_BLOCK"] = json::array(); }); },
     R"(radio.json: blocks.CP_BLOCK: an ENTRY block must be an object with "info" and "items")"},
    {"EntryItemAsObject", [] { return edited([](json& f) { blocks(f)["CP_BLOCK"]["items"][0] = json::object(); }); },
     "radio.json: blocks.CP_BLOCK.items[0]: an ENTRY item must be an array of rows"},
    {"InfoAsObject", [] { return edited([](json& f) { blocks(f)["PA_BLOCK"]["info"] = json::object(); }); },
     "radio.json: blocks.PA_BLOCK.info: must be an array of rows"},
    {"RowAsText", [] { return edited([](json& f) { blocks(f)["RRW_BLOCK"][0] = "RRW_RGNSIZE=4096"; }); },
     R"(radio.json: blocks.RRW_BLOCK[0]: a row must be an object with "field" or "id", "value" and "type")"},
    {"FieldAndId", [] { return edited([](json& f) { blocks(f)["RRW_BLOCK"][0]["id"] = 100; }); },
     R"(radio.json: blocks.RRW_BLOCK[0]: a row names its field by "field" or by "id", not both)"},
    {"NeitherFieldNorId", [] { return edited([](json& f) { blocks(f)["RRW_BLOCK"][0].erase("field"); }); },
     R"(radio.json: blocks.RRW_BLOCK[0]: a row without "field" or "id")"},
    {"IdBeyond32Bits",
     [] {
         return edited([](json& f) {
             blocks(f)["RRW_BLOCK"][0].erase("field");
             blocks(f)["RRW_BLOCK"][0]["id"] = 2147483648LL;
         });
     },
     "radio.json: blocks.RRW_BLOCK[0].id: a field id must be an integer from -2147483648 to 2147483647"},
    {"ValueAsNumber", [] { return edited([](json& f) { blocks(f)["RRW_BLOCK"][0]["value"] = 4096; }); },
     "radio.json: blocks.RRW_BLOCK[0].value: a value must be a string"},
    {"UnknownKeyInRow", [] { return edited([](json& f) { blocks(f)["RRW_BLOCK"][0]["colour"] = "red"; }); },
     "radio.json: blocks.RRW_BLOCK[0].colour: unknown key"},
    {"OtherFormat", [] { return edited([](json& f) { f["format"] = "radio"; }); },
     R"(radio.json: format: must be "xmlxsl-codeplug")"},
    {"OtherVersion", [] { return edited([](json& f) { f["version"] = 2; }); }, "radio.json: version: must be 1"},
    {"BlocksAsArray", [] { return edited([](json& f) { f["blocks"] = json::array(); }); },
     "radio.json: blocks: must be an object that holds every block of the codeplug by name"},
    {"Empty", [] { return std::string(); }, "radio.json: the file is empty"},
    {"DuplicateBlock", [] { return replaced(small_file(), "\"blocks\": {", "\"blocks\": {\"RRW_BLOCK\": [],"); },
     "radio.json: blocks.RRW_BLOCK: given twice"},
    {"DuplicateKeyInASecondRow", [] { return replaced(small_file(), "\"type\": 9}", "\"type\": 9, \"type\": 8}"); },
     "radio.json: blocks.CP_BLOCK.items[0][1].type: given twice"},
    {"DuplicateKeyDeepInAList",
     [] { return replaced(small_file(), "\"value\": \"1\",", "\"value\": \"1\", \"value\": \"2\","); },
     "radio.json: blocks.PA_BLOCK.items[0].items[0][0].value: given twice"},
    {"NotJson", [] { return std::string("{\n  \"format\": xmlxsl\n}"); },
     "radio.json: line 2, column 13: not JSON: syntax error while parsing value - invalid literal; last read: "
     "'\"format\": x'"},
};

INSTANTIATE_TEST_SUITE_P(Faults, ReadCodeplugJsonError, testing::ValuesIn(kBadFiles),
                         [](const testing::TestParamInfo<BadFile>& info) { return std::string(info.param.name); });
