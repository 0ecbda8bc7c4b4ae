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

}  // namespace zv::ui
