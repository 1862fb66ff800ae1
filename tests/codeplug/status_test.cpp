// Each status space's own success test: a status whose top bit is set is
// never a success, whatever its low word.

#include "codeplug/status.h"

#include <gtest/gtest.h>

namespace {

struct SpaceCase {
    DWORD status;
    bool library;
    bool server;
    bool result;
};

TEST(StatusSpaces, EachSucceedsOnItsOwnLowWordAndNeverWithTheTopBitSet) {
    const SpaceCase cases[] = {
        {0x00040700, true, false, true},  {0x80040700, false, false, false}, {0x80070700, false, false, false},
        {0x00040400, false, true, true},  {0x80040400, false, false, false}, {0x00000000, false, false, true},
        {0x00000700, true, false, true},  {0x00000400, false, true, true},   {0x8004070E, false, false, false},
    };
    for (const SpaceCase& c : cases) {
        EXPECT_EQ(IsLibrarySuccess(c.status), c.library) << std::hex << c.status;
        EXPECT_EQ(IsServerSuccess(static_cast<HRESULT>(c.status)), c.server) << std::hex << c.status;
        EXPECT_EQ(IsResultSuccess(static_cast<HRESULT>(c.status)), c.result) << std::hex << c.status;
    }
    EXPECT_TRUE(IsShortSuccess(0x0700));
    EXPECT_FALSE(IsShortSuccess(0x00040700));
    EXPECT_TRUE(IsRegistrySuccess(0));
    EXPECT_FALSE(IsRegistrySuccess(0x0700));
}

TEST(StatusSpaces, PassOnAForeignFailureUnlessItWouldReadAsTheLibrarysSuccess) {
    EXPECT_EQ(FromServerStatus(0x00040400), XMLXSL_S_OK);
    EXPECT_EQ(FromServerStatus(static_cast<HRESULT>(0x80040404)), 0x80040404u);
    EXPECT_EQ(FromServerStatus(0x00040700), XMLXSL_E_CONVERT);
    EXPECT_EQ(FromResult(1), XMLXSL_S_OK);
    EXPECT_EQ(FromResult(static_cast<HRESULT>(0x80070700)), 0x80070700u);
    EXPECT_EQ(WidenShortStatus(0x0700), XMLXSL_S_OK);
    EXPECT_EQ(WidenShortStatus(2), 0x80040002u);
}

}  // namespace
