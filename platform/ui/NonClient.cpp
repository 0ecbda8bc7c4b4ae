// Non-client drawing and hit testing: frames, captions, caption buttons and menu bar space,
// drawn in the classic theme.
#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>

#include "platform/core/Sjis.h"
#include "platform/ui/ClassicTheme.h"
#include "platform/ui/MenuInternal.h"
#include "platform/ui/Messages.h"
#include "platform/ui/SysColors.h"
#include "platform/ui/SystemMetrics.h"
#include "platform/ui/WindowManager.h"
#include "platform/ui/WindowManagerInternal.h"

namespace zv::ui {

using namespace wmdetail;

// ---------------------------------------------------------------------------------------------
// Frame drawing and hit testing

namespace {

struct CaptionLayout {
    Rect caption;  // window coordinates, empty without a caption
    Rect close, maximize, minimize;
    Rect icon;  // the system menu's icon at the left end
};

}  // namespace

Font& WindowManager::CaptionFont() {
    if (!captionFont_) {
        FontSpec spec;
        spec.height = -12;
        spec.weight = FW_BOLD;
        spec.pitchAndFamily = FIXED_PITCH | FF_MODERN;
        captionFont_ = std::make_unique<Font>(spec);
    }
    return *captionFont_;
}

// The small picture of the system menu: a window with its title bar.
void DrawWindowIcon(Canvas& dc, const Rect& r) {
    const Rect w{r.left + 1, r.top + 2, r.right - 1, r.bottom - 2};
    theme::Fill(dc, w, GetSysColor(COLOR_WINDOW));
    theme::Edge(dc, w, GetSysColor(COLOR_3DDKSHADOW), GetSysColor(COLOR_3DDKSHADOW));
    theme::Fill(dc, {w.left + 1, w.top + 1, w.right - 1, w.top + 4}, Rgb(0, 0, 128));
    theme::Fill(dc, {w.left + 3, w.top + 6, w.right - 3, w.top + 7}, GetSysColor(COLOR_BTNSHADOW));
    theme::Fill(dc, {w.left + 3, w.top + 8, w.right - 5, w.top + 9}, GetSysColor(COLOR_BTNSHADOW));
}

enum class CaptionGlyph { Close, Minimize, Maximize, Restore };

// A caption button: raised, or pushed in (glyph one pixel down and right) while held; a button
// whose box the style leaves out shows its glyph embossed and does nothing.
static void DrawCaptionButton(Canvas& dc, const Rect& box, CaptionGlyph glyph, bool pressed,
                              bool enabled) {
    if (pressed)
        theme::PressedBox(dc, box);
    else
        theme::RaisedBox(dc, box);
    const int o = pressed ? 1 : 0;
    auto draw = [&](int dx, ColorRef c) {
        auto fill = [&](const Rect& r) { theme::Fill(dc, r.Offset(o + dx, o + dx), c); };
        const Rect b = box;
        switch (glyph) {
            case CaptionGlyph::Close: {
                const int cx = (b.left + b.right) / 2 - 1;
                const int cy = (b.top + b.bottom) / 2 - 1;
                for (int i = -3; i <= 3; ++i) {
                    fill({cx + i, cy + i, cx + i + 2, cy + i + 1});
                    fill({cx + i, cy - i, cx + i + 2, cy - i + 1});
                }
                break;
            }
            case CaptionGlyph::Minimize:
                fill({b.left + 4, b.bottom - 5, b.right - 6, b.bottom - 3});
                break;
            case CaptionGlyph::Maximize: {
                const Rect m{b.left + 4, b.top + 2, b.right - 5, b.bottom - 3};
                fill({m.left, m.top, m.right, m.top + 2});
                fill({m.left, m.top, m.left + 1, m.bottom});
                fill({m.right - 1, m.top, m.right, m.bottom});
                fill({m.left, m.bottom - 1, m.right, m.bottom});
                break;
            }
            case CaptionGlyph::Restore: {
                // Two small windows, the back one up and to the right.
                const Rect back{b.left + 6, b.top + 2, b.right - 4, b.bottom - 6};
                const Rect front{b.left + 3, b.top + 5, b.right - 7, b.bottom - 3};
                fill({back.left, back.top, back.right, back.top + 2});
                fill({back.right - 1, back.top, back.right, back.bottom});
                fill({front.right, back.bottom - 1, back.right, back.bottom});
                fill({front.left, front.top, front.right, front.top + 2});
                fill({front.left, front.top, front.left + 1, front.bottom});
                fill({front.right - 1, front.top, front.right, front.bottom});
                fill({front.left, front.bottom - 1, front.right, front.bottom});
                break;
            }
        }
    };
    if (enabled) {
        draw(0, GetSysColor(COLOR_3DDKSHADOW));
    } else {
        draw(1, GetSysColor(COLOR_BTNHIGHLIGHT));
        draw(0, GetSysColor(COLOR_BTNSHADOW));
    }
}

static CaptionLayout LayoutCaption(uint32_t style, uint32_t exStyle, const Rect& insets,
                                   int width) {
    CaptionLayout l{};
    if ((style & WS_CAPTION) != WS_CAPTION) return l;
    int b = insets.left;
    if (exStyle & WS_EX_CLIENTEDGE) b -= kEdgeWidth;
    if (exStyle & WS_EX_STATICEDGE) b -= kStaticEdgeWidth;
    const int h = (exStyle & WS_EX_TOOLWINDOW) ? 15 : kCaptionHeight;
    l.caption = {b, b, width - b, b + h - 1};
    const int bh = h - 5;
    const int bw = bh + 2;
    if ((style & WS_SYSMENU) && !(exStyle & (WS_EX_TOOLWINDOW | WS_EX_DLGMODALFRAME))) {
        l.icon = {l.caption.left + 1, l.caption.top + 1, l.caption.left + 17, l.caption.top + 17};
    }
    if (style & WS_SYSMENU) {
        l.close = {l.caption.right - 2 - bw, l.caption.top + 2, l.caption.right - 2,
                   l.caption.top + 2 + bh};
        if (style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) {
            l.maximize = {l.close.left - 2 - bw, l.close.top, l.close.left - 2, l.close.bottom};
            l.minimize = {l.maximize.left - bw, l.close.top, l.maximize.left, l.close.bottom};
        }
    }
    return l;
}

void WindowManager::PaintNonClient(Hwnd h) {
    Window* w = Get(h);
    if (!w || h == desktop_) return;
    const Rect in = NonClientInsets(w);
    if (in.left == 0 && in.top == 0 && in.right == 0 && in.bottom == 0) return;
    Canvas* dc = GetWindowDC(h);
    if (!dc) return;
    w = Get(h);
    const int W = w->rect.Width();
    const int H = w->rect.Height();
    dc->ExcludeClipRect(w->client);
    Rect r{0, 0, W, H};
    const uint32_t style = FrameStyle(w);
    int frame = 0;
    if (style & WS_THICKFRAME)
        frame = kSizingFrameWidth;
    else if ((style & WS_DLGFRAME) || (w->exStyle & WS_EX_DLGMODALFRAME))
        frame = kDialogFrameWidth;
    if (frame) {
        theme::Fill(*dc, r, GetSysColor(COLOR_BTNFACE));
        theme::Edge(*dc, r, GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_3DDKSHADOW));
        theme::Edge(*dc, {1, 1, W - 1, H - 1}, GetSysColor(COLOR_BTNHIGHLIGHT),
                    GetSysColor(COLOR_BTNSHADOW));
        r = {frame, frame, W - frame, H - frame};
    } else if (style & WS_BORDER) {
        theme::Edge(*dc, r, GetSysColor(COLOR_WINDOWFRAME), GetSysColor(COLOR_WINDOWFRAME));
        r = {1, 1, W - 1, H - 1};
    }
    const CaptionLayout cl = LayoutCaption(style, w->exStyle, in, W);
    if (!cl.caption.IsEmpty()) {
        const bool active = w->ncActive;
        theme::Fill(*dc, cl.caption,
                    active ? GetSysColor(COLOR_ACTIVECAPTION) : GetSysColor(COLOR_INACTIVECAPTION));
        if (!cl.icon.IsEmpty()) DrawWindowIcon(*dc, cl.icon);
        theme::Fill(*dc,
                    {cl.caption.left, cl.caption.bottom, cl.caption.right, cl.caption.bottom + 1},
                    GetSysColor(COLOR_BTNFACE));
        const bool iconic = (w->style & WS_MINIMIZE) != 0;
        auto button = [&](const Rect& box, intptr_t hit, CaptionGlyph glyph, bool enabled) {
            if (box.IsEmpty()) return;
            const bool pressed = captionPressedWindow_ == h && captionPressedHit_ == hit;
            DrawCaptionButton(*dc, box, glyph, pressed, enabled);
        };
        button(cl.close, HTCLOSE, CaptionGlyph::Close, true);
        button(cl.maximize, HTMAXBUTTON,
               (w->style & WS_MAXIMIZE) ? CaptionGlyph::Restore : CaptionGlyph::Maximize,
               (w->style & WS_MAXIMIZEBOX) != 0);
        button(cl.minimize, HTMINBUTTON, iconic ? CaptionGlyph::Restore : CaptionGlyph::Minimize,
               iconic || (w->style & WS_MINIMIZEBOX));
    }
    if (w->hasMenuBar) {
        const int top = cl.caption.IsEmpty() ? r.top : cl.caption.bottom + 1;
        const Rect bar{r.left, top, r.right, top + kMenuBarHeight};
        theme::Fill(*dc, bar, GetSysColor(COLOR_BTNFACE));
        PaintMenuBar(h, *dc, bar);
        w = Get(h);
        if (!w) return;
    }
    // Edges around the client area and its scroll bars.
    Rect inner{w->client.left, w->client.top,
               w->client.right + ((w->style & WS_VSCROLL) ? kScrollBarSize : 0),
               w->client.bottom + ((w->style & WS_HSCROLL) ? kScrollBarSize : 0)};
    if (w->exStyle & WS_EX_STATICEDGE) {
        inner = {inner.left - 1, inner.top - 1, inner.right + 1, inner.bottom + 1};
        theme::Edge(*dc, inner, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
    }
    if (w->exStyle & WS_EX_CLIENTEDGE) {
        const Rect e1{inner.left - 2, inner.top - 2, inner.right + 2, inner.bottom + 2};
        theme::Edge(*dc, e1, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
        theme::Edge(*dc, {e1.left + 1, e1.top + 1, e1.right - 1, e1.bottom - 1},
                    GetSysColor(COLOR_3DDKSHADOW), GetSysColor(COLOR_BTNFACE));
    }
    for (int bar = SB_HORZ; bar <= SB_VERT; ++bar) {
        const Rect br = ScrollBarRect(w, bar);
        if (br.IsEmpty()) continue;
        const int pressed =
            scrollPressedWindow_ == h && scrollPressedBar_ == bar ? scrollPressedPart_ : -1;
        DrawScrollBar(*dc, br, bar == SB_VERT, ScrollLayout(w, bar), pressed, false);
    }
    if ((w->style & WS_VSCROLL) && (w->style & WS_HSCROLL)) {
        theme::Fill(*dc,
                    {w->client.right, w->client.bottom, w->client.right + kScrollBarSize,
                     w->client.bottom + kScrollBarSize},
                    GetSysColor(COLOR_BTNFACE));
    }
    // The title last: its clip narrows the context for good.
    if (!cl.caption.IsEmpty() && !w->text.empty()) {
        const int textRight = !cl.minimize.IsEmpty() ? cl.minimize.left
                              : !cl.close.IsEmpty()  ? cl.close.left
                                                     : cl.caption.right;
        const int textLeft = cl.icon.IsEmpty() ? cl.caption.left + 3 : cl.icon.right + 3;
        Rect tr{textLeft, cl.caption.top, textRight - 2, cl.caption.bottom};
        if (!tr.IsEmpty()) {
            dc->SelectFont(CaptionFont());
            dc->SetBkMode(TRANSPARENT);
            dc->SetTextColor(GetSysColor(COLOR_CAPTIONTEXT));
            dc->IntersectClipRect(tr);
            dc->DrawText(w->text, tr, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
        }
    }
    ReleaseDC(h, dc);
}

intptr_t WindowManager::DefaultHitTest(Hwnd h, Point screen) const {
    const Window* w = Get(h);
    if (!w) return HTNOWHERE;
    const Rect wr = WindowRectScreen(w);
    const Point p{screen.x - wr.left, screen.y - wr.top};
    if (!Rect{0, 0, wr.Width(), wr.Height()}.Contains(p.x, p.y)) return HTNOWHERE;
    const bool iconic = (w->style & WS_MINIMIZE) != 0;
    if (!iconic) {
        if (w->client.Contains(p.x, p.y)) return HTCLIENT;
        if (ScrollBarRect(w, SB_VERT).Contains(p.x, p.y)) return HTVSCROLL;
        if (ScrollBarRect(w, SB_HORZ).Contains(p.x, p.y)) return HTHSCROLL;
    }
    const Rect in = NonClientInsets(w);
    const uint32_t style = FrameStyle(w);
    const CaptionLayout cl = LayoutCaption(style, w->exStyle, in, wr.Width());
    if (cl.close.Contains(p.x, p.y)) return HTCLOSE;
    if (cl.icon.Contains(p.x, p.y)) return HTSYSMENU;
    if (cl.maximize.Contains(p.x, p.y)) return HTMAXBUTTON;
    if (cl.minimize.Contains(p.x, p.y)) return HTMINBUTTON;
    // An iconic window is a caption to drag, whatever part of it the point is on.
    if (iconic) return HTCAPTION;
    if (Rect{cl.caption.left, cl.caption.top, cl.caption.right, cl.caption.bottom + 1}.Contains(
            p.x, p.y)) {
        return HTCAPTION;
    }
    if (w->hasMenuBar && p.y < w->client.top && p.y >= w->client.top - kMenuBarHeight)
        return HTMENU;
    return SizingEdgeAt(style, wr.Width(), wr.Height(), p);
}

intptr_t wmdetail::SizingEdgeAt(uint32_t style, int width, int height, Point p) {
    // Only a sizable window that fills neither the screen nor a caption has edges to pull.
    if (!(style & WS_THICKFRAME) || (style & (WS_MAXIMIZE | WS_MINIMIZE))) return HTBORDER;
    const int f = kSizingFrameWidth;
    // The corners reach along each edge as far as a caption is high, so they are easy to catch.
    const int corner = kCaptionHeight + f;
    const bool left = p.x < f, right = p.x >= width - f, top = p.y < f, bottom = p.y >= height - f;
    const bool nearLeft = p.x < corner, nearRight = p.x >= width - corner;
    const bool nearTop = p.y < corner, nearBottom = p.y >= height - corner;
    if ((top && nearLeft) || (left && nearTop)) return HTTOPLEFT;
    if ((top && nearRight) || (right && nearTop)) return HTTOPRIGHT;
    if ((bottom && nearLeft) || (left && nearBottom)) return HTBOTTOMLEFT;
    if ((bottom && nearRight) || (right && nearBottom)) return HTBOTTOMRIGHT;
    if (left) return HTLEFT;
    if (right) return HTRIGHT;
    if (top) return HTTOP;
    if (bottom) return HTBOTTOM;
    return HTBORDER;
}

void WindowManager::SetMenuBarSpace(Hwnd h, bool on) {
    Window* w = Get(h);
    if (!w || w->hasMenuBar == on) return;
    w->hasMenuBar = on;
    SetWindowPos(h, {}, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

bool WindowManager::GetMenuBarRect(Hwnd h, Rect* screen) const {
    const Window* w = Get(h);
    if (!w || !w->hasMenuBar || !screen) return false;
    const Rect wr = WindowRectScreen(w);
    const uint32_t style = FrameStyle(w);
    int frame = 0;
    if (style & WS_THICKFRAME)
        frame = kSizingFrameWidth;
    else if ((style & WS_DLGFRAME) || (w->exStyle & WS_EX_DLGMODALFRAME))
        frame = kDialogFrameWidth;
    else if (style & WS_BORDER)
        frame = kBorderWidth;
    const CaptionLayout cl = LayoutCaption(style, w->exStyle, NonClientInsets(w), wr.Width());
    const int top = cl.caption.IsEmpty() ? frame : cl.caption.bottom + 1;
    *screen = {wr.left + frame, wr.top + top, wr.right - frame, wr.top + top + kMenuBarHeight};
    return true;
}

bool WindowManager::GetCaptionIconRect(Hwnd h, Rect* screen) const {
    const Window* w = Get(h);
    if (!w || !screen) return false;
    const Rect wr = WindowRectScreen(w);
    const CaptionLayout cl = LayoutCaption(FrameStyle(w), w->exStyle, NonClientInsets(w), wr.Width());
    if (cl.icon.IsEmpty()) return false;
    *screen = cl.icon.Offset(wr.left, wr.top);
    return true;
}

}  // namespace zv::ui
