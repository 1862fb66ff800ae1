#include <cstdio>
#include <filesystem>
#include <iterator>
#include <system_error>
#include <vector>

#include "host/codeplug_json.h"
#include "host/command_error.h"
#include "host/commands.h"
#include "host/input_file.h"
#include "host/library_calls.h"
#include "host/report_settings.h"
#include "host/same_file.h"
#include "host/staged_file.h"
#include "platform/environment.h"

namespace {

struct ReportLanguage {
    const char* name;
    const char* fileName;
};

constexpr ReportLanguage kReportLanguages[] = {{"English", "report-english.html"}, {"German", "report-german.html"}};

// Prints one line for each block, and throws when any block came back changed.
void compare_block_by_block(const Codeplug& exported, const Codeplug& imported, const std::string& xmlFile) {
    std::string changed;
    int changes = 0;
    for (const RegionLayout& region : CodeplugRegions())
        for (const BlockLayout& layout : region.blocks) {
            std::string name(FieldName(layout.fieldId));
            auto before = exported.blocks.find(layout.fieldId);
            auto after = imported.blocks.find(layout.fieldId);
            bool same =
                before != exported.blocks.end() && after != imported.blocks.end() && before->second == after->second;
            std::size_t fields = before == exported.blocks.end() ? 0 : CountFields(Codeplug{{*before}});
            std::printf("  %-10s %6zu fields  %s\n", name.c_str(), fields,
                        same ? "same after the round trip" : "CHANGED by the round trip");
            if (same) continue;
            changed += changed.empty() ? name : ", " + name;
            ++changes;
        }
    if (changes > 0)
        throw CommandError(xmlFile + ": the round trip changed " + std::to_string(changes) + " blocks: " + changed);
}

}  // namespace

void RunDemo(const std::string& samples, const std::string& out, bool force) {
    namespace fs = std::filesystem;
    std::error_code error;
    if (!fs::is_directory(samples, error))
        throw CommandError(samples + ": no such folder; give the sample folder with --samples DIR");
    std::string sampleCodeplug = (fs::path(samples) / "radio.json").string();
    std::string reportTemplate = (fs::path(samples) / "report.xsl").string();

    // The user's own registry file, when set, wins over the sample's.
    if (GetEnvironmentVariableA("XMLXSL_REGISTRY", nullptr, 0) == 0) {
        std::string registry = fs::absolute(fs::path(samples) / "settings.reg").string();
        SetEnvironmentVariableA("XMLXSL_REGISTRY", registry.c_str());
    }

    std::vector<named_input> inputs = {{"the codeplug", sampleCodeplug}};
    for (const ReportLanguage& language : kReportLanguages)
        for (named_input& input : ReportInputs(reportTemplate, language.name)) inputs.push_back(std::move(input));
    std::string xmlFile = (fs::path(out) / "radio.xml").string();
    RefuseOutputOverInputs(xmlFile, inputs);
    for (const ReportLanguage& language : kReportLanguages)
        RefuseOutputOverInputs((fs::path(out) / language.fileName).string(), inputs);

    Codeplug codeplug = ReadCodeplugJson(ReadCodeplugInput(sampleCodeplug), sampleCodeplug);
    fs::create_directories(out, error);
    if (error) throw CommandError(out + ": the folder cannot be made: " + error.message());
    output_target xmlTarget = ResolveOutputTarget(xmlFile, force);
    std::vector<output_target> reportTargets;
    for (const ReportLanguage& language : kReportLanguages)
        reportTargets.push_back(ResolveOutputTarget((fs::path(out) / language.fileName).string(), force));

    library_session library;
    ExportXmlFile(codeplug, xmlTarget, sampleCodeplug);
    std::printf("wrote %s: %s as a scrambled XML file, %zu fields\n", xmlFile.c_str(), sampleCodeplug.c_str(),
                CountFields(codeplug));

    std::printf("read %s back:\n", xmlFile.c_str());
    compare_block_by_block(codeplug, ImportXmlFile(xmlFile), xmlFile);

    for (std::size_t index = 0; index < std::size(kReportLanguages); ++index) {
        const ReportLanguage& language = kReportLanguages[index];
        WriteOutput(reportTargets[index], CreateReport(codeplug, reportTemplate, language.name));
        std::printf("wrote %s: the report in %s\n", reportTargets[index].given.c_str(), language.name);
    }
}
