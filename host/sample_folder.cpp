#include "host/sample_folder.h"

#include <filesystem>

#include "platform/library.h"

#ifndef XMLXSL_SAMPLES_FROM_PROGRAM
#define XMLXSL_SAMPLES_FROM_PROGRAM "../share/xmlxsl"
#endif

std::string InstalledSampleFolder() {
    const std::string program = ModuleFileName(nullptr);
    if (program.empty()) return "samples";
    return (std::filesystem::path(program).parent_path() / XMLXSL_SAMPLES_FROM_PROGRAM).lexically_normal().string();
}
