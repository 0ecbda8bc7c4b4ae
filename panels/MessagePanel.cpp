#include <cstring>
#include <memory>

#include "framework/Dib.h"
#include "framework/gui/WindowUtilities.h"
#include "panels/PanelCommon.h"
#include "panels/PanelClasses.h"
#include "panels/PanelMessages.h"
#include "panels/PanelWindows.h"
#include "platform/core/Sjis.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"

namespace zv::panels {

namespace {

constexpr const char* kClass = "MessageWindow";
constexpr int kLineBytes = 30;
constexpr size_t kTextBuffer = 256;

struct MessagePanelState {
    std::unique_ptr<fw::Dib> dib;
    char text[kTextBuffer] = {};
} gMessage;

void DrawMessagePanel(ui::Hwnd h) {
    fw::Dib* dib = gMessage.dib.get();
    RestorePicture(dib, "message.bmp");
    const auto lines = BreakMessageLines(gMessage.text);
    for (int i = 0; i < 3; ++i)
        PanelTextSjis(h, dib, 8, 6 + 18 * i, lines[size_t(i)].c_str(), 12, kWhite);
    InvalidateAndUpdate(h);
}

ui::LResult MessageProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    if (ui::LResult r = 0; HandlePictureWindowMessage(h, msg, gMessage.dib, IDM_MESSAGE_PANEL, &r))
        return r;
    switch (msg) {
        case ui::WM_CREATE:
            gMessage.dib = LoadPicture("message.bmp");
            gMessage.text[0] = 0;
            SizePanelToClient(h, gMessage.dib->GetWidth(), gMessage.dib->GetHeight());
            DrawMessagePanel(h);
            return 0;
        case WM_LAYOUT_PANELS:
            DrawMessagePanel(h);
            return 0;
        case WM_PANEL_RELAY: {
            gMessage.text[0] = 0;
            if (const char* text = reinterpret_cast<const char*>(l)) {
                // A longer text is cut on a character boundary so the buffer always holds a
                // whole string.
                const std::string_view view(text, strnlen(text, kTextBuffer));
                const size_t n = core::SjisCutLength(view, kTextBuffer - 1);
                std::memcpy(gMessage.text, text, n);
                gMessage.text[n] = 0;
            }
            DrawMessagePanel(h);
            return 0;
        }
        default:
            return ui::DefWindowProc(h, msg, w, l);
    }
}

}  // namespace

std::array<std::string, 3> BreakMessageLines(const char* sjis) {
    std::array<std::string, 3> lines;
    if (sjis == nullptr) return lines;
    int line = 0, column = 0;
    const auto* p = reinterpret_cast<const unsigned char*>(sjis);
    while (*p != 0 && line < 3) {
        if (core::IsSjisLeadByte(*p) && p[1] != 0) {
            if (column + 1 < kLineBytes) {
                lines[size_t(line)].append(reinterpret_cast<const char*>(p), 2);
                p += 2;
                column += 2;
                if (column > kLineBytes - 2) {
                    ++line;
                    column = 0;
                }
            } else {
                // The pair does not fit: close the line and try it on the next.
                ++line;
                column = 0;
            }
        } else {
            lines[size_t(line)].push_back(char(*p));
            ++p;
            ++column;
            if (column > kLineBytes - 1) {
                ++line;
                column = 0;
            }
        }
    }
    return lines;
}

bool RegisterMessageClass() { return RegisterPanelClass(kClass, MessageProc); }

ui::Hwnd CreateMessageWindow(void* instance, ui::Hwnd parent, intptr_t menu, uint32_t style) {
    (void)instance;
    if (!RegisterPanelClass(kClass, MessageProc)) return {};
    return CreatePanelWindow(kClass, "メッセージウィンドウ", parent, menu, style);
}

}  // namespace zv::panels

namespace zv::panels {
const char* GetMessagePanelText() {
    return gMessage.text;
}
}  // namespace zv::panels
