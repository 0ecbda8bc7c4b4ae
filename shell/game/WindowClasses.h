#pragma once

// The game's window classes and its long-lived windows.
//
// Later parts of the program (panels, organisation windows, the map editor's palettes, the
// network pages, the title) join the frame through a GameWindowModule: its classes are
// registered with every other class at start-up, and its windows are created when the frame
// creates the game windows and stored in the window registry under their kinds. A module is
// added before the program starts (AddGameWindowModule), usually from the module's own
// registration function that the program's main calls.

#include <functional>
#include <string>
#include <vector>

#include "platform/ui/WindowTypes.h"

namespace zv::shell {

inline constexpr const char* kFrameClassName = "HEZVGameFrameWindow";
inline constexpr const char* kSelMapEditWindowClass = "SelMapEditWindow";
inline constexpr const char* kOrganizeWindowClass = "OrganizeWindow";
inline constexpr const char* kBackWindowClass = "BackWindow";
inline constexpr const char* kSelGameWindowClass = "SelGameWindow";
inline constexpr const char* kSelPaletteWindowClass = "SelPaletteWindow";

const char* GetFrameClassName();
// The frame's caption (Shift-JIS).
std::string GetFrameTitle();

struct GameWindowModule {
    std::string name;
    // Registers the module's classes; false stops the start-up.
    std::function<bool()> registerClasses;
    // Creates the module's windows (hidden) over the frame and the MDI client and stores them
    // in the window registry; called once while the frame is created.
    std::function<void(ui::Hwnd frame, ui::Hwnd mdiClient)> createWindows;
    // Destroys what createWindows made and the registry does not reach (may be empty).
    std::function<void()> destroyWindows;
};

void AddGameWindowModule(GameWindowModule module);
// Forgets every module (tests).
void ClearGameWindowModules();
const std::vector<GameWindowModule>& GameWindowModules();

// Registers the frame class and every class of the game's windows (map views, the map editor's
// document, the overview map, the organisation windows, the HQ, command, tool bar, helper and
// chat windows and the four classes no window is made of yet), the skinned controls and then
// every module's classes. 1, or 0 at the first registration that fails. A class already
// registered counts as registered.
int RegisterWindowClasses(void* instance);

// Creators of the shell's windows. The frame's music may use the system's soundfont unless
// `music` is false.
ui::Hwnd CreateFrameWindow(void* instance, bool music = true);
// The game map: an MDI child of the client, "地図".
ui::Hwnd CreateRealViewWindow(void* instance, ui::Hwnd mdiClient);

// Creates the set of game windows once, from the frame's creation; 1.
int CreateGameWindows(ui::Hwnd frame, ui::Hwnd mdiClient);
// Hides every game window that exists.
void HideGameWindows();
// Destroys every game window that exists and the MDI client last; 1.
int DestroyGameWindows(ui::Hwnd mdiClient);

// Checks the item in the frame's menu when the window exists and is visible, else unchecks it.
void CheckMenuByWindowVisible(ui::Hwnd window, int command);

}  // namespace zv::shell
