#pragma once

// Text input of the canvas: the game's texts are Shift-JIS bytes, the program's own literals
// UTF-8. Both are decoded to code points before layout.

#include <string>
#include <string_view>

namespace zv::ui {

enum class TextEncoding { ShiftJis, Utf8 };

// Invalid sequences decode to U+FFFD.
std::u32string DecodeText(std::string_view text, TextEncoding encoding);
std::u32string DecodeUtf8(std::string_view text);

// Line breaking as Japanese is typeset: a line never begins with closing punctuation, a full
// stop or comma, a middle dot, a prolonged sound mark, an iteration mark or a small kana, and
// never ends with an opening bracket. Every window that wraps text asks this.
bool MayBreakBetween(char32_t before, char32_t after);

// Where a line that breaks between any two characters ends when text[at] no longer fits: the
// last place at or before `at` (and after the first character) that MayBreakBetween allows,
// or `at` itself when the line has none.
std::size_t LineEndBefore(std::u32string_view text, std::size_t at);

// True for full-width (CJK) characters, between which a line may break without a space.
bool IsFullWidthBreakable(char32_t c);

}  // namespace zv::ui
