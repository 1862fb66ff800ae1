#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/unique_bstr.h"
#include "platform/unique_safearray.h"
#include "platform/unique_variant.h"
#include "tests/platform/ole_fakes.h"

namespace {

// Bounds as the descriptor stores them, last dimension first.
SAFEARRAYBOUND stored_bound(SAFEARRAY* psa, int i) { return (psa->rgsabound + i)[0]; }

DWORD vartype_before_descriptor(SAFEARRAY* psa) {
    DWORD vt = 0;
    std::memcpy(&vt, reinterpret_cast<const char*>(psa) - sizeof(DWORD), sizeof(DWORD));
    return vt;
}

BSTR* bstrs(SAFEARRAY* psa) { return static_cast<BSTR*>(psa->pvData); }

unique_safearray bstr_vector(std::initializer_list<const char16_t*> texts) {
    unique_safearray array(SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(texts.size())));
    LONG index = 0;
    for (const char16_t* text : texts) {
        unique_bstr value(SysAllocString(text));
        EXPECT_EQ(SafeArrayPutElement(array.get(), &index, value.get()), S_OK);
        ++index;
    }
    return array;
}

}  // namespace

// A TYPE array of 4 rows and 3 columns, as a host builds and reads it.
TEST(SafeArrayCreate, LaysOutDimensionOneFastestWithBoundsStoredLastFirst) {
    SAFEARRAYBOUND bounds[] = {{4, 0}, {3, 0}};
    unique_safearray array(SafeArrayCreate(VT_I4, 2, bounds));
    ASSERT_TRUE(array);
    EXPECT_EQ(stored_bound(array.get(), 0).cElements, 3u);
    EXPECT_EQ(stored_bound(array.get(), 1).cElements, 4u);
    LONG row_1_column_2[] = {1, 2}, value = 42;
    ASSERT_EQ(SafeArrayPutElement(array.get(), row_1_column_2, &value), S_OK);
    EXPECT_EQ(static_cast<LONG*>(array.get()->pvData)[9], 42);
    EXPECT_EQ(SafeArrayGetDim(array.get()), 2u);
}

struct type_case {
    const char* name;
    VARTYPE vt;
    ULONG cbElements;
    USHORT fFeatures;
};

class SafeArrayCreateOfType : public testing::TestWithParam<type_case> {};

TEST_P(SafeArrayCreateOfType, RecordsElementSizeFeaturesAndVartypeBeforeTheDescriptor) {
    unique_safearray array(SafeArrayCreateVector(GetParam().vt, 0, 2));
    ASSERT_TRUE(array);
    EXPECT_EQ(SafeArrayGetElemsize(array.get()), GetParam().cbElements);
    EXPECT_EQ(array.get()->fFeatures, GetParam().fFeatures);
    EXPECT_EQ(vartype_before_descriptor(array.get()), GetParam().vt);
    VARTYPE vt = 0;
    ASSERT_EQ(SafeArrayGetVartype(array.get(), &vt), S_OK);
    EXPECT_EQ(vt, GetParam().vt);
}

const type_case kTypeCases[] = {
    {"UI1", VT_UI1, 1, 0x0080},         {"I2", VT_I2, 2, 0x0080},
    {"Bool", VT_BOOL, 2, 0x0080},       {"I4", VT_I4, 4, 0x0080},
    {"Error", VT_ERROR, 4, 0x0080},     {"Bstr", VT_BSTR, 8, 0x0180},
    {"Unknown", VT_UNKNOWN, 8, 0x0280}, {"Variant", VT_VARIANT, 24, 0x0880},
};
INSTANTIATE_TEST_SUITE_P(EveryType, SafeArrayCreateOfType, testing::ValuesIn(kTypeCases),
                         [](const testing::TestParamInfo<type_case>& info) { return info.param.name; });

TEST(SafeArrayCreate, RefusesTypesItCannotHoldAndSizesThatOverflow) {
    const VARTYPE refused[] = {VT_EMPTY, VT_NULL, 4, VT_ARRAY | VT_I4, VT_BYREF | VT_I4};
    for (VARTYPE vt : refused) EXPECT_EQ(SafeArrayCreateVector(vt, 0, 1), nullptr) << vt;
    SAFEARRAYBOUND huge[] = {{0xFFFFFFFF, 0}, {0xFFFFFFFF, 0}, {0xFFFFFFFF, 0}};
    EXPECT_EQ(SafeArrayCreate(VT_UI1, 3, huge), nullptr);
    EXPECT_EQ(SafeArrayCreate(VT_VARIANT, 2, huge), nullptr);
    EXPECT_EQ(SafeArrayCreate(VT_I4, 0, huge), nullptr);
    EXPECT_EQ(SafeArrayCreate(VT_I4, 1, nullptr), nullptr);
    EXPECT_EQ(SafeArrayCreateVector(VT_I4, 0x7FFFFFFF, 2), nullptr);
    unique_safearray last(SafeArrayCreateVector(VT_I4, 0x7FFFFFFF, 1));
    EXPECT_TRUE(last);
}

TEST(SafeArrayGetBounds, AnswersEachDimensionAndRejectsANullArrayBeforeABadDimension) {
    SAFEARRAYBOUND bounds[] = {{3, -2}, {0, 5}};
    unique_safearray array(SafeArrayCreate(VT_I2, 2, bounds));
    LONG found[4] = {};
    ASSERT_EQ(SafeArrayGetLBound(array.get(), 1, &found[0]), S_OK);
    ASSERT_EQ(SafeArrayGetUBound(array.get(), 1, &found[1]), S_OK);
    ASSERT_EQ(SafeArrayGetLBound(array.get(), 2, &found[2]), S_OK);
    ASSERT_EQ(SafeArrayGetUBound(array.get(), 2, &found[3]), S_OK);
    EXPECT_EQ(std::vector<LONG>(found, found + 4), (std::vector<LONG>{-2, 0, 5, 4}));
    EXPECT_EQ(SafeArrayGetLBound(array.get(), 0, &found[0]), DISP_E_BADINDEX);
    EXPECT_EQ(SafeArrayGetUBound(array.get(), 3, &found[0]), DISP_E_BADINDEX);
    EXPECT_EQ(SafeArrayGetUBound(nullptr, 0, &found[0]), E_INVALIDARG);
}

class SafeArrayIndex : public testing::TestWithParam<std::pair<std::vector<LONG>, HRESULT>> {};

// Dimension 1 runs -2..0, dimension 2 runs 5..6.
TEST_P(SafeArrayIndex, AcceptsOnlyIndicesWithinEveryBound) {
    SAFEARRAYBOUND bounds[] = {{3, -2}, {2, 5}};
    unique_safearray array(SafeArrayCreate(VT_I4, 2, bounds));
    auto [indices, expected] = GetParam();
    LONG value = 11, out = 0;
    EXPECT_EQ(SafeArrayPutElement(array.get(), indices.data(), &value), expected);
    EXPECT_EQ(SafeArrayGetElement(array.get(), indices.data(), &out), expected);
    EXPECT_EQ(out, expected == S_OK ? 11 : 0);
}

INSTANTIATE_TEST_SUITE_P(OneInsideAndOneOutsideEachEdge, SafeArrayIndex,
                         testing::Values(std::pair{std::vector<LONG>{-2, 5}, S_OK},
                                         std::pair{std::vector<LONG>{0, 6}, S_OK},
                                         std::pair{std::vector<LONG>{-3, 5}, DISP_E_BADINDEX},
                                         std::pair{std::vector<LONG>{1, 5}, DISP_E_BADINDEX},
                                         std::pair{std::vector<LONG>{-2, 4}, DISP_E_BADINDEX},
                                         std::pair{std::vector<LONG>{0, 7}, DISP_E_BADINDEX}));

TEST(SafeArrayGetElement, FindsNothingInADimensionOfZeroElements) {
    unique_safearray array(SafeArrayCreateVector(VT_BSTR, 5, 0));
    LONG index = 5, upper = 0;
    BSTR out = nullptr;
    EXPECT_EQ(SafeArrayGetElement(array.get(), &index, &out), DISP_E_BADINDEX);
    ASSERT_EQ(SafeArrayGetUBound(array.get(), 1, &upper), S_OK);
    EXPECT_EQ(upper, 4);
}

TEST(SafeArrayPutElement, StoresADeepCopyThatGetElementCopiesAgain) {
    unique_safearray array(SafeArrayCreateVector(VT_VARIANT, 0, 1));
    LONG index = 0;
    for (const char16_t* text : {u"first", u"second"}) {
        unique_variant value(bstr_variant(text));
        ASSERT_EQ(SafeArrayPutElement(array.get(), &index, value.get()), S_OK);
    }
    unique_variant out;
    ASSERT_EQ(SafeArrayGetElement(array.get(), &index, out.get()), S_OK);
    EXPECT_EQ(text_of(out.get()->bstrVal), u"second");
    EXPECT_NE(out.get()->bstrVal, static_cast<VARIANT*>(array.get()->pvData)->bstrVal);
    EXPECT_EQ(SafeArrayPutElement(array.get(), &index, nullptr), E_INVALIDARG);
}

// Windows' convention: a BSTR element is passed as the BSTR itself, not its address.
TEST(SafeArrayPutElement, CopiesABstrPassedItselfAndKeepsTheOldOneWhenTheCopyFails) {
    unique_safearray array = bstr_vector({u"old"});
    unique_bstr value(SysAllocString(u"new"));
    LONG index = 0;
    {
        scoped_allocation_failure failure(0);
        EXPECT_EQ(SafeArrayPutElement(array.get(), &index, value.get()), E_OUTOFMEMORY);
        EXPECT_EQ(text_of(bstrs(array.get())[0]), u"old");
    }
    ASSERT_EQ(SafeArrayPutElement(array.get(), &index, value.get()), S_OK);
    EXPECT_NE(bstrs(array.get())[0], value.get());
    EXPECT_EQ(text_of(bstrs(array.get())[0]), u"new");
}

TEST(SafeArrayDestroy, ReleasesObjectsHeldDirectlyOrInsideVariants) {
    counting_unknown object;
    unique_safearray objects(SafeArrayCreateVector(VT_UNKNOWN, 0, 2));
    unique_safearray variants(SafeArrayCreateVector(VT_VARIANT, 0, 2));
    unique_variant holder(object_variant(&object));
    LONG index = 1;
    ASSERT_EQ(SafeArrayPutElement(objects.get(), &index, &object), S_OK);
    ASSERT_EQ(SafeArrayPutElement(variants.get(), &index, holder.get()), S_OK);
    holder.reset();
    EXPECT_EQ(object.references, 3u);
    objects.reset();
    variants.reset();
    EXPECT_EQ(object.references, 1u);
}

TEST(SafeArrayDestroy, RefusesWhileLockedAndUnlockNeedsALock) {
    unique_safearray array = bstr_vector({u"held"});
    void* data = nullptr;
    ASSERT_EQ(SafeArrayAccessData(array.get(), &data), S_OK);
    EXPECT_EQ(data, array.get()->pvData);
    EXPECT_EQ(SafeArrayDestroy(array.get()), DISP_E_ARRAYISLOCKED);
    EXPECT_EQ(text_of(bstrs(array.get())[0]), u"held");
    ASSERT_EQ(SafeArrayUnaccessData(array.get()), S_OK);
    EXPECT_EQ(SafeArrayUnlock(array.get()), E_UNEXPECTED);
    EXPECT_EQ(SafeArrayDestroy(array.release()), S_OK);
    EXPECT_EQ(SafeArrayDestroy(nullptr), S_OK);
}

TEST(SafeArrayCopy, CopiesDeeplyAndUnlockedOrGivesNullAndLeaksNothing) {
    unique_safearray array = bstr_vector({u"a", u"b", u"c"});
    ASSERT_EQ(SafeArrayLock(array.get()), S_OK);
    int failures = 0;
    for (;; ++failures) {
        SAFEARRAY* out = array.get();
        scoped_allocation_failure failure(failures);
        HRESULT hr = SafeArrayCopy(array.get(), &out);
        unique_safearray copy(out);
        if (OleAllocationFailurePending()) {
            ASSERT_EQ(hr, S_OK);
            EXPECT_EQ(copy.get()->cLocks, 0u);
            EXPECT_EQ(copy.get()->fFeatures, 0x0180);
            EXPECT_EQ(vartype_before_descriptor(copy.get()), VT_BSTR);
            EXPECT_NE(bstrs(copy.get())[2], bstrs(array.get())[2]);
            EXPECT_EQ(text_of(bstrs(copy.get())[2]), u"c");
            break;
        }
        EXPECT_EQ(hr, E_OUTOFMEMORY) << "allocation " << failures;
        EXPECT_EQ(out, nullptr) << "allocation " << failures;
    }
    EXPECT_EQ(failures, 4);
    ASSERT_EQ(SafeArrayUnlock(array.get()), S_OK);
}
