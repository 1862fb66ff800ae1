#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "host/codeplug_generator.h"
#include "platform/ansi.h"
#include "platform/environment.h"
#include "platform/unique_bstr.h"
#include "tests/support/com_apartment.h"
#include "tests/support/loaded_library.h"
#include "tests/support/scripted_codeplug.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

// Export, import and an English report over and over, every fifth report
// from a template that asks for a tag the resource file lacks: the same file,
// codeplug and page every time, and one more line of error text for each
// failed report. How memory stays flat over thousands of cycles is a figure
// of bench/.
TEST(Soak, RepeatedRoundTripsAndReportsGiveTheSameOutputAndTheExactErrorText) {
    // In this order, so that the library unloads, releasing its server, before
    // COM ends, and before the folder goes.
    ComApartment com;
    TempFolder folder;
    LoadedLibrary library;
    ASSERT_TRUE(library.loaded());
    ASSERT_EQ(library.Open(), XMLXSL_S_OK);
    // Copies, because the library locks every file it reads and other tests read the sample too.
    for (const char* name : {"pretransform.qzt", "report.xsl", "english.txt"})
        fs::copy_file(fs::path(XMLXSL_SAMPLES_DIR) / name, folder.path() / name);
    std::string broken = ReadFileBytes(folder.file("report.xsl"));
    WriteFileBytes(folder.file("broken.xsl"), broken.replace(broken.find('^') + 1, 4, "NONE"));
    SetEnvironmentVariableA("XMLXSL_REGISTRY", XMLXSL_SAMPLES_DIR "/settings.reg");
    unique_variant english = make_bstr_variant(u"English");
    auto close = [&](const com_ptr<ScriptedCodeplug>& codeplug) {
        return library.CloseXMLFile(reinterpret_cast<std::uintptr_t>(static_cast<ICodeplug*>(codeplug.get())));
    };
    auto codeplug = ScriptedCodeplug::Create(GenerateRealisticCodeplug(2));
    const std::string file = folder.file("radio.xml");
    std::string firstFile, firstPage, errors = "Errors: \n";
    for (int cycle = 0; cycle < 50; ++cycle) {
        ASSERT_EQ(library.CP2XML(file.c_str(), codeplug.get()), XMLXSL_S_OK) << cycle;
        ASSERT_EQ(close(codeplug), XMLXSL_S_OK);
        if (cycle == 0) firstFile = ReadFileBytes(file);
        ASSERT_EQ(ReadFileBytes(file), firstFile) << cycle;
        auto into = ScriptedCodeplug::Create();
        ASSERT_EQ(library.XML2CP(file.c_str(), into.get()), XMLXSL_S_OK) << cycle;
        ASSERT_EQ(close(into), XMLXSL_S_OK);
        ASSERT_EQ(into->codeplug(), codeplug->codeplug()) << cycle;

        const bool fails = cycle % 5 == 4;
        const std::string reportTemplate = folder.file(fails ? "broken.xsl" : "report.xsl");
        unique_bstr page;
        const DWORD status = library.CreateHTML(codeplug.get(), reportTemplate.c_str(), english.get(), page.put());
        if (fails) {
            ASSERT_EQ(status, XMLXSL_E_RESOURCE) << cycle;
            ASSERT_FALSE(page) << cycle;
            errors += "Can not find resource NONE. \n";
        } else {
            ASSERT_EQ(status, XMLXSL_S_OK) << cycle;
            if (firstPage.empty()) firstPage = to_ansi(page.get());
            ASSERT_EQ(to_ansi(page.get()), firstPage) << cycle;
        }
        ASSERT_EQ(library.errorText(), errors) << cycle;
    }
    SetEnvironmentVariableA("XMLXSL_REGISTRY", nullptr);
}

}  // namespace
