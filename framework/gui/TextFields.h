#pragma once

// Trimming and splitting of the game's Shift-JIS texts (troop names, news lines).

namespace zv::fw {

// The text without white space (space, tab, line feed, vertical tab, form feed, carriage
// return) and without full-width spaces. The result lives in a buffer of 256 bytes that the
// next call on the same thread overwrites; longer texts are cut at 255 bytes, never inside a
// double-byte character.
const char* StripSpaces(const char* text);

// The byte index of the n-th separator " 　 " (space, full-width space, space), counting from
// 1 (n of 0 or less finds the first); -1 when the text ends first. Texts beyond 255 bytes are
// searched in their first 255 bytes.
int FindNthSpace(const char* text, int n);

}  // namespace zv::fw
