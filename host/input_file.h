#pragma once

// The program's input files, told apart by their first bytes before anything
// reads further, so that a file of another kind is refused at once with what
// it seems to be. Both kinds are opened with a shared lock: two runs of the
// program read a file side by side, while one that another program holds
// share-exclusive (as the library holds its XML files) is refused rather
// than read while it may change. Every failure is a CommandError whose line
// starts with the path as given: "radio.json: no such file", "...: the file
// is empty", "...: a scrambled XML file, not a codeplug file (JSON); ...".
//
// A codeplug file begins, after blanks and an optional UTF-8 byte order
// mark, with "{"; a scrambled XML file, unscrambled, after blanks with "<".

#include <cstdint>
#include <string>

// The whole content of a codeplug file.
std::string ReadCodeplugInput(const std::string& path);

// The whole content of a plain XML file, as show prints them: after blanks
// and an optional UTF-8 byte order mark it begins with "<".
std::string ReadPlainXmlInput(const std::string& path);

// The whole content of a CSV file. A codeplug file or a scrambled XML file
// is refused, as given in the CSV's place.
std::string ReadCsvInput(const std::string& path);

// Checks a scrambled XML file that the library then opens itself (its own
// failure would only say that a file cannot be opened) and returns its size
// in bytes.
std::uint64_t CheckXmlInput(const std::string& path);

// "812 bytes", "4.2 kB", "1.5 GB": a size as a person reads it.
std::string DescribeSize(std::uint64_t bytes);
