#include "codeplug/layout.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

TEST(FieldName, NamesBothEndsAndTheAliasField) {
    EXPECT_EQ(FieldName(0), "CPBLOCK_LOWBOUND");
    EXPECT_EQ(FieldName(1), "RRW_BLOCK");
    EXPECT_EQ(FieldName(100), "RRW_RGNSIZE");
    EXPECT_EQ(FieldName(161), "RC_MICGAIN");
    EXPECT_EQ(FieldName(424), "ALIAS");
    EXPECT_EQ(FieldName(453), "TC_BLOCK");
    EXPECT_EQ(FieldName(454), "VECT_BLOCK");
    EXPECT_EQ(FieldName(470), "RC_VOXMICGAIN");
}

TEST(FieldName, IsEmptyOutsideTheTable) {
    EXPECT_EQ(FieldName(-1), "");
    EXPECT_EQ(FieldName(471), "");
}

TEST(FieldName, NamesAreUniqueUpperCaseElementNames) {
    std::set<std::string_view> seen;
    for (LONG id = 0; id < kFieldNameCount; ++id) {
        std::string_view name = FieldName(id);
        ASSERT_FALSE(name.empty()) << id;
        EXPECT_TRUE(seen.insert(name).second) << "duplicate " << name;
        for (char c : name) EXPECT_TRUE((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_') << name;
    }
}

TEST(CodeplugRegions, WalkSixteenBlocksInTheRadiosOrder) {
    std::vector<std::string> walk;
    for (const RegionLayout& region : CodeplugRegions())
        for (const BlockLayout& block : region.blocks)
            walk.push_back(std::string(region.name) + "/" + std::string(FieldName(block.fieldId)) + "/" +
                           std::to_string(static_cast<LONG>(block.kind)));
    EXPECT_EQ(walk, (std::vector<std::string>{
                        "RRO/MDF_BLOCK/1", "RRO/RI_BLOCK/1",   "RRW/RRW_BLOCK/0", "RRW/TC_BLOCK/0",
                        "RRW/VECT_BLOCK/0", "RRW/TI_BLOCK/1",  "RRW/RC_BLOCK/1",  "RRW/DR_BLOCK/1",
                        "RRW/AC_BLOCK/1",  "RRW/CB_BLOCK/1",   "RRW/SC_BLOCK/1",  "RRW/MDC_BLOCK/1",
                        "RRW/QC_BLOCK/1",  "RRW/CP_BLOCK/1",   "RRW/PA_BLOCK/2",  "RRW/SLI_BLOCK/2",
                    }));
}

}  // namespace
