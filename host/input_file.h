#pragma once

// The program's input files. They are opened share-exclusive, as the library
// opens its own, so that a file that another program holds locked is refused
// rather than read while it may be changing. Every failure is a CommandError
// whose line starts with the path as given: "radio.json: no such file",
// "...: the file is locked by another program", "...: the file is empty".

#include <string>

// The whole content of a file that is not empty.
std::string ReadInputFile(const std::string& path);

// The same checks, for a file that the library then opens itself: its own
// failure would only say that a file cannot be opened.
void CheckInputFile(const std::string& path);
