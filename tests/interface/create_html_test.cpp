#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "host/memory_codeplug.h"
#include "platform/ansi.h"
#include "platform/environment.h"
#include "platform/unique_bstr.h"
#include "tests/support/com_apartment.h"
#include "tests/support/loaded_library.h"
#include "tests/support/report_templates.h"
#include "tests/support/sample_codeplugs.h"
#include "tests/support/temp_folder.h"

namespace {

// Dealer blocks go out unescaped so that their line breaks become <br />.
const char* const kReport = R"xsl(<?xml version="1.0"?>
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
<xsl:output method="html" encoding="windows-1252"/>
<xsl:template match="/"><html><head><title>^TITL^</title></head><body>
<div><xsl:text disable-output-escaping="yes">^0002^</xsl:text></div>
<div>^0004^|^0003^</div>
<xsl:for-each select="//ALIAS"><p><xsl:value-of select="."/></p></xsl:for-each>
</body></html></xsl:template>
</xsl:stylesheet>
)xsl";

// A multi-string value as the registry editor writes it: UTF-16LE bytes.
std::string multi_string(const std::vector<std::string>& lines) {
    std::string hex = "hex(7):";
    auto add = [&](unsigned char byte) {
        char pair[4];
        std::snprintf(pair, sizeof pair, "%02x,", byte);
        hex += pair;
    };
    for (const std::string& line : lines) {
        for (char c : line) add(static_cast<unsigned char>(c)), add(0);
        add(0), add(0);
    }
    add(0), add(0);
    hex.pop_back();
    return hex;
}

class CreateHtml : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFileBytes(folder.file("pretransform.qzt"), kIdentityPretransform);
        WriteFileBytes(templatePath, kReport);
        WriteFileBytes(folder.file("english.txt"), "# report texts\nTITL  Radio report & <settings>\n");
        writeRegistry("\"DealerInfoLeft\"=" + multi_string({"Radio Shop", "Main Street 1"}) +
                      "\n\"DealerInfoMiddle\"=\"555-0100\"\n\"DealerInfoRight\"=\"shop@example.com\"\n");
        ASSERT_TRUE(library.loaded());
        ASSERT_EQ(library.Open(), XMLXSL_S_OK);
    }
    void TearDown() override { SetEnvironmentVariableA("XMLXSL_REGISTRY", nullptr); }

public:
    void writeRegistry(const std::string& dealerValues) {
        std::string registry = folder.file("settings.reg");
        WriteFileBytes(registry,
                       "Windows Registry Editor Version 5.00\n\n"
                       "[HKEY_LOCAL_MACHINE\\Software\\Corvane\\TORVALE]\n" +
                           dealerValues +
                           "\n[HKEY_LOCAL_MACHINE\\Software\\Corvane\\TORVALE\\Language\\English]\n"
                           "\"ReportResource\"=\"C:\\\\Program Files\\\\Radio\\\\english.txt\"\n");
        SetEnvironmentVariableA("XMLXSL_REGISTRY", registry.c_str());
    }

protected:
    DWORD report(std::string& html, const char16_t* language = u"English") {
        VARIANT name;
        VariantInit(&name);
        name.vt = VT_BSTR;
        name.bstrVal = SysAllocString(language);
        unique_bstr text;
        DWORD status = library.CreateHTML(codeplug.get(), templatePath.c_str(), &name, text.put());
        VariantClear(&name);
        html = text ? to_ansi(text.get()) : std::string("(none)");
        return status;
    }

    // What this test appended to the error text.
    std::string appended() const { return library.errorText().substr(std::string("Errors: \n").size()); }

    ComApartment com;
    TempFolder folder;
    std::string templatePath = folder.file("report.xsl");
    LoadedLibrary library;
    com_ptr<MemoryCodeplug> codeplug = MemoryCodeplug::Create(SmallCodeplug());
};

TEST_F(CreateHtml, GivesTheReportInTheLanguageWithTheDealersBlocks) {
    std::get<EntryBlock>(codeplug->codeplug().blocks[field::CP_BLOCK]).items[0][1].value = u"Fire Dispatch 1";
    std::string html;
    ASSERT_EQ(report(html), XMLXSL_S_OK) << appended();
    EXPECT_EQ(html.rfind("<html>", 0), 0u) << html;
    EXPECT_EQ(html.substr(html.size() - 7), "</html>");
    EXPECT_NE(html.find("<title>Radio report & &lt;settings&gt;</title>"), std::string::npos) << html;
    // The CR of the multi-string's CR LF is a line end to the XML parser.
    EXPECT_NE(html.find("<div>Radio Shop\n<br />Main Street 1</div>"), std::string::npos) << html;
    EXPECT_NE(html.find("<div>555-0100|shop@example.com</div>"), std::string::npos) << html;
    // The alias rewrite's substitute reaches the stylesheets, which here keep it.
    EXPECT_NE(html.find("<p>Fire()?!$%Dispatch()?!$%1</p>"), std::string::npos) << html;
    EXPECT_EQ(appended(), "");
}

TEST_F(CreateHtml, GivesTheSameReportTwice) {
    std::string first;
    std::string second;
    ASSERT_EQ(report(first), XMLXSL_S_OK);
    ASSERT_EQ(report(second), XMLXSL_S_OK);
    EXPECT_EQ(first, second);
}

struct ReportFailure {
    const char* name;
    void (*arrange)(CreateHtml& test, TempFolder& folder, std::string& templatePath);
    DWORD status;
    const char* appended;  // "%f" stands for the test folder
};

void replace_in_template(const std::string& path, const std::string& from, const std::string& to) {
    std::string text = ReadFileBytes(path);
    text.replace(text.find(from), from.size(), to);
    WriteFileBytes(path, text);
}

const ReportFailure kFailures[] = {
    {"MissingTag", [](CreateHtml&, TempFolder&, std::string& t) { replace_in_template(t, "^TITL^", "^NONE^"); },
     0x80040713, "Can not find resource NONE. \n"},
    {"OddCarets", [](CreateHtml&, TempFolder&, std::string& t) { replace_in_template(t, "^TITL^", "^TITL^^"); },
     0x80040715, "Uneven number of ^. Bad formatting.\n"},
    {"TagOfWrongLength", [](CreateHtml&, TempFolder&, std::string& t) { replace_in_template(t, "^TITL^", "^TIT^"); },
     0x80040714, "XSL tag is of wrong length.\n"},
    {"MissingDealerValue",
     [](CreateHtml& test, TempFolder&, std::string&) { test.writeRegistry("\"DealerInfoRight\"=\"x\"\n"); }, 0x80040001,
     "DealerInfoLeft is bad\n"},
    {"MissingTemplate", [](CreateHtml&, TempFolder& f, std::string& t) { t = f.file("none.xsl"); }, 0x80040703,
     "%f/none.xsl could not be opened.\n"},
    {"MissingPretransform",
     [](CreateHtml&, TempFolder& f, std::string&) { std::filesystem::remove(f.file("pretransform.qzt")); }, 0x80040703,
     "%f/pretransform.qzt could not be opened.\n"},
    {"MissingResourceFile",
     [](CreateHtml&, TempFolder& f, std::string&) { std::filesystem::remove(f.file("english.txt")); }, 0x80040703,
     "%f/english.txt could not be opened.\n"},
    {"MalformedResourceLine",
     [](CreateHtml&, TempFolder& f, std::string&) { WriteFileBytes(f.file("english.txt"), "TITL\n"); }, 0x80040712, ""},
    {"ReportWithoutClosingTag",
     [](CreateHtml&, TempFolder&, std::string& t) { replace_in_template(t, "method=\"html\"", "method=\"text\""); },
     0x80040717, ""},
    {"PretransformWithoutRoot",
     [](CreateHtml&, TempFolder& f, std::string&) {
         replace_in_template(f.file("pretransform.qzt"), "<xsl:copy>", "<xsl:copy><xsl:comment/>");
         replace_in_template(f.file("pretransform.qzt"), "match=\"@*|node()\"", "match=\"/\"");
     },
     0x80040717, "Malformed XML product after pretransform.\n"},
};

class CreateHtmlFailure : public CreateHtml, public ::testing::WithParamInterface<ReportFailure> {};

TEST_P(CreateHtmlFailure, AppendsItsLineAndGivesItsStatus) {
    GetParam().arrange(*this, folder, templatePath);
    std::string html;
    EXPECT_EQ(report(html), GetParam().status);
    EXPECT_EQ(html, "(none)");
    std::string expected = GetParam().appended;
    if (std::size_t at = expected.find("%f"); at != std::string::npos) expected.replace(at, 2, folder.path().string());
    EXPECT_EQ(appended(), expected);
}

INSTANTIATE_TEST_SUITE_P(Causes, CreateHtmlFailure, ::testing::ValuesIn(kFailures),
                         [](const auto& info) { return std::string(info.param.name); });

// The XML libraries' own complaints would land on the host's standard
// error; only the error text tells of them.
TEST_F(CreateHtml, ReportsAStylesheetTheProcessorRejectsInTheErrorTextAlone) {
    for (const char* broken : {"<xsl:for-nothing", "<xsl:for-each <"}) {
        const std::size_t before = appended().size();
        replace_in_template(templatePath, "<xsl:for-each", broken);
        std::string html;
        testing::internal::CaptureStderr();
        testing::internal::CaptureStdout();
        EXPECT_EQ(report(html), XMLXSL_E_PRODUCT) << broken;
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << broken;
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << broken;
        const std::string lines = appended().substr(before);
        EXPECT_EQ(lines.rfind("StreamTransform Error: ", 0), 0u) << lines;
        replace_in_template(templatePath, broken, "<xsl:for-each");
    }
}

// Characters that code page 1252 lacks travel as references through both
// passes; the page, with its references decoded, shows the names as given.
TEST_F(CreateHtml, ShowsCharactersTheCodePageLacks) {
    const std::u16string alias = u"\u0141od\u017A|\u6771\u4EAC|\U0001F692";
    std::get<EntryBlock>(codeplug->codeplug().blocks[field::CP_BLOCK]).items[0][1].value = alias;
    std::string html;
    ASSERT_EQ(report(html), XMLXSL_S_OK) << appended();
    std::u16string decoded;
    for (std::size_t at = 0; at < html.size();) {
        if (html.compare(at, 2, "&#") == 0 && html.find(';', at) != std::string::npos) {
            const std::size_t end = html.find(';', at);
            const bool hex = html[at + 2] == 'x' || html[at + 2] == 'X';
            char32_t code = std::stoul(html.substr(at + (hex ? 3 : 2), end - at - (hex ? 3 : 2)), nullptr, hex ? 16 : 10);
            if (code >= 0x10000)
                decoded += {static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)),
                            static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF))};
            else
                decoded += static_cast<char16_t>(code);
            at = end + 1;
        } else {
            decoded += to_wide(std::string_view(&html[at], 1));
            ++at;
        }
    }
    EXPECT_NE(decoded.find(u"<p>" + alias + u"</p>"), std::u16string::npos) << html;
}

TEST_F(CreateHtml, AMissingLanguageKeyGivesTheRegistrysCode) {
    std::string html;
    EXPECT_EQ(report(html, u"Klingon"), 0x80040002u);
    EXPECT_EQ(appended(), "");
}

TEST_F(CreateHtml, ALanguageThatHoldsNoStringFailsCleanly) {
    VARIANT number;
    VariantInit(&number);
    number.vt = VT_I4;
    number.lVal = 7;
    unique_bstr html;
    DWORD status = library.CreateHTML(codeplug.get(), templatePath.c_str(), &number, html.put());
    EXPECT_TRUE(status == 0x80040001u || status == 0x80040002u) << std::hex << status;
    EXPECT_EQ(html.get(), nullptr);
}

TEST_F(CreateHtml, AConversionFailureEndsTheCallWithoutALine) {
    codeplug->failOnGet(field::RC_BLOCK, static_cast<HRESULT>(0x80070005));
    std::string html;
    EXPECT_EQ(report(html), 0x80070005u);
    EXPECT_EQ(appended(), "");
}

TEST_F(CreateHtml, TheErrorTextOnlyGrows) {
    replace_in_template(templatePath, "^TITL^", "^NONE^");
    std::string html;
    ASSERT_EQ(report(html), XMLXSL_E_RESOURCE);
    ASSERT_EQ(report(html), XMLXSL_E_RESOURCE);
    EXPECT_EQ(appended(), "Can not find resource NONE. \nCan not find resource NONE. \n");
    replace_in_template(templatePath, "^NONE^", "^TITL^");
    ASSERT_EQ(report(html), XMLXSL_S_OK);
    EXPECT_EQ(appended(), "Can not find resource NONE. \nCan not find resource NONE. \n");
}

TEST_F(CreateHtml, NothingHappensWhileClosed) {
    ASSERT_EQ(library.Close(), XMLXSL_S_OK);
    std::string html;
    EXPECT_EQ(report(html), XMLXSL_E_NOTOPEN);
    EXPECT_TRUE(codeplug->getOrder().empty());
}

}  // namespace
