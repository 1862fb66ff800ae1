#include "host/codeplug_diff.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "host/codeplug_generator.h"
#include "host/item_alignment.h"

namespace {

// 40 channels: three zones and three scan lists of up to 16 members.
const Codeplug kBase = GenerateRealisticCodeplug(40);

TypeRows& channels_info(Codeplug& codeplug) { return std::get<EntryBlock>(codeplug.blocks[field::CP_BLOCK]).info; }
std::vector<TypeRows>& channels(Codeplug& codeplug) {
    return std::get<EntryBlock>(codeplug.blocks[field::CP_BLOCK]).items;
}
std::vector<EntryBlock>& zones(Codeplug& codeplug) {
    return std::get<ListBlock>(codeplug.blocks[field::PA_BLOCK]).items;
}

FieldRow& row(TypeRows& rows, LONG id) {
    for (FieldRow& found : rows)
        if (found.id == id) return found;
    throw std::out_of_range("no such field");
}

std::string side(const std::optional<item_side>& side) { return side ? std::to_string(side->position) : "-"; }

// "item-removed CP_BLOCK 20/-", "field-changed PA_BLOCK 1/1 4/4 PA_PERSINDEX":
// the kind, the block, the item's and the member's positions before/after
// from 0, the field.
std::string compact(const difference& found) {
    static const char* const kKinds[] = {"field-changed", "field-added", "field-removed", "item-inserted",
                                         "item-removed"};
    std::string text = std::string(kKinds[static_cast<int>(found.kind)]) + " " + std::string(FieldName(found.block));
    for (const std::optional<item_place>& place : {found.item, found.member})
        if (place) text += " " + side(place->before) + "/" + side(place->after);
    if (const FieldRow* changed = found.after ? found.after : found.before)
        text += " " + std::string(FieldName(changed->id));
    return text;
}

struct DiffCase {
    const char* name;
    std::function<void(Codeplug&)> change;
    std::vector<std::string> expected;
};
void PrintTo(const DiffCase& diffCase, std::ostream* out) { *out << diffCase.name; }

TypeRows unlike(const TypeRows& channel) {
    TypeRows other = channel;
    for (FieldRow& field : other) field.value += u"!";
    return other;
}

const DiffCase kCases[] = {
    {"Equal", [](Codeplug&) {}, {}},
    {"OneChangedField",
     [](Codeplug& c) { row(channels(c)[3], field::CP_RXFREQ).value = u"451.00000"; },
     {"field-changed CP_BLOCK 3/3 CP_RXFREQ"}},
    {"TypeCodeAlone",
     [](Codeplug& c) { row(channels(c)[3], field::ALIAS).type = 9; },
     {"field-changed CP_BLOCK 3/3 ALIAS"}},
    {"BlockInfo",
     [](Codeplug& c) { row(channels_info(c), field::CP_RXREFFREQ).value = u"5"; },
     {"field-changed CP_BLOCK CP_RXREFFREQ"}},
    {"InsertedAndRemovedChannel",
     [](Codeplug& c) {
         channels(c).erase(channels(c).begin() + 20);
         channels(c).insert(channels(c).begin() + 5, unlike(channels(c)[0]));
     },
     {"item-inserted CP_BLOCK -/5", "item-removed CP_BLOCK 20/-"}},
    // The removed channel 7 and the changed channel 8 stand side by side:
    // channel 8 is paired with its own changed copy, not with channel 7.
    {"RemovalBesideAChangedChannel",
     [](Codeplug& c) {
         row(channels(c)[8], field::CP_TOT).value = u"999";
         channels(c).erase(channels(c).begin() + 7);
     },
     {"item-removed CP_BLOCK 7/-", "field-changed CP_BLOCK 8/7 CP_TOT"}},
    {"ChannelReplacedByAnUnlikeOne",
     [](Codeplug& c) { channels(c)[4] = unlike(channels(c)[4]); },
     {"item-removed CP_BLOCK 4/-", "item-inserted CP_BLOCK -/4"}},
    {"ChangedZoneMember",
     [](Codeplug& c) {
         TypeRows& member = zones(c)[1].items[4];
         row(member, field::PA_PERSINDEX).value = u"33";
         row(member, field::ALIAS).value = u"Police Tac 5";
     },
     {"field-changed PA_BLOCK 1/1 4/4 PA_PERSINDEX", "field-changed PA_BLOCK 1/1 4/4 ALIAS"}},
    {"MemberInsertedIntoAZone",
     [](Codeplug& c) { zones(c)[0].items.insert(zones(c)[0].items.begin() + 3, zones(c)[2].items[0]); },
     {"item-inserted PA_BLOCK 0/0 -/3"}},
    {"RenamedZone",
     [](Codeplug& c) { zones(c)[2].info[0].value = u"Harbour"; },
     {"field-changed PA_BLOCK 2/2 PA_ZONEALIAS"}},
    // Neither its name nor its members stayed: another zone.
    {"RenamedZoneWithOtherMembers",
     [](Codeplug& c) {
         zones(c)[2].info[0].value = u"Harbour";
         zones(c)[2].items.pop_back();
     },
     {"item-removed PA_BLOCK 2/-", "item-inserted PA_BLOCK -/2"}},
    {"FieldAddedAndRemoved",
     [](Codeplug& c) {
         TypeRows& region = std::get<TypeRows>(c.blocks[field::RRW_BLOCK]);
         region.erase(region.begin());
         region.push_back({field::RI_REGID, u"7", 2});
     },
     {"field-removed RRW_BLOCK RRW_RGNSIZE", "field-added RRW_BLOCK RI_REGID"}},
    {"MissingBlockIsEmpty",
     [](Codeplug& c) { c.blocks.erase(field::SLI_BLOCK); },
     {"field-removed SLI_BLOCK LIST_QUANTITY", "item-removed SLI_BLOCK 0/-", "item-removed SLI_BLOCK 1/-",
      "item-removed SLI_BLOCK 2/-"}},
};

class CodeplugDiff : public testing::TestWithParam<DiffCase> {};

TEST_P(CodeplugDiff, ReportsTheChangeInTheLayoutsOrder) {
    Codeplug after = kBase;
    GetParam().change(after);
    std::vector<std::string> found;
    for (const difference& one : DiffCodeplugs(kBase, after)) found.push_back(compact(one));
    EXPECT_EQ(found, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Changes, CodeplugDiff, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<DiffCase>& info) { return std::string(info.param.name); });

TEST(CodeplugDiff, PointsIntoBothCodeplugsAndNamesItemsByAlias) {
    Codeplug after = kBase;
    row(zones(after)[1].items[4], field::ALIAS).value = u"Renamed";
    const std::vector<difference> found = DiffCodeplugs(kBase, after);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].after, &zones(after)[1].items[4][3]);
    EXPECT_EQ(ItemAlias(*found[0].item->after), u"Zone 2 South");
    EXPECT_EQ(ItemAlias(*found[0].member->before), u"EMS Ops 3");
    EXPECT_EQ(ItemAlias(*found[0].member->after), u"Renamed");
}

TEST(CodeplugDiff, RefusesABlockOfAnotherKind) {
    Codeplug after = kBase;
    after.blocks[field::CP_BLOCK] = TypeRows{};
    EXPECT_THROW(DiffCodeplugs(kBase, after), std::invalid_argument);
}

// Items stand for themselves through their hashes; distances say which are
// similar.
struct AlignmentCase {
    const char* name;
    std::vector<std::uint64_t> before, after;
    std::vector<alignment_step> expected;
};
void PrintTo(const AlignmentCase& alignmentCase, std::ostream* out) { *out << alignmentCase.name; }

using kind = alignment_step::kind;

// Items are similar when their hashes lie within 10 of each other.
alignment_input input_for(const AlignmentCase& c) {
    return {c.before, c.after, [&c](std::size_t i, std::size_t j) { return c.before[i] == c.after[j]; },
            [&c](std::size_t i, std::size_t j) -> std::optional<std::size_t> {
                const std::uint64_t apart =
                    c.before[i] > c.after[j] ? c.before[i] - c.after[j] : c.after[j] - c.before[i];
                if (apart > 10) return std::nullopt;
                return apart;
            }};
}

const AlignmentCase kAlignments[] = {
    {"Equal", {100, 200, 300}, {100, 200, 300}, {}},
    {"Insertion", {100, 200, 300}, {100, 150, 200, 300}, {{kind::inserted, 0, 1}}},
    {"Removal", {100, 200, 300}, {100, 300}, {{kind::removed, 1, 0}}},
    {"SimilarPair", {100, 200, 300}, {100, 205, 300}, {{kind::paired, 1, 1}}},
    {"UnlikeItemsStayApart", {100, 200, 300}, {100, 500, 300}, {{kind::removed, 1, 0}, {kind::inserted, 0, 1}}},
    {"ClosestPairWins", {100, 200, 210, 300}, {100, 209, 300}, {{kind::removed, 1, 0}, {kind::paired, 2, 1}}},
    {"PairsKeepTheirOrder",
     {1000, 2000, 3000},
     {2001, 1001, 3000},
     {{kind::removed, 0, 0}, {kind::paired, 1, 0}, {kind::inserted, 0, 1}}},
};

class ItemAlignment : public testing::TestWithParam<AlignmentCase> {};

TEST_P(ItemAlignment, GivesTheStepsOfTheChange) { EXPECT_EQ(AlignItems(input_for(GetParam())), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(Sequences, ItemAlignment, testing::ValuesIn(kAlignments),
                         [](const testing::TestParamInfo<AlignmentCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(ItemAlignment, ReportsItemsWhoseHashesCollideAsAPair) {
    const std::vector<std::uint64_t> hashes = {7, 7};
    const std::vector<alignment_step> steps =
        AlignItems({hashes, hashes, [](std::size_t i, std::size_t) { return i == 0; },
                    [](std::size_t, std::size_t) -> std::optional<std::size_t> { return 1; }});
    EXPECT_EQ(steps, (std::vector<alignment_step>{{kind::paired, 1, 1}}));
}

// Beyond kMostPairingsWeighed the k-th removed item meets the k-th inserted
// one alone, though each would find its twin one place further on.
TEST(ItemAlignment, PairsALongRunByPosition) {
    AlignmentCase c{"LongRun", {}, {}, {}};
    for (std::uint64_t k = 0; k < 300; ++k) c.before.push_back(1000 * k + 10);
    c.after.push_back(1);
    for (std::uint64_t k = 0; k < 300; ++k) c.after.push_back(1000 * k + 15);
    const std::vector<alignment_step> steps = AlignItems(input_for(c));
    ASSERT_EQ(steps.size(), 600u);
    EXPECT_EQ(steps[0], (alignment_step{kind::paired, 0, 0}));
    EXPECT_EQ(steps[1], (alignment_step{kind::removed, 1, 0}));
}

}  // namespace
