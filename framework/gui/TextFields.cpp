#include "framework/gui/TextFields.h"

#include <cstring>
#include <string_view>

#include "platform/core/Sjis.h"

namespace zv::fw {

namespace {

constexpr std::size_t kBufferSize = 256;

bool IsWhiteSpace(unsigned char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

std::string_view Bounded(const char* text) {
    // One byte more than fits, so that a character across the limit is seen whole.
    const std::size_t n = strnlen(text, kBufferSize);
    return std::string_view(text, core::SjisCutLength(std::string_view(text, n), kBufferSize - 1));
}

}  // namespace

const char* StripSpaces(const char* text) {
    thread_local char buffer[kBufferSize];
    buffer[0] = '\0';
    if (text == nullptr) return buffer;
    const std::string_view in = Bounded(text);
    std::size_t out = 0;
    for (std::size_t i = 0; i < in.size(); ++i) {
        const auto c = static_cast<unsigned char>(in[i]);
        if (core::IsSjisLeadByte(c) && i + 1 < in.size()) {
            // A double-byte character is kept or dropped whole; its trail byte is never read
            // as the start of another character.
            const auto trail = static_cast<unsigned char>(in[i + 1]);
            if (!(c == 0x81 && trail == 0x40)) {
                buffer[out++] = char(c);
                buffer[out++] = char(trail);
            }
            ++i;
            continue;
        }
        if (!IsWhiteSpace(c)) buffer[out++] = char(c);
    }
    buffer[out] = '\0';
    return buffer;
}

int FindNthSpace(const char* text, int n) {
    if (text == nullptr) return -1;
    const std::string_view s = Bounded(text);
    static constexpr std::string_view kSeparator = " \x81\x40 ";
    if (n < 1) n = 1;
    std::size_t from = 0;
    for (int found = 1;; ++found) {
        const std::size_t at = s.find(kSeparator, from);
        if (at == std::string_view::npos) return -1;
        if (found == n) return int(at);
        from = at + kSeparator.size();
    }
}

}  // namespace zv::fw
