#include "host/same_file.h"

#include <filesystem>
#include <system_error>

#include "host/command_error.h"

void RefuseOutputOverInputs(const std::string& output, const std::vector<named_input>& inputs) {
    // The standard output is whatever file the shell opened for it.
    const bool standard = output == "-";
    const std::string written = standard ? "/dev/stdout" : output;
    for (const named_input& input : inputs) {
        std::error_code error;
        if (!std::filesystem::equivalent(written, input.path, error) || error) continue;
        throw CommandError((standard ? std::string("the standard output") : output) + ": the same file as " +
                           input.role + " " + input.path + "; name another output file");
    }
}
