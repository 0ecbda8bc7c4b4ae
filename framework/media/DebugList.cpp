#include "framework/media/DebugList.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/ui/Window.h"
#include "platform/ui/WindowObject.h"

namespace zv::fw {

namespace {

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

// The list's window: its lines, the caret line and what it scrolled to.
class DebugListBox : public ui::WindowObject {
  public:
    using WindowObject::WindowObject;

    ui::LResult Dispatch(uint32_t msg, ui::WParam w, ui::LParam l) {
        const int count = int(lines_.size());
        switch (msg) {
            case ui::WM_SETFONT:
                font_ = reinterpret_cast<const ui::Font*>(w);
                UpdateScrollBars();
                return 0;
            case ui::WM_GETFONT:
                return reinterpret_cast<ui::LResult>(font_);
            case kLbAddString:
                lines_.emplace_back(TextOf(l));
                UpdateScrollBars();
                return count;
            case kLbInsertString:
                return OnInsertString(int(intptr_t(w)), TextOf(l));
            case kLbDeleteString:
                return OnDeleteString(int(intptr_t(w)));
            case kLbResetContent:
                lines_.clear();
                caret_ = -1;
                top_ = 0;
                UpdateScrollBars();
                return 0;
            case kLbGetCount:
                return count;
            case kLbGetTextLen: {
                const int at = int(intptr_t(w));
                return at >= 0 && at < count ? ui::LResult(lines_[at].size()) : kLbErr;
            }
            case kLbGetText:
                return OnGetText(int(intptr_t(w)), reinterpret_cast<char*>(l));
            case kLbGetTopIndex:
                return top_;
            case kLbGetCaretIndex:
                return caret_;
            case kLbSetCaretIndex:
                return OnSetCaretIndex(int(intptr_t(w)));
            case kLbGetHorizontalExtent:
                return extent_;
            case kLbSetHorizontalExtent:
                extent_ = std::max(0, int(w));
                UpdateScrollBars();
                return 0;
            case ui::WM_SIZE:
                UpdateScrollBars();
                return 0;
            case ui::WM_VSCROLL:
                OnVScroll(ui::LoWord(w));
                return 0;
            case ui::WM_HSCROLL:
                OnHScroll(ui::LoWord(w));
                return 0;
            case ui::WM_PAINT:
                OnPaint();
                return 0;
            default:
                return Default(msg, w, l);
        }
    }

  private:
    static const char* TextOf(ui::LParam l) { return l ? reinterpret_cast<const char*>(l) : ""; }

    int LineHeight() const {
        const ui::Font& f = font_ ? *font_ : ownFont_;
        return std::max(1, f.Metrics().height);
    }
    int VisibleLines() const {
        ui::Rect c;
        ui::GetClientRect(Handle(), &c);
        return std::max(1, c.Height() / LineHeight());
    }
    void UpdateScrollBars() {
        const ui::Hwnd h = Handle();
        ui::Rect c;
        ui::GetClientRect(h, &c);
        const int visible = VisibleLines();
        top_ = std::clamp(top_, 0, std::max(0, int(lines_.size()) - visible));
        xOffset_ = std::clamp(xOffset_, 0, std::max(0, extent_ - c.Width()));
        ui::ScrollInfo v{ui::SIF_ALL, 0, std::max(0, int(lines_.size()) - 1), uint32_t(visible), top_, 0};
        ui::SetScrollInfo(h, ui::SB_VERT, v, true);
        ui::ScrollInfo hz{ui::SIF_ALL, 0, std::max(0, extent_ - 1), uint32_t(std::max(1, c.Width())), xOffset_, 0};
        ui::SetScrollInfo(h, ui::SB_HORZ, hz, true);
        ui::InvalidateRect(h, nullptr, true);
    }
    void ShowCaretLine() {
        const int visible = VisibleLines();
        if (caret_ < top_) top_ = caret_;
        if (caret_ >= top_ + visible) top_ = caret_ - visible + 1;
    }

    ui::LResult OnInsertString(int at, const char* text) {
        const int count = int(lines_.size());
        if (at == -1) at = count;
        if (at < 0 || at > count) return kLbErr;
        lines_.insert(lines_.begin() + at, text);
        if (caret_ >= at) ++caret_;  // the caret stays on its line
        UpdateScrollBars();
        return at;
    }
    ui::LResult OnDeleteString(int at) {
        if (at < 0 || at >= int(lines_.size())) return kLbErr;
        lines_.erase(lines_.begin() + at);
        if (caret_ > at || caret_ >= int(lines_.size())) --caret_;
        UpdateScrollBars();
        return int(lines_.size());
    }
    ui::LResult OnGetText(int at, char* out) const {
        if (at < 0 || at >= int(lines_.size()) || !out) return kLbErr;
        std::memcpy(out, lines_[at].c_str(), lines_[at].size() + 1);
        return ui::LResult(lines_[at].size());
    }
    ui::LResult OnSetCaretIndex(int at) {
        if (at < 0 || at >= int(lines_.size())) return kLbErr;
        caret_ = at;
        ShowCaretLine();
        UpdateScrollBars();
        return 0;
    }
    void OnVScroll(uint32_t code) {
        ui::ScrollInfo si;
        si.mask = ui::SIF_ALL;
        ui::GetScrollInfo(Handle(), ui::SB_VERT, &si);
        top_ = ScrollTo(code, top_, si.trackPos, 1, VisibleLines(), int(lines_.size()));
        UpdateScrollBars();
    }
    void OnHScroll(uint32_t code) {
        ui::ScrollInfo si;
        si.mask = ui::SIF_ALL;
        ui::GetScrollInfo(Handle(), ui::SB_HORZ, &si);
        xOffset_ = ScrollTo(code, xOffset_, si.trackPos, 8, int(si.page), extent_);
        UpdateScrollBars();
    }
    void OnPaint() {
        const ui::Hwnd h = Handle();
        ui::PaintStruct ps;
        ui::Canvas* dc = ui::BeginPaint(h, &ps);
        if (dc) {
            ui::Rect c;
            ui::GetClientRect(h, &c);
            dc->FillSolid(c, ui::Rgb(255, 255, 255));
            const ui::Font& f = font_ ? *font_ : ownFont_;
            ui::Font old = dc->SelectFont(f);
            dc->SetBkMode(ui::TRANSPARENT);
            dc->SetTextColor(ui::Rgb(0, 0, 0));
            const int lh = LineHeight();
            const int count = int(lines_.size());
            for (int i = top_, y = 0; i < count && y < c.Height(); ++i, y += lh) {
                dc->TextOut(2 - xOffset_, y, lines_[i]);
                if (i == caret_) dc->DrawFocusRect({0, y, c.right, y + lh});
            }
            dc->SelectFont(old);
        }
        ui::EndPaint(h, &ps);
    }

    std::vector<std::string> lines_;
    int caret_ = -1;
    int top_ = 0;
    int extent_ = 0;
    int xOffset_ = 0;
    const ui::Font* font_ = nullptr;
    ui::Font ownFont_;
};

}  // namespace

void RegisterDebugListClass() {
    ui::WindowClass existing;
    if (ui::GetClassInfo(kDebugListClass, &existing)) return;
    ui::WindowClass wc;
    wc.name = kDebugListClass;
    wc.proc = ui::WindowObjectProc<DebugListBox>;
    ui::RegisterClass(wc);
}

}  // namespace zv::fw
