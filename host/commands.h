#pragma once

// The program's commands. Each throws CommandError (or CodeplugFileError)
// with the line to print when it fails, and changes no existing file then.
// Those that use the library need COM initialised on the thread.
//
// Every command checks in one order: an output that is one of its inputs
// (same_file.h), then how each output can be written (output_target.h),
// then its inputs, and only then calls the library. An output path "-" means
// the standard output; `force` lets a read-only output be written.

#include <string>

void RunExport(const std::string& codeplugFile, const std::string& xmlFile, bool force);
// An empty output means the standard output.
void RunImport(const std::string& xmlFile, const std::string& output, bool force);
void RunShow(const std::string& xmlFile);

struct ReportRequest {
    // A codeplug file, recognised by its name's ending ".json", or any other
    // name for a scrambled XML file.
    std::string input;
    std::string templatePath;
    // UTF-8, as the registry names the language.
    std::string language;
    // The .reg file of the settings; empty for XMLXSL_REGISTRY's.
    std::string registry;
    std::string output;
    bool force = false;
};
void RunReport(const ReportRequest& request);

// The channel list of a codeplug (a codeplug file, recognised by its name's
// ending ".json", or a scrambled XML file) as CSV (channel_csv.h), with the
// display names of `language` (UTF-8). An empty output means the standard
// output.
void RunChannelsExport(const std::string& input, const std::string& output, const std::string& language, bool excel,
                       bool force);

// The codeplug (a codeplug file or a scrambled XML file) with the CSV's
// channel list, written as a scrambled XML file when the output's name ends
// in ".xml", else as a codeplug file. An empty output means the standard
// output.
void RunChannelsImport(const std::string& csv, const std::string& input, const std::string& output, bool force);

// Prints the findings of codeplug_check.h about a codeplug file or a
// scrambled XML file, as text or as JSON (`format`); the fields' display
// names are `language`'s. Returns 1 when an error is found, else 0; throws
// as every command does when the file cannot be checked.
int RunCheck(const std::string& input, const std::string& language, const std::string& format);

// An empty output means the standard output.
void RunGenerate(int channels, const std::string& output, bool force);

// The main job on a sample folder that holds radio.json, report.xsl with
// pretransform.qzt beside it, the resource string files and settings.reg:
// export, import and compare block by block, then the report in English and
// in German, all written into `out`. Uses settings.reg as the registry
// unless XMLXSL_REGISTRY is set.
void RunDemo(const std::string& samples, const std::string& out, bool force);
