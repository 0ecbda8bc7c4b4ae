// Menu tracking: the modal loop that runs while a menu bar or a popup menu is in use, the
// popup windows (class "#32768"), the keys that enter the bar (Alt, F10, Alt+letter,
// Alt+Space) and TrackPopupMenu.
//
// The loop holds the mouse, reads every key itself and dispatches everything else (paints,
// timers, posted messages); fetching serves cross-thread sends first, as every modal loop of
// the layer does, so a worker that sends to a window while a menu is open is answered.
#include <algorithm>

#include "platform/ui/ClassicTheme.h"
#include "platform/ui/MenuInternal.h"
#include "platform/ui/Messages.h"
#include "platform/ui/SystemMetrics.h"
#include "platform/ui/Window.h"

namespace zv::ui {

using namespace menudetail;

namespace {

constexpr char kPopupClass[] = "#32768";
constexpr int kPopupBorder = 3;
constexpr int kCheckColumn = 18;
constexpr int kArrowColumn = 16;
constexpr int kAccelGap = 20;
constexpr int kSeparatorHeight = 9;
constexpr int kMinPopupWidth = 60;

int ItemHeight() {
    return std::max(18, MenuFont().Metrics().height + 6);
}

// ----- popup layout -----

struct PopupLayout {
    Size size;
    std::vector<Rect> items;  // client coordinates
    int labelX = 0;
    int accelX = 0;
};

std::string ShownText(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '&') {
            if (i + 1 < s.size() && s[i + 1] == '&') out += '&', ++i;
            continue;
        }
        out += s[i];
    }
    return out;
}

PopupLayout LayoutPopup(const MenuObject& m) {
    PopupLayout l;
    int labelW = 0;
    int accelW = 0;
    for (const Item& it : m.items) {
        if (it.flags & MF_SEPARATOR) continue;
        labelW = std::max(labelW, MenuFont().MeasureText(ShownText(LabelOf(it.text))).cx);
        accelW = std::max(accelW, MenuFont().MeasureText(AccelTextOf(it.text)).cx);
    }
    l.labelX = kPopupBorder + kCheckColumn + 2;
    l.accelX = l.labelX + labelW + kAccelGap;
    const int width = std::max(
        kMinPopupWidth, l.accelX + (accelW ? accelW : 0) + kArrowColumn + kPopupBorder -
                            (accelW ? 0 : kAccelGap / 2));
    int y = kPopupBorder;
    for (const Item& it : m.items) {
        const int hgt = (it.flags & MF_SEPARATOR) ? kSeparatorHeight : ItemHeight();
        l.items.push_back({kPopupBorder, y, width - kPopupBorder, y + hgt});
        y += hgt;
    }
    l.size = {width, y + kPopupBorder};
    return l;
}

bool Selectable(const Item& it) {
    return !(it.flags & MF_SEPARATOR);
}
bool Enabled(const Item& it) {
    return !(it.flags & (MF_GRAYED | MF_DISABLED));
}

// ----- tracker state -----

enum class EntryKind { FrameSys, ChildSys, Item };
struct BarEntry {
    EntryKind kind = EntryKind::Item;
    int index = -1;  // bar item position for Item entries
};

struct Level {
    Hmenu menu{};
    Hwnd wnd{};
    int sel = -1;
    Rect rc{};                // screen
    std::vector<Rect> items;  // screen
    PopupLayout layout;
    bool system = false;
    Hwnd target{};  // the window whose system menu this is
};

struct Tracker {
    Hwnd owner{};  // hears WM_INITMENU*, WM_MENUSELECT and gets the command
    Hwnd root{};   // holds the mouse while tracking
    bool barMode = false;
    bool popupCall = false;  // TrackPopupMenu
    bool notify = true;
    bool rightButton = false;
    std::vector<BarEntry> entries;
    int entry = -1;
    std::vector<Level> levels;
    bool ended = false;
    bool chose = false;
    uint32_t cmd = 0;
    bool sysCommand = false;
    Hwnd cmdTarget{};
    Point lastPt{};
    bool buttonDown = false;
    int openedAtEntry = -1;  // the bar entry the press that opened the menu was on
    // A press outside the bar while no menu dropped down from it (the bar was only selected,
    // after Escape or F10): it ends the bar's mode and still reaches the window it was on.
    bool passPressOn = false;
};

Tracker* gTracker = nullptr;
TrackView gView;
bool gAltAlone = false;

Level* LevelOfWindow(Hwnd w) {
    if (!gTracker) return nullptr;
    for (Level& l : gTracker->levels) {
        if (l.wnd == w) return &l;
    }
    return nullptr;
}

void InvalidateItem(const Level& l, int i) {
    if (i < 0 || static_cast<size_t>(i) >= l.layout.items.size()) return;
    const Rect r = l.layout.items[static_cast<size_t>(i)];
    InvalidateRect(l.wnd, &r, false);
}

void SendMenuSelect(Tracker& t, Hmenu menu, int pos, bool mouse) {
    if (!t.notify) return;
    const MenuObject* m = Lookup(menu);
    if (!m || pos < 0 || static_cast<size_t>(pos) >= m->items.size()) return;
    const Item& it = m->items[static_cast<size_t>(pos)];
    uint32_t flags = (it.flags & 0xFF) | MF_HILITE;
    if (mouse) flags |= MF_MOUSESELECT;
    if (m->isSystem) flags |= MF_SYSMENU;
    const int idOrPos = (it.flags & MF_POPUP) ? pos : static_cast<int>(it.id);
    SendMessage(t.owner, WM_MENUSELECT, MakeWParam(idOrPos, static_cast<int>(flags & 0xFFFF)),
                static_cast<LParam>(MenuToParam(menu)));
}

void CloseLevelsFrom(Tracker& t, size_t depth) {
    while (t.levels.size() > depth) {
        const Hwnd w = t.levels.back().wnd;
        t.levels.pop_back();
        if (IsWindow(w)) DestroyWindow(w);
    }
    gView.barOpen = t.barMode && !t.levels.empty();
}

void UpdateSystemMenu(Hmenu sys, Hwnd w) {
    const auto style = static_cast<uint32_t>(GetWindowLong(w, GWL_STYLE));
    const bool min = IsIconic(w);
    const bool max = IsZoomed(w);
    WindowClass wc;
    const bool noClose = GetClassInfo(GetClassName(w), &wc) && (wc.style & CS_NOCLOSE);
    auto set = [&](uint32_t id, bool on) {
        EnableMenuItem(sys, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
    };
    set(SC_RESTORE, min || max);
    set(SC_MOVE, !max);
    set(SC_SIZE, (style & WS_THICKFRAME) && !min && !max);
    set(SC_MINIMIZE, (style & WS_MINIMIZEBOX) && !min);
    set(SC_MAXIMIZE, (style & WS_MAXIMIZEBOX) && !max);
    set(SC_CLOSE, !noClose);
}

// Opens a popup beside `anchor` (screen): below it for a bar item, to its right for a submenu.
bool OpenPopup(Tracker& t, Hmenu menu, const Rect& anchor, bool below, int indexInParent,
               Hwnd systemOf, bool selectFirst) {
    const bool system = static_cast<bool>(systemOf);
    if (system) UpdateSystemMenu(menu, systemOf);
    if (t.notify) {
        SendMessage(t.owner, WM_INITMENUPOPUP, MenuToParam(menu),
                    MakeLParam(indexInParent, system ? 1 : 0));
    }
    const MenuObject* m = Lookup(menu);
    if (!m || m->items.empty() || t.ended || !IsWindow(t.owner)) return false;
    Level l;
    l.menu = menu;
    l.system = system;
    l.target = systemOf;
    l.layout = LayoutPopup(*m);
    const Rect screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    const int w = l.layout.size.cx;
    const int h = l.layout.size.cy;
    int x = below ? anchor.left : anchor.right - kPopupBorder;
    int y = below ? anchor.bottom : anchor.top - kPopupBorder;
    if (x + w > screen.right) x = below ? screen.right - w : anchor.left - w + kPopupBorder;
    if (y + h > screen.bottom) y = below ? anchor.top - h : screen.bottom - h;
    x = std::max(x, screen.left);
    y = std::max(y, screen.top);
    l.wnd = CreateWindowEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kPopupClass, "", WS_POPUP, x, y, w, h,
                           t.root, 0, nullptr, nullptr);
    if (!l.wnd) return false;
    l.rc = {x, y, x + w, y + h};
    for (const Rect& r : l.layout.items) l.items.push_back(r.Offset(x, y));
    t.levels.push_back(l);
    gView.barOpen = t.barMode;
    ShowWindow(l.wnd, SW_SHOWNA);
    if (selectFirst) {
        for (size_t i = 0; i < m->items.size(); ++i) {
            if (Selectable(m->items[i])) {
                t.levels.back().sel = static_cast<int>(i);
                SendMenuSelect(t, menu, static_cast<int>(i), false);
                break;
            }
        }
    }
    return true;
}

void SelectInLevel(Tracker& t, size_t depth, int pos, bool mouse) {
    if (depth >= t.levels.size()) return;
    Level& l = t.levels[depth];
    if (l.sel == pos) return;
    CloseLevelsFrom(t, depth + 1);
    Level& cur = t.levels[depth];
    InvalidateItem(cur, cur.sel);
    cur.sel = pos;
    InvalidateItem(cur, pos);
    SendMenuSelect(t, cur.menu, pos, mouse);
}

// Opens the submenu of the selected item of the deepest level.
bool OpenSelectedSubmenu(Tracker& t, bool selectFirst) {
    if (t.levels.empty()) return false;
    const size_t depth = t.levels.size() - 1;
    const Level& l = t.levels[depth];
    const MenuObject* m = Lookup(l.menu);
    if (!m || l.sel < 0 || static_cast<size_t>(l.sel) >= m->items.size()) return false;
    const Item& it = m->items[static_cast<size_t>(l.sel)];
    if (!(it.flags & MF_POPUP) || !Enabled(it)) return false;
    const Rect anchor = l.items[static_cast<size_t>(l.sel)];
    return OpenPopup(t, it.popup, anchor, false, l.sel, {}, selectFirst);
}

Hwnd FrameSysTarget(const Tracker& t) {
    return t.owner;
}

Rect EntryAnchor(const Tracker& t, const BarEntry& e) {
    BarLayout bl;
    const bool hasBar = LayoutBar(t.owner, &bl);
    if (e.kind == EntryKind::Item && hasBar && static_cast<size_t>(e.index) < bl.items.size())
        return bl.items[static_cast<size_t>(e.index)];
    if (e.kind == EntryKind::ChildSys && hasBar) return bl.childIcon;
    Rect icon;
    if (WindowManager::Current() && WindowManager::Current()->GetCaptionIconRect(t.owner, &icon))
        return icon;
    Rect wr;
    GetWindowRect(t.owner, &wr);
    return {wr.left, wr.top, wr.left, wr.top + kCaptionHeight};
}

void UpdateView(const Tracker& t) {
    gView.barOwner = t.barMode ? t.owner : Hwnd{};
    gView.barEntry = -1;
    gView.barPart = BarPart::None;
    if (t.entry >= 0 && static_cast<size_t>(t.entry) < t.entries.size()) {
        const BarEntry& e = t.entries[static_cast<size_t>(t.entry)];
        if (e.kind == EntryKind::Item) gView.barEntry = e.index;
        if (e.kind == EntryKind::ChildSys) gView.barPart = BarPart::ChildIcon;
    }
    gView.barOpen = t.barMode && !t.levels.empty();
    if (IsWindow(t.owner)) DrawMenuBar(t.owner);
}

void OpenEntry(Tracker& t, bool selectFirst) {
    if (t.entry < 0 || static_cast<size_t>(t.entry) >= t.entries.size()) return;
    const BarEntry e = t.entries[static_cast<size_t>(t.entry)];
    const Rect anchor = EntryAnchor(t, e);
    if (e.kind == EntryKind::Item) {
        const Hmenu bar = GetMenu(t.owner);
        const MenuObject* m = Lookup(bar);
        if (!m || static_cast<size_t>(e.index) >= m->items.size()) return;
        const Item& it = m->items[static_cast<size_t>(e.index)];
        if (!(it.flags & MF_POPUP) || !Enabled(it)) return;
        OpenPopup(t, it.popup, anchor, true, e.index, {}, selectFirst);
    } else {
        BarLayout bl;
        const Hwnd target = e.kind == EntryKind::ChildSys && LayoutBar(t.owner, &bl)
                                ? bl.mdiChild
                                : FrameSysTarget(t);
        if (!target) return;
        OpenPopup(t, GetSystemMenu(target, false), anchor, true, 0, target, selectFirst);
    }
    UpdateView(t);
}

void SelectEntry(Tracker& t, int entry, bool open, bool selectFirst, bool mouse) {
    if (entry == t.entry && (!open || !t.levels.empty())) return;
    CloseLevelsFrom(t, 0);
    t.entry = entry;
    UpdateView(t);
    if (entry >= 0 && static_cast<size_t>(entry) < t.entries.size() && t.notify) {
        const BarEntry& e = t.entries[static_cast<size_t>(entry)];
        if (e.kind == EntryKind::Item) SendMenuSelect(t, GetMenu(t.owner), e.index, mouse);
    }
    if (open) OpenEntry(t, selectFirst);
}

void Choose(Tracker& t, const Item& it, bool system, Hwnd target) {
    t.chose = true;
    t.cmd = it.id;
    t.sysCommand = system;
    t.cmdTarget = target;
    t.ended = true;
}

// Enter, a mnemonic or a click on an item of a level.
void Execute(Tracker& t, size_t depth, int pos) {
    if (depth >= t.levels.size()) return;
    const Level& l = t.levels[depth];
    const MenuObject* m = Lookup(l.menu);
    if (!m || pos < 0 || static_cast<size_t>(pos) >= m->items.size()) return;
    const Item it = m->items[static_cast<size_t>(pos)];
    if (!Selectable(it) || !Enabled(it)) return;
    if (it.flags & MF_POPUP) {
        SelectInLevel(t, depth, pos, false);
        OpenSelectedSubmenu(t, true);
        return;
    }
    Choose(t, it, l.system, l.target);
}

void ExecuteBarEntry(Tracker& t) {
    if (t.entry < 0 || static_cast<size_t>(t.entry) >= t.entries.size()) return;
    const BarEntry& e = t.entries[static_cast<size_t>(t.entry)];
    if (e.kind != EntryKind::Item) {
        OpenEntry(t, true);
        return;
    }
    const MenuObject* m = Lookup(GetMenu(t.owner));
    if (!m || static_cast<size_t>(e.index) >= m->items.size()) return;
    const Item it = m->items[static_cast<size_t>(e.index)];
    if (!Enabled(it) || !Selectable(it)) return;
    if (it.flags & MF_POPUP)
        OpenEntry(t, true);
    else
        Choose(t, it, false, t.owner);
}

int StepEntry(const Tracker& t, int dir) {
    const int n = static_cast<int>(t.entries.size());
    if (n == 0) return -1;
    int e = t.entry;
    for (int i = 0; i < n; ++i) {
        e = ((e + dir) % n + n) % n;
        const BarEntry& be = t.entries[static_cast<size_t>(e)];
        if (be.kind != EntryKind::Item) return e;
        const MenuObject* m = Lookup(GetMenu(t.owner));
        if (m && static_cast<size_t>(be.index) < m->items.size() &&
            Selectable(m->items[static_cast<size_t>(be.index)]))
            return e;
    }
    return t.entry;
}

void StepInLevel(Tracker& t, int dir) {
    if (t.levels.empty()) return;
    const size_t depth = t.levels.size() - 1;
    const MenuObject* m = Lookup(t.levels[depth].menu);
    if (!m || m->items.empty()) return;
    const int n = static_cast<int>(m->items.size());
    int p = t.levels[depth].sel;
    if (p < 0) p = dir > 0 ? -1 : n;
    for (int i = 0; i < n; ++i) {
        p = ((p + dir) % n + n) % n;
        if (Selectable(m->items[static_cast<size_t>(p)])) {
            SelectInLevel(t, depth, p, false);
            return;
        }
    }
}

void HandleMnemonic(Tracker& t, char ch) {
    if (t.levels.empty()) {
        if (!t.barMode) return;
        if (ch == ' ' || ch == '-') {
            for (size_t i = 0; i < t.entries.size(); ++i) {
                const EntryKind want = ch == ' ' ? EntryKind::FrameSys : EntryKind::ChildSys;
                if (t.entries[i].kind == want) {
                    SelectEntry(t, static_cast<int>(i), true, true, false);
                    return;
                }
            }
            return;
        }
        const MenuObject* m = Lookup(GetMenu(t.owner));
        if (!m) return;
        for (size_t i = 0; i < t.entries.size(); ++i) {
            const BarEntry& e = t.entries[i];
            if (e.kind != EntryKind::Item || static_cast<size_t>(e.index) >= m->items.size())
                continue;
            if (MnemonicOf(m->items[static_cast<size_t>(e.index)].text) == ch) {
                SelectEntry(t, static_cast<int>(i), false, false, false);
                ExecuteBarEntry(t);
                return;
            }
        }
        return;
    }
    const size_t depth = t.levels.size() - 1;
    const Level& l = t.levels[depth];
    const MenuObject* m = Lookup(l.menu);
    if (!m) return;
    std::vector<int> matches;
    for (size_t i = 0; i < m->items.size(); ++i) {
        if (Selectable(m->items[i]) && MnemonicOf(m->items[i].text) == ch)
            matches.push_back(static_cast<int>(i));
    }
    if (matches.size() == 1) {
        SelectInLevel(t, depth, matches[0], false);
        Execute(t, depth, matches[0]);
        return;
    }
    if (matches.size() > 1) {
        // Several items share the letter: each press selects the next of them.
        int next = matches[0];
        for (int p : matches) {
            if (p > l.sel) {
                next = p;
                break;
            }
        }
        SelectInLevel(t, depth, next, false);
        return;
    }
    if (!t.notify) return;
    const LResult r = SendMessage(t.owner, WM_MENUCHAR,
                                  MakeWParam(static_cast<unsigned char>(ch), l.system ? MF_SYSMENU : 0),
                                  static_cast<LParam>(MenuToParam(l.menu)));
    const uint32_t action = HiWord(static_cast<uintptr_t>(r));
    const int pos = LoWord(static_cast<uintptr_t>(r));
    if (action == MNC_CLOSE) {
        t.ended = true;
    } else if (action == MNC_SELECT && static_cast<size_t>(pos) < m->items.size()) {
        SelectInLevel(t, depth, pos, false);
    } else if (action == MNC_EXECUTE && static_cast<size_t>(pos) < m->items.size()) {
        SelectInLevel(t, depth, pos, false);
        Execute(t, depth, pos);
    }
}

void HandleKey(Tracker& t, uint32_t vk, LParam lp) {
    const bool repeat = (static_cast<uintptr_t>(lp) & (1u << 30)) != 0;
    switch (vk) {
        case VK_MENU:
            if (!repeat) t.ended = true;
            return;
        case VK_F10:
            t.ended = true;
            return;
        case VK_ESCAPE:
            if (t.levels.empty()) {
                t.ended = true;
            } else {
                CloseLevelsFrom(t, t.levels.size() - 1);
                if (t.levels.empty() && (!t.barMode || !GetMenu(t.owner))) t.ended = true;
                UpdateView(t);
            }
            return;
        case VK_UP:
        case VK_DOWN:
            if (t.levels.empty()) {
                if (t.barMode) OpenEntry(t, true);
            } else {
                StepInLevel(t, vk == VK_DOWN ? 1 : -1);
            }
            return;
        case VK_RIGHT:
            if (!t.levels.empty() && OpenSelectedSubmenu(t, true)) return;
            if (t.barMode) {
                const bool wasOpen = !t.levels.empty();
                SelectEntry(t, StepEntry(t, 1), wasOpen, true, false);
            }
            return;
        case VK_LEFT:
            if (t.levels.size() > 1) {
                CloseLevelsFrom(t, t.levels.size() - 1);
                return;
            }
            if (t.barMode) {
                const bool wasOpen = !t.levels.empty();
                SelectEntry(t, StepEntry(t, -1), wasOpen, true, false);
            }
            return;
        case VK_RETURN:
            if (t.levels.empty()) {
                ExecuteBarEntry(t);
            } else {
                Execute(t, t.levels.size() - 1, t.levels.back().sel);
            }
            return;
        case VK_SPACE:
            HandleMnemonic(t, ' ');
            return;
        case VK_OEM_MINUS:
        case VK_SUBTRACT:
            HandleMnemonic(t, '-');
            return;
        default:
            if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) {
                HandleMnemonic(t, static_cast<char>(vk >= 'A' ? vk - 'A' + 'a' : vk));
            }
            return;
    }
}

// Where a screen point lies: a popup level and item, or a bar entry.
struct Hit {
    int depth = -1;
    int item = -1;
    int entry = -1;
};

Hit HitTest(const Tracker& t, Point p) {
    Hit h;
    for (int d = static_cast<int>(t.levels.size()) - 1; d >= 0; --d) {
        const Level& l = t.levels[static_cast<size_t>(d)];
        if (!l.rc.Contains(p.x, p.y)) continue;
        h.depth = d;
        for (size_t i = 0; i < l.items.size(); ++i) {
            if (l.items[i].Contains(p.x, p.y)) h.item = static_cast<int>(i);
        }
        return h;
    }
    if (!t.barMode) return h;
    BarLayout bl;
    if (LayoutBar(t.owner, &bl)) {
        int item = -1;
        const BarPart part = BarHit(bl, p, &item);
        for (size_t i = 0; i < t.entries.size(); ++i) {
            const BarEntry& e = t.entries[i];
            if ((part == BarPart::Item && e.kind == EntryKind::Item && e.index == item) ||
                (part == BarPart::ChildIcon && e.kind == EntryKind::ChildSys)) {
                h.entry = static_cast<int>(i);
            }
        }
    }
    Rect icon;
    if (h.entry < 0 && WindowManager::Current() &&
        WindowManager::Current()->GetCaptionIconRect(t.owner, &icon) && icon.Contains(p.x, p.y)) {
        for (size_t i = 0; i < t.entries.size(); ++i) {
            if (t.entries[i].kind == EntryKind::FrameSys) h.entry = static_cast<int>(i);
        }
    }
    return h;
}

void HandleMouse(Tracker& t, uint32_t msg, Point p) {
    t.lastPt = p;
    const Hit h = HitTest(t, p);
    const bool down = msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK ||
                      ((msg == WM_RBUTTONDOWN || msg == WM_RBUTTONDBLCLK) &&
                       (t.rightButton || t.barMode));
    const bool up = msg == WM_LBUTTONUP || (msg == WM_RBUTTONUP && (t.rightButton || t.barMode));
    if (msg == WM_MOUSEMOVE) {
        if (h.depth >= 0 && h.item >= 0) {
            const MenuObject* m = Lookup(t.levels[static_cast<size_t>(h.depth)].menu);
            SelectInLevel(t, static_cast<size_t>(h.depth), h.item, true);
            if (m && static_cast<size_t>(h.item) < m->items.size() &&
                (m->items[static_cast<size_t>(h.item)].flags & MF_POPUP) &&
                t.levels.size() == static_cast<size_t>(h.depth) + 1) {
                OpenSelectedSubmenu(t, false);
            }
        } else if (h.entry >= 0 && (!t.levels.empty() || t.buttonDown) && h.entry != t.entry) {
            SelectEntry(t, h.entry, true, false, true);
        }
        return;
    }
    if (down) {
        t.buttonDown = true;
        if (h.depth >= 0) {
            if (h.item >= 0) SelectInLevel(t, static_cast<size_t>(h.depth), h.item, true);
            if (h.item >= 0 && t.levels.size() == static_cast<size_t>(h.depth) + 1)
                OpenSelectedSubmenu(t, false);
            return;
        }
        if (h.entry >= 0) {
            if (h.entry == t.entry && !t.levels.empty()) {
                t.ended = true;  // a press on the open item closes the menu
            } else {
                SelectEntry(t, h.entry, true, false, true);
                if (t.levels.empty()) ExecuteBarEntry(t);  // a bar item without a popup
            }
            return;
        }
        t.ended = true;  // a press outside every menu dismisses it
        if (t.levels.empty() && msg == WM_LBUTTONDOWN) t.passPressOn = true;
        return;
    }
    const bool anyDown = msg == WM_RBUTTONDOWN || msg == WM_RBUTTONDBLCLK ||
                         msg == WM_MBUTTONDOWN || msg == WM_MBUTTONDBLCLK;
    if (anyDown && h.depth < 0 && h.entry < 0) {
        t.ended = true;  // so does any other button
        return;
    }
    if (up) {
        t.buttonDown = false;
        if (h.depth >= 0 && h.item >= 0) {
            const MenuObject* m = Lookup(t.levels[static_cast<size_t>(h.depth)].menu);
            if (m && static_cast<size_t>(h.item) < m->items.size() &&
                !(m->items[static_cast<size_t>(h.item)].flags & MF_POPUP)) {
                Execute(t, static_cast<size_t>(h.depth), h.item);
            }
        }
    }
}

// The loop. Returns false when WM_QUIT arrived (it is posted again for the outer loop).
void RunLoop(Tracker& t) {
    WindowManager* wm = WindowManager::Current();
    if (!wm) return;
    SetCapture(t.root);
    while (!t.ended) {
        if (!IsWindow(t.owner) || GetCapture() != t.root) break;
        Msg m;
        if (!GetMessage(&m, {}, 0, 0)) {
            PostQuitMessage(static_cast<int>(m.wParam));
            break;
        }
        const uint32_t msg = m.message;
        if (msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN) {
            HandleKey(t, static_cast<uint32_t>(m.wParam), m.lParam);
            // The key is the menu's: its character must not reach the window that has the
            // focus once the menu is gone (a dialog the command opens).
            wm->SpendCharacterOfKey(static_cast<uint32_t>(m.wParam));
        } else if (msg == WM_KEYUP || msg == WM_SYSKEYUP || msg == WM_CHAR || msg == WM_SYSCHAR ||
                   msg == WM_DEADCHAR) {
            // Keys are read from their key-down messages; characters and releases are spent.
        } else if ((msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) ||
                   (msg >= WM_NCMOUSEMOVE && msg <= WM_NCMBUTTONDBLCLK)) {
            uint32_t c = msg;
            if (msg >= WM_NCMOUSEMOVE && msg <= WM_NCMBUTTONDBLCLK)
                c = msg - WM_NCMOUSEMOVE + WM_MOUSEMOVE;
            if (c != WM_MOUSEWHEEL) HandleMouse(t, c, m.pt);
            if (t.passPressOn) {
                if (GetCapture() == t.root) ReleaseCapture();
                const Hwnd under = WindowFromPoint(m.pt);
                Point p = m.pt;
                if (under && ScreenToClient(under, &p))
                    PostMessage(under, WM_LBUTTONDOWN, m.wParam, MakeLParam(p.x, p.y));
            }
        } else {
            DispatchMessage(m);
        }
    }
    if (GetCapture() == t.root) ReleaseCapture();
}

// Runs a tracker from set-up to the delivery of its command.
int Run(Tracker& t, uint32_t tpmFlags) {
    Tracker* outer = gTracker;
    gTracker = &t;
    RunLoop(t);
    CloseLevelsFrom(t, 0);
    gTracker = outer;
    gView = TrackView{};
    if (IsWindow(t.owner)) {
        DrawMenuBar(t.owner);
        if (t.notify) {
            SendMessage(t.owner, WM_MENUSELECT, MakeWParam(0, 0xFFFF), 0);
            SendMessage(t.owner, WM_EXITMENULOOP, t.popupCall ? 1 : 0, 0);
        }
    }
    if (!t.chose) return 0;
    if (tpmFlags & TPM_RETURNCMD) return static_cast<int>(t.cmd);
    if (t.sysCommand) {
        PostMessage(t.cmdTarget, WM_SYSCOMMAND, t.cmd, MakeLParam(t.lastPt.x, t.lastPt.y));
    } else {
        PostMessage(t.owner, WM_COMMAND, MakeWParam(static_cast<int>(t.cmd), 0), 0);
    }
    return 1;
}

bool StartTracker(Tracker& t, Hwnd h, bool popupCall) {
    if (gTracker || !IsWindow(h)) return false;  // one menu at a time
    t.owner = h;
    t.root = GetAncestor(h, GA_ROOT);
    t.popupCall = popupCall;
    if (!popupCall) {
        t.barMode = true;
        const auto style = static_cast<uint32_t>(GetWindowLong(h, GWL_STYLE));
        if (style & WS_SYSMENU) t.entries.push_back({EntryKind::FrameSys, -1});
        BarLayout bl;
        if (LayoutBar(h, &bl)) {
            if (bl.mdiChild) t.entries.push_back({EntryKind::ChildSys, -1});
            for (size_t i = 0; i < bl.items.size(); ++i) {
                if (!bl.items[i].IsEmpty())
                    t.entries.push_back({EntryKind::Item, static_cast<int>(i)});
            }
        }
    }
    // The owner is told before anything shows.
    if (t.notify) {
        SendMessage(h, WM_ENTERMENULOOP, popupCall ? 1 : 0, 0);
        const Hmenu first = popupCall ? Hmenu{} : GetMenu(h);
        if (first) SendMessage(h, WM_INITMENU, MenuToParam(first), 0);
    }
    return IsWindow(h);
}

int FirstEntryOf(const Tracker& t, EntryKind kind) {
    for (size_t i = 0; i < t.entries.size(); ++i) {
        if (t.entries[i].kind == kind) return static_cast<int>(i);
    }
    return -1;
}

// A press on one of the maximised MDI child's buttons in the bar: held until released.
void TrackBarButton(Hwnd frame, BarPart part, Hwnd child) {
    bool inside = true;
    SetPressedBarButton(frame, part);
    SetCapture(frame);
    for (;;) {
        if (!IsWindow(frame) || GetCapture() != frame) break;
        Msg m;
        if (!GetMessage(&m, {}, 0, 0)) {
            PostQuitMessage(static_cast<int>(m.wParam));
            break;
        }
        const bool mouse = (m.message >= WM_MOUSEFIRST && m.message <= WM_MOUSELAST);
        if (!mouse) {
            if (m.message == WM_KEYDOWN && m.wParam == VK_ESCAPE) {
                inside = false;
                break;
            }
            TranslateMessage(m);
            DispatchMessage(m);
            continue;
        }
        BarLayout bl;
        const bool on = LayoutBar(frame, &bl) && BarHit(bl, m.pt, nullptr) == part;
        if (on != inside) {
            inside = on;
            SetPressedBarButton(frame, on ? part : BarPart::None);
        }
        if (m.message == WM_LBUTTONUP) break;
    }
    if (GetCapture() == frame) ReleaseCapture();
    SetPressedBarButton(frame, BarPart::None);
    if (!inside || !IsWindow(child)) return;
    const uint32_t cmd = part == BarPart::ChildMinimize  ? SC_MINIMIZE
                         : part == BarPart::ChildRestore ? SC_RESTORE
                                                         : SC_CLOSE;
    SendMessage(child, WM_SYSCOMMAND, cmd, 0);
}

// ----- the popup window -----

void DrawCheck(Canvas& dc, int x, int y, ColorRef c) {
    static constexpr int kRise[] = {2, 3, 4, 3, 2, 1, 0};
    for (int i = 0; i < 7; ++i) theme::Fill(dc, {x + i, y + kRise[i], x + i + 1, y + kRise[i] + 3}, c);
}

void PaintPopup(Hwnd h, Canvas& dc) {
    Rect rc;
    GetClientRect(h, &rc);
    theme::Fill(dc, rc, GetSysColor(COLOR_MENU));
    Rect edge = rc;
    theme::DrawEdge(dc, &edge, EDGE_RAISED, BF_RECT);
    const Level* l = LevelOfWindow(h);
    if (!l) return;
    const MenuObject* m = Lookup(l->menu);
    if (!m) return;
    dc.SelectFont(MenuFont());
    dc.SetBkMode(TRANSPARENT);
    for (size_t i = 0; i < m->items.size() && i < l->layout.items.size(); ++i) {
        const Item& it = m->items[i];
        const Rect r = l->layout.items[i];
        if (it.flags & MF_SEPARATOR) {
            const int mid = (r.top + r.bottom) / 2 - 1;
            theme::Fill(dc, {r.left + 1, mid, r.right - 1, mid + 1}, GetSysColor(COLOR_BTNSHADOW));
            theme::Fill(dc, {r.left + 1, mid + 1, r.right - 1, mid + 2},
                        GetSysColor(COLOR_BTNHIGHLIGHT));
            continue;
        }
        const bool selected = l->sel == static_cast<int>(i);
        const bool grey = (it.flags & MF_GRAYED) != 0;
        if (selected) theme::Fill(dc, r, GetSysColor(COLOR_HIGHLIGHT));
        const ColorRef text = selected ? GetSysColor(grey ? COLOR_GRAYTEXT : COLOR_HIGHLIGHTTEXT)
                              : grey   ? GetSysColor(COLOR_GRAYTEXT)
                                       : GetSysColor(COLOR_MENUTEXT);
        const bool embossed = grey && !selected;
        if (it.flags & MF_CHECKED) {
            const int cx = r.left + (kCheckColumn - 7) / 2;
            const int cy = (r.top + r.bottom) / 2 - 3;
            if (embossed) DrawCheck(dc, cx + 1, cy + 1, GetSysColor(COLOR_BTNHIGHLIGHT));
            DrawCheck(dc, cx, cy, embossed ? GetSysColor(COLOR_BTNSHADOW) : text);
        }
        Rect label{l->layout.labelX, r.top, l->layout.accelX - 4, r.bottom};
        Rect accel{l->layout.accelX, r.top, r.right - kArrowColumn, r.bottom};
        const uint32_t fmt = DT_SINGLELINE | DT_VCENTER | DT_LEFT;
        const std::string accelText = AccelTextOf(it.text);
        if (embossed) {
            theme::DisabledText(dc, LabelOf(it.text), label, fmt);
            if (!accelText.empty()) theme::DisabledText(dc, accelText, accel, fmt | DT_NOPREFIX);
        } else {
            dc.SetTextColor(text);
            dc.DrawText(LabelOf(it.text), label, fmt);
            if (!accelText.empty()) dc.DrawText(accelText, accel, fmt | DT_NOPREFIX);
        }
        if (it.flags & MF_POPUP) {
            const Rect arrow{r.right - kArrowColumn, r.top, r.right - 4, r.bottom};
            if (selected && !grey) {
                // A light arrow on the highlight.
                const int ax = arrow.left + 4;
                const int ay = (arrow.top + arrow.bottom) / 2;
                for (int k = 0; k < 4; ++k)
                    theme::Fill(dc, {ax + k, ay - 3 + k, ax + k + 1, ay + 4 - k}, text);
            } else {
                theme::ArrowGlyph(dc, arrow, theme::ArrowDir::Right, grey);
            }
        }
    }
}

LResult PopupProc(Hwnd h, uint32_t msg, WParam wp, LParam lp) {
    switch (msg) {
        case WM_PAINT: {
            PaintStruct ps;
            Canvas* dc = BeginPaint(h, &ps);
            if (dc) PaintPopup(h, *dc);
            EndPaint(h, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;
        case WM_NCHITTEST:
            return HTCLIENT;
        default:
            return DefWindowProc(h, msg, wp, lp);
    }
}

}  // namespace

namespace menudetail {

const TrackView& CurrentTrackView() {
    return gView;
}

void TrackBarByKey(Hwnd h, char key) {
    const bool hasBar = static_cast<bool>(GetMenu(h));
    const auto style = static_cast<uint32_t>(GetWindowLong(h, GWL_STYLE));
    if (key == 0 && !hasBar) return;
    if (key == ' ' && !(style & WS_SYSMENU)) return;
    if (key != 0 && key != ' ' && key != '-') {
        // Only a letter that some bar item answers to enters the menu.
        const MenuObject* m = Lookup(GetMenu(h));
        bool found = false;
        for (size_t i = 0; m && i < m->items.size(); ++i)
            found = found || MnemonicOf(m->items[i].text) == key;
        if (!found) return;
    }
    if (key == '-' && !MdiMaximizedChildOfFrame(h)) return;
    Tracker t;
    if (!StartTracker(t, h, false)) return;
    if (key == 0) {
        SelectEntry(t, FirstEntryOf(t, EntryKind::Item), false, false, false);
    } else {
        HandleMnemonic(t, key);
    }
    if (t.entry < 0 && t.levels.empty()) t.ended = true;
    Run(t, 0);
}

void TrackBarByMouse(Hwnd h, Point start) {
    BarLayout bl;
    int item = -1;
    const BarPart part = LayoutBar(h, &bl) ? BarHit(bl, start, &item) : BarPart::None;
    if (part == BarPart::ChildMinimize || part == BarPart::ChildRestore ||
        part == BarPart::ChildClose) {
        TrackBarButton(h, part, bl.mdiChild);
        return;
    }
    Rect icon;
    const bool onIcon = WindowManager::Current() &&
                        WindowManager::Current()->GetCaptionIconRect(h, &icon) &&
                        icon.Contains(start.x, start.y);
    if (part == BarPart::None && !onIcon) return;
    Tracker t;
    if (!StartTracker(t, h, false)) return;
    t.buttonDown = true;
    int entry = -1;
    if (onIcon) entry = FirstEntryOf(t, EntryKind::FrameSys);
    if (part == BarPart::ChildIcon) entry = FirstEntryOf(t, EntryKind::ChildSys);
    for (size_t i = 0; part == BarPart::Item && i < t.entries.size(); ++i) {
        if (t.entries[i].kind == EntryKind::Item && t.entries[i].index == item)
            entry = static_cast<int>(i);
    }
    if (entry < 0) t.ended = true;
    t.lastPt = start;
    SelectEntry(t, entry, true, false, true);
    if (t.levels.empty()) ExecuteBarEntry(t);
    Run(t, 0);
}

}  // namespace menudetail

// ---------------------------------------------------------------------------------------------
// Public entry points

int TrackPopupMenu(Hmenu menu, uint32_t flags, int x, int y, int reserved, Hwnd h,
                   const Rect* excluded) {
    (void)reserved;
    (void)excluded;
    const MenuObject* m = Lookup(menu);
    if (!m || m->items.empty()) return 0;
    Tracker t;
    t.notify = !(flags & TPM_NONOTIFY);
    t.rightButton = (flags & TPM_RIGHTBUTTON) != 0;
    if (!StartTracker(t, h, true)) return 0;
    if (t.notify) SendMessage(h, WM_INITMENU, MenuToParam(menu), 0);
    // Place by the alignment flags: the layout tells the size.
    const PopupLayout l = LayoutPopup(*m);
    if (flags & TPM_CENTERALIGN) x -= l.size.cx / 2;
    if (flags & TPM_RIGHTALIGN) x -= l.size.cx;
    if (flags & TPM_VCENTERALIGN) y -= l.size.cy / 2;
    if (flags & TPM_BOTTOMALIGN) y -= l.size.cy;
    const Rect anchor{x, y, x, y};
    t.lastPt = {x, y};
    // A popup of a window's system menu sends system commands.
    Hwnd systemOf{};
    if (Lookup(menu)->isSystem) systemOf = h;
    if (!OpenPopup(t, menu, anchor, true, 0, systemOf, false)) {
        t.ended = true;
        Run(t, flags);
        return 0;
    }
    const int r = Run(t, flags);
    return (flags & TPM_RETURNCMD) ? r : 1;
}

bool GetMenuItemRect(Hwnd h, Hmenu menu, uint32_t pos, Rect* out) {
    if (!out) return false;
    if (gTracker) {
        for (const Level& l : gTracker->levels) {
            if (l.menu == menu && pos < l.items.size()) {
                *out = l.items[pos];
                return true;
            }
        }
    }
    BarLayout bl;
    if (menu && GetMenu(h) == menu && LayoutBar(h, &bl) && pos < bl.items.size() &&
        !bl.items[pos].IsEmpty()) {
        *out = bl.items[pos];
        return true;
    }
    return false;
}

bool IsMenuActive() {
    return gTracker != nullptr;
}

namespace {

// The window whose menu bar the menu keys pressed in h open: h's top-level window, or, when
// that is a bare pop-up (no caption, no system menu, no bar) lying over an enabled owner that
// has a bar, as a full-screen page over its frame does, that owner.
Hwnd KeyMenuWindow(Hwnd h) {
    const Hwnd root = GetAncestor(h, GA_ROOT);
    if (!root || GetMenu(root)) return root;
    const auto style = static_cast<uint32_t>(GetWindowLong(root, GWL_STYLE));
    if (!(style & WS_POPUP) || (style & (WS_CAPTION | WS_SYSMENU))) return root;
    const Hwnd owner = GetWindow(root, GW_OWNER);
    if (owner && GetMenu(owner) && IsWindowEnabled(owner) && IsWindowVisible(owner)) return owner;
    return root;
}

}  // namespace

bool MenuDefWindowProc(Hwnd h, uint32_t msg, WParam wp, LParam lp, LResult* result) {
    *result = 0;
    switch (msg) {
        case WM_KEYDOWN:
            gAltAlone = false;
            return false;
        case WM_SYSKEYDOWN:
            if (wp == VK_MENU) {
                if (!(static_cast<uintptr_t>(lp) & (1u << 30))) gAltAlone = true;
                return false;
            }
            gAltAlone = false;
            if (wp == VK_F10 && !(static_cast<uintptr_t>(lp) & (1u << 30)) &&
                GetKeyState(VK_SHIFT) >= 0 && GetMenu(KeyMenuWindow(h))) {
                // F10 enters on its press, so that its release is spent inside the menu.
                SendMessage(KeyMenuWindow(h), WM_SYSCOMMAND, SC_KEYMENU, 0);
                return true;
            }
            return false;
        case WM_SYSKEYUP: {
            // Only a release that follows Alt's own press enters (a key handled elsewhere,
            // such as an accelerator, in between does not).
            WindowManager* wm = WindowManager::Current();
            const bool enter = wp == VK_MENU && gAltAlone && wm && wm->LastKeyPressed() == VK_MENU;
            if (wp == VK_MENU) gAltAlone = false;
            if (!enter) return false;
            const Hwnd root = KeyMenuWindow(h);
            if (!GetMenu(root)) return false;
            SendMessage(root, WM_SYSCOMMAND, SC_KEYMENU, 0);
            return true;
        }
        case WM_SYSCHAR: {
            gAltAlone = false;
            const Hwnd root = KeyMenuWindow(h);
            SendMessage(root, WM_SYSCOMMAND, SC_KEYMENU, static_cast<LParam>(wp & 0xFF));
            return true;
        }
        case WM_SYSCOMMAND:
            if ((wp & 0xFFF0) == SC_KEYMENU) {
                const auto ch = static_cast<unsigned char>(lp & 0xFF);
                TrackBarByKey(h, static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch));
                return true;
            }
            if ((wp & 0xFFF0) == SC_MOUSEMENU) {
                TrackBarByMouse(h, {GetXLParam(lp), GetYLParam(lp)});
                return true;
            }
            return false;
        case WM_NCLBUTTONDOWN:
            if (static_cast<intptr_t>(wp) == HTMENU || static_cast<intptr_t>(wp) == HTSYSMENU) {
                gAltAlone = false;
                SendMessage(h, WM_SYSCOMMAND, SC_MOUSEMENU | static_cast<uint32_t>(wp), lp);
                return true;
            }
            return false;
        case WM_NCLBUTTONDBLCLK:
            if (static_cast<intptr_t>(wp) == HTSYSMENU) {
                SendMessage(h, WM_SYSCOMMAND, SC_CLOSE, lp);
                return true;
            }
            return false;
        default:
            return false;
    }
}

void RegisterMenuClasses() {
    WindowClass wc;
    wc.name = kPopupClass;
    wc.proc = PopupProc;
    wc.style = CS_SAVEBITS;
    RegisterClass(wc);
    RegisterMdiClientClass();
}

}  // namespace zv::ui
