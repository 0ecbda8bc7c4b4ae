#include "platform/ui/MessageBox.h"

#include <algorithm>
#include <vector>

#include "platform/core/Sjis.h"
#include "platform/ui/ClassicTheme.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Text.h"
#include "platform/ui/Window.h"
#include "platform/ui/controls/ControlConstants.h"

namespace zv::ui {

namespace {

constexpr int kMargin = 12;
constexpr int kIconSize = 32;
constexpr int kButtonHeight = 23;
constexpr int kButtonMinWidth = 75;
constexpr int kButtonGap = 6;

struct ButtonSpec {
    int id;
    const char* utf8;
};

std::vector<ButtonSpec> ButtonsFor(uint32_t type) {
    switch (type & MB_TYPEMASK) {
        case MB_OKCANCEL:
            return {{IDOK, "OK"}, {IDCANCEL, "キャンセル"}};
        case MB_ABORTRETRYIGNORE:
            return {{IDABORT, "中止(&A)"}, {IDRETRY, "再試行(&R)"}, {IDIGNORE, "無視(&I)"}};
        case MB_YESNOCANCEL:
            return {{IDYES, "はい(&Y)"}, {IDNO, "いいえ(&N)"}, {IDCANCEL, "キャンセル"}};
        case MB_YESNO:
            return {{IDYES, "はい(&Y)"}, {IDNO, "いいえ(&N)"}};
        case MB_RETRYCANCEL:
            return {{IDRETRY, "再試行(&R)"}, {IDCANCEL, "キャンセル"}};
        default:
            return {{IDOK, "OK"}};
    }
}

struct Box {
    std::string text;  // Shift-JIS
    uint32_t type = 0;
    std::vector<ButtonSpec> buttons;
    std::vector<std::string> lines;
    Rect textRect{};
    Rect iconRect{};
};

// Splits at line breaks, then breaks lines wider than maxWidth between characters (Japanese
// has no spaces to break at), never inside a double-byte character and never where a line
// would begin with closing punctuation or end with an opening bracket.
std::vector<std::string> WrapLines(const Font& font, const std::string& sjis, int maxWidth) {
    std::vector<std::string> out;
    std::vector<std::string> chars;  // the line's characters as Shift-JIS bytes
    std::u32string points;           // and as code points
    auto joined = [&](std::size_t from, std::size_t to) {
        std::string s;
        for (std::size_t k = from; k < to; ++k) s += chars[k];
        return s;
    };
    auto flush = [&] {
        out.push_back(joined(0, chars.size()));
        chars.clear();
        points.clear();
    };
    for (std::size_t i = 0; i < sjis.size(); ++i) {
        const auto c = static_cast<unsigned char>(sjis[i]);
        if (c == '\r') continue;
        if (c == '\n') {
            flush();
            continue;
        }
        const std::size_t n = zv::core::IsSjisLeadByte(c) && i + 1 < sjis.size() ? 2 : 1;
        const std::string ch = sjis.substr(i, n);
        chars.push_back(ch);
        const std::u32string cp = DecodeText(ch, TextEncoding::ShiftJis);
        points.push_back(cp.empty() ? U'?' : cp[0]);
        const std::size_t last = chars.size() - 1;
        if (last > 0 && font.MeasureText(joined(0, chars.size())).cx > maxWidth) {
            const std::size_t cut = LineEndBefore(points, last);
            out.push_back(joined(0, cut));
            chars.erase(chars.begin(), chars.begin() + std::ptrdiff_t(cut));
            points.erase(0, cut);
        }
        i += n - 1;
    }
    flush();
    return out;
}

void DrawIcon(Canvas& dc, const Rect& r, uint32_t icon) {
    const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
    ColorRef fill = Rgb(0, 0, 255);
    if (icon == MB_ICONHAND) fill = Rgb(255, 0, 0);
    if (icon == MB_ICONEXCLAMATION) {
        // A yellow triangle with a black edge.
        for (int y = 0; y < 28; ++y) {
            const int half = y / 2 + 1;
            dc.FillSolid({cx - half, r.top + 2 + y, cx + half, r.top + 3 + y}, Rgb(0, 0, 0));
            if (y > 1 && y < 27)
                dc.FillSolid({cx - half + 1, r.top + 2 + y, cx + half - 1, r.top + 3 + y},
                             Rgb(255, 255, 0));
        }
    } else {
        dc.SelectPen({PS_SOLID, 1, Rgb(0, 0, 0)});
        dc.SelectBrush(Brush::SolidColor(fill));
        dc.Ellipse(r.left + 1, r.top + 1, r.right - 1, r.bottom - 1);
    }
    const ColorRef mark = icon == MB_ICONEXCLAMATION ? Rgb(0, 0, 0) : Rgb(255, 255, 255);
    switch (icon) {
        case MB_ICONHAND:  // a cross
            for (int i = -7; i <= 7; ++i) {
                dc.FillSolid({cx + i - 1, cy + i - 1, cx + i + 2, cy + i + 2}, mark);
                dc.FillSolid({cx + i - 1, cy - i - 1, cx + i + 2, cy - i + 2}, mark);
            }
            break;
        case MB_ICONQUESTION:
            dc.FillSolid({cx - 5, cy - 9, cx + 5, cy - 6}, mark);
            dc.FillSolid({cx + 3, cy - 7, cx + 6, cy - 1}, mark);
            dc.FillSolid({cx - 1, cy - 2, cx + 4, cy + 1}, mark);
            dc.FillSolid({cx - 1, cy, cx + 2, cy + 4}, mark);
            dc.FillSolid({cx - 1, cy + 6, cx + 2, cy + 9}, mark);
            break;
        case MB_ICONEXCLAMATION:
            dc.FillSolid({cx - 1, r.top + 11, cx + 2, r.top + 23}, mark);
            dc.FillSolid({cx - 1, r.top + 25, cx + 2, r.top + 28}, mark);
            break;
        default:  // information
            dc.FillSolid({cx - 1, cy - 9, cx + 2, cy - 6}, mark);
            dc.FillSolid({cx - 1, cy - 3, cx + 2, cy + 9}, mark);
            break;
    }
}

bool HasId(const Box& box, int id) {
    return std::any_of(box.buttons.begin(), box.buttons.end(),
                       [&](const ButtonSpec& b) { return b.id == id; });
}

intptr_t BoxProc(Hwnd dlg, uint32_t msg, WParam wp, LParam lp) {
    Box* box = reinterpret_cast<Box*>(GetWindowLongPtr(dlg, DWLP_USER));
    switch (msg) {
        case WM_INITDIALOG: {
            box = reinterpret_cast<Box*>(lp);
            SetWindowLongPtr(dlg, DWLP_USER, lp);
            const auto* font = reinterpret_cast<const Font*>(SendMessage(dlg, WM_GETFONT, 0, 0));
            const Font& f = font ? *font : theme::DialogFont();
            const Rect screen = WindowManager::Current()->ScreenRect();
            const uint32_t icon = box->type & MB_ICONMASK;
            const int textLeft = kMargin + (icon ? kIconSize + kMargin : 0);
            box->lines = WrapLines(f, box->text, screen.Width() * 3 / 4 - textLeft - kMargin);
            int textW = 0;
            for (const std::string& l : box->lines) textW = std::max(textW, f.MeasureText(l).cx);
            const int lineH = f.Metrics().height;
            const int textH = lineH * static_cast<int>(box->lines.size());
            const int bodyH = std::max(textH, icon ? kIconSize : 0);
            box->iconRect = {kMargin, kMargin, kMargin + kIconSize, kMargin + kIconSize};
            const int textTop = kMargin + (bodyH - textH) / 2;
            box->textRect = {textLeft, textTop, textLeft + textW, textTop + textH};
            int buttonW = kButtonMinWidth;
            for (const ButtonSpec& b : box->buttons) {
                buttonW = std::max(buttonW, f.MeasureText(zv::core::Utf8ToSjis(b.utf8)).cx + 16);
            }
            const int n = static_cast<int>(box->buttons.size());
            const int rowW = n * buttonW + (n - 1) * kButtonGap;
            const int clientW = std::max(textLeft + textW + kMargin, rowW + 2 * kMargin);
            const int buttonTop = kMargin + bodyH + kMargin;
            const int clientH = buttonTop + kButtonHeight + kMargin;
            // The window around that client area, centred on the screen.
            Rect wr, cr;
            GetWindowRect(dlg, &wr);
            GetClientRect(dlg, &cr);
            const int w = clientW + wr.Width() - cr.Width();
            const int h = clientH + wr.Height() - cr.Height();
            SetWindowPos(dlg, {}, screen.left + (screen.Width() - w) / 2,
                         screen.top + (screen.Height() - h) / 2, w, h,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            const int defIndex = std::min(n - 1, static_cast<int>((box->type & MB_DEFMASK) >> 8));
            Hwnd focus{};
            int x = (clientW - rowW) / 2;
            for (int i = 0; i < n; ++i) {
                const ButtonSpec& b = box->buttons[static_cast<std::size_t>(i)];
                const uint32_t style = WS_CHILD | WS_VISIBLE | WS_TABSTOP |
                                       (i == 0 ? WS_GROUP : 0) |
                                       (i == defIndex ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
                const Hwnd c =
                    CreateWindowEx(0, "BUTTON", zv::core::Utf8ToSjis(b.utf8), style, x, buttonTop,
                                   buttonW, kButtonHeight, dlg, b.id, nullptr, nullptr);
                if (!c) {
                    EndDialog(dlg, 0);
                    return 1;
                }
                SendMessage(c, WM_SETFONT, reinterpret_cast<WParam>(&f), 0);
                if (i == defIndex) focus = c;
                x += buttonW + kButtonGap;
            }
            SendMessage(dlg, DM_SETDEFID,
                        static_cast<WParam>(box->buttons[static_cast<std::size_t>(defIndex)].id),
                        0);
            SendMessage(dlg, WM_NEXTDLGCTL, static_cast<WParam>(HwndToParam(focus)), 1);
            return 0;  // the focus is set
        }
        case WM_PAINT: {
            if (!box) return 0;
            PaintStruct ps;
            Canvas* dc = BeginPaint(dlg, &ps);
            if (dc) {
                if (const uint32_t icon = box->type & MB_ICONMASK)
                    DrawIcon(*dc, box->iconRect, icon);
                const auto* font =
                    reinterpret_cast<const Font*>(SendMessage(dlg, WM_GETFONT, 0, 0));
                if (font) dc->SelectFont(*font);
                dc->SetBkMode(TRANSPARENT);
                dc->SetTextColor(GetSysColor(COLOR_WINDOWTEXT));
                const int lineH = font ? font->Metrics().height : 12;
                int y = box->textRect.top;
                for (const std::string& l : box->lines) {
                    dc->TextOut(box->textRect.left, y, l);
                    y += lineH;
                }
            }
            EndPaint(dlg, &ps);
            return 1;
        }
        case WM_COMMAND: {
            if (!box) return 0;
            const int id = LoWord(wp);
            if (HasId(*box, id)) {
                EndDialog(dlg, id);
            } else if (id == IDCANCEL && (box->type & MB_TYPEMASK) == MB_OK) {
                EndDialog(dlg, IDOK);  // Esc on a lone OK means OK
            }
            return 1;
        }
        default:
            return 0;
    }
}

}  // namespace

int MessageBox(Hwnd owner, const std::string& text, const std::string& caption, uint32_t type) {
    WindowManager* wm = WindowManager::Current();
    if (!wm) return 0;
    Box box;
    box.text = text;
    box.type = type;
    box.buttons = ButtonsFor(type);
    DialogTemplate t;
    t.title = caption.empty() ? "エラー" : zv::core::SjisToUtf8(caption);
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER;
    if (type & (MB_SYSTEMMODAL | MB_TOPMOST)) t.style |= DS_SYSMODAL;
    t.cx = 100;
    t.cy = 40;
    // A system-modal box, or one without an owner, holds every other top-level window until it
    // is answered; an application-modal box holds its owner (DialogBox does that).
    std::vector<Hwnd> held;
    if ((type & (MB_SYSTEMMODAL | MB_TASKMODAL)) || !IsWindow(owner)) {
        for (Hwnd top : wm->GetChildren(wm->GetDesktopWindow())) {
            if (IsWindowVisible(top) && IsWindowEnabled(top)) {
                EnableWindow(top, false);
                held.push_back(top);
            }
        }
    }
    const intptr_t r =
        DialogBoxIndirectParam(nullptr, t, owner, BoxProc, reinterpret_cast<LParam>(&box));
    for (Hwnd h : held) {
        if (IsWindow(h)) EnableWindow(h, true);
    }
    return r > 0 ? static_cast<int>(r) : 0;
}

}  // namespace zv::ui
