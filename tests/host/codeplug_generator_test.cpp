#include "host/codeplug_generator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>

namespace {

void for_each_part(const Codeplug& codeplug, const std::function<void(const TypeRows&)>& visit) {
    auto visit_entry = [&](const EntryBlock& entry) {
        visit(entry.info);
        for (const TypeRows& item : entry.items) visit(item);
    };
    for (const auto& [id, block] : codeplug.blocks) {
        if (const auto* rows = std::get_if<TypeRows>(&block)) visit(*rows);
        if (const auto* entry = std::get_if<EntryBlock>(&block)) visit_entry(*entry);
        if (const auto* list = std::get_if<ListBlock>(&block)) {
            visit(list->info);
            for (const EntryBlock& item : list->items) visit_entry(item);
        }
    }
}

void for_each_row(const Codeplug& codeplug, const std::function<void(const FieldRow&)>& visit) {
    for_each_part(codeplug, [&](const TypeRows& rows) {
        for (const FieldRow& row : rows) visit(row);
    });
}

std::vector<std::u16string> values_of_seeds(std::uint32_t first, std::uint32_t last) {
    std::vector<std::u16string> values;
    for (std::uint32_t seed = first; seed <= last; ++seed)
        for_each_row(GenerateRandomCodeplug(seed), [&](const FieldRow& row) { values.push_back(row.value); });
    return values;
}

// Code page 1252 less its C0 controls other than TAB, LF and CR.
std::set<char16_t> cp1252_characters() {
    std::set<char16_t> characters = {u'\t', u'\n', u'\r'};
    for (char16_t c = 0x20; c <= 0x7E; ++c) characters.insert(c);
    for (char16_t c = 0xA0; c <= 0xFF; ++c) characters.insert(c);
    for (char16_t c :
         u"\u20AC\u0081\u201A\u0192\u201E\u2026\u2020\u2021\u02C6\u2030\u0160\u2039\u0152\u008D"
         u"\u017D\u008F\u0090\u2018\u2019\u201C\u201D\u2022\u2013\u2014\u02DC\u2122\u0161\u203A"
         u"\u0153\u009D\u017E\u0178")
        if (c != 0) characters.insert(c);
    return characters;
}

}  // namespace

class GeneratedCodeplug : public testing::TestWithParam<int> {};

TEST_P(GeneratedCodeplug, HoldsEveryLayoutBlockOfItsKind) {
    Codeplug codeplug = GetParam() < 0 ? GenerateRandomCodeplug(static_cast<std::uint32_t>(-GetParam()))
                                       : GenerateRealisticCodeplug(GetParam());
    EXPECT_EQ(codeplug.blocks.size(), 16u);
    for (const RegionLayout& region : CodeplugRegions())
        for (const BlockLayout& layout : region.blocks) {
            ASSERT_TRUE(codeplug.blocks.contains(layout.fieldId)) << FieldName(layout.fieldId);
            EXPECT_EQ(KindOf(codeplug.blocks.at(layout.fieldId)), layout.kind) << FieldName(layout.fieldId);
        }
    for_each_row(codeplug, [](const FieldRow& row) {
        EXPECT_GE(row.id, 1);
        EXPECT_LE(row.id, 470);
    });
}

// Negative parameters are random seeds, the others channel counts.
INSTANTIATE_TEST_SUITE_P(RandomAndRealistic, GeneratedCodeplug, testing::Values(-1, -2, -3, 0, 1, 16, 40),
                         [](const testing::TestParamInfo<int>& info) {
                             return info.param < 0 ? "Seed" + std::to_string(-info.param)
                                                   : "Channels" + std::to_string(info.param);
                         });

TEST(GenerateRandomCodeplug, GivesTheSameCodeplugForTheSameSeedOnly) {
    EXPECT_EQ(GenerateRandomCodeplug(11), GenerateRandomCodeplug(11));
    EXPECT_NE(GenerateRandomCodeplug(11), GenerateRandomCodeplug(12));
}

TEST(GenerateRandomCodeplug, ReachesEveryEmptyPartAcrossSeeds) {
    bool emptyRows = false, emptyEntry = false, emptyList = false, listItemWithoutItems = false;
    std::set<int> typeCodes;
    for (std::uint32_t seed = 1; seed <= 40; ++seed) {
        Codeplug codeplug = GenerateRandomCodeplug(seed);
        for_each_part(codeplug, [&](const TypeRows& rows) { emptyRows |= rows.empty(); });
        for_each_row(codeplug, [&](const FieldRow& row) { typeCodes.insert(row.type); });
        for (const auto& [id, block] : codeplug.blocks) {
            if (const auto* entry = std::get_if<EntryBlock>(&block)) emptyEntry |= entry->items.empty();
            if (const auto* list = std::get_if<ListBlock>(&block)) {
                emptyList |= list->items.empty();
                for (const EntryBlock& item : list->items) listItemWithoutItems |= item.items.empty();
            }
        }
    }
    EXPECT_TRUE(emptyRows);
    EXPECT_TRUE(emptyEntry);
    EXPECT_TRUE(emptyList);
    EXPECT_TRUE(listItemWithoutItems);
    EXPECT_TRUE(typeCodes.contains(0));
    EXPECT_TRUE(typeCodes.contains(255));
}

TEST(GenerateRandomCodeplug, DrawsOnlyCharactersThatCodePage1252AndXmlCarry) {
    std::set<char16_t> allowed = cp1252_characters();
    ASSERT_EQ(allowed.size(), 226u);
    std::set<char16_t> seen;
    for (const std::u16string& value : values_of_seeds(1, 5))
        for (char16_t c : value) {
            ASSERT_TRUE(allowed.contains(c)) << "U+" << std::hex << int{c};
            seen.insert(c);
        }
    EXPECT_EQ(seen, allowed);
}

TEST(GenerateRandomCodeplug, DrawsEveryHardValue) {
    std::vector<std::u16string> values = values_of_seeds(1, 3);
    auto some = [&](const std::function<bool(const std::u16string&)>& test) {
        return std::any_of(values.begin(), values.end(), test);
    };
    auto containing = [&](std::u16string_view part) {
        return some([&](const std::u16string& value) { return value.find(part) != std::u16string::npos; });
    };
    EXPECT_TRUE(some([](const std::u16string& value) { return value.empty(); }));
    for (std::u16string_view part : {u"&", u"<", u">", u"\"", u"'", u"\r\n", u"\t", u"Ô", u"€"})
        EXPECT_TRUE(containing(part)) << std::string(part.begin(), part.end());
    EXPECT_TRUE(some([](const std::u16string& value) { return !value.empty() && value.back() == u'\r'; }));
    EXPECT_TRUE(some([](const std::u16string& value) { return !value.empty() && value.front() == u'\n'; }));
    EXPECT_TRUE(some([](const std::u16string& value) { return value.size() > 1 && value.front() == u' '; }));
    EXPECT_TRUE(some([](const std::u16string& value) { return value.size() > 1 && value.back() == u' '; }));
    EXPECT_TRUE(some([](const std::u16string& value) { return value.size() >= 256; }));
    EXPECT_TRUE(some([](const std::u16string& value) {
        return !value.empty() &&
               std::all_of(value.begin(), value.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; });
    }));
}

// 360 fields without channels, 39 for each channel and 16 for each group of
// up to 16 channels (a zone's alias, a scan list's alias and 14 settings).
TEST(GenerateRealisticCodeplug, GrowsByFortyFieldsPerChannelInWholeGroups) {
    EXPECT_EQ(CountFields(GenerateRealisticCodeplug(0)), 360u);
    EXPECT_EQ(CountFields(GenerateRealisticCodeplug(-5)), 360u);
    EXPECT_EQ(CountFields(GenerateRealisticCodeplug(1)), 360u + 39 + 16);
    EXPECT_EQ(CountFields(GenerateRealisticCodeplug(16)), 360u + 640);
    EXPECT_EQ(CountFields(GenerateRealisticCodeplug(17)), 360u + 640 + 39 + 16);
    EXPECT_EQ(CountFields(GenerateRealisticCodeplug(1600)), 360u + 64000);
}

TEST(GenerateRealisticCodeplug, ReachesTheDocumentedSizesAtTheDocumentedCounts) {
    EXPECT_EQ(CountFields(GenerateRealisticCodeplug(15)), 961u);
    EXPECT_EQ(CountFields(GenerateRealisticCodeplug(16)), 1000u);
    EXPECT_EQ(CountFields(GenerateRealisticCodeplug(240)), 9960u);
    EXPECT_EQ(CountFields(GenerateRealisticCodeplug(241)), 10015u);
    EXPECT_EQ(CountFields(GenerateRealisticCodeplug(2490)), 99966u);
    EXPECT_EQ(CountFields(GenerateRealisticCodeplug(2491)), 100005u);
}

TEST(GenerateRealisticCodeplug, GivesOneChannelItemAndOneZoneAndScanMemberPerChannel) {
    Codeplug codeplug = GenerateRealisticCodeplug(40);
    EXPECT_EQ(std::get<EntryBlock>(codeplug.blocks.at(field::CP_BLOCK)).items.size(), 40u);
    const ListBlock& zones = std::get<ListBlock>(codeplug.blocks.at(field::PA_BLOCK));
    const ListBlock& scanLists = std::get<ListBlock>(codeplug.blocks.at(field::SLI_BLOCK));
    ASSERT_EQ(zones.items.size(), 3u);
    ASSERT_EQ(scanLists.items.size(), 3u);
    EXPECT_EQ(zones.items[2].items.size(), 8u);
    EXPECT_EQ(scanLists.items[2].items.size(), 8u);
    EXPECT_EQ(zones.items[0].info, (TypeRows{{field::PA_ZONEALIAS, u"Zone 1 North", 3}}));
    EXPECT_EQ(zones.items[2].items[7][1], (FieldRow{field::PA_PERSINDEX, u"39", 2}));
}

TEST(GenerateRealisticCodeplug, IsTheSameForTheSameChannelCount) {
    EXPECT_EQ(GenerateRealisticCodeplug(40), GenerateRealisticCodeplug(40));
    EXPECT_NE(GenerateRealisticCodeplug(40).blocks.at(field::MDF_BLOCK),
              GenerateRealisticCodeplug(41).blocks.at(field::MDF_BLOCK));
}

TEST(GenerateRealisticCodeplug, WritesRadioTextTheWayARadioDoes) {
    Codeplug codeplug = GenerateRealisticCodeplug(1600);
    int aliases = 0;
    int frequencies = 0;
    for_each_row(codeplug, [&](const FieldRow& row) {
        std::string value(row.value.begin(), row.value.end());
        if (row.id == field::ALIAS || row.id == field::PA_ZONEALIAS) {
            ++aliases;
            EXPECT_NE(value.find(' '), std::string::npos) << value;
        }
        if (row.id == field::CP_RXFREQ || row.id == field::CP_TXFREQ) {
            ++frequencies;
            ASSERT_EQ(value.size(), 9u) << value;
            EXPECT_EQ(value[3], '.') << value;
            EXPECT_TRUE(value >= "450.00000" && value <= "474.98750") << value;
        }
        if (FieldName(row.id).ends_with("EN") && row.id >= field::RC_WAITSTALLOW && row.id <= field::RC_VOXSTEN) {
            EXPECT_TRUE(value == "0" || value == "1") << FieldName(row.id);
        }
    });
    EXPECT_EQ(aliases, 1600 * 2 + 100 * 2);
    EXPECT_EQ(frequencies, 3200);
    const TypeRows& first = std::get<EntryBlock>(codeplug.blocks.at(field::CP_BLOCK)).items[0];
    EXPECT_EQ(first.back(), (FieldRow{field::ALIAS, u"Fire Dispatch 1", 3}));
}
