#include <gtest/gtest.h>

#include <cstring>

#include "platform/unique_bstr.h"
#include "platform/unique_variant.h"
#include "tests/platform/ole_fakes.h"

namespace {

// A VT_ARRAY|VT_VARIANT of `count` elements, element 0 taking over `first`.
VARIANT variant_array(ULONG count, VARIANT first) {
    VARIANT v = owning_variant(VT_ARRAY | VT_VARIANT, SafeArrayCreateVector(VT_VARIANT, 0, count));
    LONG index = 0;
    EXPECT_EQ(SafeArrayPutElement(v.parray, &index, &first), S_OK);
    VariantClear(&first);
    return v;
}

VARIANT* element_zero(const VARIANT* array) { return static_cast<VARIANT*>(array->parray->pvData); }

}  // namespace

TEST(VariantInit, ZeroesAllTwentyFourBytes) {
    VARIANT v;
    std::memset(&v, 0xAB, sizeof v);
    VariantInit(&v);
    const unsigned char zeroes[24] = {};
    EXPECT_EQ(std::memcmp(&v, zeroes, 24), 0);
}

class VariantClearOfType : public testing::TestWithParam<VARTYPE> {};

// Each type holds something that needs freeing where the type owns anything,
// so that ASan and the counting object see what ran.
TEST_P(VariantClearOfType, FreesWhatItOwnsAndLeavesItEmpty) {
    const VARTYPE vt = GetParam();
    counting_unknown object;
    unique_bstr lent(SysAllocString(u"lent"));
    unique_variant text(bstr_variant(u"element"));
    VARIANT v = owning_variant(vt, nullptr);
    v.lVal = 7;
    if (vt == VT_BSTR) v.bstrVal = SysAllocString(u"owned");
    if (vt == VT_UNKNOWN) v.punkVal = &object;
    if (vt & VT_BYREF) v.byref = lent.get();
    if ((vt & (VT_ARRAY | VT_BYREF)) == VT_ARRAY) {
        v.parray = SafeArrayCreateVector(vt & ~VT_ARRAY, 0, 2);
        LONG index = 1;
        void* element = &index;
        if (vt == (VT_ARRAY | VT_VARIANT)) element = text.get();
        if (vt == (VT_ARRAY | VT_BSTR)) element = text.get()->bstrVal;
        if (vt == (VT_ARRAY | VT_UNKNOWN)) element = static_cast<IUnknown*>(&object);
        ASSERT_EQ(SafeArrayPutElement(v.parray, &index, element), S_OK);
        if (vt == (VT_ARRAY | VT_UNKNOWN)) object.Release();
    }

    const VARIANT before = v;
    ASSERT_EQ(VariantClear(&v), S_OK);
    EXPECT_EQ(v.vt, VT_EMPTY);
    // As on Windows: the type alone changes, the other bytes stay.
    EXPECT_EQ(std::memcmp(&v.wReserved1, &before.wReserved1, sizeof(VARIANT) - sizeof(VARTYPE)), 0);
    EXPECT_EQ(object.references, (vt & VT_TYPEMASK) == VT_UNKNOWN && !(vt & VT_BYREF) ? 0u : 1u);
    EXPECT_EQ(text_of(lent.get()), u"lent");
}

INSTANTIATE_TEST_SUITE_P(EveryKnownType, VariantClearOfType,
                         testing::Values(VT_EMPTY, VT_NULL, VT_I2, VT_I4, VT_BSTR, VT_ERROR, VT_BOOL, VT_UNKNOWN,
                                         VT_UI1, VT_ARRAY | VT_I4, VT_ARRAY | VT_BSTR, VT_ARRAY | VT_VARIANT,
                                         VT_ARRAY | VT_UNKNOWN, VT_BYREF | VT_BSTR, VT_BYREF | VT_VARIANT,
                                         VT_BYREF | VT_UNKNOWN, VT_BYREF | VT_ARRAY | VT_I4));

// 4, 9 and 18 are R4, DISPATCH and UI2; 0x1000 is VT_VECTOR and 0x8000 reserved.
TEST(VariantClear, RefusesEveryOtherTypeAndLeavesTheVariant) {
    const VARTYPE refused[] = {VT_VARIANT, VT_BYREF | VT_EMPTY, VT_ARRAY | VT_NULL, 4, 9,
                               18,         0x1000 | VT_I4,      0x8000 | VT_I4};
    for (VARTYPE vt : refused) {
        VARIANT v = owning_variant(vt, nullptr);
        v.lVal = 7;
        EXPECT_EQ(VariantClear(&v), DISP_E_BADVARTYPE) << vt;
        EXPECT_EQ(v.vt, vt);
        EXPECT_EQ(v.lVal, 7);
    }
}

TEST(VariantClear, KeepsALockedArrayAcceptsANullOneAndRejectsANullVariant) {
    VARIANT v = variant_array(1, bstr_variant(u"x"));
    ASSERT_EQ(SafeArrayLock(v.parray), S_OK);
    EXPECT_EQ(VariantClear(&v), DISP_E_ARRAYISLOCKED);
    EXPECT_EQ(v.vt, VT_ARRAY | VT_VARIANT);
    ASSERT_EQ(SafeArrayUnlock(v.parray), S_OK);
    EXPECT_EQ(VariantClear(&v), S_OK);
    VARIANT no_array = owning_variant(VT_ARRAY | VT_BSTR, nullptr);
    EXPECT_EQ(VariantClear(&no_array), S_OK);
    EXPECT_EQ(VariantClear(nullptr), E_INVALIDARG);
}

TEST(VariantCopy, DuplicatesABstrWithEmbeddedNul) {
    unique_variant source(bstr_variant(std::u16string_view(u"a\0b", 3)));
    unique_variant copy(bstr_variant(u"replaced"));
    ASSERT_EQ(VariantCopy(copy.get(), source.get()), S_OK);
    copy.get()->bstrVal[0] = u'z';
    EXPECT_EQ(text_of(source.get()->bstrVal), std::u16string_view(u"a\0b", 3));
    EXPECT_EQ(text_of(copy.get()->bstrVal), std::u16string_view(u"z\0b", 3));
}

TEST(VariantCopy, CopiesNestedArraysAllTheWayDown) {
    unique_variant source(variant_array(2, variant_array(1, bstr_variant(u"inner"))));
    unique_variant copy;
    ASSERT_EQ(VariantCopy(copy.get(), source.get()), S_OK);
    VARIANT* copied_inner = element_zero(copy.get());
    unique_variant changed(bstr_variant(u"changed"));
    LONG index = 0;
    ASSERT_EQ(SafeArrayPutElement(copied_inner->parray, &index, changed.get()), S_OK);
    EXPECT_EQ(text_of(element_zero(element_zero(source.get()))->bstrVal), u"inner");
    EXPECT_EQ(text_of(element_zero(copied_inner)->bstrVal), u"changed");
}

TEST(VariantCopy, AddRefsAnObjectAndCopiesAReferenceAsIs) {
    counting_unknown object;
    unique_variant source(object_variant(&object));
    unique_variant copy;
    ASSERT_EQ(VariantCopy(copy.get(), source.get()), S_OK);
    EXPECT_EQ(object.references, 3u);
    LONG value = 5;
    source.reset(owning_variant(VT_BYREF | VT_I4, &value));
    ASSERT_EQ(VariantCopy(copy.get(), source.get()), S_OK);
    EXPECT_EQ(object.references, 1u);
    EXPECT_EQ(copy.get()->plVal, &value);
}

TEST(VariantCopy, OntoItselfOrFromInsideTheDestinationKeepsTheValue) {
    unique_variant v(variant_array(1, bstr_variant(u"element")));
    SAFEARRAY* before = v.get()->parray;
    EXPECT_EQ(VariantCopy(v.get(), v.get()), S_OK);
    EXPECT_EQ(v.get()->parray, before);
    ASSERT_EQ(VariantCopy(v.get(), element_zero(v.get())), S_OK);
    ASSERT_EQ(v.vt(), VT_BSTR);
    EXPECT_EQ(text_of(v.get()->bstrVal), u"element");
}

TEST(VariantCopy, RejectsAnUnknownSourceTypeAndLeavesTheDestination) {
    VARIANT source = owning_variant(VT_VARIANT, nullptr);
    unique_variant destination(bstr_variant(u"kept"));
    EXPECT_EQ(VariantCopy(destination.get(), &source), DISP_E_BADVARTYPE);
    EXPECT_EQ(text_of(destination.get()->bstrVal), u"kept");
    EXPECT_EQ(VariantCopy(nullptr, &source), E_INVALIDARG);
}

TEST(VariantCopy, EveryRefusedAllocationLeavesTheDestinationEmptyAndLeaksNothing) {
    counting_unknown object;
    unique_variant source(variant_array(3, variant_array(2, bstr_variant(u"deep"))));
    unique_variant holder(object_variant(&object));
    LONG index = 1;
    ASSERT_EQ(SafeArrayPutElement(source.get()->parray, &index, holder.get()), S_OK);

    int failures = 0;
    for (;; ++failures) {
        unique_variant destination(bstr_variant(u"old"));
        scoped_allocation_failure failure(failures);
        HRESULT hr = VariantCopy(destination.get(), source.get());
        if (OleAllocationFailurePending()) {
            ASSERT_EQ(hr, S_OK);
            break;
        }
        EXPECT_EQ(hr, E_OUTOFMEMORY) << "allocation " << failures;
        EXPECT_EQ(destination.vt(), VT_EMPTY) << "allocation " << failures;
        EXPECT_EQ(object.references, 3u) << "allocation " << failures;
    }
    EXPECT_EQ(failures, 3);
}
