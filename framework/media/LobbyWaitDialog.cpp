#include "framework/media/LobbyWaitDialog.h"

#include "platform/ui/Dialog.h"
#include "platform/ui/DialogConstants.h"
#include "platform/ui/DialogTemplate.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "platform/ui/controls/ControlConstants.h"

namespace zv::fw {

namespace {

constexpr uintptr_t kTimerId = 0;

struct Wait {
    const std::function<std::int32_t()>* poll = nullptr;
    int polls = 0;
    std::int32_t result = kLobbyStillConnecting;
};

Wait* WaitOf(ui::Hwnd dlg) { return reinterpret_cast<Wait*>(ui::GetWindowLongPtr(dlg, ui::DWLP_USER)); }

intptr_t LobbyWaitDlgProc(ui::Hwnd dlg, uint32_t msg, ui::WParam w, ui::LParam l) {
    switch (msg) {
        case ui::WM_INITDIALOG: {
            auto* wait = reinterpret_cast<Wait*>(l);
            ui::SetWindowLongPtr(dlg, ui::DWLP_USER, l);
            wait->polls = 0;
            ui::SetTimer(dlg, kTimerId, kLobbyWaitPollMs);
            return 1;
        }
        case ui::WM_TIMER: {
            Wait* wait = WaitOf(dlg);
            if (!wait || w != kTimerId) return 0;
            wait->result = (*wait->poll)();
            ++wait->polls;
            if (wait->result != kLobbyStillConnecting || wait->polls >= kLobbyWaitPolls) {
                ui::KillTimer(dlg, kTimerId);
                ui::EndDialog(dlg, 0);
            }
            return 1;
        }
        case ui::WM_COMMAND:
            if ((w & 0xFFFF) == ui::IDCANCEL) {
                if (Wait* wait = WaitOf(dlg)) wait->result = kLobbyWaitCancelled;
                ui::KillTimer(dlg, kTimerId);
                ui::EndDialog(dlg, 0);
                return 1;
            }
            return 0;
        case ui::WM_DESTROY:
            ui::KillTimer(dlg, kTimerId);
            return 0;
        default:
            return 0;
    }
}

}  // namespace

void RegisterLobbyWaitDialog() {
    constexpr uint32_t kStyle = ui::WS_POPUP | ui::WS_CAPTION | ui::DS_MODALFRAME | ui::DS_CENTER;
    ui::DialogRegistry::Global().Add(ui::MakeDialogTemplate(
        kLobbyWaitDialog, "ネットワーク", kStyle, 200, 62,
        {{kIdLobbyWaitText, "STATIC", "ゲームへの接続を待っています...", 10, 12, 180, 20, ui::SS_CENTER},
         {ui::IDCANCEL, "BUTTON", "キャンセル", 72, 40, 56, 14, ui::WS_TABSTOP | ui::BS_DEFPUSHBUTTON}}));
}

std::int32_t RunLobbyWaitDialog(const std::function<std::int32_t()>& poll) {
    if (!poll) return -1;
    RegisterLobbyWaitDialog();
    Wait wait;
    wait.poll = &poll;
    const intptr_t made = ui::DialogBoxParam(nullptr, kLobbyWaitDialog, ui::Hwnd{}, LobbyWaitDlgProc,
                                             reinterpret_cast<ui::LParam>(&wait));
    if (made < 0) return -1;
    return wait.result;
}

}  // namespace zv::fw
