#pragma once

// How an output path is written, decided before anything is written. The
// write must not change what the target is:
//
//   "-"                                    the standard output
//   nothing there                          a new file: staged beside it, renamed in
//   a regular file with one link           replaced: staged beside it, then given
//                                          the file's place and identity (ReplaceFileA)
//   a regular file with more links         written in place, so that every name
//                                          sees the new bytes
//   anything else (a device, a FIFO), or   written directly, never resolved and
//   a name that leads through /proc or     replaced: /dev/stdout and /dev/fd/N
//   through a link in /dev                 reach the shell's own file that way
//
// A symbolic link is followed to the file it names, which is written as the
// table says; the link stays. A read-only file (no write bit in its mode,
// whoever runs the program) is written only when forced.

#include <string>

enum class output_kind { standard_output, new_file, replaced_file, in_place, direct };

struct output_target {
    output_kind kind;
    // The name as the user gave it, for messages.
    std::string given;
    // What is opened: the file that a link names; for a direct write the
    // name as given, left to the system to follow.
    std::string file;
};

// Throws CommandError, naming the path as given, for a folder, a symbolic
// link to nothing, a folder that does not exist, a read-only file unless
// `force`, and a path that cannot be examined.
output_target ResolveOutputTarget(const std::string& path, bool force);

// The name that messages use for the target: the path, or "the standard
// output".
std::string OutputName(const output_target& target);
