#include "tests/support/sample_codeplugs.h"

#include <string>
#include <string_view>

#include "platform/codepage.h"

Codeplug EmptyCodeplug() {
    const Block empty[] = {TypeRows{}, EntryBlock{}, ListBlock{}};  // in BlockKind's order
    Codeplug codeplug;
    for (const RegionLayout& region : CodeplugRegions())
        for (const BlockLayout& block : region.blocks) codeplug.blocks[block.fieldId] = empty[int(block.kind)];
    return codeplug;
}

Codeplug SmallCodeplug() {
    Codeplug codeplug = EmptyCodeplug();
    codeplug.blocks[field::RRW_BLOCK] = TypeRows{{field::RRW_RGNSIZE, u"4096", 2}};
    codeplug.blocks[field::CP_BLOCK] = EntryBlock{
        {{field::CP_RXREFFREQ, u"6.25", 0}},
        {{{field::CP_RXFREQ, u"450.12500", 7}, {field::ALIAS, u"Fire & Rescue <1>", 9}}},
    };
    codeplug.blocks[field::PA_BLOCK] = ListBlock{
        {},
        {EntryBlock{{{field::PA_ZONEALIAS, u"Zone \"North\"", 9}}, {{{field::PA_PERSINDEX, u"1", 1}}}}},
    };
    return codeplug;
}

Codeplug HardCodeplug() {
    std::string bytes;
    for (int byte = 1; byte <= 0xFF; ++byte) bytes += static_cast<char>(byte);
    std::u16string page(bytes.size(), u'\0');
    MultiByteToWideChar(1252, 0, bytes.data(), static_cast<int>(bytes.size()), page.data(),
                        static_cast<int>(page.size()));
    TypeRows hard = {{field::ALIAS, page, 0},
                     {field::ALIAS, page + page + page, 255},
                     {field::ALIAS, u"", 1},
                     {field::ALIAS, u"\r\n \t& < > \" ' &amp; <a> ]]> &#0; Ô\r\n\t ", 2}};
    for (LONG id = kFirstFieldId; id <= kLastFieldId; ++id) hard.push_back({id, u"Ô", static_cast<BYTE>(id)});
    Codeplug codeplug = SmallCodeplug();
    codeplug.blocks[field::TC_BLOCK] = hard;
    std::get<EntryBlock>(codeplug.blocks[field::CP_BLOCK]).items.emplace_back();
    std::get<ListBlock>(codeplug.blocks[field::PA_BLOCK]).items.emplace_back();
    return codeplug;
}

namespace {

TypeRows plan_channel(std::u16string_view megahertz, std::u16string_view alias) {
    return {{field::CP_RXFREQ, std::u16string(megahertz), 4},
            {field::CP_TXFREQ, std::u16string(megahertz), 4},
            {field::CP_RXONLY, u"0", 1},
            {field::CP_TXONLY, u"0", 1},
            {field::CP_SCANLISTINDEX, u"0", 2},
            {field::ALIAS, std::u16string(alias), 3}};
}

}  // namespace

Codeplug ChannelPlanCodeplug() {
    Codeplug codeplug = EmptyCodeplug();
    codeplug.blocks[field::RI_BLOCK] =
        EntryBlock{{{field::RI_BANDMINFREQ, u"450.00000", 4}, {field::RI_BANDMAXFREQ, u"470.00000", 4}}, {}};
    codeplug.blocks[field::CP_BLOCK] =
        EntryBlock{{{field::ENTRY_QUANTITY, u"2", 2}},
                   {plan_channel(u"451.00000", u"Fire 1"), plan_channel(u"452.00000", u"Fire 2")}};
    auto zoneMember = [](std::u16string_view index, std::u16string_view alias) {
        return TypeRows{{field::PA_PERSTYPE, u"0", 2},
                        {field::PA_PERSINDEX, std::u16string(index), 2},
                        {field::ALIAS, std::u16string(alias), 3}};
    };
    codeplug.blocks[field::PA_BLOCK] = ListBlock{
        {},
        {EntryBlock{{{field::PA_ZONEALIAS, u"North", 3}}, {zoneMember(u"0", u"Fire 1"), zoneMember(u"1", u"Fire 2")}}}};
    auto scanMember = [](std::u16string_view index) {
        return TypeRows{{field::SM_PERSTYPE, u"0", 2}, {field::SM_PERSINDEX, std::u16string(index), 2}};
    };
    codeplug.blocks[field::SLI_BLOCK] =
        ListBlock{{}, {EntryBlock{{{field::ALIAS, u"Scan", 3}}, {scanMember(u"0"), scanMember(u"1")}}}};
    return codeplug;
}
