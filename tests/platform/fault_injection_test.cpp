#include <gtest/gtest.h>

#include "platform/unique_bstr.h"
#include "tests/platform/ole_fakes.h"

TEST(FailOleAllocationsAfter, LetsTheGivenNumberSucceedThenFailsOnce) {
    scoped_allocation_failure failure(2);
    unique_bstr first(SysAllocString(u"1")), second(SysAllocStringLen(nullptr, 1));
    EXPECT_TRUE(OleAllocationFailurePending());
    EXPECT_EQ(SafeArrayCreateVector(VT_I4, 0, 1), nullptr);
    EXPECT_FALSE(OleAllocationFailurePending());
    unique_bstr fourth(SysAllocString(u"4"));
    EXPECT_TRUE(first && second && fourth);
}

TEST(FailOleAllocationsAfter, NegativeCountDisarms) {
    scoped_allocation_failure failure(0);
    FailOleAllocationsAfter(-5);
    EXPECT_FALSE(OleAllocationFailurePending());
    unique_bstr text(SysAllocString(u"x"));
    EXPECT_TRUE(text);
}
