#include "shell/game/ShellGameEvents.h"

#include <chrono>
#include <cstring>
#include <thread>

#include "shell/WindowMessages.h"
#include "panels/NewsText.h"
#include "platform/core/Sjis.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowManager.h"
#include "rules/search/RouteSearch.h"
#include "shell/Settings.h"
#include "shell/ShellDialogs.h"
#include "shell/SoundEffects.h"
#include "shell/WindowRegistry.h"
#include "shell/game/GameDocument.h"
#include "shell/game/GameMessages.h"
#include "shell/game/GamePanels.h"
#include "shell/game/SimulationClock.h"
#include "shell/game/WindowClasses.h"

namespace zv::shell {

namespace {

bool OnGuiThread() {
    const ui::WindowManager* wm = ui::WindowManager::Current();
    return wm != nullptr && wm->IsGuiThread();
}

ui::LResult Send(WindowKind kind, uint32_t msg, ui::WParam w = 0, ui::LParam l = 0) {
    const ui::Hwnd h = GetWindowOfKind(kind);
    return h ? ui::SendMessage(h, msg, w, l) : 0;
}

void Post(WindowKind kind, uint32_t msg, ui::WParam w = 0, ui::LParam l = 0) {
    if (const ui::Hwnd h = GetWindowOfKind(kind); h) ui::PostMessage(h, msg, w, l);
}

bool Visible(WindowKind kind) {
    const ui::Hwnd h = GetWindowOfKind(kind);
    return h && ui::IsWindowVisible(h);
}

}  // namespace

void ShellGameEvents::NewsReload(std::uint32_t first, std::uint8_t* records) {
    Send(WindowKind::NewsWnd, WM_NEWS_RELOAD, first, reinterpret_cast<ui::LParam>(records));
}
void ShellGameEvents::NewsClear() { Send(WindowKind::NewsWnd, WM_NEWS_CLEAR); }
void ShellGameEvents::NewsAdd(const std::uint8_t* record) {
    Send(WindowKind::NewsWnd, WM_NEWS_ADD, 0, reinterpret_cast<ui::LParam>(record));
}
void ShellGameEvents::TerrainReloaded() {
    if (GameWorld* w = CurrentGameWorld(); w && w->guiSearches) w->guiSearches->ReloadAllTerrain();
}
void ShellGameEvents::MapRedraw() { Send(WindowKind::MapWnd, zv::WM_MAP_TICK_REDRAW); }
void ShellGameEvents::RefreshCampInfo() {
    if (Visible(WindowKind::CampInfoWnd)) Send(WindowKind::CampInfoWnd, WM_REFRESH_CAMP_INFO);
}
void ShellGameEvents::PanelWaitMask(std::uint16_t mask) { Send(WindowKind::PanelManeger, WM_PANEL_WAIT_MASK, mask); }
void ShellGameEvents::PanelClock() { Send(WindowKind::PanelManeger, WM_PANEL_CLOCK); }
void ShellGameEvents::GraspRebuild() { Send(WindowKind::NowGraspWnd, zv::WM_GRASP_REBUILD); }
void ShellGameEvents::PanelShowTroop(std::uint16_t troop) {
    Send(WindowKind::PanelManeger, zv::WM_PANEL_SHOW_TROOP, troop);
}
void ShellGameEvents::RefreshTroopList() { Send(WindowKind::HelperWindow, WM_REFRESH_TROOP_LIST); }
void ShellGameEvents::NewsShow() { Send(WindowKind::NewsWnd, WM_NEWS_SHOW); }
void ShellGameEvents::DelayedGameOver(std::uint16_t winners, std::uint16_t losers, std::uint16_t timeLimit) {
    Send(WindowKind::FrameWnd, WM_DELAYED_GAME_OVER, winners | (static_cast<ui::WParam>(losers) << 16), timeLimit);
}
void ShellGameEvents::DelayedDefeatDialog(std::uint8_t country) {
    Send(WindowKind::FrameWnd, WM_DELAYED_DEFEAT_DIALOG, country);
}
void ShellGameEvents::SaveGameCommand() { Post(WindowKind::FrameWnd, ui::WM_COMMAND, kCmdSaveGame); }
void ShellGameEvents::DelayedReturnToTitle() { Send(WindowKind::FrameWnd, WM_DELAYED_RETURN_TO_TITLE); }
void ShellGameEvents::ExitGame() { Post(WindowKind::FrameWnd, WM_EXIT_GAME); }
void ShellGameEvents::AllianceProposal(std::uint8_t proposer, std::uint8_t addressee, std::uint16_t kind,
                                       const std::string& proposerName) {
    // Asked on the GUI thread: the clock thread goes on meanwhile.
    QueueAllianceProposal(proposer, addressee, kind, proposerName);
}
void ShellGameEvents::AllianceAnswerNotice(int index) { Post(WindowKind::FrameWnd, WM_ALLIANCE_ANSWER, ui::WParam(index)); }
void ShellGameEvents::NewsPosted(const std::uint8_t* record) {
    NewsAdd(record);
    GameWorld* w = CurrentGameWorld();
    if (record == nullptr || w == nullptr || w->tables == nullptr) return;
    rules::NewsRecord news;
    std::memcpy(news.data(), record, rules::kNewsRecordSize);
    // Some records give no sentence (a troop already gone): the panel keeps its line then.
    if (const char* text = panels::FormatNewsSentence(*w->tables, news); text != nullptr) {
        Send(WindowKind::PanelManeger, WM_PANEL_MESSAGE, 0, reinterpret_cast<ui::LParam>(text));
    }
}
void ShellGameEvents::MapTroopRemoved(std::uint16_t troop) {
    Send(WindowKind::MapWnd, zv::WM_MAP_TROOP_REMOVED, troop);
}
void ShellGameEvents::PanelTroopRemoved(std::uint16_t troop) {
    Send(WindowKind::PanelManeger, zv::WM_PANEL_SHOW_TROOP, troop, 1);
}
void ShellGameEvents::RefreshTroopListWindow() {
    if (Visible(WindowKind::TroopListWnd)) Send(WindowKind::TroopListWnd, WM_REFRESH_TROOP_LIST);
}
void ShellGameEvents::PlaySoundEffect(int effect) { shell::PlaySoundEffect(effect); }

void ShellGameEvents::FightAnimationFrame(int kind, int frame, std::uint16_t troop1, std::uint16_t troop2,
                                          std::uint16_t hex) {
    if (!GetWindowOfKind(WindowKind::MapWnd)) return;
    // Frames are paced in real time, which a step run by the GUI thread itself (the title's
    // recorded battle) would spend frozen: there the fire is not animated.
    if (OnGuiThread()) return;
    const ui::WParam w = static_cast<ui::WParam>(kind & 0xFF) | (static_cast<ui::WParam>(frame & 0xFF) << 8) |
                         (static_cast<ui::WParam>(hex) << 16);
    Send(WindowKind::FrameWnd, WM_FRAME_FIGHT_FRAME, w, troop1 | (static_cast<ui::LParam>(troop2) << 16));
    // The frames are paced here: the rules never wait between them.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

bool ShellGameEvents::FightDisplayEnabled(bool ownFight) {
    return (ownFight ? GetFightMine() : GetFightOther()) != 0;
}

void ShellGameEvents::PlayFight(const std::uint8_t* battleRecord) {
    if (!GetWindowOfKind(WindowKind::RealManager)) return;
    // A step run by the GUI thread itself (the title's recorded battle) cannot wait for an
    // animation that only this thread's timers would play: the fight is not shown.
    if (OnGuiThread()) return;
    Send(WindowKind::RealManager, WM_FIGHT_DATA, 0, reinterpret_cast<ui::LParam>(battleRecord));
    // The animation runs on the GUI thread's timers; a GUI thread that parks the clock (the
    // program or the game ends) serves only this thread's messages, so the wait ends then.
    for (int i = 0; i < 60000 && !IsClockBeingParked() && Send(WindowKind::RealManager, WM_FIGHT_BEGIN) != 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

bool ShellGameEvents::PlacementMessage(const char* utf8Text, bool yesNo) {
    ui::Hwnd owner = GetWindowOfKind(WindowKind::FrameWnd);
    const int r = ui::MessageBox(owner, core::Utf8ToSjis(utf8Text), GetFrameTitle(), yesNo ? ui::MB_YESNO : ui::MB_OK);
    return r == ui::IDYES || r == ui::IDOK;
}

void ShellGameEvents::FrameRedraw() { Post(WindowKind::FrameWnd, ui::WM_COMMAND, kCmdRedraw); }

}  // namespace zv::shell
