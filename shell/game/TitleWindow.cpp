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
}  // namespace

void SetTitleWindowFactory(TitleWindowFactory factory) { Factory() = std::move(factory); }

bool HasTitleWindowFactory() { return static_cast<bool>(Factory()); }

ui::Hwnd OpenTitleWindow(ui::Hwnd frame, ui::WParam lobbyLaunched, ui::LParam block) {
    if (!Factory()) return {};
    const ui::Hwnd title = Factory()(frame);
    if (!title) return {};
    ui::SendMessage(title, WM_TITLE_START, lobbyLaunched, block);
    return title;
}

}  // namespace zv::shell
