#pragma once

// The library loaded and open on a thread with COM, in a folder of the
// test's own: what every fault and load test starts from.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "codeplug/layout.h"
#include "host/memory_codeplug.h"
#include "tests/support/com_apartment.h"
#include "tests/support/loaded_library.h"
#include "tests/support/temp_folder.h"

// The handle under which the library keeps the codeplug object's file.
inline std::uintptr_t HandleOf(const com_ptr<MemoryCodeplug>& codeplug) {
    return reinterpret_cast<std::uintptr_t>(static_cast<ICodeplug*>(codeplug.get()));
}

// Every block id in the order both converters walk them.
inline std::vector<LONG> BlocksInOrder() {
    std::vector<LONG> ids;
    for (const RegionLayout& region : CodeplugRegions())
        for (const BlockLayout& block : region.blocks) ids.push_back(block.fieldId);
    return ids;
}

class OpenLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(library.loaded());
        ASSERT_EQ(library.Open(), XMLXSL_S_OK);
    }

    // Declared in this order so that the library unloads, releasing its
    // server, before COM ends, and before the folder goes.
    ComApartment com;
    TempFolder folder;
    LoadedLibrary library;
};
