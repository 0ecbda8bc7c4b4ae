#pragma once

// A short notice in a small topmost window that closes itself after a time and then calls a
// function (a participant leaving a network game, for instance). With 0 milliseconds it stays
// until its OK button (command 1) is pressed, and the function is never called.

#include <cstdint>
#include <functional>
#include <string>

#include "platform/ui/WindowTypes.h"

namespace zv::fw {

// The notice's layout (client area) and its button.
constexpr int kTimedNoticeWidth = 300;
constexpr int kTimedNoticeHeight = 96;
constexpr int kTimedNoticeButtonId = 1;
// The text is kept to this many bytes (never half a double-byte character).
constexpr int kTimedNoticeTextLimit = 63;

using TimedNoticeFunction = std::function<void()>;

// Always 1, as callers expect, whether or not the window could be made. The text and caption
// are Shift-JIS; a null caption keeps the notice's own (empty) caption.
int ShowTimedMessageDialog(ui::Hwnd parent, const char* text, const char* caption,
                           TimedNoticeFunction function, uint32_t milliseconds);

// The notice window made by the last call (null when none was made), for tests and callers
// that close it themselves.
ui::Hwnd LastTimedMessageDialog();
// The text a notice window shows ("" for any other window).
std::string TimedMessageDialogText(ui::Hwnd notice);

}  // namespace zv::fw
