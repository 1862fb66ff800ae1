// The command-line host: drives the library through its exported functions
// as the radio programming application does.

#include <CLI/CLI.hpp>

#include <cstdio>
#include <filesystem>
#include <string>

#include "host/codeplug_generator.h"
#include "host/memory_codeplug.h"
#include "interface/xmlxsl.h"
#include "platform/com.h"

namespace {

std::string describe(DWORD status) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", status);
    if (const StatusDescription* description = FindStatusDescription(status))
        return std::string(description->name) + " (" + code + "): " + std::string(description->meaning);
    return std::string(code) + ": a status of the document server, the codeplug or the resource manager";
}

bool succeeded(const char* step, DWORD status) {
    if (IsFailure(status)) {
        std::fprintf(stderr, "%s: %s\n", step, describe(status).c_str());
        return false;
    }
    return true;
}

std::uintptr_t handle_of(MemoryCodeplug* codeplug) {
    return reinterpret_cast<std::uintptr_t>(static_cast<ICodeplug*>(codeplug));
}

// Exports a radio's codeplug to a scrambled XML file, reads it back into a
// second codeplug object and checks that every block survived.
int runDemo(const std::filesystem::path& out, int channels) {
    std::filesystem::create_directories(out);
    std::string file = std::filesystem::absolute(out / "radio.xml").string();
    Codeplug original = GenerateRealisticCodeplug(channels);
    auto source = MemoryCodeplug::Create(original);
    auto copy = MemoryCodeplug::Create();

    if (!succeeded("XMLXSL_Open", XMLXSL_Open())) return 1;
    bool ok = succeeded("XMLXSL_CP2XML", XMLXSL_CP2XML(file.c_str(), source.get())) &&
              succeeded("XMLXSL_CloseXMLFile", XMLXSL_CloseXMLFile(handle_of(source.get()))) &&
              succeeded("XMLXSL_XML2CP", XMLXSL_XML2CP(file.c_str(), copy.get()));
    if (ok) {
        std::printf("wrote %s: %d channels, %zu fields\n", file.c_str(), channels, CountFields(original));
        int differing = 0;
        for (const auto& [id, block] : original.blocks) {
            bool same = copy->codeplug().blocks[id] == block;
            differing += same ? 0 : 1;
            std::printf("  %-10s %s\n", std::string(FieldName(id)).c_str(), same ? "round trip ok" : "DIFFERS");
        }
        ok = differing == 0;
        XMLXSL_CloseXMLFile(handle_of(copy.get()));
    }
    XMLXSL_Close();
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"xmlxsl: export, import, inspect and print radio codeplugs"};
    app.require_subcommand(1);
    CLI::App* demo = app.add_subcommand("demo", "Export a radio's codeplug, read it back and check every block");
    std::string out = "out";
    int channels = 32;
    demo->add_option("--out", out, "Folder for the files it writes")->capture_default_str();
    demo->add_option("--channels", channels, "Channels of the radio")->capture_default_str();
    CLI11_PARSE(app, argc, argv);

    if (FAILED(CoInitialize(nullptr))) return 1;
    int result = demo->parsed() ? runDemo(out, channels) : 0;
    CoUninitialize();
    return result;
}
