#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zv::core {

// Shift-JIS here is Windows code page 932, the encoding of every record, file and
// network payload of the game.

// Converts Shift-JIS bytes to UTF-8. A byte pair or byte that has no character (an
// unassigned pair, a stray trail byte, a lead byte at the end) becomes one '?'; the
// conversion never fails.
std::string SjisToUtf8(std::string_view sjis);

// Converts UTF-8 to Shift-JIS bytes. A character with no Shift-JIS form and every byte of
// malformed UTF-8 becomes one '?'; the conversion never fails.
std::string Utf8ToSjis(std::string_view utf8);

// True for the first byte of a double-byte character (0x81-0x9F, 0xE0-0xFC).
bool IsSjisLeadByte(unsigned char c);

// The largest length <= maxBytes that does not split a double-byte character of `text`.
// A lead byte as the very last byte of `text` counts as a character of its own.
std::size_t SjisCutLength(std::string_view text, std::size_t maxBytes);

}  // namespace zv::core
