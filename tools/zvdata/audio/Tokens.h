#pragma once

#include <charconv>
#include <string>
#include <string_view>
#include <vector>

// Blank-separated words and numbers of the sound and score sources.
namespace zv::zvdata::audio {

inline std::vector<std::string> SplitWords(std::string_view text) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
        const std::size_t start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t') ++i;
        if (i > start) words.emplace_back(text.substr(start, i - start));
    }
    return words;
}

// A whole decimal number within [min, max]; false for anything else.
inline bool ParseNumber(std::string_view text, double min, double max, double& value) {
    if (text.empty() || text.front() == '+') return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && value >= min && value <= max;
}

inline bool ParseWhole(std::string_view text, long min, long max, long& value) {
    if (text.empty()) return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && value >= min && value <= max;
}

// "key=value" into its halves; false without '=' or with an empty side.
inline bool SplitKeyValue(const std::string& word, std::string& key, std::string& value) {
    const std::size_t at = word.find('=');
    if (at == std::string::npos || at == 0 || at + 1 == word.size()) return false;
    key = word.substr(0, at);
    value = word.substr(at + 1);
    return true;
}

}  // namespace zv::zvdata::audio
