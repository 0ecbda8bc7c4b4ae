#pragma once

// The debug window's line list: the system list-box messages it needs (add, insert, delete,
// count, text, caret, horizontal extent, font), its lines drawn from the top line, and both
// scroll bars. The debug window uses the layer's "LISTBOX" control when one is registered and
// this class otherwise.

#include <cstdint>

namespace zv::fw {

constexpr const char* kDebugListClass = "ZvDebugList";

// List-box message numbers as the system numbers them.
constexpr uint32_t kLbAddString = 0x0180;
constexpr uint32_t kLbInsertString = 0x0181;
constexpr uint32_t kLbDeleteString = 0x0182;
constexpr uint32_t kLbResetContent = 0x0184;
constexpr uint32_t kLbGetText = 0x0189;
constexpr uint32_t kLbGetTextLen = 0x018A;
constexpr uint32_t kLbGetCount = 0x018B;
constexpr uint32_t kLbGetTopIndex = 0x018E;
constexpr uint32_t kLbGetHorizontalExtent = 0x0193;
constexpr uint32_t kLbSetHorizontalExtent = 0x0194;
constexpr uint32_t kLbSetCaretIndex = 0x019E;
constexpr uint32_t kLbGetCaretIndex = 0x019F;
constexpr intptr_t kLbErr = -1;

// Registers the class once per window layer.
void RegisterDebugListClass();

}  // namespace zv::fw
