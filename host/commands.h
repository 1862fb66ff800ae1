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

struct DiffRequest {
    // Each a codeplug file (*.json) or a scrambled XML file, as for report.
    std::string before;
    std::string after;
    // "text", "json" or "html".
    std::string format = "text";
    // "English" or "German" (also "Deutsch"), in any case.
    std::string language = "English";
    // Blocks and fields by their table names rather than display names.
    bool tableNames = false;
    // Empty or "-" for the standard output.
    std::string output;
    bool force = false;
};
// Writes every difference between the two codeplugs (codeplug_diff.h) in
// the format asked for (diff_report.h); returns 0 when they are equal and 1
// when they differ.
int RunDiff(const DiffRequest& request);

// Writes a plain XML text, as show prints it and in the encoding that its
// declaration names (plain_xml_text.h), into a scrambled XML file: the text
// is imported through the library and the codeplug exported again, so that
// the file is what an export writes. Nothing is written for a text that is
// not a codeplug.
void RunPack(const std::string& plainFile, const std::string& output, bool force);
