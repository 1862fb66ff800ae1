#include "host/codeplug_model.h"

#include <gtest/gtest.h>

#include <functional>
#include <string_view>
#include <vector>

#include "platform/fault_injection.h"
#include "platform/unique_variant.h"

namespace {

constexpr VARTYPE kArrayOfVariants = VT_ARRAY | VT_VARIANT;

unique_variant holding(SAFEARRAY* array, VARTYPE vt = kArrayOfVariants) {
    VARIANT held;
    VariantInit(&held);
    held.vt = vt;
    held.parray = array;
    return unique_variant(held);
}

unique_variant i4(LONG value) {
    unique_variant cell;
    cell.get()->vt = VT_I4;
    cell.get()->lVal = value;
    return cell;
}

unique_variant ui1(BYTE value) {
    unique_variant cell;
    cell.get()->vt = VT_UI1;
    cell.get()->bVal = value;
    return cell;
}

unique_variant text(std::u16string_view value) {
    unique_variant cell;
    cell.get()->vt = VT_BSTR;
    cell.get()->bstrVal = SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
    return cell;
}

void put(SAFEARRAY* array, std::vector<LONG> indices, const unique_variant& value) {
    ASSERT_EQ(SafeArrayPutElement(array, indices.data(), const_cast<VARIANT*>(value.get())), S_OK);
}

unique_variant element(const VARIANT& holder, std::vector<LONG> indices) {
    VARIANT copy;
    VariantInit(&copy);
    EXPECT_EQ(SafeArrayGetElement(holder.parray, indices.data(), &copy), S_OK);
    return unique_variant(copy);
}

// A TYPE array put together cell by cell, as a host might, with any bounds.
unique_variant type_array(std::vector<FieldRow> rows, LONG rowLower = 0, ULONG columns = 3, LONG columnLower = 0) {
    SAFEARRAYBOUND bounds[] = {{static_cast<ULONG>(rows.size()), rowLower}, {columns, columnLower}};
    unique_variant held = holding(SafeArrayCreate(VT_VARIANT, 2, bounds));
    LONG row = rowLower;
    for (const FieldRow& field : rows) {
        put(held.get()->parray, {row, columnLower}, i4(field.id));
        put(held.get()->parray, {row, columnLower + 1}, text(field.value));
        put(held.get()->parray, {row, columnLower + 2}, ui1(field.type));
        ++row;
    }
    return held;
}

unique_variant vector_of(std::vector<unique_variant> elements, LONG lower = 0) {
    unique_variant held = holding(SafeArrayCreateVector(VT_VARIANT, lower, static_cast<ULONG>(elements.size())));
    for (LONG i = 0; i < static_cast<LONG>(elements.size()); ++i) put(held.get()->parray, {lower + i}, elements[i]);
    return held;
}

template <typename... Parts>
std::vector<unique_variant> parts(Parts&&... made) {
    std::vector<unique_variant> list;
    (list.push_back(std::move(made)), ...);
    return list;
}

unique_variant built(const Block& block) {
    unique_variant out;
    EXPECT_EQ(ToVariant(block, out.put()), S_OK);
    return out;
}

LONG upper_bound(const VARIANT& holder, UINT dimension) {
    LONG upper = 0;
    EXPECT_EQ(SafeArrayGetUBound(holder.parray, dimension, &upper), S_OK);
    return upper;
}

const TypeRows kTwoRows = {{field::RC_MICGAIN, u"12", 2}, {field::ALIAS, u"Fire Dispatch 1", 3}};

}  // namespace

TEST(ToVariant, LaysOutTypeRowsAsRowsByThreeColumns) {
    unique_variant block = built(kTwoRows);
    ASSERT_EQ(block.vt(), 0x200C);
    SAFEARRAY* array = block.get()->parray;
    EXPECT_EQ(SafeArrayGetDim(array), 2u);
    EXPECT_EQ(array->fFeatures, 0x0880);
    EXPECT_EQ(array->rgsabound[1].cElements, 2u);  // dimension 1, stored last
    EXPECT_EQ(array->rgsabound[1].lLbound, 0);
    EXPECT_EQ(array->rgsabound[0].cElements, 3u);
    EXPECT_EQ(array->rgsabound[0].lLbound, 0);

    unique_variant id = element(*block.get(), {1, 0});
    unique_variant value = element(*block.get(), {1, 1});
    unique_variant type = element(*block.get(), {1, 2});
    ASSERT_EQ(id.vt(), VT_I4);
    EXPECT_EQ(id.get()->lVal, 424);
    ASSERT_EQ(value.vt(), VT_BSTR);
    EXPECT_EQ(std::u16string_view(value.get()->bstrVal, SysStringLen(value.get()->bstrVal)), u"Fire Dispatch 1");
    ASSERT_EQ(type.vt(), VT_UI1);
    EXPECT_EQ(type.get()->bVal, 3);
}

TEST(ToVariant, GivesZeroRowsAnEmptyFirstDimensionAndThreeColumns) {
    unique_variant block = built(TypeRows{});
    ASSERT_EQ(block.vt(), 0x200C);
    EXPECT_EQ(upper_bound(*block.get(), 1), -1);
    EXPECT_EQ(upper_bound(*block.get(), 2), 2);
}

TEST(ToVariant, KeepsEmptyValuesAsEmptyBstrsAndEmbeddedNuls) {
    unique_variant block = built(TypeRows{{1, u"", 0}, {2, std::u16string(u"a\0b", 3), 255}});
    unique_variant empty = element(*block.get(), {0, 1});
    unique_variant withNul = element(*block.get(), {1, 1});
    ASSERT_NE(empty.get()->bstrVal, nullptr);
    EXPECT_EQ(SysStringLen(empty.get()->bstrVal), 0u);
    EXPECT_EQ(SysStringLen(withNul.get()->bstrVal), 3u);
    EXPECT_EQ(element(*block.get(), {1, 2}).get()->bVal, 255);
}

TEST(ToVariant, BuildsEntryAsInfoThenOneDimensionalItems) {
    unique_variant block = built(EntryBlock{kTwoRows, {{}, kTwoRows, {{5, u"x", 1}}}});
    ASSERT_EQ(block.vt(), 0x200C);
    EXPECT_EQ(SafeArrayGetDim(block.get()->parray), 1u);
    EXPECT_EQ(upper_bound(*block.get(), 1), 1);

    unique_variant info = element(*block.get(), {0});
    unique_variant items = element(*block.get(), {1});
    ASSERT_EQ(info.vt(), 0x200C);
    EXPECT_EQ(SafeArrayGetDim(info.get()->parray), 2u);
    ASSERT_EQ(items.vt(), 0x200C);
    EXPECT_EQ(SafeArrayGetDim(items.get()->parray), 1u);
    EXPECT_EQ(upper_bound(*items.get(), 1), 2);
    unique_variant last = element(*items.get(), {2});
    EXPECT_EQ(SafeArrayGetDim(last.get()->parray), 2u);
    EXPECT_EQ(upper_bound(*last.get(), 1), 0);
}

TEST(ToVariant, BuildsListItemsAsEntryArrays) {
    unique_variant block = built(ListBlock{{}, {EntryBlock{kTwoRows, {}}}});
    unique_variant items = element(*block.get(), {1});
    unique_variant zone = element(*items.get(), {0});
    ASSERT_EQ(zone.vt(), 0x200C);
    EXPECT_EQ(SafeArrayGetDim(zone.get()->parray), 1u);
    EXPECT_EQ(upper_bound(*zone.get(), 1), 1);
    EXPECT_EQ(upper_bound(*element(*zone.get(), {1}).get(), 1), -1);
}

TEST(ToVariant, RejectsNullOut) { EXPECT_EQ(ToVariant(kTwoRows, nullptr), E_POINTER); }

// The ten allocations of this list: three arrays for the list itself (outer,
// info, items), one BSTR, then the entry's four arrays and two BSTRs.
TEST(ToVariant, FailsEachAllocationWithoutLeavingAnything) {
    Block list = ListBlock{{{1, u"a", 0}}, {EntryBlock{{{2, u"b", 0}}, {{{3, u"c", 0}}}}}};
    int allocations = 0;
    for (;; ++allocations) {
        FailOleAllocationsAfter(allocations);
        VARIANT out;
        out.vt = VT_I4;
        HRESULT hr = ToVariant(list, &out);
        bool failed = !OleAllocationFailurePending();
        FailOleAllocationsAfter(-1);
        if (!failed) {
            ASSERT_EQ(hr, S_OK);
            VariantClear(&out);
            break;
        }
        EXPECT_EQ(hr, E_OUTOFMEMORY) << "allocation " << allocations;
        EXPECT_EQ(out.vt, VT_EMPTY);
    }
    EXPECT_EQ(allocations, 10);
}

struct round_trip_case {
    const char* name;
    Block block;
};
void PrintTo(const round_trip_case& tested, std::ostream* out) { *out << tested.name; }

class BlockRoundTrip : public testing::TestWithParam<round_trip_case> {};

TEST_P(BlockRoundTrip, ReadsBackWhatWasBuilt) {
    const Block& original = GetParam().block;
    unique_variant first = built(original);
    Block read = ListBlock{{{9, u"stale", 9}}, {}};
    ASSERT_EQ(FromVariant(*first.get(), KindOf(original), read), S_OK);
    EXPECT_EQ(read, original);
    EXPECT_TRUE(VariantsEqual(*first.get(), *built(read).get()));
}

INSTANTIATE_TEST_SUITE_P(
    EveryKind, BlockRoundTrip,
    testing::Values(round_trip_case{"TypeWithoutRows", TypeRows{}}, round_trip_case{"TypeRows", kTwoRows},
                    round_trip_case{"EntryWithoutInfoOrItems", EntryBlock{}},
                    round_trip_case{"EntryWithEmptyItem", EntryBlock{kTwoRows, {{}, kTwoRows}}},
                    round_trip_case{"ListWithoutItems", ListBlock{kTwoRows, {}}},
                    round_trip_case{"ListItemWithoutEntryItems", ListBlock{{}, {EntryBlock{kTwoRows, {}}}}},
                    round_trip_case{"ListOfFullEntries",
                                    ListBlock{kTwoRows, {EntryBlock{kTwoRows, {kTwoRows, {}}}, EntryBlock{}}}}),
    [](const testing::TestParamInfo<round_trip_case>& info) { return info.param.name; });

TEST(FromVariant, WalksArraysFromNonZeroLowerBounds) {
    unique_variant info = type_array(kTwoRows, -3);
    unique_variant items = vector_of(parts(type_array({{7, u"seven", 7}}, 100), type_array({}, 5)), 41);
    unique_variant entry = vector_of(parts(std::move(info), std::move(items)), -1);
    Block read;
    ASSERT_EQ(FromVariant(*entry.get(), BlockKind::Entry, read), S_OK);
    EXPECT_EQ(read, Block(EntryBlock{kTwoRows, {{{7, u"seven", 7}}, {}}}));
}

TEST(FromVariant, ReadsNullBstrAsEmptyValue) {
    unique_variant rows = type_array({{4, u"", 1}});
    VARIANT nullText;
    VariantInit(&nullText);
    nullText.vt = VT_BSTR;
    LONG cell[] = {0, 1};
    ASSERT_EQ(SafeArrayPutElement(rows.get()->parray, cell, &nullText), S_OK);
    Block read;
    ASSERT_EQ(FromVariant(*rows.get(), BlockKind::Type, read), S_OK);
    EXPECT_EQ(read, Block(TypeRows{{4, u"", 1}}));
}

struct malformed_case {
    const char* name;
    std::function<unique_variant()> make;
    BlockKind kind;
    HRESULT expected;
};
void PrintTo(const malformed_case& tested, std::ostream* out) { *out << tested.name; }

class FromVariantRejects : public testing::TestWithParam<malformed_case> {};

TEST_P(FromVariantRejects, MalformedBlockLeavingOutUnchanged) {
    unique_variant block = GetParam().make();
    Block out = TypeRows{{1, u"kept", 1}};
    EXPECT_EQ(FromVariant(*block.get(), GetParam().kind, out), GetParam().expected);
    EXPECT_EQ(out, Block(TypeRows{{1, u"kept", 1}}));
}

unique_variant with_cell(LONG column, unique_variant value) {
    unique_variant rows = type_array(kTwoRows);
    put(rows.get()->parray, {1, column}, value);
    return rows;
}

INSTANTIATE_TEST_SUITE_P(
    EveryShape, FromVariantRejects,
    testing::Values(
        malformed_case{"NotAnArray", [] { return i4(3); }, BlockKind::Type, DISP_E_TYPEMISMATCH},
        malformed_case{"ArrayOfBstrs", [] { return holding(SafeArrayCreateVector(VT_BSTR, 0, 2), VT_ARRAY | VT_BSTR); },
                       BlockKind::Entry, DISP_E_TYPEMISMATCH},
        malformed_case{"BstrsLabelledAsVariants", [] { return holding(SafeArrayCreateVector(VT_BSTR, 0, 2)); },
                       BlockKind::Entry, DISP_E_TYPEMISMATCH},
        malformed_case{"NullArray", [] { return holding(nullptr); }, BlockKind::Type, E_INVALIDARG},
        malformed_case{"TypeOfOneDimension", [] { return vector_of(parts(i4(1), text(u"a"), ui1(1))); },
                       BlockKind::Type, E_INVALIDARG},
        malformed_case{"TypeOfFourColumns", [] { return type_array(kTwoRows, 0, 4); }, BlockKind::Type, E_INVALIDARG},
        malformed_case{"TypeColumnsFromOne", [] { return type_array(kTwoRows, 0, 3, 1); }, BlockKind::Type,
                       E_INVALIDARG},
        malformed_case{"IdAsI2",
                       [] {
                           unique_variant id;
                           id.get()->vt = VT_I2;
                           return with_cell(0, std::move(id));
                       },
                       BlockKind::Type, DISP_E_TYPEMISMATCH},
        malformed_case{"ValueEmpty", [] { return with_cell(1, unique_variant()); }, BlockKind::Type,
                       DISP_E_TYPEMISMATCH},
        malformed_case{"TypeCodeAsI4", [] { return with_cell(2, i4(3)); }, BlockKind::Type, DISP_E_TYPEMISMATCH},
        malformed_case{"EntryOfThreeParts",
                       [] { return vector_of(parts(type_array({}), vector_of({}), vector_of({}))); }, BlockKind::Entry,
                       E_INVALIDARG},
        malformed_case{"EntryItemsNotAnArray", [] { return vector_of(parts(type_array({}), i4(0))); }, BlockKind::Entry,
                       DISP_E_TYPEMISMATCH},
        malformed_case{"EntryItemNotTypeArray",
                       [] { return vector_of(parts(type_array({}), vector_of(parts(vector_of({}))))); },
                       BlockKind::Entry, E_INVALIDARG},
        malformed_case{"ListItemAsTypeArray",
                       [] { return vector_of(parts(type_array({}), vector_of(parts(type_array(kTwoRows))))); },
                       BlockKind::List, E_INVALIDARG},
        malformed_case{"UnknownKind", [] { return type_array(kTwoRows); }, static_cast<BlockKind>(3), E_INVALIDARG}),
    [](const testing::TestParamInfo<malformed_case>& info) { return info.param.name; });

struct changed_case {
    const char* name;
    Block block;
};
void PrintTo(const changed_case& tested, std::ostream* out) { *out << tested.name; }

class VariantsEqualDetects : public testing::TestWithParam<changed_case> {};

const EntryBlock kBase = {kTwoRows, {kTwoRows, {{5, u"last", 9}}}};

TEST_P(VariantsEqualDetects, OneChangedCell) {
    unique_variant base = built(kBase);
    unique_variant copy;
    ASSERT_EQ(base.copy_to(copy.get()), S_OK);
    EXPECT_TRUE(VariantsEqual(*base.get(), *copy.get()));
    EXPECT_FALSE(VariantsEqual(*base.get(), *built(GetParam().block).get()));
}

EntryBlock changed_last(std::function<void(FieldRow&)> change) {
    EntryBlock changed = kBase;
    change(changed.items.back().back());
    return changed;
}

INSTANTIATE_TEST_SUITE_P(
    DeepInside, VariantsEqualDetects,
    testing::Values(changed_case{"Id", changed_last([](FieldRow& row) { row.id = 6; })},
                    changed_case{"Value", changed_last([](FieldRow& row) { row.value = u"lasT"; })},
                    changed_case{"ValueLength", changed_last([](FieldRow& row) { row.value.push_back(u'\0'); })},
                    changed_case{"TypeCode", changed_last([](FieldRow& row) { row.type = 8; })},
                    changed_case{"ExtraItem", EntryBlock{kTwoRows, {kTwoRows, {{5, u"last", 9}}, {}}}},
                    changed_case{"Kind", TypeRows(kTwoRows)}),
    [](const testing::TestParamInfo<changed_case>& info) { return info.param.name; });

TEST(VariantsEqual, ComparesLowerBounds) {
    EXPECT_TRUE(VariantsEqual(*type_array(kTwoRows, 1).get(), *type_array(kTwoRows, 1).get()));
    EXPECT_FALSE(VariantsEqual(*type_array(kTwoRows, 1).get(), *type_array(kTwoRows, 0).get()));
}

TEST(VariantsEqual, TakesNullBstrForEmptyAndComparesScalarsByValue) {
    unique_variant nullText;
    nullText.get()->vt = VT_BSTR;
    EXPECT_TRUE(VariantsEqual(*nullText.get(), *text(u"").get()));
    EXPECT_FALSE(VariantsEqual(*nullText.get(), *text(u" ").get()));
    EXPECT_TRUE(VariantsEqual(*i4(-7).get(), *i4(-7).get()));
    EXPECT_FALSE(VariantsEqual(*i4(1).get(), *ui1(1).get()));
}
