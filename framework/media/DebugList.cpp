#include "framework/media/DebugList.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/ui/Window.h"

namespace zv::fw {

namespace {

struct ListState {
    std::vector<std::string> lines;
    int caret = -1;
    int top = 0;
    int extent = 0;
    int xOffset = 0;
    const ui::Font* font = nullptr;
    ui::Font ownFont;
};

ListState* StateOf(ui::Hwnd h) {
    return reinterpret_cast<ListState*>(ui::GetWindowLongPtr(h, ui::GWLP_USERDATA));
}

int LineHeight(const ListState& s) {
    const ui::Font& f = s.font ? *s.font : s.ownFont;
    return std::max(1, f.Metrics().height);
}

int VisibleLines(ui::Hwnd h, const ListState& s) {
    ui::Rect c;
    ui::GetClientRect(h, &c);
    return std::max(1, c.Height() / LineHeight(s));
}

void UpdateScrollBars(ui::Hwnd h, ListState& s) {
    ui::Rect c;
    ui::GetClientRect(h, &c);
    int visible = VisibleLines(h, s);
    s.top = std::clamp(s.top, 0, std::max(0, int(s.lines.size()) - visible));
    s.xOffset = std::clamp(s.xOffset, 0, std::max(0, s.extent - c.Width()));
    ui::ScrollInfo v{ui::SIF_ALL,       0,     std::max(0, int(s.lines.size()) - 1),
                     uint32_t(visible), s.top, 0};
    ui::SetScrollInfo(h, ui::SB_VERT, v, true);
    ui::ScrollInfo hz{ui::SIF_ALL, 0, std::max(0, s.extent - 1), uint32_t(std::max(1, c.Width())),
                      s.xOffset,   0};
    ui::SetScrollInfo(h, ui::SB_HORZ, hz, true);
    ui::InvalidateRect(h, nullptr, true);
}

void ShowCaret(ui::Hwnd h, ListState& s) {
    int visible = VisibleLines(h, s);
    if (s.caret < s.top) s.top = s.caret;
    if (s.caret >= s.top + visible) s.top = s.caret - visible + 1;
}

int ScrollTo(uint32_t code, int pos, int track, int line, int page, int max) {
    switch (code) {
        case ui::SB_LINEUP:
            return pos - line;
        case ui::SB_LINEDOWN:
            return pos + line;
        case ui::SB_PAGEUP:
            return pos - page;
        case ui::SB_PAGEDOWN:
            return pos + page;
        case ui::SB_THUMBPOSITION:
        case ui::SB_THUMBTRACK:
            return track;
        case ui::SB_TOP:
            return 0;
        case ui::SB_BOTTOM:
            return max;
        default:
            return pos;
    }
}

ui::LResult ListProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    ListState* s = StateOf(h);
    switch (msg) {
        case ui::WM_CREATE:
            ui::SetWindowLongPtr(h, ui::GWLP_USERDATA, intptr_t(new ListState()));
            return 0;
        case ui::WM_DESTROY:
            delete s;
            ui::SetWindowLongPtr(h, ui::GWLP_USERDATA, 0);
            return 0;
        default:
            break;
    }
    if (!s) return ui::DefWindowProc(h, msg, w, l);
    int count = int(s->lines.size());
    switch (msg) {
        case ui::WM_SETFONT:
            s->font = reinterpret_cast<const ui::Font*>(w);
            UpdateScrollBars(h, *s);
            return 0;
        case ui::WM_GETFONT:
            return ui::LResult(s->font);
        case kLbAddString:
            s->lines.emplace_back(l ? reinterpret_cast<const char*>(l) : "");
            UpdateScrollBars(h, *s);
            return count;
        case kLbInsertString: {
            int at = int(intptr_t(w));
            if (at == -1) at = count;
            if (at < 0 || at > count) return kLbErr;
            s->lines.insert(s->lines.begin() + at, l ? reinterpret_cast<const char*>(l) : "");
            if (s->caret >= at) ++s->caret;  // the caret stays on its line
            UpdateScrollBars(h, *s);
            return at;
        }
        case kLbDeleteString: {
            int at = int(intptr_t(w));
            if (at < 0 || at >= count) return kLbErr;
            s->lines.erase(s->lines.begin() + at);
            if (s->caret > at || s->caret >= int(s->lines.size())) --s->caret;
            UpdateScrollBars(h, *s);
            return int(s->lines.size());
        }
        case kLbResetContent:
            s->lines.clear();
            s->caret = -1;
            s->top = 0;
            UpdateScrollBars(h, *s);
            return 0;
        case kLbGetCount:
            return count;
        case kLbGetTextLen: {
            int at = int(intptr_t(w));
            return at >= 0 && at < count ? ui::LResult(s->lines[at].size()) : kLbErr;
        }
        case kLbGetText: {
            int at = int(intptr_t(w));
            if (at < 0 || at >= count || !l) return kLbErr;
            std::memcpy(reinterpret_cast<char*>(l), s->lines[at].c_str(), s->lines[at].size() + 1);
            return ui::LResult(s->lines[at].size());
        }
        case kLbGetTopIndex:
            return s->top;
        case kLbGetCaretIndex:
            return s->caret;
        case kLbSetCaretIndex: {
            int at = int(intptr_t(w));
            if (at < 0 || at >= count) return kLbErr;
            s->caret = at;
            ShowCaret(h, *s);
            UpdateScrollBars(h, *s);
            return 0;
        }
        case kLbGetHorizontalExtent:
            return s->extent;
        case kLbSetHorizontalExtent:
            s->extent = std::max(0, int(w));
            UpdateScrollBars(h, *s);
            return 0;
        case ui::WM_SIZE:
            UpdateScrollBars(h, *s);
            return 0;
        case ui::WM_VSCROLL: {
            ui::ScrollInfo si;
            si.mask = ui::SIF_ALL;
            ui::GetScrollInfo(h, ui::SB_VERT, &si);
            s->top =
                ScrollTo(uint32_t(w & 0xFFFF), s->top, si.trackPos, 1, VisibleLines(h, *s), count);
            UpdateScrollBars(h, *s);
            return 0;
        }
        case ui::WM_HSCROLL: {
            ui::ScrollInfo si;
            si.mask = ui::SIF_ALL;
            ui::GetScrollInfo(h, ui::SB_HORZ, &si);
            s->xOffset =
                ScrollTo(uint32_t(w & 0xFFFF), s->xOffset, si.trackPos, 8, int(si.page), s->extent);
            UpdateScrollBars(h, *s);
            return 0;
        }
        case ui::WM_PAINT: {
            ui::PaintStruct ps;
            ui::Canvas* dc = ui::BeginPaint(h, &ps);
            if (dc) {
                ui::Rect c;
                ui::GetClientRect(h, &c);
                dc->FillSolid(c, ui::Rgb(255, 255, 255));
                const ui::Font& f = s->font ? *s->font : s->ownFont;
                ui::Font old = dc->SelectFont(f);
                dc->SetBkMode(ui::TRANSPARENT);
                dc->SetTextColor(ui::Rgb(0, 0, 0));
                int lh = LineHeight(*s);
                for (int i = s->top, y = 0; i < count && y < c.Height(); ++i, y += lh) {
                    dc->TextOut(2 - s->xOffset, y, s->lines[i]);
                    if (i == s->caret) dc->DrawFocusRect({0, y, c.right, y + lh});
                }
                dc->SelectFont(old);
            }
            ui::EndPaint(h, &ps);
            return 0;
        }
        default:
            return ui::DefWindowProc(h, msg, w, l);
    }
}

}  // namespace

void RegisterDebugListClass() {
    ui::WindowClass existing;
    if (ui::GetClassInfo(kDebugListClass, &existing)) return;
    ui::WindowClass wc;
    wc.name = kDebugListClass;
    wc.proc = ListProc;
    ui::RegisterClass(wc);
}

}  // namespace zv::fw
