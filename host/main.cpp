// The command-line host: drives the library through its exported functions
// as the radio programming application does. Exit status 0 on success, 1
// when a command fails (check: when it finds an error, and 2 when the file
// cannot be checked), 2 for a command line or setting it cannot use, and
// 128 + n when signal n (SIGINT, SIGTERM, SIGHUP) interrupts it; a failure
// prints one line on the standard error, and for a report the lines that the
// library added to its error text.

#include <CLI/CLI.hpp>
#include <cstdio>
#include <functional>
#include <new>
#include <string>

#include "host/command_error.h"
#include "host/commands.h"
#include "host/interruption.h"
#include "host/radio_limits.h"
#include "host/sample_folder.h"
#include "platform/codepage.h"
#include "platform/com.h"
#include "platform/environment.h"

#ifndef XMLXSL_VERSION
#define XMLXSL_VERSION "unknown"
#endif

namespace {

constexpr int kFailed = 1;
constexpr int kUsage = 2;

constexpr char kForceHelp[] = "Write the output even when it is a read-only file";

// `failed` is the exit status of a command that fails.
int run_reporting_failure(const std::function<void()>& command, int failed) {
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
        std::fputs("xmlxsl: not enough memory; close other programs and try again\n", stderr);
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "xmlxsl: %s\n", failure.what());
    }
    return failed;
}

// The platform takes 1252 for a page it does not support; the program says so
// rather than write text in a page the user did not ask for.
bool refuse_unsupported_code_page() {
    if (IsAnsiCodePageSettingValid()) return false;
    char value[64] = "";
    GetEnvironmentVariableA("XMLXSL_ACP", value, sizeof value);
    std::fprintf(stderr,
                 "xmlxsl: XMLXSL_ACP=\"%s\" is not a code page that xmlxsl supports; set it to 1250 to 1258, 932, "
                 "936, 949 or 950, or unset it for 1252\n",
                 value);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Export, import, show and print radio codeplugs through the xmlxsl library.", "xmlxsl"};
    app.require_subcommand(1);
    app.set_version_flag("--version", "xmlxsl " XMLXSL_VERSION, "Print the version and exit");
    app.footer(
        "An output named - is the standard output. Any other output is written beside its target and moved\n"
        "over it only on success, keeping its permission bits, owner and group; a symbolic link is written\n"
        "through, a file with several names in place, a device, FIFO or /dev/stdout directly; a read-only\n"
        "file needs --force. An interrupted command leaves no temporary file and ends with 128 + the signal.");
    std::function<void()> command;
    // What the command ends with on success and on failure: diff tells that
    // the codeplugs differ with 1 and check that it found an error, and so a
    // failure with 2, as diff(1) does.
    int succeeded = 0, failed = kFailed;

    std::string codeplugFile, xmlFile, csvFile, output;
    std::string language = "English", format = "text";
    bool excel = false;
    std::string samples = InstalledSampleFolder(), out = "out/demo";
    ReportRequest report;
    int channels = 0;
    bool force = false;

    CLI::App* exportCommand = app.add_subcommand("export", "Write a codeplug file into a scrambled XML file");
    exportCommand->add_option("CODEPLUG.json", codeplugFile, "The codeplug file to read")->required();
    exportCommand->add_option("FILE.xml", xmlFile, "The scrambled XML file to write (- for the standard output)")
        ->required();
    exportCommand->add_flag("--force", force, kForceHelp);
    exportCommand->callback([&] { command = [&] { RunExport(codeplugFile, xmlFile, force); }; });

    CLI::App* importCommand = app.add_subcommand("import", "Read a scrambled XML file into a codeplug file");
    importCommand->add_option("FILE.xml", xmlFile, "The scrambled XML file to read")->required();
    importCommand->add_option("-o,--output", output, "The codeplug file to write (default, or -: the standard output)");
    importCommand->add_flag("--force", force, kForceHelp);
    importCommand->callback([&] { command = [&] { RunImport(xmlFile, output, force); }; });

    CLI::App* showCommand = app.add_subcommand("show", "Print the plain XML text of a scrambled XML file");
    showCommand->add_option("FILE.xml", xmlFile, "The scrambled XML file to read")->required();
    showCommand->callback([&] { command = [&] { RunShow(xmlFile); }; });

    CLI::App* packCommand =
        app.add_subcommand("pack", "Write a plain XML text, as show prints it, into a scrambled XML file");
    packCommand->footer(
        "The text is read in the encoding that its XML declaration names (UTF-8 without one), imported through\n"
        "the library and exported again: the file is what an export of that codeplug writes. A text that is\n"
        "not in the encoding it declares, or not a codeplug, is refused and nothing is written.");
    packCommand->add_option("PLAIN.xml", xmlFile, "The plain XML text to read")->required();
    packCommand->add_option("-o,--output", output, "The scrambled XML file to write (- for the standard output)")
        ->required();
    packCommand->add_flag("--force", force, kForceHelp);
    packCommand->callback([&] { command = [&] { RunPack(xmlFile, output, force); }; });

    DiffRequest diff;
    CLI::App* diffCommand = app.add_subcommand("diff", "Compare two codeplugs field by field");
    diffCommand->footer(
        "Every difference in the layout's order: the block, the item by position and alias, the field by its\n"
        "display name, the value before and after. An inserted or removed channel, zone or member is one\n"
        "insertion or removal. Exit status 0 when the codeplugs are equal, 1 when they differ, 2 for an error.");
    diffCommand->add_option("A", diff.before, "The codeplug before: a codeplug file (*.json) or a scrambled XML file")
        ->required();
    diffCommand->add_option("B", diff.after, "The codeplug after, of either kind")->required();
    diffCommand->add_option("--format", diff.format, "text (one line a difference), json, or html (a change sheet)")
        ->check(CLI::IsMember({"text", "json", "html"}))
        ->capture_default_str();
    diffCommand->add_option("--language", diff.language, "The language of the names: English or German")
        ->check(CLI::IsMember({"English", "German", "Deutsch"}, CLI::ignore_case))
        ->capture_default_str();
    diffCommand->add_flag("--names", diff.tableNames, "Name blocks and fields by their table names (CP_RXFREQ)");
    diffCommand->add_option("-o,--output", diff.output, "The file to write (default, or -: the standard output)");
    diffCommand->add_flag("--force", diff.force, kForceHelp);
    diffCommand->callback([&] {
        failed = kUsage;
        command = [&] { succeeded = RunDiff(diff); };
    });

    CLI::App* reportCommand = app.add_subcommand("report", "Write the HTML report of a codeplug");
    reportCommand->footer(
        "The report's settings come from the registry file that --registry names, else XMLXSL_REGISTRY:\n"
        "the key HKEY_LOCAL_MACHINE\\Software\\Corvane\\TORVALE\\Language\\LANGUAGE names the language's\n"
        "resource string file in \"ReportResource\" (the file lies beside the template), and the key\n"
        "HKEY_LOCAL_MACHINE\\Software\\Corvane\\TORVALE holds the dealer heading that a template may use.");
    reportCommand->add_option("INPUT", report.input, "A codeplug file (*.json) or a scrambled XML file")->required();
    reportCommand->add_option("--template", report.templatePath, "The XSL report template; pretransform.qzt lies beside it")
        ->required();
    reportCommand->add_option("--language", report.language, "The language, as the registry names it (English, German)")
        ->required();
    reportCommand->add_option("--registry", report.registry,
                              "The .reg file of the report's settings (default: the file XMLXSL_REGISTRY names)");
    reportCommand->add_option("-o,--output", report.output, "The HTML file to write (- for the standard output)")
        ->required();
    reportCommand->add_flag("--force", report.force, kForceHelp);
    reportCommand->callback([&] { command = [&] { RunReport(report); }; });

    CLI::App* demoCommand =
        app.add_subcommand("demo", "Export, import and check the bundled sample, and write its reports");
    demoCommand->add_option("--out", out, "The folder for the files it writes")->capture_default_str();
    demoCommand->add_option("--samples", samples, "The sample folder; its settings.reg is the registry unless "
                                                  "XMLXSL_REGISTRY is set")
        ->capture_default_str();
    demoCommand->add_flag("--force", force, kForceHelp);
    demoCommand->callback([&] { command = [&] { RunDemo(samples, out, force); }; });

    CLI::App* channelsCommand =
        app.add_subcommand("channels", "Move a codeplug's channel list to a spreadsheet (CSV) and back");
    channelsCommand->require_subcommand(1);
    channelsCommand->footer(
        "The CSV (RFC 4180, UTF-8) has three header lines, display names, table names and type codes, then a\n"
        "record for each channel: its number, the zones that hold it (\"Zone North #3\"), and a cell for each\n"
        "field, exactly as the codeplug holds it. An unquoted empty cell is a field the channel does not hold,\n"
        "\"\" an empty value. Import takes the channels in the CSV's order: a record with an empty number adds a\n"
        "channel, a channel without a record is removed, and every zone, scan list and other reference to a\n"
        "channel is renumbered to name the same channel; one that cannot is refused, and nothing is written.");
    CLI::App* channelsExport = channelsCommand->add_subcommand("export", "Write the channel list of a codeplug as CSV");
    channelsExport->add_option("FILE", codeplugFile, "A codeplug file (*.json) or a scrambled XML file")->required();
    channelsExport->add_option("-o,--output", output, "The CSV file to write (default, or -: the standard output)");
    channelsExport
        ->add_option("--language", language, "The language of the first line's display names (English, German)")
        ->capture_default_str();
    channelsExport->add_flag("--excel", excel,
                             "For a spreadsheet: begin with a byte order mark, put a ' before each cell that "
                             "begins with =, +, -, @, ', a tab or a carriage return, and write an empty value as ' "
                             "(import takes it off again)");
    channelsExport->add_flag("--force", force, kForceHelp);
    channelsExport->callback(
        [&] { command = [&] { RunChannelsExport(codeplugFile, output, language, excel, force); }; });
    CLI::App* channelsImport =
        channelsCommand->add_subcommand("import", "Replace the channel list of a codeplug by a CSV's");
    channelsImport->add_option("CSV", csvFile, "The channel list, as channels export writes it")->required();
    channelsImport
        ->add_option("FILE", codeplugFile,
                     "The codeplug whose channel list it replaces: a codeplug file (*.json) or a scrambled "
                     "XML file")
        ->required();
    channelsImport->add_option("-o,--output", output,
                               "The codeplug to write: a scrambled XML file when the name ends in .xml, else a "
                               "codeplug file (default, or -: the standard output)");
    channelsImport->add_flag("--force", force, kForceHelp);
    channelsImport->callback([&] { command = [&] { RunChannelsImport(csvFile, codeplugFile, output, force); }; });

    CLI::App* checkCommand = app.add_subcommand("check", "Check a codeplug before it goes into a radio");
    checkCommand->footer(
        "Errors: a frequency that is no number or lies outside the radio's band; a zone, scan list or other\n"
        "reference naming a channel that does not exist, and a channel naming a scan list that does not;\n"
        "a channel both receive-only and transmit-only. Warnings: two members of a zone with one alias; an\n"
        "alias longer than the display shows (" +
        std::to_string(kAliasDisplayLength) +
        " characters); a value outside a field's documented choices;\n"
        "a channel count that is not the number of channels; no band stated.\n"
        "Exit status: 0 when no error is found, 1 when one is, 2 when the file cannot be checked.");
    checkCommand->add_option("FILE", codeplugFile, "A codeplug file (*.json) or a scrambled XML file")->required();
    checkCommand->add_option("--language", language, "The language of the fields' display names (English, German)")
        ->capture_default_str();
    checkCommand->add_option("--format", format, "text: a line for each finding; json: one document for scripts")
        ->check(CLI::IsMember({"text", "json"}))
        ->capture_default_str();
    checkCommand->callback([&] {
        failed = kUsage;
        command = [&] { succeeded = RunCheck(codeplugFile, language, format); };
    });

    CLI::App* generateCommand = app.add_subcommand("generate", "Write a realistic codeplug file of any size");
    generateCommand->add_option("--channels", channels, "The number of channels")
        ->required()
        ->check(CLI::Range(0, 100000));
    generateCommand->add_option("-o,--output", output,
                                "The codeplug file to write (default, or -: the standard output)");
    generateCommand->add_flag("--force", force, kForceHelp);
    generateCommand->callback([&] { command = [&] { RunGenerate(channels, output, force); }; });

    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& success) {
        return app.exit(success);
    } catch (const CLI::ParseError& error) {
        std::fprintf(stderr, "xmlxsl: %s; see xmlxsl --help\n", error.what());
        return kUsage;
    }
    if (refuse_unsupported_code_page()) return kUsage;

    InstallInterruptionHandlers();
    if (FAILED(CoInitialize(nullptr))) {
        std::fputs("xmlxsl: COM cannot be initialised on this thread\n", stderr);
        return kFailed;
    }
    int result = run_reporting_failure(command, failed);
    CoUninitialize();
    return result == 0 ? succeeded : result;
}
