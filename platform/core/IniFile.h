#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zv::core {

// Settings files in the private-profile format: "[Section]" lines and "Key=Value" lines.
// Section and key names compare without regard to ASCII case (the bytes of double-byte
// Shift-JIS characters compare exactly); surrounding blanks of names and values are
// ignored, and a value in matching quotes loses them. Values are opaque bytes. When a
// section or key occurs twice, the first occurrence counts. `file` is a game path.
// Every call goes to the file (no cache) and all calls of the process are serialised, so
// they are safe from several threads.

// The value as an integer: optional blanks and sign, then decimal digits, or "0x" hex,
// "0o" octal or "0b" binary digits, read up to the first other character (no digit gives
// 0; the value wraps modulo 2^32). A missing file, section or key, or an empty value,
// gives `def`.
int IniGetInt(const std::string& file, std::string_view section, std::string_view key, int def);

// The value, or `def` when the file, section or key is missing.
std::string IniGetString(const std::string& file, std::string_view section, std::string_view key,
                         std::string_view def);

// Stores key=value. The file is created on the first write (its folder must exist); a new
// section goes at the end, a new key after the last line of its section, and every other
// line stays as it was. The file is replaced atomically. Returns false and changes
// nothing when the file cannot be read or written, or when a name is empty or a name or
// the value holds a line break (which would forge other lines), a key holds '=' or starts
// with '[', or a section holds ']'.
bool IniWriteString(const std::string& file, std::string_view section, std::string_view key,
                    std::string_view value);

// The same on settings text held in memory: the value of a key (nullopt when the section or
// key is missing), the integer reading of a value, and the text with key=value stored (nullopt
// for what IniWriteString refuses).
std::optional<std::string> IniFindValue(std::string_view content, std::string_view section,
                                        std::string_view key);
int IniParseInt(std::string_view value);
std::optional<std::string> IniStoreValue(std::string_view content, std::string_view section,
                                         std::string_view key, std::string_view value);

}  // namespace zv::core
