// Runs the built program as a user does, in a folder of the test's own.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

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
    EXPECT_EQ(run("generate --channels 20").out, ReadFileBytes(file("radio.json")));
}

TEST_F(XmlxslProgram, ShowsXmlThatXmllintAccepts) {
    ASSERT_EQ(run("generate --channels 2 -o radio.json").status, 0);
    ASSERT_EQ(run("export radio.json radio.xml").status, 0);
    Outcome shown = run("show radio.xml");
    ASSERT_EQ(shown.status, 0) << shown.err;
    EXPECT_EQ(shown.out.rfind("<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<TORVALE_CODEPLUG", 0), 0u);
    WriteFileBytes(folder.file("shown.xml"), shown.out);
    EXPECT_EQ(std::system(("xmllint --noout '" + folder.file("shown.xml") + "'").c_str()), 0);
}

TEST_F(XmlxslProgram, WritesTheReportOrTheLinesItsFailureAdded) {
    write_samples(work / "samples");
    std::string registry = "XMLXSL_REGISTRY='" + file("samples/settings.reg") + "'";
    std::string arguments = "report samples/radio.json --template samples/report.xsl -o report.html --language ";
    Outcome made = run(arguments + "German", registry);
    ASSERT_EQ(made.status, 0) << made.err;
    std::string html = ReadFileBytes(file("report.html"));
    EXPECT_EQ(html.rfind("<html>", 0), 0u) << html;
    EXPECT_NE(html.find("<title>Funkbericht</title>"), std::string::npos) << html;

    Outcome unknownLanguage = run(arguments + "Klingon", registry);
    EXPECT_EQ(unknownLanguage.status, 1);
    EXPECT_EQ(unknownLanguage.err,
              "xmlxsl: cannot make the report: 0x80040002: the report's registry settings cannot be read (result 2)\n");

    WriteFileBytes(file("samples/german.txt"), "NAME Funkbericht\n");
    Outcome missingText = run(arguments + "German", registry);
    EXPECT_EQ(missingText.status, 1);
    EXPECT_EQ(missingText.err,
              "xmlxsl: cannot make the report: XMLXSL_E_RESOURCE (0x80040713): a resource string is missing, or the "
              "template translation failed\nCan not find resource TITL. \n");
    EXPECT_EQ(ReadFileBytes(file("report.html")), html);
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
    EXPECT_EQ(demo.err.rfind("xmlxsl: cannot make the report: 0x80040002: ", 0), 0u) << demo.err;
    EXPECT_FALSE(fs::exists(file("out/report-english.html")));
}

TEST_F(XmlxslProgram, NamesAMissingSampleFolder) {
    Outcome demo = run("demo --samples nowhere");
    EXPECT_EQ(demo.status, 1);
    EXPECT_EQ(demo.err, "xmlxsl: nowhere: no such folder; give the sample folder with --samples DIR\n");
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

TEST_F(XmlxslProgram, RefusesACommandLineItCannotReadInOneLine) {
    EXPECT_EQ(run("").err, "xmlxsl: A subcommand is required; see xmlxsl --help\n");
    Outcome negative = run("generate --channels -3");
    EXPECT_EQ(negative.status, 2);
    EXPECT_EQ(negative.err, "xmlxsl: --channels: Value -3 not in range 0 to 100000; see xmlxsl --help\n");
    EXPECT_EQ(run("report radio.json --language English -o r.html").status, 2);
}

struct BadInput {
    const char* name;
    const char* arguments;
    const char* error;
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
        WriteFileBytes(file("malformed.xml"), "<TORVALE_CODEPLUG/>");
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
    Outcome failed = run(GetParam().arguments);
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.out, "");
    EXPECT_EQ(failed.err, std::string("xmlxsl: ") + GetParam().error + "\n");
    EXPECT_EQ(snapshot(), before);
}

const char* const kUnknownMalformedStatus =
    "0x80040404: a status of the document server, the codeplug object or the resource manager";
const std::string kMalformedImport = std::string("cannot import malformed.xml: ") + kUnknownMalformedStatus;

const BadInput kBadInputs[] = {
    {"ExportOfAMissingFile", "export missing.json keep.xml", "missing.json: no such file"},
    {"ExportOfAnEmptyFile", "export empty.json keep.xml", "empty.json: the file is empty"},
    {"ExportOfAMalformedFile", "export malformed.json keep.xml",
     R"(malformed.json: blocks.PA_BLOCK.items[0]: a LIST item must be an object with "info" and "items")"},
    {"ExportOfALockedFile", "export locked.json keep.xml", "locked.json: the file is locked by another program"},
    {"ExportOntoALockedFile", "export radio.json locked.xml", "locked.xml: the file is locked by another program"},
    {"ExportOntoAFolder", "export radio.json folder", "folder: a folder, not a file"},
    {"ExportIntoAMissingFolder", "export radio.json nowhere/radio.xml",
     "cannot export to nowhere/radio.xml: XMLXSL_E_FILEOPEN (0x80040703): a file cannot be opened"},
    {"ImportOfAMissingFile", "import missing.xml -o keep.json", "missing.xml: no such file"},
    {"ImportOfAnEmptyFile", "import empty.xml -o keep.json", "empty.xml: the file is empty"},
    {"ImportOfAMalformedFile", "import malformed.xml -o keep.json", kMalformedImport.c_str()},
    {"ImportOfALockedFile", "import locked.xml -o keep.json", "locked.xml: the file is locked by another program"},
    {"ImportOntoALockedFile", "import radio.xml -o locked.json", "locked.json: the file is locked by another program"},
    {"ShowOfAMissingFile", "show missing.xml", "missing.xml: no such file"},
    {"ShowOfALockedFile", "show locked.xml", "locked.xml: the file is locked by another program"},
    {"ShowOfAnEmptyFile", "show empty.xml", "empty.xml: the file is empty"},
    {"ShowOfAMalformedFile", "show malformed.xml", kMalformedImport.c_str()},
    {"ReportOfAnEmptyFile", "report empty.xml --template t.xsl --language English -o keep.html",
     "empty.xml: the file is empty"},
    {"ReportOfAMalformedFile", "report notjson.json --template t.xsl --language English -o keep.html",
     "notjson.json: line 1, column 12: not JSON: syntax error while parsing value - unexpected '}'; expected '[', "
     "'{', or a literal"},
    {"GenerateOntoALockedFile", "generate --channels 1 -o locked.json",
     "locked.json: the file is locked by another program"},
};

INSTANTIATE_TEST_SUITE_P(Inputs, XmlxslFailure, testing::ValuesIn(kBadInputs),
                         [](const testing::TestParamInfo<BadInput>& info) { return std::string(info.param.name); });

}  // namespace
