#pragma once

// The title window (the set-up container) is made by the set-up module, which sits above the
// game program. The program and the frame open it through this hook: at start-up, when a game
// ends and when the player returns to the title. Without an installed factory the frame simply
// stays empty (tests of the frame alone).
//
// The title lies over the frame's client area: the frame's caption and its menu bar (the map
// editor's) stay above it, so the editor's file commands lead from the title into the editor.

#include <functional>

#include "platform/ui/WindowTypes.h"

namespace zv::shell {

// Makes the title window over the frame; an empty handle on failure.
using TitleWindowFactory = std::function<ui::Hwnd(ui::Hwnd frame)>;

void SetTitleWindowFactory(TitleWindowFactory factory);
bool HasTitleWindowFactory();

// What the frame asks of an open title window before the map editor takes the frame: whether
// it may be left now (not in the middle of a set-up road, where a session or a half-made game
// hangs on its pages), and closing it. Unset: it may always be left, and leaving destroys it.
struct TitleLeaveHooks {
    std::function<bool(ui::Hwnd title)> mayLeave;
    std::function<void(ui::Hwnd title)> leave;
};
void SetTitleLeaveHooks(TitleLeaveHooks hooks);

// Creates the title window over the frame and sends it WM_TITLE_START (wParam 1 when a lobby
// started the program, lParam its participant block or 0). Empty when no factory is installed
// or the window could not be made.
ui::Hwnd OpenTitleWindow(ui::Hwnd frame, ui::WParam lobbyLaunched = 0, ui::LParam block = 0);

// The title window opened last while it still exists, else empty.
ui::Hwnd CurrentTitleWindow();
// True when no title window is open or it may be left for the editor now.
bool MayLeaveTitle();
// The open title window goes (the editor has taken the frame); nothing without one.
void LeaveTitle();

// The screen rectangle a title window covers: the frame's client area.
ui::Rect TitleWindowRect(ui::Hwnd frame);
// Puts the open title window over the frame's client area again (the frame moved or changed
// its size).
void FitTitleWindow(ui::Hwnd frame);

}  // namespace zv::shell
