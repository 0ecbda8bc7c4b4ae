// The single-play conditions page: the chosen map or saved game loaded, its conditions and
// countries shown for the player to set, and the game settings written when confirmed.

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#include "framework/Dib.h"
#include "framework/gui/GdiHelpers.h"
#include "framework/gui/WindowUtilities.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/Font.h"
#include "platform/ui/Window.h"
#include "platform/ui/controls/ControlConstants.h"
#include "rules/context/TableDirectory.h"
#include "rules/records/MapCursors.h"
#include "setup/Conditions.h"
#include "setup/SetupContainer.h"
#include "setup/SetupInternal.h"
#include "setup/SinglePlayPages.h"
#include "shell/WindowRegistry.h"
#include "shell/game/GameMessages.h"

namespace zv::setup {

namespace {

bool IsConditionsLabel(int id) {
    if (id == kIdMapName || (id >= kIdSearch && id <= kIdReinforcement)) return true;
    for (int c = 0; c < 4; ++c) {
        if (id >= AllianceBoxId(c, 0) && id <= AllianceBoxId(c, 2)) return true;
    }
    return false;
}

void ShowPage(ui::Hwnd h, fw::Dib* background) {
    ui::SendMessage(shell::GetWindowOfKind(shell::WindowKind::NewsWnd), zv::WM_NEWS_CLEAR, 0, 0);
    LoadChosenGameFile(h, 0, background);
    if (rules::TableDirectory* tables = LiveTables()) {
        rules::ScenarioHeaderCursor header(*tables);
        ui::SetWindowText(ui::GetDlgItem(h, kIdMapName), header.GetTitle());
    }
    ShowConditionsFromGame(h, 0);
    for (int c = 0; c < 4; ++c) ShowCountryRowFromGame(h, c, false);
    UpdateAllianceBoxes(h);
    RestrictAllianceBoxes(h);
    DisableAlliancesWhenFew(h);
    ui::ShowWindow(h, ui::SW_SHOWNORMAL);
    ui::InvalidateRect(h, nullptr, false);
}

void OnCommand(ui::Hwnd h, int id, int code) {
    if (id == kIdSetupNext) {
        if (ApplyConditionsToSettings(h)) {
            ui::SendMessage(ui::GetParent(h), WM_SETUP_NEXT_PAGE, kNoPage, kPageSingleConditions);
        }
        return;
    }
    if (id == kIdSetupBack) {
        ui::SendMessage(ui::GetParent(h), WM_SETUP_PREV_PAGE,
                        GetSavedGameChosen() ? kPageSingleFile : kPageSingleCorps, kPageSingleConditions);
        return;
    }
    for (int c = 0; c < 4; ++c) {
        if (id == RoleComboId(c) && code == ui::CBN_SELCHANGE) {
            OnRoleChanged(h, c);
            return;
        }
        if (id == AnthemComboId(c) && code == ui::CBN_SELCHANGE) {
            PlayAnthemOfCombo(h, id);
            return;
        }
        if (id >= AllianceBoxId(c, 0) && id <= AllianceBoxId(c, 2) && code == ui::BN_CLICKED) {
            ToggleAlliance(h, c, id);
            RestrictAllianceBoxes(h);
            return;
        }
    }
}

}  // namespace

namespace {

// The single-play conditions page: its controls, its picture and the alliance masks of its
// boxes.
class ConditionsPage : public SetupPage {
  public:
    using SetupPage::SetupPage;

    std::uint8_t* AllianceMasks() override { return allianceMasks_; }

  private:
    ui::LResult OnMessage(std::uint32_t msg, ui::WParam w, ui::LParam l) override {
        switch (msg) {
        case ui::WM_CREATE: OnCreate(); return 0;
        case WM_SHOW_PAGE:
            if (w) {
                ShowPage(Handle(), background_.get());
            } else {
                ui::ShowWindow(Handle(), ui::SW_HIDE);
            }
            return 0;
        case ui::WM_COMMAND: OnCommand(Handle(), ui::LoWord(w), ui::HiWord(w)); return 0;
        default: return Default(msg, w, l);
        }
    }
    bool IsWhiteLabel(int id) const override { return IsConditionsLabel(id); }

    void OnCreate() {
        const ui::Hwnd h = Handle();
        LoadBasics();
        CreateSetupButtons(h, font_.get(), kButtonsDecideCancel);
        CreateConditionsControls(h, font_.get());
        DrawConditionsLabels(h, background_.get());
    }

    std::uint8_t allianceMasks_[4] = {1, 2, 4, 8};
};

}  // namespace

ui::LResult SinglePlay3Proc(ui::Hwnd h, std::uint32_t msg, ui::WParam w, ui::LParam l) {
    return SetupPageProc<ConditionsPage>(h, msg, w, l);
}

}  // namespace zv::setup
