#pragma once

// A command never writes over one of its own inputs: an output that is the
// same file as an input, by device and inode, so that links and other
// spellings of the name count, is refused before any output is opened and
// before the library is called.

#include <string>
#include <vector>

struct named_input {
    // What the file is to the command, for the message: "the codeplug".
    std::string role;
    std::string path;
};

// Throws CommandError naming both when `output` (a path, or "-" for the
// standard output) is one of the inputs. Inputs and outputs that do not
// exist are never the same file.
void RefuseOutputOverInputs(const std::string& output, const std::vector<named_input>& inputs);
