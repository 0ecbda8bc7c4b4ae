// The title page: the three roads (single play, network play, the corps editor), the quit
// rectangle drawn into the picture, and the idle count that starts the opening demonstration
// after a minute without a choice.

#include <cstring>
#include <memory>
#include <string>

#include "framework/Dib.h"
#include "framework/gui/GdiHelpers.h"
#include "framework/gui/WindowUtilities.h"
#include "framework/media/SystemQueries.h"
#include "organize/CorpsFiles.h"
#include "platform/core/Sjis.h"
#include "platform/ui/Font.h"
#include "platform/ui/Menu.h"
#include "platform/ui/Window.h"
#include "rules/context/TableDirectory.h"
#include "rules/records/MapRecords.h"
#include "setup/SetupContainer.h"
#include "setup/SetupInternal.h"
#include "shell/Settings.h"
#include "shell/game/FrameMenus.h"

namespace zv::setup {

namespace {

// The frame's menu or a dialog of the frame (opened from the bar above the title) is in use:
// the player is not idle.
bool FrameBusy(ui::Hwnd page) {
    const ui::Hwnd frame = ui::GetWindow(ui::GetParent(page), ui::GW_OWNER);
    return ui::IsMenuActive() || (frame && !ui::IsWindowEnabled(frame));
}

// The title gives way to the first page of a road; the road's pages are made anew.
//
// A road whose pages cannot all be made would leave the player before an empty screen with no
// way back: the title stays instead and says so.
bool EnterRoad(ui::Hwnd h, int (*createPages)(ui::Hwnd), std::uint8_t firstPage, std::int32_t singlePlay) {
    const ui::Hwnd container = ui::GetParent(h);
    ui::ShowWindow(h, ui::SW_HIDE);
    if (!createPages(container)) {
        ui::SendMessage(container, WM_SETUP_PREV_PAGE, kPageTitle, kNoPage);
        SetupMessageBox(h, "設定画面を開けませんでした。", ui::MB_OK);
        return false;
    }
    ui::SendMessage(container, WM_SETUP_NEXT_PAGE, firstPage, kPageTitle);
    WriteSettingsSinglePlay(singlePlay);
    return true;
}

// The words of the picture, drawn in the program's own font: the subtitle in its band, the
// quit plate's caption and the credit line.
void DrawTitleWords(ui::Hwnd h, fw::Dib* picture) {
    const ui::ColorRef white = ui::Rgb(255, 255, 255);
    fw::DrawTextShadowedOnDib(h, picture, ui::Rect{100, 150, 500, 176},
                              core::Utf8ToSjis("四か国リアルタイム戦略シミュレーション").c_str(), 16, 1, white,
                              ui::DT_CENTER);
    fw::DrawTextShadowedOnDib(h, picture, ui::Rect{kQuitLeft, kQuitTop, kQuitRight + 1, kQuitBottom + 1},
                              core::Utf8ToSjis("終了").c_str(), 12, 1, white, ui::DT_CENTER);
    fw::DrawTextShadowedOnDib(h, picture, ui::Rect{300, 376, 590, 394},
                              core::Utf8ToSjis("(C) ZV6 開発チーム").c_str(), 12, 1, ui::Rgb(200, 200, 210),
                              ui::DT_RIGHT);
}

void ChooseSinglePlay(ui::Hwnd h) {
    EnterRoad(h, &CreateSinglePlayPages, kPageSingleFile, 1);
}

void ChooseNetworkPlay(ui::Hwnd h) {
    ui::SendMessage(h, WM_TITLE_IDLE_STOP, 0, 0);
    char buffer[shell::kUserNameBufferSize];
    std::memset(buffer, ' ', sizeof buffer);
    buffer[sizeof buffer - 1] = '\0';
    shell::GetUserNameSetting("environ", "UserName", "NONE", buffer);
    std::string name = buffer;
    if (name == "NONE") name = fw::GetLogonUserName();
    name = CutSjisName(name, kUserNameBytes);
    if (const UserNameDialog& dialog = CurrentUserNameDialog()) {
        if (!dialog(h, name)) {
            ui::SendMessage(h, WM_TITLE_IDLE_START, 0, 0);
            return;
        }
        name = CutSjisName(name, kUserNameBytes);
    }
    shell::PutUserNameSetting("environ", "UserName", name.c_str());
    EnterRoad(h, &CreateMultiPlayPages, kPageNetConnection, 0);
}

void OpenCorpsEditor(ui::Hwnd h) {
    ui::SendMessage(h, WM_TITLE_IDLE_STOP, 0, 0);
    shell::PlayMusicFile("Hensei.mid");
    organize::ShowCorpsFileManager(ui::GetParent(h));
    if (!ui::IsWindow(h)) return;
    shell::PlayMusicFile("Op.mid");
    ui::SendMessage(h, WM_TITLE_IDLE_START, 0, 0);
}

}  // namespace

bool IsInQuitRectangle(int x, int y) {
    return x >= kQuitLeft && x <= kQuitRight && y >= kQuitTop && y <= kQuitBottom;
}

namespace {

// The title page: its font and picture, and the seconds the player has been idle on it.
class TitlePage : public SetupPage {
  public:
    using SetupPage::SetupPage;

    int IdleCounter() const { return idleCounter_; }

  private:
    ui::LResult OnMessage(std::uint32_t msg, ui::WParam w, ui::LParam l) override {
        switch (msg) {
        case ui::WM_CREATE: OnCreate(); return 0;
        case ui::WM_COMMAND: OnCommand(ui::LoWord(w)); return 0;
        case ui::WM_LBUTTONDOWN: OnLButtonDown(ui::GetXLParam(l), ui::GetYLParam(l)); return 0;
        case WM_TITLE_IDLE_START: StartIdle(); return 0;
        case WM_TITLE_IDLE_STOP: StopIdle(); return 0;
        case ui::WM_TIMER:
            if (w == kTimerTitleIdle) OnIdleTick();
            return 0;
        case WM_SHOW_PAGE: OnShowPage(w != 0); return 0;
        case ui::WM_DESTROY:
            ui::KillTimer(Handle(), kTimerTitleIdle);
            idleCounter_ = 0;
            return 0;
        default: return Default(msg, w, l);
        }
    }

    void OnCreate() {
        const ui::Hwnd h = Handle();
        LoadBasics(kTitlePicture);
        DrawTitleWords(h, background_.get());
        CreateTextButton(h, kIdSinglePlay, 120, 210, 110, 20, 0, core::Utf8ToSjis("シングルプレイ").c_str(),
                         font_.get());
        CreateTextButton(h, kIdMultiPlay, 240, 210, 110, 20, 0, core::Utf8ToSjis("マルチプレイ").c_str(),
                         font_.get());
        CreateTextButton(h, kIdCorpsEditor, 360, 210, 110, 20, 0, core::Utf8ToSjis("軍団編成").c_str(),
                         font_.get());
        idleCounter_ = 0;
    }
    void OnCommand(int id) {
        switch (id) {
        case kIdSinglePlay: ChooseSinglePlay(Handle()); break;
        case kIdMultiPlay: ChooseNetworkPlay(Handle()); break;
        case kIdCorpsEditor: OpenCorpsEditor(Handle()); break;
        default: break;
        }
    }
    void OnLButtonDown(int x, int y) {
        if (IsInQuitRectangle(x, y)) ui::SendMessage(Container(), WM_SETUP_PREV_PAGE, kNoPage, kPageTitle);
    }
    void OnShowPage(bool show) {
        const ui::Hwnd h = Handle();
        if (show) {
            ui::ShowWindow(h, ui::SW_SHOWNORMAL);
            ui::SendMessage(h, WM_TITLE_IDLE_START, 0, 0);
            shell::PlayMusicFile("Op.mid");
        } else {
            ui::ShowWindow(h, ui::SW_HIDE);
            ui::SendMessage(h, WM_TITLE_IDLE_STOP, 0, 0);
        }
    }

    void StartIdle() {
        if (idleCounter_ != 0) return;
        ui::SetTimer(Handle(), kTimerTitleIdle, 1000);
        idleCounter_ = 1;
    }
    void StopIdle() {
        if (idleCounter_ == 0) return;
        ui::KillTimer(Handle(), kTimerTitleIdle);
        idleCounter_ = 0;
    }
    void OnIdleTick() {
        const ui::Hwnd h = Handle();
        if (FrameBusy(h)) {
            idleCounter_ = 1;
            return;
        }
        if (idleCounter_ <= kTitleIdleLimit) {
            ++idleCounter_;
            return;
        }
        ui::KillTimer(h, kTimerTitleIdle);
        if (const OpeningDemoRunner& demo = CurrentOpeningDemoRunner()) demo(h);
        // The demonstration may have ended the page (the program closed meanwhile), and this
        // object with it.
        if (!ui::IsWindow(h) || SetupPageOf<TitlePage>(h) != this) return;
        ui::SetTimer(h, kTimerTitleIdle, 1000);
        idleCounter_ = 1;
    }

    int idleCounter_ = 0;
};

}  // namespace

ui::LResult MainMenu1Proc(ui::Hwnd h, std::uint32_t msg, ui::WParam w, ui::LParam l) {
    return SetupPageProc<TitlePage>(h, msg, w, l);
}

int GetTitleIdleCounter() {
    const TitlePage* title = SetupPageOf<TitlePage>(GetSetupPage(kPageTitle));
    return title ? title->IdleCounter() : 0;
}

}  // namespace zv::setup
