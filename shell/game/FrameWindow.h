#pragma once

// The frame: the game's one top-level window. It owns the MDI client, creates the game windows,
// lays out the windows docked under its tool strip, carries the menu bar and receives every menu
// command, plays the music, and takes the private messages through which the game starts,
// stops and ends. Destroying it ends the message loop.

#include <cstdint>

#include "platform/ui/WindowTypes.h"
#include "shell/WindowRegistry.h"

namespace zv::fw {
class MidiPlayer;
}

namespace zv::shell {

ui::LResult HEZVGameFrameWindowProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l);
// What CreateFrameWindow hands the frame's creation (its create parameter; none: the defaults).
struct FrameCreateParams {
    bool music = true;
};

// Records which docked windows are visible, then lays them out. 1.
int RememberDockedWindows(ui::Hwnd frame);
int LayoutDockedWindows(ui::Hwnd frame);
// Makes a pop-up window a caption-less child: the overview map of the map, others of the frame.
void DockWindow(ui::Hwnd frame, WindowKind kind);
// Shows a hidden window of the kind or hides a visible one (the panels and the table group
// remember it in the settings).
void ToggleWindowOfKind(ui::Hwnd frame, WindowKind kind);
// Enables (on) or greys (off) the items that need a document.
void EnableMenusForMode(ui::Hwnd frame, int on);
ui::LResult ForwardToMapWindow(ui::Hwnd frame, uint32_t msg, ui::WParam w, ui::LParam l);

ui::Hwnd GetFrameStatusControl();
// Forgets the frame's delayed actions and the pending network action.
void ResetFrameTimers();
int IsFrameActive(ui::Hwnd window);
// Whether the document items are enabled (the last EnableMenusForMode).
bool IsDocumentMode();
// True while a game is being played (from play's begin to its end).
bool IsGamePlaying();
// Switches the bar between the editor's menu and the game's.
void SetGamePlaying(ui::Hwnd frame, bool playing);
fw::MidiPlayer* GetFrameMidiPlayer();

// Called when a map document closes; 1.
int MapDocumentHook();

}  // namespace zv::shell
