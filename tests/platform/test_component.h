#pragma once

// What the test component library (test_component.cpp) offers: one class that
// it registers while loaded, and a count of the objects still alive.

#include "platform/wintypes.h"

inline constexpr CLSID kTestComponentClass = {
    0x5E1F2C3A, 0x7B4D, 0x4E21, {0x9A, 0x61, 0x0C, 0x3D, 0x8B, 0x27, 0xF4, 0x15}};

// The names the library exports: the class identifier as a data object, and
//   LONG TestComponentLiveObjects()
inline constexpr char kTestComponentClassSymbol[] = "CLSID_TestComponent";
inline constexpr char kTestComponentLiveObjectsSymbol[] = "TestComponentLiveObjects";
using TestComponentLiveObjectsFunction = LONG (*)();
