#include "shell/skin/SkinCommon.h"

#include <atomic>

#include "framework/ProcessState.h"
#include "platform/core/Sjis.h"
#include "platform/ui/Cursor.h"
#include "platform/ui/CanvasConstants.h"
#include "shell/ButtonBitmaps.h"
#include "shell/Palettes.h"

namespace zv::shell::skin {

namespace {
std::atomic<TroopInfoExtraFlagQuery> gExtraFlag{nullptr};
}

void SetTroopInfoExtraFlagQuery(TroopInfoExtraFlagQuery query) { gExtraFlag.store(query); }

int GetTroopInfoExtraFlag() {
    const TroopInfoExtraFlagQuery q = gExtraFlag.load();
    return q ? q() : 1;
}

int SkinFaceIndex(int id) {
    switch (id) {
        case kIdBarLeft: return 4;
        case kIdBarRight: return 5;
        case kIdScrollUp: return 6;
        case kIdScrollDown: return 7;
        case kIdComboDrop: return 8;
        default: break;
    }
    if (id >= 10607 && id <= 10610) return id - 10607;
    if (id >= kIdFirstLandButton && id < kIdFirstLandButton + kLandButtonCount) {
        return 9 + (id - kIdFirstLandButton);
    }
    return -1;
}

int DrawSkinButton(ui::Hwnd control, int controlId, const ui::DrawItemStruct* item,
                   fw::Dib* background) {
    if (item == nullptr || item->ctlType != ui::ODT_BUTTON) return 0;
    return DrawBitmapButton(control, item, background, SkinFaceIndex(controlId));
}

int RegisterSkinControls(void* instance) {
    int ok = 1;
    ok &= RegisterPackButtonCtlWindow(instance) != 0;
    ok &= RegisterLandButtonCtlWindow(instance) != 0;
    ok &= RegisterBackButtonWIndow(instance) != 0;
    ok &= RegisterNextButtonWIndow(instance) != 0;
    ok &= RegisterScrollCtlWindow(instance) != 0;
    ok &= RegisterListBoxWindow(instance) != 0;
    ok &= RegisterVScrollBarWindow(instance) != 0;
    ok &= RegisterComboBoxWindow(instance) != 0;
    return ok;
}

namespace detail {

ui::Size ClientSize(ui::Hwnd window) {
    ui::Rect r{};
    ui::GetClientRect(window, &r);
    return {r.right - r.left, r.bottom - r.top};
}

std::unique_ptr<fw::Dib> MakeSurface(ui::Hwnd window) {
    const ui::Size s = ClientSize(window);
    return MakeSurface(window, s.cx, s.cy);
}

std::unique_ptr<fw::Dib> MakeSurface(ui::Hwnd window, int width, int height) {
    if (width <= 0) width = 1;
    if (height <= 0) height = 1;
    return fw::Dib::CreateBlank(window, width, height, GetPaletteTableA());
}

void CopyBackgroundFrom(ui::Hwnd window, ui::Hwnd ancestor, fw::Dib* picture, fw::Dib* into) {
    if (picture == nullptr || into == nullptr) return;
    ui::Point p{0, 0};
    ui::ClientToScreen(window, &p);
    ui::ScreenToClient(ancestor, &p);
    const ui::Size s = ClientSize(window);
    fw::HvDIBitBltOpaque(into, 0, 0, s.cx, s.cy, picture, p.x, p.y);
}

ui::LResult NullBrushAnswer() {
    static const ui::Brush kNull = ui::StockBrush(ui::NULL_BRUSH);
    return reinterpret_cast<ui::LResult>(&kNull);
}

void InvalidateAndUpdate(ui::Hwnd window) {
    ui::InvalidateRect(window, nullptr, false);
    ui::UpdateWindow(window);
}

int ControlId(ui::Hwnd window) { return ui::GetWindowLong(window, ui::GWL_ID); }

ui::LResult DrawChildButton(ui::Hwnd control, const ui::DrawItemStruct* item, bool enabled,
                            fw::Dib* work) {
    if (item == nullptr) return 1;
    ui::DrawItemStruct copy = *item;
    if (!enabled) {
        copy.itemState &= ~ui::ODS_SELECTED;
        copy.itemState |= ui::ODS_DISABLED;
    }
    DrawSkinButton(control, int(copy.ctlId), &copy, work);
    return 1;
}

int RegisterSkinClass(const char* name, ui::WndProc proc, void* instance) {
    ui::WindowClass existing;
    if (ui::GetClassInfo(name, &existing)) return 1;
    ui::WindowClass wc;
    wc.name = name;
    wc.style = ui::CS_HREDRAW | ui::CS_VREDRAW;
    wc.proc = proc;
    wc.windowExtraBytes = 4;
    wc.instance = instance;
    wc.cursor = ui::LoadCursor(nullptr, ui::IDC_ARROW);
    return ui::RegisterClass(wc) ? 1 : 0;
}

ui::Hwnd CreateSkinControl(const char* cls, const char* windowName, ui::Hwnd parent, int id,
                           int x, int y, int width, int height) {
    return ui::CreateWindowEx(0, cls, core::Utf8ToSjis(windowName), kSkinControlStyle, x, y, width, height, parent,
                              id, const_cast<fw::AppInstance*>(&fw::GetAppInstance()), nullptr);
}

}  // namespace detail
}  // namespace zv::shell::skin
