#pragma once

// "Open this file with the desktop's default program", in the shape the game's code calls it.

#include <cstdint>
#include <string>

#include "platform/ui/WindowTypes.h"

namespace zv::shell {

constexpr std::intptr_t SE_ERR_FNF = 2;            // the file does not exist
constexpr std::intptr_t SE_ERR_NOASSOC = 31;       // nothing could open it
constexpr std::intptr_t SE_ERR_UNSUPPORTED = 26;   // an operation other than "open"

// Only the operation "open" (or null) is known; parameters, directory and show command are not
// used by the desktop's opener. Returns a value above 32 on success, else one of the codes
// above; the reason in words is then in LastShellExecuteError (UTF-8).
std::intptr_t ShellExecute(ui::Hwnd owner, const char* operation, const std::string& file,
                           const char* parameters, const char* directory, int show);
const std::string& LastShellExecuteError();

}  // namespace zv::shell
