#include "tests/support/raw_block_codeplug.h"

#include <gtest/gtest.h>

unique_variant MakeTypeArray(LONG rows, LONG columns, LONG rowLowerBound) {
    SAFEARRAYBOUND bounds[2] = {{static_cast<ULONG>(rows), rowLowerBound}, {static_cast<ULONG>(columns), 0}};
    unique_variant array;
    array.get()->vt = VT_ARRAY | VT_VARIANT;
    array.get()->parray = SafeArrayCreate(VT_VARIANT, 2, bounds);
    EXPECT_NE(array.get()->parray, nullptr);
    return array;
}

void SetCell(unique_variant& array, LONG row, LONG column, VARIANT value) {
    LONG index[2] = {row, column};
    EXPECT_EQ(SafeArrayPutElement(array.get()->parray, index, &value), S_OK);
    VariantClear(&value);
}

VARIANT I4(LONG value) {
    VARIANT cell;
    VariantInit(&cell);
    cell.vt = VT_I4;
    cell.lVal = value;
    return cell;
}

VARIANT UI1(BYTE value) {
    VARIANT cell;
    VariantInit(&cell);
    cell.vt = VT_UI1;
    cell.bVal = value;
    return cell;
}

VARIANT Bstr(std::u16string_view text) {
    VARIANT cell;
    VariantInit(&cell);
    cell.vt = VT_BSTR;
    cell.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return cell;
}

unique_variant MakeVector(std::initializer_list<VARIANT> elements) {
    unique_variant array;
    array.get()->vt = VT_ARRAY | VT_VARIANT;
    array.get()->parray = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(elements.size()));
    LONG index = 0;
    for (const VARIANT& element : elements) {
        VARIANT owned = element;
        EXPECT_EQ(SafeArrayPutElement(array.get()->parray, &index, &owned), S_OK);
        VariantClear(&owned);
        ++index;
    }
    return array;
}
