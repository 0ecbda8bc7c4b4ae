#include "platform/ui/TextFitCheck.h"

#include <algorithm>
#include <cctype>

#include "platform/core/Sjis.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowManager.h"
#include "platform/ui/controls/ControlConstants.h"

namespace zv::ui {

namespace {

std::string Utf8Impl(std::u32string_view s) {
    std::string out;
    for (char32_t c : s) {
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

constexpr const char* kShortened = "shortened with an ellipsis";
constexpr const char* kCutVertically = "cut at the top or bottom";

std::string Lower(std::string s) {
    for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string Describe(Hwnd h) {
    if (!h) return "the screen";
    return GetClassName(h) + " " + std::to_string(GetDlgCtrlID(h)) + " \"" +
           core::SjisToUtf8(GetWindowText(h)) + "\"";
}

void Collect(Hwnd h, std::vector<Hwnd>* out) {
    for (Hwnd c = GetWindow(h, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (!IsWindowVisible(c)) continue;
        out->push_back(c);
        Collect(c, out);
    }
}

bool IsStatic(Hwnd h) { return Lower(GetClassName(h)) == "static"; }

// Controls that must not share pixels with a sibling. Group boxes and pictures lie over or
// under others by design.
bool IsSolidControl(Hwnd h) {
    const std::string cls = Lower(GetClassName(h));
    const uint32_t style = uint32_t(GetWindowLong(h, GWL_STYLE));
    if (cls == "button") return (style & BS_TYPEMASK) != BS_GROUPBOX;
    if (cls == "static") {
        const uint32_t type = style & SS_TYPEMASK;
        return (type <= SS_RIGHT || type == SS_SIMPLE || type == SS_LEFTNOWORDWRAP) &&
               !GetWindowText(h).empty();
    }
    return cls == "edit" || cls == "combobox" || cls == "listbox" || cls == "syslistview32" ||
           cls == "msctls_trackbar32" || cls == "msctls_updown32";
}

}  // namespace

std::string Utf8Of(std::u32string_view text) { return Utf8Impl(text); }

TextDrawLog::TextDrawLog() {
    SetTextDrawObserver([this](const TextDrawRecord& r) { records_.push_back(r); });
}

TextDrawLog::~TextDrawLog() { SetTextDrawObserver({}); }

std::string TextFitProblem(const TextDrawRecord& r) {
    if (r.shortened) return kShortened;
    // A line's height holds its leading and descent: up to a third of it may pass the box
    // above or below, which the letters do not reach. Across, every pixel counts.
    const int slack = r.box.Height() / 3;
    if (r.limit) {
        const Rect& l = *r.limit;
        if (r.box.left < l.left || r.box.right > l.right) return "wider than its box";
        const int inside = std::min(r.box.bottom, l.bottom) - std::max(r.box.top, l.top);
        if (r.box.Height() - inside > slack) return "taller than its box";
    }
    const int area = r.box.Width() * r.box.Height();
    // A line that does not show at all was drawn out of sight (a scrolled-away row); one that
    // shows in part is cut by its window's edge or covered by another window.
    if (r.hiddenPixels == 0 || r.hiddenPixels == area) return {};
    if (r.hiddenColumns > 0) return "cut at the side";
    if (r.hiddenPixels == r.hiddenRows * r.box.Width()) {
        return r.hiddenRows > slack ? kCutVertically : std::string();
    }
    return "partly covered";
}

std::vector<std::string> CheckWindowTexts(Hwnd root, bool siblings) {
    std::vector<std::string> problems;
    WindowManager* wm = WindowManager::Current();
    if (!wm || !root) return {"no window to check"};
    wm->Flush();
    const void* screen = wm->GetBackend().Screen().pixels;
    std::vector<Hwnd> windows;
    Collect(root, &windows);
    // Other top-level windows over this one (a progress window, a box, a menu) hide what lies
    // beneath them by design: a line that passes under one is not cut.
    std::vector<Rect> above;
    const Hwnd top = GetAncestor(root, GA_ROOT) ? GetAncestor(root, GA_ROOT) : root;
    for (Hwnd o = GetWindow(top, GW_HWNDPREV); o; o = GetWindow(o, GW_HWNDPREV)) {
        if (!IsWindowVisible(o)) continue;
        Rect r;
        GetWindowRect(o, &r);
        above.push_back(r);
    }
    auto underAnotherWindow = [&above](const Rect& box) {
        for (const Rect& r : above)
            if (!box.Intersect(r).IsEmpty()) return true;
        return false;
    };
    // One window at a time, so that each line is told by the window that drew it.
    std::vector<Hwnd> painted{root};
    painted.insert(painted.end(), windows.begin(), windows.end());
    for (Hwnd h : painted) {
        // A list's rows scroll through it, and its cells end in "..." where a column is
        // narrower than their text until the user widens the column; its header's titles,
        // which the user reads to do so, must fit.
        const std::string cls = Lower(GetClassName(h));
        const bool scrolls = cls == "syslistview32" || cls == "listbox";
        const Hwnd parent = h == root ? Hwnd{} : GetParent(h);
        TextDrawLog log;
        RedrawWindow(h, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
        wm->Flush();
        for (const TextDrawRecord& r : log.Records()) {
            const std::string why = TextFitProblem(r);
            if (why.empty()) {
                // A text on the screen keeps a pixel clear of the controls beside its own.
                const bool unseen = r.hiddenPixels == r.box.Width() * r.box.Height();
                if (!siblings || r.surface != screen || parent == Hwnd{} || unseen) continue;
                const Rect near{r.box.left - 1, r.box.top, r.box.right + 1, r.box.bottom};
                bool below = false;  // siblings come top first
                for (Hwnd s = GetWindow(parent, GW_CHILD); s; s = GetWindow(s, GW_HWNDNEXT)) {
                    if (s == h) below = true;
                    if (s == h || !IsWindowVisible(s) || !IsSolidControl(s)) continue;
                    if (below && IsStatic(s)) continue;  // drawn over a label's free part
                    Rect sr;
                    GetWindowRect(s, &sr);
                    if (!near.Intersect(sr).IsEmpty()) {
                        problems.push_back("\"" + Utf8Of(r.text) + "\" in " + Describe(h) + ": runs into " +
                                           Describe(s));
                    }
                }
                continue;
            }
            if (scrolls && (why == kCutVertically || why == kShortened)) continue;
            const bool hidden = why == "partly covered" || why == "cut at the side" ||
                                why == kCutVertically;
            if (hidden && r.surface == screen && underAnotherWindow(r.box)) continue;
            problems.push_back("\"" + Utf8Of(r.text) + "\" in " + Describe(h) + ": " + why);
        }
    }
    if (!siblings) return problems;
    // Sibling controls that overlap.
    std::vector<Hwnd> parents{root};
    for (Hwnd h : windows) parents.push_back(h);
    for (Hwnd parent : parents) {
        std::vector<Hwnd> kids;
        for (Hwnd c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            if (IsWindowVisible(c) && IsSolidControl(c)) kids.push_back(c);
        }
        for (std::size_t i = 0; i < kids.size(); ++i) {
            Rect a;
            GetWindowRect(kids[i], &a);
            for (std::size_t j = i + 1; j < kids.size(); ++j) {
                // A label under a control may reach beneath it: its text, if it went there,
                // would be found covered above.
                if (IsStatic(kids[j])) continue;
                Rect b;
                GetWindowRect(kids[j], &b);
                if (!a.Intersect(b).IsEmpty()) {
                    problems.push_back(Describe(kids[i]) + " overlaps " + Describe(kids[j]));
                }
            }
        }
    }
    return problems;
}

std::vector<std::string> CheckScreenTexts() {
    std::vector<Hwnd> tops;
    for (Hwnd h = GetTopWindow({}); h; h = GetWindow(h, GW_HWNDNEXT)) {
        if (IsWindowVisible(h)) tops.push_back(h);
    }
    std::vector<std::string> problems;
    for (Hwnd h : tops) {
        for (std::string& p : CheckWindowTexts(h, true)) problems.push_back(std::move(p));
    }
    return problems;
}

}  // namespace zv::ui
