#include "shell/game/GameEnd.h"

#include <cstring>

#include "framework/ProcessState.h"
#include "mapview/MapViewContext.h"
#include "mapview/MapViewWindows.h"
#include "netplay/SessionManager.h"
#include "panels/AllianceDialogs.h"
#include "panels/NewsWindows.h"
#include "platform/core/Sjis.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "rules/context/TableDirectory.h"
#include "rules/countries/CountryStatistics.h"
#include "rules/files/MapFiles.h"
#include "rules/records/GameSettingsCursor.h"
#include "rules/records/CountryTable25Record.h"
#include "rules/records/MapCursors.h"
#include "rules/records/MapRecords.h"
#include "rules/records/NewsRecord.h"
#include "shell/ChatWindow.h"
#include "shell/editor/PreviewFileDialog.h"
#include "shell/WindowRegistry.h"
#include "shell/game/FrameMenus.h"
#include "shell/game/FrameWindow.h"
#include "shell/game/GameDocument.h"
#include "shell/game/GameMessages.h"
#include "shell/game/SimulationClock.h"
#include "shell/game/TitleWindow.h"
#include "shell/game/WindowClasses.h"
#include "simulation/Simulation.h"

namespace zv::shell {

namespace {

constexpr int kReturnToTitle = kCmdReturnToTitle;
constexpr int kSaveGame = kCmdSaveGame;
constexpr int kAlliance = kCmdAlliance;
constexpr int kNetReturnToTitle = kCmdNetReturnToTitle;
constexpr int kNetSaveGame = kCmdNetSaveGame;

sim::Simulation* Sim() {
    GameWorld* w = CurrentGameWorld();
    return w ? w->simulation : nullptr;
}

rules::TableDirectory* Tables() {
    GameWorld* w = CurrentGameWorld();
    return w ? w->tables : nullptr;
}

std::string Sjis(const char* utf8) { return core::Utf8ToSjis(utf8); }

// Busy bit 0 keeps the clock from stepping while the player answers.
class BusyDialog {
  public:
    BusyDialog() {
        if (sim::Simulation* s = Sim()) s->SetBusyBit(sim::kBusyDialog, 1);
    }
    ~BusyDialog() {
        if (sim::Simulation* s = Sim()) s->SetBusyBit(sim::kBusyDialog, 0);
    }
    BusyDialog(const BusyDialog&) = delete;
    BusyDialog& operator=(const BusyDialog&) = delete;
};

bool AskYesNo(ui::Hwnd frame, const char* utf8) {
    BusyDialog busy;
    return ui::MessageBox(frame, Sjis(utf8), GetFrameTitle(), ui::MB_YESNO) == ui::IDYES;
}

bool IsSinglePlay(rules::TableDirectory& t) {
    return rules::GameSettingsCursor(t).GetSinglePlay() != 0;
}

// What a game leaves behind goes: the frame's mode, the set-up settings, the chat.
void ForgetGame(ui::Hwnd frame, bool clearChat) {
    SetGamePlaying(frame, false);
    if (rules::TableDirectory* t = Tables()) {
        rules::GameSettingsCursor(*t).Clear();
    }
    if (clearChat) ClearChatLog();
    ResetGameState();
    if (rules::TableDirectory* t = Tables()) {
        rules::GameSettingsCursor(*t).SetSinglePlay(1);
    }
    SetPendingNetAction(kNetActionNone);
}

void HideResultWindow() {
    if (const ui::Hwnd result = GetWindowOfKind(WindowKind::ResultWnd); result && ui::IsWindowVisible(result)) {
        ui::ShowWindow(result, ui::SW_HIDE);
    }
}

// The frame comes back empty, maximised, with the set-up settings cleared and the title over it.
void BackToTitle(ui::Hwnd frame, bool clearChat) {
    ui::ShowWindow(frame, ui::SW_HIDE);
    ui::ShowWindow(frame, ui::SW_SHOWMAXIMIZED);
    ForgetGame(frame, clearChat);
    OpenTitleWindow(frame, 0, 0);
    SetPendingNetAction(kNetActionNone);
}

ui::LResult NetworkRequest(ui::Hwnd frame, ui::WParam w, ui::LParam l, bool save) {
    sim::Simulation* s = Sim();
    if (s == nullptr || s->IsJournalHost() == 0) {
        return save ? SaveRunningGame(frame, w, l) : ReturnToTitle(frame, w, l);
    }
    if (GetPendingNetAction() != kNetActionNone) return 1;
    // The next clock step writes the action into the journal, so every participant carries it
    // out at the same step.
    if (AskYesNo(frame, save ? "ゲーム保存処理に移行しますか？" : "タイトルに戻る処理に移行しますか？")) {
        PendStepAction(save ? kNetActionSave : kNetActionReturnToTitle);
    }
    return 1;
}


}  // namespace

void PendStepAction(std::uint8_t action) {
    const ui::Hwnd map = GetWindowOfKind(WindowKind::MapWnd);
    if (mapview::MapViewContext* view = mapview::GetMapViewContext(map)) {
        if (view->CancelSelection(rules::kNoTroop)) ui::InvalidateRect(map, nullptr, false);
    }
    SetPendingNetAction(action);
}

std::string WinnersText(std::uint8_t winners) {
    static const char* const kNames[4] = {" 青国", " 赤国", " 緑国", " 黄国"};
    std::string text;
    for (int c = 0; c < 4; ++c) {
        if (winners & (1u << c)) text += kNames[c];
    }
    return text.empty() ? "勝利国不明です" : text + "が勝利しました";
}

ui::LResult HandleGameOver(ui::Hwnd frame, ui::WParam w, ui::LParam l) {
    sim::Simulation* s = Sim();
    rules::TableDirectory* tables = Tables();
    if (s && s->IsJournalHost()) {
        SuspendClock();
        if (net::SessionManager* session = fw::GetSessionManager(); session && s->IsSinglePlay() == 0) {
            session->SendGameEnd();
        }
    }
    if (s) s->ResetCommandJournal();
    const std::uint8_t player = fw::GetPlayerCountry();
    const bool minimised = ui::IsIconic(frame);
    if (!minimised && l != 0) {
        ui::MessageBox(frame, Sjis("終了時間です。ゲームを終了します。"), GetFrameTitle(), ui::MB_OK);
        if (tables) rules::RecordCountryEndState(*tables, player);
    }
    const std::uint8_t winners = static_cast<std::uint8_t>(w & 0xFF);
    const std::uint8_t losers = static_cast<std::uint8_t>((w >> 16) & 0xFF);
    const bool single = tables == nullptr || IsSinglePlay(*tables);

    if (player < 4 && tables != nullptr) {
        rules::CountryTable25Record* result = rules::GetCountryStats(*tables, player);
        if (winners & (1u << player)) {
            if (!minimised) panels::ShowVictoryDialog(frame);
            result->SetOutcome(0);
            rules::RecordCountryEndState(*tables, player);
        } else if (losers & (1u << player)) {
            result->SetOutcome(1);
        }
        // The news the window held go through table 26 into the result window; closing the
        // map then empties the news window and hides the game's windows, so the result window
        // is brought up again after it.
        const rules::CountryTable25Record kept = *result;
        std::uint8_t* news = tables->GetTableBase(rules::TableId::News);
        panels::ShowGameResult(news, kept);
        CloseMapDocument(frame, single ? 1 : 3);
        if (const ui::Hwnd window = GetWindowOfKind(WindowKind::ResultWnd); window) {
            ui::SendMessage(window, zv::WM_RESULT_ACTIVATE, 0, 1);
        }
        SetGamePlaying(frame, false);
    } else {
        if (!minimised) ui::MessageBox(frame, Sjis(WinnersText(winners).c_str()), GetFrameTitle(), ui::MB_OK);
        CloseMapDocument(frame, 3);
        BackToTitle(frame, false);
    }
    ResetGameState();
    return 1;
}

ui::LResult ReturnToTitle(ui::Hwnd frame, ui::WParam w, ui::LParam l) {
    (void)w;
    SetPendingNetAction(kNetActionNone);
    if (l != 0) {
        SuspendClock();
        if (sim::Simulation* s = Sim()) s->ResetCommandJournal();
        CloseMapDocument(frame, 1);
    } else {
        if (!AskYesNo(frame, "タイトル画面に戻ります")) return 1;
        BusyDialog busy;
        if (!CloseMapDocument(frame, 0)) return 1;
    }
    HideResultWindow();
    BackToTitle(frame, true);
    return 1;
}

bool LeaveGameForEditor(ui::Hwnd frame) {
    SetPendingNetAction(kNetActionNone);
    if (!AskYesNo(frame, kLeaveGameForEditorText)) return false;
    SuspendClock();
    if (sim::Simulation* s = Sim()) s->ResetCommandJournal();
    {
        BusyDialog busy;
        CloseMapDocument(frame, 0);
    }
    HideResultWindow();
    ForgetGame(frame, true);
    return true;
}

ui::LResult SaveRunningGame(ui::Hwnd frame, ui::WParam w, ui::LParam l) {
    (void)w;
    (void)l;
    SetPendingNetAction(kNetActionNone);
    // The tables are written while the clock stands between two steps, never under a step.
    const bool running = IsClockRunning() != 0;
    SuspendClock();
    int saved = 0;
    {
        BusyDialog busy;
        saved = OpenSaveGameDialog(frame);
    }
    ui::MessageBox(frame, Sjis(saved ? "セーブを終了しました" : "セーブに失敗しました"), Sjis("セーブ"), ui::MB_OK);
    if (running) ResumeClock();
    return 1;
}

ui::LResult ChangeAlliances(ui::Hwnd frame) {
    rules::TableDirectory* tables = Tables();
    sim::Simulation* s = Sim();
    if (tables == nullptr || s == nullptr) return 1;
    const std::uint8_t player = fw::GetPlayerCountry();
    rules::CountryCursor country(*tables);
    if (player >= 4 || !country.Select(player)) return 1;  // a spectator has no alliances
    const std::uint8_t others = static_cast<std::uint8_t>(country.GetAllianceMask() & ~(1u << player) & 0x0F);
    // Allied with somebody: the dialog offers breaking; otherwise concluding.
    panels::ProposeAlliance(frame, *tables, *s, player, others != 0 ? 2 : 1);
    return 1;
}

void InstallGameEndCommands() {
    SetFrameCommandHandler(kReturnToTitle, ReturnToTitle);
    SetFrameCommandHandler(kSaveGame, SaveRunningGame);
    SetFrameCommandHandler(kAlliance, [](ui::Hwnd frame, ui::WParam, ui::LParam) { return ChangeAlliances(frame); });
    SetFrameCommandHandler(kNetReturnToTitle, [](ui::Hwnd frame, ui::WParam w, ui::LParam l) {
        return NetworkRequest(frame, w, l, false);
    });
    SetFrameCommandHandler(kNetSaveGame, [](ui::Hwnd frame, ui::WParam w, ui::LParam l) {
        return NetworkRequest(frame, w, l, true);
    });
}

void UninstallGameEndCommands() {
    for (int id : {kReturnToTitle, kSaveGame, kAlliance, kNetReturnToTitle, kNetSaveGame}) {
        SetFrameCommandHandler(id, nullptr);
    }
}

}  // namespace zv::shell
