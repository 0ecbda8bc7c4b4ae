#include "framework/gui/WindowUtilities.h"

#include <atomic>

#include "framework/gui/GdiHelpers.h"
#include "platform/ui/Window.h"

namespace zv::fw {

namespace {

constexpr int kButtonMargin = 16;

std::atomic<uint32_t> gPlacementOwner{0};

// Centring on an area: truncating division, out-of-range coordinates become 0.
int CentreIn(int area, int size) {
    const int v = (area - size) / 2;
    return (v < 0 || v >= area) ? 0 : v;
}

}  // namespace

void PlaceDialogButtons(ui::Hwnd dialog, int width, int height) {
    const ui::Hwnd next = ui::GetDlgItem(dialog, kNextButtonId);
    const ui::Hwnd back = ui::GetDlgItem(dialog, kBackButtonId);
    ui::Rect nextRect, backRect;
    if (!ui::GetWindowRect(next, &nextRect)) return;
    const int nextX = width - kButtonMargin - nextRect.Width();
    ui::SetWindowPos(next, ui::HWND_TOP, nextX, height - kButtonMargin - nextRect.Height(), 0, 0,
                     ui::SWP_NOSIZE | ui::SWP_NOZORDER);
    if (!ui::GetWindowRect(back, &backRect)) return;
    ui::SetWindowPos(back, ui::HWND_TOP, nextX - kButtonMargin - backRect.Width(),
                     height - kButtonMargin - backRect.Height(), 0, 0,
                     ui::SWP_NOSIZE | ui::SWP_NOZORDER);
}

void CenterWindowOnScreen(ui::Hwnd window, int width, int height, uint32_t flags) {
    const int x = CentreIn(ui::GetSystemMetrics(ui::SM_CXFULLSCREEN), width);
    const int y = CentreIn(ui::GetSystemMetrics(ui::SM_CYFULLSCREEN), height);
    ui::SetWindowPos(window, ui::HWND_TOP, x, y, width, height, flags);
}

void CenterWindowInParent(ui::Hwnd parent, ui::Hwnd child, int width, int height, uint32_t flags) {
    ui::Rect client;
    if (!ui::GetClientRect(parent, &client)) return;
    ui::SetWindowPos(child, ui::HWND_TOP, CentreIn(client.Width(), width),
                     CentreIn(client.Height(), height), width, height, flags);
}

void PaintWindowFromBitmap(ui::Hwnd window, Dib* bitmap) {
    ui::PaintStruct ps;
    ui::Canvas* dc = ui::BeginPaint(window, &ps);
    if (dc != nullptr && bitmap != nullptr) {
        const ui::Rect& r = ps.rcPaint;
        dc->BitBlt(r.left, r.top, r.Width(), r.Height(), CanvasOnDib(bitmap), r.left, r.top,
                   ui::SRCCOPY);
    }
    ui::EndPaint(window, &ps);
}

void SetPlacementMessageOwner(ui::Hwnd window) {
    gPlacementOwner.store(window.value);
}

ui::Hwnd GetPlacementMessageOwner() {
    return ui::Hwnd{gPlacementOwner.load()};
}

}  // namespace zv::fw
