#include "platform/last_error.h"

#include <gtest/gtest.h>

#include <thread>

TEST(GetLastError, KeepsEachThreadsOwnCode) {
    SetLastError(ERROR_SHARING_VIOLATION);
    DWORD seenByAnother = 1;
    std::thread([&] {
        seenByAnother = GetLastError();
        SetLastError(ERROR_ACCESS_DENIED);
    }).join();
    EXPECT_EQ(0u, seenByAnother);
    EXPECT_EQ(ERROR_SHARING_VIOLATION, GetLastError());
    SetLastError(0);
}
