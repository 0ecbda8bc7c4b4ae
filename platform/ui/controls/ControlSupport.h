#pragma once

// What every control class shares: its state object behind window bytes 0, notifications to
// its parent, the font it draws with, and its colours from the parent's WM_CTLCOLOR* answer.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/ui/Canvas.h"
#include "platform/ui/ClassicTheme.h"
#include "platform/ui/Window.h"
#include "platform/ui/controls/CommonControls.h"
#include "platform/ui/controls/ControlConstants.h"

namespace zv::ui::controls {

// Window bytes of every control class: slot 0 holds the state object.
constexpr int kControlExtraBytes = 8;

// The state object of a control, made in WM_NCCREATE and deleted in WM_NCDESTROY.
template <typename State>
State* StateOf(Hwnd h) {
    return reinterpret_cast<State*>(GetWindowLongPtr(h, 0));
}
template <typename State>
State* AttachState(Hwnd h, std::unique_ptr<State> state) {
    State* raw = state.release();
    SetWindowLongPtr(h, 0, reinterpret_cast<intptr_t>(raw));
    return raw;
}
template <typename State>
void DetachState(Hwnd h) {
    delete StateOf<State>(h);
    SetWindowLongPtr(h, 0, 0);
}

// Registers one control class with the extra bytes above; true when it exists afterwards.
bool RegisterControlClass(const char* name, WndProc proc, uint32_t classStyle, uint32_t cursor);

uint32_t StyleOf(Hwnd h);
int ControlId(Hwnd h);
// The window that receives the control's notifications: its parent (or owner).
Hwnd NotifyTarget(Hwnd h);
// WM_COMMAND (id | code << 16, control) to the parent.
LResult NotifyCommand(Hwnd h, int code);
// WM_NOTIFY to the parent; hdr's fields are filled in here.
LResult NotifyParent(Hwnd h, NmHdr* hdr, uint32_t code);

// The font a control draws with: the one WM_SETFONT gave, else the layer's default face.
struct ControlFont {
    Font font = theme::DialogFont();
    bool custom = false;
    // WM_SETFONT (wParam: const Font*, null for the default) and WM_GETFONT (answers const
    // Font*); true when the message was one of them.
    bool Handle(Hwnd h, uint32_t msg, WParam wp, LParam lp, LResult* result);
};

// Asks the parent for the colours of a control (WM_CTLCOLOR*), sets them on the canvas and
// gives the brush to fill the background with; null for a hollow brush.
const Brush* ParentColors(Hwnd h, Canvas* dc, uint32_t ctlColorMsg);

// Sets a window scroll bar of a control that was made with WS_VSCROLL / WS_HSCROLL: the bar
// shows while the range exceeds the page and goes away otherwise, unless keepDisabled asks it
// to stay (greyed) as LBS_DISABLENOSCROLL does.
void SetControlScrollBar(Hwnd h, int bar, int max, int page, int pos, bool keepDisabled);

// theme::DrawEdge around a whole rectangle.
void Edge3d(Canvas& dc, Rect r, uint32_t edge);

bool ShiftDown();
bool ControlDown();

// Shift-JIS text helpers of the text controls.
bool IsLead(char c);
// The byte offset of the character before / after `pos`.
std::size_t PrevCharStart(std::string_view text, std::size_t pos);
std::size_t NextCharEnd(std::string_view text, std::size_t pos);
// True when `pos` lies on a character boundary.
bool IsCharBoundary(std::string_view text, std::size_t pos);
// Case-insensitive ASCII prefix comparison, as list boxes search their strings.
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
bool EqualsNoCase(std::string_view a, std::string_view b);
int CompareNoCase(std::string_view a, std::string_view b);

// Copies text into a caller's buffer of `capacity` bytes with a terminating zero, never
// splitting a double-byte character; returns the bytes copied.
std::size_t CopyOut(std::string_view text, char* buffer, std::size_t capacity);

}  // namespace zv::ui::controls
