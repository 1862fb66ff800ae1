#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/codeplug_generator.h"
#include "platform/ansi.h"
#include "platform/environment.h"
#include "platform/unique_bstr.h"
#include "platform/unique_variant.h"
#include "tests/load/open_library.h"

namespace {

namespace fs = std::filesystem;

constexpr int kCycles = 10000;
constexpr int kWarmUpCycles = 200;
constexpr int kCyclesPerReport = 10;     // 1,000 reports
constexpr int kReportsPerFailure = 100;  // 10 of them fail
constexpr int kRotatingFiles = 4;
constexpr long kAllowedGrowthKilobytes = 20 * 1024;
const std::string kMissingTagLine = "Can not find resource NONE. \n";

// The resident memory of this process in kilobytes; 0 when unknown.
long ResidentKilobytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return 0;
}

std::u16string NumberText(int number) {
    std::string digits = std::to_string(number);
    return {digits.begin(), digits.end()};
}

// The bundled sample's report in a good copy and in a broken copy whose
// template asks for a tag that the resource file lacks. Copies, because the
// library locks every file it reads and other tests read the sample too.
class Soak : public OpenLibrary {
protected:
    void SetUp() override {
        OpenLibrary::SetUp();
        if (HasFatalFailure()) return;
        const fs::path samples = XMLXSL_SAMPLES_DIR;
        for (const char* copy : {"good", "broken"}) {
            fs::create_directories(folder.path() / copy);
            for (const char* name : {"pretransform.qzt", "report.xsl", "english.txt"})
                fs::copy_file(samples / name, folder.path() / copy / name);
        }
        fs::copy_file(samples / "settings.reg", folder.path() / "settings.reg");
        SetEnvironmentVariableA("XMLXSL_REGISTRY", folder.file("settings.reg").c_str());

        std::string text = ReadFileBytes(brokenTemplate);
        std::size_t tag = text.find('^');
        ASSERT_NE(tag, std::string::npos);
        WriteFileBytes(brokenTemplate, text.replace(tag + 1, 4, "NONE"));
    }
    void TearDown() override { SetEnvironmentVariableA("XMLXSL_REGISTRY", nullptr); }

    // The English report of the codeplug, or "(none)" when the call gives none.
    DWORD report(ICodeplug* codeplug, const std::string& templatePath, std::string& html) {
        unique_variant english;
        english.get()->vt = VT_BSTR;
        english.get()->bstrVal = SysAllocString(u"English");
        unique_bstr text;
        DWORD status = library.CreateHTML(codeplug, templatePath.c_str(), english.get(), text.put());
        html = text ? to_ansi(text.get()) : std::string("(none)");
        return status;
    }

    std::string goodTemplate = folder.file("good/report.xsl");
    std::string brokenTemplate = folder.file("broken/report.xsl");
};

// Each cycle exports to the next of the rotating files, which moves the
// codeplug's entry there and lets the previous file go, and imports that
// previous file into a second codeplug, whose entry lets go of the file
// before. Every tenth cycle makes a report; every hundredth report fails.
TEST_F(Soak, ThousandsOfRoundTripsAndReportsKeepMemoryFlatAndTheErrorTextExact) {
#ifdef XMLXSL_SKIP_SOAK
    GTEST_SKIP() << "resident memory says nothing under the sanitizers";
#endif
    auto from = MemoryCodeplug::Create(GenerateRealisticCodeplug(2));
    auto into = MemoryCodeplug::Create();
    auto reported = MemoryCodeplug::Create(GenerateRealisticCodeplug(2));
    auto& counter = std::get<TypeRows>(from->codeplug().blocks[field::RRW_BLOCK]);
    ASSERT_FALSE(counter.empty());
    std::vector<std::string> files;
    for (int i = 0; i < kRotatingFiles; ++i) files.push_back(folder.file("radio-" + std::to_string(i) + ".xml"));

    Codeplug written;
    std::string expectedErrors = library.errorText();
    std::string firstHtml;
    long warmedUp = 0;
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        if (cycle == kWarmUpCycles) warmedUp = ResidentKilobytes();
        counter[0].value = NumberText(cycle);
        ASSERT_EQ(library.CP2XML(files[cycle % kRotatingFiles].c_str(), from.get()), XMLXSL_S_OK) << cycle;
        if (cycle > 0) {
            ASSERT_EQ(library.XML2CP(files[(cycle - 1) % kRotatingFiles].c_str(), into.get()), XMLXSL_S_OK) << cycle;
            ASSERT_EQ(into->codeplug(), written) << cycle;
        }
        written = from->codeplug();
        from->clearCalls();
        into->clearCalls();

        if (cycle % kCyclesPerReport != kCyclesPerReport - 1) continue;
        int number = cycle / kCyclesPerReport;
        std::string html;
        if (number % kReportsPerFailure == kReportsPerFailure - 1) {
            ASSERT_EQ(report(reported.get(), brokenTemplate, html), XMLXSL_E_RESOURCE) << number;
            ASSERT_EQ(html, "(none)");
            expectedErrors += kMissingTagLine;
        } else {
            ASSERT_EQ(report(reported.get(), goodTemplate, html), XMLXSL_S_OK) << number;
            if (firstHtml.empty()) firstHtml = html;
            ASSERT_EQ(html, firstHtml) << number;
        }
        ASSERT_EQ(library.errorText(), expectedErrors) << number;
        reported->clearCalls();
    }
    long grown = ResidentKilobytes() - warmedUp;

    EXPECT_GT(warmedUp, 0);
    EXPECT_LT(grown, kAllowedGrowthKilobytes) << "kB grown after the warm-up";
    EXPECT_EQ(library.errorText().size(), std::string("Errors: \n").size() + 10 * kMissingTagLine.size());
    EXPECT_EQ(library.CloseXMLFile(HandleOf(from)), XMLXSL_S_OK);
    EXPECT_EQ(library.CloseXMLFile(HandleOf(into)), XMLXSL_S_OK);
    for (const std::string& file : files) EXPECT_TRUE(AnotherProcessCanLock(file)) << file;
}

}  // namespace
