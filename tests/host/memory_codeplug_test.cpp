#include "host/memory_codeplug.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "host/codeplug_generator.h"
#include "platform/unique_variant.h"

namespace {

constexpr HRESULT kAccessDenied = static_cast<HRESULT>(0x80070005);
const TypeRows kRows = {{field::RRW_RGNSIZE, u"4096", 2}};
const EntryBlock kChannels = {{{field::ENTRY_QUANTITY, u"1", 2}}, {{{field::ALIAS, u"Fire Dispatch 1", 3}}}};

com_ptr<MemoryCodeplug> small_codeplug() {
    Codeplug codeplug;
    codeplug.blocks[field::RRW_BLOCK] = kRows;
    codeplug.blocks[field::CP_BLOCK] = kChannels;
    return MemoryCodeplug::Create(std::move(codeplug));
}

unique_variant built(const Block& block) {
    unique_variant out;
    EXPECT_EQ(ToVariant(block, out.put()), S_OK);
    return out;
}

}  // namespace

TEST(MemoryCodeplugGetBlock, HandsOutTheHeldBlockAsItsVariant) {
    com_ptr<MemoryCodeplug> codeplug = small_codeplug();
    unique_variant block;
    ASSERT_EQ(codeplug->GetBlock(field::CP_BLOCK, block.get()), S_OK);
    EXPECT_TRUE(VariantsEqual(*block.get(), *built(kChannels).get()));
}

TEST(MemoryCodeplugGetBlock, FailsForABlockNotHeldLeavingEmpty) {
    com_ptr<MemoryCodeplug> codeplug = small_codeplug();
    VARIANT block;
    block.vt = VT_I4;
    EXPECT_EQ(codeplug->GetBlock(field::PA_BLOCK, &block), E_INVALIDARG);
    EXPECT_EQ(block.vt, VT_EMPTY);
    EXPECT_EQ(codeplug->GetBlock(field::CP_BLOCK, nullptr), E_POINTER);
}

TEST(MemoryCodeplugSetBlock, StoresByTheLayoutKind) {
    com_ptr<MemoryCodeplug> codeplug = small_codeplug();
    ListBlock zones = {{{field::LIST_QUANTITY, u"0", 2}}, {EntryBlock{}}};
    ASSERT_EQ(codeplug->SetBlock(field::PA_BLOCK, built(zones).get()), S_OK);
    ASSERT_EQ(codeplug->SetBlock(field::RRW_BLOCK, built(TypeRows{}).get()), S_OK);
    EXPECT_EQ(codeplug->codeplug().blocks.at(field::PA_BLOCK), Block(zones));
    EXPECT_EQ(codeplug->codeplug().blocks.at(field::RRW_BLOCK), Block(TypeRows{}));
}

TEST(MemoryCodeplugSetBlock, RejectsAWrongShapeOrANonBlockIdKeepingTheCodeplug) {
    com_ptr<MemoryCodeplug> codeplug = small_codeplug();
    EXPECT_EQ(codeplug->SetBlock(field::CP_BLOCK, built(kRows).get()), E_INVALIDARG);
    EXPECT_EQ(codeplug->SetBlock(field::RC_MICGAIN, built(kRows).get()), E_INVALIDARG);
    EXPECT_EQ(codeplug->SetBlock(field::CP_BLOCK, nullptr), E_POINTER);
    EXPECT_EQ(codeplug->codeplug().blocks.at(field::CP_BLOCK), Block(kChannels));
    EXPECT_EQ(codeplug->codeplug().blocks.size(), 2u);
}

TEST(MemoryCodeplug, CountsEveryCallAndKeepsTheirOrder) {
    com_ptr<MemoryCodeplug> codeplug = small_codeplug();
    unique_variant block;
    EXPECT_EQ(codeplug->GetBlock(field::CP_BLOCK, block.put()), S_OK);
    EXPECT_EQ(codeplug->GetBlock(field::PA_BLOCK, block.put()), E_INVALIDARG);
    EXPECT_EQ(codeplug->GetBlock(field::CP_BLOCK, block.put()), S_OK);
    EXPECT_EQ(codeplug->SetBlock(field::CP_BLOCK, block.get()), S_OK);
    EXPECT_EQ(codeplug->SetBlock(field::RRW_BLOCK, block.get()), E_INVALIDARG);
    EXPECT_EQ(codeplug->getCalls(field::CP_BLOCK), 2);
    EXPECT_EQ(codeplug->getCalls(field::PA_BLOCK), 1);
    EXPECT_EQ(codeplug->setCalls(field::RRW_BLOCK), 1);
    EXPECT_EQ(codeplug->setOrder(), (std::vector<LONG>{field::CP_BLOCK, field::RRW_BLOCK}));
    EXPECT_EQ(codeplug->getOrder(), (std::vector<LONG>{field::CP_BLOCK, field::PA_BLOCK, field::CP_BLOCK}));
    codeplug->clearCalls();
    EXPECT_EQ(codeplug->getCalls(field::CP_BLOCK), 0);
}

TEST(MemoryCodeplugFaults, ReturnTheirStatusForTheChosenBlockAndCallOnly) {
    com_ptr<MemoryCodeplug> codeplug = small_codeplug();
    codeplug->failOnGet(field::CP_BLOCK, kAccessDenied);
    codeplug->failOnSet(field::RRW_BLOCK, E_FAIL);
    unique_variant block;
    EXPECT_EQ(codeplug->GetBlock(field::CP_BLOCK, block.put()), kAccessDenied);
    EXPECT_EQ(block.vt(), VT_EMPTY);
    EXPECT_EQ(codeplug->GetBlock(field::RRW_BLOCK, block.put()), S_OK);
    EXPECT_EQ(codeplug->SetBlock(field::RRW_BLOCK, built(TypeRows{}).get()), E_FAIL);
    EXPECT_EQ(codeplug->codeplug().blocks.at(field::RRW_BLOCK), Block(kRows));
    EXPECT_EQ(codeplug->SetBlock(field::CP_BLOCK, built(kChannels).get()), S_OK);
    EXPECT_EQ(codeplug->getCalls(field::CP_BLOCK), 1);

    codeplug->failOnGet(field::CP_BLOCK, S_OK);
    EXPECT_EQ(codeplug->GetBlock(field::CP_BLOCK, block.put()), S_OK);
    EXPECT_EQ(block.vt(), VT_EMPTY);
    codeplug->clearFaults();
    EXPECT_EQ(codeplug->GetBlock(field::CP_BLOCK, block.put()), S_OK);
    EXPECT_EQ(block.vt(), 0x200C);
}

TEST(MemoryCodeplugFaults, ThrowRuntimeErrorsAfterCounting) {
    com_ptr<MemoryCodeplug> codeplug = small_codeplug();
    codeplug->throwOnGet(field::CP_BLOCK);
    codeplug->throwOnSet(field::CP_BLOCK);
    unique_variant block;
    EXPECT_THROW(codeplug->GetBlock(field::CP_BLOCK, block.put()), std::runtime_error);
    EXPECT_THROW(codeplug->SetBlock(field::CP_BLOCK, built(kChannels).get()), std::runtime_error);
    EXPECT_EQ(codeplug->getCalls(field::CP_BLOCK), 1);
    EXPECT_EQ(codeplug->setCalls(field::CP_BLOCK), 1);
    EXPECT_EQ(codeplug->references(), 1u);
}

TEST(MemoryCodeplugCallHook, RunsInsideEachCallBeforeTheFault) {
    com_ptr<MemoryCodeplug> codeplug = small_codeplug();
    std::vector<std::pair<CodeplugCall, LONG>> seen;
    codeplug->setCallHook([&](CodeplugCall call, LONG id) { seen.emplace_back(call, id); });
    codeplug->failOnSet(field::RRW_BLOCK, E_FAIL);
    unique_variant block;
    EXPECT_EQ(codeplug->GetBlock(field::CP_BLOCK, block.put()), S_OK);
    EXPECT_EQ(codeplug->SetBlock(field::RRW_BLOCK, block.get()), E_FAIL);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], std::make_pair(CodeplugCall::Get, LONG{field::CP_BLOCK}));
    EXPECT_EQ(seen[1], std::make_pair(CodeplugCall::Set, LONG{field::RRW_BLOCK}));
}

// The library may release its codeplug from inside a call; the call must
// still finish on a live object, which goes once the call returns.
TEST(MemoryCodeplugCallHook, MayDropTheLastReferenceMidCall) {
    MemoryCodeplug* codeplug = small_codeplug().release();
    codeplug->setCallHook([codeplug](CodeplugCall, LONG) { codeplug->Release(); });
    unique_variant block;
    EXPECT_EQ(codeplug->GetBlock(field::CP_BLOCK, block.put()), S_OK);
    EXPECT_TRUE(VariantsEqual(*block.get(), *built(kChannels).get()));
}

TEST(MemoryCodeplugUnknown, AnswersItsTwoInterfacesAndCountsReferences) {
    com_ptr<MemoryCodeplug> codeplug = small_codeplug();
    com_ptr<ICodeplug> asCodeplug;
    com_ptr<IUnknown> asUnknown;
    ASSERT_EQ(codeplug->QueryInterface(IID_ICodeplug, asCodeplug.put_void()), S_OK);
    ASSERT_EQ(codeplug->QueryInterface(IID_IUnknown, asUnknown.put_void()), S_OK);
    EXPECT_EQ(static_cast<ICodeplug*>(codeplug.get()), asCodeplug.get());
    EXPECT_EQ(static_cast<IUnknown*>(codeplug.get()), asUnknown.get());
    EXPECT_EQ(codeplug->references(), 3u);

    void* other = &other;
    EXPECT_EQ(codeplug->QueryInterface(IID_IClassFactory, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(codeplug->QueryInterface(IID_ICodeplug, nullptr), E_POINTER);
    EXPECT_EQ(codeplug->references(), 3u);
}

TEST(MemoryCodeplugUnknown, AnswersReservedEntriesNotImplemented) {
    com_ptr<MemoryCodeplug> codeplug = small_codeplug();
    ICodeplug* object = codeplug.get();
    for (HRESULT hr :
         {object->Reserved1(), object->Reserved2(), object->Reserved3(), object->Reserved4(), object->Reserved5(),
          object->Reserved6(), object->Reserved7(), object->Reserved8(), object->Reserved9(), object->Reserved10()})
        EXPECT_EQ(hr, E_NOTIMPL);
}

TEST(MemoryCodeplug, CopiesEveryBlockOfARandomCodeplugToAnother) {
    com_ptr<MemoryCodeplug> source = MemoryCodeplug::Create(GenerateRandomCodeplug(7));
    com_ptr<MemoryCodeplug> target = MemoryCodeplug::Create();
    for (const RegionLayout& region : CodeplugRegions()) {
        for (const BlockLayout& layout : region.blocks) {
            unique_variant block;
            ASSERT_EQ(source->GetBlock(layout.fieldId, block.put()), S_OK);
            ASSERT_EQ(target->SetBlock(layout.fieldId, block.get()), S_OK);
        }
    }
    EXPECT_EQ(target->codeplug(), source->codeplug());
}
