#include <gtest/gtest.h>

#include <tuple>

#include "platform/fault_injection.h"
#include "platform/unique_bstr.h"
#include "platform/unique_safearray.h"
#include "platform/unique_variant.h"
#include "tests/platform/ole_fakes.h"

// A TYPE array of 4 rows and 3 columns, as a host builds and reads it: the
// descriptor stores the bounds last dimension first, and cell {1, 2} is
// element 1 + 2 * 4.
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

// Element size and features (FADF_HAVEVARTYPE is 0x0080) as Windows records them.
TEST(SafeArrayCreate, RecordsWhatEachTypeNeedsAsWindowsDoes) {
    const std::tuple<VARTYPE, ULONG, USHORT> types[] = {
        {VT_UI1, 1, 0x0080},   {VT_I2, 2, 0x0080},   {VT_BOOL, 2, 0x0080},    {VT_I4, 4, 0x0080},
        {VT_ERROR, 4, 0x0080}, {VT_BSTR, 8, 0x0180}, {VT_UNKNOWN, 8, 0x0280}, {VT_VARIANT, 24, 0x0880}};
    for (const auto& [vt, cbElements, fFeatures] : types) {
        unique_safearray array(SafeArrayCreateVector(vt, 0, 2));
        ASSERT_TRUE(array) << vt;
        EXPECT_EQ(array.get()->cbElements, cbElements) << vt;
        EXPECT_EQ(array.get()->fFeatures, fFeatures) << vt;
        VARTYPE stored = 0;
        EXPECT_EQ(SafeArrayGetVartype(array.get(), &stored), S_OK);
        EXPECT_EQ(stored, vt);
    }
    EXPECT_EQ(SafeArrayCreateVector(VT_EMPTY, 0, 1), nullptr);
}

// Dimension 1 runs -2..0, dimension 2 runs 5..6: one index inside and one
// outside each edge. A dimension of no element ends one below its start and
// no index reaches into it. A null array is named before a bad dimension.
TEST(SafeArrayGetElement, AcceptsOnlyIndicesWithinEveryBound) {
    SAFEARRAYBOUND bounds[] = {{3, -2}, {2, 5}};
    unique_safearray array(SafeArrayCreate(VT_I4, 2, bounds)), empty(SafeArrayCreateVector(VT_I4, 5, 0));
    const std::tuple<LONG, LONG, HRESULT> cases[] = {
        {-2, 5, S_OK}, {0, 6, S_OK}, {-3, 5, DISP_E_BADINDEX}, {1, 5, DISP_E_BADINDEX}, {-2, 4, DISP_E_BADINDEX},
        {0, 7, DISP_E_BADINDEX}};
    for (const auto& [first, second, expected] : cases) {
        LONG indices[] = {first, second}, value = 11, out = 0;
        EXPECT_EQ(SafeArrayPutElement(array.get(), indices, &value), expected) << first << ", " << second;
        EXPECT_EQ(SafeArrayGetElement(array.get(), indices, &out), expected) << first << ", " << second;
        EXPECT_EQ(out, expected == S_OK ? 11 : 0);
    }
    LONG lower = 0, upper = 0, out = 0;
    EXPECT_EQ(SafeArrayGetLBound(empty.get(), 1, &lower), S_OK);
    EXPECT_EQ(SafeArrayGetUBound(empty.get(), 1, &upper), S_OK);
    EXPECT_EQ(std::pair(lower, upper), std::pair(5, 4));
    EXPECT_EQ(SafeArrayGetElement(empty.get(), &lower, &out), DISP_E_BADINDEX);
    EXPECT_EQ(SafeArrayGetLBound(array.get(), 0, &lower), DISP_E_BADINDEX);
    EXPECT_EQ(SafeArrayGetUBound(array.get(), 3, &upper), DISP_E_BADINDEX);
    EXPECT_EQ(SafeArrayGetUBound(nullptr, 0, &upper), E_INVALIDARG);
}

// The element put is a copy of the caller's variant, the element got a copy
// of the stored one; destroying the array, as the owner's put() does before
// it hands out the address, clears every element. A BSTR
// element is passed as the BSTR itself, not its address, as on Windows; when
// its copy cannot be made, the old element stays.
TEST(SafeArrayPutElement, StoresADeepCopyThatGetElementCopiesAndDestroyClears) {
    counting_unknown object;
    unique_safearray array(SafeArrayCreateVector(VT_VARIANT, 0, 2)), texts(SafeArrayCreateVector(VT_BSTR, 0, 1));
    LONG first = 0, second = 1;
    unique_variant text(bstr_variant(u"text")), holder(object_variant(&object)), out;
    ASSERT_EQ(SafeArrayPutElement(array.get(), &first, text.get()), S_OK);
    ASSERT_EQ(SafeArrayPutElement(array.get(), &second, holder.get()), S_OK);
    holder.reset();
    ASSERT_EQ(SafeArrayGetElement(array.get(), &first, out.get()), S_OK);
    EXPECT_EQ(text_of(out.get()->bstrVal), u"text");
    EXPECT_NE(out.get()->bstrVal, static_cast<VARIANT*>(array.get()->pvData)->bstrVal);
    EXPECT_NE(out.get()->bstrVal, text.get()->bstrVal);
    EXPECT_EQ(object.references, 2u);
    EXPECT_EQ(*array.put(), nullptr);
    EXPECT_EQ(object.references, 1u);

    unique_bstr old(SysAllocString(u"old"));
    ASSERT_EQ(SafeArrayPutElement(texts.get(), &first, old.get()), S_OK);
    FailOleAllocationsAfter(0);
    EXPECT_EQ(SafeArrayPutElement(texts.get(), &first, out.get()->bstrVal), E_OUTOFMEMORY);
    BSTR* const element = static_cast<BSTR*>(texts.get()->pvData);
    EXPECT_NE(*element, old.get());
    EXPECT_EQ(text_of(*element), u"old");
}

// AccessData locks the array as Lock does; a locked array is not destroyed.
TEST(SafeArrayDestroy, RefusesWhileLockedAndUnlockNeedsALock) {
    unique_safearray array(SafeArrayCreateVector(VT_I4, 0, 1));
    void* data = nullptr;
    ASSERT_EQ(SafeArrayAccessData(array.get(), &data), S_OK);
    EXPECT_EQ(data, array.get()->pvData);
    EXPECT_EQ(SafeArrayDestroy(array.get()), DISP_E_ARRAYISLOCKED);
    ASSERT_EQ(SafeArrayUnaccessData(array.get()), S_OK);
    ASSERT_EQ(SafeArrayLock(array.get()), S_OK);
    ASSERT_EQ(SafeArrayUnlock(array.get()), S_OK);
    EXPECT_EQ(SafeArrayUnlock(array.get()), E_UNEXPECTED);
}
