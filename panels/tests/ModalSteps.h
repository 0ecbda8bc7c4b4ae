#pragma once

// Drives modal dialogs in tests: steps run one after another from a timer, each inside whatever
// modal loop is running then (the dialog's, or a message box's over it).

#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include "platform/ui/Dialog.h"
#include "platform/ui/HeadlessBackend.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"

namespace zv::panels::testing {

inline std::deque<std::function<void()>> gSteps;

inline void RunNextStep(ui::Hwnd, uint32_t, uintptr_t id, uint32_t) {
    ui::KillTimer({}, id);
    if (gSteps.empty()) return;
    auto step = std::move(gSteps.front());
    gSteps.pop_front();
    step();
    if (!gSteps.empty()) ui::SetTimer({}, 77, 20, RunNextStep);
}

// Ends the dialog `isDialog` recognises (a failure: the steps should have ended it) and
// dismisses any box in its way first.
inline void CloseWhatIsLeft(std::function<bool(ui::Hwnd)> isDialog, int tries) {
    const ui::Hwnd active = ui::GetActiveWindow();
    if (isDialog(active)) {
        ADD_FAILURE() << "the dialog was still open";
        ui::EndDialog(active, 0xFFFF);
        return;
    }
    if (tries == 0) return;
    ui::SendMessage(active, ui::WM_COMMAND, ui::IDOK, 0);
    gSteps.push_back([isDialog, tries] { CloseWhatIsLeft(isDialog, tries - 1); });
}

// Runs `show` (which opens a modal dialog) with the steps, then a guard that closes what is
// left; the clock advances to each timer at once.
template <typename Show>
auto RunWithSteps(ui::HeadlessBackend* screen, std::deque<std::function<void()>> steps,
                  std::function<bool(ui::Hwnd)> isDialog, Show show) {
    gSteps = std::move(steps);
    gSteps.push_back([isDialog] { CloseWhatIsLeft(isDialog, 8); });
    screen->SetAutoAdvance(true);
    ui::SetTimer({}, 77, 20, RunNextStep);
    auto result = show();
    screen->SetAutoAdvance(false);
    gSteps.clear();
    return result;
}

}  // namespace zv::panels::testing
