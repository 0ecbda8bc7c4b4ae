#pragma once

// The skinned controls of the corps and troop organisation windows.
//
// Eight window classes that paint themselves from the button sheet "btn_gun.bmp" (and the bar
// picture "bar_gun.bmp") over a copy of the parent's background picture, so that they blend
// into the window's artwork:
//
//   PackButtonCtlWindow   four radio buttons (the equipment packs), 144 x 16
//   LandButtonCtlWindow   a grid of 21 owner-drawn 16 x 16 buttons (land kinds), one selected
//   BackButtonWIndow      a 20 x 20 image button (page back)
//   NextButtonWIndow      a 20 x 20 image button (page forward)
//   ScrollCtlWindow       a value bar with two arrows (positions are pixels of bar length)
//   ListBoxWindow         an owner-drawn list with 14-pixel rows under a free 16-pixel caption
//   VScrollBarWindow      a 16-pixel scroll bar meant for a ListBoxWindow (registered, unused)
//   ComboBoxWindow        a 68-pixel face with a drop-down list of 60 pixels
//
// The parent creates a control, hands it its own background Dib with WM_SKIN_SET_BACKGROUND and
// steers it with the messages below; the controls answer with the notifications. Each control
// is an object made with its window and gone with it, which keeps the control's state below, so
// no two controls share any of it.

#include <cstdint>
#include <memory>

#include "framework/Dib.h"
#include "platform/ui/WindowTypes.h"
#include "platform/ui/controls/ControlConstants.h"
#include "shell/WindowMessages.h"

namespace zv::shell::skin {

// ---- messages: WM_SKIN_* in shell/WindowMessages.h -------------------------------------------

// Value bar selectors of WM_SKIN_SET_VALUE / WM_SKIN_GET_VALUE.
constexpr int kBarMinimum = 0;
constexpr int kBarMaximum = 1;
constexpr int kBarPosition = 2;
constexpr int kBarStep = 3;

// ---- child ids ----------------------------------------------------------------------------

constexpr int kIdBarLeft = 10600;
constexpr int kIdBarRight = 10601;
constexpr int kIdScrollUp = 10602;
constexpr int kIdScrollDown = 10603;
constexpr int kIdInnerList = 10604;
constexpr int kIdComboDrop = 10605;
constexpr int kIdComboList = 10606;
constexpr int kIdFirstLandButton = 10612;  // 10612-10632
constexpr int kLandButtonCount = 21;
constexpr int kPackButtonCount = 4;

// ---- classes ------------------------------------------------------------------------------

inline constexpr const char* kPackButtonClass = "PackButtonCtlWindow";
inline constexpr const char* kLandButtonClass = "LandButtonCtlWindow";
inline constexpr const char* kBackButtonClass = "BackButtonWIndow";
inline constexpr const char* kNextButtonClass = "NextButtonWIndow";
inline constexpr const char* kScrollCtlClass = "ScrollCtlWindow";
inline constexpr const char* kSkinListClass = "ListBoxWindow";
inline constexpr const char* kVScrollBarClass = "VScrollBarWindow";
inline constexpr const char* kSkinComboClass = "ComboBoxWindow";

// The style every creator gives: WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN |
// WS_TABSTOP.
constexpr uint32_t kSkinControlStyle = 0x56010000;

// Each returns the class atom (non-zero), 0 on failure. Registering twice is harmless.
int RegisterPackButtonCtlWindow(void* instance);
int RegisterLandButtonCtlWindow(void* instance);
int RegisterBackButtonWIndow(void* instance);
int RegisterNextButtonWIndow(void* instance);
int RegisterScrollCtlWindow(void* instance);
int RegisterListBoxWindow(void* instance);
int RegisterVScrollBarWindow(void* instance);
int RegisterComboBoxWindow(void* instance);
// All eight.
int RegisterSkinControls(void* instance);

// Creators: (parent, control id, x, y, width, height) -> the control, null on failure.
ui::Hwnd CreatePackButtonCtl(ui::Hwnd parent, int id, int x, int y, int width, int height);
ui::Hwnd CreateLandButtonCtl(ui::Hwnd parent, int id, int x, int y, int width, int height);
ui::Hwnd CreateBackButtonCtl(ui::Hwnd parent, int id, int x, int y, int width, int height);
ui::Hwnd CreateNextButtonCtl(ui::Hwnd parent, int id, int x, int y, int width, int height);
ui::Hwnd CreateScrollCtl(ui::Hwnd parent, int id, int x, int y, int width, int height);
ui::Hwnd CreateSkinListBox(ui::Hwnd parent, int id, int x, int y, int width, int height);
ui::Hwnd CreateVScrollBarCtl(ui::Hwnd parent, int id, int x, int y, int width, int height);
ui::Hwnd CreateSkinComboBox(ui::Hwnd parent, int id, int x, int y, int width, int height);

// The window procedures.
ui::LResult PackButtonCtlProc(ui::Hwnd, uint32_t, ui::WParam, ui::LParam);
ui::LResult LandButtonCtlProc(ui::Hwnd, uint32_t, ui::WParam, ui::LParam);
ui::LResult BackButtonProc(ui::Hwnd, uint32_t, ui::WParam, ui::LParam);
ui::LResult NextButtonProc(ui::Hwnd, uint32_t, ui::WParam, ui::LParam);
ui::LResult ScrollCtlProc(ui::Hwnd, uint32_t, ui::WParam, ui::LParam);
ui::LResult SkinListBoxProc(ui::Hwnd, uint32_t, ui::WParam, ui::LParam);
ui::LResult VScrollBarProc(ui::Hwnd, uint32_t, ui::WParam, ui::LParam);
ui::LResult SkinComboBoxProc(ui::Hwnd, uint32_t, ui::WParam, ui::LParam);
// The drop-down list's own procedure, in front of the LISTBOX class procedure.
ui::LResult ComboDropListProc(ui::Hwnd, uint32_t, ui::WParam, ui::LParam);

// The face of the shared button sheet a child button shows, by its id: 10600/10601 -> 4/5,
// 10602/10603 -> 6/7, 10605 -> 8, 10607-10610 -> 0-3, 10612 + k -> 9 + k; -1 otherwise.
int SkinFaceIndex(int controlId);
// Paints an owner-drawn child button of a control over `background` (ODT_BUTTON items only).
int DrawSkinButton(ui::Hwnd control, int controlId, const ui::DrawItemStruct* item,
                   fw::Dib* background);

// The organisation windows' flag that unlocks the pack strip (0 locks it). The organisation
// module installs its query; until then the strip is unlocked.
using TroopInfoExtraFlagQuery = int (*)();
void SetTroopInfoExtraFlagQuery(TroopInfoExtraFlagQuery query);
int GetTroopInfoExtraFlag();

// Copies a value bar's background surface over its work surface.
void RestoreScrollCtlBackground(ui::Hwnd bar);
// Creates and subclasses a drop-down list as the combo box makes its own (hidden).
ui::Hwnd CreateComboDropList(ui::Hwnd parent, int id, int x, int y, int width, int height);

// The drop-down list that is open (null when none); at most one is open at a time.
ui::Hwnd GetOpenComboDropList();

// ---- the controls' states ----------------------------------------------------------------

struct PackButtonState {
    std::unique_ptr<fw::Dib> work;
    int selected = 0;
    int pressed[kPackButtonCount] = {};
    int hot = -1;
    int enabled[kPackButtonCount] = {1, 1, 1, 1};
};

struct LandButtonState {
    std::unique_ptr<fw::Dib> work;
    int selected = 0;
    int enabled[kLandButtonCount] = {};
};

struct ArrowButtonState {
    std::unique_ptr<fw::Dib> work;
    std::unique_ptr<fw::Dib> background;
    int pressed = 0;
    int enabled = 0;  // a new Back or Next button is disabled
    int tracking = 0;
};

struct ScrollCtlState {
    std::unique_ptr<fw::Dib> work;
    std::unique_ptr<fw::Dib> background;
    int minimum = 0;
    int maximum = 0;
    int position = 0;
    int enabled = 1;
    int step = 0;
    int committed = 0;
    int dragging = 0;
};

struct SkinListState {
    std::unique_ptr<fw::Dib> work;
    std::unique_ptr<fw::Dib> background;
    int enabled = 0;
    int count = 0;
    int lastReported = 0;
};

struct SkinComboState {
    std::unique_ptr<fw::Dib> work;
    std::unique_ptr<fw::Dib> background;
    int selection = 0;
    int enabled = 1;
};

struct VScrollBarState {
    std::unique_ptr<fw::Dib> work;
    std::unique_ptr<fw::Dib> background;
    int track = 0;
    int enabled = 1;
    int count = 0;
    int rows = 0;
    int top = 0;
    int dragging = 0;
    ui::Point last{};
    ui::Point start{};
    int startTop = 0;
};

// The state of a Back or Next button; null for any other window.
const ArrowButtonState* ArrowButtonStateOf(ui::Hwnd button);

// The value bar's snap: rounds v to the nearest multiple of the step (division truncating
// toward zero), then limits it to the minimum and maximum. A step of 0 snaps nothing.
int SnapScrollValue(const ScrollCtlState& s, int v);

// Geometry.
constexpr int kComboWidth = 68;
constexpr int kComboClosedHeight = 16;
constexpr int kComboOpenHeight = 76;
constexpr int kSkinRowHeight = 14;

}  // namespace zv::shell::skin
