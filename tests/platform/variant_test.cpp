#include <gtest/gtest.h>

#include <cstring>

#include "platform/fault_injection.h"
#include "platform/unique_variant.h"
#include "tests/platform/ole_fakes.h"

class VariantClearOfType : public testing::TestWithParam<VARTYPE> {};

// The object, held directly or as an array's element, counts its release; a
// BSTR or array left unfreed shows under the sanitizer build. A reference
// (VT_BYREF) owns nothing, so its pointer to the object is left alone.
TEST_P(VariantClearOfType, FreesWhatItOwnsAndSetsTheTypeAlone) {
    const VARTYPE vt = GetParam();
    counting_unknown object;
    VARIANT v = owning_variant(vt, &object);
    v.wReserved1 = 7;
    if (vt == VT_BSTR) v.bstrVal = SysAllocString(u"owned");
    if (vt == VT_UNKNOWN) object.AddRef();
    if ((vt & (VT_ARRAY | VT_BYREF)) == VT_ARRAY) v.parray = SafeArrayCreateVector(vt & ~VT_ARRAY, 0, 1);
    LONG index = 0;
    if (vt == (VT_ARRAY | VT_UNKNOWN)) SafeArrayPutElement(v.parray, &index, &object);

    const VARIANT before = v;
    ASSERT_EQ(VariantClear(&v), S_OK);
    EXPECT_EQ(v.vt, VT_EMPTY);
    EXPECT_EQ(std::memcmp(&v.wReserved1, &before.wReserved1, sizeof(VARIANT) - sizeof(VARTYPE)), 0);
    EXPECT_EQ(object.references, 1u);
}

INSTANTIATE_TEST_SUITE_P(EveryKnownType, VariantClearOfType,
                         testing::Values(VT_EMPTY, VT_NULL, VT_I2, VT_I4, VT_BSTR, VT_ERROR, VT_BOOL, VT_UNKNOWN,
                                         VT_UI1, VT_ARRAY | VT_I4, VT_ARRAY | VT_BSTR, VT_ARRAY | VT_VARIANT,
                                         VT_ARRAY | VT_UNKNOWN, VT_BYREF | VT_BSTR, VT_BYREF | VT_VARIANT,
                                         VT_BYREF | VT_UNKNOWN, VT_BYREF | VT_ARRAY | VT_I4));

// 4 is VT_R4, 0x1000 VT_VECTOR; a null array is no array to destroy.
// VariantInit zeroes all 24 bytes.
TEST(VariantClear, RefusesOtherTypesAndAcceptsANullArrayInAZeroedVariant) {
    for (VARTYPE vt : {VARTYPE{VT_VARIANT}, VARTYPE{VT_BYREF | VT_EMPTY}, VARTYPE{4}, VARTYPE{0x1000 | VT_I4}}) {
        VARIANT v = owning_variant(vt, nullptr);
        EXPECT_EQ(VariantClear(&v), DISP_E_BADVARTYPE) << vt;
        EXPECT_EQ(v.vt, vt);
    }
    VARIANT no_array;
    std::memset(&no_array, 0xAB, sizeof no_array);
    VariantInit(&no_array);
    EXPECT_EQ(std::string_view(reinterpret_cast<const char*>(&no_array), 24), std::string(24, '\0'));
    no_array.vt = VT_ARRAY | VT_BSTR;
    EXPECT_EQ(VariantClear(&no_array), S_OK);
    EXPECT_EQ(VariantClear(nullptr), E_INVALIDARG);
}

// The source is an array that holds a BSTR with an embedded NUL and an
// object. When the BSTR's copy, the second allocation, is refused, the
// destination is left empty; then the copy succeeds and is its own. Either
// way the destination's object goes first. Copying the copy onto itself
// does nothing; the owner's put() clears the copy before it hands out the
// address.
TEST(VariantCopy, ClearsTheDestinationThenCopiesDeeplyOrLeavesItEmpty) {
    counting_unknown held, copied;
    unique_variant source(owning_variant(VT_ARRAY | VT_VARIANT, SafeArrayCreateVector(VT_VARIANT, 0, 2)));
    VARIANT* const elements = static_cast<VARIANT*>(source.get()->parray->pvData);
    elements[0] = bstr_variant(std::u16string_view(u"a\0b", 3));
    elements[1] = object_variant(&copied);
    unique_variant copy(object_variant(&held));
    FailOleAllocationsAfter(1);
    EXPECT_EQ(VariantCopy(copy.get(), source.get()), E_OUTOFMEMORY);
    EXPECT_EQ(copy.vt(), VT_EMPTY);
    EXPECT_EQ(std::pair(held.references, copied.references), std::pair(1u, 2u));
    copy.reset(object_variant(&held));
    ASSERT_EQ(VariantCopy(copy.get(), source.get()), S_OK);
    EXPECT_EQ(std::pair(held.references, copied.references), std::pair(1u, 3u));
    SAFEARRAY* const array = copy.get()->parray;
    EXPECT_EQ(VariantCopy(copy.get(), copy.get()), S_OK);
    EXPECT_EQ(copy.get()->parray, array);
    const BSTR copiedText = static_cast<VARIANT*>(array->pvData)->bstrVal;
    EXPECT_EQ(text_of(copiedText), std::u16string_view(u"a\0b", 3));
    EXPECT_NE(copiedText, elements[0].bstrVal);
    EXPECT_EQ(copy.put()->vt, VT_EMPTY);
    EXPECT_EQ(copied.references, 2u);
}
