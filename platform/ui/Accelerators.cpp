// Accelerator tables: the registry of resources, tables by handle, and TranslateAccelerator.
#include <unordered_map>

#include "platform/ui/MenuInternal.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"

namespace zv::ui {

namespace {

struct AccelTables {
    std::unordered_map<uint32_t, std::vector<Accel>> tables;
    uint32_t next = 1;
};

AccelTables& Tables() {
    static AccelTables t;
    return t;
}

bool Down(uint32_t vk) {
    return GetKeyState(vk) < 0;
}

// The item of a command in a menu or its submenus, if any.
bool FindCommand(Hmenu menu, uint32_t cmd, uint32_t* state) {
    const uint32_t s = GetMenuState(menu, cmd, MF_BYCOMMAND);
    if (s == 0xFFFFFFFFu) return false;
    *state = s;
    return true;
}

}  // namespace

AcceleratorRegistry& AcceleratorRegistry::Global() {
    static AcceleratorRegistry registry;
    return registry;
}

void AcceleratorRegistry::Add(AcceleratorTemplate t) {
    std::lock_guard<std::mutex> lock(mutex_);
    const int n = t.number;
    tables_[n] = std::move(t);
}

bool AcceleratorRegistry::Find(int number, AcceleratorTemplate* out) const {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = tables_.find(number);
    if (it == tables_.end()) return false;
    if (out) *out = it->second;
    return true;
}

Haccel CreateAcceleratorTable(const Accel* entries, int count) {
    if (!entries || count <= 0) return {};
    AccelTables& t = Tables();
    const uint32_t id = t.next++;
    if (t.next == 0) t.next = 1;
    t.tables[id] = std::vector<Accel>(entries, entries + count);
    return Haccel{id};
}

Haccel LoadAccelerators(void* instance, int number) {
    (void)instance;
    AcceleratorTemplate t;
    if (!AcceleratorRegistry::Global().Find(number, &t) || t.entries.empty()) return {};
    return CreateAcceleratorTable(t.entries.data(), static_cast<int>(t.entries.size()));
}

bool DestroyAcceleratorTable(Haccel table) {
    return Tables().tables.erase(table.value) > 0;
}

int TranslateAccelerator(Hwnd h, Haccel table, const Msg* m) {
    if (!m || !IsWindow(h)) return 0;
    auto it = Tables().tables.find(table.value);
    if (it == Tables().tables.end()) return 0;
    const bool keyMsg = m->message == WM_KEYDOWN || m->message == WM_SYSKEYDOWN;
    const bool charMsg = m->message == WM_CHAR || m->message == WM_SYSCHAR;
    if (!keyMsg && !charMsg) return 0;
    const bool ctrl = Down(VK_CONTROL);
    const bool shift = Down(VK_SHIFT);
    const bool alt = Down(VK_MENU) || (static_cast<uintptr_t>(m->lParam) & (1u << 29));
    for (const Accel& a : it->second) {
        if (a.fVirt & FVIRTKEY) {
            if (!keyMsg || a.key != (m->wParam & 0xFF)) continue;
            if (ctrl != ((a.fVirt & FCONTROL) != 0) || shift != ((a.fVirt & FSHIFT) != 0))
                continue;
        } else {
            if (!charMsg || a.key != (m->wParam & 0xFFFF)) continue;
        }
        if (alt != ((a.fVirt & FALT) != 0)) continue;
        // A window that cannot take input (a modal box holds it) gets nothing.
        const Hwnd root = GetAncestor(h, GA_ROOT);
        if (!IsWindowEnabled(h) || !IsWindowEnabled(root) || IsMenuActive()) return 0;
        const Hmenu menu = GetMenu(h);
        uint32_t state = 0;
        if (menu && FindCommand(menu, a.cmd, &state)) {
            SendMessage(h, WM_INITMENU, MenuToParam(menu), 0);
            state = GetMenuState(menu, a.cmd, MF_BYCOMMAND);
            if (state != 0xFFFFFFFFu && (state & (MF_GRAYED | MF_DISABLED))) return 1;
        } else {
            const Hmenu sys = a.cmd >= 0xF000 ? GetSystemMenu(h, false) : Hmenu{};
            if (sys && FindCommand(sys, a.cmd, &state)) {
                if (!(state & (MF_GRAYED | MF_DISABLED))) SendMessage(h, WM_SYSCOMMAND, a.cmd, 0);
                return 1;
            }
        }
        SendMessage(h, WM_COMMAND, MakeWParam(a.cmd, 1), 0);
        return 1;
    }
    return 0;
}

}  // namespace zv::ui
