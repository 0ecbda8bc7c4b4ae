#include "shell/game/TitleWindow.h"

#include <utility>

#include "platform/ui/Window.h"
#include "shell/game/GameMessages.h"

namespace zv::shell {

namespace {
struct TitleState {
    TitleWindowFactory factory;
    TitleLeaveHooks leaveHooks;
    ui::Hwnd last;
};

TitleState& State() {
    static TitleState state;
    return state;
}
}  // namespace

void SetTitleWindowFactory(TitleWindowFactory factory) { State().factory = std::move(factory); }

bool HasTitleWindowFactory() { return static_cast<bool>(State().factory); }

void SetTitleLeaveHooks(TitleLeaveHooks hooks) { State().leaveHooks = std::move(hooks); }

ui::Hwnd OpenTitleWindow(ui::Hwnd frame, ui::WParam lobbyLaunched, ui::LParam block) {
    TitleState& s = State();
    if (!s.factory) return {};
    const ui::Hwnd title = s.factory(frame);
    if (!title) return {};
    s.last = title;
    ui::SendMessage(title, WM_TITLE_START, lobbyLaunched, block);
    return title;
}

ui::Hwnd CurrentTitleWindow() {
    TitleState& s = State();
    if (s.last && !ui::IsWindow(s.last)) s.last = {};
    return s.last;
}

bool MayLeaveTitle() {
    const ui::Hwnd title = CurrentTitleWindow();
    if (!title) return true;
    const auto& mayLeave = State().leaveHooks.mayLeave;
    return !mayLeave || mayLeave(title);
}

void LeaveTitle() {
    const ui::Hwnd title = CurrentTitleWindow();
    if (!title) return;
    if (const auto& leave = State().leaveHooks.leave) {
        leave(title);
    } else {
        ui::DestroyWindow(title);
    }
    State().last = {};
}

ui::Rect TitleWindowRect(ui::Hwnd frame) {
    ui::Rect r{};
    ui::GetClientRect(frame, &r);
    ui::Point topLeft{r.left, r.top};
    ui::Point bottomRight{r.right, r.bottom};
    ui::ClientToScreen(frame, &topLeft);
    ui::ClientToScreen(frame, &bottomRight);
    return {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

void FitTitleWindow(ui::Hwnd frame) {
    const ui::Hwnd title = CurrentTitleWindow();
    if (!title || !frame) return;
    const ui::Rect r = TitleWindowRect(frame);
    ui::SetWindowPos(title, ui::Hwnd{}, r.left, r.top, r.Width(), r.Height(),
                     ui::SWP_NOZORDER | ui::SWP_NOACTIVATE);
}

}  // namespace zv::shell
