#include "framework/media/DisplayMode.h"

#include "platform/ui/WindowManager.h"

namespace zv::fw {

namespace {
ui::Backend* CurrentBackend() {
    ui::WindowManager* wm = ui::WindowManager::Current();
    return wm ? &wm->GetBackend() : nullptr;
}
}  // namespace

int GetScreenBitsPerPixel() {
    ui::Backend* b = CurrentBackend();
    return b ? b->CurrentDisplayMode().bitsPerPixel : 0;
}

DisplayMode::~DisplayMode() {
    RestoreMode();
}

int DisplayMode::FindMode(int width, int height, int bits, ui::DisplayModeDesc* out) {
    ui::Backend* b = CurrentBackend();
    if (!b) return 0;
    for (const ui::DisplayModeDesc& m : b->ListDisplayModes()) {
        if (m.width == width && m.height == height && m.bitsPerPixel == bits) {
            if (out) *out = m;
            return 1;
        }
    }
    return 0;
}

int DisplayMode::ChangeMode(int width, int height, int bits) {
    ui::Backend* b = CurrentBackend();
    if (!b) return 0;
    ui::DisplayModeDesc current = b->CurrentDisplayMode();
    if (bits == 0) bits = current.bitsPerPixel;
    ui::DisplayModeDesc saved;
    if (!FindMode(current.width, current.height, bits, &saved)) return 0;
    if (!changed_) saved_ = saved;  // a second change still goes back to the first mode
    ui::DisplayModeDesc wanted;
    if (!FindMode(width, height, bits, &wanted)) return 1;
    requested_ = wanted;
    if (!b->EnterFullscreenMode(wanted)) return 0;
    changed_ = 1;
    return 1;
}

int DisplayMode::RestoreMode() {
    if (changed_) {
        if (ui::Backend* b = CurrentBackend()) b->LeaveFullscreenMode();
        changed_ = 0;
    }
    return 1;
}

int DisplayMode::EnableIme(int flag) {
    ime_ = flag;
    return 1;
}

}  // namespace zv::fw
