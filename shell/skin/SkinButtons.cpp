// The pack strip, the land-kind grid and the Back and Next image buttons.

#include "framework/gui/ControlCreators.h"
#include "framework/gui/WindowUtilities.h"
#include "shell/skin/SkinCommon.h"

namespace zv::shell::skin {

using namespace detail;

namespace {

constexpr int kPackWidth = 36;
constexpr int kPackHeight = 16;
constexpr int kPackSheetX = 164;

// Button i covers x 36i to 36i + 35 and y 0 to 16, edges included.
int HitTestPackButton(int x, int y) {
    if (y < 0 || y > kPackHeight) return -1;
    for (int i = 0; i < kPackButtonCount; ++i) {
        if (x >= kPackWidth * i && x <= kPackWidth * i + kPackWidth - 1) return i;
    }
    return -1;
}

void PaintPackButtons(ui::Hwnd window, PackButtonState* s) {
    (void)window;
    fw::Dib sheet(kButtonSheet);
    const int unlocked = GetTroopInfoExtraFlag();
    for (int i = 0; i < kPackButtonCount; ++i) {
        int row = !s->enabled[i] ? 32 : s->pressed[i] ? 16 : 0;
        if (!unlocked && !s->pressed[i]) row = 32;
        fw::HvDIBitBlt(s->work.get(), kPackWidth * i, 0, kPackWidth, kPackHeight, &sheet,
                       kPackSheetX + kPackWidth * i, row, 0);
    }
}

void NotifyParent(ui::Hwnd window, uint32_t msg) {
    ui::SendMessage(ui::GetParent(window), msg, ui::WParam(ControlId(window)), 0);
}

}  // namespace

// ---- pack strip -----------------------------------------------------------------------------

ui::LResult PackButtonCtlProc(ui::Hwnd window, uint32_t msg, ui::WParam wp, ui::LParam lp) {
    PackButtonState* s = StateOf<PackButtonState>(window);
    if (ui::LResult r = 0; AnswerCommonSkinMessage<PackButtonState>(window, msg, &r)) return r;
    switch (msg) {
        case ui::WM_CREATE: {
            s = CreateState<PackButtonState>(window);
            *s = PackButtonState{};
            s->work = MakeSurface(window);
            return 0;
        }
        case WM_SKIN_SET_BACKGROUND:
            if (!s) return 0;
            CopyBackgroundFrom(window, ui::GetParent(window), reinterpret_cast<fw::Dib*>(lp),
                               s->work.get());
            return 0;
        case WM_SKIN_ENABLE: {
            if (!s) return 0;
            const int which = int(intptr_t(wp));
            for (int i = 0; i < kPackButtonCount; ++i) {
                if (which == -1 || which == i) s->enabled[i] = int(lp);
            }
            return 0;
        }
        case WM_SKIN_REDRAW:
            if (!s) return 0;
            PaintPackButtons(window, s);
            InvalidateAndUpdate(window);
            return 0;
        case WM_SKIN_GET_SELECTION:
            return s ? s->selected : -1;
        case WM_SKIN_SET_SELECTION: {
            if (!s) return 0;
            const int b = int(intptr_t(wp));
            s->selected = b;
            for (int& p : s->pressed) p = 0;
            if (b >= 0 && b < kPackButtonCount) s->pressed[b] = 1;
            return 0;
        }
        case ui::WM_LBUTTONDOWN: {
            if (!s) return 0;
            if (GetTroopInfoExtraFlag() == 0) return 1;
            ui::SetCapture(window);
            const int hit = HitTestPackButton(SignedLow(lp), SignedHigh(lp));
            if (hit < 0 || hit == s->selected || !s->enabled[hit]) return 0;
            s->hot = hit;
            s->pressed[hit] = 1;
            ui::SendMessage(window, WM_SKIN_REDRAW, 0, 0);
            return 0;
        }
        case ui::WM_MOUSEMOVE: {
            if (!s || s->hot == -1) return 0;
            s->pressed[s->hot] = HitTestPackButton(SignedLow(lp), SignedHigh(lp)) == s->hot;
            ui::SendMessage(window, WM_SKIN_REDRAW, 0, 0);
            return 0;
        }
        case ui::WM_LBUTTONUP: {
            if (!s) return 0;
            ui::ReleaseCapture();
            if (s->hot != -1 && HitTestPackButton(SignedLow(lp), SignedHigh(lp)) == s->hot) {
                if (s->selected >= 0 && s->selected < kPackButtonCount) {
                    s->pressed[s->selected] = 0;
                }
                s->selected = s->hot;
                s->pressed[s->hot] = 1;
            }
            s->hot = -1;
            ui::SendMessage(window, WM_SKIN_REDRAW, 0, 0);
            NotifyParent(window, WM_SKIN_PACK_CLICKED);
            return 0;
        }
        default:
            return ui::DefWindowProc(window, msg, wp, lp);
    }
}

// ---- land-kind grid -------------------------------------------------------------------------

ui::LResult LandButtonCtlProc(ui::Hwnd window, uint32_t msg, ui::WParam wp, ui::LParam lp) {
    LandButtonState* s = StateOf<LandButtonState>(window);
    if (ui::LResult r = 0; AnswerCommonSkinMessage<LandButtonState>(window, msg, &r)) return r;
    switch (msg) {
        case ui::WM_CREATE: {
            s = CreateState<LandButtonState>(window);
            *s = LandButtonState{};
            s->work = MakeSurface(window);
            ui::Rect client{};
            ui::GetClientRect(window, &client);
            for (int k = 0; k < kLandButtonCount; ++k) {
                s->enabled[k] = 1;
                fw::CreateButtonCtl2(window, kIdFirstLandButton + k, client.left + (k % 4) * 16,
                                     client.top + (k / 4) * 16, 16, 16);
            }
            return 0;
        }
        case WM_SKIN_SET_BACKGROUND:
            if (!s) return 0;
            CopyBackgroundFrom(window, ui::GetParent(window), reinterpret_cast<fw::Dib*>(lp),
                               s->work.get());
            return 0;
        case WM_SKIN_ENABLE: {
            if (!s) return 0;
            const int which = int(intptr_t(wp));
            for (int k = 0; k < kLandButtonCount; ++k) {
                if (which == -1 || which == k) s->enabled[k] = int(lp);
            }
            return 0;
        }
        case WM_SKIN_REDRAW:
            for (int k = 0; k < kLandButtonCount; ++k) {
                if (ui::Hwnd b = ui::GetDlgItem(window, kIdFirstLandButton + k)) {
                    InvalidateAndUpdate(b);
                }
            }
            return 0;
        case WM_SKIN_GET_SELECTION:
            return s ? s->selected : -1;
        case WM_SKIN_SET_SELECTION:
            if (s) s->selected = int(intptr_t(wp));
            return 0;
        case ui::WM_DRAWITEM: {
            if (!s) return 1;
            const auto* item = reinterpret_cast<const ui::DrawItemStruct*>(lp);
            if (item == nullptr) return 1;
            ui::DrawItemStruct copy = *item;
            const int k = int(copy.ctlId) - kIdFirstLandButton;
            if (k == s->selected) copy.itemState |= ui::ODS_SELECTED;
            if (k >= 0 && k < kLandButtonCount && !s->enabled[k]) {
                copy.itemState &= ~ui::ODS_SELECTED;
                copy.itemState |= ui::ODS_DISABLED;
            }
            return DrawChildButton(window, &copy, ui::IsWindowEnabled(window), s->work.get());
        }
        case ui::WM_COMMAND: {
            if (!s) return 0;
            const int id = int(wp & 0xFFFF);
            const int k = id - kIdFirstLandButton;
            if (k < 0 || k >= kLandButtonCount || !s->enabled[k]) return 0;
            if (k == s->selected) return 0;
            s->selected = k;
            NotifyParent(window, WM_SKIN_LAND_CHANGED);
            ui::SendMessage(window, WM_SKIN_REDRAW, 0, 0);
            return 0;
        }
        default:
            return ui::DefWindowProc(window, msg, wp, lp);
    }
}

// ---- Back and Next --------------------------------------------------------------------------

namespace {

// The face is drawn over the parent's picture; a disabled button keeps its place on the page
// and shows the sheet's greyed look, so that paging never makes it vanish.
void PaintArrowButton(ArrowButtonState* s, int faceX) {
    fw::Dib* work = s->work.get();
    fw::HvDIBitBltOpaque(work, 0, 0, work->GetWidth(), work->GetHeight(), s->background.get(), 0,
                         0);
    fw::Dib sheet(kButtonSheet);
    const int y = !s->enabled ? kArrowFaceDisabledY
                  : s->pressed ? kArrowFacePressedY
                               : kArrowFaceY;
    fw::HvDIBitBlt(work, 0, 0, kArrowFaceSize, kArrowFaceSize, &sheet, faceX, y, 0);
}

bool InsideArrow(ui::LParam lp) {
    const int x = UnsignedLow(lp);
    const int y = UnsignedHigh(lp);
    return x >= 0 && x <= 20 && y >= 0 && y <= 20;
}

ui::LResult ArrowButtonProc(ui::Hwnd window, uint32_t msg, ui::WParam wp, ui::LParam lp,
                            int faceX) {
    ArrowButtonState* s = StateOf<ArrowButtonState>(window);
    if (ui::LResult r = 0; AnswerCommonSkinMessage<ArrowButtonState>(window, msg, &r)) return r;
    auto repaint = [&] {
        PaintArrowButton(s, faceX);
        ui::SendMessage(window, WM_SKIN_REDRAW, 0, 0);
    };
    switch (msg) {
        case ui::WM_CREATE:
            s = CreateState<ArrowButtonState>(window);
            *s = ArrowButtonState{};
            s->work = MakeSurface(window);
            s->background = MakeSurface(window);
            PaintArrowButton(s, faceX);
            return 0;
        case ui::WM_SHOWWINDOW:
            if (s && wp == 1) repaint();
            return ui::DefWindowProc(window, msg, wp, lp);
        case WM_SKIN_SET_BACKGROUND:
            if (!s) return 0;
            CopyBackgroundFrom(window, ui::GetParent(window), reinterpret_cast<fw::Dib*>(lp),
                               s->background.get());
            return 0;
        case WM_SKIN_ENABLE:
            if (!s) return 0;
            s->enabled = int(lp);
            if (!s->enabled && s->tracking) {
                // A press in progress ends without a click.
                s->tracking = 0;
                s->pressed = 0;
                if (ui::GetCapture() == window) ui::ReleaseCapture();
            }
            repaint();
            return 0;
        case WM_SKIN_REDRAW:
            InvalidateAndUpdate(window);
            return 0;
        case ui::WM_LBUTTONDOWN:
            if (!s || !s->enabled) return 0;
            ui::SetCapture(window);
            s->pressed = 1;
            s->tracking = 1;
            repaint();
            return 0;
        case ui::WM_MOUSEMOVE: {
            if (!s || !s->tracking) return 0;
            const bool inside = InsideArrow(lp);
            if (inside && !s->pressed) {
                s->pressed = 1;
            } else if (!inside && s->pressed) {
                s->pressed = 0;
            } else {
                return 0;
            }
            repaint();
            return 0;
        }
        case ui::WM_LBUTTONUP: {
            if (!s) return 0;
            if (ui::GetCapture() == window) ui::ReleaseCapture();
            const bool click = s->tracking && InsideArrow(lp);
            s->pressed = 0;
            s->tracking = 0;
            if (click) NotifyParent(window, WM_SKIN_BUTTON_CLICKED);
            // The parent may have destroyed the button on the click.
            if (ui::IsWindow(window) && StateOf<ArrowButtonState>(window) == s) repaint();
            return 0;
        }
        default:
            return ui::DefWindowProc(window, msg, wp, lp);
    }
}

}  // namespace

ui::LResult BackButtonProc(ui::Hwnd window, uint32_t msg, ui::WParam wp, ui::LParam lp) {
    return ArrowButtonProc(window, msg, wp, lp, kBackFaceX);
}

ui::LResult NextButtonProc(ui::Hwnd window, uint32_t msg, ui::WParam wp, ui::LParam lp) {
    return ArrowButtonProc(window, msg, wp, lp, kNextFaceX);
}

// ---- registration and creation --------------------------------------------------------------

int RegisterPackButtonCtlWindow(void* instance) {
    return RegisterSkinClass(kPackButtonClass, PackButtonCtlProc, instance);
}
int RegisterLandButtonCtlWindow(void* instance) {
    return RegisterSkinClass(kLandButtonClass, LandButtonCtlProc, instance);
}
int RegisterBackButtonWIndow(void* instance) {
    return RegisterSkinClass(kBackButtonClass, BackButtonProc, instance);
}
int RegisterNextButtonWIndow(void* instance) {
    return RegisterSkinClass(kNextButtonClass, NextButtonProc, instance);
}

ui::Hwnd CreatePackButtonCtl(ui::Hwnd parent, int id, int x, int y, int width, int height) {
    return CreateSkinControl(kPackButtonClass, "パックボタンコントロール", parent, id, x, y, width,
                             height);
}
ui::Hwnd CreateLandButtonCtl(ui::Hwnd parent, int id, int x, int y, int width, int height) {
    return CreateSkinControl(kLandButtonClass, "地形ボタンコントロール", parent, id, x, y, width,
                             height);
}
ui::Hwnd CreateBackButtonCtl(ui::Hwnd parent, int id, int x, int y, int width, int height) {
    return CreateSkinControl(kBackButtonClass, "戻るボタンコントロール", parent, id, x, y, width,
                             height);
}
ui::Hwnd CreateNextButtonCtl(ui::Hwnd parent, int id, int x, int y, int width, int height) {
    return CreateSkinControl(kNextButtonClass, "次へボタンコントロール", parent, id, x, y, width,
                             height);
}

}  // namespace zv::shell::skin
