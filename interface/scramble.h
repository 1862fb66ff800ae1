#pragma once

// An XML file on disk is the document's text in the ANSI code page with
// every byte exclusive-or'ed with one key; nothing else:
//
//     file byte i = text byte i ^ 0xD4      (no header, length or terminator)
//
// A text byte equal to the key ("Ô" in code page 1252) becomes a zero byte
// in the file, so a reader must take the bytes it read, not a C string.

#include <string>

constexpr unsigned char kScramblingKey = 0xD4;

// Scrambles or unscrambles in place; applying it twice restores the text.
// Kept in the header: the program writes and recognises these files too.
inline void ScrambleText(std::string& text) noexcept {
    for (char& byte : text) byte = static_cast<char>(static_cast<unsigned char>(byte) ^ kScramblingKey);
}
