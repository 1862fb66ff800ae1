#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <vector>

#include "platform/unique_bstr.h"
#include "platform/unique_safearray.h"
#include "platform/unique_variant.h"
#include "tests/platform/ole_fakes.h"

namespace {

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

// A TYPE array of 4 rows and 3 columns, as a host builds and reads it: the
// descriptor stores the bounds last dimension first.
TEST(SafeArrayCreate, LaysOutDimensionOneFastestWithBoundsStoredLastFirst) {
    SAFEARRAYBOUND bounds[] = {{4, 0}, {3, 0}};
    unique_safearray array(SafeArrayCreate(VT_I4, 2, bounds));
    ASSERT_TRUE(array);
    EXPECT_EQ(array.get()->rgsabound[0].cElements, 3u);
    EXPECT_EQ((array.get()->rgsabound + 1)->cElements, 4u);
    LONG row_1_column_2[] = {1, 2}, value = 42;
    ASSERT_EQ(SafeArrayPutElement(array.get(), row_1_column_2, &value), S_OK);
    EXPECT_EQ(static_cast<LONG*>(array.get()->pvData)[9], 42);
    EXPECT_EQ(SafeArrayGetDim(array.get()), 2u);
}

// Element size, features and the vartype stored just before the descriptor.
TEST(SafeArrayCreate, RecordsWhatEachTypeNeedsAsWindowsDoes) {
    const std::tuple<VARTYPE, ULONG, USHORT> types[] = {
        {VT_UI1, 1, 0x0080},   {VT_I2, 2, 0x0080},   {VT_BOOL, 2, 0x0080},    {VT_I4, 4, 0x0080},
        {VT_ERROR, 4, 0x0080}, {VT_BSTR, 8, 0x0180}, {VT_UNKNOWN, 8, 0x0280}, {VT_VARIANT, 24, 0x0880}};
    for (const auto& [vt, cbElements, fFeatures] : types) {
        unique_safearray array(SafeArrayCreateVector(vt, 0, 2));
        ASSERT_TRUE(array) << vt;
        EXPECT_EQ(SafeArrayGetElemsize(array.get()), cbElements) << vt;
        EXPECT_EQ(array.get()->fFeatures, fFeatures) << vt;
        EXPECT_EQ(vartype_before_descriptor(array.get()), vt);
        VARTYPE stored = 0;
        ASSERT_EQ(SafeArrayGetVartype(array.get(), &stored), S_OK);
        EXPECT_EQ(stored, vt);
    }
}

TEST(SafeArrayCreate, RefusesTypesItCannotHoldAndSizesThatOverflow) {
    const VARTYPE refused[] = {VT_EMPTY, VT_NULL, 4, VT_ARRAY | VT_I4, VT_BYREF | VT_I4};
    for (VARTYPE vt : refused) EXPECT_EQ(SafeArrayCreateVector(vt, 0, 1), nullptr) << vt;
    SAFEARRAYBOUND huge[] = {{0xFFFFFFFF, 0}, {0xFFFFFFFF, 0}, {0xFFFFFFFF, 0}};
    EXPECT_EQ(SafeArrayCreate(VT_UI1, 3, huge), nullptr);
    EXPECT_EQ(SafeArrayCreate(VT_VARIANT, 2, huge), nullptr);
    EXPECT_EQ(SafeArrayCreate(VT_I4, 0, huge), nullptr);
    EXPECT_EQ(SafeArrayCreate(VT_I4, 1, nullptr), nullptr);
    EXPECT_EQ(SafeArrayCreateVector(VT_I4, 0x7FFFFFFF, 2), nullptr);
    EXPECT_TRUE(unique_safearray(SafeArrayCreateVector(VT_I4, 0x7FFFFFFF, 1)));
}

// Dimension 2 holds no element: its upper bound is one below its lower bound
// and no index reaches into it.
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
    LONG first[] = {-2, 5};
    SHORT out = 0;
    EXPECT_EQ(SafeArrayGetElement(array.get(), first, &out), DISP_E_BADINDEX);
}

// Dimension 1 runs -2..0, dimension 2 runs 5..6: one index inside and one
// outside each edge.
TEST(SafeArrayGetElement, AcceptsOnlyIndicesWithinEveryBound) {
    SAFEARRAYBOUND bounds[] = {{3, -2}, {2, 5}};
    unique_safearray array(SafeArrayCreate(VT_I4, 2, bounds));
    const std::tuple<LONG, LONG, HRESULT> cases[] = {{-2, 5, S_OK},
                                                     {0, 6, S_OK},
                                                     {-3, 5, DISP_E_BADINDEX},
                                                     {1, 5, DISP_E_BADINDEX},
                                                     {-2, 4, DISP_E_BADINDEX},
                                                     {0, 7, DISP_E_BADINDEX}};
    for (const auto& [first, second, expected] : cases) {
        LONG indices[] = {first, second}, value = 11, out = 0;
        EXPECT_EQ(SafeArrayPutElement(array.get(), indices, &value), expected) << first << ", " << second;
        EXPECT_EQ(SafeArrayGetElement(array.get(), indices, &out), expected) << first << ", " << second;
        EXPECT_EQ(out, expected == S_OK ? 11 : 0);
    }
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
