#include "tools/zvdata/art/ArtText.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace zv::zvdata::art {

std::vector<std::string> SplitWords(const std::string& line) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
        if (i >= line.size()) break;
        if (line[i] == '#' && (i + 1 >= line.size() || line[i + 1] == ' ' || line[i + 1] == '#'))
            break;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
        words.push_back(line.substr(start, i - start));
    }
    return words;
}

std::optional<Rgb> ParseRgb(const std::string& word) {
    if (word.size() != 7 || word[0] != '#') return std::nullopt;
    unsigned v = 0;
    for (std::size_t i = 1; i < 7; ++i) {
        const char c = word[i];
        unsigned d;
        if (c >= '0' && c <= '9')
            d = unsigned(c - '0');
        else if (c >= 'a' && c <= 'f')
            d = unsigned(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            d = unsigned(c - 'A' + 10);
        else
            return std::nullopt;
        v = v * 16 + d;
    }
    return Rgb{std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)};
}

std::optional<int> ParseInt(const std::string& word, int low, int high) {
    if (word.empty() || word.size() > 9) return std::nullopt;
    std::size_t i = 0;
    bool negative = false;
    if (word[0] == '-') {
        negative = true;
        i = 1;
        if (word.size() == 1) return std::nullopt;
    }
    long v = 0;
    for (; i < word.size(); ++i) {
        if (word[i] < '0' || word[i] > '9') return std::nullopt;
        v = v * 10 + (word[i] - '0');
    }
    if (negative) v = -v;
    if (v < low || v > high) return std::nullopt;
    return int(v);
}

std::string FormatRgb(Rgb c) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", c.r, c.g, c.b);
    return text;
}

std::string Where(const std::string& file, int line, const std::string& message) {
    return file + ":" + std::to_string(line) + ": " + message;
}

bool ReadTextFile(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::stringstream buffer;
    buffer << in.rdbuf();
    text = buffer.str();
    return true;
}

}  // namespace zv::zvdata::art
