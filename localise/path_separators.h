#pragma once

#include <string>

// The path with each pair of consecutive separators replaced by one, left to
// right without overlap: three in a row become two, four become two. Paths
// are written with doubled separators where the application escaped them.
std::string MergeDoubledSeparators(const std::string& path);
