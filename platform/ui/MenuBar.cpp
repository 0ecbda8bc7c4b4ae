// The menu bar of a top-level window: layout, drawing and hit testing. A maximised MDI child
// puts its system-menu icon at the bar's left end and its minimise, restore and close buttons
// at the right end.
#include <algorithm>

#include "platform/core/Sjis.h"
#include "platform/ui/ClassicTheme.h"
#include "platform/ui/MenuInternal.h"
#include "platform/ui/Messages.h"
#include "platform/ui/SystemMetrics.h"
#include "platform/ui/Window.h"

namespace zv::ui {

namespace menudetail {

namespace {

constexpr int kBarItemPadding = 7;  // each side of a bar item's text
constexpr int kBarButtonWidth = 16;
constexpr int kBarButtonHeight = 14;

struct PressedButton {
    Hwnd frame{};
    BarPart part = BarPart::None;
};
PressedButton gPressed;

// The label as shown: "&" marks dropped, "&&" shown as one "&".
std::string ShownLabel(const std::string& text) {
    const std::string label = LabelOf(text);
    std::string out;
    for (size_t i = 0; i < label.size(); ++i) {
        const auto c = static_cast<unsigned char>(label[i]);
        if (zv::core::IsSjisLeadByte(c) && i + 1 < label.size()) {
            out += label.substr(i, 2);
            ++i;
            continue;
        }
        if (c == '&') {
            if (i + 1 < label.size() && label[i + 1] == '&') {
                out += '&';
                ++i;
            }
            continue;
        }
        out += static_cast<char>(c);
    }
    return out;
}

void DrawCloseGlyph(Canvas& dc, const Rect& r, ColorRef c) {
    const int cx = (r.left + r.right) / 2 - 1;
    const int cy = (r.top + r.bottom) / 2 - 1;
    for (int i = -3; i <= 3; ++i) {
        theme::Fill(dc, {cx + i, cy + i, cx + i + 2, cy + i + 1}, c);
        theme::Fill(dc, {cx + i, cy - i, cx + i + 2, cy - i + 1}, c);
    }
}

void DrawRestoreGlyph(Canvas& dc, const Rect& r, ColorRef c) {
    // Two overlapping windows, the front one lower left.
    const int x = r.left + 3;
    const int y = r.top + 2;
    const Rect back{x + 3, y, x + 9, y + 5};
    const Rect front{x, y + 3, x + 6, y + 8};
    theme::Edge(dc, back, c, c);
    theme::Fill(dc, {back.left, back.top + 1, back.right, back.top + 2}, c);
    theme::Fill(dc, front, GetSysColor(COLOR_BTNFACE));
    theme::Edge(dc, front, c, c);
    theme::Fill(dc, {front.left, front.top + 1, front.right, front.top + 2}, c);
}

void DrawMinimizeGlyph(Canvas& dc, const Rect& r, ColorRef c) {
    theme::Fill(dc, {r.left + 4, r.bottom - 5, r.right - 6, r.bottom - 3}, c);
}

void DrawBarButton(Canvas& dc, const Rect& r, BarPart part, bool pressed) {
    if (r.IsEmpty()) return;
    if (pressed)
        theme::PressedBox(dc, r);
    else
        theme::RaisedBox(dc, r);
    const Rect g = pressed ? r.Offset(1, 1) : r;
    const ColorRef c = GetSysColor(COLOR_BTNTEXT);
    if (part == BarPart::ChildClose) DrawCloseGlyph(dc, g, c);
    if (part == BarPart::ChildRestore) DrawRestoreGlyph(dc, g, c);
    if (part == BarPart::ChildMinimize) DrawMinimizeGlyph(dc, g, c);
}

}  // namespace

bool LayoutBar(Hwnd h, BarLayout* out) {
    WindowManager* wm = WindowManager::Current();
    if (!wm || !out) return false;
    Rect bar;
    if (!wm->GetMenuBarRect(h, &bar)) return false;
    *out = BarLayout{};
    out->bar = bar;
    int x = bar.left;
    int right = bar.right;
    const Hwnd child = MdiMaximizedChildOfFrame(h);
    if (child) {
        out->mdiChild = child;
        out->childIcon = {x + 1, bar.top + 1, x + 17, bar.top + 17};
        x += 20;
        const int top = bar.top + (bar.Height() - kBarButtonHeight) / 2;
        out->childClose = {right - 2 - kBarButtonWidth, top, right - 2, top + kBarButtonHeight};
        out->childRestore = {out->childClose.left - 2 - kBarButtonWidth, top,
                             out->childClose.left - 2, top + kBarButtonHeight};
        out->childMin = {out->childRestore.left - kBarButtonWidth, top, out->childRestore.left,
                         top + kBarButtonHeight};
        right = out->childMin.left - 2;
    }
    const MenuObject* m = Lookup(GetMenu(h));
    if (!m) return true;
    bool full = false;
    for (const Item& it : m->items) {
        int width;
        if (it.flags & MF_SEPARATOR)
            width = 8;
        else
            width = MenuFont().MeasureText(ShownLabel(it.text)).cx + 2 * kBarItemPadding;
        Rect r{x, bar.top + 1, x + width, bar.bottom - 1};
        if (full || r.right > right) {
            full = true;
            r = {};
        }
        out->items.push_back(r);
        x += width;
    }
    return true;
}

BarPart BarHit(const BarLayout& l, Point p, int* item) {
    if (item) *item = -1;
    if (!l.bar.Contains(p.x, p.y)) return BarPart::None;
    if (l.mdiChild) {
        if (l.childIcon.Contains(p.x, p.y)) return BarPart::ChildIcon;
        if (l.childMin.Contains(p.x, p.y)) return BarPart::ChildMinimize;
        if (l.childRestore.Contains(p.x, p.y)) return BarPart::ChildRestore;
        if (l.childClose.Contains(p.x, p.y)) return BarPart::ChildClose;
    }
    for (size_t i = 0; i < l.items.size(); ++i) {
        if (l.items[i].Contains(p.x, p.y)) {
            if (item) *item = static_cast<int>(i);
            return BarPart::Item;
        }
    }
    return BarPart::None;
}

BarPart PressedBarButton(Hwnd frame) {
    return gPressed.frame == frame ? gPressed.part : BarPart::None;
}

void SetPressedBarButton(Hwnd frame, BarPart part) {
    const Hwnd old = gPressed.frame;
    gPressed = {part == BarPart::None ? Hwnd{} : frame, part};
    if (old && old != frame) DrawMenuBar(old);
    DrawMenuBar(frame);
}

}  // namespace menudetail

using namespace menudetail;

void PaintMenuBar(Hwnd h, Canvas& dc, const Rect& barWin) {
    BarLayout l;
    if (!LayoutBar(h, &l)) return;
    const int dx = barWin.left - l.bar.left;
    const int dy = barWin.top - l.bar.top;
    const MenuObject* m = Lookup(GetMenu(h));
    const TrackView& view = CurrentTrackView();
    const Font oldFont = dc.SelectFont(MenuFont());
    dc.SetBkMode(TRANSPARENT);
    if (l.mdiChild) {
        const Rect icon = l.childIcon.Offset(dx, dy);
        if (view.barOwner == h && view.barPart == BarPart::ChildIcon)
            theme::Fill(dc, icon, GetSysColor(COLOR_HIGHLIGHT));
        DrawWindowIcon(dc, icon);
        const BarPart pressed = PressedBarButton(h);
        DrawBarButton(dc, l.childMin.Offset(dx, dy), BarPart::ChildMinimize,
                      pressed == BarPart::ChildMinimize);
        DrawBarButton(dc, l.childRestore.Offset(dx, dy), BarPart::ChildRestore,
                      pressed == BarPart::ChildRestore);
        DrawBarButton(dc, l.childClose.Offset(dx, dy), BarPart::ChildClose,
                      pressed == BarPart::ChildClose);
    }
    if (m) {
        for (size_t i = 0; i < l.items.size() && i < m->items.size(); ++i) {
            if (l.items[i].IsEmpty()) continue;
            const Item& it = m->items[i];
            if (it.flags & MF_SEPARATOR) continue;
            Rect r = l.items[i].Offset(dx, dy);
            const bool selected = view.barOwner == h && view.barEntry == static_cast<int>(i);
            const bool open = selected && view.barOpen;
            const bool grey = (it.flags & MF_GRAYED) != 0;
            if (open) {
                theme::Edge(dc, r, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
                r = r.Offset(1, 1);
            } else if (selected) {
                theme::Fill(dc, r, GetSysColor(COLOR_HIGHLIGHT));
            }
            const std::string label = LabelOf(it.text);
            const uint32_t fmt = DT_SINGLELINE | DT_VCENTER | DT_CENTER;
            if (grey && !(selected && !open)) {
                theme::DisabledText(dc, label, r, fmt);
            } else {
                dc.SetTextColor(selected && !open
                                    ? GetSysColor(grey ? COLOR_GRAYTEXT : COLOR_HIGHLIGHTTEXT)
                                    : GetSysColor(COLOR_MENUTEXT));
                dc.DrawText(label, r, fmt);
            }
        }
    }
    dc.SelectFont(oldFont);
}


}  // namespace zv::ui
