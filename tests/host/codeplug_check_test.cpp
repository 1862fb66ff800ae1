#include "host/codeplug_check.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/support/sample_codeplugs.h"

namespace {

FieldRow& row_of(TypeRows& rows, LONG id) {
    for (FieldRow& row : rows)
        if (row.id == id) return row;
    return rows.emplace_back(FieldRow{id, u"", 2});
}

TypeRows& channel(Codeplug& codeplug, std::size_t index) {
    return std::get<EntryBlock>(codeplug.blocks.at(field::CP_BLOCK)).items.at(index);
}

EntryBlock& zone(Codeplug& codeplug, std::size_t index) {
    return std::get<ListBlock>(codeplug.blocks.at(field::PA_BLOCK)).items.at(index);
}

// "error frequency CP_BLOCK channel 2 "Fire 2" CP_TXFREQ"
std::vector<std::string> described(const Codeplug& codeplug) {
    std::vector<std::string> lines;
    for (const Finding& finding : CheckCodeplug(codeplug)) {
        std::string place = DescribePlace(codeplug, finding.place);
        lines.push_back(std::string(finding.level == severity::error ? "error " : "warning ") +
                        std::string(finding.rule) + " " + std::string(FieldName(finding.place.block)) + " " +
                        (place.empty() ? "" : place + " ") + std::string(FieldName(finding.field)));
    }
    return lines;
}

struct CheckCase {
    const char* name;
    std::function<void(Codeplug&)> edit;
    // Empty where the edit stays within the rule.
    std::vector<std::string> findings;
};
void PrintTo(const CheckCase& check, std::ostream* out) { *out << check.name; }

class CheckCodeplugFinds : public testing::TestWithParam<CheckCase> {};

TEST_P(CheckCodeplugFinds, WhatTheRuleFindsAndNothingElse) {
    Codeplug codeplug = ChannelPlanCodeplug();
    GetParam().edit(codeplug);
    EXPECT_EQ(described(codeplug), GetParam().findings);
}

const CheckCase kCases[] = {
    {"NothingInTheChannelPlan", [](Codeplug&) {}, {}},
    {"AFrequencyAboveTheBand",
     [](Codeplug& c) { row_of(channel(c, 1), field::CP_TXFREQ).value = u"470.00001"; },
     {"error frequency CP_BLOCK channel 2 \"Fire 2\" CP_TXFREQ"}},
    {"NoFrequencyOnTheBandsEdge", [](Codeplug& c) { row_of(channel(c, 1), field::CP_TXFREQ).value = u"470"; }, {}},
    {"AFrequencyThatIsNoNumber",
     [](Codeplug& c) {
         row_of(channel(c, 0), field::CP_RXFREQ).value = u"45O.0";
         row_of(channel(c, 1), field::CP_RXFREQ).value = u"451.0.0";
     },
     {"error frequency CP_BLOCK channel 1 \"Fire 1\" CP_RXFREQ",
      "error frequency CP_BLOCK channel 2 \"Fire 2\" CP_RXFREQ"}},
    {"NoBandAndSoNoFrequencyOutside",
     [](Codeplug& c) {
         std::get<EntryBlock>(c.blocks.at(field::RI_BLOCK)).info.pop_back();
         row_of(channel(c, 1), field::CP_TXFREQ).value = u"900.00000";
     },
     {"warning band RI_BLOCK RI_BANDMAXFREQ"}},
    {"AZoneMemberNamingNoChannel",
     [](Codeplug& c) { row_of(zone(c, 0).items[1], field::PA_PERSINDEX).value = u"2"; },
     {"error channel-reference PA_BLOCK zone 1 \"North\" member 2 \"Fire 2\" PA_PERSINDEX"}},
    {"NoChannelReferenceOfAnotherPersonalityType",
     [](Codeplug& c) {
         row_of(zone(c, 0).items[1], field::PA_PERSTYPE).value = u"1";
         row_of(zone(c, 0).items[1], field::PA_PERSINDEX).value = u"2";
     },
     {}},
    {"AChannelNamingNoScanList",
     [](Codeplug& c) { row_of(channel(c, 0), field::CP_SCANLISTINDEX).value = u"1"; },
     {"error scan-list-reference CP_BLOCK channel 1 \"Fire 1\" CP_SCANLISTINDEX"}},
    {"AReceiveAndTransmitOnlyChannel",
     [](Codeplug& c) {
         row_of(channel(c, 0), field::CP_RXONLY).value = u"1";
         row_of(channel(c, 0), field::CP_TXONLY).value = u"1";
         row_of(channel(c, 1), field::CP_RXONLY).value = u"1";
     },
     {"error receive-transmit CP_BLOCK channel 1 \"Fire 1\" CP_TXONLY"}},
    {"AnAliasTwiceInAZone",
     [](Codeplug& c) { row_of(zone(c, 0).items[1], field::ALIAS).value = u"Fire 1"; },
     {"warning duplicate-alias PA_BLOCK zone 1 \"North\" member 2 \"Fire 1\" ALIAS"}},
    {"NoDuplicateAcrossZones",
     [](Codeplug& c) {
         std::get<ListBlock>(c.blocks.at(field::PA_BLOCK)).items.push_back(zone(c, 0));
         row_of(zone(c, 1).info, field::PA_ZONEALIAS).value = u"South";
     },
     {}},
    {"AnAliasLongerThanTheDisplay",
     [](Codeplug& c) { row_of(channel(c, 0), field::ALIAS).value = u"Seventeen chars!!"; },
     {"warning alias-length CP_BLOCK channel 1 \"Seventeen chars!!\" ALIAS"}},
    {"NoLongAliasOfSixteenCharactersWithAnEmoji",
     [](Codeplug& c) { row_of(zone(c, 0).info, field::PA_ZONEALIAS).value = u"Fifteen chars \U0001F692!"; },
     {}},
    {"AValueOutsideTheDocumentedChoices",
     [](Codeplug& c) {
         row_of(channel(c, 1), field::CP_RXONLY).value = u"2";
         row_of(std::get<ListBlock>(c.blocks.at(field::SLI_BLOCK)).items[0].info, field::SLI_HSSCANTYPE).value = u"2";
     },
     {"warning choice CP_BLOCK channel 2 \"Fire 2\" CP_RXONLY"}},
    {"AChannelCountThatIsNotTheChannels",
     [](Codeplug& c) {
         std::get<EntryBlock>(c.blocks.at(field::CP_BLOCK)).info[0].value = u"3";
         std::get<TypeRows>(c.blocks.at(field::TC_BLOCK)).push_back({field::ENTRY_QUANTITY, u"2", 2});
     },
     {"warning channel-count CP_BLOCK ENTRY_QUANTITY"}},
};
INSTANTIATE_TEST_SUITE_P(Rules, CheckCodeplugFinds, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<CheckCase>& info) { return std::string(info.param.name); });

// Findings come in the layout's order, whatever rule finds them: the band
// (RI_BLOCK) before the channels, a channel's before the zones.
TEST(CheckCodeplug, GivesFindingsInTheLayoutsOrder) {
    Codeplug codeplug = ChannelPlanCodeplug();
    row_of(zone(codeplug, 0).items[0], field::PA_PERSINDEX).value = u"9";
    row_of(channel(codeplug, 1), field::ALIAS).value = u"A name too long to show";
    std::get<EntryBlock>(codeplug.blocks.at(field::RI_BLOCK)).info.clear();
    EXPECT_EQ(described(codeplug),
              (std::vector<std::string>{
                  "warning band RI_BLOCK RI_BANDMINFREQ",
                  "warning alias-length CP_BLOCK channel 2 \"A name too long to show\" ALIAS",
                  "error channel-reference PA_BLOCK zone 1 \"North\" member 1 \"Fire 1\" PA_PERSINDEX",
              }));
}

}  // namespace
