#pragma once

// The failure of a command: the one line that the program prints, and for a
// report the lines that the library added to its error text meanwhile.

#include <stdexcept>
#include <string>
#include <utility>

class CommandError : public std::runtime_error {
public:
    explicit CommandError(const std::string& line, std::string details = {})
        : std::runtime_error(line), details_(std::move(details)) {}

    // Empty, or whole lines, each ended by a line feed, except perhaps the last.
    const std::string& details() const noexcept { return details_; }

private:
    std::string details_;
};
