#include "interface/scramble.h"

void ScrambleText(std::string& text) noexcept {
    for (char& byte : text) byte = static_cast<char>(static_cast<unsigned char>(byte) ^ kScramblingKey);
}
