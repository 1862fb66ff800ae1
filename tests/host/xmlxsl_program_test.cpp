// Runs the built program as a user does, in a folder of the test's own.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <variant>

#include "host/codeplug_generator.h"
#include "host/codeplug_json.h"
#include "platform/file.h"
#include "tests/support/report_templates.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

const char* const kReport = R"xsl(<?xml version="1.0"?>
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
<xsl:output method="html" encoding="windows-1252"/>
<xsl:template match="/"><html><head><title>^TITL^</title></head><body>
<xsl:for-each select="//PA_ZONEALIAS"><p><xsl:value-of select="."/></p></xsl:for-each>
</body></html></xsl:template>
</xsl:stylesheet>
)xsl";

// A sample folder as the demo expects one, with a codeplug of three channels.
void write_samples(const fs::path& folder) {
    fs::create_directories(folder);
    WriteFileBytes((folder / "radio.json").string(), WriteCodeplugJson(GenerateRealisticCodeplug(3)));
    WriteFileBytes((folder / "report.xsl").string(), kReport);
    WriteFileBytes((folder / "pretransform.qzt").string(), kIdentityPretransform);
    WriteFileBytes((folder / "english.txt").string(), "TITL Radio report\n");
    WriteFileBytes((folder / "german.txt").string(), "TITL Funkbericht\n");
    WriteFileBytes((folder / "settings.reg").string(),
                   "Windows Registry Editor Version 5.00\n\n"
                   "[HKEY_LOCAL_MACHINE\\Software\\Corvane\\TORVALE\\Language\\English]\n"
                   "\"ReportResource\"=\"english.txt\"\n\n"
                   "[HKEY_LOCAL_MACHINE\\Software\\Corvane\\TORVALE\\Language\\German]\n"
                   "\"ReportResource\"=\"german.txt\"\n");
}

// The text of a scrambled XML file: every byte exclusive-or'ed with 0xD4.
std::string scrambled(std::string text) {
    for (char& byte : text) byte = static_cast<char>(byte ^ 0xD4);
    return text;
}

class XmlxslProgram : public testing::Test {
protected:
    XmlxslProgram() { fs::create_directories(work); }

    // The environment part goes before the program, as in a shell.
    Outcome run(const std::string& arguments, const std::string& environment = "") {
        std::string command = "cd '" + work.string() + "' && " + environment + " '" XMLXSL_PROGRAM "' " + arguments +
                              " >'" + folder.file("stdout") + "' 2>'" + folder.file("stderr") + "'; echo $? >'" +
                              folder.file("status") + "'";
        EXPECT_NE(std::system(command.c_str()), -1);
        return {std::stoi(ReadFileBytes(folder.file("status"))), ReadFileBytes(folder.file("stdout")),
                ReadFileBytes(folder.file("stderr"))};
    }

    std::string file(const std::string& name) const { return (work / name).string(); }

    // Every file and folder under the work folder, with the files' bytes.
    std::map<std::string, std::string> snapshot() const {
        std::map<std::string, std::string> found;
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(work))
            found[entry.path().string()] = entry.is_directory() ? "(folder)" : ReadFileBytes(entry.path().string());
        return found;
    }

    TempFolder folder;
    fs::path work = folder.path() / "work";
};

TEST_F(XmlxslProgram, GivesByteIdenticalFilesThroughImportAndExportAgain) {
    ASSERT_EQ(run("generate --channels 20 -o radio.json").status, 0);
    ASSERT_EQ(run("export radio.json first.xml").status, 0);
    Outcome imported = run("import first.xml -o back.json");
    ASSERT_EQ(imported.status, 0) << imported.err;
    EXPECT_EQ(imported.out + imported.err, "");
    ASSERT_EQ(run("export back.json second.xml").status, 0);

    EXPECT_EQ(ReadFileBytes(file("back.json")), ReadFileBytes(file("radio.json")));
    EXPECT_GT(ReadFileBytes(file("first.xml")).size(), 20000u);
    EXPECT_EQ(ReadFileBytes(file("second.xml")), ReadFileBytes(file("first.xml")));
    EXPECT_EQ(run("import first.xml").out, ReadFileBytes(file("radio.json")));
}

// "Łódź": 'ó' is a character of code page 1252, the others are written as references.
TEST_F(XmlxslProgram, ShowsXmlThatXmllintAcceptsWithoutLosingACharacter) {
    Codeplug codeplug = GenerateRealisticCodeplug(2);
    for (auto& [id, block] : codeplug.blocks)
        if (auto* entry = std::get_if<EntryBlock>(&block); entry && !entry->items.empty()) {
            entry->items[0][0].value = u"\u0141\u00F3d\u017A";
            break;
        }
    WriteFileBytes(file("radio.json"), WriteCodeplugJson(codeplug));
    ASSERT_EQ(run("export radio.json radio.xml").status, 0);
    Outcome shown = run("show radio.xml");
    ASSERT_EQ(shown.status, 0) << shown.err;
    EXPECT_EQ(shown.out.rfind("<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<TORVALE_CODEPLUG", 0), 0u);
    EXPECT_NE(shown.out.find(">&#x141;\xF3" "d&#x17A;<"), std::string::npos);
    WriteFileBytes(folder.file("shown.xml"), shown.out);
    EXPECT_EQ(std::system(("xmllint --noout '" + folder.file("shown.xml") + "'").c_str()), 0);
}

TEST_F(XmlxslProgram, WritesTheReport) {
    write_samples(work / "samples");
    Outcome made = run("report samples/radio.json --template samples/report.xsl -o report.html --language German "
                       "--registry samples/settings.reg");
    ASSERT_EQ(made.status, 0) << made.err;
    std::string html = ReadFileBytes(file("report.html"));
    EXPECT_EQ(html.rfind("<html>", 0), 0u) << html;
    EXPECT_NE(html.find("<title>Funkbericht</title>"), std::string::npos) << html;
}

// The README's report line, as written, from the source tree; only its
// output goes elsewhere.
TEST_F(XmlxslProgram, RunsTheReadmesReportExample) {
    std::ifstream readme(XMLXSL_SOURCE_DIR "/README.md");
    std::string line;
    while (std::getline(readme, line) && !line.starts_with("xmlxsl report ")) {
    }
    ASSERT_TRUE(line.starts_with("xmlxsl report ")) << "no report example in the README";
    line = line.substr(0, line.find('#'));
    std::size_t output = line.find("-o report.html");
    ASSERT_NE(output, std::string::npos) << line;
    line.replace(output, 14, "-o '" + file("report.html") + "'");
    std::string command = "cd '" XMLXSL_SOURCE_DIR "' && env -u XMLXSL_REGISTRY '" XMLXSL_PROGRAM "'" +
                          line.substr(6) + " 2>'" + folder.file("stderr") + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command << "\n" << ReadFileBytes(folder.file("stderr"));
    EXPECT_NE(ReadFileBytes(file("report.html")).find("</html>"), std::string::npos);
}

// Two runs of the program read one input side by side: the test holds it as
// a reader would.
TEST_F(XmlxslProgram, ReadsAnInputThatAnotherReaderHolds) {
    ASSERT_EQ(run("generate --channels 1 -o radio.json").status, 0);
    CFile reader;
    ASSERT_TRUE(reader.Open(file("radio.json").c_str(), CFile::modeRead | CFile::shareDenyWrite));
    Outcome exported = run("export radio.json radio.xml");
    EXPECT_EQ(exported.status, 0) << exported.err;
}

TEST_F(XmlxslProgram, RunsTheDemoOnASampleFolder) {
    write_samples(work / "samples");
    Outcome demo = run("demo --samples samples --out out", "env -u XMLXSL_REGISTRY");
    ASSERT_EQ(demo.status, 0) << demo.err;
    EXPECT_EQ(demo.err, "");
    std::size_t sameBlocks = 0;
    for (std::size_t at = 0; (at = demo.out.find(" fields  same after the round trip\n", at)) != std::string::npos;
         ++at)
        ++sameBlocks;
    EXPECT_EQ(sameBlocks, 16u) << demo.out;
    EXPECT_NE(demo.out.find("wrote out/report-english.html: the report in English\n"
                            "wrote out/report-german.html: the report in German\n"),
              std::string::npos)
        << demo.out;
    EXPECT_NE(ReadFileBytes(file("out/report-english.html")).find("<title>Radio report</title>"), std::string::npos);
    EXPECT_NE(ReadFileBytes(file("out/report-german.html")).find("<title>Funkbericht</title>"), std::string::npos);
    EXPECT_EQ(run("import out/radio.xml").out, ReadFileBytes(file("samples/radio.json")));
}

TEST_F(XmlxslProgram, RunsTheDemoWithTheRegistryTheUserSet) {
    write_samples(work / "samples");
    Outcome demo = run("demo --samples samples --out out", "XMLXSL_REGISTRY=none.reg");
    EXPECT_EQ(demo.status, 1);
    EXPECT_EQ(demo.err,
              "xmlxsl: cannot make the report: 0x80040002: the registry file none.reg does not exist; give "
              "--registry FILE with the settings\n");
    EXPECT_FALSE(fs::exists(file("out/report-english.html")));
}

class XmlxslHelp : public XmlxslProgram, public testing::WithParamInterface<const char*> {};

TEST_P(XmlxslHelp, PrintsUsageAndSucceeds) {
    Outcome help = run(std::string(GetParam()) + " --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.find("Usage: xmlxsl"), help.out.find('\n') + 1) << help.out;
    EXPECT_EQ(help.err, "");
}

INSTANTIATE_TEST_SUITE_P(EveryCommand, XmlxslHelp,
                         testing::Values("", "export", "import", "show", "report", "demo", "generate"));

TEST_F(XmlxslProgram, RefusesACommandLineOrCodePageItCannotUseInOneLine) {
    EXPECT_EQ(run("").err, "xmlxsl: A subcommand is required; see xmlxsl --help\n");
    Outcome negative = run("generate --channels -3");
    EXPECT_EQ(negative.status, 2);
    EXPECT_EQ(negative.err, "xmlxsl: --channels: Value -3 not in range 0 to 100000; see xmlxsl --help\n");
    EXPECT_EQ(run("report radio.json --language English -o r.html").status, 2);
    Outcome page = run("generate --channels 1 -o radio.json", "XMLXSL_ACP=437");
    EXPECT_EQ(page.status, 2);
    EXPECT_EQ(page.err,
              "xmlxsl: XMLXSL_ACP=\"437\" is not a code page that xmlxsl supports; set it to 1250 to 1258, 932, "
              "936, 949 or 950, or unset it for 1252\n");
    EXPECT_FALSE(fs::exists(file("radio.json")));
}

TEST_F(XmlxslProgram, TellsItsVersionAndWhereTheReportSettingsComeFrom) {
    Outcome version = run("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "xmlxsl 1.0.0\n");
    std::string help = run("report --help").out;
    EXPECT_NE(help.find("--registry"), std::string::npos) << help;
    EXPECT_NE(help.find("XMLXSL_REGISTRY"), std::string::npos) << help;
}

struct BadInput {
    const char* name;
    const char* arguments;
    // Every line on the standard error, without "xmlxsl: " and the last line feed.
    const char* error;
    const char* environment = "";
};

// Every input file of every kind is there, with a file that the test holds
// locked of each kind, and outputs that must survive.
class XmlxslFailure : public XmlxslProgram, public testing::WithParamInterface<BadInput> {
protected:
    void SetUp() override {
        WriteFileBytes(file("radio.json"), WriteCodeplugJson(GenerateRealisticCodeplug(1)));
        ASSERT_EQ(run("export radio.json radio.xml").status, 0);
        fs::copy_file(file("radio.json"), file("locked.json"));
        fs::copy_file(file("radio.xml"), file("locked.xml"));
        WriteFileBytes(file("empty.json"), "");
        WriteFileBytes(file("empty.xml"), "");
        WriteFileBytes(file("malformed.json"), R"({"format": "xmlxsl-codeplug", "version": 1, "blocks": {
            "PA_BLOCK": {"info": [], "items": [[]]}}})");
        WriteFileBytes(file("notjson.json"), "{\"format\": }");
        WriteFileBytes(file("malformed.xml"), scrambled("<?xml version=\"1.0\"?>\n<TORVALE_CODEPLUG>"));
        WriteFileBytes(file("plain.xml"), "<?xml version=\"1.0\"?>\n<TORVALE_CODEPLUG/>");
        WriteFileBytes(file("zeros.xml"), std::string(4096, '\0'));
        WriteFileBytes(file("zeros.json"), std::string(4096, '\0'));
        Codeplug foreign = GenerateRealisticCodeplug(1);
        std::get<TypeRows>(foreign.blocks.begin()->second).push_back({999, u"x", 0});
        WriteFileBytes(file("foreign.json"), WriteCodeplugJson(foreign));
        write_samples(work / "samples");
        std::string dealer = kReport;
        WriteFileBytes(file("samples/dealer.xsl"), dealer.replace(dealer.find("<p>"), 3, "<p>^0002^</p><p>"));
        WriteFileBytes(file("samples/bad.reg"), "not a registry file\n");
        WriteFileBytes(file("samples/noresource.reg"),
                       "Windows Registry Editor Version 5.00\n\n"
                       "[HKEY_LOCAL_MACHINE\\Software\\Corvane\\TORVALE\\Language\\English]\n"
                       "\"Other\"=\"english.txt\"\n");
        WriteFileBytes(file("samples/strings.reg"),
                       "Windows Registry Editor Version 5.00\n\n"
                       "[HKEY_LOCAL_MACHINE\\Software\\Corvane\\TORVALE\\Language\\English]\n"
                       "\"ReportResource\"=\"C:\\\\Strings\\\\broken.txt\"\n");
        WriteFileBytes(file("samples/broken.txt"), "NAME Radio report\n");
        for (const char* kept : {"keep.xml", "keep.json", "keep.html"}) WriteFileBytes(file(kept), "precious");
        fs::create_directories(work / "folder");
        ASSERT_TRUE(lockedJson.Open(file("locked.json").c_str(), CFile::modeRead));
        ASSERT_TRUE(lockedXml.Open(file("locked.xml").c_str(), CFile::modeRead));
    }

    CFile lockedJson;
    CFile lockedXml;
};

TEST_P(XmlxslFailure, PrintsOneLineAndChangesNoFile) {
    std::map<std::string, std::string> before = snapshot();
    Outcome failed = run(GetParam().arguments, GetParam().environment);
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.out, "");
    EXPECT_EQ(failed.err, std::string("xmlxsl: ") + GetParam().error + "\n");
    EXPECT_EQ(snapshot(), before);
}

constexpr char kLocked[] = ": the file is locked by another program; close it there and try again";
const std::string kLockedJson = std::string("locked.json") + kLocked, kLockedXml = std::string("locked.xml") + kLocked;
const std::string kMalformedImport =
    "cannot import malformed.xml: DOCSERVER_E_MALFORMED (0x80040404): the file is not well-formed XML: it may be "
    "damaged, or not a codeplug file; restore the file from a copy, or export it again";
const std::string kReportOf = "report radio.json --template samples/report.xsl -o keep.html --language ";
const std::string kKlingon = kReportOf + "Klingon --registry samples/settings.reg",
                  kNoResource = kReportOf + "English --registry samples/noresource.reg",
                  kNoDealer = "report radio.json --template samples/dealer.xsl -o keep.html --language English "
                              "--registry samples/settings.reg",
                  kBadRegistry = kReportOf + "English --registry samples/bad.reg",
                  kNoSuchRegistry = kReportOf + "English --registry samples/none.reg",
                  kUnnamedRegistry = kReportOf + "English",
                  kMissingString = kReportOf + "English --registry samples/strings.reg";

const BadInput kBadInputs[] = {
    {"ExportOfAMissingFile", "export missing.json keep.xml", "missing.json: no such file"},
    {"ExportOfAnEmptyFile", "export empty.json keep.xml", "empty.json: the file is empty"},
    {"ExportOfAMalformedFile", "export malformed.json keep.xml",
     R"(malformed.json: blocks.PA_BLOCK.items[0]: a LIST item must be an object with "info" and "items")"},
    {"ExportOfAScrambledFile", "export radio.xml keep.xml",
     "radio.xml: a scrambled XML file, not a codeplug file (JSON); import it to get one"},
    {"ExportOfAForeignFieldId", "export foreign.json keep.xml",
     "foreign.json: blocks.RRW_BLOCK[3]: field id 999 cannot be exported: XMLXSL_E_FIELDID (0x8004070E): a field "
     "id outside 1 to 470 in block data; give every row a field id from 1 to 470"},
    {"ExportOfALockedFile", "export locked.json keep.xml", kLockedJson.c_str()},
    {"ExportOntoALockedFile", "export radio.json locked.xml", kLockedXml.c_str()},
    {"ImportOfAMissingFile", "import missing.xml -o keep.json", "missing.xml: no such file"},
    {"ImportOfAnEmptyFile", "import empty.xml -o keep.json", "empty.xml: the file is empty"},
    {"ImportOfAMalformedFile", "import malformed.xml -o keep.json", kMalformedImport.c_str()},
    {"ImportOfPlainXml", "import plain.xml -o keep.json",
     "plain.xml: plain XML text, not a scrambled XML file as export writes them"},
    {"ImportOfACodeplugFile", "import radio.json -o keep.json",
     "radio.json: a codeplug file (JSON), not a scrambled XML file; export it to get one"},
    {"ImportOfZeroBytes", "import zeros.xml -o keep.json",
     "zeros.xml: not a scrambled XML file: its first bytes are no XML text, scrambled or plain; it may be damaged, "
     "or another kind of file"},
    {"ImportOfALockedFile", "import locked.xml -o keep.json", kLockedXml.c_str()},
    {"ImportOntoALockedFile", "import radio.xml -o locked.json", kLockedJson.c_str()},
    {"ShowOfAMalformedFile", "show malformed.xml", kMalformedImport.c_str()},
    {"ReportOfAnEmptyFile", "report empty.xml --template t.xsl --language English -o keep.html",
     "empty.xml: the file is empty"},
    {"ReportOfAMalformedFile", "report notjson.json --template t.xsl --language English -o keep.html",
     "notjson.json: line 1, column 12: not JSON: syntax error while parsing value - unexpected '}'; expected '[', "
     "'{', or a literal"},
    {"ReportOfZeroBytes", "report zeros.json --template t.xsl --language English -o keep.html",
     "zeros.json: not a codeplug file: it does not begin with \"{\"; it may be damaged, or another kind of file"},
    {"ReportInAnUnknownLanguage", kKlingon.c_str(),
     "cannot make the report: 0x80040002: no language \"Klingon\" under "
     "HKEY_LOCAL_MACHINE\\Software\\Corvane\\TORVALE\\Language in samples/settings.reg; use a language listed "
     "there, or add its key"},
    {"ReportWithoutAResourceValue", kNoResource.c_str(),
     "cannot make the report: 0x80040001: no value \"ReportResource\" under "
     "HKEY_LOCAL_MACHINE\\Software\\Corvane\\TORVALE\\Language\\English in samples/noresource.reg; add it, naming "
     "the language's resource string file"},
    {"ReportWithoutADealerValue", kNoDealer.c_str(),
     "cannot make the report: 0x80040001: no value \"DealerInfoLeft\" under "
     "HKEY_LOCAL_MACHINE\\Software\\Corvane\\TORVALE in samples/settings.reg; the template's dealer heading needs "
     "it: add it\nDealerInfoLeft is bad"},
    {"ReportWithAMalformedRegistry", kBadRegistry.c_str(),
     "cannot make the report: 0x800403F1: the registry file samples/bad.reg is malformed or cannot be read "
     "(ERROR_BADDB); correct it as the registry editor writes .reg files"},
    {"ReportWithAMissingRegistry", kNoSuchRegistry.c_str(),
     "cannot make the report: 0x80040002: the registry file samples/none.reg does not exist; give --registry FILE "
     "with the settings"},
    {"ReportWithNoRegistry", kUnnamedRegistry.c_str(),
     "cannot make the report: 0x80040002: no registry file is named, so no report setting can be read; give "
     "--registry FILE or set XMLXSL_REGISTRY",
     "env -u XMLXSL_REGISTRY"},
    {"ReportWithAMissingString", kMissingString.c_str(),
     "cannot make the report: XMLXSL_E_RESOURCE (0x80040713): a resource string is missing, or the template "
     "translation failed; add what the lines below name to the language's resource string file\nCan not find "
     "resource TITL. "},
    {"GenerateOntoALockedFile", "generate --channels 1 -o locked.json", kLockedJson.c_str()},
    {"DemoOfAMissingFolder", "demo --samples nowhere",
     "nowhere: no such folder; give the sample folder with --samples DIR"},
};

INSTANTIATE_TEST_SUITE_P(Inputs, XmlxslFailure, testing::ValuesIn(kBadInputs),
                         [](const testing::TestParamInfo<BadInput>& info) { return std::string(info.param.name); });

}  // namespace
