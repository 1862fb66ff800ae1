#pragma once

// Output files that change only on success. A staged file is written beside
// its target under a temporary name and moved over the target by commit()
// alone, so that a failure part-way leaves an existing target as it was.
// Until then the temporary file is the object's, removed when it goes.

#include <string>
#include <string_view>

class unique_staged_file {
public:
    // Picks an unused temporary name in the target's folder; creates nothing,
    // so that the library may create the file itself. Throws std::bad_alloc.
    explicit unique_staged_file(std::string target);
    ~unique_staged_file();
    unique_staged_file(const unique_staged_file&) = delete;
    unique_staged_file& operator=(const unique_staged_file&) = delete;

    const std::string& target() const noexcept { return target_; }
    const std::string& temporaryPath() const noexcept { return temporary_; }

    // Creates the temporary file and writes the bytes into it. Throws
    // CommandError naming the target.
    void write(std::string_view bytes);
    // Moves the temporary file over the target. A target that another
    // program holds locked, as the library's open XML files are, is refused
    // and kept. Throws CommandError naming the target.
    void commit();

private:
    std::string target_;
    std::string temporary_;
    bool committed_ = false;
};

// Writes the bytes to the file at `path` through a staged file, or to the
// standard output when `path` is empty. Throws CommandError.
void WriteOutput(const std::string& path, std::string_view bytes);
