#pragma once

#include <gtest/gtest.h>

#include "platform/com.h"

// COM initialised on this thread for the object's life.
struct ComApartment {
    ComApartment() { EXPECT_EQ(CoInitialize(nullptr), S_OK); }
    ~ComApartment() { CoUninitialize(); }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
};
