#pragma once

// The table through which the program reaches its long-lived windows, one slot per kind. It only
// records handles: a window that was destroyed reads as absent.

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/ui/WindowTypes.h"

namespace zv::shell {

// The kinds, numbered as stored; the names are also the keys of the settings file's
// "Windows" section.
enum class WindowKind : int {
    FrameWnd = 0,
    MdiWnd = 1,
    BackWnd = 2,
    SelGameWnd = 3,
    SelPaletteWnd = 4,
    UnitListWnd = 5,
    SiteListWnd = 6,
    CampInfoWnd = 7,
    HqWnd = 8,
    TroopNumListWnd = 9,
    UnitKindListWnd = 10,
    LandListWnd = 11,
    LandBaseInfoWnd = 12,
    TroopListWnd = 13,
    SelToolWnd = 14,
    TerToolWnd = 15,
    MapWnd = 16,
    TreeViewWnd = 17,
    TreeViewWnd2 = 18,
    TroopListView = 19,
    TableGroopWnd = 20,
    UnitContent = 21,
    AriaInfo = 22,
    NewsWnd = 23,
    ResultWnd = 24,
    UnitSinpleInfo = 25,
    TerrainInfo = 26,
    PauseWnd = 27,
    MessageWnd = 28,
    SpeedWnd = 29,
    PanelManeger = 30,
    RealManager = 31,
    CommandWnd = 32,
    NowGraspWnd = 33,
    HelperWindow = 34,
    ChatWindow = 35,
    ReceverParaWd = 36,
    TransFaParaWd = 37,
};

constexpr int kWindowKindCount = 38;

// The kind's name exactly as stored ("FrameWnd" ... "TransFaParaWd"); empty for a number that is
// no kind.
std::string_view WindowKindName(int kind);
inline std::string_view WindowKindName(WindowKind kind) {
    return WindowKindName(int(kind));
}
std::optional<WindowKind> WindowKindFromNumber(int kind);

class WindowRegistry {
  public:
    WindowRegistry();

    // The slot's window when it still is one, else null. A number that is no kind reads as
    // null too.
    ui::Hwnd GetWindowOfKind(WindowKind kind) const;
    ui::Hwnd GetWindowOfKind(int kind) const;
    // Stores the handle (null clears); a number that is no kind is ignored.
    void SetWindowOfKind(WindowKind kind, ui::Hwnd window);
    void SetWindowOfKind(int kind, ui::Hwnd window);
    // The handle as stored, whether or not it is still a window.
    ui::Hwnd StoredHandle(int kind) const;
    void Clear();

  private:
    // Written on the GUI thread, read from the simulation and network threads.
    std::array<std::atomic<uint32_t>, kWindowKindCount> slots_;
};

// The program's registry: the installed services' (shell/ProgramServices.h); without one (and in
// tests and tools that install none) a built-in one answers.
WindowRegistry& CurrentWindowRegistry();

ui::Hwnd GetWindowOfKind(WindowKind kind);
ui::Hwnd GetWindowOfKind(int kind);
void SetWindowOfKind(WindowKind kind, ui::Hwnd window);
void SetWindowOfKind(int kind, ui::Hwnd window);
// A window that goes empties its kind's slot, unless another window of the kind took it since.
void ForgetWindowOfKind(WindowKind kind, ui::Hwnd window);

}  // namespace zv::shell
