#pragma once

// Menus and accelerators.
//
// Menus are made in code (CreateMenu, AppendMenu, ...) or from menu resources: C++ tables
// registered by number in the MenuRegistry (like dialog templates), whose texts are UTF-8 in
// the source and Shift-JIS in the menu ("&" marks the mnemonic, "\t" starts the accelerator
// text shown at the right). A top-level window shows its menu as a bar under the caption;
// TrackPopupMenu shows one anywhere. Commands arrive as WM_COMMAND (id in the low word, 0 in
// the high word), system-menu commands as WM_SYSCOMMAND. All of it belongs to the GUI thread.
//
// Accelerator tables are C++ tables too (AcceleratorRegistry); TranslateAccelerator turns a
// matching key into WM_COMMAND with 1 in the high word.

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/ui/MenuConstants.h"
#include "platform/ui/WindowTypes.h"

namespace zv::ui {

// A checked menu handle (slot and generation, like Hwnd). Zero is no menu.
struct Hmenu {
    uint32_t value = 0;
    constexpr explicit operator bool() const { return value != 0; }
    friend constexpr bool operator==(Hmenu, Hmenu) = default;
};
// A popup travels in AppendMenu's id argument and in WM_INITMENUPOPUP's wParam.
constexpr uintptr_t MenuToParam(Hmenu m) {
    return m.value;
}
constexpr Hmenu MenuFromParam(uintptr_t p) {
    return Hmenu{static_cast<uint32_t>(p)};
}

// ---------------------------------------------------------------------------------------------
// Menu resources

struct MenuItemTemplate {
    int id = 0;        // command id; unused for separators and popups
    std::string text;  // UTF-8; "&" before the mnemonic, "\t" before the accelerator text
    uint32_t flags = 0;  // MF_GRAYED, MF_DISABLED, MF_CHECKED, MF_SEPARATOR, MF_MENUBREAK ...
    std::vector<MenuItemTemplate> popup;  // the submenu's items (MF_POPUP when flagged so)
};

// Helpers for writing the tables.
MenuItemTemplate MenuCommand(int id, std::string text, uint32_t flags = 0);
MenuItemTemplate MenuSeparator();
MenuItemTemplate MenuPopup(std::string text, std::vector<MenuItemTemplate> items,
                           uint32_t flags = 0);

struct MenuTemplate {
    int number = 0;
    std::vector<MenuItemTemplate> items;  // the bar's items (or a popup's, for context menus)
};

class MenuRegistry {
  public:
    static MenuRegistry& Global();
    void Add(MenuTemplate t);  // a later template of the same number replaces the earlier one
    bool Find(int number, MenuTemplate* out) const;
    std::vector<int> Numbers() const;

  private:
    mutable std::mutex mutex_;
    std::map<int, MenuTemplate> templates_;
};

struct MenuTemplateRegistration {
    explicit MenuTemplateRegistration(MenuTemplate t) { MenuRegistry::Global().Add(std::move(t)); }
};

// ---------------------------------------------------------------------------------------------
// Menus

Hmenu CreateMenu();       // for a bar
Hmenu CreatePopupMenu();  // for a drop-down, submenu or context menu
// Builds the registered menu resource; null when there is none of that number.
Hmenu LoadMenu(void* instance, int number);
// Destroys the menu and its submenus. A window's own menu goes with the window.
bool DestroyMenu(Hmenu menu);
bool IsMenu(Hmenu menu);

// The bar of a top-level window (child windows have none: false / null). SetMenu does not
// destroy the old menu.
bool SetMenu(Hwnd h, Hmenu menu);
Hmenu GetMenu(Hwnd h);
// Redraws the bar after its items changed.
bool DrawMenuBar(Hwnd h);
// The window's system menu (restore, move, size, minimise, maximise, close), made on first
// use; revert drops a changed copy and returns null.
Hmenu GetSystemMenu(Hwnd h, bool revert);

Hmenu GetSubMenu(Hmenu menu, int pos);
int GetMenuItemCount(Hmenu menu);       // -1 for no menu
uint32_t GetMenuItemID(Hmenu menu, int pos);  // 0xFFFFFFFF for a popup or no item
// MF_* state of the item; for a popup the item count in the high byte. 0xFFFFFFFF for none.
uint32_t GetMenuState(Hmenu menu, uint32_t item, uint32_t flags);
// Copies the Shift-JIS text (at most max - 1 bytes, never half a character); its length.
int GetMenuString(Hmenu menu, uint32_t item, char* buffer, int max, uint32_t flags);
std::string GetMenuString(Hmenu menu, uint32_t item, uint32_t flags);
// MF_ENABLED, MF_GRAYED or MF_DISABLED with MF_BYCOMMAND or MF_BYPOSITION: the previous
// state, 0xFFFFFFFF when there is no such item. By command, submenus are searched too.
uint32_t EnableMenuItem(Hmenu menu, uint32_t item, uint32_t flags);
// MF_CHECKED or MF_UNCHECKED: the previous check state, 0xFFFFFFFF when there is no such item.
uint32_t CheckMenuItem(Hmenu menu, uint32_t item, uint32_t flags);
// Items: flags MF_STRING / MF_SEPARATOR / MF_POPUP (idOrPopup then a MenuToParam handle) and
// the state bits; texts Shift-JIS. InsertMenu puts the item before `item` (position
// 0xFFFFFFFF appends). ModifyMenu replaces an item (a replaced popup is destroyed).
bool AppendMenu(Hmenu menu, uint32_t flags, uintptr_t idOrPopup, const std::string& text);
bool InsertMenu(Hmenu menu, uint32_t item, uint32_t flags, uintptr_t idOrPopup,
                const std::string& text);
bool ModifyMenu(Hmenu menu, uint32_t item, uint32_t flags, uintptr_t idOrPopup,
                const std::string& text);
bool DeleteMenu(Hmenu menu, uint32_t item, uint32_t flags);  // destroys a submenu
bool RemoveMenu(Hmenu menu, uint32_t item, uint32_t flags);  // keeps a submenu alive

// Shows a popup at (x, y) (screen) and tracks it until an item is chosen or the menu is
// dismissed; serves cross-thread sends, paints and timers meanwhile. With TPM_RETURNCMD the
// chosen id is returned and no message is sent; otherwise WM_COMMAND is posted to h and the
// result is non-zero on success. `excluded` is unused (kept for the call shape).
int TrackPopupMenu(Hmenu menu, uint32_t flags, int x, int y, int reserved, Hwnd h,
                   const Rect* excluded);
// The screen rectangle of a bar item of h's menu, or of an item of a popup that is open now.
bool GetMenuItemRect(Hwnd h, Hmenu menu, uint32_t pos, Rect* out);
// True while a menu is being tracked (bar or popup).
bool IsMenuActive();

// ---------------------------------------------------------------------------------------------
// Accelerators

struct Accel {
    uint8_t fVirt = 0;  // FVIRTKEY, FSHIFT, FCONTROL, FALT
    uint16_t key = 0;   // a virtual key with FVIRTKEY, else a character code
    uint16_t cmd = 0;
};

struct AcceleratorTemplate {
    int number = 0;
    std::vector<Accel> entries;
};

class AcceleratorRegistry {
  public:
    static AcceleratorRegistry& Global();
    void Add(AcceleratorTemplate t);
    bool Find(int number, AcceleratorTemplate* out) const;

  private:
    mutable std::mutex mutex_;
    std::map<int, AcceleratorTemplate> tables_;
};

struct AcceleratorTemplateRegistration {
    explicit AcceleratorTemplateRegistration(AcceleratorTemplate t) {
        AcceleratorRegistry::Global().Add(std::move(t));
    }
};

struct Haccel {
    uint32_t value = 0;
    constexpr explicit operator bool() const { return value != 0; }
    friend constexpr bool operator==(Haccel, Haccel) = default;
};

Haccel LoadAccelerators(void* instance, int number);  // null when none is registered
Haccel CreateAcceleratorTable(const Accel* entries, int count);
bool DestroyAcceleratorTable(Haccel table);
// When m is a key message matching an entry (the key, and Ctrl, Shift and Alt exactly as the
// entry says), sends WM_COMMAND (id, 1) to h, or WM_SYSCOMMAND when the id is one of h's
// system menu, and returns 1. An entry whose item in h's menu is greyed or disabled eats the
// key without a command. 0 otherwise: the caller then translates and dispatches m.
int TranslateAccelerator(Hwnd h, Haccel table, const Msg* m);

}  // namespace zv::ui
