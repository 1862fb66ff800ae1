// The report's own text steps, outside the exported functions: the library
// runs them inside XMLXSL_CreateHTML, and a program that loads the library
// cannot also link them, since both would bring the error text. So the
// conversion benchmark starts this program for them:
//
//   text_work translate TEMPLATE RESOURCES OUT   a template as a pass translates it
//   text_work rewrite IN OUT                     the alias rewrite of a report XML
//   text_work measure FIELDS FILE [FIELDS FILE]  times each step on report XML files
//
// measure prints one table: for each report XML (in the ANSI code page, as
// the library narrows it), each step's best time of several runs beside a
// memcpy of the same text, and the steps' sum per 1,000 fields. Each step
// runs on the report XML, the widening too, though the library widens the
// finished HTML: what is measured is the cost per byte.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "localise/xsl_translator.h"
#include "platform/ansi.h"
#include "platform/unique_bstr.h"
#include "platform/xml_narrowing.h"
#include "report/document_type.h"
#include "report/report_generator.h"
#include "report/xml_libraries.h"

namespace {

std::string read(const char* path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "text_work: cannot read %s\n", path);
        std::exit(1);
    }
    return {std::istreambuf_iterator<char>(in), {}};
}

void write(const char* path, const std::string& bytes) {
    if (!(std::ofstream(path, std::ios::binary) << bytes)) {
        std::fprintf(stderr, "text_work: cannot write %s\n", path);
        std::exit(1);
    }
}

// Best of several runs of work on a fresh copy of text; the copy is timed
// apart and taken off.
template <typename Step>
double best_milliseconds(const std::string& text, Step step) {
    double best = 1e300;
    for (int run = 0; run < 5; ++run) {
        std::string copy = text;
        auto start = std::chrono::steady_clock::now();
        step(copy);
        best = std::min(best, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

volatile char gSink;

// The document-type pre-parse of each report XML, printed after the table.
std::vector<std::pair<std::size_t, double>> gPreparse;

void measure(std::size_t fields, const char* path) {
    const std::string text = read(path);
    const unique_bstr wide = to_bstr(text);
    // A memcpy of the text into memory already touched: what any pass over
    // the text costs at the least.
    std::string target(text.size(), '\0');
    double copyMs = best_milliseconds(text, [&](std::string& t) {
        std::memcpy(target.data(), t.data(), t.size());
        gSink = target[target.size() / 2];
    });
    double narrowMs = best_milliseconds(text, [&](std::string& t) {
        if (try_to_ansi_xml(wide.get(), SysStringLen(wide.get()), t) != xml_narrowing::converted) std::exit(1);
    });
    double aliasMs = best_milliseconds(text, [](std::string& t) { RewriteAliases(t); });
    double cutMs = best_milliseconds(text, [](std::string& t) { gSink = CutAfterEndOfDocument(t); });
    double ampersandMs = best_milliseconds(text, [](std::string& t) { RemoveAmpersandEntities(t); });
    double widenMs = best_milliseconds(text, [](std::string& t) { gSink = to_bstr(t).get() != nullptr; });
    double allMs = narrowMs + aliasMs + cutMs + ampersandMs + widenMs;
    {
        XmlLibrariesStarted started;
        gPreparse.emplace_back(fields, best_milliseconds(text, [](std::string& t) {
                                   if (HoldsDocumentType(t)) std::exit(1);
                               }));
    }
    std::printf("| %zu | %.1f | %.3f | %.2f | %.2f | %.2f | %.2f | %.2f | %.2f | %.4f | %.1f |\n", fields,
                static_cast<double>(text.size()) / (1024.0 * 1024.0), copyMs, narrowMs, aliasMs, cutMs, ampersandMs,
                widenMs, allMs, allMs * 1000.0 / static_cast<double>(fields), allMs / copyMs);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 4 && args[0] == "translate") {
        CXSL stylesheet;
        if (stylesheet.readFile(args[1]) != kShortOk || stylesheet.translateXSL(args[2]) != kShortOk) {
            std::fprintf(stderr, "text_work: cannot translate %s\n", argv[2]);
            return 1;
        }
        write(argv[4], stylesheet.getText());
        return 0;
    }
    if (args.size() == 3 && args[0] == "rewrite") {
        std::string text = read(argv[2]);
        RewriteAliases(text);
        write(argv[3], text);
        return 0;
    }
    if (args.size() >= 3 && args.size() % 2 == 1 && args[0] == "measure") {
        std::printf("| fields | MB | memcpy ms | narrowing ms | alias rewrite ms | cut ms | \"&amp;\" ms | widening ms "
                    "| all steps ms | ms per 1,000 fields | all / memcpy |\n");
        std::printf("|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
        for (std::size_t at = 1; at < args.size(); at += 2)
            measure(std::strtoull(argv[at + 1], nullptr, 10), argv[at + 2]);
        // Each pass parses its XML and its stylesheet once more before
        // Xalan-C does, to refuse a document type declaration; and starts
        // and stops both XML libraries.
        std::printf("\n| figure | fields | ms | ms per 1,000 fields |\n|---|---:|---:|---:|\n");
        for (auto [fields, ms] : gPreparse)
            std::printf("| document-type pre-parse of the report XML | %zu | %.2f | %.4f |\n", fields, ms,
                        ms * 1000.0 / static_cast<double>(fields));
        double startStopMs = best_milliseconds(std::string(), [](std::string&) { XmlLibrariesStarted started; });
        std::printf("| Xerces-C and Xalan-C started and stopped (a report does it twice) | | %.2f | |\n", startStopMs);
        return 0;
    }
    std::fprintf(stderr, "usage: text_work translate TEMPLATE RESOURCES OUT | rewrite IN OUT | measure FIELDS FILE...\n");
    return 2;
}
