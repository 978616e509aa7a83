#pragma once
// Writes a version block in the standard layout: the fixed file information, one string table
// per translation and the translation list. The build embeds the program's block in the
// executable; tests write variants of it.
#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct TVersionBlockContent {
    std::array<uint16_t, 4> FileVersion{0, 0, 0, 0};
    std::array<uint16_t, 4> ProductVersion{0, 0, 0, 0};
    // Each translation: language and code page, with its named strings.
    struct Translation {
        uint16_t Language = 0x0409;
        uint16_t CodePage = 0x04E4;
        std::vector<std::pair<std::string, std::string>> Strings; // UTF-8
    };
    std::vector<Translation> Translations;
    bool WriteTranslationList = true;
    bool WriteFixedInfo = true;
};

std::vector<char> WriteVersionBlock(const TVersionBlockContent& content);
