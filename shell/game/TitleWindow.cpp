#include "shell/game/TitleWindow.h"

#include <utility>

#include "platform/ui/Window.h"
#include "shell/game/GameMessages.h"

namespace zv::shell {

namespace {
TitleWindowFactory& Factory() {
    static TitleWindowFactory factory;
    return factory;
}
ui::Hwnd gTitle{};
}  // namespace

void SetTitleWindowFactory(TitleWindowFactory factory) { Factory() = std::move(factory); }

bool HasTitleWindowFactory() { return static_cast<bool>(Factory()); }

ui::Hwnd OpenTitleWindow(ui::Hwnd frame, ui::WParam lobbyLaunched, ui::LParam block) {
    if (!Factory()) return {};
    const ui::Hwnd title = Factory()(frame);
    if (!title) return {};
    gTitle = title;
    ui::SendMessage(title, WM_TITLE_START, lobbyLaunched, block);
    return title;
}

void FitTitleWindowOverFrame(ui::Hwnd frame) {
    if (!ui::IsWindow(gTitle) || !ui::IsWindow(frame)) return;
    ui::Rect r{};
    ui::GetWindowRect(frame, &r);
    ui::Rect now{};
    ui::GetWindowRect(gTitle, &now);
    if (now == r) return;
    ui::SetWindowPos(gTitle, {}, r.left, r.top, r.Width(), r.Height(), ui::SWP_NOZORDER | ui::SWP_NOACTIVATE);
}

}  // namespace zv::shell
