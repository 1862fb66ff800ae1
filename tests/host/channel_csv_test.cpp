#include "host/channel_csv.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "host/channel_references.h"
#include "host/codeplug_generator.h"
#include "host/codeplug_json.h"
#include "tests/support/sample_codeplugs.h"

namespace {

const FieldDisplayNames& english() {
    static const FieldDisplayNames names("English");
    return names;
}

std::vector<TypeRows>& channels_of(Codeplug& codeplug) {
    return std::get<EntryBlock>(codeplug.blocks.at(field::CP_BLOCK)).items;
}

FieldRow& row_of(TypeRows& rows, LONG id) {
    for (FieldRow& row : rows)
        if (row.id == id) return row;
    return rows.emplace_back(FieldRow{id, u"", 2});
}

Codeplug sample() {
    std::ifstream file(XMLXSL_SOURCE_DIR "/samples/radio.json", std::ios::binary);
    return ReadCodeplugJson(std::string(std::istreambuf_iterator<char>(file), {}), "radio.json");
}

// A generated codeplug with what a CSV must carry: aliases with commas,
// quotes, line breaks, blanks at their ends, non-ASCII letters, an emoji,
// formula starts and the excel form's own guard; a channel without an alias,
// one whose frequency has another type code, one with its alias twice, one
// with a field id beyond the layout, one with its rows in another order.
Codeplug hard_codeplug(int channels) {
    static const std::u16string kAliases[] = {
        u"Fire, Rescue", u"\"Tac\" 2", u"Line\nbreak", u"Old\r\nbreak", u" padded ", u"Łódź Straż 🚒",
        u"=SUM(A1)",     u"-5 dB",     u"'quoted",     u"@home",        u"",         u"\"\"",
        u"Zürich\ttab"};
    Codeplug codeplug = GenerateRealisticCodeplug(channels);
    std::vector<TypeRows>& items = channels_of(codeplug);
    for (std::size_t i = 0; i < items.size(); ++i) {
        std::u16string number(u"0123456789"[i % 10], 1);
        row_of(items[i], field::ALIAS).value = kAliases[i % std::size(kAliases)] + number;
    }
    std::get<ListBlock>(codeplug.blocks.at(field::PA_BLOCK)).items[0].info[0].value = u"Zone \"A\", North";
    std::erase_if(items[3], [](const FieldRow& row) { return row.id == field::ALIAS; });
    row_of(items[4], field::CP_RXFREQ).type = 7;
    items[5].push_back(row_of(items[5], field::ALIAS));
    items[6].push_back({999, u"beyond", 255});
    std::swap(items[7][0], items[7][1]);
    return codeplug;
}

struct RoundTrip {
    const char* name;
    Codeplug (*codeplug)();
};
void PrintTo(const RoundTrip& trip, std::ostream* out) { *out << trip.name; }

class ChannelCsvRoundTrip : public testing::TestWithParam<RoundTrip> {};

TEST_P(ChannelCsvRoundTrip, GivesBackTheSameCodeplugInBothForms) {
    const Codeplug codeplug = GetParam().codeplug();
    for (bool excel : {false, true})
        EXPECT_EQ(ReplaceChannels(codeplug, WriteChannelCsv(codeplug, english(), excel)), codeplug)
            << (excel ? "excel form" : "plain form");
}

const RoundTrip kRoundTrips[] = {
    {"TheSample", sample},
    {"AThousandHardChannels", [] { return hard_codeplug(1000); }},
    {"NoChannels", [] { return GenerateRealisticCodeplug(0); }},
};
INSTANTIATE_TEST_SUITE_P(Codeplugs, ChannelCsvRoundTrip, testing::ValuesIn(kRoundTrips),
                         [](const testing::TestParamInfo<RoundTrip>& info) { return std::string(info.param.name); });

const std::string kPlanCsv =
    "Channel,Zones,Receive frequency,Transmit frequency,Receive only,Transmit only,Scan list,Alias\r\n"
    "channel,zones,CP_RXFREQ,CP_TXFREQ,CP_RXONLY,CP_TXONLY,CP_SCANLISTINDEX,ALIAS\r\n"
    ",,4,4,1,1,2,3\r\n"
    "1,North #1,451.00000,451.00000,0,0,0,Fire 1\r\n"
    "2,North #2,452.00000,452.00000,0,0,0,Fire 2\r\n";

TEST(WriteChannelCsv, WritesThreeHeaderLinesAndARecordForEachChannel) {
    EXPECT_EQ(WriteChannelCsv(ChannelPlanCodeplug(), english(), false), kPlanCsv);
}

TEST(ReplaceChannels, ReadsWhatASpreadsheetSaves) {
    const std::string saved =
        "\xEF\xBB\xBF"
        "Channel,Zones,Receive frequency,Transmit frequency,Receive only,Transmit only,Scan list,Alias\r\n"
        "channel,zones,CP_RXFREQ,CP_TXFREQ,CP_RXONLY,CP_TXONLY,CP_SCANLISTINDEX,ALIAS\r\n"
        "\"\",,\"4\",\"4\",\"1\",\"1\",\"2\",\"3\"\r\n"
        "\"1\",\"North #1\",\"451.00000\",\"451.00000\",\"0\",\"0\",\"0\",\"Fire 1\"\r\n"
        "\r\n"
        "\"2\",\"North #2\",\"452.00000\",\"452.00000\",\"0\",\"0\",\"0\",\"Fire 2\"";
    EXPECT_EQ(ReplaceChannels(ChannelPlanCodeplug(), saved), ChannelPlanCodeplug());
}

// The index of the channel that each reference names, as the alias of that
// channel, in the order of the walk.
std::vector<std::u16string> named_aliases(const Codeplug& codeplug) {
    std::vector<std::u16string> aliases;
    const std::vector<TypeRows>& items = std::get<EntryBlock>(codeplug.blocks.at(field::CP_BLOCK)).items;
    ForEachChannelReference(codeplug, [&](const FoundChannelReference& found) {
        if (found.reference.kind == channel_reference_kind::index)
            aliases.push_back(*AliasOf(items.at(*ReadReferenceNumber(found.row.value))));
    });
    return aliases;
}

TEST(ReplaceChannels, KeepsEveryReferenceOnItsChannelWhenChannelsMove) {
    Codeplug before = GenerateRealisticCodeplug(40);
    // Nothing names channel 7, so that its record can go; the designated
    // transmit channel of scan list 1, the emergency revert and the radio
    // inhibit personalities name channels 2, 1 and 21.
    std::erase_if(std::get<ListBlock>(before.blocks.at(field::PA_BLOCK)).items[0].items,
                  [](const TypeRows& member) { return member[1].value == u"6"; });
    std::erase_if(std::get<ListBlock>(before.blocks.at(field::SLI_BLOCK)).items[0].items,
                  [](const TypeRows& member) { return member[3].value == u"6"; });
    for (EntryBlock& list : std::get<ListBlock>(before.blocks.at(field::SLI_BLOCK)).items)
        row_of(list.info, field::SLI_DESTXPERSTYPE).value = u"0";
    TypeRows& scanList = std::get<ListBlock>(before.blocks.at(field::SLI_BLOCK)).items[0].info;
    row_of(scanList, field::SLI_DESTXPERSTYPE).value = u"2";
    row_of(scanList, field::SLI_DESTXPERSINDEX).value = u"1";
    for (auto [block, type, index, channel] :
         {std::tuple(field::SC_BLOCK, field::SC_EMREVPERSTYPE, field::SC_EMREVPERSINDEX, u"0"),
          std::tuple(field::DR_BLOCK, field::DR_RADINHPERSTYPE, field::DR_RADINHPERSINDEX, u"20")}) {
        TypeRows& info = std::get<EntryBlock>(before.blocks.at(block)).info;
        row_of(info, type).value = u"0";
        row_of(info, index).value = channel;
    }

    std::string csv = WriteChannelCsv(before, english(), false);
    std::vector<std::string> lines;
    for (std::size_t at = 0, end; (end = csv.find("\r\n", at)) != std::string::npos; at = end + 2)
        lines.push_back(csv.substr(at, end - at));
    std::swap(lines[3], lines[4]);  // channels 1 and 2
    const std::string fields = lines[5].substr(lines[5].find(',', lines[5].find(',') + 1) + 1);
    const std::string added = ",," + fields.substr(0, fields.rfind(',')) + ",New channel";
    lines.insert(lines.begin() + 6, {added, added});  // two new channels after channel 3
    lines.erase(lines.begin() + 11);                  // channel 7
    std::string edited;
    for (const std::string& line : lines) edited += line + "\r\n";

    const Codeplug after = ReplaceChannels(before, edited);
    EXPECT_EQ(named_aliases(after), named_aliases(before));
    EXPECT_EQ(*AliasOf(std::get<EntryBlock>(after.blocks.at(field::CP_BLOCK)).items[0]), u"Fire Tac 1");
    EXPECT_EQ(std::get<EntryBlock>(after.blocks.at(field::CP_BLOCK)).info[0].value, u"41");
    EXPECT_EQ(std::get<TypeRows>(after.blocks.at(field::TC_BLOCK))[2].value, u"41");
    for (LONG untouched : {field::RC_BLOCK, field::MDC_BLOCK, field::RI_BLOCK})
        EXPECT_EQ(after.blocks.at(untouched), before.blocks.at(untouched)) << FieldName(untouched);
}

struct BadCsv {
    const char* name;
    // The line of kPlanCsv to replace, from 1 (one past the last adds a
    // line), and what replaces it; nullptr takes it and every line after it away.
    std::size_t line;
    const char* replacement;
    std::string error;
    // Whether scan list 1 names a third channel, which the plan has not.
    bool danglingMember = false;
};
void PrintTo(const BadCsv& bad, std::ostream* out) { *out << bad.name; }

class ReplaceChannelsRefuses : public testing::TestWithParam<BadCsv> {};

TEST_P(ReplaceChannelsRefuses, NamingTheLineAndColumn) {
    std::vector<std::string> lines;
    for (std::size_t at = 0, end; (end = kPlanCsv.find("\r\n", at)) != std::string::npos; at = end + 2)
        lines.push_back(kPlanCsv.substr(at, end - at));
    const BadCsv& bad = GetParam();
    if (bad.replacement == nullptr)
        lines.resize(bad.line - 1);
    else if (bad.line > lines.size())
        lines.push_back(bad.replacement);
    else
        lines[bad.line - 1] = bad.replacement;
    std::string csv;
    for (const std::string& line : lines) csv += line + "\r\n";
    Codeplug codeplug = ChannelPlanCodeplug();
    if (bad.danglingMember)
        std::get<ListBlock>(codeplug.blocks.at(field::SLI_BLOCK))
            .items[0]
            .items.push_back({{field::SM_PERSTYPE, u"0", 2}, {field::SM_PERSINDEX, u"2", 2}});
    try {
        ReplaceChannels(codeplug, csv);
        ADD_FAILURE() << "no error";
    } catch (const ChannelCsvError& error) {
        EXPECT_EQ(error.what(), bad.error);
    }
}

const std::string kNotAChannel =
    "is not the number of a channel of the codeplug, which has 2; leave the cell empty "
    "to add a channel";

const BadCsv kBadCsvs[] = {
    {"ChannelNumberThatIsNoNumber", 4, "x,North #1,451.00000,451.00000,0,0,0,Fire 1",
     "line 4, column 1 (channel): \"x\" " + kNotAChannel},
    {"ChannelNumberBeyondTheCodeplug", 5, "3,,452.00000,452.00000,0,0,0,Fire 2",
     "line 5, column 1 (channel): \"3\" " + kNotAChannel},
    {"ChannelGivenTwice", 5, "1,North #1,452.00000,452.00000,0,0,0,Fire 2",
     "line 5, column 1 (channel): channel 1 is on line 4 already; empty the cell of the copy to add it as a new "
     "channel"},
    {"ChangedZones", 4, "1,South #1,451.00000,451.00000,0,0,0,Fire 1",
     "line 4, column 2 (zones): \"South #1\" is not the channel's zones as the codeplug has them (\"North #1\"): "
     "channels import changes no zone; leave the cell as export wrote it"},
    {"TypeCodeOutOfRange", 3, ",,4,256,1,1,2,3",
     "line 3, column 4 (CP_TXFREQ): \"256\" is no type code; give a number from 0 to 255"},
    {"UnknownTableName", 2, "channel,zones,CP_NOSUCH,CP_TXFREQ,CP_RXONLY,CP_TXONLY,CP_SCANLISTINDEX,ALIAS",
     "line 2, column 3: \"CP_NOSUCH\" is no field's table name (such as CP_RXFREQ)"},
    {"NoChannelColumn", 2, "number,zones,CP_RXFREQ,CP_TXFREQ,CP_RXONLY,CP_TXONLY,CP_SCANLISTINDEX,ALIAS",
     "line 2, column 1: no column is named \"channel\" in the table name line; export the channel list to get one"},
    {"ShortRecord", 5, "2,North #2,452.00000,452.00000,0,0,0",
     "line 5, column 8 (ALIAS): the record ends before this column; it has 7 cells, the table name line 8"},
    {"LongRecord", 5, "2,North #2,452.00000,452.00000,0,0,0,Fire 2,more",
     "line 5, column 9: a cell beyond the last column; it has 9 cells, the table name line 8"},
    {"NoUtf8", 5, "2,North #2,452.00000,452.00000,0,0,0,Fire \xFF",
     "line 5, column 8 (ALIAS): the cell is not UTF-8 text; save the CSV as UTF-8"},
    {"StrayQuote", 4, "1,North #1,451.00000,451.00000,0,0,0,Fire \"1\"",
     "line 4, column 8: a quote inside a cell that does not begin with one, or text after a cell's closing quote; "
     "quote the whole cell and double each quote in it"},
    {"UnclosedQuote", 5, "2,North #2,452.00000,452.00000,0,0,0,\"Fire 2",
     "line 5, column 8: a quoted cell is not closed before the end of the file"},
    {"LineAfterALineBreakInACell", 4,
     "1,North #1,451.00000,451.00000,0,0,0,\"Fire\n1\"\r\nx,North #2,452.00000,452.00000,0,0,0,Fire 2",
     "line 6, column 1 (channel): \"x\" " + kNotAChannel},
    {"NoTypeCodeLine", 3, nullptr,
     "line 3, column 1: the CSV ends before its three header lines: display names, table names, type codes"},
    {"RemovedChannelThatAZoneNames", 5, nullptr,
     "channel 2 \"Fire 2\" has no record in the CSV, but zone 1 \"North\" member 2 \"Fire 2\" (PA_PERSINDEX) names "
     "it; keep its record, or take the reference away first (and 1 more such reference)"},
    {"ReferenceThatANewChannelWouldFill", 6, ",,453.00000,453.00000,0,0,0,Fire 3",
     "scan list 1 \"Scan\" member 3 (SM_PERSINDEX) names channel 3, which the codeplug does not have, and would "
     "name a new channel of the CSV; mend the reference first (xmlxsl check finds it)",
     true},
};
INSTANTIATE_TEST_SUITE_P(Cells, ReplaceChannelsRefuses, testing::ValuesIn(kBadCsvs),
                         [](const testing::TestParamInfo<BadCsv>& info) { return std::string(info.param.name); });

TEST(ReadReferenceNumber, ReadsDigitsOnly) {
    const std::pair<std::u16string_view, std::optional<std::size_t>> kValues[] = {
        {u"0", 0},           {u"007", 7},           {u"999999999", 999999999}, {u"1000000000", std::nullopt},
        {u"", std::nullopt}, {u"-1", std::nullopt}, {u"+1", std::nullopt},     {u"1 ", std::nullopt},
    };
    for (auto [value, number] : kValues)
        EXPECT_EQ(ReadReferenceNumber(value), number) << std::string(value.begin(), value.end());
}

}  // namespace
