// Canvas: glyphs, TextOut and DrawText.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <unordered_map>
#include <utility>

#include "platform/ui/Canvas.h"
#include "platform/ui/CanvasInternal.h"
#include "platform/ui/Region.h"
#include "platform/ui/TextDrawObserver.h"

namespace zv::ui {

using namespace canvasdetail;

namespace {

int HoldTextCoordinate(int v) {
    constexpr int kFar = 1 << 28;
    return std::clamp(v, -kFar, kFar);
}

std::function<void(const TextDrawRecord&)>& Observer() {
    static std::function<void(const TextDrawRecord&)> observer;
    return observer;
}

}  // namespace

void SetTextDrawObserver(std::function<void(const TextDrawRecord&)> observer) {
    Observer() = std::move(observer);
}

namespace {

// Reports a drawn line (logical coordinates) to the observer, if any.
void ReportText(const Canvas& dc, std::u32string_view text, const Rect& penBox, const Rect* limit,
                bool shortened) {
    const auto& observer = Observer();
    if (!observer) return;
    // Blanks at either end draw nothing: only the part from the first to the last mark counts.
    auto blank = [](char32_t c) { return c == U' ' || c == U'\u3000'; };
    Rect inked = penBox;
    std::size_t from = 0, to = text.size();
    while (from < to && blank(text[from])) inked.left += dc.CurrentFont().Advance(text[from++]);
    while (to > from && blank(text[to - 1])) inked.right -= dc.CurrentFont().Advance(text[--to]);
    if (from == to) return;
    text = text.substr(from, to - from);
    const Rect box = inked;
    const Point o = dc.Origin();
    TextDrawRecord rec;
    rec.text = std::u32string(text);
    rec.box = box.Offset(o.x, o.y);
    if (limit) rec.limit = limit->Offset(o.x, o.y);
    rec.shortened = shortened;
    std::vector<bool> columnShows(std::size_t(std::max(0, box.Width())), false);
    for (int y = box.top; y < box.bottom; ++y) {
        bool rowShows = false;
        for (int x = box.left; x < box.right; ++x) {
            if (!dc.PtVisible(x, y)) {
                ++rec.hiddenPixels;
            } else {
                rowShows = true;
                columnShows[std::size_t(x - box.left)] = true;
            }
        }
        if (!rowShows) ++rec.hiddenRows;
    }
    for (bool shows : columnShows) rec.hiddenColumns += shows ? 0 : 1;
    rec.surface = dc.IsIndexed() ? static_cast<const void*>(dc.TargetIndexed().pixels)
                                 : static_cast<const void*>(dc.Target32().pixels);
    observer(rec);
}

}  // namespace

// ---- text ----

void Canvas::DrawGlyphs(int x, int baseline, std::u32string_view text, const Rect* limit,
                        std::span<const std::size_t> underlined) {
    const Rect clipBox = ClipBox().Offset(origin_.x, origin_.y);
    const Rect area = limit ? limit->Offset(origin_.x, origin_.y).Intersect(clipBox) : clipBox;
    if (area.IsEmpty()) return;
    const uint32_t fg = MapColor(textColor_);
    const FontMetrics& m = font_.Metrics();
    int penX = x + origin_.x;
    const int base = baseline + origin_.y;
    std::size_t nextUnderline = 0;
    for (std::size_t idx = 0; idx < text.size(); ++idx) {
        const GlyphImage& g = font_.Glyph(text[idx], indexed_);
        const int gx = penX + g.left, gy = base - g.top;
        const Rect box = Rect{gx, gy, gx + g.width, gy + g.rows}.Intersect(area);
        if (!box.IsEmpty()) {
            // A row at a time within each clip rectangle; the surface kind is decided once.
            for (const Rect& c : clip_) {
                const Rect d = box.Intersect(c);
                if (d.IsEmpty()) continue;
                for (int py = d.top; py < d.bottom; ++py) {
                    const uint8_t* cov =
                        g.coverage.data() + std::size_t(py - gy) * g.width + (d.left - gx);
                    const int n = d.Width();
                    if (indexed_) {
                        uint8_t* row = index_.Row(py) + d.left;
                        for (int i = 0; i < n; ++i)
                            if (cov[i]) row[i] = uint8_t(fg);
                    } else {
                        uint32_t* row = rgb_.Row(py) + d.left;
                        for (int i = 0; i < n; ++i) {
                            const uint32_t a = cov[i];
                            if (a == 0) continue;
                            if (a == 255) {
                                row[i] = fg;
                                continue;
                            }
                            const uint32_t t = row[i];
                            auto blend = [a](uint32_t s, uint32_t u) {
                                return (s * a + u * (255 - a) + 127) / 255;
                            };
                            row[i] = (blend((fg >> 16) & 0xFF, (t >> 16) & 0xFF) << 16) |
                                     (blend((fg >> 8) & 0xFF, (t >> 8) & 0xFF) << 8) |
                                     blend(fg & 0xFF, t & 0xFF);
                        }
                    }
                }
            }
        }
        const bool underlineAll = font_.Spec().underline;
        bool underlineThis = underlineAll;
        while (nextUnderline < underlined.size() && underlined[nextUnderline] < idx)
            ++nextUnderline;
        if (nextUnderline < underlined.size() && underlined[nextUnderline] == idx) {
            underlineThis = true;
        }
        if (underlineThis && g.advance > 0) {
            for (int t = 0; t < m.underlineThickness; ++t) {
                const int uy = base + m.underlineOffset + t;
                if (uy < area.top || uy >= area.bottom) continue;
                SpanDevice(uy, std::max(penX, area.left), std::min(penX + g.advance, area.right),
                           fg, R2_COPYPEN);
            }
        }
        penX += g.advance;
    }
}

bool Canvas::IsVisibleDevice(int dx, int dy) const {
    for (const Rect& c : clip_) {
        if (c.Contains(dx, dy)) return true;
    }
    return false;
}

void Canvas::TextOut(int x, int y, std::string_view text, TextEncoding encoding) {
    // No text reaches from that far into a surface.
    if (x != HoldTextCoordinate(x) || y != HoldTextCoordinate(y)) return;
    const std::u32string cps = DecodeText(text, encoding);
    const FontMetrics& m = font_.Metrics();
    const int width = font_.MeasureCodepoints(cps).cx;
    int left = x;
    switch (textAlign_ & TA_CENTER) {
        case TA_CENTER:
            left = x - width / 2;
            break;
        case TA_RIGHT:
            left = x - width;
            break;
        default:
            break;
    }
    int baseline = y + m.ascent;
    switch (textAlign_ & TA_BASELINE) {
        case TA_BASELINE:
            baseline = y;
            break;
        case TA_BOTTOM:
            baseline = y - m.descent;
            break;
        default:
            break;
    }
    if (bkMode_ == OPAQUE) {
        FillRect({left, baseline - m.ascent, left + width, baseline + m.descent},
                 Brush::SolidColor(bkColor_));
    }
    DrawGlyphs(left, baseline, cps, nullptr, {});
    ReportText(*this, cps, {left, baseline - m.ascent, left + width, baseline + m.descent}, nullptr, false);
}

Size Canvas::GetTextExtent(std::string_view text, TextEncoding encoding) const {
    return font_.MeasureText(text, encoding);
}

namespace {

struct TextLine {
    std::u32string text;
    std::vector<std::size_t> underlined;  // indices into text
};

int LineWidth(const Font& font, std::u32string_view s) {
    int w = 0;
    for (char32_t c : s) w += font.Advance(c);
    return w;
}

// Cuts the line and appends "..." so that it fits the width.
void AddEndEllipsis(const Font& font, TextLine& line, int width) {
    if (LineWidth(font, line.text) <= width) return;
    const int dots = LineWidth(font, U"...");
    int w = 0;
    std::size_t keep = 0;
    while (keep < line.text.size() && w + font.Advance(line.text[keep]) + dots <= width) {
        w += font.Advance(line.text[keep]);
        ++keep;
    }
    line.text.resize(keep);
    line.text += U"...";
    std::erase_if(line.underlined, [keep](std::size_t i) { return i >= keep; });
}

}  // namespace

int Canvas::DrawText(std::string_view text, Rect& r, uint32_t format, TextEncoding encoding) {
    std::u32string cps = DecodeText(text, encoding);

    // Prefix characters: "&x" underlines x, "&&" is one ampersand.
    std::u32string plain;
    std::vector<std::size_t> marks;
    for (std::size_t i = 0; i < cps.size(); ++i) {
        if (!(format & DT_NOPREFIX) && cps[i] == U'&') {
            if (i + 1 < cps.size() && cps[i + 1] == U'&') {
                plain.push_back(U'&');
                ++i;
            } else if (i + 1 < cps.size()) {
                marks.push_back(plain.size());
            }
            continue;
        }
        if (cps[i] == U'\t' && (format & DT_EXPANDTABS)) {
            // Tab stops every eight character cells.
            std::size_t col = plain.size() - (plain.rfind(U'\n') + 1);
            do {
                plain.push_back(U' ');
                ++col;
            } while (col % 8 != 0);
            continue;
        }
        plain.push_back(cps[i]);
    }

    // Break into lines.
    std::vector<TextLine> lines;
    const int width = r.Width();
    auto pushLine = [&](std::size_t from, std::size_t to) {
        TextLine line;
        line.text = plain.substr(from, to - from);
        for (std::size_t m : marks) {
            if (m >= from && m < to) line.underlined.push_back(m - from);
        }
        lines.push_back(std::move(line));
    };
    if (format & DT_SINGLELINE) {
        pushLine(0, plain.size());
    } else {
        std::size_t start = 0;
        while (start <= plain.size()) {
            std::size_t end = plain.find(U'\n', start);
            if (end == std::u32string::npos) end = plain.size();
            std::size_t stop = end;
            if (stop > start && plain[stop - 1] == U'\r') --stop;
            if (!(format & DT_WORDBREAK)) {
                pushLine(start, stop);
            } else {
                // Break after spaces and around full-width characters, where Japanese
                // typesetting lets a line end; a word wider than the rectangle stays whole.
                auto breakableBefore = [&](std::size_t i) {
                    return (plain[i - 1] == U' ' || IsFullWidthBreakable(plain[i]) ||
                            IsFullWidthBreakable(plain[i - 1])) &&
                           MayBreakBetween(plain[i - 1], plain[i]);
                };
                std::size_t ls = start;
                while (true) {
                    int w = 0;
                    std::size_t i = ls, lastBreak = std::u32string::npos;
                    while (i < stop) {
                        if (i > ls && breakableBefore(i)) lastBreak = i;
                        const int adv = font_.Advance(plain[i]);
                        if (w + adv > width && i > ls && plain[i] != U' ' &&
                            lastBreak != std::u32string::npos) {
                            break;
                        }
                        w += adv;
                        ++i;
                    }
                    if (i >= stop) {
                        pushLine(ls, stop);
                        break;
                    }
                    std::size_t lineEnd = lastBreak;
                    while (lineEnd > ls && plain[lineEnd - 1] == U' ') --lineEnd;
                    pushLine(ls, lineEnd);
                    ls = lastBreak;
                    while (ls < stop && plain[ls] == U' ') ++ls;
                    if (ls >= stop) break;
                }
            }
            if (end == plain.size()) break;
            start = end + 1;
        }
    }
    std::vector<bool> shortened(lines.size(), false);
    if (format & DT_END_ELLIPSIS) {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const std::u32string whole = lines[i].text;
            AddEndEllipsis(font_, lines[i], width);
            shortened[i] = lines[i].text != whole;
        }
    }

    const FontMetrics& m = font_.Metrics();
    const int lineHeight = m.height;
    const int total = lineHeight * int(lines.size());
    int maxWidth = 0;
    for (const TextLine& line : lines) maxWidth = std::max(maxWidth, LineWidth(font_, line.text));

    if (format & DT_CALCRECT) {
        if ((format & DT_SINGLELINE) || !(format & DT_WORDBREAK) || maxWidth > width) {
            r.right = Rect::Saturate(int64_t(r.left) + maxWidth);
        }
        r.bottom = Rect::Saturate(int64_t(r.top) + total);
        return total;
    }

    // Text is laid out within a rectangle held to a range no text reaches beyond, so that the
    // placing sums stay within int; within that range nothing changes.
    const Rect given = r;
    const Rect layout{HoldTextCoordinate(r.left), HoldTextCoordinate(r.top),
                      HoldTextCoordinate(r.right), HoldTextCoordinate(r.bottom)};
    r = layout;
    int top = r.top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER) {
            top = r.top + (r.Height() - lineHeight) / 2;
        } else if (format & DT_BOTTOM) {
            top = r.bottom - lineHeight;
        }
    }
    const Rect* limit = (format & DT_NOCLIP) ? nullptr : &r;
    for (std::size_t n = 0; n < lines.size(); ++n) {
        const TextLine& line = lines[n];
        const int lw = LineWidth(font_, line.text);
        int left = r.left;
        if (format & DT_CENTER) {
            left = r.left + (r.Width() - lw) / 2;
        } else if (format & DT_RIGHT) {
            left = r.right - lw;
        }
        if (bkMode_ == OPAQUE) {
            Rect box{left, top, left + lw, top + lineHeight};
            if (limit) box = box.Intersect(*limit);
            FillRect(box, Brush::SolidColor(bkColor_));
        }
        DrawGlyphs(left, top + m.ascent, line.text, limit, line.underlined);
        ReportText(*this, line.text, {left, top, left + lw, top + lineHeight}, limit, shortened[n]);
        top += lineHeight;
    }
    r = given;
    return total;
}

}  // namespace zv::ui
