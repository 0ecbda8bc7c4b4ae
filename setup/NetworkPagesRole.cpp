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

struct RolePage {
    ui::Hwnd corpsDialog;
};

// The embedded corps list leaves its background alone: it shows the page's own picture under
// it, so nothing of an earlier page shows through and the page's status line stays readable.
ui::WndProc gCorpsListProc = nullptr;

ui::LResult CorpsListBackgroundProc(ui::Hwnd h, std::uint32_t msg, ui::WParam w, ui::LParam l) {
    if (msg == ui::WM_ERASEBKGND) {
        auto* dc = reinterpret_cast<ui::Canvas*>(w);
        PageState* s = StateOf(ui::GetParent(h));
        if (dc && s && s->background) {
            ui::Rect r{};
            ui::GetClientRect(h, &r);
            ui::Point at{0, 0};
            ui::MapWindowPoints(h, ui::GetParent(h), &at, 1);
            dc->BitBlt(0, 0, r.Width(), r.Height(), fw::CanvasOnDib(s->background.get()), at.x, at.y, ui::SRCCOPY);
        }
        return 1;
    }
    return ui::CallWindowProc(gCorpsListProc, h, msg, w, l);
}

RolePage* RoleOf(ui::Hwnd page) {
    PageState* s = StateOf(page);
    return s ? static_cast<RolePage*>(s->extra.get()) : nullptr;
}

void ShowRoleStatusLine(ui::Hwnd page, const char* utf8) {
    PageState* s = StateOf(page);
    if (!s || !s->background) return;
    fw::FillRectColor(page, s->background.get(), 0, 340, 599, 359, ui::Rgb(0, 0, 0));
    fw::DrawTextOnDib(page, s->background.get(), 70, 340, S(utf8).c_str(), 16, 1, ui::Rgb(255, 255, 255));
    ui::InvalidateRect(page, nullptr, false);
    if (RolePage* r = RoleOf(page)) ui::RedrawWindow(r->corpsDialog, nullptr, ui::RDW_INVALIDATE | ui::RDW_ERASE);
}

void EnableRoleControls(ui::Hwnd page, bool enable) {
    const bool host = IsHostPage(page);
    if (RolePage* r = RoleOf(page)) ui::EnableWindow(r->corpsDialog, enable);
    ui::EnableWindow(ui::GetDlgItem(page, kIdWatchCheck), enable && !host);
    ui::EnableWindow(ui::GetDlgItem(page, kIdPlayerRadio), enable);
    ui::EnableWindow(ui::GetDlgItem(page, kIdSpectatorRadio), enable && !host);
}

void OnRoleShow(ui::Hwnd page) {
    PageState* s = StateOf(page);
    RolePage* r = RoleOf(page);
    const bool host = IsHostPage(page);
    s->fromSave = NetworkFromSave(page);
    const ui::Hwnd watch = ui::GetDlgItem(page, kIdWatchCheck);
    const ui::Hwnd player = ui::GetDlgItem(page, kIdPlayerRadio);
    const ui::Hwnd spectator = ui::GetDlgItem(page, kIdSpectatorRadio);
    if (s->fromSave) {
        EnableSetupNextButton(page, true);
        ui::ShowWindow(r->corpsDialog, ui::SW_HIDE);
        ui::ShowWindow(watch, ui::SW_HIDE);
        ui::SetWindowPos(player, ui::Hwnd{}, 250, 150, 0, 0, ui::SWP_NOSIZE | ui::SWP_NOZORDER);
        ui::SetWindowPos(spectator, ui::Hwnd{}, 250, 210, 0, 0, ui::SWP_NOSIZE | ui::SWP_NOZORDER);
        ui::ShowWindow(player, ui::SW_SHOW);
        ui::ShowWindow(spectator, ui::SW_SHOW);
        ui::EnableWindow(spectator, !host);
    } else {
        fw::CenterWindowInParent(page, r->corpsDialog, 480, 338, 0);
        ui::ShowWindow(r->corpsDialog, ui::SW_SHOW);
        ui::ShowWindow(watch, ui::SW_SHOW);
        ui::EnableWindow(watch, !host);
        ui::ShowWindow(player, ui::SW_HIDE);
        ui::ShowWindow(spectator, ui::SW_HIDE);
    }
    ui::ShowWindow(page, ui::SW_SHOWNORMAL);
    net::SessionManager* m = SessionOf(page);
    if (rules::TableDirectory* t = TablesOf(page); m && t) {
        m->SetCountriesAvailable(s->fromSave ? mapview::CountCountriesAtWar(*t)
                                             : mapview::CountParticipatingCountries(*t));
    }
}

void OnRoleNext(ui::Hwnd page) {
    PageState* s = StateOf(page);
    // One request per choice: the button comes back only when the host refuses the roles.
    EnableSetupNextButton(page, false);
    EnableRoleControls(page, false);
    ShowRoleStatusLine(page, "他のプレイヤーが選択中です。");
    bool spectator = false;
    if (s->fromSave) {
        spectator = ui::IsDlgButtonChecked(page, kIdPlayerRadio) != ui::BST_CHECKED;
    } else {
        spectator = ui::IsDlgButtonChecked(page, kIdWatchCheck) == ui::BST_CHECKED || s->chosenCorps < 0;
    }
    if (net::SessionManager* m = SessionOf(page)) m->SendRoleRequest(spectator ? 1 : 0);
}

}  // namespace

namespace netpages {

void OnRoleRefused(ui::Hwnd page) {
    ShowRoleStatusLine(page, "ゲームが続行できません。もう一度選んでください。");
    EnableRoleControls(page, true);
    ui::CheckDlgButton(page, kIdWatchCheck, ui::BST_UNCHECKED);
    PageState* s = StateOf(page);
    if (s && s->fromSave) EnableSetupNextButton(page, true);
    if (s && !s->fromSave && s->chosenCorps >= 0) EnableSetupNextButton(page, true);
}

void GoToConditionsPage(ui::Hwnd page) { NextPage(page, kPageNetCountries, kPageNetRole); }

}  // namespace netpages

ui::LResult MultiPlay1Proc(ui::Hwnd h, std::uint32_t msg, ui::WParam w, ui::LParam l) {
    switch (msg) {
        case ui::WM_CREATE: {
            PageState* s = CreateState(h);
            CreatePageBasics(h, *s);
            auto role = std::make_shared<RolePage>();
            s->extra = role;
            CreateSetupButtons(h, s->font.get(), kButtonsNextCut);
            EnableSetupNextButton(h, false);
            organize::SetCorpsListEditMode(0);
            role->corpsDialog = organize::CreateCorpsListDialog(h);
            if (role->corpsDialog) {
                const auto old = reinterpret_cast<ui::WndProc>(ui::SetWindowLongPtr(
                    role->corpsDialog, ui::GWLP_WNDPROC, reinterpret_cast<intptr_t>(&CorpsListBackgroundProc)));
                if (old != &CorpsListBackgroundProc) gCorpsListProc = old;
            }
            ui::Hwnd watch = CreateTextButton(h, kIdWatchCheck, 70, 371, 50, 20, ui::BS_AUTOCHECKBOX,
                                              S("観戦").c_str(), s->font.get());
            (void)watch;
            CreateTextButton(h, kIdPlayerRadio, 200, 371, 109, 40, ui::BS_AUTORADIOBUTTON | ui::WS_GROUP,
                             S("プレイヤー").c_str(), s->font.get());
            CreateTextButton(h, kIdSpectatorRadio, 329, 371, 109, 40, ui::BS_AUTORADIOBUTTON, S("観戦者").c_str(),
                             s->font.get());
            ui::CheckDlgButton(h, kIdPlayerRadio, ui::BST_CHECKED);
            s->chosenCorps = -1;
            return 0;
        }
        case ui::WM_DESTROY: {
            if (RolePage* r = RoleOf(h); r && ui::IsWindow(r->corpsDialog)) ui::DestroyWindow(r->corpsDialog);
            DestroyState(h);
            return 0;
        }
        case WM_SHOW_PAGE:
            if (w == 1) {
                OnRoleShow(h);
            } else {
                if (RolePage* r = RoleOf(h)) ui::ShowWindow(r->corpsDialog, ui::SW_HIDE);
                ui::ShowWindow(h, ui::SW_HIDE);
            }
            return 1;
        case zv::WM_CORPS_CHOSEN: {
            PageState* s = StateOf(h);
            s->chosenCorps = static_cast<int>(static_cast<std::intptr_t>(w));
            SetSelectedCorpsFile(s->chosenCorps);
            if (s->chosenCorps < 0) {
                s->chosenCorps = -1;
                EnableSetupNextButton(h, false);
            } else {
                ui::CheckDlgButton(h, kIdWatchCheck, ui::BST_UNCHECKED);
                EnableSetupNextButton(h, true);
            }
            return 1;
        }
        case ui::WM_COMMAND:
            switch (w & 0xFFFF) {
                case kIdWatchCheck:
                    if (ui::IsDlgButtonChecked(h, kIdWatchCheck) == ui::BST_CHECKED) {
                        EnableSetupNextButton(h, true);
                        if (RolePage* r = RoleOf(h)) ui::SendMessage(r->corpsDialog, zv::WM_CORPS_LIST_CLEAR, 0, 0);
                        StateOf(h)->chosenCorps = -1;
                    } else {
                        EnableSetupNextButton(h, false);
                    }
                    return 0;
                case kIdSetupNext:
                    OnRoleNext(h);
                    return 0;
                case kIdSetupBack: {
                    if (net::SessionManager* m = SessionOf(h)) m->Leave();
                    PrevPage(h, kPageTitle, kPageNetRole);
                    return 0;
                }
                default:
                    return 0;
            }
        case ui::WM_PAINT:
            return PaintPage(h);
        case ui::WM_ERASEBKGND:
            return 1;
        case ui::WM_CTLCOLORSTATIC:
        case ui::WM_CTLCOLORBTN:
            return WhiteOnBlack(w);
        default:
            return ui::DefWindowProc(h, msg, w, l);
    }
}

}  // namespace zv::setup
