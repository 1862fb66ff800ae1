#include "localise/path_separators.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

class MergeDoubledSeparators : public ::testing::TestWithParam<std::pair<std::string, std::string>> {};

TEST_P(MergeDoubledSeparators, MergesPairsLeftToRightWithoutOverlap) {
    EXPECT_EQ(::MergeDoubledSeparators(GetParam().first), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Cases, MergeDoubledSeparators,
                         ::testing::Values(std::pair{"", ""}, std::pair{"/", "/"}, std::pair{"//", "/"},
                                           std::pair{"///", "//"}, std::pair{"////", "//"},
                                           std::pair{"/opt//de.res", "/opt/de.res"},
                                           std::pair{"//server/share", "/server/share"},
                                           std::pair{"a\\\\b", "a\\\\b"}));

}  // namespace
