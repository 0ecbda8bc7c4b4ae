#include "platform/ui/controls/ControlSupport.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "platform/core/Sjis.h"
#include "platform/ui/ClassicTheme.h"

namespace zv::ui::controls {

bool RegisterControlClass(const char* name, WndProc proc, uint32_t classStyle, uint32_t cursor) {
    WindowClass existing;
    if (GetClassInfo(name, &existing)) return true;
    WindowClass wc;
    wc.name = name;
    wc.proc = proc;
    wc.style = classStyle;
    wc.windowExtraBytes = kControlExtraBytes;
    wc.cursor = cursor;
    return RegisterClass(wc);
}

uint32_t StyleOf(Hwnd h) {
    return static_cast<uint32_t>(GetWindowLong(h, GWL_STYLE));
}

int ControlId(Hwnd h) {
    return GetDlgCtrlID(h);
}

Hwnd NotifyTarget(Hwnd h) {
    return GetParent(h);
}

LResult NotifyCommand(Hwnd h, int code) {
    const Hwnd parent = NotifyTarget(h);
    if (!parent) return 0;
    return SendMessage(parent, WM_COMMAND, MakeCommandWParam(ControlId(h), code), HwndToParam(h));
}

LResult NotifyParent(Hwnd h, NmHdr* hdr, uint32_t code) {
    const Hwnd parent = NotifyTarget(h);
    if (!parent || !hdr) return 0;
    hdr->hwndFrom = h;
    hdr->idFrom = static_cast<uintptr_t>(ControlId(h));
    hdr->code = code;
    return SendMessage(parent, WM_NOTIFY, static_cast<WParam>(ControlId(h)),
                       reinterpret_cast<LParam>(hdr));
}

bool ControlFont::Handle(Hwnd h, uint32_t msg, WParam wp, LParam lp, LResult* result) {
    if (msg == WM_SETFONT) {
        const auto* f = reinterpret_cast<const Font*>(wp);
        if (f) {
            font = *f;
            custom = true;
        } else {
            font = theme::DialogFont();
            custom = false;
        }
        if (LoWord(static_cast<uintptr_t>(lp))) InvalidateRect(h, nullptr, true);
        *result = 0;
        return true;
    }
    if (msg == WM_GETFONT) {
        *result = custom ? reinterpret_cast<LResult>(&font) : 0;
        return true;
    }
    return false;
}

std::optional<int> ScrollTarget(uint32_t code, int pos, int thumb, const ScrollSteps& steps) {
    switch (code) {
        case SB_LINEUP:
            return pos - steps.line;
        case SB_LINEDOWN:
            return pos + steps.line;
        case SB_PAGEUP:
            return pos - steps.page;
        case SB_PAGEDOWN:
            return pos + steps.page;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            return thumb;
        case SB_TOP:
            if (steps.end) return 0;
            return std::nullopt;
        case SB_BOTTOM:
            return steps.end;
        default:
            return std::nullopt;
    }
}

std::optional<int> ListKeyTarget(uint32_t vk, int from, int pageRows, int count) {
    switch (vk) {
        case VK_UP:
            return from - 1;
        case VK_DOWN:
            return from + 1;
        case VK_PRIOR:
            return from - (pageRows - 1);
        case VK_NEXT:
            return from + (pageRows - 1);
        case VK_HOME:
            return 0;
        case VK_END:
            return count - 1;
        default:
            return std::nullopt;
    }
}

int WheelRows(WParam wp, int rowsPerNotch) {
    return GetWheelDeltaWParam(wp) / WHEEL_DELTA * rowsPerNotch;
}

void FocusChanged(Hwnd h, bool* focused, bool gained, bool erase) {
    *focused = gained;
    InvalidateRect(h, nullptr, erase);
    NmHdr nm;
    NotifyParent(h, &nm, gained ? NM_SETFOCUS : NM_KILLFOCUS);
}

const Brush* ParentColors(Hwnd h, Canvas* dc, uint32_t ctlColorMsg) {
    const Hwnd parent = NotifyTarget(h);
    LResult r = 0;
    if (parent) {
        r = SendMessage(parent, ctlColorMsg, reinterpret_cast<WParam>(dc), HwndToParam(h));
    } else {
        r = DefWindowProc(h, ctlColorMsg, reinterpret_cast<WParam>(dc), HwndToParam(h));
    }
    const auto* brush = reinterpret_cast<const Brush*>(r);
    if (!brush) {
        // A parent that does not answer gets the layer's defaults.
        brush = reinterpret_cast<const Brush*>(
            DefWindowProc(h, ctlColorMsg, reinterpret_cast<WParam>(dc), HwndToParam(h)));
    }
    if (brush && brush->kind == BrushKind::Null) return nullptr;
    return brush;
}

void SetControlScrollBar(Hwnd h, int bar, int max, int page, int pos, bool keepDisabled) {
    const uint32_t bit = bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL;
    const bool needed = max >= page && max > 0;
    const uint32_t style = StyleOf(h);
    const bool shown = (style & bit) != 0;
    if (needed != shown && !keepDisabled) {
        SetWindowLong(h, GWL_STYLE, int32_t(needed ? (style | bit) : (style & ~bit)));
        SetWindowPos(h, {}, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        RedrawWindow(h, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }
    if (!(StyleOf(h) & bit)) return;
    ScrollInfo si;
    si.mask = SIF_RANGE | SIF_PAGE | SIF_POS | (keepDisabled ? SIF_DISABLENOSCROLL : 0);
    si.min = 0;
    si.max = std::max(0, max);
    si.page = static_cast<uint32_t>(std::max(0, page));
    si.pos = pos;
    SetScrollInfo(h, bar, si, true);
}

void Edge3d(Canvas& dc, Rect r, uint32_t edge) {
    theme::DrawEdge(dc, &r, edge, BF_RECT);
}

bool ShiftDown() {
    return GetKeyState(VK_SHIFT) < 0;
}

bool ControlDown() {
    return GetKeyState(VK_CONTROL) < 0;
}

bool IsLead(char c) {
    return core::IsSjisLeadByte(static_cast<unsigned char>(c));
}

std::size_t PrevCharStart(std::string_view text, std::size_t pos) {
    pos = std::min(pos, text.size());
    std::size_t i = 0;
    std::size_t last = 0;
    while (i < pos) {
        last = i;
        i += (IsLead(text[i]) && i + 1 < text.size()) ? 2 : 1;
    }
    return last;
}

std::size_t NextCharEnd(std::string_view text, std::size_t pos) {
    if (pos >= text.size()) return text.size();
    return pos + ((IsLead(text[pos]) && pos + 1 < text.size()) ? 2 : 1);
}

bool IsCharBoundary(std::string_view text, std::size_t pos) {
    if (pos > text.size()) return false;
    std::size_t i = 0;
    while (i < pos) i += (IsLead(text[i]) && i + 1 < text.size()) ? 2 : 1;
    return i == pos;
}

namespace {
char Lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}
}  // namespace

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (prefix.size() > text.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (Lower(text[i]) != Lower(prefix[i])) return false;
    }
    return true;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && StartsWithNoCase(a, b);
}

int CompareNoCase(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(Lower(a[i]));
        const auto cb = static_cast<unsigned char>(Lower(b[i]));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

std::size_t CopyOut(std::string_view text, char* buffer, std::size_t capacity) {
    if (!buffer || capacity == 0) return 0;
    const std::size_t n = core::SjisCutLength(text, capacity - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return n;
}

}  // namespace zv::ui::controls
