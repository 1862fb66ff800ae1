#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>

#include "platform/ansi.h"
#include "platform/environment.h"
#include "platform/unique_bstr.h"
#include "platform/unique_variant.h"
#include "tests/support/com_apartment.h"
#include "tests/support/loaded_library.h"
#include "tests/support/sample_codeplugs.h"
#include "tests/support/scripted_codeplug.h"
#include "tests/support/temp_folder.h"

namespace {

// A stylesheet of body, with beforeRoot between the XML declaration and its root.
std::string stylesheet(const std::string& body, const std::string& beforeRoot = "") {
    return "<?xml version=\"1.0\"?>\n" + beforeRoot +
           "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">" + body +
           "</xsl:stylesheet>\n";
}

// Copies the document, with inRoot as the root's first content.
std::string copying_pretransform(const std::string& output, const std::string& inRoot = "",
                                 const std::string& beforeRoot = "") {
    return stylesheet("<xsl:output method=\"xml\" " + output +
                          "/><xsl:template match=\"/*\"><xsl:copy><xsl:copy-of select=\"@*\"/>" + inRoot +
                          "<xsl:copy-of select=\"node()\"/></xsl:copy></xsl:template>",
                      beforeRoot);
}

const std::string kReport = stylesheet(
    "<xsl:output method=\"html\" encoding=\"windows-1252\"/><xsl:template match=\"/\"><html><head><title>^TITL^"
    "</title></head><body><xsl:for-each select=\"//ALIAS\"><p><xsl:value-of select=\".\"/></p></xsl:for-each>"
    "</body></html></xsl:template>");

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    return text.replace(text.find(from), from.size(), to);
}

// A template, its pre-transform and resource string file in a folder of
// their own, and a registry that names the file for English. Only the
// name's file name counts, and it reaches the file system through the code
// page: "\u00E9.txt" is "\xE9.txt".
class CreateHtml : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFileBytes(pretransform, copying_pretransform("encoding=\"windows-1252\""));
        WriteFileBytes(templatePath, kReport);
        WriteFileBytes(folder.file("\xE9.txt"), "TITL  Radio report & <settings>\n");
        WriteFileBytes(folder.file("settings.reg"),
                       "Windows Registry Editor Version 5.00\n\n"
                       "[HKEY_LOCAL_MACHINE\\Software\\Corvane\\TORVALE\\Language\\English]\n"
                       "\"ReportResource\"=\"C:\\\\Radio\\\\\xC3\xA9.txt\"\n");
        SetEnvironmentVariableA("XMLXSL_REGISTRY", folder.file("settings.reg").c_str());
        ASSERT_TRUE(library.loaded());
        ASSERT_EQ(library.Open(), XMLXSL_S_OK);
    }
    void TearDown() override { SetEnvironmentVariableA("XMLXSL_REGISTRY", nullptr); }

    // The status; the HTML, or "(none)", goes to html. A null language
    // stands for a variant that holds no string.
    DWORD report(const char16_t* language = u"English") {
        unique_variant name = language ? make_bstr_variant(language) : unique_variant();
        if (!language) name.get()->vt = VT_I4;
        unique_bstr text;
        DWORD status = library.CreateHTML(codeplug.get(), templatePath.c_str(), name.get(), text.put());
        html = text ? to_ansi(text.get()) : std::string("(none)");
        return status;
    }

    // What this test appended to the error text.
    std::string appended() const { return library.errorText().substr(std::string("Errors: \n").size()); }

    ComApartment com;
    TempFolder folder;
    std::string templatePath = folder.file("report.xsl");
    std::string pretransform = folder.file("pretransform.qzt");
    LoadedLibrary library;
    com_ptr<ScriptedCodeplug> codeplug = ScriptedCodeplug::Create(SmallCodeplug());
    std::string html;
};

// Characters that the code page lacks travel as references through both
// passes.
TEST_F(CreateHtml, ShowsCharactersThePageLacksThroughBothPasses) {
    std::get<EntryBlock>(codeplug->codeplug().blocks[field::CP_BLOCK]).items[0][1].value =
        u"\u0141od\u017A & \u6771\u4EAC <\U0001F692>";
    ASSERT_EQ(report(), XMLXSL_S_OK) << appended();
    EXPECT_EQ(html,
              "<html>\n<head>\n<META http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">\n"
              "<title>Radio report & &lt;settings&gt;</title>\n</head>\n<body>\n"
              "<p>&#321;od&#378; & &#26481;&#20140; &lt;&#128658;&gt;</p>\n</body>\n</html>");
    EXPECT_EQ(appended(), "");
}

// A short status of the report path becomes the library's; a registry
// result n becomes 0x80040000 | n (a language that holds no string is an
// empty name, whose key has no value); the converter's comes back as it is.
// Only the report path appends.
TEST_F(CreateHtml, WidensTheReportPathsStatusAndPassesTheConvertersOn) {
    WriteFileBytes(templatePath, replaced(kReport, "^TITL^", "^NONE^"));
    EXPECT_EQ(report(), XMLXSL_E_RESOURCE);
    EXPECT_EQ(report(u"Klingon"), 0x80040002u);
    EXPECT_EQ(report(nullptr), 0x80040001u);
    std::filesystem::remove(pretransform);
    EXPECT_EQ(report(), XMLXSL_E_FILEOPEN);
    EXPECT_EQ(html, "(none)");
    codeplug->failOnGet(field::RC_BLOCK, static_cast<HRESULT>(0x80070005));
    EXPECT_EQ(report(), 0x80070005u);
    EXPECT_EQ(appended(), "Can not find resource NONE. \n" + pretransform + " could not be opened.\n");
}

// A pass acts on no document type declaration (one that reads a file
// here), in either stylesheet or in the pre-transform's product, and reads
// no other document: each fails like a stylesheet that the XML parser or the
// processor rejects. Their own complaints would land on the host's standard
// error; only the error text tells of them. A declaration in a comment or a
// CDATA section is text, and document() gives nothing.
TEST_F(CreateHtml, RefusesDocumentTypeDeclarationsAndOtherDocumentsInTheErrorTextAlone) {
    const std::string other = folder.file("other.xsl");
    WriteFileBytes(other, stylesheet("<xsl:template name=\"other\">SECRET</xsl:template>"));
    const std::string doctype = "<!DOCTYPE xsl:stylesheet [<!ENTITY x SYSTEM \"file:///etc/hostname\">]>\n";
    WriteFileBytes(pretransform, copying_pretransform("cdata-section-elements=\"TORVALE_CODEPLUG\"",
                                                      "<![CDATA[" + doctype + "]]>", "<!-- " + doctype + " -->"));
    WriteFileBytes(templatePath,
                   stylesheet("<xsl:output method=\"html\" indent=\"no\"/><xsl:template match=\"/\">"
                              "<html><xsl:value-of select=\"/*\"/>|<xsl:value-of select=\"document('file://" +
                              other + "')\"/></html></xsl:template>"));
    ASSERT_EQ(report(), XMLXSL_S_OK) << appended();
    EXPECT_EQ(html.rfind("<html>&lt;!DOCTYPE xsl:stylesheet [&lt;!ENTITY x SYSTEM", 0), 0u) << html;
    EXPECT_EQ(html.substr(html.size() - 8), "|</html>");

    // The subset would read a file into a default attribute of the root.
    const std::string dtd = folder.file("leak.dtd");
    WriteFileBytes(dtd,
                   "<!ENTITY % s SYSTEM \"file:///etc/hostname\"><!ENTITY leak \"%s;\">"
                   "<!ATTLIST TORVALE_CODEPLUG leak CDATA \"&leak;\">");
    const std::string entity = stylesheet("<xsl:template match=\"/\"><html>&x;</html></xsl:template>", doctype);
    std::string utf16 = "\xFF\xFE";
    for (char c : replaced(entity, "?>", " encoding=\"UTF-16\"?>")) utf16 += std::string{c, '\0'};
    const std::string refusal = "StreamTransform Error: document type declarations are not accepted\n";
    // The file, its text, and what the appended error text begins with.
    const std::tuple<std::string, std::string, std::string> refused[] = {
        {templatePath, entity, refusal},
        {templatePath, utf16, refusal},
        {pretransform, copying_pretransform("", "&x;", doctype),
         refusal + "Malformed XML product after pretransform.\n"},
        {pretransform, copying_pretransform("doctype-system=\"file://" + dtd + "\""), refusal},
        {templatePath, stylesheet("<xsl:include href=\"file://" + other + "\"/>"),
         "StreamTransform Error: other documents are not read\n"},
        {templatePath, replaced(kReport, "<xsl:for-each", "<xsl:for-nothing"), "StreamTransform Error: "},
        {templatePath, replaced(kReport, "<xsl:for-each", "<xsl:for-each <"), "StreamTransform Error: "},
    };
    for (const auto& [path, text, refusedWith] : refused) {
        const std::string kept = ReadFileBytes(path);
        const std::size_t before = appended().size();
        WriteFileBytes(path, text);
        testing::internal::CaptureStderr();
        testing::internal::CaptureStdout();
        EXPECT_EQ(report(), XMLXSL_E_PRODUCT) << text;
        EXPECT_EQ(testing::internal::GetCapturedStdout() + testing::internal::GetCapturedStderr(), "") << text;
        EXPECT_EQ(html, "(none)");
        EXPECT_EQ(appended().substr(before).rfind(refusedWith, 0), 0u) << appended();
        WriteFileBytes(path, kept);
    }
}

}  // namespace
