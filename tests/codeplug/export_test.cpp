#include <cstdlib>
#include <fstream>
#include <iterator>

#include "tests/codeplug/conversion_fixture.h"
#include "tests/support/raw_block_codeplug.h"
#include "tests/support/scripted_server.h"

namespace {

std::string golden(const std::string& name, const std::string& actual) {
    std::string path = std::string(XMLXSL_GOLDEN_DIR) + "/" + name;
    if (std::getenv("XMLXSL_UPDATE_GOLDEN") != nullptr) std::ofstream(path, std::ios::binary) << actual;
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

using Export = Conversion;

TEST_F(Export, FileModeDocumentIsTheGoldenOne) {
    std::string text;
    ASSERT_EQ(exportText(codeplug.get(), text), XMLXSL_S_OK);
    EXPECT_EQ(text, golden("small_file_mode.xml", text));
}

TEST_F(Export, LeavesTheDocumentInTheServer) {
    std::string text;
    ASSERT_EQ(exportText(codeplug.get(), text), XMLXSL_S_OK);
    unique_bstr again;
    EXPECT_TRUE(IsServerSuccess(static_cast<HRESULT>(wrapper.GetXML(again.put(), 1))));
    EXPECT_EQ(to_ansi(again.get()), text);
}

TEST_F(Export, AsksForEveryBlockOnceInTheRadiosOrder) {
    std::string text;
    ASSERT_EQ(exportText(codeplug.get(), text), XMLXSL_S_OK);
    EXPECT_EQ(codeplug->getOrder(), (std::vector<LONG>{2, 3, 1, 453, 454, 4, 5, 8, 19, 15, 40, 41, 42, 38, 6, 13}));
}

TEST_F(Export, WritesOnlyTheLowByteOfATypeCode) {
    RawBlockCodeplug raw(codeplug.get());
    unique_variant rows = MakeTypeArray(1, 3);
    SetCell(rows, 0, 0, I4(field::RRW_RGNSIZE));
    SetCell(rows, 0, 1, Bstr(u"4096"));
    SetCell(rows, 0, 2, I4(300));
    raw.setRawBlock(field::RRW_BLOCK, std::move(rows));
    std::string text;
    ASSERT_EQ(exportText(&raw, text), XMLXSL_S_OK);
    EXPECT_NE(text.find("<RRW_RGNSIZE ID=\"100\" TYPE=\"44\">4096</RRW_RGNSIZE>"), std::string::npos);
}

TEST_F(Export, WalksRowsFromTheirLowerBound) {
    RawBlockCodeplug raw(codeplug.get());
    unique_variant rows = MakeTypeArray(2, 3, 5);
    SetCell(rows, 5, 0, I4(field::RRW_RGNSIZE));
    SetCell(rows, 5, 1, Bstr(u"1"));
    SetCell(rows, 5, 2, UI1(0));
    SetCell(rows, 6, 0, I4(field::RRW_VECTBLKVECT));
    SetCell(rows, 6, 1, Bstr(u"2"));
    SetCell(rows, 6, 2, UI1(3));
    raw.setRawBlock(field::RRW_BLOCK, std::move(rows));
    std::string text;
    ASSERT_EQ(exportText(&raw, text), XMLXSL_S_OK);
    EXPECT_NE(text.find("<RRW_RGNSIZE ID=\"100\" TYPE=\"0\">1</RRW_RGNSIZE>\n\t\t\t<RRW_VECTBLKVECT ID=\"102\" "
                        "TYPE=\"3\">2</RRW_VECTBLKVECT>"),
              std::string::npos);
}

struct BadBlock {
    const char* name;
    LONG fieldId;
    unique_variant (*make)();
    DWORD status;
};

unique_variant type_with_id(LONG id) {
    unique_variant rows = MakeTypeArray(2, 3);
    SetCell(rows, 0, 0, I4(field::RRW_RGNSIZE));
    SetCell(rows, 0, 1, Bstr(u"ok"));
    SetCell(rows, 0, 2, UI1(1));
    SetCell(rows, 1, 0, I4(id));
    SetCell(rows, 1, 1, Bstr(u"bad"));
    SetCell(rows, 1, 2, UI1(1));
    return rows;
}

// One row whose value no XML text can carry.
unique_variant type_with_value(std::u16string_view value) {
    unique_variant rows = MakeTypeArray(1, 3);
    SetCell(rows, 0, 0, I4(field::RRW_RGNSIZE));
    SetCell(rows, 0, 1, Bstr(value));
    SetCell(rows, 0, 2, UI1(1));
    return rows;
}

const BadBlock kBadBlocks[] = {
    {"NotAnArray", field::RRW_BLOCK, [] { return unique_variant(Bstr(u"rows")); }, XMLXSL_E_BLOCKSHAPE},
    {"TwoColumns", field::RRW_BLOCK, [] { return MakeTypeArray(1, 2); }, XMLXSL_E_BLOCKSHAPE},
    {"OneDimension", field::RRW_BLOCK, [] { return MakeVector({I4(1), I4(2), I4(3)}); }, XMLXSL_E_BLOCKSHAPE},
    {"FieldIdZero", field::RRW_BLOCK, [] { return type_with_id(0); }, XMLXSL_E_FIELDID},
    {"FieldIdPastTheTable", field::RRW_BLOCK, [] { return type_with_id(471); }, XMLXSL_E_FIELDID},
    {"ValueThatIsNoText", field::RRW_BLOCK,
     [] {
         unique_variant rows = MakeTypeArray(1, 3);
         SetCell(rows, 0, 0, I4(field::RRW_RGNSIZE));
         SetCell(rows, 0, 1, I4(0x1234));
         SetCell(rows, 0, 2, UI1(1));
         return rows;
     },
     XMLXSL_E_GETELEMENT},
    {"ValueWithNul", field::RRW_BLOCK, [] { return type_with_value(std::u16string_view(u"40\0" "96", 5)); },
     XMLXSL_E_GETELEMENT},
    {"ValueWithLoneSurrogate", field::RRW_BLOCK, [] { return type_with_value(u"x\xD83D"); }, XMLXSL_E_GETELEMENT},
    {"EntryWithoutInfo", field::CP_BLOCK, [] { return MakeVector({}); }, XMLXSL_E_GETELEMENT},
    {"EntryItemsThatAreNoArray", field::CP_BLOCK, [] { return MakeVector({MakeTypeArray(0, 3).release(), I4(5)}); },
     XMLXSL_E_BLOCKSHAPE},
    {"EntryWithInfoOnly", field::CP_BLOCK, [] { return MakeVector({MakeTypeArray(0, 3).release()}); },
     XMLXSL_E_BLOCKSHAPE},
    {"ListItemThatIsATypeArray", field::PA_BLOCK,
     [] { return MakeVector({MakeTypeArray(0, 3).release(), MakeVector({MakeTypeArray(0, 3).release()}).release()}); },
     XMLXSL_E_BLOCKSHAPE},
};

class ExportOfBadBlock : public Export, public ::testing::WithParamInterface<BadBlock> {};

TEST_P(ExportOfBadBlock, EndsTheExportWithItsStatusAndResetsTheServer) {
    RawBlockCodeplug raw(codeplug.get());
    raw.setRawBlock(GetParam().fieldId, GetParam().make());
    std::string text;
    EXPECT_EQ(exportText(&raw, text), GetParam().status);
    EXPECT_EQ(text, "");
    // Nothing of the failed document is left to fetch.
    unique_bstr left;
    EXPECT_FALSE(IsServerSuccess(static_cast<HRESULT>(wrapper.GetXML(left.put(), 1))));
}

INSTANTIATE_TEST_SUITE_P(Shapes, ExportOfBadBlock, ::testing::ValuesIn(kBadBlocks),
                         [](const auto& info) { return std::string(info.param.name); });

// Failures whose low word reads as another space's success end the export
// all the same: a server's 0x0400, the library's own 0x0700.
TEST_F(Export, PassesOnTheCodeplugsOwnFailureAndGoesNoFurther) {
    for (DWORD failure : {0x80070005u, 0x80040400u, 0x80070700u}) {
        codeplug->clearCalls();
        codeplug->failOnGet(field::TI_BLOCK, static_cast<HRESULT>(failure));
        std::string text;
        EXPECT_EQ(exportText(codeplug.get(), text), failure);
        EXPECT_EQ(text, "");
        EXPECT_EQ(codeplug->getOrder().back(), field::TI_BLOCK) << std::hex << failure;
    }
}

TEST_F(Export, TurnsAnExceptionFromGetBlockIntoItsStatus) {
    codeplug->throwOnGet(field::SLI_BLOCK);
    std::string text;
    EXPECT_EQ(exportText(codeplug.get(), text), XMLXSL_E_GETBLOCK);
}

TEST_F(Export, StopsCleanlyWhenTheCodeplugClosesTheServerMidway) {
    codeplug->setCallHook([&](CodeplugCall, LONG fieldId) {
        if (fieldId == field::RC_BLOCK) wrapper.Close();
    });
    std::string text;
    EXPECT_EQ(exportText(codeplug.get(), text), XMLXSL_E_NOTOPEN);
}

TEST_F(Export, RefusesAClosedWrapper) {
    wrapper.Close();
    std::string text;
    EXPECT_EQ(exportText(codeplug.get(), text), XMLXSL_E_NOTOPEN);
    EXPECT_TRUE(codeplug->getOrder().empty());
}

// Which server failures reset the server before the status comes back.
struct ServerFailure {
    const char* operation;
    int onCall;
    std::vector<std::string> callsAfter;
};

class ExportServerFailure : public ::testing::TestWithParam<ServerFailure> {
protected:
    ComApartment com;
    ServerScript script;
    ScriptedServerRegistration registration{script};
    CDocumentServer wrapper;
    com_ptr<MemoryCodeplug> codeplug = MemoryCodeplug::Create(SmallCodeplug());
};

TEST_P(ExportServerFailure, ReturnsTheServersStatus) {
    ASSERT_EQ(wrapper.Open(), XMLXSL_S_OK);
    script.failOperation = GetParam().operation;
    script.failOnCall = GetParam().onCall;
    unique_bstr text;
    VARIANT language = Conversion::english();
    EXPECT_EQ(wrapper.CodeplugToXml(text.put(), codeplug.get(), ExportMode::File, &language),
              static_cast<DWORD>(script.failStatus));
    VariantClear(&language);
    EXPECT_EQ(script.callsAfterFailure(), GetParam().callsAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Operations, ExportServerFailure,
    ::testing::Values(ServerFailure{"Initialize", 1, {}}, ServerFailure{"NewDocument", 1, {"Reset"}},
                      ServerFailure{"CreateElement", 1, {"Reset"}}, ServerFailure{"CreateElement", 30, {"Reset"}},
                      ServerFailure{"SetAttribute", 4, {"Reset"}}, ServerFailure{"AppendIndent", 7, {"Reset"}},
                      ServerFailure{"SetText", 2, {"Reset"}}, ServerFailure{"GetXML", 1, {}}),
    [](const auto& info) { return std::string(info.param.operation) + std::to_string(info.param.onCall); });

}  // namespace
