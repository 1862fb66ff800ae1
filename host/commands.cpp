#include "host/commands.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "host/channel_csv.h"
#include "host/check_report.h"
#include "host/codeplug_check.h"
#include "host/codeplug_diff.h"
#include "host/codeplug_generator.h"
#include "host/codeplug_json.h"
#include "host/command_error.h"
#include "host/diff_report.h"
#include "host/input_file.h"
#include "host/library_calls.h"
#include "host/plain_xml_text.h"
#include "host/report_settings.h"
#include "host/same_file.h"
#include "host/staged_file.h"
#include "platform/environment.h"

namespace {

Codeplug read_codeplug_file(const std::string& path) { return ReadCodeplugJson(ReadCodeplugInput(path), path); }

bool name_ends_with(std::string path, std::string_view ending) {
    std::transform(path.begin(), path.end(), path.begin(), [](unsigned char c) { return std::tolower(c); });
    return path.ends_with(ending);
}

bool names_codeplug_file(const std::string& path) { return name_ends_with(path, ".json"); }

// A codeplug file, or a scrambled XML file read through the library.
Codeplug read_codeplug_input(const std::string& path) {
    if (names_codeplug_file(path)) return read_codeplug_file(path);
    library_session library;
    return ImportXmlFile(path);
}

std::string or_standard_output(const std::string& output) { return output.empty() ? "-" : output; }

}  // namespace

void RunExport(const std::string& codeplugFile, const std::string& xmlFile, bool force) {
    RefuseOutputOverInputs(xmlFile, {{"the codeplug", codeplugFile}});
    output_target target = ResolveOutputTarget(xmlFile, force);
    Codeplug codeplug = read_codeplug_file(codeplugFile);
    library_session library;
    ExportXmlFile(codeplug, target, codeplugFile);
}

void RunImport(const std::string& xmlFile, const std::string& output, bool force) {
    RefuseOutputOverInputs(or_standard_output(output), {{"the XML file", xmlFile}});
    output_target target = ResolveOutputTarget(or_standard_output(output), force);
    std::string text;
    {
        library_session library;
        text = WriteCodeplugJson(ImportXmlFile(xmlFile));
    }
    WriteOutput(target, text);
}

void RunShow(const std::string& xmlFile) {
    RefuseOutputOverInputs("-", {{"the XML file", xmlFile}});
    std::string text;
    {
        library_session library;
        ImportXmlFile(xmlFile);
        text = LatestXmlText();
    }
    WriteOutput(ResolveOutputTarget("-", false), text);
}

void RunReport(const ReportRequest& request) {
    if (!request.registry.empty() && !SetEnvironmentVariableA("XMLXSL_REGISTRY", request.registry.c_str()))
        throw CommandError(request.registry + ": cannot be named as the registry file");
    std::vector<named_input> inputs = ReportInputs(request.templatePath, request.language);
    inputs.insert(inputs.begin(), {"the codeplug", request.input});
    RefuseOutputOverInputs(request.output, inputs);
    output_target target = ResolveOutputTarget(request.output, request.force);
    Codeplug codeplug = read_codeplug_input(request.input);
    std::string html;
    {
        library_session library;
        html = CreateReport(codeplug, request.templatePath, request.language);
    }
    WriteOutput(target, html);
}

void RunChannelsExport(const std::string& input, const std::string& output, const std::string& language, bool excel,
                       bool force) {
    RefuseOutputOverInputs(or_standard_output(output), {{"the codeplug", input}});
    output_target target = ResolveOutputTarget(or_standard_output(output), force);
    FieldDisplayNames names(language);
    Codeplug codeplug = read_codeplug_input(input);
    std::string csv;
    try {
        csv = WriteChannelCsv(codeplug, names, excel);
    } catch (const ChannelCsvError& error) {
        throw CommandError(input + ": " + error.what());
    }
    WriteOutput(target, csv);
}

void RunChannelsImport(const std::string& csv, const std::string& input, const std::string& output, bool force) {
    const std::string written = or_standard_output(output);
    RefuseOutputOverInputs(written, {{"the channel list", csv}, {"the codeplug", input}});
    output_target target = ResolveOutputTarget(written, force);
    std::string text = ReadCsvInput(csv);
    Codeplug codeplug = read_codeplug_input(input);
    try {
        codeplug = ReplaceChannels(codeplug, text);
    } catch (const ChannelCsvError& error) {
        throw CommandError(csv + ": " + error.what());
    }
    if (!name_ends_with(written, ".xml")) {
        WriteOutput(target, WriteCodeplugJson(codeplug));
        return;
    }
    library_session library;
    ExportXmlFile(codeplug, target, input);
}

int RunCheck(const std::string& input, const std::string& language, const std::string& format) {
    RefuseOutputOverInputs("-", {{"the codeplug", input}});
    FieldDisplayNames names(language);
    Codeplug codeplug = read_codeplug_input(input);
    std::vector<Finding> findings = CheckCodeplug(codeplug);
    WriteOutput(ResolveOutputTarget("-", false), format == "json" ? FindingsJson(input, codeplug, findings, names)
                                                                  : FindingsText(input, codeplug, findings, names));
    return HasErrors(findings) ? 1 : 0;
}

void RunGenerate(int channels, const std::string& output, bool force) {
    output_target target = ResolveOutputTarget(or_standard_output(output), force);
    WriteOutput(target, WriteCodeplugJson(GenerateRealisticCodeplug(channels)));
}

int RunDiff(const DiffRequest& request) {
    const std::optional<Language> language = FindDiffLanguage(request.language);
    if (!language) throw CommandError("no language \"" + request.language + "\" for diff; use English or German");
    const std::string output = or_standard_output(request.output);
    RefuseOutputOverInputs(output, {{"the first codeplug", request.before}, {"the second codeplug", request.after}});
    output_target target = ResolveOutputTarget(output, request.force);
    const Codeplug before = read_codeplug_input(request.before);
    const Codeplug after = read_codeplug_input(request.after);
    const std::vector<difference> differences = DiffCodeplugs(before, after);
    diff_wording words(*language, request.tableNames);
    const diff_sources sources{request.before, request.after};
    if (request.format == "json")
        WriteOutput(target, DiffAsJson(differences, words, sources));
    else if (request.format == "html")
        WriteOutput(target, DiffAsHtml(differences, words, sources, after));
    else
        WriteOutput(target, DiffAsText(differences, words));
    return differences.empty() ? 0 : 1;
}

void RunPack(const std::string& plainFile, const std::string& output, bool force) {
    RefuseOutputOverInputs(output, {{"the plain XML file", plainFile}});
    output_target target = ResolveOutputTarget(output, force);
    const std::u16string text = DecodePlainXml(ReadPlainXmlInput(plainFile), plainFile);
    library_session library;
    ExportXmlFile(ImportXmlText(text, target, plainFile), target, plainFile);
}
