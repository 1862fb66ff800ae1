#include <gtest/gtest.h>

#include "host/memory_codeplug.h"
#include "platform/ansi.h"
#include "platform/environment.h"
#include "platform/unique_bstr.h"
#include "tests/support/com_apartment.h"
#include "tests/support/loaded_library.h"
#include "tests/support/sample_codeplugs.h"
#include "tests/support/temp_folder.h"

namespace {

const std::string kSecret = "XMLXSL-SECRET-5e1b";
const std::string kRefusal = "StreamTransform Error: document type declarations are not accepted\n";
const std::string kStylesheet = "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">";

// Shows the whole pre-transform product and the attribute an external
// subset may give its root.
const std::string kEchoingReport = "<?xml version=\"1.0\"?>\n" + kStylesheet +
                                   "<xsl:output method=\"html\" indent=\"no\"/><xsl:template match=\"/\"><html><body>"
                                   "<xsl:value-of select=\"/*\"/>|<xsl:value-of select=\"/*/@leak\"/>"
                                   "</body></html></xsl:template></xsl:stylesheet>\n";

// Copies the document, with beforeRoot written ahead of the root and
// inRoot as the root's first content.
std::string copying_pretransform(const std::string& output, const std::string& inRoot,
                                 const std::string& beforeRoot = "") {
    return "<?xml version=\"1.0\"?>\n" + kStylesheet + "<xsl:output method=\"xml\" " + output +
           "/><xsl:template match=\"/\">" + beforeRoot +
           "<xsl:apply-templates/></xsl:template>"
           "<xsl:template match=\"/*\"><xsl:copy><xsl:copy-of select=\"@*\"/>" +
           inRoot + "<xsl:copy-of select=\"node()\"/></xsl:copy></xsl:template></xsl:stylesheet>\n";
}

std::string escaped(std::string text) {
    for (std::size_t at = 0; (at = text.find_first_of("&<", at)) != std::string::npos; at += 4)
        text.replace(at, 1, text[at] == '&' ? "&amp;" : "&lt;");
    return text;
}

std::string unescaped_text(const std::string& text) {
    return "<xsl:text disable-output-escaping=\"yes\">" + escaped(text) + "</xsl:text>";
}

struct Declaration {
    const char* name;
    std::string subset;  // "%s" stands for the secret file's path
    const char* reference;
};

void PrintTo(const Declaration& declaration, std::ostream* out) { *out << declaration.name; }

// Ten levels of ten references: 10^9 copies of "lol" once expanded.
std::string billion_laughs() {
    std::string subset = "<!ENTITY lol0 \"lol\">";
    for (int level = 1; level < 10; ++level) {
        subset += "<!ENTITY lol" + std::to_string(level) + " \"";
        for (int copy = 0; copy < 10; ++copy) subset += "&lol" + std::to_string(level - 1) + ";";
        subset += "\">";
    }
    return subset;
}

const Declaration kDeclarations[] = {
    {"ExternalEntity", "<!ENTITY x SYSTEM \"file://%s\">", "&x;"},
    {"BillionLaughs", billion_laughs(), "&lol9;"},
};

enum class Place { ReportTemplate, PretransformTemplate, PretransformProduct };

class XmlSafety : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFileBytes(secretPath, kSecret + "\n");
        WriteFileBytes(folder.file("pretransform.qzt"), copying_pretransform("", ""));
        WriteFileBytes(templatePath, kEchoingReport);
        WriteFileBytes(folder.file("english.txt"), "TITL  Report\n");
        std::string registry = folder.file("settings.reg");
        WriteFileBytes(registry,
                       "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\Corvane\\TORVALE]\n"
                       "\"DealerInfoLeft\"=\"a\"\n\"DealerInfoMiddle\"=\"b\"\n\"DealerInfoRight\"=\"c\"\n\n"
                       "[HKEY_LOCAL_MACHINE\\Software\\Corvane\\TORVALE\\Language\\English]\n"
                       "\"ReportResource\"=\"english.txt\"\n");
        SetEnvironmentVariableA("XMLXSL_REGISTRY", registry.c_str());
        ASSERT_TRUE(library.loaded());
        ASSERT_EQ(library.Open(), XMLXSL_S_OK);
    }
    void TearDown() override { SetEnvironmentVariableA("XMLXSL_REGISTRY", nullptr); }

    // The status; the HTML, or "(none)", goes to html.
    DWORD report() {
        VARIANT name;
        VariantInit(&name);
        name.vt = VT_BSTR;
        name.bstrVal = SysAllocString(u"English");
        unique_bstr text;
        DWORD status = library.CreateHTML(codeplug.get(), templatePath.c_str(), &name, text.put());
        VariantClear(&name);
        html = text ? to_ansi(text.get()) : std::string("(none)");
        return status;
    }

    std::string appended() const { return library.errorText().substr(std::string("Errors: \n").size()); }

    std::string subset(const Declaration& declaration) const {
        std::string text = declaration.subset;
        if (std::size_t at = text.find("%s"); at != std::string::npos) text.replace(at, 2, secretPath);
        return text;
    }

    ComApartment com;
    TempFolder folder;
    std::string secretPath = folder.file("secret.txt");
    std::string templatePath = folder.file("report.xsl");
    LoadedLibrary library;
    com_ptr<MemoryCodeplug> codeplug = MemoryCodeplug::Create(SmallCodeplug());
    std::string html;
};

class XmlSafetyRefusal : public XmlSafety, public ::testing::WithParamInterface<std::tuple<Declaration, Place>> {};

TEST_P(XmlSafetyRefusal, EndsLikeARejectedStylesheet) {
    auto [declaration, place] = GetParam();
    std::string doctype = "<!DOCTYPE xsl:stylesheet [" + subset(declaration) + "]>\n";
    std::string expected = kRefusal;
    switch (place) {
        case Place::ReportTemplate:
            WriteFileBytes(templatePath, "<?xml version=\"1.0\"?>\n" + doctype + kStylesheet +
                                             "<xsl:template match=\"/\"><html><body>" + declaration.reference +
                                             "</body></html></xsl:template></xsl:stylesheet>\n");
            break;
        case Place::PretransformTemplate: {
            std::string pretransform = copying_pretransform("", declaration.reference);
            pretransform.insert(pretransform.find('\n') + 1, doctype);
            WriteFileBytes(folder.file("pretransform.qzt"), pretransform);
            expected += "Malformed XML product after pretransform.\n";
            break;
        }
        case Place::PretransformProduct:
            WriteFileBytes(
                folder.file("pretransform.qzt"),
                copying_pretransform("", unescaped_text(declaration.reference),
                                     unescaped_text("<!DOCTYPE TORVALE_CODEPLUG [" + subset(declaration) + "]>")));
            break;
    }
    EXPECT_EQ(report(), XMLXSL_E_PRODUCT);
    EXPECT_EQ(html, "(none)");
    EXPECT_EQ(appended(), expected);
}

std::string refusal_name(const ::testing::TestParamInfo<XmlSafetyRefusal::ParamType>& info) {
    static const char* const places[] = {"InReportTemplate", "InPretransformTemplate", "InPretransformProduct"};
    return std::string(std::get<0>(info.param).name) + places[static_cast<int>(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(Texts, XmlSafetyRefusal,
                         ::testing::Combine(::testing::ValuesIn(kDeclarations),
                                            ::testing::Values(Place::ReportTemplate, Place::PretransformTemplate,
                                                              Place::PretransformProduct)),
                         refusal_name);

TEST_F(XmlSafety, RefusesAnExternalSubsetThatThePretransformOutputNames) {
    // The subset reads the secret into a default attribute value, which the
    // echoing report would show.
    std::string dtd = folder.file("leak.dtd");
    WriteFileBytes(dtd, "<!ENTITY % s SYSTEM \"file://" + secretPath +
                            "\"><!ENTITY leak \"%s;\"><!ATTLIST TORVALE_CODEPLUG leak CDATA \"&leak;\">");
    WriteFileBytes(folder.file("pretransform.qzt"), copying_pretransform("doctype-system=\"file://" + dtd + "\"", ""));
    EXPECT_EQ(report(), XMLXSL_E_PRODUCT);
    EXPECT_EQ(html, "(none)");
    EXPECT_EQ(appended(), kRefusal);
}

TEST_F(XmlSafety, FindsTheDeclarationInTheEncodingTheTextDeclares) {
    std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-16\"?><!DOCTYPE xsl:stylesheet [<!ENTITY x SYSTEM \"file://" +
        secretPath + "\">]>" + kStylesheet +
        "<xsl:template match=\"/\"><html>&x;</html></xsl:template></xsl:stylesheet>";
    std::string utf16 = "\xFF\xFE";
    for (char c : text) utf16 += std::string{c, '\0'};
    WriteFileBytes(templatePath, utf16);
    EXPECT_EQ(report(), XMLXSL_E_PRODUCT);
    EXPECT_EQ(html, "(none)");
    EXPECT_EQ(appended(), kRefusal);
}

TEST_F(XmlSafety, LeavesADeclarationInACommentOrCdataAlone) {
    std::string pretransform = copying_pretransform("cdata-section-elements=\"TORVALE_CODEPLUG\"",
                                                    "<![CDATA[<!DOCTYPE r [<!ENTITY x \"y\">]>]]>");
    pretransform.insert(pretransform.find('\n') + 1, "<!-- <!DOCTYPE r> -->\n");
    WriteFileBytes(folder.file("pretransform.qzt"), pretransform);
    ASSERT_EQ(report(), XMLXSL_S_OK) << appended();
    EXPECT_EQ(html.rfind("<html><body>&lt;!DOCTYPE r [&lt;!ENTITY x \"y\"&gt;]&gt;", 0), 0u) << html;
    EXPECT_EQ(appended(), "");
}

TEST_F(XmlSafety, ReadsNoOtherDocumentThroughTheStylesheet) {
    std::string other = folder.file("other.xsl");
    WriteFileBytes(other, kStylesheet + "<xsl:template name=\"other\">" + kSecret + "</xsl:template></xsl:stylesheet>");
    std::string reading = kEchoingReport;
    reading.replace(reading.find("/*\"/>|"), 6, "document('file://" + other + "')\"/>|");
    WriteFileBytes(templatePath, reading);
    ASSERT_EQ(report(), XMLXSL_S_OK) << appended();
    EXPECT_EQ(html, "<html><body>|</body></html>");

    std::string including = kEchoingReport;
    including.insert(including.find("<xsl:output"), "<xsl:include href=\"file://" + other + "\"/>");
    WriteFileBytes(templatePath, including);
    EXPECT_EQ(report(), XMLXSL_E_PRODUCT);
    EXPECT_EQ(appended(), "StreamTransform Error: other documents are not read\n");
}

class XmlSafetyImport : public XmlSafety, public ::testing::WithParamInterface<Declaration> {};

TEST_P(XmlSafetyImport, IsRefusedByTheDocumentServer) {
    std::string text = "<?xml version=\"1.0\"?><!DOCTYPE TORVALE_CODEPLUG [" + subset(GetParam()) +
                       "]><TORVALE_CODEPLUG VERSION=\"1.0\">" + GetParam().reference + "</TORVALE_CODEPLUG>";
    for (char& byte : text) byte = static_cast<char>(static_cast<unsigned char>(byte) ^ 0xD4);
    std::string file = folder.file("hostile.xml");
    WriteFileBytes(file, text);
    auto into = MemoryCodeplug::Create();
    EXPECT_EQ(library.XML2CP(file.c_str(), into.get()), 0x80040405u);  // the server's DOCSERVER_E_DOCTYPE
    EXPECT_TRUE(into->setOrder().empty());
    EXPECT_EQ(appended(), "");
}

INSTANTIATE_TEST_SUITE_P(Texts, XmlSafetyImport, ::testing::ValuesIn(kDeclarations),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
