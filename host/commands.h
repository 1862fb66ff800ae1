#pragma once

// The program's commands. Each throws CommandError (or CodeplugFileError)
// with the line to print when it fails, and changes no existing file then.
// Those that use the library need COM initialised on the thread.

#include <string>

// An empty output path means the standard output.
void RunExport(const std::string& codeplugFile, const std::string& xmlFile);
void RunImport(const std::string& xmlFile, const std::string& output);
void RunShow(const std::string& xmlFile);
// A codeplug file is recognised by its name's ending ".json"; any other
// input is taken for a scrambled XML file.
void RunReport(const std::string& input, const std::string& templatePath, const std::string& language,
               const std::string& output);
void RunGenerate(int channels, const std::string& output);

// The main job on a sample folder that holds radio.json, report.xsl with
// pretransform.qzt beside it, the resource string files and settings.reg:
// export, import and compare block by block, then the report in English and
// in German, all written into `out`. Uses settings.reg as the registry
// unless XMLXSL_REGISTRY is set.
void RunDemo(const std::string& samples, const std::string& out);
