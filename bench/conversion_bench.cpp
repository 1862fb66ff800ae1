// Export, import and report of realistic codeplugs of growing size through
// the library's exported functions, each beside the tool a user would
// otherwise reach for on the same text: xmllint parsing the XML file, and
// xsltproc running the two translated stylesheets.
//
// Prints one table; each time is the best of several runs. The anchors run
// as processes of their own, so their times include starting one. A second
// table gives what memory the library keeps over a long soak, and what a
// 100 MB input that cannot be read costs.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "bench/library_timing.h"
#include "host/codeplug_generator.h"
#include "host/memory_codeplug.h"
#include "interface/xmlxsl.h"
#include "platform/ansi.h"
#include "platform/com.h"
#include "platform/environment.h"
#include "platform/unique_bstr.h"
#include "platform/unique_variant.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

const fs::path kSamples = XMLXSL_SAMPLES_DIR;

bool run(const std::string& command) { return std::system(command.c_str()) == 0; }

void write(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// The library's own text steps run in a program of their own (see
// text_work.cpp): this one loads the library, which holds them too.
const std::string kTextWork = XMLXSL_TEXT_WORK;

void text_work(const std::string& arguments) {
    if (!run("'" + kTextWork + "' " + arguments)) {
        std::fprintf(stderr, "text_work %s failed\n", arguments.c_str());
        std::exit(1);
    }
}

std::string quoted(const fs::path& path) {
    std::string text(1, '\'');
    text.append(path.string()).push_back('\'');
    return text;
}

struct Row {
    const char* operation;
    std::size_t fields;
    double oursMs;
    const char* anchor;
    double anchorMs;
};

struct ReportFile {
    std::size_t fields;
    fs::path path;
};

void measure(int channels, const fs::path& folder, std::vector<Row>& rows, std::vector<ReportFile>& reportFiles) {
    Codeplug codeplug = GenerateRealisticCodeplug(channels);
    std::size_t fields = CountFields(codeplug);
    int runs = fields > 50000 ? 2 : 5;
    auto source = MemoryCodeplug::Create(codeplug);
    std::string file = (folder / "radio.xml").string();
    fs::path plain = folder / "plain.xml";

    double exportMs =
        best_milliseconds(runs, [&] { return XMLXSL_CP2XML(file.c_str(), source.get()) == XMLXSL_S_OK; });
    unique_bstr text;
    XMLXSL_WriteXML(text.put(), 1);
    write(plain, to_ansi(text.get()));
    XMLXSL_CloseXMLFile(handle_of(source.get()));
    double importMs = best_milliseconds(runs, [&] {
        auto target = MemoryCodeplug::Create();
        bool ok = XMLXSL_XML2CP(file.c_str(), target.get()) == XMLXSL_S_OK;
        return XMLXSL_CloseXMLFile(handle_of(target.get())) == XMLXSL_S_OK && ok;
    });
    double parseMs = best_milliseconds(runs, [&] { return run("xmllint --noout '" + plain.string() + "'"); });

    std::string templatePath = (kSamples / "report.xsl").string();
    double reportMs = best_milliseconds(runs, [&] {
        unique_variant language = make_bstr_variant(u"English");
        unique_bstr html;
        DWORD status = XMLXSL_CreateHTML(source.get(), templatePath.c_str(), language.get(), html.put());
        return status == XMLXSL_S_OK;
    });
    XMLXSL_WriteXML(text.put(), 1);
    // The report XML as the library narrows it, kept for text_work measure.
    fs::path reportXml = folder / ("report-" + std::to_string(fields) + ".xml");
    write(reportXml, to_ansi(text.get()));
    text_work("rewrite " + quoted(reportXml) + " " + quoted(folder / "report-input.xml"));
    reportFiles.push_back({fields, reportXml});
    std::string passes = "xsltproc '" + (folder / "pretransform.xsl").string() + "' '" +
                         (folder / "report-input.xml").string() + "' > '" + (folder / "product.xml").string() +
                         "' && xsltproc '" + (folder / "report.xsl").string() + "' '" +
                         (folder / "product.xml").string() + "' > /dev/null";
    double xsltprocMs = best_milliseconds(runs, [&] { return run(passes); });

    rows.push_back({"export", fields, exportMs, "xmllint --noout", parseMs});
    rows.push_back({"import", fields, importMs, "xmllint --noout", parseMs});
    rows.push_back({"report", fields, reportMs, "xsltproc, both passes", xsltprocMs});
}

// A line of /proc/self/status in kilobytes ("VmRSS", "VmHWM"); 0 when unknown.
long status_kilobytes(const std::string& field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field + ":", 0) == 0) return std::stol(line.substr(field.size() + 1));
    return 0;
}

bool report_in_english(ICodeplug* codeplug, const std::string& templatePath) {
    unique_variant language = make_bstr_variant(u"English");
    unique_bstr html;
    return XMLXSL_CreateHTML(codeplug, templatePath.c_str(), language.get(), html.put()) == XMLXSL_S_OK;
}

struct Figure {
    const char* what;
    double value;
    const char* unit;
};

// The sample templates' reports at 1,000 and 4,000 channels: what a dealer
// waits for, and whether the stylesheets cost the same per channel as the
// codeplug grows.
void sample_reports(std::vector<Figure>& figures) {
    static const std::pair<const char*, const char*> kTemplates[] = {
        {"report.xsl", "full report (report.xsl)"}, {"handover.xsl", "short report (handover.xsl)"}};
    for (const auto& [file, what] : kTemplates) {
        const std::string templatePath = (kSamples / file).string();
        double perChannel[2] = {};
        const int sizes[2] = {1000, 4000};
        for (int at = 0; at < 2; ++at) {
            auto codeplug = MemoryCodeplug::Create(GenerateRealisticCodeplug(sizes[at]));
            double ms = best_milliseconds(3, [&] {
                unique_variant language = make_bstr_variant(u"English");
                unique_bstr html;
                return XMLXSL_CreateHTML(codeplug.get(), templatePath.c_str(), language.get(), html.put()) ==
                       XMLXSL_S_OK;
            });
            perChannel[at] = ms / sizes[at];
            figures.push_back({at == 0 ? "1,000 channels" : "4,000 channels", ms, what});
        }
        figures.push_back({"growth of the time per channel from 1,000 to 4,000 channels",
                           perChannel[1] / perChannel[0], what});
    }
}

// The soak: 10,000 cycles, each exporting a codeplug of two channels to the
// next of four files and importing the one before, a report every tenth
// cycle, one report in a hundred failing on a template that asks for a
// missing resource string. Resident memory is taken after 200 cycles of
// warm-up and at the end: what the library keeps per call shows as growth.
void soak(const fs::path& folder, std::vector<Figure>& figures) {
    constexpr int kCycles = 10000;
    constexpr int kWarmUp = 200;
    fs::create_directories(folder / "broken");
    for (const char* name : {"pretransform.qzt", "english.txt"})
        fs::copy_file(kSamples / name, folder / "broken" / name);
    std::ifstream in(kSamples / "report.xsl", std::ios::binary);
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    write(folder / "broken" / "report.xsl", text.replace(text.find('^') + 1, 4, "NONE"));
    std::string goodTemplate = (kSamples / "report.xsl").string();
    std::string brokenTemplate = (folder / "broken" / "report.xsl").string();

    Codeplug codeplug = GenerateRealisticCodeplug(2);
    auto from = MemoryCodeplug::Create(codeplug);
    auto into = MemoryCodeplug::Create();
    auto& counter = std::get<TypeRows>(from->codeplug().blocks[field::RRW_BLOCK]).at(0).value;
    long warmedUp = 0;
    auto start = Clock::now();
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        if (cycle == kWarmUp) warmedUp = status_kilobytes("VmRSS");
        std::string number = std::to_string(cycle);
        counter.assign(number.begin(), number.end());
        std::string file = (folder / ("soak-" + std::to_string(cycle % 4) + ".xml")).string();
        std::string previous = (folder / ("soak-" + std::to_string((cycle + 3) % 4) + ".xml")).string();
        bool ok = XMLXSL_CP2XML(file.c_str(), from.get()) == XMLXSL_S_OK &&
                  (cycle == 0 || XMLXSL_XML2CP(previous.c_str(), into.get()) == XMLXSL_S_OK);
        if (ok && cycle % 10 == 9)
            ok = report_in_english(from.get(), cycle % 1000 == 999 ? brokenTemplate : goodTemplate) !=
                 (cycle % 1000 == 999);
        if (!ok) {
            std::fprintf(stderr, "soak cycle %d failed\n", cycle);
            std::exit(1);
        }
    }
    double cycleMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count() / kCycles;
    long grown = status_kilobytes("VmRSS") - warmedUp;
    XMLXSL_CloseXMLFile(handle_of(from.get()));
    XMLXSL_CloseXMLFile(handle_of(into.get()));
    figures.push_back({"soak: resident memory after 200 cycles", static_cast<double>(warmedUp), "kB"});
    figures.push_back({"soak: resident memory grown over the next 9,800 cycles", static_cast<double>(grown), "kB"});
    figures.push_back({"soak: one cycle (export, import, a tenth of a report)", cycleMs, "ms"});
}

// 100 MB that open a codeplug document and then run on as text without
// markup, scrambled as the library writes: the reader takes all of it and
// the parser gets to its end before it finds the elements unclosed.
void large_input(const fs::path& folder, std::vector<Figure>& figures) {
    constexpr std::size_t kSize = 100u << 20;
    constexpr std::string_view kAlphabet = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 \n";
    std::string text = "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<TORVALE_CODEPLUG VERSION=\"1.0\"><RRO>";
    text.reserve(kSize);
    std::mt19937_64 random(20240611);
    while (text.size() + 8 <= kSize)
        for (std::uint64_t bits = random(), n = 0; n < 8; ++n, bits >>= 8) text.push_back(kAlphabet[bits & 63]);
    for (char& byte : text) byte = static_cast<char>(static_cast<unsigned char>(byte) ^ 0xD4);
    std::string file = (folder / "large.xml").string();
    write(file, text);
    text = std::string();

    std::ofstream("/proc/self/clear_refs") << "5";  // the peak starts again from the resident size
    long before = status_kilobytes("VmHWM");
    auto codeplug = MemoryCodeplug::Create();
    DWORD status = 0;
    double ms = best_milliseconds(1, [&] { return (status = XMLXSL_XML2CP(file.c_str(), codeplug.get())) != 0; });
    if (status != 0x80040404) {
        std::fprintf(stderr, "the 100 MB input gives %#x, not DOCSERVER_E_MALFORMED\n", static_cast<unsigned>(status));
        std::exit(1);
    }
    figures.push_back({"100 MB malformed XML file: refused by an import in", ms, "ms"});
    figures.push_back({"100 MB malformed XML file: peak resident memory grown by",
                       static_cast<double>(status_kilobytes("VmHWM") - before) / 1024.0, "MB"});
    fs::remove(file);
}

}  // namespace

int main() {
    for (const char* tool : {"xmllint", "xsltproc"}) {
        if (!run(std::string(tool) + " --version > /dev/null 2>&1")) {
            std::fprintf(stderr, "%s is missing: run make deps\n", tool);
            return 1;
        }
    }
    fs::path folder = fs::temp_directory_path() / "xmlxsl-bench";
    fs::create_directories(folder);
    SetEnvironmentVariableA("XMLXSL_REGISTRY", (kSamples / "settings.reg").c_str());
    for (const char* name : {"pretransform.qzt", "report.xsl"})
        text_work("translate " + quoted(kSamples / name) + " " + quoted(kSamples / "english.txt") + " " +
                  quoted(folder / (fs::path(name).stem().string() + ".xsl")));

    CoInitialize(nullptr);
    if (XMLXSL_Open() != XMLXSL_S_OK) return 1;
    std::vector<Row> rows;
    // The templates first, while the heap is fresh, so that the larger
    // sizes after them do not weigh on the growth from 1,000 to 4,000.
    std::vector<Figure> templateFigures;
    sample_reports(templateFigures);
    std::vector<ReportFile> reportFiles;
    // 1,000, 10,015, 100,005 and 399,965 fields: 40 fields a channel.
    for (int channels : {16, 241, 2491, 9991}) measure(channels, folder, rows, reportFiles);
    std::vector<Figure> figures;
    large_input(folder, figures);
    soak(folder, figures);
    XMLXSL_Close();
    CoUninitialize();

    std::printf("| operation | fields | ours ms | ms per 1,000 fields | anchor | anchor ms | ours / anchor |\n");
    std::printf("|---|---:|---:|---:|---|---:|---:|\n");
    for (const Row& row : rows)
        std::printf("| %s | %zu | %.1f | %.2f | %s | %.1f | %.2f |\n", row.operation, row.fields, row.oursMs,
                    row.oursMs * 1000.0 / static_cast<double>(row.fields), row.anchor, row.anchorMs,
                    row.oursMs / row.anchorMs);
    std::printf("\n| figure | value |\n|---|---:|\n");
    for (const Figure& figure : figures) std::printf("| %s | %.1f %s |\n", figure.what, figure.value, figure.unit);
    std::printf("\nThe sample templates, XMLXSL_CreateHTML in English:\n\n| template | figure | value |\n|---|---|---:|\n");
    for (const Figure& figure : templateFigures)
        std::printf("| %s | %s | %.2f%s |\n", figure.unit, figure.what, figure.value,
                    std::string_view(figure.what).find("growth") == 0 ? "" : " ms");
    std::printf("\nThe library's own text steps of a report, on the report XML of each size:\n\n");
    std::fflush(stdout);
    std::string arguments = "measure";
    for (const ReportFile& file : reportFiles)
        arguments.append(" ").append(std::to_string(file.fields)).append(" ").append(quoted(file.path));
    text_work(arguments);
    fs::remove_all(folder);
    return 0;
}
