#pragma once

// The settings file ZV6WIN.INI in the program directory: user options (section "Environ"), the
// network user name, window positions (section "Windows") and file names (section "FILE").
// Nothing is cached: every read and write goes to the file, so a change shows at the next read.
// A missing file or key reads as the default. Texts are Shift-JIS bytes.

#include <cstdint>
#include <string>

#include "shell/WindowRegistry.h"
#include "shell/FrameCommands.h"
#include "shell/WindowMessages.h"

namespace zv::shell {

constexpr int kMapOptionTroopCaptions = 7;    // the troop caption mode 0-4


constexpr int kUserNameBufferSize = 80;

// The file's path, built anew on every access: the program directory and "\ZV6WIN.INI".
std::string GetIniFilePath();
// Copies the path into a buffer of 260 bytes (cut to fit) and returns the buffer.
char* GetIniFilePath(char* buffer);

// Any section and key (integers stored as "%d").
int GetProfileIntFrom(const char* section, const char* key, int def);
int PutProfileIntTo(const char* section, const char* key, int value);
int GetEnvironInt(const char* key, int def);
int PutEnvironInt(const char* key, int value);
int GetWindowsInt(const char* key, int def);
int PutWindowsInt(const char* key, int value);

// Texts of at most 80 bytes including the terminator (never cut inside a double-byte
// character); `out` holds at least 80 bytes.
char* GetUserNameSetting(const char* section, const char* key, const char* def, char* out);
int PutUserNameSetting(const char* section, const char* key, const char* text);
char* GetFileSetting(const char* key, const char* def, char* out);
int PutFileSetting(const char* key, const char* text);

// The "Environ" options, each stored cut to its width: byte, u16, i16 or int.
int GetGameSpeed();
int PutGameSpeed(int v);
int GetFightMine();
int PutFightMine(int v);
int GetFightOther();
int PutFightOther(int v);
int GetFightSimple();
int PutFightSimple(int v);
int GetPaneConf();
int PutPaneConf(int v);
int GetBgm();
int PutBgm(int v);
int GetSound();
int PutSound(int v);
int GetMapOption();  // key "Map"
int PutMapOption(int v);
int GetMapSize();
int PutMapSize(int v);
int GetMapFrame();
int PutMapFrame(int v);
int GetLader();
int PutLader(int v);
int GetSupply();
int PutSupply(int v);
int GetMove();
int PutMove(int v);
int GetTroop();
int PutTroop(int v);
int GetInfo();
int PutInfo(int v);
int GetDispPanel();
int PutDispPanel(int v);
int GetMaxAttackRenge();
int PutMaxAttackRenge(int v);
int GetAttackRengeMagnifying();
int PutAttackRengeMagnifying(int v);
int GetHexSizeKind();
int PutHexSizeKind(int v);
int GetFrameSwidth();
int PutFrameSwidth(int v);
int GetMapDispKind();
int PutMapDispKind(int v);
int GetMapOtherDispSwitch();
int PutMapOtherDispSwitch(int v);
int GetTroopManeDispSwitch();
int GetDrawType();
int PutDrawType(int v);
int GetRbuttonType();
int PutRbuttonType(int v);
int GetPenType();
int PutPenType(int v);
int GetAriaType();
int PutAriaType(int v);
int GetDeleteType();
int PutDeleteType(int v);
int GetSprayAriaType();
int PutSprayAriaType(int v);
int GetSprayNumType();
int PutSprayNumType(int v);
int GetDispTerType();
int PutDispTerType(int v);

// A window's place: position (MDI-client coordinates for windows without WS_POPUP, screen
// coordinates for pop-ups) and size.
struct PlacementRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const PlacementRect&, const PlacementRect&) = default;
};

// Splits text at the separator into `count` integers (signed decimal; an empty or missing
// field gives 0). Returns 1.
int SplitIntList(int count, char separator, int* out, const char* text);

// The "Windows" value format "%d,%d,%d,%d,%d,%d": flags, left, top, width, height, visible.
// Reading keeps the incoming values for a missing key, and for fields a short value lacks.
void ReadPlacementValues(const char* key, int* flags, PlacementRect* rect, int* visible);
int WritePlacementValues(const char* key, int flags, const PlacementRect& rect, int visible);

// Moves and sizes the kind's window to its stored place (a window without a sizing border keeps
// its size; a negative left or top becomes 0) and shows it when stored visible. 0 for a number
// that is no kind or a kind without a window, else 1.
int LoadWindowPlacement(int kind, int* flags, PlacementRect* rect, int* visible);
// Stores the kind's window's place and visibility; nothing for a kind without a window.
void SaveWindowPlacement(int kind);

// The check-mark hook of the display options; the game's does nothing. Tests install one to
// watch the calls. Null restores the default.
using MenuCheckHook = void (*)(int command, int checked);
void SetMenuCheckHook(MenuCheckHook hook);

// Pushes the stored display options into the windows. Returns 1.
int ApplyDisplaySettings();
int ReapplyDisplaySettings();

}  // namespace zv::shell
