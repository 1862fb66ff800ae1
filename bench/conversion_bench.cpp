// Export, import and report of realistic codeplugs of growing size through
// the library's exported functions, each beside the tool a user would
// otherwise reach for on the same text: xmllint parsing the XML file, and
// xsltproc running the two translated stylesheets.
//
// Prints one table; each time is the best of several runs. The anchors run
// as processes of their own, so their times include starting one.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/codeplug_generator.h"
#include "host/memory_codeplug.h"
#include "interface/xmlxsl.h"
#include "localise/xsl_translator.h"
#include "platform/ansi.h"
#include "platform/com.h"
#include "platform/environment.h"
#include "platform/unique_bstr.h"
#include "report/report_generator.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

const fs::path kSamples = XMLXSL_SAMPLES_DIR;

template <typename Work>
double best_milliseconds(int runs, Work work) {
    double best = 1e300;
    for (int run = 0; run < runs; ++run) {
        auto start = Clock::now();
        if (!work()) {
            std::fprintf(stderr, "a benchmarked step failed\n");
            std::exit(1);
        }
        best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return best;
}

bool run(const std::string& command) { return std::system(command.c_str()) == 0; }

void write(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

std::uintptr_t handle_of(MemoryCodeplug* codeplug) {
    return reinterpret_cast<std::uintptr_t>(static_cast<ICodeplug*>(codeplug));
}

// A template translated as the report pass translates it, for the anchor.
std::string translated(const fs::path& templatePath) {
    CXSL stylesheet;
    if (stylesheet.readFile(templatePath.string()) != kShortOk ||
        stylesheet.translateXSL((kSamples / "english.txt").string()) != kShortOk) {
        std::fprintf(stderr, "cannot translate %s\n", templatePath.c_str());
        std::exit(1);
    }
    return stylesheet.getText();
}

struct Row {
    const char* operation;
    std::size_t fields;
    double oursMs;
    const char* anchor;
    double anchorMs;
};

void measure(int channels, const fs::path& folder, std::vector<Row>& rows) {
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
        VARIANT language;
        VariantInit(&language);
        language.vt = VT_BSTR;
        language.bstrVal = SysAllocString(u"English");
        unique_bstr html;
        DWORD status = XMLXSL_CreateHTML(source.get(), templatePath.c_str(), &language, html.put());
        VariantClear(&language);
        return status == XMLXSL_S_OK;
    });
    XMLXSL_WriteXML(text.put(), 1);
    std::string reportXml = to_ansi(text.get());
    RewriteAliases(reportXml);
    write(folder / "report-input.xml", reportXml);
    std::string passes = "xsltproc '" + (folder / "pretransform.xsl").string() + "' '" +
                         (folder / "report-input.xml").string() + "' > '" + (folder / "product.xml").string() +
                         "' && xsltproc '" + (folder / "report.xsl").string() + "' '" +
                         (folder / "product.xml").string() + "' > /dev/null";
    double xsltprocMs = best_milliseconds(runs, [&] { return run(passes); });

    rows.push_back({"export", fields, exportMs, "xmllint --noout", parseMs});
    rows.push_back({"import", fields, importMs, "xmllint --noout", parseMs});
    rows.push_back({"report", fields, reportMs, "xsltproc, both passes", xsltprocMs});
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
    write(folder / "pretransform.xsl", translated(kSamples / "pretransform.qzt"));
    write(folder / "report.xsl", translated(kSamples / "report.xsl"));

    CoInitialize(nullptr);
    if (XMLXSL_Open() != XMLXSL_S_OK) return 1;
    std::vector<Row> rows;
    // 1,000, 10,015 and 100,005 fields: 40 fields a channel.
    for (int channels : {16, 241, 2491}) measure(channels, folder, rows);
    XMLXSL_Close();
    CoUninitialize();

    std::printf("| operation | fields | ours ms | ms per 1,000 fields | anchor | anchor ms | ours / anchor |\n");
    std::printf("|---|---:|---:|---:|---|---:|---:|\n");
    for (const Row& row : rows)
        std::printf("| %s | %zu | %.1f | %.2f | %s | %.1f | %.2f |\n", row.operation, row.fields, row.oursMs,
                    row.oursMs * 1000.0 / static_cast<double>(row.fields), row.anchor, row.anchorMs,
                    row.oursMs / row.anchorMs);
    fs::remove_all(folder);
    return 0;
}
