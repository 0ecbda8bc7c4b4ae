#pragma once

// What every control class shares: its state object behind window bytes 0, notifications to
// its parent, the font it draws with, and its colours from the parent's WM_CTLCOLOR* answer.

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// A control's handler of one message (or of a few that share it): the window, its state and
// the message as the window procedure received it.
template <typename State>
using ControlHandler = LResult (*)(Hwnd h, State* s, uint32_t msg, WParam wp, LParam lp);

// The messages a control class answers, one row each; the rest go to DefWindowProc.
template <typename State>
class ControlMessages {
  public:
    struct Row {
        uint32_t msg;
        ControlHandler<State> handler;
    };

    ControlMessages(std::initializer_list<Row> rows) : rows_(rows) {
        std::sort(rows_.begin(), rows_.end(),
                  [](const Row& a, const Row& b) { return a.msg < b.msg; });
        assert(std::adjacent_find(rows_.begin(), rows_.end(), [](const Row& a, const Row& b) {
                   return a.msg == b.msg;
               }) == rows_.end());
    }

    ControlHandler<State> Find(uint32_t msg) const {
        const auto it = std::lower_bound(rows_.begin(), rows_.end(), msg,
                                         [](const Row& r, uint32_t m) { return r.msg < m; });
        return it != rows_.end() && it->msg == msg ? it->handler : nullptr;
    }

  private:
    std::vector<Row> rows_;
};

// The row of WM_SETFONT or WM_GETFONT of a control whose state keeps a ControlFont `font`.
template <typename State>
LResult HandleFont(Hwnd h, State* s, uint32_t msg, WParam wp, LParam lp) {
    LResult result = 0;
    s->font.Handle(h, msg, wp, lp, &result);
    return result;
}

// The window procedure of every control class. WM_NCCREATE makes the state (the class's own
// WM_NCCREATE row then fills it in from the creation parameters); WM_NCDESTROY deletes it after
// the class's row has run. Without a row of their own, WM_SETFONT and WM_GETFONT go to the
// state's ControlFont (when it keeps one) and WM_ERASEBKGND erases nothing, since every control
// paints all of its client area in WM_PAINT. The rest, and whatever comes before the state
// exists, goes to DefWindowProc.
template <typename State>
LResult DispatchControl(const ControlMessages<State>& messages, Hwnd h, uint32_t msg, WParam wp,
                        LParam lp) {
    const ControlHandler<State> handler = messages.Find(msg);
    if (msg == WM_NCCREATE) {
        State* s = AttachState(h, std::make_unique<State>());
        if (handler) handler(h, s, msg, wp, lp);
        return DefWindowProc(h, msg, wp, lp);
    }
    State* s = StateOf<State>(h);
    if (!s) return DefWindowProc(h, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        if (handler) handler(h, s, msg, wp, lp);
        DetachState<State>(h);
        return DefWindowProc(h, msg, wp, lp);
    }
    if (handler) return handler(h, s, msg, wp, lp);
    if constexpr (requires { s->font; }) {
        if (msg == WM_SETFONT || msg == WM_GETFONT) return HandleFont(h, s, msg, wp, lp);
    }
    if (msg == WM_ERASEBKGND) return 1;
    return DefWindowProc(h, msg, wp, lp);
}

// WM_GETDLGCODE of a control that takes the arrow keys and the characters typed.
template <typename State>
LResult WantArrowsAndChars(Hwnd, State*, uint32_t, WParam, LParam) {
    return DLGC_WANTARROWS | DLGC_WANTCHARS;
}

// The position a WM_VSCROLL / WM_HSCROLL code asks of a control scrolled from `pos`: a line or
// a page either way, the thumb's position, or an end (0 and `end`; with no end the ends are not
// answered). Nothing for the codes that move nothing. The caller clamps.
struct ScrollSteps {
    int line = 1;
    int page = 1;
    std::optional<int> end;
};
std::optional<int> ScrollTarget(uint32_t code, int pos, int thumb, const ScrollSteps& steps);

// The row a navigation key moves a list's caret to from row `from` of `count`: a row up or
// down, a page (less one row) up or down, or an end. Nothing for other keys. The caller clamps.
std::optional<int> ListKeyTarget(uint32_t vk, int from, int pageRows, int count);

// The wheel's rows: `rowsPerNotch` for each notch, up (away from the user) positive.
int WheelRows(WParam wp, int rowsPerNotch);

// WM_SETFOCUS / WM_KILLFOCUS of a common control that draws its focus: keeps the flag, redraws
// the control (erasing the background or not) and tells the parent NM_SETFOCUS / NM_KILLFOCUS.
void FocusChanged(Hwnd h, bool* focused, bool gained, bool erase);

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
