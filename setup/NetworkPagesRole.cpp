// Page 8 of the network set-up, "MultiPlay1": player or spectator, and the corps of a new game.

#include "framework/gui/GdiHelpers.h"
#include "framework/gui/WindowUtilities.h"
#include "mapview/MapPreview.h"
#include "netplay/SessionManager.h"
#include "organize/CorpsFiles.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/CanvasConstants.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/DialogConstants.h"
#include "platform/ui/Window.h"
#include "platform/ui/controls/ControlConstants.h"
#include "setup/NetworkPagesInternal.h"
#include "setup/SetupContainer.h"
#include "setup/SinglePlayPages.h"

namespace zv::setup {

using namespace netpages;

namespace {

// The embedded corps list leaves its background alone: it shows the page's own picture under
// it, so nothing of an earlier page shows through and the page's status line stays readable.
ui::LResult CorpsListBackgroundProc(ui::Hwnd h, std::uint32_t msg, ui::WParam w, ui::LParam l) {
    if (msg == ui::WM_ERASEBKGND) {
        auto* dc = reinterpret_cast<ui::Canvas*>(w);
        SetupPage* page = SetupPageOf(ui::GetParent(h));
        if (dc && page && page->Background()) {
            ui::Rect r{};
            ui::GetClientRect(h, &r);
            ui::Point at{0, 0};
            ui::MapWindowPoints(h, ui::GetParent(h), &at, 1);
            dc->BitBlt(0, 0, r.Width(), r.Height(), fw::CanvasOnDib(page->Background()), at.x, at.y, ui::SRCCOPY);
        }
        return 1;
    }
    return CallClassProcedure(h, msg, w, l);
}

// Page 8: player or spectator, and the corps of a new game in the corps list it embeds.
class RolePage : public NetworkPage {
  public:
    explicit RolePage(ui::Hwnd page) : NetworkPage(page) { whiteButtons_ = true; }

    ui::Hwnd CorpsDialog() const { return corpsDialog_; }
    bool FromSave() const { return fromSave_; }
    int ChosenCorps() const { return chosenCorps_; }
    void SetFromSave(bool fromSave) { fromSave_ = fromSave; }

  private:
    ui::LResult OnMessage(std::uint32_t msg, ui::WParam w, ui::LParam l) override;
    void OnCreate();
    void OnShowPage(bool show);
    void OnCorpsChosen(int entry);
    void OnCommand(int id);

    ui::Hwnd corpsDialog_;
    int chosenCorps_ = -1;
    bool fromSave_ = false;
};

RolePage* RoleOf(ui::Hwnd page) { return SetupPageOf<RolePage>(page); }

void ShowRoleStatusLine(ui::Hwnd page, const char* utf8) {
    RolePage* r = RoleOf(page);
    if (!r || !r->Background()) return;
    fw::FillRectColor(page, r->Background(), 0, 340, 599, 359, ui::Rgb(0, 0, 0));
    fw::DrawTextOnDib(page, r->Background(), 70, 340, S(utf8).c_str(), 16, 1, ui::Rgb(255, 255, 255));
    ui::InvalidateRect(page, nullptr, false);
    ui::RedrawWindow(r->CorpsDialog(), nullptr, ui::RDW_INVALIDATE | ui::RDW_ERASE);
}

void EnableRoleControls(ui::Hwnd page, bool enable) {
    const bool host = IsHostPage(page);
    if (RolePage* r = RoleOf(page)) ui::EnableWindow(r->CorpsDialog(), enable);
    ui::EnableWindow(ui::GetDlgItem(page, kIdWatchCheck), enable && !host);
    ui::EnableWindow(ui::GetDlgItem(page, kIdPlayerRadio), enable);
    ui::EnableWindow(ui::GetDlgItem(page, kIdSpectatorRadio), enable && !host);
}

void OnRoleShow(ui::Hwnd page) {
    RolePage* r = RoleOf(page);
    if (!r) return;
    const bool host = IsHostPage(page);
    r->SetFromSave(NetworkFromSave(page));
    const ui::Hwnd corpsDialog = r->CorpsDialog();
    const ui::Hwnd watch = ui::GetDlgItem(page, kIdWatchCheck);
    const ui::Hwnd player = ui::GetDlgItem(page, kIdPlayerRadio);
    const ui::Hwnd spectator = ui::GetDlgItem(page, kIdSpectatorRadio);
    if (r->FromSave()) {
        EnableSetupNextButton(page, true);
        ui::ShowWindow(corpsDialog, ui::SW_HIDE);
        ui::ShowWindow(watch, ui::SW_HIDE);
        ui::SetWindowPos(player, ui::Hwnd{}, 250, 150, 0, 0, ui::SWP_NOSIZE | ui::SWP_NOZORDER);
        ui::SetWindowPos(spectator, ui::Hwnd{}, 250, 210, 0, 0, ui::SWP_NOSIZE | ui::SWP_NOZORDER);
        ui::ShowWindow(player, ui::SW_SHOW);
        ui::ShowWindow(spectator, ui::SW_SHOW);
        ui::EnableWindow(spectator, !host);
    } else {
        fw::CenterWindowInParent(page, corpsDialog, 480, 338, 0);
        ui::ShowWindow(corpsDialog, ui::SW_SHOW);
        ui::ShowWindow(watch, ui::SW_SHOW);
        ui::EnableWindow(watch, !host);
        ui::ShowWindow(player, ui::SW_HIDE);
        ui::ShowWindow(spectator, ui::SW_HIDE);
    }
    ui::ShowWindow(page, ui::SW_SHOWNORMAL);
    net::SessionManager* m = SessionOf(page);
    if (rules::TableDirectory* t = TablesOf(page); m && t) {
        m->SetCountriesAvailable(r->FromSave() ? mapview::CountCountriesAtWar(*t)
                                             : mapview::CountParticipatingCountries(*t));
    }
}

void OnRoleNext(ui::Hwnd page) {
    const RolePage* r = RoleOf(page);
    if (!r) return;
    // One request per choice: the button comes back only when the host refuses the roles.
    EnableSetupNextButton(page, false);
    EnableRoleControls(page, false);
    ShowRoleStatusLine(page, "他のプレイヤーが選択中です。");
    bool spectator = false;
    if (r->FromSave()) {
        spectator = ui::IsDlgButtonChecked(page, kIdPlayerRadio) != ui::BST_CHECKED;
    } else {
        spectator = ui::IsDlgButtonChecked(page, kIdWatchCheck) == ui::BST_CHECKED || r->ChosenCorps() < 0;
    }
    if (net::SessionManager* m = SessionOf(page)) m->SendRoleRequest(spectator ? 1 : 0);
}

}  // namespace

namespace netpages {

void OnRoleRefused(ui::Hwnd page) {
    ShowRoleStatusLine(page, "ゲームが続行できません。もう一度選んでください。");
    EnableRoleControls(page, true);
    ui::CheckDlgButton(page, kIdWatchCheck, ui::BST_UNCHECKED);
    const RolePage* r = RoleOf(page);
    if (r && r->FromSave()) EnableSetupNextButton(page, true);
    if (r && !r->FromSave() && r->ChosenCorps() >= 0) EnableSetupNextButton(page, true);
}

void GoToConditionsPage(ui::Hwnd page) { NextPage(page, kPageNetCountries, kPageNetRole); }

}  // namespace netpages

ui::LResult RolePage::OnMessage(std::uint32_t msg, ui::WParam w, ui::LParam l) {
    switch (msg) {
        case ui::WM_CREATE:
            OnCreate();
            return 0;
        case ui::WM_DESTROY:
            if (ui::IsWindow(corpsDialog_)) ui::DestroyWindow(corpsDialog_);
            return 0;
        case WM_SHOW_PAGE:
            OnShowPage(w == 1);
            return 1;
        case zv::WM_CORPS_CHOSEN:
            OnCorpsChosen(static_cast<int>(static_cast<std::intptr_t>(w)));
            return 1;
        case ui::WM_COMMAND:
            OnCommand(ui::LoWord(w));
            return 0;
        default:
            return Default(msg, w, l);
    }
}

void RolePage::OnCreate() {
    const ui::Hwnd h = Handle();
    LoadBasics();
    CreateSetupButtons(h, font_.get(), kButtonsNextCut);
    EnableSetupNextButton(h, false);
    organize::SetCorpsListEditMode(0);
    corpsDialog_ = organize::CreateCorpsListDialog(h);
    if (corpsDialog_) {
        ui::SetWindowLongPtr(corpsDialog_, ui::GWLP_WNDPROC, reinterpret_cast<intptr_t>(&CorpsListBackgroundProc));
    }
    CreateTextButton(h, kIdWatchCheck, 70, 371, 50, 20, ui::BS_AUTOCHECKBOX, S("観戦").c_str(), font_.get());
    CreateTextButton(h, kIdPlayerRadio, 200, 371, 109, 40, ui::BS_AUTORADIOBUTTON | ui::WS_GROUP,
                     S("プレイヤー").c_str(), font_.get());
    CreateTextButton(h, kIdSpectatorRadio, 329, 371, 109, 40, ui::BS_AUTORADIOBUTTON, S("観戦者").c_str(),
                     font_.get());
    ui::CheckDlgButton(h, kIdPlayerRadio, ui::BST_CHECKED);
    chosenCorps_ = -1;
}

void RolePage::OnShowPage(bool show) {
    if (show) {
        OnRoleShow(Handle());
        return;
    }
    ui::ShowWindow(corpsDialog_, ui::SW_HIDE);
    ui::ShowWindow(Handle(), ui::SW_HIDE);
}

void RolePage::OnCorpsChosen(int entry) {
    chosenCorps_ = entry;
    SetSelectedCorpsFile(chosenCorps_);
    if (chosenCorps_ < 0) {
        chosenCorps_ = -1;
        EnableSetupNextButton(Handle(), false);
    } else {
        ui::CheckDlgButton(Handle(), kIdWatchCheck, ui::BST_UNCHECKED);
        EnableSetupNextButton(Handle(), true);
    }
}

void RolePage::OnCommand(int id) {
    const ui::Hwnd h = Handle();
    switch (id) {
        case kIdWatchCheck:
            if (ui::IsDlgButtonChecked(h, kIdWatchCheck) == ui::BST_CHECKED) {
                EnableSetupNextButton(h, true);
                ui::SendMessage(corpsDialog_, zv::WM_CORPS_LIST_CLEAR, 0, 0);
                chosenCorps_ = -1;
            } else {
                EnableSetupNextButton(h, false);
            }
            break;
        case kIdSetupNext:
            OnRoleNext(h);
            break;
        case kIdSetupBack:
            if (net::SessionManager* m = SessionOf(h)) m->Leave();
            PrevPage(h, kPageTitle, kPageNetRole);
            break;
        default:
            break;
    }
}

ui::LResult MultiPlay1Proc(ui::Hwnd h, std::uint32_t msg, ui::WParam w, ui::LParam l) {
    return SetupPageProc<RolePage>(h, msg, w, l);
}

}  // namespace zv::setup
