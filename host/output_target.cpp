#include "host/output_target.h"

#include <filesystem>
#include <system_error>

#include "host/command_error.h"

namespace {

namespace fs = std::filesystem;

// Linux gives up after 40 links; so does this.
constexpr int kMostLinks = 40;

bool lies_under(const fs::path& folder, const char* top) {
    auto part = folder.begin();
    return part != folder.end() && *part == "/" && ++part != folder.end() && *part == top;
}

// The folder of `path` with its own links resolved, as far as it exists.
fs::path real_folder_of(const fs::path& path) {
    std::error_code ignored;
    fs::path folder = fs::absolute(path, ignored).parent_path();
    fs::path real = fs::weakly_canonical(folder, ignored);
    return real.empty() ? folder : real;
}

bool is_read_only(fs::perms permissions) {
    return (permissions & (fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write)) ==
           fs::perms::none;
}

std::string folder_name(const fs::path& path) {
    return path.has_parent_path() ? path.parent_path().string() : std::string(".");
}

[[noreturn]] void refuse(const std::string& given, const std::string& why) { throw CommandError(given + ": " + why); }

void refuse_read_only(const std::string& given, const fs::path& file, bool force) {
    std::error_code error;
    fs::file_status status = fs::status(file, error);
    if (!error && !force && is_read_only(status.permissions()))
        refuse(given, "the file is read-only; give --force to write it all the same");
}

}  // namespace

output_target ResolveOutputTarget(const std::string& path, bool force) {
    if (path == "-") return {output_kind::standard_output, path, path};
    if (path.empty()) throw CommandError("the output's name is empty; name a file, or - for the standard output");
    fs::path at = path;
    for (int links = 0; links <= kMostLinks; ++links) {
        fs::path folder = real_folder_of(at);
        std::error_code error;
        fs::file_status status = fs::symlink_status(at, error);
        if (error && status.type() != fs::file_type::not_found)
            refuse(path, "cannot be examined: " + error.message());
        bool link = status.type() == fs::file_type::symlink;

        if (lies_under(folder, "proc") || (link && lies_under(folder, "dev"))) {
            refuse_read_only(path, path, force);
            return {output_kind::direct, path, path};
        }
        if (link) {
            fs::path named = fs::read_symlink(at, error);
            if (error) refuse(path, "cannot be examined: " + error.message());
            at = named.is_absolute() ? named : folder / named;
            continue;
        }
        switch (status.type()) {
            case fs::file_type::not_found:
                if (links > 0)
                    refuse(path, "a symbolic link to " + at.lexically_normal().string() +
                                     ", which does not exist; create that file or remove the link");
                if (!fs::is_directory(folder, error))
                    refuse(path, "cannot be written: no such folder " + folder_name(at) + "; create it first");
                return {output_kind::new_file, path, at.string()};
            case fs::file_type::directory:
                refuse(path, "a folder, not a file; name a file in it");
            case fs::file_type::regular: {
                refuse_read_only(path, at, force);
                std::uintmax_t names = fs::hard_link_count(at, error);
                if (error) refuse(path, "cannot be examined: " + error.message());
                return {names > 1 ? output_kind::in_place : output_kind::replaced_file, path, at.string()};
            }
            default:
                refuse_read_only(path, path, force);
                return {output_kind::direct, path, path};
        }
    }
    refuse(path, "too many symbolic links in a row");
}

std::string OutputName(const output_target& target) {
    return target.kind == output_kind::standard_output ? "the standard output" : target.given;
}
