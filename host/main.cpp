// The command-line host: drives the library through its exported functions
// as the radio programming application does. Exit status 0 on success, 1
// when a command fails, 2 for a command line it cannot read; a failure
// prints one line on the standard error, and for a report the lines that the
// library added to its error text.

#include <CLI/CLI.hpp>
#include <cstdio>
#include <functional>
#include <new>
#include <string>

#include "host/command_error.h"
#include "host/commands.h"
#include "platform/com.h"

#ifndef XMLXSL_SAMPLES_DIR
#define XMLXSL_SAMPLES_DIR "samples"
#endif

namespace {

constexpr int kFailed = 1;
constexpr int kUsage = 2;

int run_reporting_failure(const std::function<void()>& command) {
    try {
        command();
        return 0;
    } catch (const CommandError& failure) {
        std::fprintf(stderr, "xmlxsl: %s\n", failure.what());
        if (!failure.details().empty()) {
            std::fputs(failure.details().c_str(), stderr);
            if (failure.details().back() != '\n') std::fputc('\n', stderr);
        }
    } catch (const std::bad_alloc&) {
        std::fputs("xmlxsl: out of memory\n", stderr);
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "xmlxsl: %s\n", failure.what());
    }
    return kFailed;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Export, import, show and print radio codeplugs through the xmlxsl library.", "xmlxsl"};
    app.require_subcommand(1);
    std::function<void()> command;

    std::string codeplugFile, xmlFile, output, templatePath, language;
    std::string samples = XMLXSL_SAMPLES_DIR, out = "out/demo";
    int channels = 0;

    CLI::App* exportCommand = app.add_subcommand("export", "Write a codeplug file into a scrambled XML file");
    exportCommand->add_option("CODEPLUG.json", codeplugFile, "The codeplug file to read")->required();
    exportCommand->add_option("FILE.xml", xmlFile, "The scrambled XML file to write")->required();
    exportCommand->callback([&] { command = [&] { RunExport(codeplugFile, xmlFile); }; });

    CLI::App* importCommand = app.add_subcommand("import", "Read a scrambled XML file into a codeplug file");
    importCommand->add_option("FILE.xml", xmlFile, "The scrambled XML file to read")->required();
    importCommand->add_option("-o,--output", output, "The codeplug file to write (default: the standard output)");
    importCommand->callback([&] { command = [&] { RunImport(xmlFile, output); }; });

    CLI::App* showCommand = app.add_subcommand("show", "Print the plain XML text of a scrambled XML file");
    showCommand->add_option("FILE.xml", xmlFile, "The scrambled XML file to read")->required();
    showCommand->callback([&] { command = [&] { RunShow(xmlFile); }; });

    CLI::App* reportCommand = app.add_subcommand("report", "Write the HTML report of a codeplug");
    reportCommand->add_option("INPUT", codeplugFile, "A codeplug file (*.json) or a scrambled XML file")->required();
    reportCommand->add_option("--template", templatePath, "The XSL report template; pretransform.qzt lies beside it")
        ->required();
    reportCommand->add_option("--language", language, "The language, as the registry names it (English, German)")
        ->required();
    reportCommand->add_option("-o,--output", output, "The HTML file to write")->required();
    reportCommand->callback([&] { command = [&] { RunReport(codeplugFile, templatePath, language, output); }; });

    CLI::App* demoCommand =
        app.add_subcommand("demo", "Export, import and check the bundled sample, and write its reports");
    demoCommand->add_option("--out", out, "The folder for the files it writes")->capture_default_str();
    demoCommand->add_option("--samples", samples, "The sample folder")->capture_default_str();
    demoCommand->callback([&] { command = [&] { RunDemo(samples, out); }; });

    CLI::App* generateCommand = app.add_subcommand("generate", "Write a realistic codeplug file of any size");
    generateCommand->add_option("--channels", channels, "The number of channels")
        ->required()
        ->check(CLI::Range(0, 100000));
    generateCommand->add_option("-o,--output", output, "The codeplug file to write (default: the standard output)");
    generateCommand->callback([&] { command = [&] { RunGenerate(channels, output); }; });

    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& success) {
        return app.exit(success);
    } catch (const CLI::ParseError& error) {
        std::fprintf(stderr, "xmlxsl: %s; see xmlxsl --help\n", error.what());
        return kUsage;
    }

    if (FAILED(CoInitialize(nullptr))) {
        std::fputs("xmlxsl: COM cannot be initialised on this thread\n", stderr);
        return kFailed;
    }
    int result = run_reporting_failure(command);
    CoUninitialize();
    return result;
}
