#include "shell/game/FrameWindow.h"
#include "rules/records/TroopCursor.h"
#include "shell/game/TitleWindow.h"

#include <memory>
#include <string>

#include "framework/ProcessState.h"
#include "framework/gui/GdiHelpers.h"
#include "framework/media/MidiPlayer.h"
#include "shell/WindowMessages.h"
#include "mapview/MapViewContext.h"
#include "mapview/MapViewWindows.h"
#include "netplay/SessionManager.h"
#include "panels/AllianceDialogs.h"
#include "platform/core/Sjis.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/controls/ControlConstants.h"
#include "platform/ui/Mdi.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowObject.h"
#include "rules/records/TroopRecord.h"
#include "shell/ChatWindow.h"
#include "shell/Palettes.h"
#include "shell/Settings.h"
#include "shell/game/EditorCommands.h"
#include "shell/game/FrameMenus.h"
#include "shell/game/GameEnd.h"
#include "shell/game/GamePanels.h"
#include "shell/game/GameDocument.h"
#include "shell/game/GameMessages.h"
#include "shell/game/GameProgram.h"
#include "shell/game/SimulationClock.h"
#include "shell/game/TitleWindow.h"
#include "shell/game/WindowClasses.h"
#include "simulation/ClockStep.h"
#include "simulation/Simulation.h"

namespace zv::shell {

namespace {

constexpr WindowKind kDockedKinds[4] = {WindowKind::TableGroopWnd, WindowKind::PanelManeger,
                                        WindowKind::NowGraspWnd, WindowKind::MapWnd};
constexpr std::uint8_t kDockedGraspBit = 1u << 2;
constexpr int kToolStripHeight = 22;
constexpr int kTableGroupWidth = 202;
// The frame's delayed actions wait this long (ms) for the current message to finish.
constexpr std::uint32_t kReturnToTitleDelayMs = 100;
constexpr std::uint32_t kGameOverDelayMs = 500;
constexpr std::uint32_t kDefeatDialogDelayMs = 100;
constexpr int kNoDefeatCountry = -1;
constexpr int kCountryCount = 4;
// The low four bits of a system command are the system's own.
constexpr ui::WParam kSysCommandMask = 0xFFF0;
// A fight frame's wParam: the animation kind in bits 0-7, its frame in 8-15, the hex in 16-31;
// lParam: the two troops, one per 16 bits.
constexpr std::uint32_t kByteMask = 0xFF;
constexpr std::uint32_t kWordMask = 0xFFFF;
constexpr std::uint8_t kNoColumn = 0xFF;

std::string Sjis(const char* utf8) { return core::Utf8ToSjis(utf8); }

sim::Simulation* Sim() {
    GameWorld* w = CurrentGameWorld();
    return w ? w->simulation : nullptr;
}

// The frame window: its MDI client and tip box, the music it plays, the actions it keeps for
// its timers, the docked windows it shows and the menu mode it is in.
class GameFrame : public ui::WindowObject {
  public:
    using WindowObject::WindowObject;

    ui::LResult Dispatch(uint32_t msg, ui::WParam w, ui::LParam l);
    void ForgetDelayedActions() {
        keptDefeatCountry_ = kNoDefeatCountry;
        keptTitleLParam_ = 0;
        keptGameOverW_ = 0;
        keptGameOverL_ = 0;
    }

    std::uint8_t dockedBits = 0;
    bool documentMode = false;
    bool playing = false;
    ui::Hwnd status;
    std::unique_ptr<fw::MidiPlayer> midi;

  private:
    ui::LResult OnCreate(const ui::CreateStruct* create);
    void OnDestroy();
    ui::LResult OnSize(ui::WParam w, ui::LParam l);
    ui::LResult OnClose();
    ui::LResult OnQueryEndSession();
    ui::LResult OnTimer(ui::WParam timer);
    ui::LResult OnCtlColorStatic(ui::WParam w, ui::LParam l);
    ui::LResult OnMusicControl(ui::WParam w, ui::LParam l);
    ui::LResult OnCommand(ui::WParam w, ui::LParam l);
    void OnFightFrame(ui::WParam w, ui::LParam l);
    void EndProgram();
    bool AskQuit();
    ui::LResult Default(uint32_t msg, ui::WParam w, ui::LParam l) {
        return client_ ? ui::DefFrameProc(Handle(), client_, msg, w, l) : ui::DefWindowProc(Handle(), msg, w, l);
    }

    ui::Hwnd client_;
    std::unique_ptr<ui::Font> statusFont_;
    ui::LParam keptTitleLParam_ = 0;
    ui::WParam keptGameOverW_ = 0;
    ui::LParam keptGameOverL_ = 0;
    int keptDefeatCountry_ = kNoDefeatCountry;

};

// The frame object of `frame`; null for a window of another class.
GameFrame* FrameOf(ui::Hwnd frame) {
    return frame ? ui::WindowObjectOf<GameFrame>(frame, kFrameClassName) : nullptr;
}

// The program's frame; null before it is made and after it is gone.
GameFrame* CurrentFrame() {
    return FrameOf(GetWindowOfKind(WindowKind::FrameWnd));
}

ui::LResult GameFrame::Dispatch(uint32_t msg, ui::WParam w, ui::LParam l) {
    const ui::Hwnd h = Handle();
    switch (msg) {
        case ui::WM_CREATE:
            return OnCreate(reinterpret_cast<const ui::CreateStruct*>(l));
        case ui::WM_DESTROY:
            OnDestroy();
            return 0;
        case ui::WM_SIZE:
            return OnSize(w, l);
        case ui::WM_MOVE:
            FitTitleWindow(h);
            return Default(msg, w, l);
        case ui::WM_ENABLE:
            // A dialog of the frame (opened from the bar above the title) holds the title too.
            if (const ui::Hwnd title = CurrentTitleWindow()) ui::EnableWindow(title, w != 0);
            return Default(msg, w, l);
        case ui::WM_CLOSE:
            return OnClose();
        case ui::WM_QUERYENDSESSION:
            return OnQueryEndSession();
        case ui::WM_SYSCOMMAND:
            if ((w & kSysCommandMask) == ui::SC_SCREENSAVE) return 1;
            return Default(msg, w, l);
        case ui::WM_TIMER:
            return OnTimer(w);
        case ui::WM_CTLCOLORSTATIC:
            return OnCtlColorStatic(w, l);
        case ui::MM_MCINOTIFY:
            fw::MidiPlayer::OnNotify(w, l, 1);
            return Default(msg, w, l);
        case ui::WM_INITMENU:
        case ui::WM_INITMENUPOPUP:
            UpdateFrameMenuItems(h);
            return Default(msg, w, l);
        case WM_START_GAME:
            StartGame(h, w);
            if (IsClockRunning()) SetGamePlaying(h, true);
            return 1;
        case WM_BEGIN_PLAY:
            BeginPlay(h);
            SetGamePlaying(h, true);
            return 1;
        case WM_MUSIC_CONTROL:
            return OnMusicControl(w, l);
        case WM_GAME_OVER:
            return HandleGameOver(h, w, l);
        case WM_ALLIANCE_PROPOSAL:
        case WM_ALLIANCE_ANSWER:
            return HandleAllianceMessage(h, msg, w, l);
        case WM_NETWORK_EVENT:
            if (net::SessionManager* session = fw::GetSessionManager()) {
                session->OnNetworkEvent(static_cast<std::uint32_t>(w), reinterpret_cast<const void*>(l));
            }
            return 0;
        case WM_SET_NETWORK_TARGET:
            ConnectSessionToFrame(h);
            return 0;
        case WM_EXIT_GAME:
            EndProgram();
            return 1;
        case WM_DELAYED_RETURN_TO_TITLE:
            keptTitleLParam_ = l;
            ui::SetTimer(h, kTimerReturnToTitle, kReturnToTitleDelayMs);
            return 1;
        case WM_DELAYED_GAME_OVER:
            keptGameOverW_ = w;
            keptGameOverL_ = l;
            ui::SetTimer(h, kTimerGameOver, kGameOverDelayMs);
            return 1;
        case WM_DELAYED_DEFEAT_DIALOG:
            keptDefeatCountry_ = static_cast<int>(w);
            ui::SetTimer(h, kTimerDefeatDialog, kDefeatDialogDelayMs);
            return 1;
        case WM_FRAME_FIGHT_FRAME:
            OnFightFrame(w, l);
            return 1;
        case ui::WM_COMMAND:
            return OnCommand(w, l);
        default:
            return Default(msg, w, l);
    }
}

ui::LResult GameFrame::OnCreate(const ui::CreateStruct* create) {
    const auto* params = create != nullptr ? static_cast<const FrameCreateParams*>(create->createParams) : nullptr;
    const bool music = params == nullptr || params->music;
    const ui::Hwnd h = Handle();
    // A new frame starts with nothing asked of the clock.
    SetPendingNetAction(kNetActionNone);
    LoadPalettes(h);
    ui::ClientCreateStruct ccs;
    ccs.idFirstChild = kFirstMdiChildId;
    client_ = ui::CreateWindowEx(0, "MDICLIENT", "",
                                 ui::WS_CHILD | ui::WS_VISIBLE | ui::WS_CLIPCHILDREN | ui::WS_CLIPSIBLINGS |
                                     ui::MDIS_ALLCHILDSTYLES,
                                 0, 0, 640, 480, h, kMdiClientId, nullptr, &ccs);
    SetWindowOfKind(WindowKind::MdiWnd, client_);
    SetWindowOfKind(WindowKind::FrameWnd, h);
    ui::SetMenu(h, ui::LoadMenu(nullptr, kMenuMapEditor));
    CreateGameWindows(h, client_);
    SetWindowOfKind(WindowKind::ChatWindow, CreateChatWindow(h, static_cast<int>(WindowKind::ChatWindow)));
    midi = music ? std::make_unique<fw::MidiPlayer>(h)
                              : std::make_unique<fw::MidiPlayer>(h, std::string());
    midi->SetLoop(1);
    status = ui::CreateWindowEx(ui::WS_EX_TOPMOST, "STATIC", "", ui::WS_CHILD | ui::WS_BORDER | ui::SS_CENTER,
                                0, 0, 20, 14, h, 0, nullptr, nullptr);
    statusFont_ = std::make_unique<ui::Font>(fw::CreateJapaneseFont(12, 1, 1));
    ui::SendMessage(status, ui::WM_SETFONT, reinterpret_cast<ui::WParam>(statusFont_.get()), 0);
    EnableMenusForMode(h, 0);
    return 0;
}

void GameFrame::OnDestroy() {
    const ui::Hwnd h = Handle();
    midi.reset();
    for (std::uintptr_t id : {kTimerReturnToTitle, kTimerGameOver, kTimerDefeatDialog}) ui::KillTimer(h, id);
    DestroyGameWindows(client_);
    client_ = {};
    if (status) ui::DestroyWindow(status);
    status = {};
    statusFont_.reset();
    DeleteGamePalette();
    SetWindowOfKind(WindowKind::FrameWnd, ui::Hwnd{});
    ui::PostQuitMessage(0);
}

ui::LResult GameFrame::OnSize(ui::WParam w, ui::LParam l) {
    const ui::Hwnd h = Handle();
    const bool shown = w == ui::SIZE_RESTORED || w == ui::SIZE_MAXIMIZED;
    if (shown) RememberDockedWindows(h);
    if (shown || w == ui::SIZE_MINIMIZED) {
        ui::SendMessage(GetWindowOfKind(WindowKind::ResultWnd), WM_RESULT_SHOW, 0, w == ui::SIZE_MINIMIZED ? 0 : 1);
    }
    if (w != ui::SIZE_MINIMIZED) FitTitleWindow(h);
    if (shown) {
        // The tool bar spans the frame's client area, however wide the screen has become (and
        // no wider: it would cover the frame's border).
        if (const ui::Hwnd bar = GetToolBarWindow()) {
            ui::Rect r{};
            ui::GetWindowRect(bar, &r);
            const int width = int(ui::LoWord(static_cast<uintptr_t>(l)));
            if (width > 0 && width != r.Width()) {
                ui::SetWindowPos(bar, {}, 0, 0, width, r.Height(),
                                 ui::SWP_NOZORDER | ui::SWP_NOMOVE | ui::SWP_NOACTIVATE);
            }
        }
    }
    return Default(ui::WM_SIZE, w, l);
}

// "ゲームを終了します" with the dialog busy bit set while it is up. True for Yes.
bool GameFrame::AskQuit() {
    if (sim::Simulation* s = Sim()) s->SetBusyBit(sim::kBusyDialog, 1);
    const int answer = ui::MessageBox(Handle(), Sjis("ゲームを終了します"), GetFrameTitle(), ui::MB_YESNO);
    if (sim::Simulation* s = Sim()) s->SetBusyBit(sim::kBusyDialog, 0);
    return answer == ui::IDYES;
}

// Parks the clock, empties the world and destroys the frame: the program ends.
void GameFrame::EndProgram() {
    const ui::Hwnd h = Handle();
    SuspendClock();
    ResetGameState();
    CloseMapDocument(h, 0);
    ui::DestroyWindow(h);
}

ui::LResult GameFrame::OnClose() {
    if (!AskQuit()) return 0;
    // A changed map of the editor is saved, dropped or kept open first.
    if (IsEditorMapOpen() && !ConfirmCloseMapDocument(Handle())) return 0;
    sim::Simulation* sim = Sim();
    // A running game ends at a clock step, so every participant quits at the same step; without
    // a running clock no step would ever come, so the frame closes now.
    if (sim && sim->IsJournalHost() && IsClockRunning()) {
        PendStepAction(kNetActionQuit);
        return 1;
    }
    EndProgram();
    return 1;
}

ui::LResult GameFrame::OnQueryEndSession() {
    if (!AskQuit()) {
        ReapplyDisplaySettings();
        return 0;
    }
    // The clock parks between two steps before the world is emptied under it.
    SuspendClock();
    ResetGameState();
    CloseMapDocument(Handle(), 0);
    return 1;
}

ui::LResult GameFrame::OnTimer(ui::WParam timer) {
    const ui::Hwnd h = Handle();
    if (!ui::IsWindowVisible(h) || ui::GetActiveWindow() != h) return 0;
    if (timer == kTimerReturnToTitle) {
        ui::KillTimer(h, kTimerReturnToTitle);
        ui::SendMessage(h, ui::WM_COMMAND, kReturnToTitleCommand, keptTitleLParam_);
    } else if (timer == kTimerGameOver && keptDefeatCountry_ == kNoDefeatCountry) {
        ui::KillTimer(h, kTimerGameOver);
        ui::SendMessage(h, WM_GAME_OVER, keptGameOverW_, keptGameOverL_);
    } else if (timer == kTimerDefeatDialog) {
        ui::KillTimer(h, kTimerDefeatDialog);
        if (keptDefeatCountry_ >= 0 && keptDefeatCountry_ < kCountryCount) {
            panels::ShowDefeatDialog(h, keptDefeatCountry_);
        }
        keptDefeatCountry_ = kNoDefeatCountry;
    }
    return 0;
}

ui::LResult GameFrame::OnCtlColorStatic(ui::WParam w, ui::LParam l) {
    if (status && static_cast<std::uint64_t>(l) == static_cast<std::uint64_t>(status.value)) {
        // The tip box: black text straight on its white ground.
        if (auto* dc = reinterpret_cast<ui::Canvas*>(w)) {
            dc->SetTextColor(0x000000);
            dc->SetBkMode(ui::TRANSPARENT);
        }
        static const ui::Brush white = ui::StockBrush(ui::WHITE_BRUSH);
        return reinterpret_cast<ui::LResult>(&white);
    }
    return Default(ui::WM_CTLCOLORSTATIC, w, l);
}

ui::LResult GameFrame::OnMusicControl(ui::WParam w, ui::LParam l) {
    if (!midi) return 1;
    switch (w) {
        case kMusicOpen:
            midi->Close();
            midi->Open(reinterpret_cast<const char*>(l));
            midi->SetLoop(1);
            break;
        case kMusicPlay: midi->Play(); break;
        case kMusicPause: midi->Pause(); break;
        case kMusicClose: midi->Close(); break;
        default: break;
    }
    return 1;
}

ui::LResult GameFrame::OnCommand(ui::WParam w, ui::LParam l) {
    bool handled = false;
    const ui::LResult r = HandleFrameCommand(Handle(), w, l, &handled);
    if (handled) return r;
    return Default(ui::WM_COMMAND, w, l);
}

// One frame of a fight animation, drawn on the GUI thread for the clock thread.
void GameFrame::OnFightFrame(ui::WParam w, ui::LParam l) {
    const std::uint16_t hex = static_cast<std::uint16_t>((w >> 16) & kWordMask);
    const ui::Hwnd map = GetWindowOfKind(WindowKind::MapWnd);
    mapview::MapViewContext* ctx = mapview::GetMapViewContext(map);
    if (ctx == nullptr) return;
    const int kind = static_cast<int>(w & kByteMask);
    const int frame = static_cast<int>((w >> 8) & kByteMask);
    const std::uint16_t troops[2] = {static_cast<std::uint16_t>(l & kWordMask),
                                     static_cast<std::uint16_t>((static_cast<std::uint32_t>(l) >> 16) & kWordMask)};
    GameWorld* world = CurrentGameWorld();
    // The map context takes a hex as x in the low word, y in the high word.
    const auto hexPoint = [](std::uint16_t at) {
        return (at & kByteMask) | (static_cast<std::uint32_t>(at >> 8) << 16);
    };
    for (std::uint16_t t : troops) {
        if (t == rules::kNoTroop || world == nullptr || world->tables == nullptr) continue;
        rules::TroopCursor cursor(*world->tables);
        if (!cursor.Select(t)) continue;
        ctx->DrawHexFrame(hexPoint(cursor.GetHexValue()), frame, kind);
    }
    if (hex != rules::kNoHex && (hex & kByteMask) != kNoColumn) ctx->DrawHexFrame(hexPoint(hex), frame, kind);
    ui::InvalidateRect(map, nullptr, false);
    ui::UpdateWindow(map);
}

}  // namespace

ui::LResult HEZVGameFrameWindowProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::WindowObjectProc<GameFrame>(h, msg, w, l);
}

int RememberDockedWindows(ui::Hwnd frame) {
    if (GameFrame* f = FrameOf(frame)) {
        for (int k = 0; k < 4; ++k) {
            const ui::Hwnd h = GetWindowOfKind(kDockedKinds[k]);
            if (!h) continue;
            if (ui::IsWindowVisible(h)) {
                f->dockedBits |= static_cast<std::uint8_t>(1u << k);
            } else {
                f->dockedBits &= static_cast<std::uint8_t>(~(1u << k));
            }
        }
    }
    return LayoutDockedWindows(frame);
}

int LayoutDockedWindows(ui::Hwnd frame) {
    const GameFrame* f = FrameOf(frame);
    const std::uint8_t bits = f ? f->dockedBits : 0;
    ui::Rect rc;
    ui::GetClientRect(frame, &rc);
    int x = 0;
    for (int k = 0; k < 4; ++k) {
        if (!(bits & (1u << k))) continue;
        const ui::Hwnd h = GetWindowOfKind(kDockedKinds[k]);
        if (!h) continue;
        switch (kDockedKinds[k]) {
            case WindowKind::TableGroopWnd:
                ui::SetWindowPos(h, ui::Hwnd{}, x, kToolStripHeight, kTableGroupWidth,
                                 rc.Height() - kToolStripHeight, ui::SWP_SHOWWINDOW);
                x += kTableGroupWidth;
                break;
            case WindowKind::PanelManeger: {
                ui::Rect wr;
                ui::GetWindowRect(h, &wr);
                ui::SetWindowPos(h, ui::Hwnd{}, x, kToolStripHeight, wr.Width(), rc.Height(), ui::SWP_SHOWWINDOW);
                x += wr.Width();
                break;
            }
            case WindowKind::MapWnd:
                // Only a map docked into the frame is laid out; one in the MDI client is the
                // player's to move.
                if (ui::GetParent(h) != frame) break;
                ui::SetWindowPos(h, ui::Hwnd{}, x, kToolStripHeight, rc.Width() - x,
                                 rc.Height() - kToolStripHeight, ui::SWP_SHOWWINDOW);
                break;
            default:
                break;
        }
    }
    const ui::Hwnd grasp = GetWindowOfKind(WindowKind::NowGraspWnd);
    const ui::Hwnd map = GetWindowOfKind(WindowKind::MapWnd);
    if ((bits & kDockedGraspBit) && grasp && map && ui::GetParent(grasp) == map) {
        ui::Rect mc, gr;
        ui::GetClientRect(map, &mc);
        ui::GetWindowRect(grasp, &gr);
        ui::SetWindowPos(grasp, ui::Hwnd{}, mc.Width() - gr.Width(), mc.Height() - gr.Height(), 0, 0,
                         ui::SWP_NOSIZE | ui::SWP_SHOWWINDOW);
    }
    return 1;
}

void DockWindow(ui::Hwnd frame, WindowKind kind) {
    const ui::Hwnd h = GetWindowOfKind(kind);
    if (!h) return;
    uint32_t style = static_cast<uint32_t>(ui::GetWindowLong(h, ui::GWL_STYLE));
    if (style & ui::WS_POPUP) style = (style & ~(ui::WS_POPUP | ui::WS_CHILD)) | ui::WS_CHILD;
    if (style & ui::WS_CAPTION) style &= ~ui::WS_CAPTION;
    ui::SetWindowLong(h, ui::GWL_STYLE, static_cast<int32_t>(style));
    const ui::Hwnd parent = kind == WindowKind::NowGraspWnd ? GetWindowOfKind(WindowKind::MapWnd) : frame;
    ui::SetParent(h, parent);
    ui::BringWindowToTop(h);
}

void ToggleWindowOfKind(ui::Hwnd frame, WindowKind kind) {
    const ui::Hwnd h = GetWindowOfKind(kind);
    if (!h) return;
    if (ui::IsWindowVisible(h)) {
        ui::ShowWindow(h, ui::SW_HIDE);
        if (kind == WindowKind::PanelManeger) PutDispPanel(0);
        if (kind == WindowKind::TableGroopWnd) PutInfo(0);
        return;
    }
    ui::ShowWindow(h, ui::SW_SHOWNORMAL);
    ui::SetWindowPos(h, ui::Hwnd{}, 0, 0, 0, 0, ui::SWP_NOMOVE | ui::SWP_NOSIZE);
    RevealTableGroupPage(frame, kind);
    if (kind == WindowKind::PanelManeger) {
        ui::ShowWindow(h, ui::SW_HIDE);
        ui::SendMessage(h, WM_LAYOUT_PANELS, 0, 0);
        PutDispPanel(1);
    }
    if (kind == WindowKind::TableGroopWnd) PutInfo(1);
}

void EnableMenusForMode(ui::Hwnd frame, int on) {
    if (GameFrame* f = FrameOf(frame)) f->documentMode = on != 0;
    UpdateFrameMenuItems(frame);
}

void SetGamePlaying(ui::Hwnd frame, bool playing) {
    GameFrame* f = FrameOf(frame);
    if (f == nullptr || f->playing == playing) return;
    f->playing = playing;
    const ui::Hmenu old = ui::GetMenu(frame);
    ui::SetMenu(frame, ui::LoadMenu(nullptr, playing ? kMenuGame : kMenuMapEditor));
    if (old) ui::DestroyMenu(old);
    UpdateFrameMenuItems(frame);
}

ui::LResult ForwardToMapWindow(ui::Hwnd frame, uint32_t msg, ui::WParam w, ui::LParam l) {
    (void)frame;
    const ui::Hwnd map = GetWindowOfKind(WindowKind::MapWnd);
    return map ? ui::SendMessage(map, msg, w, l) : 0;
}

ui::Hwnd GetFrameStatusControl() {
    const GameFrame* f = CurrentFrame();
    return f ? f->status : ui::Hwnd{};
}

void ResetFrameTimers() {
    if (GameFrame* f = CurrentFrame()) f->ForgetDelayedActions();
    SetPendingNetAction(kNetActionNone);
    if (GameWorld* w = CurrentGameWorld(); w && w->clock) w->clock->SetGameOverFlag(0);
}

int IsFrameActive(ui::Hwnd window) {
    return ui::IsWindowVisible(window) && ui::GetActiveWindow() == window ? 1 : 0;
}

bool IsDocumentMode() {
    const GameFrame* f = CurrentFrame();
    return f != nullptr && f->documentMode;
}
bool IsGamePlaying() {
    const GameFrame* f = CurrentFrame();
    return f != nullptr && f->playing;
}
fw::MidiPlayer* GetFrameMidiPlayer() {
    GameFrame* f = CurrentFrame();
    return f ? f->midi.get() : nullptr;
}

int MapDocumentHook() { return 1; }

}  // namespace zv::shell
