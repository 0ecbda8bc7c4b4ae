#pragma once

// The map editor's document as the frame sees it: at most one map, shown in one map window
// (kind MapWnd) with its unit-contents window and overview map. New, opened from a map file or
// imported from the other edition's format; saved through the atomic map writer; one step of
// undo and redo kept in two snapshot files of the current directory, named per process so that
// two running copies never restore each other's snapshots.
//
// The frame calls the entry functions below from its menu commands (HandleMapEditorCommand
// takes the document's own command ids). What belongs to the frame's other windows (menus of
// the mode, the network session, the clock, the unit-contents window) goes through
// EditorFrameHooks, whose defaults do what a frame without those windows needs.

#include <cstdint>
#include <functional>
#include <string>

#include "platform/ui/WindowTypes.h"
#include "shell/FrameCommands.h"

namespace zv::shell {

// The undo and redo buttons of the tool window (when there is one).
constexpr int kIdUndoButton = 1214;
constexpr int kIdRedoButton = 1217;

struct EditorFrameHooks {
    // The menus of the editing mode on or off.
    std::function<void(ui::Hwnd frame, bool on)> enableMenusForMode;
    // The map window for a new or loaded map, made in the MDI client (default: the game's map
    // window class).
    std::function<ui::Hwnd(ui::Hwnd mdiClient)> createMapWindow;
    // The unit-contents window over the map window; the overview map in the MDI client.
    std::function<ui::Hwnd(ui::Hwnd mapWindow)> createUnitContents;
    std::function<ui::Hwnd(ui::Hwnd mdiClient)> createOverview;
    // Before the map window goes: leave a network session or suspend the clock.
    std::function<void(ui::Hwnd frame)> stopGame;
    // The frame's other game windows hide (and its own document hook runs).
    std::function<void()> hideGameWindows;
};
void SetEditorFrameHooks(EditorFrameHooks hooks);

// The snapshot files of this process, in the directory that was current when the document
// opened (it stays their place whatever changes the current directory later).
std::string UndoFileName();
std::string RedoFileName();

// 1 when the file can be opened for reading.
int FileExists(const std::string& path);
void DeleteUndoFiles(ui::Hwnd frame);
// Writes the document to the undo snapshot and enables Undo; 1 when written.
int SaveUndoState(ui::Hwnd frame);
int RestoreUndoState(ui::Hwnd frame);
int SaveRedoState(ui::Hwnd frame);
int RestoreRedoState(ui::Hwnd frame);
// Whether Undo and Redo are enabled (the frame's menu items and the tool buttons follow).
bool IsUndoEnabled();
bool IsRedoEnabled();

// The document's windows for the live tables: `reset` first empties the map.
int OpenMapDocument(ui::Hwnd frame, int reset);
// Closes the open document (asking whether to save a changed one), then imports the file into
// an empty map and shows it in an editor map window. 0 when the file is refused or the user
// cancels; the open document then stays.
int OpenImportedMap(ui::Hwnd frame, const std::string& path);
// Reasons: 0 a user command, 1 return to the title, 3 end of a network game. Returns 1.
int CloseMapDocument(ui::Hwnd frame, int reason);
void SetMapWindowCaption(ui::Hwnd window);

// A changed document asks "save?" (Yes saves, No drops, Cancel keeps it open): true when the
// command may go on.
bool ConfirmCloseMapDocument(ui::Hwnd frame);
// The document changed since it was opened or saved.
bool IsMapDocumentModified();

// New map: closes the open document (asking first) and opens an empty one.
int NewMapDocument(ui::Hwnd frame);
// Open: the file dialog with preview; on success the chosen map replaces the document.
int OpenMapDocumentFromFile(ui::Hwnd frame);

// The document's commands (ids above, also map check and area information); 1 when handled.
int HandleMapEditorCommand(ui::Hwnd frame, int id, ui::WParam w, ui::LParam l);

}  // namespace zv::shell
