// EDIT: single- and multi-line text entry over Shift-JIS text (EditText), with selection by
// mouse and keys, the caret, one step of undo, the system clipboard and text composed by an
// input method shown at the caret.

#include <algorithm>
#include <vector>

#include "platform/core/Sjis.h"
#include "platform/ui/ClassicTheme.h"
#include "platform/ui/Text.h"
#include "platform/ui/controls/ControlSupport.h"
#include "platform/ui/controls/EditText.h"
#include "platform/ui/controls/StandardControls.h"

namespace zv::ui::controls {

namespace {

constexpr int kMargin = 2;

struct Line {
    std::size_t start = 0;
    std::size_t end = 0;   // before the line break, if any
    std::size_t next = 0;  // start of the following line
};

struct EditState {
    EditText text;
    ControlFont font;
    char passwordChar = '*';
    bool focused = false;
    bool modified = false;
    bool dragging = false;
    char pendingLead = 0;  // first byte of a double-byte character typed in two WM_CHARs
    int scrollX = 0;       // pixels, single-line
    int firstLine = 0;     // multi-line
    std::vector<Line> lines;
    std::string composition;  // shown at the caret while an input method composes
    std::size_t compositionCursor = 0;
    Hwnd balloon{};  // the notice under a number edit that refused a character
};

uint32_t Style(Hwnd h) {
    return StyleOf(h);
}
bool IsMulti(Hwnd h) {
    return (Style(h) & ES_MULTILINE) != 0;
}
bool IsReadOnly(Hwnd h) {
    return (Style(h) & ES_READONLY) != 0;
}
bool IsPassword(Hwnd h) {
    return (Style(h) & ES_PASSWORD) != 0 && !IsMulti(h);
}

EditRules RulesOf(Hwnd h) {
    const uint32_t s = Style(h);
    EditRules r;
    r.multiLine = (s & ES_MULTILINE) != 0;
    r.numbersOnly = (s & ES_NUMBER) != 0;
    r.upperCase = (s & ES_UPPERCASE) != 0;
    r.lowerCase = (s & ES_LOWERCASE) != 0;
    return r;
}

Rect FormatRect(Hwnd h) {
    Rect c;
    GetClientRect(h, &c);
    return {c.left + kMargin, c.top + 1, c.right - kMargin, c.bottom - 1};
}

int LineHeight(const EditState* s) {
    return std::max(1, s->font.font.Metrics().height);
}

// What is drawn for a piece of the text: the password character once per character.
std::string Display(Hwnd h, const EditState* s, std::string_view piece) {
    if (!IsPassword(h)) return std::string(piece);
    std::string out;
    for (std::size_t i = 0; i < piece.size(); i = NextCharEnd(piece, i)) out += s->passwordChar;
    return out;
}

int Width(Hwnd h, const EditState* s, std::string_view piece) {
    if (piece.empty()) return 0;
    return s->font.font.MeasureText(Display(h, s, piece)).cx;
}

void Layout(Hwnd h, EditState* s) {
    s->lines.clear();
    const std::string& t = s->text.Text();
    if (!IsMulti(h)) {
        s->lines.push_back({0, t.size(), t.size()});
        return;
    }
    const bool wrap = !(Style(h) & ES_AUTOHSCROLL);
    const int width = std::max(1, FormatRect(h).Width());
    std::size_t pos = 0;
    while (true) {
        std::size_t br = t.find("\r\n", pos);
        const std::size_t paraEnd = br == std::string::npos ? t.size() : br;
        std::size_t start = pos;
        if (wrap) {
            // Break where the next character would pass the right edge, after a space if the
            // line has one, else where a Japanese line may break.
            while (Width(h, s, std::string_view(t).substr(start, paraEnd - start)) > width) {
                std::size_t cut = start;
                std::size_t lastSpace = std::string::npos;
                std::vector<std::size_t> starts;  // where each character of the line begins
                while (cut < paraEnd) {
                    const std::size_t next = NextCharEnd(t, cut);
                    starts.push_back(cut);
                    if (Width(h, s, std::string_view(t).substr(start, next - start)) > width) break;
                    if (t[cut] == ' ') lastSpace = next;
                    cut = next;
                }
                if (cut == start) cut = NextCharEnd(t, start);
                if (lastSpace != std::string::npos && lastSpace > start && lastSpace < cut + 1) {
                    cut = lastSpace;
                } else if (cut < paraEnd && starts.size() > 1) {
                    std::u32string points;
                    for (std::size_t k = 0; k < starts.size(); ++k) {
                        const std::size_t to =
                            k + 1 < starts.size() ? starts[k + 1] : NextCharEnd(t, starts[k]);
                        const std::u32string c =
                            DecodeText(t.substr(starts[k], to - starts[k]), TextEncoding::ShiftJis);
                        points.push_back(c.empty() ? U'?' : c[0]);
                    }
                    cut = starts[LineEndBefore(points, starts.size() - 1)];
                }
                s->lines.push_back({start, cut, cut});
                start = cut;
            }
        }
        if (br == std::string::npos) {
            s->lines.push_back({start, paraEnd, paraEnd});
            break;
        }
        s->lines.push_back({start, paraEnd, br + 2});
        pos = br + 2;
    }
}

int LineOf(const EditState* s, std::size_t pos) {
    for (std::size_t i = 0; i < s->lines.size(); ++i) {
        const Line& l = s->lines[i];
        const bool last = i + 1 == s->lines.size();
        if (pos < l.next || last) {
            // A position at a wrap point belongs to the next line.
            if (pos == l.end && l.end == l.next && !last && l.end != l.start) continue;
            return int(i);
        }
    }
    return 0;
}

int VisibleLines(Hwnd h, const EditState* s) {
    return std::max(1, FormatRect(h).Height() / LineHeight(s));
}

// The text origin of a line in client coordinates.
Point LineOrigin(Hwnd h, const EditState* s, int line) {
    const Rect fr = FormatRect(h);
    if (!IsMulti(h)) {
        const int y = fr.top + std::max(0, (fr.Height() - LineHeight(s)) / 2);
        int x = fr.left - s->scrollX;
        const int w = Width(h, s, s->text.Text());
        if ((Style(h) & ES_CENTER) == ES_CENTER) x = fr.left + (fr.Width() - w) / 2;
        if ((Style(h) & 3) == ES_RIGHT) x = fr.right - w;
        return {x, y};
    }
    return {fr.left, fr.top + (line - s->firstLine) * LineHeight(s)};
}

Point PosToPoint(Hwnd h, const EditState* s, std::size_t pos) {
    const int line = LineOf(s, pos);
    const Line& l = s->lines[std::size_t(line)];
    Point o = LineOrigin(h, s, line);
    o.x += Width(h, s, std::string_view(s->text.Text()).substr(l.start, pos - l.start));
    return o;
}

std::size_t PointToPos(Hwnd h, const EditState* s, Point p) {
    int line = 0;
    if (IsMulti(h)) {
        const Rect fr = FormatRect(h);
        line = s->firstLine + (p.y - fr.top) / LineHeight(s);
        if (p.y < fr.top) line = s->firstLine - 1;
        line = std::clamp(line, 0, int(s->lines.size()) - 1);
    }
    const Line& l = s->lines[std::size_t(line)];
    const std::string& t = s->text.Text();
    const int x0 = LineOrigin(h, s, line).x;
    std::size_t best = l.start;
    for (std::size_t i = l.start; i < l.end;) {
        const std::size_t next = NextCharEnd(t, i);
        const int left = x0 + Width(h, s, std::string_view(t).substr(l.start, i - l.start));
        const int right = x0 + Width(h, s, std::string_view(t).substr(l.start, next - l.start));
        if (p.x < (left + right + 1) / 2) return i;
        best = next;
        i = next;
    }
    return best;
}

void UpdateInputRect(Hwnd h, const EditState* s) {
    WindowManager* wm = WindowManager::Current();
    if (!wm || !s->focused) return;
    Point p = PosToPoint(h, s, s->text.Caret());
    ClientToScreen(h, &p);
    wm->GetBackend().SetTextInputRect({p.x, p.y, p.x + 1, p.y + LineHeight(s)});
}

void ScrollToCaret(Hwnd h, EditState* s) {
    const Rect fr = FormatRect(h);
    if (!IsMulti(h)) {
        if (!(Style(h) & (ES_CENTER | ES_RIGHT))) {
            const int caretX =
                Width(h, s, std::string_view(s->text.Text()).substr(0, s->text.Caret())) +
                Width(h, s, s->composition);
            const int total = Width(h, s, s->text.Text());
            if (caretX - s->scrollX > fr.Width() - 1) s->scrollX = caretX - fr.Width() * 3 / 4;
            if (caretX - s->scrollX < 0) s->scrollX = std::max(0, caretX - fr.Width() / 4);
            // Never leave empty space on the right while text is hidden on the left.
            s->scrollX = std::clamp(s->scrollX, 0, std::max(0, total - fr.Width() + 1));
            if (caretX - s->scrollX > fr.Width() - 1) s->scrollX = caretX - fr.Width() + 1;
        }
    } else {
        const int line = LineOf(s, s->text.Caret());
        const int visible = VisibleLines(h, s);
        if (line < s->firstLine) s->firstLine = line;
        if (line >= s->firstLine + visible) s->firstLine = line - visible + 1;
        s->firstLine = std::clamp(s->firstLine, 0, std::max(0, int(s->lines.size()) - 1));
    }
    UpdateInputRect(h, s);
}

void Refresh(Hwnd h, EditState* s) {
    Layout(h, s);
    ScrollToCaret(h, s);
    InvalidateRect(h, nullptr, false);
}

// After every change of the text by the user or a message: EN_UPDATE before the new text
// shows, EN_CHANGE after.
void Changed(Hwnd h, EditState* s) {
    s->modified = true;
    Layout(h, s);
    ScrollToCaret(h, s);
    NotifyCommand(h, EN_UPDATE);
    InvalidateRect(h, nullptr, false);
    NotifyCommand(h, EN_CHANGE);
}

constexpr uintptr_t kBalloonTimer = 0x7E01;
constexpr uint32_t kBalloonMs = 3000;

void HideBalloon(Hwnd h, EditState* s) {
    if (!s->balloon) return;
    KillTimer(h, kBalloonTimer);
    DestroyWindow(s->balloon);
    s->balloon = {};
}

// A number edit says why it refused what was typed, under itself, for a few seconds.
void ShowNumbersOnlyBalloon(Hwnd h, EditState* s) {
    HideBalloon(h, s);
    const std::string text = core::Utf8ToSjis("ここには数字しか入力できません。");
    const Size ext = s->font.font.MeasureText(text);
    Rect r;
    GetWindowRect(h, &r);
    s->balloon =
        CreateWindowEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kStaticClass, text,
                       WS_POPUP | WS_BORDER | SS_CENTER | SS_CENTERIMAGE, r.left, r.bottom + 2,
                       ext.cx + 12, ext.cy + 8, GetAncestor(h, GA_ROOT), 0, nullptr, nullptr);
    if (!s->balloon) return;
    SendMessage(s->balloon, WM_SETFONT, reinterpret_cast<WParam>(&s->font.font), 0);
    ShowWindow(s->balloon, SW_SHOWNA);
    SetTimer(h, kBalloonTimer, kBalloonMs);
}

// Insertion by the user: single-line edits without ES_AUTOHSCROLL take no more than fits.
bool Insert(Hwnd h, EditState* s, std::string_view in, bool typing) {
    if (IsReadOnly(h)) return false;
    EditText trial = s->text;
    const EditText::Result r = trial.Replace(in, RulesOf(h), true, typing);
    if (r == EditText::Result::Refused) {
        if (Style(h) & ES_NUMBER) ShowNumbersOnlyBalloon(h, s);
        return false;
    }
    HideBalloon(h, s);
    if (!IsMulti(h) && !(Style(h) & ES_AUTOHSCROLL) &&
        Width(h, s, trial.Text()) > FormatRect(h).Width() && trial.Text() != s->text.Text()) {
        NotifyCommand(h, EN_MAXTEXT);
        return false;
    }
    const bool changed = trial.Text() != s->text.Text();
    s->text = std::move(trial);
    if (r == EditText::Result::Truncated) NotifyCommand(h, EN_MAXTEXT);
    if (changed) {
        Changed(h, s);
    } else {
        Refresh(h, s);
    }
    return changed;
}

// Clipboard text is UTF-8 with '\n' line ends; edits hold Shift-JIS with "\r\n".
void CopySelection(Hwnd h, EditState* s) {
    WindowManager* wm = WindowManager::Current();
    if (!wm || IsPassword(h) || !s->text.HasSelection()) return;
    std::string utf8 = core::SjisToUtf8(s->text.Selected());
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if (utf8[i] == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') continue;
        out += utf8[i];
    }
    wm->GetBackend().SetClipboardText(out);
}

void Paste(Hwnd h, EditState* s) {
    WindowManager* wm = WindowManager::Current();
    if (!wm) return;
    const std::string utf8 = wm->GetBackend().GetClipboardText();
    std::string crlf;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if (utf8[i] == '\r') continue;
        if (utf8[i] == '\n') {
            crlf += "\r\n";
        } else {
            crlf += utf8[i];
        }
    }
    if (!crlf.empty()) Insert(h, s, core::Utf8ToSjis(crlf), false);
}

void Cut(Hwnd h, EditState* s) {
    if (IsReadOnly(h) || IsPassword(h) || !s->text.HasSelection()) return;
    CopySelection(h, s);
    if (s->text.DeleteBack(true)) Changed(h, s);
}

void Clear(Hwnd h, EditState* s) {
    if (IsReadOnly(h) || !s->text.HasSelection()) return;
    if (s->text.DeleteBack(true)) Changed(h, s);
}

void Undo(Hwnd h, EditState* s) {
    if (IsReadOnly(h)) return;
    if (s->text.Undo()) Changed(h, s);
}

std::size_t WordStart(const std::string& t, std::size_t pos) {
    while (pos > 0) {
        const std::size_t prev = PrevCharStart(t, pos);
        if (t[prev] == ' ' || t[prev] == '\n' || t[prev] == '\r') break;
        pos = prev;
    }
    return pos;
}
std::size_t WordEnd(const std::string& t, std::size_t pos) {
    while (pos < t.size() && t[pos] != ' ' && t[pos] != '\r' && t[pos] != '\n') {
        pos = NextCharEnd(t, pos);
    }
    return pos;
}

void KeyDown(Hwnd h, EditState* s, uint32_t vk) {
    const bool shift = ShiftDown();
    const bool ctrl = ControlDown();
    const std::string& t = s->text.Text();
    const std::size_t caret = s->text.Caret();
    auto move = [&](std::size_t to) {
        s->text.MoveCaret(to, shift);
        Refresh(h, s);
    };
    switch (vk) {
        case VK_LEFT:
            if (!shift && s->text.HasSelection()) {
                move(s->text.SelStart());
            } else {
                std::size_t to = PrevCharStart(t, caret);
                if (to > 0 && t[to] == '\n' && t[to - 1] == '\r') --to;
                move(ctrl ? WordStart(t, to) : to);
            }
            break;
        case VK_RIGHT:
            if (!shift && s->text.HasSelection()) {
                move(s->text.SelEnd());
            } else {
                std::size_t to = NextCharEnd(t, caret);
                if (caret < t.size() && t[caret] == '\r' && to < t.size() && t[to] == '\n') ++to;
                move(ctrl ? WordEnd(t, to) : to);
            }
            break;
        case VK_HOME:
            move(ctrl ? 0 : s->lines[std::size_t(LineOf(s, caret))].start);
            break;
        case VK_END:
            move(ctrl ? t.size() : s->lines[std::size_t(LineOf(s, caret))].end);
            break;
        case VK_UP:
        case VK_DOWN:
        case VK_PRIOR:
        case VK_NEXT: {
            if (!IsMulti(h)) break;
            const int step = (vk == VK_PRIOR || vk == VK_NEXT) ? VisibleLines(h, s) : 1;
            const int line = LineOf(s, caret);
            const int to = std::clamp(line + ((vk == VK_UP || vk == VK_PRIOR) ? -step : step), 0,
                                      int(s->lines.size()) - 1);
            Point p = PosToPoint(h, s, caret);
            p.y = LineOrigin(h, s, to).y;
            move(PointToPos(h, s, p));
            break;
        }
        case VK_DELETE:
            if (IsReadOnly(h)) break;
            if (shift) {
                Cut(h, s);
            } else if (s->text.DeleteForward(true)) {
                Changed(h, s);
            }
            break;
        case VK_INSERT:
            if (ctrl) CopySelection(h, s);
            if (shift) Paste(h, s);
            break;
        default:
            break;
    }
}

void Char(Hwnd h, EditState* s, unsigned char c) {
    if (s->pendingLead) {
        const char pair[2] = {s->pendingLead, static_cast<char>(c)};
        s->pendingLead = 0;
        Insert(h, s, std::string_view(pair, 2), true);
        return;
    }
    switch (c) {
        case 0x01:  // Ctrl+A
            s->text.Select(0, s->text.Text().size());
            Refresh(h, s);
            return;
        case 0x03:  // Ctrl+C
            CopySelection(h, s);
            return;
        case 0x16:  // Ctrl+V
            if (!IsReadOnly(h)) Paste(h, s);
            return;
        case 0x18:  // Ctrl+X
            Cut(h, s);
            return;
        case 0x1A:  // Ctrl+Z
            Undo(h, s);
            return;
        case 0x08:  // Backspace
            if (!IsReadOnly(h) && s->text.DeleteBack(true)) Changed(h, s);
            return;
        case '\r':
            if (IsMulti(h)) Insert(h, s, "\r\n", false);
            return;
        default:
            break;
    }
    if (c < 0x20 || c == 0x7F) return;
    if (core::IsSjisLeadByte(c)) {
        s->pendingLead = static_cast<char>(c);
        return;
    }
    const char one = static_cast<char>(c);
    Insert(h, s, std::string_view(&one, 1), true);
}

void DrawRun(Canvas& dc, int x, int y, std::string_view text, ColorRef fg, ColorRef bg,
             bool opaque) {
    dc.SetTextColor(fg);
    dc.SetBkColor(bg);
    dc.SetBkMode(opaque ? OPAQUE : TRANSPARENT);
    dc.TextOut(x, y, text);
}

void Paint(Hwnd h, EditState* s) {
    PaintStruct ps;
    Canvas* dc = BeginPaint(h, &ps);
    if (!dc) return;
    Rect client;
    GetClientRect(h, &client);
    const bool grey = IsReadOnly(h) || !IsWindowEnabled(h);
    const Brush* bg = ParentColors(h, dc, grey ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT);
    const ColorRef textColor = IsWindowEnabled(h) ? dc->TextColor() : GetSysColor(COLOR_GRAYTEXT);
    const ColorRef backColor = dc->BkColor();
    if (bg) dc->FillRect(client, *bg);
    dc->SelectFont(s->font.font);
    const Rect fr = FormatRect(h);
    dc->IntersectClipRect({fr.left - 1, client.top, fr.right + 1, client.bottom});

    const std::string& t = s->text.Text();
    const bool showSel = s->text.HasSelection() && (s->focused || (Style(h) & ES_NOHIDESEL));
    const std::size_t selA = s->text.SelStart();
    const std::size_t selB = s->text.SelEnd();
    const std::size_t caret = s->text.Caret();
    const bool composing = !s->composition.empty() && s->focused;
    const int caretLine = LineOf(s, caret);
    const int lineH = LineHeight(s);
    const int last =
        IsMulti(h) ? std::min(int(s->lines.size()), s->firstLine + VisibleLines(h, s) + 1) : 1;
    for (int i = IsMulti(h) ? s->firstLine : 0; i < last; ++i) {
        const Line& l = s->lines[std::size_t(i)];
        const Point o = LineOrigin(h, s, i);
        int x = o.x;
        auto run = [&](std::size_t a, std::size_t b, bool selected) {
            if (b <= a) return;
            const std::string shown = Display(h, s, std::string_view(t).substr(a, b - a));
            DrawRun(*dc, x, o.y, shown, selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : textColor,
                    selected ? GetSysColor(COLOR_HIGHLIGHT) : backColor, selected);
            x += dc->GetTextExtent(shown).cx;
        };
        auto runs = [&](std::size_t a, std::size_t b) {
            if (!showSel) {
                run(a, b, false);
                return;
            }
            run(a, std::clamp(selA, a, b), false);
            run(std::clamp(selA, a, b), std::clamp(selB, a, b), true);
            run(std::clamp(selB, a, b), b, false);
        };
        if (composing && i == caretLine) {
            runs(l.start, caret);
            // The composition replaces nothing until it is committed: it shows at the caret,
            // underlined, and pushes the rest of the line to the right.
            const int cx = x;
            DrawRun(*dc, x, o.y, s->composition, textColor, backColor, false);
            x += dc->GetTextExtent(s->composition).cx;
            dc->FillSolid({cx, o.y + lineH - 1, x, o.y + lineH}, textColor);
            runs(caret, l.end);
        } else {
            runs(l.start, l.end);
        }
    }

    if (s->focused) {
        Point p = PosToPoint(h, s, caret);
        if (composing) {
            p.x += dc->GetTextExtent(
                         std::string_view(s->composition)
                             .substr(0, std::min(s->compositionCursor, s->composition.size())))
                       .cx;
        }
        if (!IsMulti(h) ||
            (caretLine >= s->firstLine && caretLine < s->firstLine + VisibleLines(h, s))) {
            dc->InvertRect({p.x, p.y, p.x + 1, p.y + lineH});
        }
    }
    EndPaint(h, &ps);
}

void ReadComposition(Hwnd h, EditState* s) {
    WindowManager* wm = WindowManager::Current();
    if (!wm || IsReadOnly(h)) return;
    s->composition = wm->GetComposition().text;
    s->compositionCursor = wm->GetComposition().cursor;
    ScrollToCaret(h, s);
    InvalidateRect(h, nullptr, false);
}

LResult GetLine(EditState* s, WParam line, LParam buffer) {
    auto* buf = reinterpret_cast<char*>(buffer);
    if (!buf || line >= s->lines.size()) return 0;
    // The first two bytes of the buffer give its size; nothing terminates the copy.
    const std::size_t size = std::size_t(uint8_t(buf[0])) | (std::size_t(uint8_t(buf[1])) << 8);
    const Line& l = s->lines[line];
    const std::string_view text = std::string_view(s->text.Text()).substr(l.start, l.end - l.start);
    const std::size_t n = core::SjisCutLength(text, size);
    std::copy_n(text.data(), n, buf);
    return LResult(n);
}

LResult OnSetFont(Hwnd h, EditState* s, uint32_t msg, WParam wp, LParam lp) {
    const LResult r = HandleFont(h, s, msg, wp, lp);
    Refresh(h, s);
    return r;
}

LResult OnCreate(Hwnd h, EditState* s, uint32_t, WParam, LParam lp) {
    const auto* cs = reinterpret_cast<const CreateStruct*>(lp);
    if (cs && cs->name) s->text.SetText(cs->name);
    Layout(h, s);
    return 0;
}

LResult OnDestroy(Hwnd h, EditState* s, uint32_t, WParam, LParam) {
    HideBalloon(h, s);
    return 0;
}

LResult OnTimer(Hwnd h, EditState* s, uint32_t, WParam wp, LParam) {
    if (wp == kBalloonTimer) HideBalloon(h, s);
    return 0;
}

LResult OnSize(Hwnd h, EditState* s, uint32_t, WParam, LParam) {
    Refresh(h, s);
    return 0;
}

LResult OnGetDlgCode(Hwnd h, EditState*, uint32_t, WParam, LParam) {
    LResult code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
    if (IsMulti(h)) code |= DLGC_WANTALLKEYS;
    return code;
}

LResult OnPaint(Hwnd h, EditState* s, uint32_t, WParam, LParam) {
    Paint(h, s);
    return 0;
}

LResult OnEnable(Hwnd h, EditState*, uint32_t, WParam, LParam) {
    InvalidateRect(h, nullptr, false);
    return 0;
}

LResult OnSetText(Hwnd h, EditState* s, uint32_t, WParam, LParam lp) {
    const char* text = reinterpret_cast<const char*>(lp);
    s->text.SetText(text ? text : "");
    s->scrollX = 0;
    s->firstLine = 0;
    s->modified = false;
    Layout(h, s);
    NotifyCommand(h, EN_UPDATE);
    InvalidateRect(h, nullptr, false);
    NotifyCommand(h, EN_CHANGE);
    return 1;
}

LResult OnGetTextLength(Hwnd, EditState* s, uint32_t, WParam, LParam) {
    return LResult(s->text.Text().size());
}

LResult OnGetText(Hwnd, EditState* s, uint32_t, WParam wp, LParam lp) {
    return LResult(CopyOut(s->text.Text(), reinterpret_cast<char*>(lp), wp));
}

LResult OnSetFocus(Hwnd h, EditState* s, uint32_t, WParam, LParam) {
    s->focused = true;
    UpdateInputRect(h, s);
    InvalidateRect(h, nullptr, false);
    NotifyCommand(h, EN_SETFOCUS);
    return 0;
}

LResult OnKillFocus(Hwnd h, EditState* s, uint32_t, WParam, LParam) {
    HideBalloon(h, s);
    s->focused = false;
    s->composition.clear();
    s->pendingLead = 0;
    InvalidateRect(h, nullptr, false);
    NotifyCommand(h, EN_KILLFOCUS);
    return 0;
}

LResult OnButtonDown(Hwnd h, EditState* s, uint32_t, WParam wp, LParam lp) {
    if (GetFocus() != h) SetFocus(h);
    const std::size_t pos = PointToPos(h, s, {GetXLParam(lp), GetYLParam(lp)});
    s->text.MoveCaret(pos, (wp & MK_SHIFT) != 0);
    s->dragging = true;
    SetCapture(h);
    Refresh(h, s);
    return 0;
}

LResult OnDoubleClick(Hwnd h, EditState* s, uint32_t, WParam, LParam lp) {
    const std::size_t pos = PointToPos(h, s, {GetXLParam(lp), GetYLParam(lp)});
    const std::string& t = s->text.Text();
    s->text.Select(WordStart(t, pos), WordEnd(t, pos));
    Refresh(h, s);
    return 0;
}

LResult OnMouseMove(Hwnd h, EditState* s, uint32_t, WParam, LParam lp) {
    if (s->dragging) {
        const std::size_t pos = PointToPos(h, s, {GetXLParam(lp), GetYLParam(lp)});
        if (pos != s->text.Caret()) {
            s->text.MoveCaret(pos, true);
            Refresh(h, s);
        }
    }
    return 0;
}

LResult OnDragEnd(Hwnd h, EditState* s, uint32_t msg, WParam, LParam) {
    if (s->dragging) {
        s->dragging = false;
        if (msg == WM_LBUTTONUP && GetCapture() == h) ReleaseCapture();
    }
    return 0;
}

LResult OnKeyDown(Hwnd h, EditState* s, uint32_t, WParam wp, LParam) {
    KeyDown(h, s, static_cast<uint32_t>(wp));
    return 0;
}

LResult OnChar(Hwnd h, EditState* s, uint32_t, WParam wp, LParam) {
    Char(h, s, static_cast<unsigned char>(wp));
    return 0;
}

LResult OnComposition(Hwnd h, EditState* s, uint32_t, WParam, LParam) {
    ReadComposition(h, s);
    return 0;
}

LResult OnEndComposition(Hwnd h, EditState* s, uint32_t, WParam, LParam) {
    s->composition.clear();
    s->compositionCursor = 0;
    Refresh(h, s);
    return 0;
}

LResult OnMouseWheel(Hwnd h, EditState* s, uint32_t msg, WParam wp, LParam lp) {
    if (IsMulti(h)) {
        const int lines = -WheelRows(wp, 3);
        s->firstLine = std::clamp(s->firstLine + lines, 0, std::max(0, int(s->lines.size()) - 1));
        InvalidateRect(h, nullptr, false);
        return 0;
    }
    return DefWindowProc(h, msg, wp, lp);
}

LResult OnCopy(Hwnd h, EditState* s, uint32_t, WParam, LParam) {
    CopySelection(h, s);
    return 0;
}

LResult OnCut(Hwnd h, EditState* s, uint32_t, WParam, LParam) {
    Cut(h, s);
    return 0;
}

LResult OnPaste(Hwnd h, EditState* s, uint32_t, WParam, LParam) {
    if (!IsReadOnly(h)) Paste(h, s);
    return 0;
}

LResult OnClear(Hwnd h, EditState* s, uint32_t, WParam, LParam) {
    Clear(h, s);
    return 0;
}

LResult OnUndo(Hwnd h, EditState* s, uint32_t, WParam, LParam) {
    if (IsReadOnly(h) || !s->text.CanUndo()) return 0;
    Undo(h, s);
    return 1;
}

LResult OnCanUndo(Hwnd, EditState* s, uint32_t, WParam, LParam) {
    return s->text.CanUndo() ? 1 : 0;
}

LResult OnEmptyUndoBuffer(Hwnd, EditState* s, uint32_t, WParam, LParam) {
    s->text.ClearUndo();
    return 0;
}

LResult OnGetSel(Hwnd, EditState* s, uint32_t, WParam wp, LParam lp) {
    const auto a = static_cast<uint32_t>(s->text.SelStart());
    const auto b = static_cast<uint32_t>(s->text.SelEnd());
    if (auto* pa = reinterpret_cast<uint32_t*>(wp)) *pa = a;
    if (auto* pb = reinterpret_cast<uint32_t*>(lp)) *pb = b;
    return MakeLParam(int(std::min<uint32_t>(a, 0xFFFF)), int(std::min<uint32_t>(b, 0xFFFF)));
}

LResult OnSetSel(Hwnd h, EditState* s, uint32_t, WParam wp, LParam lp) {
    const auto start = static_cast<intptr_t>(static_cast<int32_t>(wp));
    const auto end = static_cast<intptr_t>(static_cast<int32_t>(lp));
    const std::size_t size = s->text.Text().size();
    if (start == -1) {
        s->text.MoveCaret(s->text.Caret(), false);
    } else {
        const std::size_t a = std::min<std::size_t>(std::size_t(start), size);
        const std::size_t b = end < 0 ? size : std::min<std::size_t>(std::size_t(end), size);
        s->text.Select(a, b);
    }
    Refresh(h, s);
    return 0;
}

LResult OnReplaceSel(Hwnd h, EditState* s, uint32_t, WParam wp, LParam lp) {
    const char* text = reinterpret_cast<const char*>(lp);
    EditText::Result r = s->text.Replace(text ? text : "", EditRules{IsMulti(h)}, wp != 0);
    if (r == EditText::Result::Truncated) NotifyCommand(h, EN_MAXTEXT);
    Changed(h, s);
    return 0;
}

LResult OnLimitText(Hwnd, EditState* s, uint32_t, WParam wp, LParam) {
    s->text.SetLimit(wp == 0 ? kEditDefaultLimit : std::size_t(wp));
    return 0;
}

LResult OnGetLimitText(Hwnd, EditState* s, uint32_t, WParam, LParam) {
    return LResult(s->text.Limit());
}

LResult OnGetModify(Hwnd, EditState* s, uint32_t, WParam, LParam) {
    return s->modified ? 1 : 0;
}

LResult OnSetModify(Hwnd, EditState* s, uint32_t, WParam wp, LParam) {
    s->modified = wp != 0;
    return 0;
}

LResult OnSetReadOnly(Hwnd h, EditState*, uint32_t, WParam wp, LParam) {
    const uint32_t style = Style(h);
    SetWindowLong(h, GWL_STYLE, int32_t(wp ? (style | ES_READONLY) : (style & ~ES_READONLY)));
    InvalidateRect(h, nullptr, false);
    return 1;
}

LResult OnSetPasswordChar(Hwnd h, EditState* s, uint32_t, WParam wp, LParam) {
    s->passwordChar = static_cast<char>(wp);
    const uint32_t style = Style(h);
    SetWindowLong(h, GWL_STYLE, int32_t(wp ? (style | ES_PASSWORD) : (style & ~ES_PASSWORD)));
    Refresh(h, s);
    return 0;
}

LResult OnGetPasswordChar(Hwnd h, EditState* s, uint32_t, WParam, LParam) {
    return IsPassword(h) ? static_cast<unsigned char>(s->passwordChar) : 0;
}

LResult OnGetLineCount(Hwnd, EditState* s, uint32_t, WParam, LParam) {
    return LResult(s->lines.size());
}

LResult OnGetFirstVisibleLine(Hwnd h, EditState* s, uint32_t, WParam, LParam) {
    return IsMulti(h) ? s->firstLine : 0;
}

LResult OnLineIndex(Hwnd, EditState* s, uint32_t, WParam wp, LParam) {
    const auto line = static_cast<intptr_t>(static_cast<int32_t>(wp));
    if (line < 0) return LResult(s->lines[std::size_t(LineOf(s, s->text.Caret()))].start);
    if (std::size_t(line) >= s->lines.size()) return -1;
    return LResult(s->lines[std::size_t(line)].start);
}

LResult OnLineLength(Hwnd, EditState* s, uint32_t, WParam wp, LParam) {
    const auto pos = static_cast<intptr_t>(static_cast<int32_t>(wp));
    const std::size_t at = pos < 0 ? s->text.Caret() : std::size_t(pos);
    if (at > s->text.Text().size()) return 0;
    const Line& l = s->lines[std::size_t(LineOf(s, at))];
    return LResult(l.end - l.start);
}

LResult OnLineFromChar(Hwnd, EditState* s, uint32_t, WParam wp, LParam) {
    const auto pos = static_cast<intptr_t>(static_cast<int32_t>(wp));
    return LineOf(s, pos < 0 ? s->text.Caret() : std::size_t(pos));
}

LResult OnGetLine(Hwnd, EditState* s, uint32_t, WParam wp, LParam lp) {
    return GetLine(s, wp, lp);
}

LResult OnScrollCaret(Hwnd h, EditState* s, uint32_t, WParam, LParam) {
    ScrollToCaret(h, s);
    InvalidateRect(h, nullptr, false);
    return 1;
}

LResult OnGetRect(Hwnd h, EditState*, uint32_t, WParam, LParam lp) {
    if (auto* r = reinterpret_cast<Rect*>(lp)) *r = FormatRect(h);
    return 0;
}

LResult OnPosFromChar(Hwnd h, EditState* s, uint32_t, WParam wp, LParam) {
    if (wp > s->text.Text().size()) return -1;
    const Point p = PosToPoint(h, s, std::size_t(wp));
    return MakeLParam(p.x, p.y);
}

LResult OnCharFromPos(Hwnd h, EditState* s, uint32_t, WParam, LParam lp) {
    const Point p{GetXLParam(lp), GetYLParam(lp)};
    const std::size_t pos = PointToPos(h, s, p);
    return MakeLParam(int(pos), LineOf(s, pos));
}

LResult EditProc(Hwnd h, uint32_t msg, WParam wp, LParam lp) {
    static const ControlMessages<EditState> kMessages{
        {WM_SETFONT, OnSetFont},
        {WM_CREATE, OnCreate},
        {WM_DESTROY, OnDestroy},
        {WM_TIMER, OnTimer},
        {WM_SIZE, OnSize},
        {WM_GETDLGCODE, OnGetDlgCode},
        {WM_PAINT, OnPaint},
        {WM_ENABLE, OnEnable},
        {WM_SETTEXT, OnSetText},
        {WM_GETTEXTLENGTH, OnGetTextLength},
        {WM_GETTEXT, OnGetText},
        {WM_SETFOCUS, OnSetFocus},
        {WM_KILLFOCUS, OnKillFocus},
        {WM_LBUTTONDOWN, OnButtonDown},
        {WM_LBUTTONDBLCLK, OnDoubleClick},
        {WM_MOUSEMOVE, OnMouseMove},
        {WM_LBUTTONUP, OnDragEnd},
        {WM_CAPTURECHANGED, OnDragEnd},
        {WM_KEYDOWN, OnKeyDown},
        {WM_CHAR, OnChar},
        {WM_IME_STARTCOMPOSITION, OnComposition},
        {WM_IME_COMPOSITION, OnComposition},
        {WM_IME_ENDCOMPOSITION, OnEndComposition},
        {WM_MOUSEWHEEL, OnMouseWheel},
        {WM_COPY, OnCopy},
        {WM_CUT, OnCut},
        {WM_PASTE, OnPaste},
        {WM_CLEAR, OnClear},
        {WM_UNDO, OnUndo},
        {EM_UNDO, OnUndo},
        {EM_CANUNDO, OnCanUndo},
        {EM_EMPTYUNDOBUFFER, OnEmptyUndoBuffer},
        {EM_GETSEL, OnGetSel},
        {EM_SETSEL, OnSetSel},
        {EM_REPLACESEL, OnReplaceSel},
        {EM_LIMITTEXT, OnLimitText},
        {EM_GETLIMITTEXT, OnGetLimitText},
        {EM_GETMODIFY, OnGetModify},
        {EM_SETMODIFY, OnSetModify},
        {EM_SETREADONLY, OnSetReadOnly},
        {EM_SETPASSWORDCHAR, OnSetPasswordChar},
        {EM_GETPASSWORDCHAR, OnGetPasswordChar},
        {EM_GETLINECOUNT, OnGetLineCount},
        {EM_GETFIRSTVISIBLELINE, OnGetFirstVisibleLine},
        {EM_LINEINDEX, OnLineIndex},
        {EM_LINELENGTH, OnLineLength},
        {EM_LINEFROMCHAR, OnLineFromChar},
        {EM_GETLINE, OnGetLine},
        {EM_SCROLLCARET, OnScrollCaret},
        {EM_GETRECT, OnGetRect},
        {EM_POSFROMCHAR, OnPosFromChar},
        {EM_CHARFROMPOS, OnCharFromPos},
    };
    return DispatchControl(kMessages, h, msg, wp, lp);
}

}  // namespace

bool RegisterEditClass() {
    return RegisterControlClass(kEditClass, EditProc, CS_DBLCLKS | CS_PARENTDC, 0);
}

}  // namespace zv::ui::controls
