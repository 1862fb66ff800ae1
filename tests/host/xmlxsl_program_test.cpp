// Runs the built program as a user does, in a folder of the test's own.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include <nlohmann/json.hpp>

#include "host/codeplug_generator.h"
#include "host/codeplug_json.h"
#include "platform/ansi.h"
#include "platform/file.h"
#include "tests/support/sample_codeplugs.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

class XmlxslProgram : public testing::Test {
protected:
    // A codeplug of one channel, and a copy of the bundled sample's report
    // files with a codeplug of three channels.
    XmlxslProgram() {
        fs::create_directories(work / "samples");
        for (const char* name : {"report.xsl", "pretransform.qzt", "english.txt", "german.txt", "settings.reg"})
            fs::copy_file(fs::path(XMLXSL_SOURCE_DIR) / "samples" / name, work / "samples" / name);
        WriteFileBytes(file("radio.json"), WriteCodeplugJson(GenerateRealisticCodeplug(1)));
        WriteFileBytes(file("samples/radio.json"), WriteCodeplugJson(GenerateRealisticCodeplug(3)));
    }

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

    TempFolder folder;
    fs::path work = folder.path() / "work";
};

// The codeplug file is held as another run of the program holds an input:
// two runs read one file side by side.
TEST_F(XmlxslProgram, GivesByteIdenticalFilesThroughImportAndExportAgain) {
    CFile reader;
    ASSERT_TRUE(reader.Open(file("radio.json").c_str(), CFile::modeRead | CFile::shareDenyWrite));
    Outcome exported = run("export radio.json first.xml");
    ASSERT_EQ(exported.status, 0) << exported.err;
    Outcome imported = run("import first.xml -o back.json");
    ASSERT_EQ(imported.status, 0) << imported.err;
    EXPECT_EQ(imported.out + imported.err, "");
    ASSERT_EQ(run("export back.json second.xml").status, 0);

    EXPECT_EQ(ReadFileBytes(file("back.json")), ReadFileBytes(file("radio.json")));
    EXPECT_EQ(ReadFileBytes(file("second.xml")), ReadFileBytes(file("first.xml")));
    EXPECT_EQ(run("import first.xml").out, ReadFileBytes(file("radio.json")));
    EXPECT_EQ(
        run("show first.xml").out.rfind("<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<TORVALE_CODEPLUG", 0), 0u);
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
    std::string command = "cd '" XMLXSL_SOURCE_DIR "' && env -u XMLXSL_REGISTRY '" XMLXSL_PROGRAM "'" + line.substr(6) +
                          " 2>'" + folder.file("stderr") + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command << "\n" << ReadFileBytes(folder.file("stderr"));
    EXPECT_NE(ReadFileBytes(file("report.html")).find("</html>"), std::string::npos);
}

// The user's own registry file wins over the sample folder's.
TEST_F(XmlxslProgram, RunsTheDemoOnASampleFolder) {
    Outcome refused = run("demo --samples samples --out out", "XMLXSL_REGISTRY=none.reg");
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err,
              "xmlxsl: cannot make the report: 0x80040002: the registry file none.reg does not exist; give "
              "--registry FILE with the settings\n");
    EXPECT_FALSE(fs::exists(file("out/report-english.html")));
    Outcome demo = run("demo --samples samples --out out", "env -u XMLXSL_REGISTRY");
    ASSERT_EQ(demo.status, 0) << demo.err;
    EXPECT_EQ(demo.err, "");
    EXPECT_NE(ReadFileBytes(file("out/report-english.html")).find("Radio Programming Report"), std::string::npos);
    EXPECT_NE(ReadFileBytes(file("out/report-german.html")).find("Programmierbericht"), std::string::npos);
    EXPECT_EQ(run("import out/radio.xml").out, ReadFileBytes(file("samples/radio.json")));
}

TEST_F(XmlxslProgram, RefusesACommandLineOrCodePageItCannotUseInOneLine) {
    EXPECT_EQ(run("--version").out, "xmlxsl 1.0.0\n");
    Outcome negative = run("generate --channels -3");
    EXPECT_EQ(negative.status, 2);
    EXPECT_EQ(negative.err, "xmlxsl: --channels: Value -3 not in range 0 to 100000; see xmlxsl --help\n");
    Outcome page = run("generate --channels 1 -o new.json", "XMLXSL_ACP=437");
    EXPECT_EQ(page.status, 2);
    EXPECT_EQ(page.err,
              "xmlxsl: XMLXSL_ACP=\"437\" is not a code page that xmlxsl supports; set it to 1250 to 1258, 932, "
              "936, 949 or 950, or unset it for 1252\n");
    EXPECT_FALSE(fs::exists(file("new.json")));
}

FieldRow& first_channel_row(Codeplug& codeplug, LONG id) {
    for (FieldRow& row : std::get<EntryBlock>(codeplug.blocks[field::CP_BLOCK]).items.at(0))
        if (row.id == id) return row;
    throw std::out_of_range("no such field");
}

std::string ascii(const std::u16string& text) { return {text.begin(), text.end()}; }

// Exit status 0, 1 or 2 as diff(1) has it; a codeplug file and the XML file
// exported from it are one codeplug.
TEST_F(XmlxslProgram, DiffTellsWhetherTwoCodeplugsDifferByItsExitStatus) {
    ASSERT_EQ(run("export radio.json radio.xml").status, 0);
    Outcome equal = run("diff radio.json radio.xml");
    EXPECT_EQ(equal.status, 0);
    EXPECT_EQ(equal.out + equal.err, "");

    Codeplug changed = ReadCodeplugJson(ReadFileBytes(file("radio.json")), "radio.json");
    FieldRow& frequency = first_channel_row(changed, field::CP_RXFREQ);
    const std::string old = ascii(frequency.value);
    frequency.value = u"469.99000";
    WriteFileBytes(file("changed.json"), WriteCodeplugJson(changed));
    Outcome text = run("diff radio.xml changed.json");
    EXPECT_EQ(text.status, 1) << text.err;
    EXPECT_EQ(text.out, "Channel parameters, channel 1 \"" + ascii(first_channel_row(changed, field::ALIAS).value) +
                            "\": Receive frequency: \"" + old + "\" -> \"469.99000\"\n");

    Outcome json = run("diff radio.json changed.json --format json --language german");
    EXPECT_EQ(json.status, 1);
    const auto document = nlohmann::json::parse(json.out);
    EXPECT_EQ(document["differences"].size(), 1u);
    EXPECT_EQ(document["differences"][0]["field"]["name"], "Empfangsfrequenz");

    EXPECT_EQ(run("diff radio.json changed.json --format html -o sheet.html").status, 1);
    EXPECT_TRUE(ReadFileBytes(file("sheet.html")).starts_with("<!DOCTYPE html>"));

    Outcome missing = run("diff radio.json missing.json -o out.txt");
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err, "xmlxsl: missing.json: no such file\n");
    EXPECT_FALSE(fs::exists(file("out.txt")));
    EXPECT_EQ(run("diff radio.json changed.json --format pdf").status, 2);
}

// What show prints, and the same text saved as UTF-8 with the characters
// that the code page lacks written out, pack into the file that show read.
TEST_F(XmlxslProgram, PacksWhatShowPrintsIntoTheSameFile) {
    Codeplug named = GenerateRealisticCodeplug(300);
    first_channel_row(named, field::ALIAS).value = u"\u0141\u00F3d\u017A Stra\u00DFe";
    WriteFileBytes(file("named.json"), WriteCodeplugJson(named));
    fs::copy_file(fs::path(XMLXSL_SOURCE_DIR) / "samples" / "radio.json", work / "sample.json");
    for (const std::string name : {"sample", "named"}) {
        ASSERT_EQ(run("export " + name + ".json " + name + ".xml").status, 0);
        Outcome shown = run("show " + name + ".xml");
        ASSERT_EQ(shown.status, 0);
        WriteFileBytes(file(name + "-plain.xml"), shown.out);
        Outcome packed = run("pack " + name + "-plain.xml -o " + name + "-packed.xml");
        ASSERT_EQ(packed.status, 0) << packed.err;
        EXPECT_EQ(packed.out + packed.err, "");
        EXPECT_EQ(ReadFileBytes(file(name + "-packed.xml")), ReadFileBytes(file(name + ".xml"))) << name;
    }

    std::string utf8;
    ASSERT_TRUE(try_to_utf8(to_wide(run("show named.xml").out), utf8, ill_formed::refuse));
    utf8.replace(utf8.find("windows-1252"), 12, "UTF-8");
    for (std::size_t at; (at = utf8.find("&#x141;")) != std::string::npos;) utf8.replace(at, 7, "\xC5\x81");
    for (std::size_t at; (at = utf8.find("&#x17A;")) != std::string::npos;) utf8.replace(at, 7, "\xC5\xBA");
    WriteFileBytes(file("utf8.xml"), utf8);
    ASSERT_EQ(run("pack utf8.xml -o utf8-packed.xml").status, 0);
    EXPECT_EQ(ReadFileBytes(file("utf8-packed.xml")), ReadFileBytes(file("named.xml")));
}

// A codeplug file and a scrambled XML file come back byte for byte, in
// either form of the CSV.
TEST_F(XmlxslProgram, GivesTheSameFilesBackThroughTheChannelList) {
    ASSERT_EQ(run("export radio.json radio.xml").status, 0);
    for (const char* form : {"", " --excel"}) {
        Outcome exported = run(std::string("channels export radio.xml -o channels.csv") + form);
        ASSERT_EQ(exported.status, 0) << exported.err;
        EXPECT_EQ(exported.out + exported.err, "");
        ASSERT_EQ(run("channels import channels.csv radio.json -o back.json").status, 0);
        ASSERT_EQ(run("channels import channels.csv radio.xml -o back.xml").status, 0);
        EXPECT_EQ(ReadFileBytes(file("back.json")), ReadFileBytes(file("radio.json"))) << form;
        EXPECT_EQ(ReadFileBytes(file("back.xml")), ReadFileBytes(file("radio.xml"))) << form;
    }
}

// Exit 1 with an error found, 0 without, 2 when the file cannot be checked.
TEST_F(XmlxslProgram, ChecksACodeplugAndTellsByItsExitStatus) {
    fs::copy_file(fs::path(XMLXSL_SOURCE_DIR) / "samples" / "radio.json", work / "sample.json");
    Outcome sample = run("check sample.json");
    EXPECT_EQ(sample.status, 1);
    const char* const kTransmitOutside =
        "Transmit frequency: %s MHz lies outside the radio's band, 450.00000 to "
        "470.00000 MHz\n";
    auto outside = [&](const char* channel, const char* megahertz) {
        char line[256];
        std::snprintf(line, sizeof line, kTransmitOutside, megahertz);
        return "error: Channel parameters, channel " + std::string(channel) + ", " + line;
    };
    auto both = [](const char* channel) {
        return "error: Channel parameters, channel " + std::string(channel) +
               ", Transmit only: the channel is receive-only and transmit-only at once\n";
    };
    EXPECT_EQ(sample.out, outside("3 \"Fire Tac 1\"", "471.37500") + both("8 \"Hospital Link\"") +
                              outside("9 \"Police Main\"", "472.31250") + outside("13 \"Public Works\"", "471.81250") +
                              both("24 \"Police Tac 2\"") + outside("29 \"Airport Ops\"", "470.07500") +
                              both("31 \"Event Security\"") + "sample.json: 7 errors, 0 warnings\n");
    EXPECT_EQ(run("check sample.json --format json").out.find("{\n  \"file\": \"sample.json\",\n  \"errors\": 7,"), 0u);

    WriteFileBytes(file("plan.json"), WriteCodeplugJson(ChannelPlanCodeplug()));
    Outcome plan = run("check plan.json --language German");
    EXPECT_EQ(plan.status, 0);
    EXPECT_EQ(plan.out, "plan.json: 0 errors, 0 warnings\n");

    for (const char* unusable : {"check missing.json", "check plan.json --language Klingon"}) {
        Outcome failed = run(unusable);
        EXPECT_EQ(failed.status, 2) << unusable;
        EXPECT_EQ(failed.out, "") << unusable;
        EXPECT_EQ(std::count(failed.err.begin(), failed.err.end(), '\n'), 1) << failed.err;
    }
}

struct BadInput {
    const char* name;
    std::string arguments;
    // Every line on the standard error, without "xmlxsl: " and the last line feed.
    std::string error;
    // A file made for the row, by name and bytes.
    std::string input = "", bytes = "";
    const char* environment = "";
};
void PrintTo(const BadInput& input, std::ostream* out) { *out << input.name; }

// Beside the row's own input: the codeplug exported, a copy held locked by
// the test, and outputs that must survive.
class XmlxslFailure : public XmlxslProgram, public testing::WithParamInterface<BadInput> {
protected:
    void SetUp() override {
        ASSERT_EQ(run("export radio.json radio.xml").status, 0);
        fs::copy_file(file("radio.json"), file("locked.json"));
        ASSERT_TRUE(locked.Open(file("locked.json").c_str(), CFile::modeRead));
        for (const char* kept : {"keep.xml", "keep.json", "keep.html"}) WriteFileBytes(file(kept), "precious");
        if (!GetParam().input.empty()) WriteFileBytes(file(GetParam().input), GetParam().bytes);
    }

    // Every file and folder under the work folder, with the files' bytes.
    std::map<std::string, std::string> snapshot() const {
        std::map<std::string, std::string> found;
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(work))
            found[entry.path().string()] = entry.is_directory() ? "(folder)" : ReadFileBytes(entry.path().string());
        return found;
    }

    CFile locked;
};

TEST_P(XmlxslFailure, PrintsOneLineAndChangesNoFile) {
    std::map<std::string, std::string> before = snapshot();
    Outcome failed = run(GetParam().arguments, GetParam().environment);
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.out, "");
    EXPECT_EQ(failed.err, "xmlxsl: " + GetParam().error + "\n");
    EXPECT_EQ(snapshot(), before);
}

std::string scrambled(std::string text) {
    for (char& byte : text) byte = static_cast<char>(byte ^ 0xD4);
    return text;
}

std::string with_foreign_field_id() {
    Codeplug foreign = GenerateRealisticCodeplug(1);
    std::get<TypeRows>(foreign.blocks.begin()->second).push_back({999, u"x", 0});
    return WriteCodeplugJson(foreign);
}

const std::string kReportOf = "report radio.json --template samples/report.xsl -o keep.html --language English ";
const std::string kEnglish =
    "Windows Registry Editor Version 5.00\n\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Corvane\\TORVALE\\Language\\English]\n";
const std::string kLocked = "locked.json: the file is locked by another program; close it there and try again";
const std::string kCannotReport = "cannot make the report: ";

const BadInput kBadInputs[] = {
    {"ExportOfAMissingFile", "export missing.json keep.xml", "missing.json: no such file"},
    {"ExportOfAnEmptyFile", "export empty.json keep.xml", "empty.json: the file is empty", "empty.json"},
    {"ExportOfAMalformedFile", "export bad.json keep.xml",
     R"(bad.json: blocks.PA_BLOCK.items[0]: a LIST item must be an object with "info" and "items")", "bad.json",
     R"({"format": "xmlxsl-codeplug", "version": 1, "blocks": {"PA_BLOCK": {"info": [], "items": [[]]}}})"},
    {"ExportOfAScrambledFile", "export radio.xml keep.xml",
     "radio.xml: a scrambled XML file, not a codeplug file (JSON); import it to get one"},
    {"ExportOfAForeignFieldId", "export foreign.json keep.xml",
     "foreign.json: blocks.RRW_BLOCK[3]: field id 999 cannot be exported: XMLXSL_E_FIELDID (0x8004070E): a field "
     "id outside 1 to 470 in block data; give every row a field id from 1 to 470",
     "foreign.json", with_foreign_field_id()},
    {"ExportOfALockedFile", "export locked.json keep.xml", kLocked},
    {"ImportOntoALockedFile", "import radio.xml -o locked.json", kLocked},
    {"ImportOfAMalformedFile", "import bad.xml -o keep.json",
     "cannot import bad.xml: DOCSERVER_E_MALFORMED (0x80040404): the file is not well-formed XML: it may be "
     "damaged, or not a codeplug file; restore the file from a copy, or export it again",
     "bad.xml", scrambled("<?xml version=\"1.0\"?>\n<TORVALE_CODEPLUG>")},
    {"ImportOfPlainXml", "import plain.xml -o keep.json",
     "plain.xml: plain XML text, not a scrambled XML file as export writes them; pack it to get one", "plain.xml",
     "<?xml version=\"1.0\"?>\n<TORVALE_CODEPLUG/>"},
    {"ImportOfZeroBytes", "import zeros.xml -o keep.json",
     "zeros.xml: not a scrambled XML file: its first bytes are no XML text, scrambled or plain; it may be damaged, "
     "or another kind of file",
     "zeros.xml", std::string(4096, '\0')},
    {"PackOfATextThatIsNoCodeplug", "pack plain.xml -o keep.xml",
     "plain.xml is not a codeplug: DOCSERVER_E_NOTFOUND (0x80040403): the XML document lacks an element that every "
     "codeplug has: it may be damaged, or not a codeplug file; restore the file from a copy, or export it again",
     "plain.xml", "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<TORVALE_CODEPLUG VERSION=\"1.0\"/>"},
    {"PackOfMalformedText", "pack plain.xml -o keep.xml",
     "plain.xml is not a codeplug: DOCSERVER_E_MALFORMED (0x80040404): the file is not well-formed XML: it may be "
     "damaged, or not a codeplug file; restore the file from a copy, or export it again",
     "plain.xml", "<TORVALE_CODEPLUG>"},
    {"PackOfTextInAnotherEncoding", "pack plain.xml -o keep.xml",
     "plain.xml: line 1 is not UTF-8 text, as its declaration says; save the file in UTF-8, or declare the "
     "encoding it is saved in",
     "plain.xml", "<TORVALE_CODEPLUG>Stra\xDF" "e</TORVALE_CODEPLUG>"},
    {"PackOfAScrambledFile", "pack radio.xml -o keep.xml",
     "radio.xml: a scrambled XML file already, not plain XML text; show prints its text"},
    {"ReportInAnUnknownLanguage",
     "report radio.json --template samples/report.xsl -o keep.html --language Klingon --registry "
     "samples/settings.reg",
     kCannotReport + "0x80040002: no language \"Klingon\" under HKEY_LOCAL_MACHINE\\Software\\Corvane\\TORVALE\\"
                     "Language in samples/settings.reg; use a language listed there, or add its key"},
    {"ReportWithoutAResourceValue", kReportOf + "--registry samples/other.reg",
     kCannotReport + "0x80040001: no value \"ReportResource\" under HKEY_LOCAL_MACHINE\\Software\\Corvane\\TORVALE\\"
                     "Language\\English in samples/other.reg; add it, naming the language's resource string file",
     "samples/other.reg", kEnglish + "\"Other\"=\"english.txt\"\n"},
    {"ReportWithoutADealerValue", kReportOf + "--registry samples/plain.reg",
     kCannotReport + "0x80040001: no value \"DealerInfoLeft\" under HKEY_LOCAL_MACHINE\\Software\\Corvane\\TORVALE in "
                     "samples/plain.reg; the template's dealer heading needs it: add it\nDealerInfoLeft is bad",
     "samples/plain.reg", kEnglish + "\"ReportResource\"=\"C:\\\\Strings\\\\english.txt\"\n"},
    {"ReportWithAMalformedRegistry", kReportOf + "--registry samples/bad.reg",
     kCannotReport + "0x800403F1: the registry file samples/bad.reg is malformed or cannot be read (ERROR_BADDB); "
                     "correct it as the registry editor writes .reg files",
     "samples/bad.reg", "not a registry file\n"},
    {"ReportWithNoRegistry", kReportOf,
     kCannotReport + "0x80040002: no registry file is named, so no report setting can be read; give --registry FILE "
                     "or set XMLXSL_REGISTRY",
     "", "", "env -u XMLXSL_REGISTRY"},
    {"ReportWithAMissingString",
     "report radio.json --template samples/none.xsl -o keep.html --language English --registry samples/settings.reg",
     kCannotReport + "XMLXSL_E_RESOURCE (0x80040713): a resource string is missing, or the template translation "
                     "failed; add what the lines below name to the language's resource string file\nCan not find "
                     "resource NONE. ",
     "samples/none.xsl", "^NONE^"},
    {"ChannelsImportOfABadCell", "channels import bad.csv radio.json -o keep.json",
     "bad.csv: line 4, column 1 (channel): \"9\" is not the number of a channel of the codeplug, which has 1; leave "
     "the cell empty to add a channel",
     "bad.csv", "Channel,Zones\r\nchannel,zones\r\n,\r\n9,\r\n"},
    {"ChannelsImportOverItsCodeplug", "channels import keep.csv radio.xml -o radio.xml",
     "radio.xml: the same file as the codeplug radio.xml; name another output file", "keep.csv", "Channel\r\n"},
    {"ChannelsImportWithItsFilesSwapped", "channels import radio.json keep.csv -o keep.json",
     "radio.json: a codeplug file (JSON), not a channel list (CSV); give the CSV first, then the codeplug"},
    {"DemoOfAMissingFolder", "demo --samples nowhere",
     "nowhere: no such folder; give the sample folder with --samples DIR"},
};

INSTANTIATE_TEST_SUITE_P(Inputs, XmlxslFailure, testing::ValuesIn(kBadInputs),
                         [](const testing::TestParamInfo<BadInput>& info) { return std::string(info.param.name); });

}  // namespace
