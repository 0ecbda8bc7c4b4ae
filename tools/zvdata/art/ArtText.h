#pragma once

// Small text helpers shared by the art source readers: lines split into words, colours and
// numbers read with a clear message on failure.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zv::zvdata::art {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Words of a line, without the comment that starts at '#' followed by a blank or at the line's
// start (so "#rrggbb" colours are words).
std::vector<std::string> SplitWords(const std::string& line);

// "#rrggbb"; nothing for anything else.
std::optional<Rgb> ParseRgb(const std::string& word);

// A decimal integer within [low, high]; nothing otherwise.
std::optional<int> ParseInt(const std::string& word, int low, int high);

std::string FormatRgb(Rgb c);

// "FILE:LINE: message"
std::string Where(const std::string& file, int line, const std::string& message);

bool ReadTextFile(const std::string& path, std::string& text);

}  // namespace zv::zvdata::art
