#pragma once

// Writing an output the way output_target.h decides. Whatever fails, the
// target and every other file stay as they were: a new or replaced target is
// written under a temporary name first (the staging file), moved into place
// only once it is complete, and removed on failure or interruption.

#include <optional>
#include <string>
#include <string_view>

#include "host/interruption.h"
#include "host/output_target.h"

class unique_staged_file {
public:
    // Picks an unused temporary name, beside the file for a new or replaced
    // target and in the system's temporary folder for any other, so that a
    // device's folder is never written. Creates nothing, so that the library
    // may create the file itself, and makes the name known to the
    // interruption handlers. Throws CommandError and std::bad_alloc.
    explicit unique_staged_file(output_target target);
    // Removes the staging file unless it was moved into place.
    ~unique_staged_file();
    unique_staged_file(const unique_staged_file&) = delete;
    unique_staged_file& operator=(const unique_staged_file&) = delete;

    const output_target& target() const noexcept { return target_; }
    const std::string& temporaryPath() const noexcept { return temporary_; }

    // Creates the staging file and writes the bytes into it. Throws
    // CommandError naming the target.
    void write(std::string_view bytes);
    // Brings the staged bytes to the target: renamed in as a new file, put in
    // the replaced file's place with its permission bits, owner and group
    // (a target that another program holds locked is refused and kept), or
    // copied in place, directly or to the standard output. Throws
    // CommandError naming the target.
    void commit();

private:
    output_target target_;
    std::string temporary_;
    std::optional<registered_staging_path> registered_;
    bool moved_ = false;
};

// Writes the bytes to the target, through a staging file when it is new or
// replaced. A file written in place first claims the room for the new bytes,
// so that a full disk leaves its old bytes whole, and is not interrupted
// half-way. Throws CommandError naming the target.
void WriteOutput(const output_target& target, std::string_view bytes);
