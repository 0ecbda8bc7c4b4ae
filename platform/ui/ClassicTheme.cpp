#include "platform/ui/ClassicTheme.h"

#include <algorithm>

namespace zv::ui::theme {

namespace {

ColorRef C(int index) {
    return GetSysColor(index);
}

}  // namespace

void Fill(Canvas& dc, const Rect& r, ColorRef c) {
    if (!r.IsEmpty()) dc.FillSolid(r, c);
}

void Edge(Canvas& dc, const Rect& r, ColorRef topLeft, ColorRef bottomRight) {
    if (r.IsEmpty()) return;
    Fill(dc, {r.left, r.top, r.right, r.top + 1}, topLeft);
    Fill(dc, {r.left, r.top, r.left + 1, r.bottom}, topLeft);
    Fill(dc, {r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
    Fill(dc, {r.right - 1, r.top, r.right, r.bottom}, bottomRight);
}

bool DrawEdge(Canvas& dc, Rect* r, uint32_t edge, uint32_t flags) {
    if (!r) return false;
    Rect in = *r;
    auto border = [&](ColorRef tl, ColorRef br) {
        if (in.IsEmpty()) return;
        if (flags & BF_TOP) Fill(dc, {in.left, in.top, in.right, in.top + 1}, tl);
        if (flags & BF_LEFT) Fill(dc, {in.left, in.top, in.left + 1, in.bottom}, tl);
        if (flags & BF_BOTTOM) Fill(dc, {in.left, in.bottom - 1, in.right, in.bottom}, br);
        if (flags & BF_RIGHT) Fill(dc, {in.right - 1, in.top, in.right, in.bottom}, br);
        in = {in.left + ((flags & BF_LEFT) ? 1 : 0), in.top + ((flags & BF_TOP) ? 1 : 0),
              in.right - ((flags & BF_RIGHT) ? 1 : 0), in.bottom - ((flags & BF_BOTTOM) ? 1 : 0)};
    };
    const bool mono = (flags & BF_MONO) != 0;
    const bool flat = (flags & BF_FLAT) != 0;
    // Outer border.
    if (edge & BDR_RAISEDOUTER) {
        if (mono)
            border(C(COLOR_WINDOWFRAME), C(COLOR_WINDOWFRAME));
        else if (flat)
            border(C(COLOR_BTNSHADOW), C(COLOR_BTNSHADOW));
        else
            border(C(COLOR_3DLIGHT), C(COLOR_3DDKSHADOW));
    } else if (edge & BDR_SUNKENOUTER) {
        if (mono)
            border(C(COLOR_WINDOWFRAME), C(COLOR_WINDOWFRAME));
        else if (flat)
            border(C(COLOR_BTNSHADOW), C(COLOR_BTNSHADOW));
        else
            border(C(COLOR_BTNSHADOW), C(COLOR_BTNHIGHLIGHT));
    }
    // Inner border.
    if (edge & BDR_RAISEDINNER) {
        if (mono || flat)
            border(C(COLOR_BTNFACE), C(COLOR_BTNFACE));
        else
            border(C(COLOR_BTNHIGHLIGHT), C(COLOR_BTNSHADOW));
    } else if (edge & BDR_SUNKENINNER) {
        if (mono || flat)
            border(C(COLOR_BTNFACE), C(COLOR_BTNFACE));
        else
            border(C(COLOR_3DDKSHADOW), C(COLOR_3DLIGHT));
    }
    if (flags & BF_MIDDLE) Fill(dc, in, C(COLOR_BTNFACE));
    if (flags & BF_ADJUST) *r = in;
    return true;
}

void RaisedBox(Canvas& dc, const Rect& r) {
    Fill(dc, r, C(COLOR_BTNFACE));
    Fill(dc, {r.left, r.top, r.right - 1, r.top + 1}, C(COLOR_BTNHIGHLIGHT));
    Fill(dc, {r.left, r.top, r.left + 1, r.bottom - 1}, C(COLOR_BTNHIGHLIGHT));
    Fill(dc, {r.left, r.bottom - 1, r.right, r.bottom}, C(COLOR_3DDKSHADOW));
    Fill(dc, {r.right - 1, r.top, r.right, r.bottom}, C(COLOR_3DDKSHADOW));
    Fill(dc, {r.left + 1, r.bottom - 2, r.right - 1, r.bottom - 1}, C(COLOR_BTNSHADOW));
    Fill(dc, {r.right - 2, r.top + 1, r.right - 1, r.bottom - 1}, C(COLOR_BTNSHADOW));
}

void PressedBox(Canvas& dc, const Rect& r) {
    Fill(dc, r, C(COLOR_BTNFACE));
    Edge(dc, r, C(COLOR_BTNSHADOW), C(COLOR_BTNSHADOW));
}

void SunkenFrame(Canvas& dc, const Rect& r) {
    Edge(dc, r, C(COLOR_BTNSHADOW), C(COLOR_BTNHIGHLIGHT));
    Edge(dc, {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, C(COLOR_3DDKSHADOW),
         C(COLOR_3DLIGHT));
}

void PushButtonFace(Canvas& dc, const Rect& r, bool pressed, bool isDefault) {
    Rect face = r;
    if (isDefault) {
        Edge(dc, face, C(COLOR_WINDOWFRAME), C(COLOR_WINDOWFRAME));
        face = {face.left + 1, face.top + 1, face.right - 1, face.bottom - 1};
    }
    if (pressed)
        PressedBox(dc, face);
    else
        RaisedBox(dc, face);
}

void FocusRect(Canvas& dc, const Rect& r) {
    dc.DrawFocusRect(r);
}

void CheckGlyph(Canvas& dc, const Rect& box, int state, bool pushed, bool disabled) {
    const Rect b{box.left, box.top, box.left + kCheckGlyphSize, box.top + kCheckGlyphSize};
    SunkenFrame(dc, b);
    const Rect inside{b.left + 2, b.top + 2, b.right - 2, b.bottom - 2};
    const bool grey = pushed || disabled || state == 2;
    Fill(dc, inside, grey ? C(COLOR_BTNFACE) : C(COLOR_WINDOW));
    if (state == 0) return;
    const ColorRef tick = disabled || state == 2 ? C(COLOR_BTNSHADOW) : C(COLOR_WINDOWTEXT);
    // A tick of three-pixel-high strokes: down from (x, 4) to (x + 2, 6), up to (x + 6, 2).
    const int x = inside.left + 1;
    const int y = inside.top;
    for (int i = 0; i < 7; ++i) {
        const int top = i < 3 ? y + 2 + i : y + 6 - (i - 2);
        Fill(dc, {x + i, top, x + i + 1, top + 3}, tick);
    }
}

void RadioGlyph(Canvas& dc, const Rect& box, bool checked, bool pushed, bool disabled) {
    // Rows of a 12-pixel circle: the span each row covers, from its left edge.
    static constexpr int kHalf[12] = {2, 4, 5, 5, 6, 6, 6, 6, 5, 5, 4, 2};
    const int cx = box.left + 6;
    const int top = box.top;
    const ColorRef inside = pushed || disabled ? C(COLOR_BTNFACE) : C(COLOR_WINDOW);
    for (int row = 0; row < 12; ++row) {
        const int h = kHalf[row];
        const ColorRef outer = row < 6 ? C(COLOR_BTNSHADOW) : C(COLOR_BTNHIGHLIGHT);
        Fill(dc, {cx - h, top + row, cx + h, top + row + 1}, outer);
        if (row >= 1 && row <= 10) {
            const int hi = std::max(0, kHalf[row] - 1);
            const ColorRef inner = row < 6 ? C(COLOR_3DDKSHADOW) : C(COLOR_3DLIGHT);
            Fill(dc, {cx - hi, top + row, cx + hi, top + row + 1}, inner);
        }
        if (row >= 2 && row <= 9) {
            const int hi = std::max(0, kHalf[row] - 2);
            Fill(dc, {cx - hi, top + row, cx + hi, top + row + 1}, inside);
        }
    }
    if (checked) {
        const ColorRef dot = disabled ? C(COLOR_BTNSHADOW) : C(COLOR_WINDOWTEXT);
        Fill(dc, {cx - 1, top + 4, cx + 1, top + 8}, dot);
        Fill(dc, {cx - 2, top + 5, cx + 2, top + 7}, dot);
    }
}

void ArrowGlyph(Canvas& dc, const Rect& r, ArrowDir dir, bool disabled) {
    auto draw = [&](int ox, int oy, ColorRef c) {
        const int cx = (r.left + r.right) / 2 + ox;
        const int cy = (r.top + r.bottom) / 2 + oy;
        for (int i = 0; i < 4; ++i) {
            switch (dir) {
                case ArrowDir::Up:
                    Fill(dc, {cx - i, cy - 2 + i, cx + i + 1, cy - 1 + i}, c);
                    break;
                case ArrowDir::Down:
                    Fill(dc, {cx - 3 + i, cy - 1 + i, cx + 4 - i, cy + i}, c);
                    break;
                case ArrowDir::Left:
                    Fill(dc, {cx - 2 + i, cy - i, cx - 1 + i, cy + i + 1}, c);
                    break;
                case ArrowDir::Right:
                    Fill(dc, {cx - 1 + i, cy - 3 + i, cx + i, cy + 4 - i}, c);
                    break;
            }
        }
    };
    if (disabled) {
        draw(1, 1, C(COLOR_BTNHIGHLIGHT));
        draw(0, 0, C(COLOR_GRAYTEXT));
    } else {
        draw(0, 0, C(COLOR_BTNTEXT));
    }
}

void ArrowButton(Canvas& dc, const Rect& r, ArrowDir dir, bool pressed, bool disabled) {
    if (pressed) {
        PressedBox(dc, r);
        ArrowGlyph(dc, r.Offset(1, 1), dir, disabled);
    } else {
        RaisedBox(dc, r);
        ArrowGlyph(dc, r, dir, disabled);
    }
}

void DisabledText(Canvas& dc, std::string_view text, Rect r, uint32_t format) {
    const int oldMode = dc.SetBkMode(TRANSPARENT);
    const ColorRef old = dc.SetTextColor(C(COLOR_BTNHIGHLIGHT));
    Rect shadow = r.Offset(1, 1);
    dc.DrawText(text, shadow, format);
    dc.SetTextColor(C(COLOR_GRAYTEXT));
    dc.DrawText(text, r, format);
    dc.SetTextColor(old);
    dc.SetBkMode(oldMode);
}

void ScrollTrack(Canvas& dc, const Rect& r, bool pressed) {
    Fill(dc, r, pressed ? C(COLOR_3DDKSHADOW) : C(COLOR_SCROLLBAR));
}

const Font& DialogFont() {
    static const Font font = [] {
        FontSpec spec;
        spec.height = -12;
        return Font(spec);
    }();
    return font;
}

}  // namespace zv::ui::theme
