#pragma once

// The screensaver window and its program: the window procedure with the 200 ms scheduler, the
// settings dialog (template 2003 of the window layer's registry) and the command line of both
// programs (/s full screen, /c settings, /p WINDOW preview, /a password, /l description).

#include <string>
#include <vector>

#include "platform/ui/DialogTemplate.h"
#include "platform/ui/WindowTypes.h"
#include "saver/SaverCore.h"

namespace zv::saver {

constexpr int kSettingsDialog = 2003;
// Dialog controls.
constexpr int kIdTitleCheck = 1037, kIdOpeningCheck = 1038;
constexpr int kIdLoopRadio = 1009, kIdCountRadio = 1006, kIdDemoCountRadio = 1007;
constexpr int kIdLoopEdit = 1024, kIdLoopUpDown = 1025;
constexpr int kIdDemoGroupFirst = 1031;  // 1031 + 5g .. 1035 + 5g

struct SaverOptions {
    SaverBuild build = SaverBuild::Saver;
    SaverEnvironment env;
    bool preview = false;
    bool seedFromClock = true;
    uint32_t seed = 0;  // when not from the clock
};

// Registers the window class and creates the saver window over (x, y, w, h) as a popup;
// WM_CREATE makes the state current. Null when the window cannot be made.
ui::Hwnd CreateSaverWindow(const SaverOptions& options, int x, int y, int w, int h);
ui::LResult ScreenSaverProc(ui::Hwnd h, uint32_t msg, ui::WParam wp, ui::LParam lp);
// Handles one timer tick as WM_TIMER does (tests step the scheduler with it).
void SaverTick();

// The settings dialog template of the build (registered under 2003 by RegisterSaverDialog).
ui::DialogTemplate SettingsDialogTemplate(SaverBuild build);
void RegisterSaverDialog(SaverBuild build);
intptr_t ScreenSaverConfigureDialog(ui::Hwnd dlg, uint32_t msg, ui::WParam wp, ui::LParam lp);
// Sets the build and settings file the dialog works on and registers its template (before
// creating the dialog with ScreenSaverConfigureDialog).
void PrepareSettingsDialog(SaverBuild build, const std::string& settingsFile);
// Runs the dialog modally for the build with the settings file; 0.
int RunSettingsDialog(SaverBuild build, const std::string& settingsFile, ui::Hwnd owner);

// The programs' main: parses the switches, runs, returns the exit code.
int SaverMain(SaverBuild build, const std::vector<std::string>& args);

}  // namespace zv::saver
