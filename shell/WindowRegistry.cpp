#include "shell/WindowRegistry.h"

#include "platform/ui/Window.h"
#include "shell/ProgramServices.h"

namespace zv::shell {

namespace {

constexpr std::string_view kNames[kWindowKindCount] = {
    "FrameWnd",        "MdiWnd",        "BackWnd",         "SelGameWnd",   "SelPaletteWnd",
    "UnitListWnd",     "SiteListWnd",   "CampInfoWnd",     "HqWnd",        "TroopNumListWnd",
    "UnitKindListWnd", "LandListWnd",   "LandBaseInfoWnd", "TroopListWnd", "SelToolWnd",
    "TerToolWnd",      "MapWnd",        "TreeViewWnd",     "TreeViewWnd2", "TroopListView",
    "TableGroopWnd",   "UnitContent",   "AriaInfo",        "NewsWnd",      "ResultWnd",
    "UnitSinpleInfo",  "TerrainInfo",   "PauseWnd",        "MessageWnd",   "SpeedWnd",
    "PanelManeger",    "RealManager",   "CommandWnd",      "NowGraspWnd",  "HelperWindow",
    "ChatWindow",      "ReceverParaWd", "TransFaParaWd",
};

bool IsKind(int kind) {
    return kind >= 0 && kind < kWindowKindCount;
}

WindowRegistry& BuiltIn() {
    static WindowRegistry registry;
    return registry;
}

}  // namespace

std::string_view WindowKindName(int kind) {
    return IsKind(kind) ? kNames[kind] : std::string_view();
}

std::optional<WindowKind> WindowKindFromNumber(int kind) {
    if (!IsKind(kind)) return std::nullopt;
    return WindowKind(kind);
}

WindowRegistry::WindowRegistry() {
    Clear();
}

ui::Hwnd WindowRegistry::GetWindowOfKind(WindowKind kind) const {
    return GetWindowOfKind(int(kind));
}

ui::Hwnd WindowRegistry::GetWindowOfKind(int kind) const {
    const ui::Hwnd h = StoredHandle(kind);
    return (h && ui::IsWindow(h)) ? h : ui::Hwnd{};
}

void WindowRegistry::SetWindowOfKind(WindowKind kind, ui::Hwnd window) {
    SetWindowOfKind(int(kind), window);
}

void WindowRegistry::SetWindowOfKind(int kind, ui::Hwnd window) {
    if (IsKind(kind)) slots_[kind].store(window.value);
}

ui::Hwnd WindowRegistry::StoredHandle(int kind) const {
    return IsKind(kind) ? ui::Hwnd{slots_[kind].load()} : ui::Hwnd{};
}

void WindowRegistry::Clear() {
    for (auto& slot : slots_) slot.store(0);
}

WindowRegistry& CurrentWindowRegistry() {
    const ProgramServices* services = CurrentServices();
    return services != nullptr && services->registry != nullptr ? *services->registry : BuiltIn();
}

ui::Hwnd GetWindowOfKind(WindowKind kind) {
    return CurrentWindowRegistry().GetWindowOfKind(kind);
}
ui::Hwnd GetWindowOfKind(int kind) {
    return CurrentWindowRegistry().GetWindowOfKind(kind);
}
void SetWindowOfKind(WindowKind kind, ui::Hwnd window) {
    CurrentWindowRegistry().SetWindowOfKind(kind, window);
}
void ForgetWindowOfKind(WindowKind kind, ui::Hwnd window) {
    if (GetWindowOfKind(kind) == window) SetWindowOfKind(kind, ui::Hwnd{});
}
void SetWindowOfKind(int kind, ui::Hwnd window) {
    CurrentWindowRegistry().SetWindowOfKind(kind, window);
}

}  // namespace zv::shell
