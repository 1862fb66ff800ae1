#include "tests/support/sample_codeplugs.h"

Codeplug EmptyCodeplug() {
    Codeplug codeplug;
    for (const RegionLayout& region : CodeplugRegions()) {
        for (const BlockLayout& block : region.blocks) {
            switch (block.kind) {
                case BlockKind::Type:
                    codeplug.blocks[block.fieldId] = TypeRows{};
                    break;
                case BlockKind::Entry:
                    codeplug.blocks[block.fieldId] = EntryBlock{};
                    break;
                case BlockKind::List:
                    codeplug.blocks[block.fieldId] = ListBlock{};
                    break;
            }
        }
    }
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
