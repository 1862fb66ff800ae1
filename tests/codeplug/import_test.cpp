#include "codeplug/codeplug_reader.h"
#include "host/codeplug_generator.h"
#include "tests/codeplug/conversion_fixture.h"
#include "tests/support/scripted_server.h"

namespace {

using Import = Conversion;

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

TEST_F(Import, GivesBackRandomCodeplugsBlockByBlockInTheRadiosOrder) {
    for (std::uint32_t seed = 1; seed <= 40; ++seed) {
        Codeplug original = GenerateRandomCodeplug(seed);
        auto from = MemoryCodeplug::Create(original);
        std::string text;
        ASSERT_EQ(exportText(from.get(), text), XMLXSL_S_OK) << seed;

        auto into = MemoryCodeplug::Create();
        ASSERT_EQ(importText(text, into.get()), XMLXSL_S_OK) << seed;
        EXPECT_EQ(into->setOrder(), from->getOrder()) << seed;
        for (const auto& [id, block] : original.blocks) EXPECT_EQ(into->codeplug().blocks[id], block) << seed << "/" << id;
    }
}

TEST_F(Import, ReadsNumbersAsTheFileFormatDefinesThem) {
    EXPECT_EQ(ParseAttributeNumber("12abc"), 12);
    EXPECT_EQ(ParseAttributeNumber(" \t-5"), -5);
    EXPECT_EQ(ParseAttributeNumber("+7"), 7);
    EXPECT_EQ(ParseAttributeNumber(""), 0);
    EXPECT_EQ(ParseAttributeNumber("abc"), 0);
    EXPECT_EQ(ParseAttributeNumber("- 5"), 0);
    EXPECT_EQ(ParseAttributeNumber("99999999999"), 2147483647);
    EXPECT_EQ(ParseAttributeNumber("-99999999999"), -2147483647 - 1);
    // Only the first 19 characters count: the twentieth digit is never seen.
    EXPECT_EQ(ParseAttributeNumber("00000000000000000012"), 1);
    EXPECT_EQ(ParseAttributeNumber("                   5"), 0);
}

TEST_F(Import, PassesIdsOnUncheckedAndKeepsTheLowByteOfTypeCodes) {
    std::string text;
    ASSERT_EQ(exportText(codeplug.get(), text), XMLXSL_S_OK);
    text = replaced(text, "<RRW_RGNSIZE ID=\"100\" TYPE=\"2\">", "<RRW_RGNSIZE ID=\"471\" TYPE=\"300\">");
    auto into = MemoryCodeplug::Create();
    ASSERT_EQ(importText(text, into.get()), XMLXSL_S_OK);
    EXPECT_EQ(into->codeplug().blocks[field::RRW_BLOCK], Block(TypeRows{{471, u"4096", 44}}));
}

TEST_F(Import, MatchesFieldsByPositionNotByName) {
    std::string text;
    ASSERT_EQ(exportText(codeplug.get(), text), XMLXSL_S_OK);
    text = replaced(text, "<RRW_RGNSIZE ID=\"100\" TYPE=\"2\">4096</RRW_RGNSIZE>", "<X ID=\"100\" TYPE=\"2\">4096</X>");
    auto into = MemoryCodeplug::Create();
    ASSERT_EQ(importText(text, into.get()), XMLXSL_S_OK);
    EXPECT_EQ(into->codeplug().blocks[field::RRW_BLOCK], Block(TypeRows{{100, u"4096", 2}}));
}

TEST_F(Import, FindsTheInfoPartWhereverItStands) {
    std::string text;
    ASSERT_EQ(exportText(codeplug.get(), text), XMLXSL_S_OK);
    std::string info = "<ENTRY_INFO>\n\t\t\t\t<CP_RXREFFREQ ID=\"380\" TYPE=\"0\">6.25</CP_RXREFFREQ>\n\t\t\t</ENTRY_INFO>";
    text = replaced(text, info, "");
    text = replaced(text, "</CP_BLOCK>", info + "</CP_BLOCK>");
    auto into = MemoryCodeplug::Create();
    ASSERT_EQ(importText(text, into.get()), XMLXSL_S_OK);
    EXPECT_EQ(into->codeplug().blocks[field::CP_BLOCK], SmallCodeplug().blocks[field::CP_BLOCK]);
}

TEST_F(Import, StopsAtAnExtraChildWithTheBlocksBeforeItSet) {
    std::string text;
    ASSERT_EQ(exportText(codeplug.get(), text), XMLXSL_S_OK);
    text = replaced(text, "</CP_BLOCK>", "<NOTE/></CP_BLOCK>");
    auto into = MemoryCodeplug::Create();
    DWORD status = importText(text, into.get());
    EXPECT_TRUE(IsFailure(status));
    EXPECT_NE(status, XMLXSL_S_OK);
    EXPECT_EQ(into->setOrder(), (std::vector<LONG>{2, 3, 1, 453, 454, 4, 5, 8, 19, 15, 40, 41, 42}));
}

TEST_F(Import, RefusesAReportModeDocument) {
    std::string text;
    ASSERT_EQ(exportText(codeplug.get(), text), XMLXSL_S_OK);
    text = replaced(text, "<RRW_RGNSIZE ID=\"100\" TYPE=\"2\">", "<RRW_RGNSIZE DISPLAY_NAME=\"Region size\">");
    auto into = MemoryCodeplug::Create();
    EXPECT_TRUE(IsFailure(importText(text, into.get())));
    EXPECT_EQ(into->setOrder(), (std::vector<LONG>{2, 3}));
}

TEST_F(Import, HandsOverEmptyBlocksToo) {
    auto from = MemoryCodeplug::Create(EmptyCodeplug());
    std::string text;
    ASSERT_EQ(exportText(from.get(), text), XMLXSL_S_OK);
    auto into = MemoryCodeplug::Create();
    ASSERT_EQ(importText(text, into.get()), XMLXSL_S_OK);
    EXPECT_EQ(into->codeplug(), EmptyCodeplug());
}

TEST_F(Import, PassesOnTheCodeplugsRefusalAndSetsNothingAfterIt) {
    std::string text;
    ASSERT_EQ(exportText(codeplug.get(), text), XMLXSL_S_OK);
    // 0x80070700 has the library's success as its low word, and still fails.
    for (DWORD refusal : {0x80070005u, 0x80070700u}) {
        auto into = MemoryCodeplug::Create();
        into->failOnSet(field::DR_BLOCK, static_cast<HRESULT>(refusal));
        EXPECT_EQ(importText(text, into.get()), refusal);
        EXPECT_EQ(into->setOrder(), (std::vector<LONG>{2, 3, 1, 453, 454, 4, 5, 8}));
        EXPECT_EQ(into->codeplug().blocks.count(field::DR_BLOCK), 0u);
    }
}

TEST_F(Import, TurnsAnExceptionFromSetBlockIntoItsStatus) {
    std::string text;
    ASSERT_EQ(exportText(codeplug.get(), text), XMLXSL_S_OK);
    auto into = MemoryCodeplug::Create();
    into->throwOnSet(field::MDF_BLOCK);
    EXPECT_EQ(importText(text, into.get()), XMLXSL_E_SETBLOCK);
}

TEST_F(Import, StopsCleanlyWhenTheCodeplugClosesTheServerMidway) {
    std::string text;
    ASSERT_EQ(exportText(codeplug.get(), text), XMLXSL_S_OK);
    auto into = MemoryCodeplug::Create();
    into->setCallHook([&](CodeplugCall, LONG fieldId) {
        if (fieldId == field::RRW_BLOCK) wrapper.Close();
    });
    EXPECT_EQ(importText(text, into.get()), XMLXSL_E_NOTOPEN);
}

struct ImportFailure {
    const char* name;
    std::string (*edit)(std::string);
    const char* operation;  // the server operation expected to fail first
    std::vector<LONG> blocksSet;
    bool resetAfter;
};

const ImportFailure kImportFailures[] = {
    {"Malformed", [](std::string text) { return text.substr(0, text.size() / 2); }, "LoadXML", {}, true},
    {"MissingRegion", [](std::string text) { return replaced(replaced(text, "<RRO>", "<ROM>"), "</RRO>", "</ROM>"); },
     "FindElement", {}, false},
    {"MissingBlock", [](std::string text) { return replaced(replaced(text, "<TI_BLOCK ID", "<XX_BLOCK ID"), "</TI_BLOCK>", "</XX_BLOCK>"); }, "FindElement",
     {2, 3, 1, 453, 454}, true},
    {"MissingTypeAttribute", [](std::string text) { return replaced(text, " TYPE=\"0\">6.25", ">6.25"); },
     "GetAttribute", {2, 3, 1, 453, 454, 4, 5, 8, 19, 15, 40, 41, 42}, true},
};

class ImportOfBadDocument : public ::testing::TestWithParam<ImportFailure> {
protected:
    ComApartment com;
    ServerScript script;
    ScriptedServerRegistration registration{script};
    CDocumentServer wrapper;
};

TEST_P(ImportOfBadDocument, ReturnsTheServersStatusWithTheBlocksBeforeItSet) {
    ASSERT_EQ(wrapper.Open(), XMLXSL_S_OK);
    auto from = MemoryCodeplug::Create(SmallCodeplug());
    unique_bstr xml;
    VARIANT language = Conversion::english();
    ASSERT_EQ(wrapper.CodeplugToXml(xml.put(), from.get(), ExportMode::File, &language), XMLXSL_S_OK);
    VariantClear(&language);
    unique_bstr edited = to_bstr(GetParam().edit(to_ansi(xml.get())));

    script.calls.clear();
    auto into = MemoryCodeplug::Create();
    DWORD status = wrapper.XmlToCodeplug(edited.get(), into.get());
    EXPECT_TRUE(IsFailure(status));
    EXPECT_EQ(into->setOrder(), GetParam().blocksSet);
    // The failing call is the last one of its operation; Reset follows it or not.
    ASSERT_FALSE(script.calls.empty());
    if (GetParam().resetAfter) {
        EXPECT_EQ(script.calls.back(), "Reset");
        EXPECT_EQ(script.calls[script.calls.size() - 2], GetParam().operation);
    } else {
        EXPECT_EQ(script.calls.back(), GetParam().operation);
    }
}

INSTANTIATE_TEST_SUITE_P(Documents, ImportOfBadDocument, ::testing::ValuesIn(kImportFailures),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ImportServerFailure, InitializeFailureIsReturnedWithoutReset) {
    ComApartment com;
    ServerScript script;
    ScriptedServerRegistration registration{script};
    CDocumentServer wrapper;
    ASSERT_EQ(wrapper.Open(), XMLXSL_S_OK);
    script.failOperation = "Initialize";
    script.failOnCall = 1;
    auto into = MemoryCodeplug::Create();
    unique_bstr text = to_bstr("<TORVALE_CODEPLUG/>");
    EXPECT_EQ(wrapper.XmlToCodeplug(text.get(), into.get()), static_cast<DWORD>(script.failStatus));
    EXPECT_EQ(script.calls, (std::vector<std::string>{"Reset", "Initialize"}));
}

}  // namespace
