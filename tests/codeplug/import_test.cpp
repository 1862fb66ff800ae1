#include "codeplug/codeplug_reader.h"
#include "tests/codeplug/conversion_fixture.h"

namespace {

using Import = Conversion;

// The hard codeplug carries markup, line breaks and every character of code page 1252.
TEST_F(Import, GivesBackWhatWasExportedBlockByBlockInTheRadiosOrder) {
    for (const Codeplug& original : {EmptyCodeplug(), HardCodeplug()}) {
        auto from = ScriptedCodeplug::Create(original);
        std::string text;
        ASSERT_EQ(exportText(from.get(), text), XMLXSL_S_OK);
        auto into = ScriptedCodeplug::Create();
        ASSERT_EQ(importText(text, into.get()), XMLXSL_S_OK);
        EXPECT_EQ(into->setOrder(), from->getOrder());
        EXPECT_EQ(into->codeplug(), original);
    }
}

TEST(ParseAttributeNumber, ReadsNumbersAsTheFileFormatDefinesThem) {
    EXPECT_EQ(ParseAttributeNumber("12abc"), 12);
    EXPECT_EQ(ParseAttributeNumber(" \t-5"), -5);
    EXPECT_EQ(ParseAttributeNumber("99999999999"), 2147483647);
    EXPECT_EQ(ParseAttributeNumber("-99999999999"), -2147483647 - 1);
    // Only the first 19 characters count: the twentieth is never seen.
    EXPECT_EQ(ParseAttributeNumber("00000000000000000012"), 1);
}

TEST_F(Import, TakesIdsUncheckedTypeCodesLowByteFieldsByPositionAndTheInfoPartAnywhere) {
    std::string text;
    ASSERT_EQ(exportText(codeplug.get(), text), XMLXSL_S_OK);
    const std::string row = "<RRW_RGNSIZE ID=\"100\" TYPE=\"2\">4096</RRW_RGNSIZE>";
    text.replace(text.find(row), row.size(), "<X ID=\"471\" TYPE=\"300\">4096</X>");
    const std::string info =
        "<ENTRY_INFO>\n\t\t\t\t<CP_RXREFFREQ ID=\"380\" TYPE=\"0\">6.25</CP_RXREFFREQ>\n\t\t\t</ENTRY_INFO>";
    text.erase(text.find(info), info.size());
    text.insert(text.find("</CP_BLOCK>"), info);
    auto into = ScriptedCodeplug::Create();
    ASSERT_EQ(importText(text, into.get()), XMLXSL_S_OK);
    EXPECT_EQ(into->codeplug().blocks[field::RRW_BLOCK], Block(TypeRows{{471, u"4096", 44}}));
    EXPECT_EQ(into->codeplug().blocks[field::CP_BLOCK], SmallCodeplug().blocks[field::CP_BLOCK]);
}

// 0x80070700 has the library's success as its low word, and still fails.
TEST_F(Import, PassesOnTheCodeplugsRefusalOrExceptionAndSetsNothingAfterIt) {
    std::string text;
    ASSERT_EQ(exportText(codeplug.get(), text), XMLXSL_S_OK);
    auto into = ScriptedCodeplug::Create();
    into->failOnSet(field::DR_BLOCK, static_cast<HRESULT>(0x80070700));
    EXPECT_EQ(importText(text, into.get()), 0x80070700u);
    EXPECT_EQ(into->setOrder(), (std::vector<LONG>{2, 3, 1, 453, 454, 4, 5, 8}));
    into->throwOnSet(field::DR_BLOCK);
    EXPECT_EQ(importText(text, into.get()), XMLXSL_E_SETBLOCK);
}

// Which server failures, in either direction, reset the server before their
// status comes back. A failure that would read as the library's success
// becomes XMLXSL_E_CONVERT.
struct ServerFailure {
    const char* name;
    bool import;
    const char* operation;
    int onCall;
    bool resetFollows;
    HRESULT failure = static_cast<HRESULT>(0x80040499);
    DWORD status = 0x80040499;
};

const ServerFailure kServerFailures[] = {
    {"ExportInitialize", false, "Initialize", 1, false},
    {"ExportSetText", false, "SetText", 2, true},
    {"ExportFailureThatReadsAsSuccess", false, "SetText", 2, true, 0x00040700, XMLXSL_E_CONVERT},
    {"ExportGetXml", false, "GetXML", 1, false},
    {"ImportInitialize", true, "Initialize", 1, false},
    {"ImportLoadXml", true, "LoadXML", 1, true},
    {"ImportRegion", true, "FindElement", 1, false},
    {"ImportBlock", true, "FindElement", 2, true},
};

class ServerFailures : public Conversion, public ::testing::WithParamInterface<ServerFailure> {};

TEST_P(ServerFailures, PassOnTheStatusAndResetTheServerWhereTheTableSays) {
    std::string text;
    ASSERT_TRUE(!GetParam().import || exportText(codeplug.get(), text) == XMLXSL_S_OK);
    script.calls.clear();
    script.failOperation = GetParam().operation;
    script.failOnCall = GetParam().onCall;
    script.failStatus = GetParam().failure;
    auto into = ScriptedCodeplug::Create();
    EXPECT_EQ(GetParam().import ? importText(text, into.get()) : exportText(codeplug.get(), text), GetParam().status);
    EXPECT_EQ(script.callsAfterFailure(),
              GetParam().resetFollows ? std::vector<std::string>{"Reset"} : std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Operations, ServerFailures, ::testing::ValuesIn(kServerFailures),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
