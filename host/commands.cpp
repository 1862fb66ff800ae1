#include "host/commands.h"

#include <algorithm>
#include <cctype>

#include "host/codeplug_generator.h"
#include "host/codeplug_json.h"
#include "host/input_file.h"
#include "host/library_calls.h"
#include "host/staged_file.h"

namespace {

Codeplug read_codeplug_file(const std::string& path) { return ReadCodeplugJson(ReadInputFile(path), path); }

bool names_codeplug_file(std::string path) {
    std::transform(path.begin(), path.end(), path.begin(), [](unsigned char c) { return std::tolower(c); });
    return path.ends_with(".json");
}

}  // namespace

void RunExport(const std::string& codeplugFile, const std::string& xmlFile) {
    Codeplug codeplug = read_codeplug_file(codeplugFile);
    library_session library;
    ExportXmlFile(codeplug, xmlFile);
}

void RunImport(const std::string& xmlFile, const std::string& output) {
    std::string text;
    {
        library_session library;
        text = WriteCodeplugJson(ImportXmlFile(xmlFile));
    }
    WriteOutput(output, text);
}

void RunShow(const std::string& xmlFile) {
    std::string text;
    {
        library_session library;
        ImportXmlFile(xmlFile);
        text = LatestXmlText();
    }
    WriteOutput("", text);
}

void RunReport(const std::string& input, const std::string& templatePath, const std::string& language,
               const std::string& output) {
    std::string html;
    {
        library_session library;
        Codeplug codeplug = names_codeplug_file(input) ? read_codeplug_file(input) : ImportXmlFile(input);
        html = CreateReport(codeplug, templatePath, language);
    }
    WriteOutput(output, html);
}

void RunGenerate(int channels, const std::string& output) {
    WriteOutput(output, WriteCodeplugJson(GenerateRealisticCodeplug(channels)));
}
