// Menu objects: handles, items, the resource registry, window menus and system menus.
#include "platform/ui/Menu.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>
#include <unordered_map>

#include "platform/core/Sjis.h"
#include "platform/ui/ClassicTheme.h"
#include "platform/ui/MenuInternal.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"

namespace zv::ui {

using menudetail::Item;
using menudetail::MenuObject;

namespace {

// Menus live in slots with generations, so a destroyed menu's handle never works again.
struct MenuTable {
    std::vector<std::unique_ptr<MenuObject>> slots{1};  // slot 0 unused
    std::vector<uint16_t> generations{0};
    std::vector<uint32_t> freeSlots;
    // Window (handle value) -> its bar menu and its system menu.
    std::unordered_map<uint32_t, Hmenu> bars;
    std::unordered_map<uint32_t, Hmenu> systemMenus;
};

MenuTable& Table() {
    static MenuTable table;
    return table;
}

Hmenu NewMenu(bool popup) {
    MenuTable& t = Table();
    uint32_t index;
    if (!t.freeSlots.empty()) {
        index = t.freeSlots.back();
        t.freeSlots.pop_back();
    } else {
        if (t.slots.size() >= 0xFFFF) return {};
        index = static_cast<uint32_t>(t.slots.size());
        t.slots.emplace_back();
        t.generations.push_back(0);
    }
    uint16_t g = static_cast<uint16_t>(t.generations[index] + 1);
    if (g == 0) g = 1;
    t.generations[index] = g;
    t.slots[index] = std::make_unique<MenuObject>();
    t.slots[index]->isPopup = popup;
    return Hmenu{(static_cast<uint32_t>(g) << 16) | index};
}

// The item addressed by position or (searching submenus) by command.
bool FindItem(Hmenu menu, uint32_t item, uint32_t flags, MenuObject** owner, size_t* index,
              int depth = 0) {
    MenuObject* m = menudetail::Lookup(menu);
    if (!m || depth > 16) return false;
    if (flags & MF_BYPOSITION) {
        if (item >= m->items.size()) return false;
        *owner = m;
        *index = item;
        return true;
    }
    for (size_t i = 0; i < m->items.size(); ++i) {
        const Item& it = m->items[i];
        if (!(it.flags & MF_POPUP) && !(it.flags & MF_SEPARATOR) && it.id == item) {
            *owner = m;
            *index = i;
            return true;
        }
    }
    for (const Item& it : m->items) {
        if ((it.flags & MF_POPUP) && FindItem(it.popup, item, flags, owner, index, depth + 1))
            return true;
    }
    return false;
}

// Builds an item from the AppendMenu-style arguments.
bool MakeItem(uint32_t flags, uintptr_t idOrPopup, const std::string& text, Item* out) {
    Item it;
    it.flags = flags & ~(MF_BYPOSITION | MF_HILITE | MF_MOUSESELECT | MF_SYSMENU);
    if (flags & MF_SEPARATOR) {
        it.flags = MF_SEPARATOR | (flags & (MF_MENUBREAK | MF_MENUBARBREAK));
        *out = it;
        return true;
    }
    if (flags & MF_POPUP) {
        it.popup = MenuFromParam(idOrPopup);
        if (!menudetail::Lookup(it.popup)) return false;
        it.id = 0;
    } else {
        it.id = static_cast<uint32_t>(idOrPopup & 0xFFFF);
    }
    it.text = text;
    *out = it;
    return true;
}

void RedrawBarOf(Hmenu menu) {
    const Hwnd owner = menudetail::BarOwnerOf(menu);
    if (owner) DrawMenuBar(owner);
}

bool IsChildWindow(Hwnd h) {
    return (static_cast<uint32_t>(GetWindowLong(h, GWL_STYLE)) & WS_CHILD) != 0;
}

Hmenu BuildFromTemplate(const std::vector<MenuItemTemplate>& items, bool popup, int depth) {
    const Hmenu m = NewMenu(popup);
    if (!m) return {};
    for (const MenuItemTemplate& t : items) {
        const std::string text = zv::core::Utf8ToSjis(t.text);
        if (t.flags & MF_SEPARATOR) {
            AppendMenu(m, MF_SEPARATOR | t.flags, 0, {});
        } else if ((t.flags & MF_POPUP) || !t.popup.empty()) {
            const Hmenu sub = depth < 16 ? BuildFromTemplate(t.popup, true, depth + 1) : Hmenu{};
            if (!sub) continue;
            AppendMenu(m, MF_POPUP | t.flags, MenuToParam(sub), text);
        } else {
            AppendMenu(m, MF_STRING | t.flags, static_cast<uintptr_t>(t.id), text);
        }
    }
    return m;
}

Hmenu BuildSystemMenu(Hwnd h) {
    const Hmenu m = NewMenu(true);
    if (!m) return {};
    menudetail::Lookup(m)->isSystem = true;
    const bool mdi = (static_cast<uint32_t>(GetWindowLong(h, GWL_EXSTYLE)) & WS_EX_MDICHILD) != 0;
    auto add = [&](uint32_t id, const char* utf8) {
        AppendMenu(m, MF_STRING, id, zv::core::Utf8ToSjis(utf8));
    };
    add(SC_RESTORE, "元のサイズに戻す(&R)");
    add(SC_MOVE, "移動(&M)");
    add(SC_SIZE, "サイズ変更(&S)");
    add(SC_MINIMIZE, "最小化(&N)");
    add(SC_MAXIMIZE, "最大化(&X)");
    AppendMenu(m, MF_SEPARATOR, 0, {});
    add(SC_CLOSE, mdi ? "閉じる(&C)\tCtrl+F4" : "閉じる(&C)\tAlt+F4");
    if (mdi) {
        AppendMenu(m, MF_SEPARATOR, 0, {});
        add(SC_NEXTWINDOW, "次のウィンドウ(&T)\tCtrl+F6");
    }
    return m;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Shared helpers

namespace menudetail {

MenuObject* Lookup(Hmenu m) {
    MenuTable& t = Table();
    const uint32_t index = m.value & 0xFFFF;
    if (index == 0 || index >= t.slots.size()) return nullptr;
    if (t.generations[index] != (m.value >> 16)) return nullptr;
    return t.slots[index].get();
}

Hwnd BarOwnerOf(Hmenu m) {
    if (!m) return {};
    for (const auto& [hwnd, menu] : Table().bars) {
        if (menu == m && IsWindow(Hwnd{hwnd})) return Hwnd{hwnd};
    }
    return {};
}

std::string LabelOf(const std::string& text) {
    const size_t tab = text.find('\t');
    return tab == std::string::npos ? text : text.substr(0, tab);
}

std::string AccelTextOf(const std::string& text) {
    const size_t tab = text.find('\t');
    return tab == std::string::npos ? std::string() : text.substr(tab + 1);
}

char MnemonicOf(const std::string& text) {
    const std::string label = LabelOf(text);
    for (size_t i = 0; i < label.size(); ++i) {
        const auto c = static_cast<unsigned char>(label[i]);
        if (zv::core::IsSjisLeadByte(c)) {
            ++i;  // a double-byte character is never a mnemonic
            continue;
        }
        if (c == '&' && i + 1 < label.size()) {
            const auto n = static_cast<unsigned char>(label[i + 1]);
            if (n == '&') {
                ++i;
                continue;
            }
            if (n < 0x80) return static_cast<char>(std::tolower(n));
            return 0;
        }
    }
    return 0;
}

const Font& MenuFont() {
    return theme::DialogFont();
}

}  // namespace menudetail

// ---------------------------------------------------------------------------------------------
// Resources

MenuItemTemplate MenuCommand(int id, std::string text, uint32_t flags) {
    MenuItemTemplate t;
    t.id = id;
    t.text = std::move(text);
    t.flags = flags;
    return t;
}

MenuItemTemplate MenuSeparator() {
    MenuItemTemplate t;
    t.flags = MF_SEPARATOR;
    return t;
}

MenuItemTemplate MenuPopup(std::string text, std::vector<MenuItemTemplate> items, uint32_t flags) {
    MenuItemTemplate t;
    t.text = std::move(text);
    t.flags = flags | MF_POPUP;
    t.popup = std::move(items);
    return t;
}

MenuRegistry& MenuRegistry::Global() {
    static MenuRegistry registry;
    return registry;
}

void MenuRegistry::Add(MenuTemplate t) {
    std::lock_guard<std::mutex> lock(mutex_);
    const int n = t.number;
    templates_[n] = std::move(t);
}

bool MenuRegistry::Find(int number, MenuTemplate* out) const {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = templates_.find(number);
    if (it == templates_.end()) return false;
    if (out) *out = it->second;
    return true;
}

std::vector<int> MenuRegistry::Numbers() const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<int> out;
    for (const auto& [n, t] : templates_) out.push_back(n);
    return out;
}

// ---------------------------------------------------------------------------------------------
// Menus

Hmenu CreateMenu() {
    return NewMenu(false);
}

Hmenu CreatePopupMenu() {
    return NewMenu(true);
}

Hmenu LoadMenu(void* instance, int number) {
    (void)instance;
    MenuTemplate t;
    if (!MenuRegistry::Global().Find(number, &t)) return {};
    return BuildFromTemplate(t.items, false, 0);
}

bool IsMenu(Hmenu menu) {
    return menudetail::Lookup(menu) != nullptr;
}

static bool DestroyMenuDepth(Hmenu menu, int depth) {
    MenuObject* m = menudetail::Lookup(menu);
    if (!m) return false;
    std::vector<Hmenu> subs;
    for (const Item& it : m->items) {
        if (it.flags & MF_POPUP) subs.push_back(it.popup);
    }
    MenuTable& t = Table();
    const uint32_t index = menu.value & 0xFFFF;
    t.slots[index].reset();
    t.generations[index] = static_cast<uint16_t>(t.generations[index] + 1);
    if (t.generations[index] == 0) t.generations[index] = 1;
    t.freeSlots.push_back(index);
    if (depth < 16) {
        for (Hmenu s : subs) DestroyMenuDepth(s, depth + 1);
    }
    return true;
}

bool DestroyMenu(Hmenu menu) {
    if (!menudetail::Lookup(menu)) return false;
    // A window that still shows it loses its bar.
    const Hwnd owner = menudetail::BarOwnerOf(menu);
    const bool ok = DestroyMenuDepth(menu, 0);
    if (owner) SetMenu(owner, {});
    return ok;
}

bool SetMenu(Hwnd h, Hmenu menu) {
    WindowManager* wm = WindowManager::Current();
    if (!wm || !IsWindow(h) || IsChildWindow(h)) return false;
    if (menu && !menudetail::Lookup(menu)) return false;
    MenuTable& t = Table();
    if (menu)
        t.bars[h.value] = menu;
    else
        t.bars.erase(h.value);
    wm->SetMenuBarSpace(h, static_cast<bool>(menu));
    DrawMenuBar(h);
    return true;
}

Hmenu GetMenu(Hwnd h) {
    if (!IsWindow(h) || IsChildWindow(h)) return {};
    auto& bars = Table().bars;
    auto it = bars.find(h.value);
    if (it == bars.end() || !menudetail::Lookup(it->second)) return {};
    return it->second;
}

bool DrawMenuBar(Hwnd h) {
    if (!IsWindow(h)) return false;
    return RedrawWindow(h, nullptr, RDW_FRAME);
}

Hmenu GetSystemMenu(Hwnd h, bool revert) {
    if (!IsWindow(h)) return {};
    auto& sys = Table().systemMenus;
    auto it = sys.find(h.value);
    if (revert) {
        if (it != sys.end()) {
            DestroyMenu(it->second);
            sys.erase(it);
        }
        return {};
    }
    if (it != sys.end() && menudetail::Lookup(it->second)) return it->second;
    const Hmenu m = BuildSystemMenu(h);
    if (m) sys[h.value] = m;
    return m;
}

Hmenu GetSubMenu(Hmenu menu, int pos) {
    const MenuObject* m = menudetail::Lookup(menu);
    if (!m || pos < 0 || static_cast<size_t>(pos) >= m->items.size()) return {};
    const Item& it = m->items[static_cast<size_t>(pos)];
    return (it.flags & MF_POPUP) ? it.popup : Hmenu{};
}

int GetMenuItemCount(Hmenu menu) {
    const MenuObject* m = menudetail::Lookup(menu);
    return m ? static_cast<int>(m->items.size()) : -1;
}

uint32_t GetMenuItemID(Hmenu menu, int pos) {
    const MenuObject* m = menudetail::Lookup(menu);
    if (!m || pos < 0 || static_cast<size_t>(pos) >= m->items.size()) return 0xFFFFFFFFu;
    const Item& it = m->items[static_cast<size_t>(pos)];
    if (it.flags & MF_POPUP) return 0xFFFFFFFFu;
    return (it.flags & MF_SEPARATOR) ? 0 : it.id;
}

uint32_t GetMenuState(Hmenu menu, uint32_t item, uint32_t flags) {
    MenuObject* owner = nullptr;
    size_t index = 0;
    if (!FindItem(menu, item, flags, &owner, &index)) return 0xFFFFFFFFu;
    const Item& it = owner->items[index];
    if (it.flags & MF_POPUP) {
        const MenuObject* sub = menudetail::Lookup(it.popup);
        const uint32_t count = sub ? static_cast<uint32_t>(std::min<size_t>(sub->items.size(), 255))
                                   : 0;
        return (count << 8) | (it.flags & 0xFF);
    }
    return it.flags & 0xFFFF;
}

std::string GetMenuString(Hmenu menu, uint32_t item, uint32_t flags) {
    MenuObject* owner = nullptr;
    size_t index = 0;
    if (!FindItem(menu, item, flags, &owner, &index)) return {};
    return owner->items[index].text;
}

int GetMenuString(Hmenu menu, uint32_t item, char* buffer, int max, uint32_t flags) {
    const std::string s = GetMenuString(menu, item, flags);
    if (!buffer || max <= 0) return static_cast<int>(s.size());
    const size_t n = zv::core::SjisCutLength(s, static_cast<size_t>(max) - 1);
    std::memcpy(buffer, s.data(), n);
    buffer[n] = '\0';
    return static_cast<int>(n);
}

uint32_t EnableMenuItem(Hmenu menu, uint32_t item, uint32_t flags) {
    MenuObject* owner = nullptr;
    size_t index = 0;
    if (!FindItem(menu, item, flags, &owner, &index)) return 0xFFFFFFFFu;
    Item& it = owner->items[index];
    const uint32_t old = it.flags & (MF_GRAYED | MF_DISABLED);
    it.flags = (it.flags & ~(MF_GRAYED | MF_DISABLED)) | (flags & (MF_GRAYED | MF_DISABLED));
    if (old != (it.flags & (MF_GRAYED | MF_DISABLED))) RedrawBarOf(menu);
    return old;
}

uint32_t CheckMenuItem(Hmenu menu, uint32_t item, uint32_t flags) {
    MenuObject* owner = nullptr;
    size_t index = 0;
    if (!FindItem(menu, item, flags, &owner, &index)) return 0xFFFFFFFFu;
    Item& it = owner->items[index];
    const uint32_t old = it.flags & MF_CHECKED;
    it.flags = (it.flags & ~MF_CHECKED) | (flags & MF_CHECKED);
    return old;
}

bool InsertMenu(Hmenu menu, uint32_t item, uint32_t flags, uintptr_t idOrPopup,
                const std::string& text) {
    MenuObject* m = menudetail::Lookup(menu);
    if (!m) return false;
    Item it;
    if (!MakeItem(flags, idOrPopup, text, &it)) return false;
    if (it.popup == menu) return false;  // a menu cannot hold itself
    MenuObject* owner = m;
    size_t index = m->items.size();
    if (!((flags & MF_BYPOSITION) && item == 0xFFFFFFFFu)) {
        if (!FindItem(menu, item, flags & MF_BYPOSITION, &owner, &index)) {
            if (!(flags & MF_BYPOSITION)) return false;
            owner = m;
            index = m->items.size();  // past the end: appended
        }
    }
    owner->items.insert(owner->items.begin() + static_cast<std::ptrdiff_t>(index), it);
    RedrawBarOf(menu);
    return true;
}

bool AppendMenu(Hmenu menu, uint32_t flags, uintptr_t idOrPopup, const std::string& text) {
    return InsertMenu(menu, 0xFFFFFFFFu, flags | MF_BYPOSITION, idOrPopup, text);
}

bool ModifyMenu(Hmenu menu, uint32_t item, uint32_t flags, uintptr_t idOrPopup,
                const std::string& text) {
    MenuObject* owner = nullptr;
    size_t index = 0;
    if (!FindItem(menu, item, flags, &owner, &index)) return false;
    Item it;
    if (!MakeItem(flags, idOrPopup, text, &it)) return false;
    if (it.popup == menu) return false;
    const Hmenu oldPopup = (owner->items[index].flags & MF_POPUP) ? owner->items[index].popup
                                                                  : Hmenu{};
    owner->items[index] = it;
    if (oldPopup && oldPopup != it.popup) DestroyMenu(oldPopup);
    RedrawBarOf(menu);
    return true;
}

static bool RemoveItem(Hmenu menu, uint32_t item, uint32_t flags, bool destroy) {
    MenuObject* owner = nullptr;
    size_t index = 0;
    if (!FindItem(menu, item, flags, &owner, &index)) return false;
    const Item it = owner->items[index];
    owner->items.erase(owner->items.begin() + static_cast<std::ptrdiff_t>(index));
    if (destroy && (it.flags & MF_POPUP)) DestroyMenu(it.popup);
    RedrawBarOf(menu);
    return true;
}

bool DeleteMenu(Hmenu menu, uint32_t item, uint32_t flags) {
    return RemoveItem(menu, item, flags, true);
}

bool RemoveMenu(Hmenu menu, uint32_t item, uint32_t flags) {
    return RemoveItem(menu, item, flags, false);
}

// ---------------------------------------------------------------------------------------------
// Window hooks

bool AttachCreationMenu(Hwnd h, intptr_t menuParam, int classMenuId) {
    // A handle value may come back in a later window manager: nothing of an earlier window
    // that had it stays attached.
    Table().bars.erase(h.value);
    Table().systemMenus.erase(h.value);
    Hmenu m{};
    if (menuParam != 0) {
        m = MenuFromParam(static_cast<uintptr_t>(menuParam));
        if (!menudetail::Lookup(m)) m = {};
    } else if (classMenuId != 0) {
        m = LoadMenu(nullptr, classMenuId);
    }
    if (!m) return false;
    Table().bars[h.value] = m;
    return true;
}

void MenuWindowDestroyed(Hwnd h) {
    MenuTable& t = Table();
    // The window's menus go with it.
    if (auto it = t.bars.find(h.value); it != t.bars.end()) {
        const Hmenu m = it->second;
        t.bars.erase(it);
        DestroyMenuDepth(m, 0);
    }
    if (auto it = t.systemMenus.find(h.value); it != t.systemMenus.end()) {
        const Hmenu m = it->second;
        t.systemMenus.erase(it);
        DestroyMenuDepth(m, 0);
    }
}

}  // namespace zv::ui
