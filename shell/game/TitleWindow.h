#pragma once

// The title window (the set-up container) is made by the set-up module, which sits above the
// game program. The program and the frame open it through this hook: at start-up, when a game
// ends and when the player returns to the title. Without an installed factory the frame simply
// stays empty (tests of the frame alone).

#include <functional>

#include "platform/ui/WindowTypes.h"

namespace zv::shell {

// Makes the title window over the frame; an empty handle on failure.
using TitleWindowFactory = std::function<ui::Hwnd(ui::Hwnd frame)>;

void SetTitleWindowFactory(TitleWindowFactory factory);
bool HasTitleWindowFactory();

// Creates the title window over the frame and sends it WM_TITLE_START (wParam 1 when a lobby
// started the program, lParam its participant block or 0). Empty when no factory is installed
// or the window could not be made.
ui::Hwnd OpenTitleWindow(ui::Hwnd frame, ui::WParam lobbyLaunched = 0, ui::LParam block = 0);
// The title window, while it exists, covers the frame: the frame calls this when its size
// changes (the screen window maximised or restored, the desktop's size changed).
void FitTitleWindowOverFrame(ui::Hwnd frame);

}  // namespace zv::shell
