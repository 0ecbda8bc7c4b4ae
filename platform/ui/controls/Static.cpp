// STATIC: text, filled and framed rectangles, etched lines, bitmaps and owner-drawn statics.

#include "platform/ui/ClassicTheme.h"
#include "platform/ui/controls/ControlSupport.h"
#include "platform/ui/controls/StandardControls.h"

namespace zv::ui::controls {

namespace {

struct StaticState {
    ControlFont font;
    const IndexedSurface* imageHandle = nullptr;  // what STM_SETIMAGE was given
    IndexedSurface image{};                       // the view drawn; pixels stay the caller's
};

uint32_t TypeOf(Hwnd h) {
    return StyleOf(h) & SS_TYPEMASK;
}

void PaintText(Hwnd h, StaticState* s, Canvas& dc, const Rect& client, uint32_t style) {
    uint32_t format = DT_EXPANDTABS;
    switch (style & SS_TYPEMASK) {
        case SS_CENTER:
            format |= DT_CENTER | DT_WORDBREAK;
            break;
        case SS_RIGHT:
            format |= DT_RIGHT | DT_WORDBREAK;
            break;
        case SS_SIMPLE:
        case SS_LEFTNOWORDWRAP:
            format |= DT_LEFT | DT_SINGLELINE;
            break;
        default:
            format |= DT_LEFT | DT_WORDBREAK;
    }
    if (style & SS_NOPREFIX) format |= DT_NOPREFIX;
    if (style & SS_CENTERIMAGE) format = (format & ~DT_WORDBREAK) | DT_SINGLELINE | DT_VCENTER;
    const std::string text = GetWindowText(h);
    dc.SelectFont(s->font.font);
    dc.SetBkMode(TRANSPARENT);
    Rect r = client;
    if (!IsWindowEnabled(h)) {
        theme::DisabledText(dc, text, r, format);
    } else {
        dc.DrawText(text, r, format);
    }
}

void Paint(Hwnd h, StaticState* s) {
    PaintStruct ps;
    Canvas* dc = BeginPaint(h, &ps);
    if (!dc) return;
    Rect client;
    GetClientRect(h, &client);
    const uint32_t style = StyleOf(h);
    const uint32_t type = style & SS_TYPEMASK;

    if (type == SS_OWNERDRAW) {
        DrawItemStruct di;
        di.ctlType = ODT_STATIC;
        di.ctlId = static_cast<uint32_t>(ControlId(h));
        di.itemAction = ODA_DRAWENTIRE;
        if (!IsWindowEnabled(h)) di.itemState |= ODS_DISABLED;
        di.hwndItem = h;
        di.hdc = dc;
        di.rcItem = client;
        if (const Hwnd parent = NotifyTarget(h)) {
            SendMessage(parent, WM_DRAWITEM, static_cast<WParam>(ControlId(h)),
                        reinterpret_cast<LParam>(&di));
        }
        EndPaint(h, &ps);
        return;
    }

    // Frames and lines leave their inside to the parent's colours.
    if (type != SS_BITMAP) {
        const Brush* bg = ParentColors(h, dc, WM_CTLCOLORSTATIC);
        if (bg) dc->FillRect(client, *bg);
    }
    switch (type) {
        case SS_BLACKRECT:
            dc->FillSolid(client, GetSysColor(COLOR_WINDOWTEXT));
            break;
        case SS_GRAYRECT:
            dc->FillSolid(client, GetSysColor(COLOR_GRAYTEXT));
            break;
        case SS_WHITERECT:
            dc->FillSolid(client, GetSysColor(COLOR_WINDOW));
            break;
        case SS_BLACKFRAME:
            dc->FrameRect(client, Brush::SolidColor(GetSysColor(COLOR_WINDOWTEXT)));
            break;
        case SS_GRAYFRAME:
            dc->FrameRect(client, Brush::SolidColor(GetSysColor(COLOR_GRAYTEXT)));
            break;
        case SS_WHITEFRAME:
            dc->FrameRect(client, Brush::SolidColor(GetSysColor(COLOR_WINDOW)));
            break;
        case SS_ETCHEDHORZ:
            Edge3d(*dc, {client.left, client.top, client.right, client.top + 2}, EDGE_ETCHED);
            break;
        case SS_ETCHEDVERT:
            Edge3d(*dc, {client.left, client.top, client.left + 2, client.bottom}, EDGE_ETCHED);
            break;
        case SS_ETCHEDFRAME:
            Edge3d(*dc, client, EDGE_ETCHED);
            break;
        case SS_BITMAP: {
            const Brush* bg = ParentColors(h, dc, WM_CTLCOLORSTATIC);
            if (bg) dc->FillRect(client, *bg);
            if (s->image.IsValid()) {
                int x = 0;
                int y = 0;
                if (style & SS_CENTERIMAGE) {
                    x = (client.Width() - s->image.width) / 2;
                    y = (client.Height() - s->image.height) / 2;
                }
                Canvas src(s->image);
                dc->BitBlt(x, y, s->image.width, s->image.height, src, 0, 0, SRCCOPY);
            }
            break;
        }
        default: {
            PaintText(h, s, *dc, client, style);
            break;
        }
    }
    if (style & SS_SUNKEN) {
        dc->FillSolid({client.left, client.top, client.right, client.top + 1},
                      GetSysColor(COLOR_GRAYTEXT));
        dc->FillSolid({client.left, client.top, client.left + 1, client.bottom},
                      GetSysColor(COLOR_GRAYTEXT));
        dc->FillSolid({client.left, client.bottom - 1, client.right, client.bottom},
                      GetSysColor(COLOR_WINDOW));
        dc->FillSolid({client.right - 1, client.top, client.right, client.bottom},
                      GetSysColor(COLOR_WINDOW));
    }
    EndPaint(h, &ps);
}

LResult OnNcHitTest(Hwnd h, StaticState*, uint32_t msg, WParam wp, LParam lp) {
    // Statics let the mouse through unless they report clicks.
    if (!(StyleOf(h) & SS_NOTIFY)) return HTTRANSPARENT;
    return DefWindowProc(h, msg, wp, lp);
}

LResult OnGetDlgCode(Hwnd, StaticState*, uint32_t, WParam, LParam) {
    return DLGC_STATIC;
}

LResult OnPaint(Hwnd h, StaticState* s, uint32_t, WParam, LParam) {
    Paint(h, s);
    return 0;
}

LResult OnSetText(Hwnd h, StaticState*, uint32_t msg, WParam wp, LParam lp) {
    const LResult r = DefWindowProc(h, msg, wp, lp);
    InvalidateRect(h, nullptr, false);
    return r;
}

LResult OnEnable(Hwnd h, StaticState*, uint32_t, WParam wp, LParam) {
    InvalidateRect(h, nullptr, false);
    if (StyleOf(h) & SS_NOTIFY) NotifyCommand(h, wp ? STN_ENABLE : STN_DISABLE);
    return 0;
}

LResult OnButtonDown(Hwnd h, StaticState*, uint32_t, WParam, LParam) {
    if (StyleOf(h) & SS_NOTIFY) NotifyCommand(h, STN_CLICKED);
    return 0;
}

LResult OnDoubleClick(Hwnd h, StaticState*, uint32_t, WParam, LParam) {
    if (StyleOf(h) & SS_NOTIFY) NotifyCommand(h, STN_DBLCLK);
    return 0;
}

LResult OnSetImage(Hwnd h, StaticState* s, uint32_t, WParam wp, LParam lp) {
    if (wp != IMAGE_BITMAP) return 0;
    const IndexedSurface* old = s->imageHandle;
    s->imageHandle = reinterpret_cast<const IndexedSurface*>(lp);
    s->image = s->imageHandle ? *s->imageHandle : IndexedSurface{};
    if (TypeOf(h) == SS_BITMAP && s->image.IsValid() && !(StyleOf(h) & SS_CENTERIMAGE)) {
        // A bitmap static takes the size of its picture.
        SetWindowPos(h, {}, 0, 0, s->image.width, s->image.height,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    InvalidateRect(h, nullptr, false);
    return reinterpret_cast<LResult>(old);
}

LResult OnGetImage(Hwnd, StaticState* s, uint32_t, WParam wp, LParam) {
    return wp == IMAGE_BITMAP ? reinterpret_cast<LResult>(s->imageHandle) : 0;
}

LResult StaticProc(Hwnd h, uint32_t msg, WParam wp, LParam lp) {
    static const ControlMessages<StaticState> kMessages{
        {WM_NCHITTEST, OnNcHitTest},
        {WM_GETDLGCODE, OnGetDlgCode},
        {WM_PAINT, OnPaint},
        {WM_SETTEXT, OnSetText},
        {WM_ENABLE, OnEnable},
        {WM_LBUTTONDOWN, OnButtonDown},
        {WM_LBUTTONDBLCLK, OnDoubleClick},
        {STM_SETIMAGE, OnSetImage},
        {STM_GETIMAGE, OnGetImage},
    };
    return DispatchControl(kMessages, h, msg, wp, lp);
}

}  // namespace

bool RegisterStaticClass() {
    return RegisterControlClass(kStaticClass, StaticProc, CS_DBLCLKS | CS_PARENTDC, 0);
}

}  // namespace zv::ui::controls
