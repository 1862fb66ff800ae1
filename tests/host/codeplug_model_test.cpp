#include "host/codeplug_model.h"

#include <gtest/gtest.h>

#include <functional>

#include "platform/fault_injection.h"
#include "tests/support/scripted_codeplug.h"

namespace {

const TypeRows kTwoRows = {{field::RC_MICGAIN, u"12", 2}, {field::ALIAS, u"Fire Dispatch 1", 3}};

// A TYPE array put together cell by cell, as a host might.
unique_variant type_array(const TypeRows& rows, LONG columns = 3) {
    unique_variant array = MakeTypeArray(static_cast<LONG>(rows.size()), columns);
    for (LONG row = 0; row < static_cast<LONG>(rows.size()); ++row) {
        SetCell(array, row, 0, I4(rows[row].id));
        SetCell(array, row, 1, Bstr(rows[row].value));
        SetCell(array, row, 2, UI1(rows[row].type));
    }
    return array;
}

unique_variant holding(SAFEARRAY* array) {
    unique_variant held;
    held.get()->vt = VT_ARRAY | VT_VARIANT;
    held.get()->parray = array;
    return held;
}

}  // namespace

// FromVariant insists on the cell types and the columns 0 to 2, so reading
// back pins the rest of the layout.
TEST(ToVariant, BuildsWhatFromVariantReadsBackFromLowerBoundZeroWithoutNullBstrs) {
    for (const Block& block : {Block(TypeRows{}), Block(EntryBlock{kTwoRows, {{}, kTwoRows}}),
                               Block(ListBlock{kTwoRows, {EntryBlock{kTwoRows, {kTwoRows, {}}}, EntryBlock{}}})}) {
        unique_variant built;
        ASSERT_EQ(ToVariant(block, built.put()), S_OK);
        Block read = ListBlock{{{9, u"stale", 9}}, {}};
        ASSERT_EQ(FromVariant(*built.get(), KindOf(block), read), S_OK);
        EXPECT_EQ(read, block);
    }
    unique_variant rows;
    ASSERT_EQ(ToVariant(TypeRows{{1, u"", 0}}, rows.put()), S_OK);
    LONG lower = -1;
    EXPECT_EQ(SafeArrayGetLBound(rows.get()->parray, 1, &lower), S_OK);
    EXPECT_EQ(lower, 0);
    EXPECT_NE(static_cast<VARIANT*>(rows.get()->parray->pvData)[1].bstrVal, nullptr);
    EXPECT_EQ(ToVariant(kTwoRows, nullptr), E_POINTER);
}

// The ten allocations of this list: three arrays for the list itself (outer,
// info, items), one BSTR, then the entry's four arrays and two BSTRs. Each
// fails once, in a run of its own, then a run fails none.
TEST(ToVariant, FailsEachAllocationWithoutLeavingAnything) {
    const Block list = ListBlock{{{1, u"a", 0}}, {EntryBlock{{{2, u"b", 0}}, {{{3, u"c", 0}}}}}};
    int runs = 0;
    for (bool failed = true; failed && runs < 100; ++runs) {
        FailOleAllocationsAfter(runs);
        VARIANT out;
        out.vt = VT_I4;
        const HRESULT hr = ToVariant(list, &out);
        failed = !OleAllocationFailurePending();
        FailOleAllocationsAfter(-1);
        EXPECT_EQ(hr, failed ? E_OUTOFMEMORY : S_OK) << "allocation " << runs;
        EXPECT_EQ(out.vt, failed ? VT_EMPTY : VT_ARRAY | VT_VARIANT) << "allocation " << runs;
        VariantClear(&out);
    }
    EXPECT_EQ(runs, 11);
}

struct malformed_case {
    const char* name;
    std::function<unique_variant()> make;
    BlockKind kind;
    HRESULT expected;
};
void PrintTo(const malformed_case& tested, std::ostream* out) { *out << tested.name; }

class FromVariantRejects : public testing::TestWithParam<malformed_case> {};

TEST_P(FromVariantRejects, AMalformedBlockLeavingOutUnchanged) {
    Block out = TypeRows{{1, u"kept", 1}};
    EXPECT_EQ(FromVariant(*GetParam().make().get(), GetParam().kind, out), GetParam().expected);
    EXPECT_EQ(out, Block(TypeRows{{1, u"kept", 1}}));
}

const malformed_case kMalformedBlocks[] = {
    {"NotAnArray", [] { return unique_variant(I4(3)); }, BlockKind::Type, DISP_E_TYPEMISMATCH},
    {"BstrsLabelledAsVariants", [] { return holding(SafeArrayCreateVector(VT_BSTR, 0, 2)); }, BlockKind::Entry,
     DISP_E_TYPEMISMATCH},
    {"NullArray", [] { return holding(nullptr); }, BlockKind::Type, E_INVALIDARG},
    {"EntryOfTwoDimensions", [] { return type_array(kTwoRows); }, BlockKind::Entry, E_INVALIDARG},
    {"TypeOfFourColumns", [] { return type_array(kTwoRows, 4); }, BlockKind::Type, E_INVALIDARG},
    {"TypeColumnsFromOne",
     [] {
         SAFEARRAYBOUND bounds[] = {{1, 0}, {3, 1}};
         return holding(SafeArrayCreate(VT_VARIANT, 2, bounds));
     },
     BlockKind::Type, E_INVALIDARG},
    {"TypeCodeAsI4",
     [] {
         unique_variant rows = type_array(kTwoRows);
         SetCell(rows, 1, 2, I4(3));
         return rows;
     },
     BlockKind::Type, DISP_E_TYPEMISMATCH},
    {"EntryOfThreeParts", [] { return holding(SafeArrayCreateVector(VT_VARIANT, 0, 3)); }, BlockKind::Entry,
     E_INVALIDARG},
};

INSTANTIATE_TEST_SUITE_P(EveryCheck, FromVariantRejects, testing::ValuesIn(kMalformedBlocks),
                         [](const testing::TestParamInfo<malformed_case>& info) { return info.param.name; });
