#pragma once

// The map editor inside the game program's frame: while no game is played the frame's map
// document is the editor's (shell/MapEditorDocument.h), shown in the editor's map window with
// the HQ miniature beside it, opened and saved through the file dialogs with preview, with
// its one step of undo and redo, the map check, the map settings, the area information and
// the import of the other edition's maps.
//
// The program installs the commands at start-up and removes them at shut-down; a frame made
// without them carries greyed document items.

namespace zv::shell {

// The document's frame hooks, the commands 40007-40011, 40013-40015, 40040, 40041, 40062,
// 40080, 40097 and 40099 (each greyed exactly when it cannot run) and the window module that
// makes the HQ window and deletes the undo snapshots with the frame.
void InstallEditorCommands();
void UninstallEditorCommands();

// Whether the document is the editor's map (a SelMapEditWindow), as opposed to no map or the
// game's own map window.
bool IsEditorMapOpen();

// Gives the HQ window the editor borrowed back to the panel column (nothing when it is there):
// a game started over the editor's map lays it out with the other panels.
void ReturnHqWindowToColumn();

}  // namespace zv::shell
