#pragma once

// The scrambling of an XML file's bytes (interface/scramble.h), which the
// program knows as a fact of the file format rather than through the
// library: every byte is exclusive-ored with one key, so that one routine
// scrambles and unscrambles.

#include <string>

constexpr unsigned char kScramblingKey = 0xD4;

inline std::string Scrambled(std::string text) {
    for (char& byte : text) byte = static_cast<char>(static_cast<unsigned char>(byte) ^ kScramblingKey);
    return text;
}
