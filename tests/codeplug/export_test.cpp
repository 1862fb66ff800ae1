#include <cstdlib>

#include "tests/codeplug/conversion_fixture.h"
#include "tests/support/temp_folder.h"

namespace {

using Export = Conversion;

// XMLXSL_UPDATE_GOLDEN=1 rewrites the golden file from the export, for review.
TEST_F(Export, WritesTheGoldenDocumentAskingForEachBlockOnceInTheRadiosOrder) {
    std::string text;
    ASSERT_EQ(exportText(codeplug.get(), text), XMLXSL_S_OK);
    const std::string golden = std::string(XMLXSL_GOLDEN_DIR) + "/small_file_mode.xml";
    if (std::getenv("XMLXSL_UPDATE_GOLDEN") != nullptr) WriteFileBytes(golden, text);
    EXPECT_EQ(text, ReadFileBytes(golden));
    EXPECT_EQ(codeplug->getOrder(), (std::vector<LONG>{2, 3, 1, 453, 454, 4, 5, 8, 19, 15, 40, 41, 42, 38, 6, 13}));
}

// One TYPE row, its id, value and type code cells, at a lower bound.
unique_variant row(LONG id, VARIANT value, VARIANT type = UI1(1), LONG lowerBound = 0) {
    unique_variant rows = MakeTypeArray(1, 3, lowerBound);
    SetCell(rows, lowerBound, 0, I4(id));
    SetCell(rows, lowerBound, 1, value);
    SetCell(rows, lowerBound, 2, type);
    return rows;
}

struct BlockCase {
    const char* name;
    LONG fieldId;
    unique_variant (*make)();
    DWORD status;
    const char* written = "";  // a piece of the document on success
};

constexpr LONG kType = field::RRW_BLOCK, kEntry = field::CP_BLOCK;

const BlockCase kBlocks[] = {
    {"FieldIdZero", kType, [] { return row(0, Bstr(u"v")); }, XMLXSL_E_FIELDID},
    {"FieldIdOne", kType, [] { return row(1, Bstr(u"v")); }, XMLXSL_S_OK,
     "<RRW_BLOCK ID=\"1\" TYPE=\"1\">v</RRW_BLOCK>"},
    {"FieldId470", kType, [] { return row(470, Bstr(u"v")); }, XMLXSL_S_OK,
     "<RC_VOXMICGAIN ID=\"470\" TYPE=\"1\">v</RC_VOXMICGAIN>"},
    {"FieldId471", kType, [] { return row(471, Bstr(u"v")); }, XMLXSL_E_FIELDID},
    {"TypeCodeAboveAByteAndRowsFromTheirLowerBound", kType, [] { return row(100, Bstr(u"4096"), I4(300), 5); },
     XMLXSL_S_OK, "<RRW_RGNSIZE ID=\"100\" TYPE=\"44\">4096</RRW_RGNSIZE>"},
    {"ValueWithNul", kType, [] { return row(100, Bstr(std::u16string_view(u"40\00096", 5))); }, XMLXSL_E_GETELEMENT},
    {"TwoColumns", kType, [] { return MakeTypeArray(1, 2); }, XMLXSL_E_BLOCKSHAPE},
    {"EntryWithoutInfo", kEntry, [] { return MakeVector({}); }, XMLXSL_E_GETELEMENT},
};

class ExportOfBlock : public Export, public ::testing::WithParamInterface<BlockCase> {};

// A failure ends the export and resets the server, so that nothing of the
// document is left in it.
TEST_P(ExportOfBlock, WritesItsRowsOrEndsWithItsStatusAndResetsTheServer) {
    codeplug->setRawBlock(GetParam().fieldId, GetParam().make());
    std::string text;
    EXPECT_EQ(exportText(codeplug.get(), text), GetParam().status);
    if (GetParam().status == XMLXSL_S_OK) {
        EXPECT_NE(text.find(GetParam().written), std::string::npos) << text;
        return;
    }
    EXPECT_EQ(text, "");
    EXPECT_EQ(script.calls.back(), "Reset");
}

INSTANTIATE_TEST_SUITE_P(Blocks, ExportOfBlock, ::testing::ValuesIn(kBlocks),
                         [](const auto& info) { return std::string(info.param.name); });

// 0x80070700 has the library's success as its low word, and still fails.
TEST_F(Export, PassesOnTheCodeplugsFailureOrExceptionAndGoesNoFurther) {
    std::string text;
    codeplug->failOnGet(field::TI_BLOCK, static_cast<HRESULT>(0x80070700));
    EXPECT_EQ(exportText(codeplug.get(), text), 0x80070700u);
    EXPECT_EQ(codeplug->getOrder().back(), field::TI_BLOCK);
    codeplug->throwOnGet(field::TI_BLOCK);
    EXPECT_EQ(exportText(codeplug.get(), text), XMLXSL_E_GETBLOCK);
}

TEST_F(Export, EndsWhenTheCodeplugClosesTheWrapperMidway) {
    codeplug->setCallHook([&](LONG fieldId) {
        if (fieldId == field::RC_BLOCK) wrapper.Close();
    });
    std::string text;
    EXPECT_EQ(exportText(codeplug.get(), text), XMLXSL_E_NOTOPEN);
    EXPECT_EQ(codeplug->getOrder().back(), field::RC_BLOCK);
}

}  // namespace
