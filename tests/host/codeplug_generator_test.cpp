#include "host/codeplug_generator.h"

#include <gtest/gtest.h>

#include <utility>

// 360 fields without channels, 39 for each channel and 16 for each started
// group of 16 channels: the sizes that the header and the benchmark name.
TEST(GenerateRealisticCodeplug, GrowsByFortyFieldsPerChannelInWholeGroups) {
    const std::pair<int, std::size_t> kSizes[] = {{0, 360}, {1, 415}, {16, 1000}, {17, 1055}, {241, 10015}};
    for (auto [channels, fields] : kSizes)
        EXPECT_EQ(CountFields(GenerateRealisticCodeplug(channels)), fields) << channels << " channels";
}

TEST(GenerateRealisticCodeplug, IsTheSameForTheSameChannelCount) {
    EXPECT_EQ(GenerateRealisticCodeplug(40), GenerateRealisticCodeplug(40));
    EXPECT_NE(GenerateRealisticCodeplug(40).blocks.at(field::MDF_BLOCK),
              GenerateRealisticCodeplug(41).blocks.at(field::MDF_BLOCK));
}
