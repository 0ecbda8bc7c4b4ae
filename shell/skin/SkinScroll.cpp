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

bool InBarBand(int x, int y) { return -5 < y && y < 25 && -20 < x - kBarLeft && x - kBarLeft < 120; }

class ScrollCtl : public SkinControl<ScrollCtlState> {
  public:
    using SkinControl::SkinControl;

    ui::LResult Dispatch(uint32_t msg, ui::WParam wp, ui::LParam lp) {
        if (ui::LResult r = 0; AnswerCommon(msg, &r)) return r;
        switch (msg) {
            case ui::WM_CREATE:
                OnCreate();
                return 0;
            case ui::WM_DRAWITEM:
                return DrawChildButton(Handle(), reinterpret_cast<const ui::DrawItemStruct*>(lp),
                                       s_.enabled != 0, s_.work.get());
            case WM_SKIN_SET_VALUE:
                SetValue(int(lp), int(intptr_t(wp)));
                return 0;
            case WM_SKIN_GET_VALUE:
                return Value(int(lp));
            case WM_SKIN_SET_BACKGROUND:
                CopyParentPicture(lp, s_.background.get());
                Repaint();
                return 0;
            case WM_SKIN_ENABLE:
                s_.enabled = int(lp);
                Paint();
                return 0;
            case WM_SKIN_REDRAW:
                Redraw();
                return 0;
            case ui::WM_COMMAND:
                OnCommand(ui::LoWord(wp));
                return 0;
            case ui::WM_LBUTTONDOWN:
                return OnLButtonDown(SignedLow(lp), SignedHigh(lp));
            case ui::WM_MOUSEMOVE:
                if (wp == ui::MK_LBUTTON && s_.dragging) OnDrag(SignedLow(lp), SignedHigh(lp));
                return 0;
            case ui::WM_LBUTTONUP:
                if (s_.dragging) {
                    EndDrag();
                    if (ui::GetCapture() == Handle()) ui::ReleaseCapture();
                }
                return 0;
            case ui::WM_KILLFOCUS:
                if (s_.dragging) EndDrag();
                return 0;
            default:
                return Default(msg, wp, lp);
        }
    }

    void RestoreBackground() {
        fw::HvDIBitBltOpaque(s_.work.get(), 0, 0, s_.work->GetWidth(), s_.work->GetHeight(),
                             s_.background.get(), 0, 0);
    }

  private:
    void OnCreate() {
        MakeSurfaces(true);
        s_.enabled = 1;
        const ui::Size size = ClientSize(Handle());
        fw::CreateButtonCtl2(Handle(), kIdBarLeft, 0, 0, 16, 16);
        fw::CreateButtonCtl2(Handle(), kIdBarRight, size.cx - 16, 0, 16, 16);
    }
    // Redraws the bar's picture and tells the parent the position (posted, every time).
    void Paint() {
        RestoreBackground();
        fw::Dib* work = s_.work.get();
        fw::Dib bar(kBarPicture);
        fw::Dib sheet(kButtonSheet);
        for (int i = 0; i < s_.position; ++i) {
            if (kBarLeft + i >= work->GetWidth()) break;
            fw::HvDIBitBlt(work, kBarLeft + i, kBarTop, 1, kBarColumnHeight, &bar, 0, kBarSourceY,
                           0);
        }
        if (s_.enabled) {
            fw::HvDIBitBlt(work, s_.position + kThumbOffsetX, kThumbTop, kThumbSize, kThumbSize,
                           &sheet, kThumbX, kThumbY, 0);
        }
        ui::PostMessage(Parent(), WM_SKIN_BAR_POS, ui::WParam(s_.position),
                        ui::LParam(ControlId(Handle())));
    }
    void Repaint() {
        Paint();
        ui::SendMessage(Handle(), WM_SKIN_REDRAW, 0, 0);
    }
    void Redraw() {
        InvalidateAndUpdate(Handle());
        for (int id : {kIdBarLeft, kIdBarRight}) {
            if (ui::Hwnd b = ui::GetDlgItem(Handle(), id)) InvalidateAndUpdate(b);
        }
    }
    void SetValue(int which, int value) {
        switch (which) {
            case kBarMinimum:
                s_.minimum = value;
                break;
            case kBarMaximum:
                s_.maximum = value;
                break;
            case kBarPosition:
                s_.position = s_.committed = value;
                break;
            case kBarStep:
                s_.step = value;
                break;
            default:
                return;
        }
        Paint();
    }
    int Value(int which) const {
        switch (which) {
            case kBarMinimum:
                return s_.minimum;
            case kBarMaximum:
                return s_.maximum;
            case kBarPosition:
                return s_.position;
            case kBarStep:
                return s_.step;
            default:
                return 0;
        }
    }
    void OnCommand(int id) {
        if (!s_.enabled) return;
        if (id == kIdBarLeft) {
            s_.position -= s_.step;
            if (s_.position < s_.minimum) s_.position = s_.minimum;
        } else if (id == kIdBarRight) {
            s_.position += s_.step;
            if (s_.position > s_.maximum) s_.position = s_.maximum;
        } else {
            return;
        }
        s_.committed = s_.position;
        Repaint();
    }
    ui::LResult OnLButtonDown(int x, int y) {
        if (ui::GetFocus() != Handle()) ui::SetFocus(Handle());
        if (!s_.enabled) return -1;
        if (s_.position + kThumbOffsetX < x && x < s_.position + kThumbOffsetX + kThumbSize &&
            kThumbTop < y && y < kThumbTop + kThumbSize) {
            s_.dragging = 1;
            ui::SetCapture(Handle());
        }
        if (InBarBand(x, y)) {
            s_.position = SnapScrollValue(s_, x - kBarLeft);
            Repaint();
        }
        return 0;
    }
    void OnDrag(int x, int y) {
        s_.position = InBarBand(x, y) ? SnapScrollValue(s_, x - kBarLeft) : s_.committed;
        Repaint();
    }
    void EndDrag() {
        s_.committed = s_.position;
        s_.dragging = 0;
    }
};

// ---- vertical scroll bar --------------------------------------------------------------------

class VScrollBar : public SkinControl<VScrollBarState> {
  public:
    using SkinControl::SkinControl;

    ui::LResult Dispatch(uint32_t msg, ui::WParam wp, ui::LParam lp) {
        if (ui::LResult r = 0; AnswerCommon(msg, &r)) return r;
        switch (msg) {
            case ui::WM_CREATE:
                OnCreate();
                return 0;
            case ui::WM_DRAWITEM:
                return DrawChildButton(Handle(), reinterpret_cast<const ui::DrawItemStruct*>(lp),
                                       s_.enabled != 0, s_.work.get());
            case ui::WM_COMMAND:
                OnCommand(wp, lp);
                return 0;
            case WM_SKIN_CLEAR:
                s_.count = 0;
                return 0;
            case WM_SKIN_ADD_ITEM:
                ++s_.count;
                s_.rows = int(intptr_t(wp));
                return 0;
            case WM_SKIN_SET_BACKGROUND: {
                const ui::Hwnd grand = ui::GetParent(Parent());
                CopyBackgroundFrom(Handle(), grand, reinterpret_cast<fw::Dib*>(lp),
                                   s_.background.get());
                Paint();
                return 0;
            }
            case WM_SKIN_ENABLE:
                s_.enabled = int(lp);
                Paint();
                for (int id : {kIdScrollUp, kIdScrollDown}) {
                    if (ui::Hwnd b = ui::GetDlgItem(Handle(), id)) InvalidateAndUpdate(b);
                }
                return 0;
            case WM_SKIN_REDRAW:
                Paint();
                return 0;
            case ui::WM_LBUTTONDOWN:
                OnLButtonDown({SignedLow(lp), SignedHigh(lp)});
                return 0;
            case ui::WM_MOUSEMOVE:
                if (s_.dragging && wp == ui::MK_LBUTTON) OnDrag({SignedLow(lp), SignedHigh(lp)});
                return 0;
            case ui::WM_LBUTTONUP:
                if (s_.dragging) {
                    s_.dragging = 0;
                    if (ui::GetCapture() == Handle()) ui::ReleaseCapture();
                }
                return 0;
            default:
                return Default(msg, wp, lp);
        }
    }

  private:
    void OnCreate() {
        MakeSurfaces(true);
        const ui::Size size = ClientSize(Handle());
        s_.track = std::max(0, size.cy - 32);
        s_.enabled = 1;
        fw::CreateButtonCtl2(Handle(), kIdScrollUp, 0, 0, 16, 16);
        fw::CreateButtonCtl2(Handle(), kIdScrollDown, 0, size.cy - 16, 16, 16);
    }
    ui::Rect ThumbRect() const {
        if (s_.count <= 0) return {};
        const int from = 16 + s_.track * s_.top / s_.count;
        const int to = from + s_.track * std::min(s_.rows, s_.count) / s_.count;
        return {0, from, 16, to};
    }
    void Paint() {
        fw::Dib* work = s_.work.get();
        const int w = work->GetWidth();
        fw::HvDIBitBltOpaque(work, 0, 0, w, work->GetHeight(), s_.background.get(), 0, 0);
        s_.top = int(ui::SendMessage(Parent(), WM_SKIN_GET_TOP, 0, 0));
        if (s_.count > 0 && s_.enabled) {
            const ui::Rect thumb = ThumbRect();
            fw::FillRectColor(Handle(), work, 2, thumb.top + 1, 13, thumb.bottom - 1,
                              ui::Rgb(0, 128, 0));
        }
        // Only the track between the arrows; the arrows paint themselves.
        if (ui::Canvas* dc = ui::GetDC(Handle())) {
            const ui::Canvas src = fw::CanvasOnDib(work);
            dc->BitBlt(0, 16, w, s_.track, src, 0, 16, ui::SRCCOPY);
            ui::ReleaseDC(Handle(), dc);
        }
    }
    void OnCommand(ui::WParam wp, ui::LParam lp) {
        const int id = ui::LoWord(wp);
        if (id != kIdScrollUp && id != kIdScrollDown) return;
        const ui::Hwnd window = Handle();
        ui::SendMessage(Parent(), ui::WM_COMMAND, wp, lp);
        if (StillControl(window, this)) Paint();
    }
    void OnLButtonDown(ui::Point p) {
        if (!s_.enabled || s_.count <= 0) return;
        s_.top = int(ui::SendMessage(Parent(), WM_SKIN_GET_TOP, 0, 0));
        const ui::Rect thumb = ThumbRect();
        if (p.y >= thumb.top && p.y < thumb.bottom) {
            s_.dragging = 1;
            s_.start = s_.last = p;
            s_.startTop = s_.top;
            ui::SetCapture(Handle());
        }
    }
    void OnDrag(ui::Point p) {
        s_.last = p;
        int top = s_.startTop;
        const bool inBand = p.x > -30 && p.x < 16 + 30 && p.y > 16 - 14 && p.y < 16 + s_.track + 46;
        if (inBand) {
            const int rows = std::max(1, s_.rows);
            top = s_.startTop + (p.y - s_.start.y) / rows;
            top = std::clamp(top, 0, std::max(0, s_.count - s_.rows));
        }
        ui::SendMessage(Parent(), WM_SKIN_SET_TOP, ui::WParam(top), 0);
        Paint();
    }
};

}  // namespace

void RestoreScrollCtlBackground(ui::Hwnd bar) {
    if (ScrollCtl* s = SkinControlOf<ScrollCtl>(bar, kScrollCtlClass)) s->RestoreBackground();
}

ui::LResult ScrollCtlProc(ui::Hwnd window, uint32_t msg, ui::WParam wp, ui::LParam lp) {
    return SkinControlProc<ScrollCtl>(window, msg, wp, lp);
}

ui::LResult VScrollBarProc(ui::Hwnd window, uint32_t msg, ui::WParam wp, ui::LParam lp) {
    return SkinControlProc<VScrollBar>(window, msg, wp, lp);
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
