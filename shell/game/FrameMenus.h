#pragma once

// The frame's menus, its accelerators and what each menu command does.
//
// Menus: 313 (the map editor's bar, carried while no game is played), 314 (the game's bar,
// carried while a game is played), 350 (the in-game system menu), 352 and 353 (its fight and
// sound pop-ups on their own) and 101 (the development bar with every command the frame knows).
// Accelerators: 102 (Ctrl+F5 redraw, Ctrl+N).
//
// A command whose window or service belongs to a part of the program that is not there greys
// its item: later windows make their commands live with SetFrameCommandHandler (a command of
// their own) or simply by existing (the toggle commands follow the window registry).

#include <functional>

#include "platform/ui/WindowTypes.h"
#include "shell/FrameCommands.h"

namespace zv::shell {

void RegisterFrameMenus();

using FrameCommandHandler = std::function<ui::LResult(ui::Hwnd frame, ui::WParam w, ui::LParam l)>;
using FrameCommandAvailable = std::function<bool()>;
// Installs (or, with an empty handler, removes) the handler of a command that the frame leaves
// to another part of the program: 40002, 40007-40011, 40013, 40014, 40015, 40030, 40040,
// 40041, 40062, 40086, 40088, 40097, 40098, 40099, 40118, 40119, 40122, 40132, 40133. A handler
// installed for one of the frame's own commands replaces what the frame does. `available`
// says when the command can run (its item greyed otherwise); without it the command is
// available while installed. The document items still need an open document either way.
void SetFrameCommandHandler(int command, FrameCommandHandler handler, FrameCommandAvailable available = {});
void ClearFrameCommandHandlers();

// The frame's WM_COMMAND. *handled is false for commands the frame does not know.
ui::LResult HandleFrameCommand(ui::Hwnd frame, ui::WParam w, ui::LParam l, bool* handled);
// Whether the command is a row of the frame's command table.
bool IsFrameCommand(int command);
// Whether the command can run now: its window or handler exists and the mode allows it.
bool IsFrameCommandAvailable(int command);
// Enables the items of the frame's menu that can run now and greys the others.
void UpdateFrameMenuItems(ui::Hwnd frame);

// Starts the named music file of the program directory (null: stops the music) when "BGM" is
// on; returns the option's value.
int PlayMusicFile(const char* name);

}  // namespace zv::shell
