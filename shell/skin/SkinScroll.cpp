// The value bar and the list's vertical scroll bar.

#include <algorithm>

#include "framework/gui/ControlCreators.h"
#include "framework/gui/GdiHelpers.h"
#include "framework/gui/WindowUtilities.h"
#include "shell/skin/SkinCommon.h"

namespace zv::shell::skin {

using namespace detail;

int SnapScrollValue(const ScrollCtlState& s, int v) {
    int snapped = v;
    if (s.step != 0) snapped = ((s.step / 2 + v) / s.step) * s.step;
    if (snapped < s.minimum) snapped = s.minimum;
    if (snapped > s.maximum) snapped = s.maximum;
    return snapped;
}

namespace {

constexpr int kBarLeft = 20;
constexpr int kBarTop = 2;
constexpr int kBarColumnHeight = 12;
constexpr int kBarSourceY = 40;
constexpr int kThumbOffsetX = 16;
constexpr int kThumbTop = 13;

// Redraws the bar's picture and tells the parent the position (posted, every time).
void PaintScrollCtl(ui::Hwnd window, ScrollCtlState* s) {
    fw::Dib* work = s->work.get();
    fw::HvDIBitBltOpaque(work, 0, 0, work->GetWidth(), work->GetHeight(), s->background.get(), 0,
                         0);
    fw::Dib bar(kBarPicture);
    fw::Dib sheet(kButtonSheet);
    for (int i = 0; i < s->position; ++i) {
        if (kBarLeft + i >= work->GetWidth()) break;
        fw::HvDIBitBlt(work, kBarLeft + i, kBarTop, 1, kBarColumnHeight, &bar, 0, kBarSourceY, 0);
    }
    if (s->enabled) {
        fw::HvDIBitBlt(work, s->position + kThumbOffsetX, kThumbTop, kThumbSize, kThumbSize,
                       &sheet, kThumbX, kThumbY, 0);
    }
    ui::PostMessage(ui::GetParent(window), WM_SKIN_BAR_POS, ui::WParam(s->position),
                    ui::LParam(ControlId(window)));
}

void RedrawScrollCtl(ui::Hwnd window) {
    InvalidateAndUpdate(window);
    for (int id : {kIdBarLeft, kIdBarRight}) {
        if (ui::Hwnd b = ui::GetDlgItem(window, id)) InvalidateAndUpdate(b);
    }
}

bool InBarBand(int x, int y) { return -5 < y && y < 25 && -20 < x - kBarLeft && x - kBarLeft < 120; }

}  // namespace

void RestoreScrollCtlBackground(ui::Hwnd window) {
    ScrollCtlState* s = StateOf<ScrollCtlState>(window);
    if (!s) return;
    fw::HvDIBitBltOpaque(s->work.get(), 0, 0, s->work->GetWidth(), s->work->GetHeight(),
                         s->background.get(), 0, 0);
}

ui::LResult ScrollCtlProc(ui::Hwnd window, uint32_t msg, ui::WParam wp, ui::LParam lp) {
    ScrollCtlState* s = StateOf<ScrollCtlState>(window);
    if (ui::LResult r = 0; AnswerCommonSkinMessage<ScrollCtlState>(window, msg, &r)) return r;
    auto repaint = [&] {
        PaintScrollCtl(window, s);
        ui::SendMessage(window, WM_SKIN_REDRAW, 0, 0);
    };
    switch (msg) {
        case ui::WM_CREATE: {
            s = CreateState<ScrollCtlState>(window);
            *s = ScrollCtlState{};
            s->work = MakeSurface(window);
            s->background = MakeSurface(window);
            s->enabled = 1;
            const ui::Size size = ClientSize(window);
            fw::CreateButtonCtl2(window, kIdBarLeft, 0, 0, 16, 16);
            fw::CreateButtonCtl2(window, kIdBarRight, size.cx - 16, 0, 16, 16);
            return 0;
        }
        case ui::WM_DRAWITEM:
            if (!s) return 1;
            return DrawChildButton(window, reinterpret_cast<const ui::DrawItemStruct*>(lp),
                                   s->enabled != 0, s->work.get());
        case WM_SKIN_SET_VALUE: {
            if (!s) return 0;
            const int value = int(intptr_t(wp));
            switch (int(lp)) {
                case kBarMinimum: s->minimum = value; break;
                case kBarMaximum: s->maximum = value; break;
                case kBarPosition: s->position = s->committed = value; break;
                case kBarStep: s->step = value; break;
                default: return 0;
            }
            PaintScrollCtl(window, s);
            return 0;
        }
        case WM_SKIN_GET_VALUE:
            if (!s) return -1;
            switch (int(lp)) {
                case kBarMinimum: return s->minimum;
                case kBarMaximum: return s->maximum;
                case kBarPosition: return s->position;
                case kBarStep: return s->step;
                default: return 0;
            }
        case WM_SKIN_SET_BACKGROUND:
            if (!s) return 0;
            CopyBackgroundFrom(window, ui::GetParent(window), reinterpret_cast<fw::Dib*>(lp),
                               s->background.get());
            repaint();
            return 0;
        case WM_SKIN_ENABLE:
            if (!s) return 0;
            s->enabled = int(lp);
            PaintScrollCtl(window, s);
            return 0;
        case WM_SKIN_REDRAW:
            RedrawScrollCtl(window);
            return 0;
        case ui::WM_COMMAND: {
            if (!s || !s->enabled) return 0;
            const int id = int(wp & 0xFFFF);
            if (id == kIdBarLeft) {
                s->position -= s->step;
                if (s->position < s->minimum) s->position = s->minimum;
            } else if (id == kIdBarRight) {
                s->position += s->step;
                if (s->position > s->maximum) s->position = s->maximum;
            } else {
                return 0;
            }
            s->committed = s->position;
            repaint();
            return 0;
        }
        case ui::WM_LBUTTONDOWN: {
            if (ui::GetFocus() != window) ui::SetFocus(window);
            if (!s) return -1;
            const int x = SignedLow(lp);
            const int y = SignedHigh(lp);
            if (!s->enabled) return -1;
            if (s->position + kThumbOffsetX < x && x < s->position + kThumbOffsetX + kThumbSize &&
                kThumbTop < y && y < kThumbTop + kThumbSize) {
                s->dragging = 1;
                ui::SetCapture(window);
            }
            if (InBarBand(x, y)) {
                s->position = SnapScrollValue(*s, x - kBarLeft);
                repaint();
            }
            return 0;
        }
        case ui::WM_MOUSEMOVE: {
            if (!s || wp != ui::MK_LBUTTON || !s->dragging) return 0;
            const int x = SignedLow(lp);
            const int y = SignedHigh(lp);
            s->position = InBarBand(x, y) ? SnapScrollValue(*s, x - kBarLeft) : s->committed;
            repaint();
            return 0;
        }
        case ui::WM_LBUTTONUP:
            if (s && s->dragging) {
                s->committed = s->position;
                s->dragging = 0;
                if (ui::GetCapture() == window) ui::ReleaseCapture();
            }
            return 0;
        case ui::WM_KILLFOCUS:
            if (s && s->dragging) {
                s->committed = s->position;
                s->dragging = 0;
            }
            return 0;
        default:
            return ui::DefWindowProc(window, msg, wp, lp);
    }
}

// ---- vertical scroll bar --------------------------------------------------------------------

namespace {

void PaintVScrollBar(ui::Hwnd window, VScrollBarState* s) {
    fw::Dib* work = s->work.get();
    const int w = work->GetWidth();
    fw::HvDIBitBltOpaque(work, 0, 0, w, work->GetHeight(), s->background.get(), 0, 0);
    const ui::Hwnd list = ui::GetParent(window);
    s->top = int(ui::SendMessage(list, WM_SKIN_GET_TOP, 0, 0));
    if (s->count > 0 && s->enabled) {
        const int from = 16 + s->track * s->top / s->count;
        const int to = from + s->track * std::min(s->rows, s->count) / s->count;
        fw::FillRectColor(window, work, 2, from + 1, 13, to - 1, ui::Rgb(0, 128, 0));
    }
    // Only the track between the arrows; the arrows paint themselves.
    if (ui::Canvas* dc = ui::GetDC(window)) {
        const ui::Canvas src = fw::CanvasOnDib(work);
        dc->BitBlt(0, 16, w, s->track, src, 0, 16, ui::SRCCOPY);
        ui::ReleaseDC(window, dc);
    }
}

ui::Rect ThumbRect(const VScrollBarState* s) {
    if (s->count <= 0) return {};
    const int from = 16 + s->track * s->top / s->count;
    const int to = from + s->track * std::min(s->rows, s->count) / s->count;
    return {0, from, 16, to};
}

}  // namespace

ui::LResult VScrollBarProc(ui::Hwnd window, uint32_t msg, ui::WParam wp, ui::LParam lp) {
    VScrollBarState* s = StateOf<VScrollBarState>(window);
    if (ui::LResult r = 0; AnswerCommonSkinMessage<VScrollBarState>(window, msg, &r)) return r;
    switch (msg) {
        case ui::WM_CREATE: {
            s = CreateState<VScrollBarState>(window);
            *s = VScrollBarState{};
            s->work = MakeSurface(window);
            s->background = MakeSurface(window);
            const ui::Size size = ClientSize(window);
            s->track = std::max(0, size.cy - 32);
            s->enabled = 1;
            fw::CreateButtonCtl2(window, kIdScrollUp, 0, 0, 16, 16);
            fw::CreateButtonCtl2(window, kIdScrollDown, 0, size.cy - 16, 16, 16);
            return 0;
        }
        case ui::WM_DRAWITEM:
            if (!s) return 1;
            return DrawChildButton(window, reinterpret_cast<const ui::DrawItemStruct*>(lp),
                                   s->enabled != 0, s->work.get());
        case ui::WM_COMMAND: {
            const int id = int(wp & 0xFFFF);
            if (id == kIdScrollUp || id == kIdScrollDown) {
                ui::SendMessage(ui::GetParent(window), ui::WM_COMMAND, wp, lp);
                if (s) PaintVScrollBar(window, s);
            }
            return 0;
        }
        case WM_SKIN_CLEAR:
            if (s) s->count = 0;
            return 0;
        case WM_SKIN_ADD_ITEM:
            if (s) {
                ++s->count;
                s->rows = int(intptr_t(wp));
            }
            return 0;
        case WM_SKIN_SET_BACKGROUND: {
            if (!s) return 0;
            const ui::Hwnd grand = ui::GetParent(ui::GetParent(window));
            CopyBackgroundFrom(window, grand, reinterpret_cast<fw::Dib*>(lp), s->background.get());
            PaintVScrollBar(window, s);
            return 0;
        }
        case WM_SKIN_ENABLE:
            if (!s) return 0;
            s->enabled = int(lp);
            PaintVScrollBar(window, s);
            for (int id : {kIdScrollUp, kIdScrollDown}) {
                if (ui::Hwnd b = ui::GetDlgItem(window, id)) InvalidateAndUpdate(b);
            }
            return 0;
        case WM_SKIN_REDRAW:
            if (s) PaintVScrollBar(window, s);
            return 0;
        case ui::WM_LBUTTONDOWN: {
            if (!s || !s->enabled || s->count <= 0) return 0;
            const ui::Point p{SignedLow(lp), SignedHigh(lp)};
            s->top = int(ui::SendMessage(ui::GetParent(window), WM_SKIN_GET_TOP, 0, 0));
            const ui::Rect thumb = ThumbRect(s);
            if (p.y >= thumb.top && p.y < thumb.bottom) {
                s->dragging = 1;
                s->start = s->last = p;
                s->startTop = s->top;
                ui::SetCapture(window);
            }
            return 0;
        }
        case ui::WM_MOUSEMOVE: {
            if (!s || !s->dragging || wp != ui::MK_LBUTTON) return 0;
            const ui::Point p{SignedLow(lp), SignedHigh(lp)};
            s->last = p;
            int top = s->startTop;
            const bool inBand = p.x > -30 && p.x < 16 + 30 && p.y > 16 - 14 &&
                                p.y < 16 + s->track + 46;
            if (inBand) {
                const int rows = std::max(1, s->rows);
                top = s->startTop + (p.y - s->start.y) / rows;
                top = std::clamp(top, 0, std::max(0, s->count - s->rows));
            }
            ui::SendMessage(ui::GetParent(window), WM_SKIN_SET_TOP, ui::WParam(top), 0);
            PaintVScrollBar(window, s);
            return 0;
        }
        case ui::WM_LBUTTONUP:
            if (s && s->dragging) {
                s->dragging = 0;
                if (ui::GetCapture() == window) ui::ReleaseCapture();
            }
            return 0;
        default:
            return ui::DefWindowProc(window, msg, wp, lp);
    }
}

int RegisterScrollCtlWindow(void* instance) {
    return RegisterSkinClass(kScrollCtlClass, ScrollCtlProc, instance);
}
int RegisterVScrollBarWindow(void* instance) {
    return RegisterSkinClass(kVScrollBarClass, VScrollBarProc, instance);
}

ui::Hwnd CreateScrollCtl(ui::Hwnd parent, int id, int x, int y, int width, int height) {
    return CreateSkinControl(kScrollCtlClass, "スクロールコントロール", parent, id, x, y, width,
                             height);
}
ui::Hwnd CreateVScrollBarCtl(ui::Hwnd parent, int id, int x, int y, int width, int height) {
    return CreateSkinControl(kVScrollBarClass, "垂直スクロールバー", parent, id, x, y, width,
                             height);
}

}  // namespace zv::shell::skin
