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
constexpr int kToolStripHeight = 22;
constexpr int kTableGroupWidth = 202;

struct FrameState {
    ui::Hwnd client;
    ui::Hwnd status;
    std::unique_ptr<ui::Font> statusFont;
    std::unique_ptr<fw::MidiPlayer> midi;
    std::uint8_t pendingNetAction = 0;
    ui::LParam keptTitleLParam = 0;
    ui::WParam keptGameOverW = 0;
    ui::LParam keptGameOverL = 0;
    int keptDefeatCountry = -1;
    std::uint8_t dockedBits = 0;
    bool documentMode = false;
    bool playing = false;
};

FrameState& State() {
    static FrameState state;
    return state;
}

sim::Simulation* Sim() {
    GameWorld* w = CurrentGameWorld();
    return w ? w->simulation : nullptr;
}

std::string Sjis(const char* utf8) { return core::Utf8ToSjis(utf8); }

// "ゲームを終了します" with busy bit 0 set while it is up. True for Yes.
bool AskQuit(ui::Hwnd frame) {
    if (sim::Simulation* s = Sim()) s->SetBusyBit(sim::kBusyDialog, 1);
    const int answer = ui::MessageBox(frame, Sjis("ゲームを終了します"), GetFrameTitle(), ui::MB_YESNO);
    if (sim::Simulation* s = Sim()) s->SetBusyBit(sim::kBusyDialog, 0);
    return answer == ui::IDYES;
}

// Parks the clock, empties the world and destroys the frame: the program ends.
void EndProgram(ui::Hwnd frame) {
    SuspendClock();
    ResetGameState();
    CloseMapDocument(frame, 0);
    ui::DestroyWindow(frame);
}

void RecordDockedBits() {
    FrameState& s = State();
    for (int k = 0; k < 4; ++k) {
        const ui::Hwnd h = GetWindowOfKind(kDockedKinds[k]);
        if (!h) continue;
        if (ui::IsWindowVisible(h)) {
            s.dockedBits |= static_cast<std::uint8_t>(1u << k);
        } else {
            s.dockedBits &= static_cast<std::uint8_t>(~(1u << k));
        }
    }
}

// One frame of a fight animation, drawn on the GUI thread for the clock thread.
void OnFightFrame(ui::WParam w, ui::LParam l, std::uint16_t hex) {
    const ui::Hwnd map = GetWindowOfKind(WindowKind::MapWnd);
    mapview::MapViewContext* ctx = mapview::GetMapViewContext(map);
    if (ctx == nullptr) return;
    const int kind = static_cast<int>(w & 0xFF);
    const int frame = static_cast<int>((w >> 8) & 0xFF);
    const std::uint16_t troops[2] = {static_cast<std::uint16_t>(l & 0xFFFF),
                                     static_cast<std::uint16_t>((static_cast<std::uint32_t>(l) >> 16) & 0xFFFF)};
    GameWorld* world = CurrentGameWorld();
    for (std::uint16_t t : troops) {
        if (t == 0xFFFF || world == nullptr) continue;
        rules::TroopCursor cursor(*world->tables);
        if (!cursor.Select(t)) continue;
        const std::uint16_t at = cursor.GetHexValue();
        ctx->DrawHexFrame((at & 0xFF) | (static_cast<std::uint32_t>(at >> 8) << 16), frame, kind);
    }
    if (hex != rules::kNoHex && (hex & 0xFF) != 0xFF) {
        ctx->DrawHexFrame((hex & 0xFF) | (static_cast<std::uint32_t>(hex >> 8) << 16), frame, kind);
    }
    ui::InvalidateRect(map, nullptr, false);
    ui::UpdateWindow(map);
}

ui::LResult OnCreate(ui::Hwnd h) {
    FrameState& s = State();
    s = FrameState{};
    LoadPalettes(h);
    ui::ClientCreateStruct ccs;
    ccs.idFirstChild = kFirstMdiChildId;
    s.client = ui::CreateWindowEx(0, "MDICLIENT", "",
                                  ui::WS_CHILD | ui::WS_VISIBLE | ui::WS_CLIPCHILDREN | ui::WS_CLIPSIBLINGS |
                                      ui::MDIS_ALLCHILDSTYLES,
                                  0, 0, 640, 480, h, kMdiClientId, nullptr, &ccs);
    SetWindowOfKind(WindowKind::MdiWnd, s.client);
    SetWindowOfKind(WindowKind::FrameWnd, h);
    ui::SetMenu(h, ui::LoadMenu(nullptr, kMenuMapEditor));
    CreateGameWindows(h, s.client);
    SetWindowOfKind(WindowKind::ChatWindow, CreateChatWindow(h, static_cast<int>(WindowKind::ChatWindow)));
    s.midi = ProgramUsesMusic() ? std::make_unique<fw::MidiPlayer>(h)
                                : std::make_unique<fw::MidiPlayer>(h, std::string());
    s.midi->SetLoop(1);
    s.status = ui::CreateWindowEx(ui::WS_EX_TOPMOST, "STATIC", "", ui::WS_CHILD | ui::WS_BORDER | ui::SS_CENTER,
                                  0, 0, 20, 14, h, 0, nullptr, nullptr);
    s.statusFont = std::make_unique<ui::Font>(fw::CreateJapaneseFont(12, 1, 1));
    ui::SendMessage(s.status, ui::WM_SETFONT, reinterpret_cast<ui::WParam>(s.statusFont.get()), 0);
    EnableMenusForMode(h, 0);
    return 0;
}

void OnDestroy(ui::Hwnd h) {
    FrameState& s = State();
    s.midi.reset();
    for (std::uintptr_t id : {kTimerReturnToTitle, kTimerGameOver, kTimerDefeatDialog}) ui::KillTimer(h, id);
    DestroyGameWindows(s.client);
    s.client = {};
    if (s.status) ui::DestroyWindow(s.status);
    s.status = {};
    s.statusFont.reset();
    DeleteGamePalette();
    SetWindowOfKind(WindowKind::FrameWnd, ui::Hwnd{});
    ui::PostQuitMessage(0);
}

ui::LResult Default(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    const ui::Hwnd client = State().client;
    return client ? ui::DefFrameProc(h, client, msg, w, l) : ui::DefWindowProc(h, msg, w, l);
}

}  // namespace

ui::LResult HEZVGameFrameWindowProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    FrameState& s = State();
    switch (msg) {
        case ui::WM_CREATE:
            return OnCreate(h);
        case ui::WM_DESTROY:
            OnDestroy(h);
            return 0;
        case ui::WM_SIZE:
            if (w == ui::SIZE_RESTORED || w == ui::SIZE_MAXIMIZED) RememberDockedWindows(h);
            if (w == ui::SIZE_RESTORED || w == ui::SIZE_MAXIMIZED || w == ui::SIZE_MINIMIZED) {
                ui::SendMessage(GetWindowOfKind(WindowKind::ResultWnd), WM_RESULT_SHOW, 0,
                                w == ui::SIZE_MINIMIZED ? 0 : 1);
            }
            if (w != ui::SIZE_MINIMIZED) FitTitleWindow(h);
            if (w == ui::SIZE_RESTORED || w == ui::SIZE_MAXIMIZED) {
                // The tool bar spans the frame's client area, however wide the screen has
                // become (and no wider: it would cover the frame's border).
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
            return Default(h, msg, w, l);
        case ui::WM_MOVE:
            FitTitleWindow(h);
            return Default(h, msg, w, l);
        case ui::WM_ENABLE:
            // A dialog of the frame (opened from the bar above the title) holds the title too.
            if (const ui::Hwnd title = CurrentTitleWindow()) ui::EnableWindow(title, w != 0);
            return Default(h, msg, w, l);
        case ui::WM_CLOSE: {
            if (!AskQuit(h)) return 0;
            // A changed map of the editor is saved, dropped or kept open first.
            if (IsEditorMapOpen() && !ConfirmCloseMapDocument(h)) return 0;
            sim::Simulation* sim = Sim();
            // A running game ends at a clock step, so every participant quits at the same
            // step; without a running clock no step would ever come, so the frame closes now.
            if (sim && sim->IsJournalHost() && IsClockRunning()) {
                s.pendingNetAction = kNetActionQuit;
                return 1;
            }
            EndProgram(h);
            return 1;
        }
        case ui::WM_QUERYENDSESSION: {
            if (!AskQuit(h)) {
                ReapplyDisplaySettings();
                return 0;
            }
            // The clock parks between two steps before the world is emptied under it.
            SuspendClock();
            ResetGameState();
            CloseMapDocument(h, 0);
            return 1;
        }
        case ui::WM_SYSCOMMAND:
            if ((w & 0xFFF0) == ui::SC_SCREENSAVE) return 1;
            return Default(h, msg, w, l);
        case ui::WM_TIMER: {
            if (!ui::IsWindowVisible(h) || ui::GetActiveWindow() != h) return 0;
            if (w == kTimerReturnToTitle) {
                ui::KillTimer(h, kTimerReturnToTitle);
                ui::SendMessage(h, ui::WM_COMMAND, 40118, s.keptTitleLParam);
            } else if (w == kTimerGameOver && s.keptDefeatCountry == -1) {
                ui::KillTimer(h, kTimerGameOver);
                ui::SendMessage(h, WM_GAME_OVER, s.keptGameOverW, s.keptGameOverL);
            } else if (w == kTimerDefeatDialog) {
                ui::KillTimer(h, kTimerDefeatDialog);
                if (s.keptDefeatCountry >= 0 && s.keptDefeatCountry < 4) {
                    panels::ShowDefeatDialog(h, s.keptDefeatCountry);
                }
                s.keptDefeatCountry = -1;
            }
            return 0;
        }
        case ui::WM_CTLCOLORSTATIC:
            if (s.status && static_cast<std::uint64_t>(l) == static_cast<std::uint64_t>(s.status.value)) {
                // The tip box: black text straight on its white ground.
                if (auto* dc = reinterpret_cast<ui::Canvas*>(w)) {
                    dc->SetTextColor(0x000000);
                    dc->SetBkMode(ui::TRANSPARENT);
                }
                static const ui::Brush white = ui::StockBrush(ui::WHITE_BRUSH);
                return reinterpret_cast<ui::LResult>(&white);
            }
            return Default(h, msg, w, l);
        case ui::MM_MCINOTIFY:
            fw::MidiPlayer::OnNotify(w, l, 1);
            return Default(h, msg, w, l);
        case ui::WM_INITMENU:
        case ui::WM_INITMENUPOPUP:
            UpdateFrameMenuItems(h);
            return Default(h, msg, w, l);
        case WM_START_GAME:
            StartGame(h, w);
            if (IsClockRunning()) SetGamePlaying(h, true);
            return 1;
        case WM_BEGIN_PLAY:
            BeginPlay(h);
            SetGamePlaying(h, true);
            return 1;
        case WM_MUSIC_CONTROL:
            if (!s.midi) return 1;
            switch (w) {
                case 0:
                    s.midi->Close();
                    s.midi->Open(reinterpret_cast<const char*>(l));
                    s.midi->SetLoop(1);
                    break;
                case 1: s.midi->Play(); break;
                case 2: s.midi->Pause(); break;
                case 3: s.midi->Close(); break;
                default: break;
            }
            return 1;
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
            EndProgram(h);
            return 1;
        case WM_DELAYED_RETURN_TO_TITLE:
            s.keptTitleLParam = l;
            ui::SetTimer(h, kTimerReturnToTitle, 100);
            return 1;
        case WM_DELAYED_GAME_OVER:
            s.keptGameOverW = w;
            s.keptGameOverL = l;
            ui::SetTimer(h, kTimerGameOver, 500);
            return 1;
        case WM_DELAYED_DEFEAT_DIALOG:
            s.keptDefeatCountry = static_cast<int>(w);
            ui::SetTimer(h, kTimerDefeatDialog, 100);
            return 1;
        case WM_FRAME_FIGHT_FRAME:
            OnFightFrame(w, l, static_cast<std::uint16_t>((w >> 16) & 0xFFFF));
            return 1;
        case ui::WM_COMMAND: {
            bool handled = false;
            const ui::LResult r = HandleFrameCommand(h, w, l, &handled);
            if (handled) return r;
            return Default(h, msg, w, l);
        }
        default:
            return Default(h, msg, w, l);
    }
}

int RememberDockedWindows(ui::Hwnd frame) {
    RecordDockedBits();
    return LayoutDockedWindows(frame);
}

int LayoutDockedWindows(ui::Hwnd frame) {
    const std::uint8_t bits = State().dockedBits;
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
    if ((bits & 4) && grasp && map && ui::GetParent(grasp) == map) {
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
    State().documentMode = on != 0;
    UpdateFrameMenuItems(frame);
}

void SetGamePlaying(ui::Hwnd frame, bool playing) {
    FrameState& s = State();
    if (s.playing == playing) return;
    s.playing = playing;
    if (!frame) return;
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

ui::Hwnd GetFrameStatusControl() { return State().status; }
std::uint8_t GetPendingNetAction() { return State().pendingNetAction; }
void SetPendingNetAction(std::uint8_t action) { State().pendingNetAction = action; }

void ResetFrameTimers() {
    FrameState& s = State();
    s.keptDefeatCountry = -1;
    s.keptTitleLParam = 0;
    s.keptGameOverW = 0;
    s.keptGameOverL = 0;
    s.pendingNetAction = 0;
    if (GameWorld* w = CurrentGameWorld(); w && w->clock) w->clock->SetGameOverFlag(0);
}

int IsFrameActive(ui::Hwnd window) {
    return ui::IsWindowVisible(window) && ui::GetActiveWindow() == window ? 1 : 0;
}

bool IsDocumentMode() { return State().documentMode; }
bool IsGamePlaying() { return State().playing; }
fw::MidiPlayer* GetFrameMidiPlayer() { return State().midi.get(); }

int MapDocumentHook() { return 1; }

}  // namespace zv::shell
