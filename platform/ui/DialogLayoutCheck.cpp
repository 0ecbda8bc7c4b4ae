#include "platform/ui/DialogLayoutCheck.h"

#include <algorithm>

#include "platform/core/Sjis.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Text.h"
#include "platform/ui/TextFitCheck.h"
#include "platform/ui/Window.h"
#include "platform/ui/controls/ControlConstants.h"

namespace zv::ui {

namespace {

bool IsClass(const DialogItem& item, const char* name) {
    std::string a = item.className, b = name;
    for (char& c : a) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (char& c : b) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return a == b;
}

// The text as drawn: a single '&' marks a mnemonic and takes no room.
std::string Shown(const std::string& sjis, bool prefix) {
    if (!prefix) return sjis;
    std::string out;
    for (std::size_t i = 0; i < sjis.size(); ++i) {
        const auto c = static_cast<unsigned char>(sjis[i]);
        if (zv::core::IsSjisLeadByte(c) && i + 1 < sjis.size()) {
            out += sjis.substr(i, 2);
            ++i;
        } else if (c == '&' && i + 1 < sjis.size()) {
            out += sjis[++i];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

// Lines a word-wrapping static needs at this width (breaks between characters, where a
// Japanese line may break).
int LinesNeeded(const Font& font, const std::string& sjis, int width) {
    int lines = 1;
    std::u32string line;
    for (char32_t c : DecodeText(sjis, TextEncoding::ShiftJis)) {
        if (c == U'\r') continue;
        if (c == U'\n') {
            ++lines;
            line.clear();
            continue;
        }
        line.push_back(c);
        if (line.size() > 1 && font.MeasureCodepoints(line).cx > width) {
            ++lines;
            line.erase(0, LineEndBefore(line, line.size() - 1));
        }
    }
    return lines;
}

}  // namespace

std::vector<std::string> CheckDialogLayout(const DialogTemplate& t) {
    std::vector<std::string> problems;
    const std::string name = "dialog " + std::to_string(t.number);
    WindowManager* wm = WindowManager::Current();
    if (!wm) return {name + ": no window manager"};
    DialogTemplate hidden = t;
    hidden.style &= ~WS_VISIBLE;
    const Hwnd dlg = CreateDialogIndirectParam(nullptr, hidden, {}, nullptr, 0);
    if (!dlg) return {name + ": could not be built"};
    const Font font = DialogFontFor(t);
    Rect client;
    GetClientRect(dlg, &client);
    Rect outer;
    GetWindowRect(dlg, &outer);
    const Rect screen = wm->ScreenRect();
    if (outer.Width() > screen.Width() || outer.Height() > screen.Height()) {
        problems.push_back(name + ": larger than the " + std::to_string(screen.Width()) + " x " +
                           std::to_string(screen.Height()) + " screen");
    }
    const int lineHeight = font.Metrics().height;
    // Where the controls really are: a combo box's template height includes its drop-down
    // list, which shows only when opened.
    std::vector<Rect> rects;
    const std::vector<Hwnd> kids = GetDialogControls(dlg);
    for (std::size_t i = 0; i < t.items.size(); ++i) {
        Rect r =
            DialogUnitsToPixels(font, t.items[i].x, t.items[i].y, t.items[i].cx, t.items[i].cy);
        if (i < kids.size()) {
            Rect wr;
            GetWindowRect(kids[i], &wr);
            Point p{wr.left, wr.top};
            ScreenToClient(dlg, &p);
            r = {p.x, p.y, p.x + wr.Width(), p.y + wr.Height()};
        }
        rects.push_back(r);
    }
    for (std::size_t i = 0; i < t.items.size(); ++i) {
        const DialogItem& item = t.items[i];
        const Rect r = rects[i];
        const std::string what = name + " item " + std::to_string(item.id) + " (" + item.className +
                                 " \"" + item.text + "\")";
        if (r.left < 0 || r.top < 0 || r.right > client.right || r.bottom > client.bottom)
            problems.push_back(what + ": outside the dialog");
        for (std::size_t j = i + 1; j < t.items.size(); ++j) {
            if (item.mayOverlap || t.items[j].mayOverlap) continue;
            if (!r.Intersect(rects[j]).IsEmpty()) {
                problems.push_back(what + ": overlaps item " + std::to_string(t.items[j].id));
            }
        }
        if (item.text.empty()) continue;
        const uint32_t type = item.style & 0x0F;
        const bool isButton = IsClass(item, "BUTTON");
        const bool isStatic = IsClass(item, "STATIC");
        if (!isButton && !isStatic) continue;                 // edits and lists scroll their text
        if (isStatic && type >= 3 && type != 0x0C) continue;  // icons, frames, bitmaps
        const bool prefix = !(isStatic && (item.style & SS_NOPREFIX));
        const std::string text = Shown(zv::core::Utf8ToSjis(item.text), prefix);
        int room = r.Width();
        if (isButton) {
            if (type == 7) continue;  // a group box's title sits on its frame
            const bool glyph = (type >= 2 && type <= 6) || type == 9;
            room -= glyph ? 13 + 4 : 6;  // check/radio glyph and gap; push button edges
        }
        const bool wraps = isStatic && (type == 0 || type == 1 || type == 2);  // left/centre/right
        if (wraps) {
            if (LinesNeeded(font, text, room) * lineHeight > r.Height())
                problems.push_back(what + ": text does not fit");
        } else if (font.MeasureText(text).cx > room || lineHeight > r.Height()) {
            problems.push_back(what + ": text does not fit");
        }
    }
    // The texts as the controls really draw them, in the fonts they really use. Which
    // controls may overlap or touch the template says (above): a built template shows all of
    // them, those a dialog shows one at a time too.
    ShowWindow(dlg, SW_SHOWNA);
    for (const std::string& p : CheckWindowTexts(dlg, false)) problems.push_back(name + ": " + p);
    DestroyWindow(dlg);
    return problems;
}

}  // namespace zv::ui
