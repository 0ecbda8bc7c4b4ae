#include <cstring>
#include <memory>

#include "framework/Dib.h"
#include "framework/gui/WindowUtilities.h"
#include "panels/PanelClasses.h"
#include "panels/PanelCommon.h"
#include "panels/PanelMessages.h"
#include "panels/PanelWindows.h"
#include "platform/core/Sjis.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowObject.h"
#include "shell/WindowRegistry.h"

namespace zv::panels {

namespace {

constexpr const char* kClass = "MessageWindow";
constexpr int kLineBytes = 30;
constexpr size_t kTextBuffer = 256;

// The panel's window: the picture it paints from and the last text it was sent.
class MessagePanel : public ui::WindowObject {
  public:
    using WindowObject::WindowObject;

    ui::LResult Dispatch(uint32_t msg, ui::WParam w, ui::LParam l) {
        if (ui::LResult r = 0;
            HandlePictureWindowMessage(Handle(), msg, dib_, IDM_MESSAGE_PANEL, &r))
            return r;
        switch (msg) {
            case ui::WM_CREATE:
                dib_ = LoadPicture("message.bmp");
                text_[0] = 0;
                SizePanelToClient(Handle(), dib_->GetWidth(), dib_->GetHeight());
                Draw();
                return 0;
            case WM_LAYOUT_PANELS:
                Draw();
                return 0;
            case WM_PANEL_RELAY:
                OnText(reinterpret_cast<const char*>(l));
                return 0;
            default:
                return Default(msg, w, l);
        }
    }

    const char* Text() const { return text_; }

  private:
    void OnText(const char* text) {
        text_[0] = 0;
        if (text != nullptr) {
            // A longer text is cut on a character boundary so the buffer always holds a whole
            // string.
            const std::string_view view(text, strnlen(text, kTextBuffer));
            const size_t n = core::SjisCutLength(view, kTextBuffer - 1);
            std::memcpy(text_, text, n);
            text_[n] = 0;
        }
        Draw();
    }
    void Draw() {
        fw::Dib* dib = dib_.get();
        RestorePicture(dib, "message.bmp");
        const auto lines = BreakMessageLines(text_);
        for (int i = 0; i < 3; ++i)
            PanelTextSjis(Handle(), dib, 8, 6 + 18 * i, lines[size_t(i)].c_str(), 12, kWhite);
        InvalidateAndUpdate(Handle());
    }

    std::unique_ptr<fw::Dib> dib_;
    char text_[kTextBuffer] = {};
};

ui::LResult MessageProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::WindowObjectProc<MessagePanel>(h, msg, w, l);
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
    const auto* panel = ui::WindowObjectOf<MessagePanel>(
        shell::GetWindowOfKind(shell::WindowKind::MessageWnd), kClass);
    return panel ? panel->Text() : "";
}
}  // namespace zv::panels
