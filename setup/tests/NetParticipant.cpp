// One participant of a network game run by the three-process test: the whole game program on
// the memory screen, driven by the mouse and keys as a player would, through the title, the
// network pages, the deployment dialog, the map and the end of the game. It writes what it saw
// to an output file, one line each, which the test compares between the processes:
//
//   stage NAME            a step of the script was reached
//   chat TEXT             a line of the chat panel (UTF-8)
//   day=D hash=H          the live tables' hash when an executed journal began day D
//   final day=D minutes=M hash=H   the hash when the game ended
//   fail WHY              the script could not go on
//
// Test-only: built with the tests, never shipped.
//
//   zv_net_participant --role host|client --name NAME --session NAME --port P --out FILE
//                      [--shots PREFIX] [--players N] [--wait-kill 1] [--screen WxH]

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "framework/ProcessState.h"
#include "shell/WindowMessages.h"
#include "mapview/MapViewContext.h"
#include "mapview/MapViewWindows.h"
#include "organize/CorpsFiles.h"
#include "netplay/SessionManager.h"
#include "organize/OrganizeDialog.h"
#include "organize/OrganizeState.h"
#include "platform/core/Sjis.h"
#include "platform/ui/HeadlessBackend.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowManager.h"
#include "platform/ui/controls/CommonControls.h"
#include "platform/ui/controls/ControlConstants.h"
#include "rules/records/MapCursors.h"
#include "rules/records/MapRecords.h"
#include "rules/records/TroopCursor.h"
#include "setup/Conditions.h"
#include "setup/NetworkPages.h"
#include "setup/SetupContainer.h"
#include "setup/SetupInternal.h"
#include "setup/SinglePlayPages.h"
#include "setup/tests/SetupDriver.h"
#include "shell/ChatWindow.h"
#include "shell/Settings.h"
#include "shell/WindowRegistry.h"
#include "shell/game/FrameWindow.h"
#include "shell/game/GameDocument.h"
#include "shell/game/GameProgram.h"
#include "shell/game/SimulationClock.h"
#include "shell/game/WindowClasses.h"
#include "shell/game/tests/MapMouse.h"
#include "simulation/Simulation.h"

namespace zv::setup {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct Args {
    std::string role, name, session, out, shots;
    int port = 0;
    int country = 0;        // which of the open countries of page 9 the host takes
    int players = 3;        // participants the host waits for on page 6
    int width = 1024, height = 768;  // the screen
    bool waitKill = false;  // after a few hours of play it waits to be killed
};

// ---- output -----------------------------------------------------------------------------------

std::mutex gOutMutex;
FILE* gOut = nullptr;

void Line(const std::string& text) {
    std::lock_guard lock(gOutMutex);
    if (!gOut) return;
    std::fprintf(gOut, "%s\n", text.c_str());
    std::fflush(gOut);
}

std::string Hex64(std::uint64_t v) {
    char b[20];
    std::snprintf(b, sizeof b, "%016" PRIx64, v);
    return b;
}

// Thrown when a step does not come: the script stops and says where.
struct Stop {
    std::string why;
};

// ---- the screen ------------------------------------------------------------------------------

ui::HeadlessBackend* gScreen = nullptr;
Args gArgs;

void Pump() {
    for (int i = 0; i < 3; ++i) ui::WindowManager::Current()->PumpPending();
}

// Pumps (letting the memory screen's clock follow real time) until `done` holds.
void Until(const std::function<bool()>& done, int seconds, const std::string& what) {
    const auto end = Clock::now() + std::chrono::seconds(seconds);
    while (!done()) {
        if (Clock::now() > end) throw Stop{what};
        ui::WindowManager::Current()->PumpPending();
        gScreen->AdvanceClock(10);
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
    }
    Pump();
}

void Shot(const std::string& name) {
    if (gArgs.shots.empty()) return;
    Pump();
    std::string error;
    gScreen->WriteScreenshot(gArgs.shots + "_" + name + ".png", &error);
}

void Stage(const std::string& name) {
    Line("stage " + name);
    Shot(name);
}

void ClickPoint(ui::Hwnd window, int x, int y) {
    ui::Point p{x, y};
    ui::ClientToScreen(window, &p);
    gScreen->Click(p.x, p.y);
    Pump();
}

void ClickControl(ui::Hwnd parent, int id) {
    const ui::Hwnd control = ui::GetDlgItem(parent, id);
    if (!control || !ui::IsWindowVisible(control)) throw Stop{"control " + std::to_string(id) + " not shown"};
    ui::Rect r{};
    ui::GetWindowRect(control, &r);
    gScreen->Click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    Pump();
}

void Key(std::uint32_t vk) {
    gScreen->KeyDown(vk);
    gScreen->KeyUp(vk);
}

// Clicks into an edit, empties it with the keys and types `text`.
void TypeInto(ui::Hwnd parent, int id, const std::string& utf8) {
    ClickControl(parent, id);
    Key(ui::VK_END);
    for (int i = 0; i < 100; ++i) Key(ui::VK_BACK);
    gScreen->Text(utf8);
    Pump();
}

void ClickListBoxRow(ui::Hwnd list, int row) {
    const int height = int(ui::SendMessage(list, ui::LB_GETITEMHEIGHT, 0, 0));
    const int top = int(ui::SendMessage(list, ui::LB_GETTOPINDEX, 0, 0));
    ClickPoint(list, 10, (row - top) * height + height / 2 + 1);
}

std::vector<std::string> ListBoxRows(ui::Hwnd list) {
    std::vector<std::string> rows;
    const int n = int(ui::SendMessage(list, ui::LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        const int length = int(ui::SendMessage(list, ui::LB_GETTEXTLEN, ui::WParam(i), 0));
        std::string text(length > 0 ? std::size_t(length) : 0u, '\0');
        if (length > 0) ui::SendMessage(list, ui::LB_GETTEXT, ui::WParam(i), reinterpret_cast<ui::LParam>(text.data()));
        rows.push_back(core::SjisToUtf8(text.c_str()));
    }
    return rows;
}

void ClickListViewRow(ui::Hwnd list, int row) {
    ui::Rect r{};
    r.left = ui::LVIR_BOUNDS;
    ui::SendMessage(list, ui::LVM_GETITEMRECT, ui::WParam(row), reinterpret_cast<ui::LParam>(&r));
    ClickPoint(list, r.left + 8, (r.top + r.bottom) / 2);
}

// A drop-down list opened by a click on its face, the entry chosen with the arrow keys and
// Enter (the list is longer than its drop-down).
void ChooseComboEntry(ui::Hwnd page, int id, int entry) {
    const ui::Hwnd combo = ui::GetDlgItem(page, id);
    ClickControl(page, id);
    const int now = int(ui::SendMessage(combo, ui::CB_GETCURSEL, 0, 0));
    for (int i = now; i < entry; ++i) Key(ui::VK_DOWN);
    for (int i = entry; i < now; ++i) Key(ui::VK_UP);
    Key(ui::VK_RETURN);
    Pump();
    if (int(ui::SendMessage(combo, ui::CB_GETCURSEL, 0, 0)) != entry) {
        throw Stop{"combo " + std::to_string(id) + " did not take entry " + std::to_string(entry)};
    }
}

// What a modal dialog or box does once it is up: run from a timer of its own loop.
std::function<void(ui::Hwnd)> gInModal;
void WhenModal(std::function<void(ui::Hwnd)> act) {
    gInModal = std::move(act);
    gScreen->SetAutoAdvance(true);
    ui::SetTimer({}, 7701, 30, [](ui::Hwnd, std::uint32_t, std::uintptr_t id, std::uint32_t) {
        const ui::Hwnd active = ui::GetActiveWindow();
        if (!active) return;
        ui::KillTimer({}, id);
        if (auto pending = std::exchange(gInModal, nullptr)) pending(active);
    });
}
void ModalDone() {
    gScreen->SetAutoAdvance(false);
    ui::KillTimer({}, 7701);
    gInModal = nullptr;
}

bool Visible(int page) { return GetSetupPage(page) && ui::IsWindowVisible(GetSetupPage(page)); }


// ---- the game's state ------------------------------------------------------------------------

rules::TableDirectory& Tables() { return *shell::CurrentGameWorld()->tables; }

int Day() {
    return Tables().GetTableBase(rules::TableId::ScenarioHeader)[rules::ScenarioHeaderRecord::kDay];
}
std::int32_t GameMinutes() {
    const std::uint8_t* h = Tables().GetTableBase(rules::TableId::ScenarioHeader);
    return h[rules::ScenarioHeaderRecord::kDay] * 1440 + h[rules::ScenarioHeaderRecord::kHour] * 60 +
           h[rules::ScenarioHeaderRecord::kMinute];
}

// After every executed journal (the host's clock thread, a client's GUI thread): a new day is
// written with the hash of the tables at that step, the same step on every participant.
std::atomic<int> gLastDay{-1};
std::atomic<std::int32_t> gMinutes{0};
std::mutex gLastMutex;
std::string gLastJournal;  // "minutes=M hash=H" of the last executed journal
std::atomic<bool> gGameEnded{false};
void ObserveJournal() {
    // The journal that passes the day limit ends the game: nothing after it counts.
    if (gGameEnded.load()) return;
    rules::ScenarioHeaderCursor header(Tables());
    if (header.IsDayLimitPassed()) gGameEnded.store(true);
    const std::int32_t minutes = GameMinutes();
    gMinutes.store(minutes);
    const std::string hash = Hex64(Tables().HashLiveTables());
    {
        std::lock_guard lock(gLastMutex);
        gLastJournal = "minutes=" + std::to_string(minutes) + " hash=" + hash;
    }
    const int day = Day();
    if (day != gLastDay.exchange(day)) Line("day=" + std::to_string(day) + " hash=" + hash);
}

// The player's ground troops that may move, each with the free hexes 3 hexes away.
struct MoveChoice {
    std::uint16_t troop, start;
    int x, y;
};
std::vector<MoveChoice> MoveChoices() {
    std::vector<MoveChoice> out;
    const ui::Hwnd map = shell::GetWindowOfKind(shell::WindowKind::MapWnd);
    mapview::MapViewContext* ctx = map ? mapview::GetMapViewContext(map) : nullptr;
    if (!ctx) return out;
    const std::uint8_t own = fw::GetPlayerCountry();
    rules::TroopCursor t(Tables());
    for (std::uint16_t i = 0; i < 160; ++i) {
        if (!shell::testing::IsGroundTroopFor(t, ctx, i, 0x0002) || t.GetCountry() != own) continue;
        const std::uint16_t start = t.GetHexValue();
        rules::GameContext& g = ctx->Context();
        for (int dy = -3; dy <= 3; ++dy) {
            for (int dx = -3; dx <= 3; ++dx) {
                const int x = (start & 0xFF) + dx, y = (start >> 8) + dy;
                if (rules::HexDistance(start & 0xFF, start >> 8, x, y) != 3 || !g.SelectHexInfoXY(x, y) ||
                    g.GetHexTroopIndex() != rules::kNoTroopIndex) {
                    continue;
                }
                out.push_back({i, start, x, y});
            }
        }
    }
    return out;
}

// The troop clicked on the map, then the hex it is sent to.
void OrderByMouse(const MoveChoice& m) {
    const ui::Hwnd map = shell::GetWindowOfKind(shell::WindowKind::MapWnd);
    mapview::MapViewContext* ctx = mapview::GetMapViewContext(map);
    const ui::Point from = shell::testing::CentreOnHex(map, ctx, m.start);
    gScreen->Click(from.x, from.y);
    Pump();
    const ui::Point to = shell::testing::ScreenPointOfHex(map, ctx, m.x, m.y);
    gScreen->Click(to.x, to.y);
    Pump();
}

// ---- the script --------------------------------------------------------------------------------

void ToParticipantsPage(ui::Hwnd frame) {
    (void)frame;
    Until([] { return Visible(kPageTitle); }, 30, "the title");
    Stage("title");
    // The title's network button asks for the player's name (dialog 1104).
    WhenModal([](ui::Hwnd dlg) {
        TypeInto(dlg, kIdDialogEdit, gArgs.name);
        ClickControl(dlg, ui::IDOK);
    });
    ClickControl(GetSetupPage(kPageTitle), kIdMultiPlay);
    ModalDone();
    Until([] { return Visible(kPageNetConnection); }, 20, "the connection page");
    // "ＴＣＰ／ＩＰ接続": dialog 1105 asks for the host's address (blank for the host) and the port.
    const ui::Hwnd connection = GetSetupPage(kPageNetConnection);
    ClickListBoxRow(ui::GetDlgItem(connection, kIdConnectionList), 0);
    WhenModal([](ui::Hwnd dlg) {
        if (gArgs.role == "client") TypeInto(dlg, kIdAddressEdit, "127.0.0.1");
        TypeInto(dlg, kIdPortEdit, std::to_string(gArgs.port));
        ClickControl(dlg, ui::IDOK);
    });
    ClickControl(connection, kIdSetupNext);
    ModalDone();
    Until([] { return Visible(kPageNetSession); }, 20, "the session page");
    const ui::Hwnd sessions = GetSetupPage(kPageNetSession);
    if (gArgs.role == "host") {
        WhenModal([](ui::Hwnd dlg) {
            TypeInto(dlg, kIdDialogEdit, gArgs.session);
            ClickControl(dlg, ui::IDOK);
        });
        ClickControl(sessions, kIdNewGameButton);
        ModalDone();
    } else {
        ClickControl(sessions, kIdSearchButton);
        // The host's session, by its name; the host may still be starting.
        const ui::Hwnd list = ui::GetDlgItem(sessions, kIdSessionList);
        int row = -1;
        Until(
            [&] {
                const std::vector<std::string> rows = ListBoxRows(list);
                for (std::size_t i = 0; i < rows.size(); ++i) {
                    if (rows[i].rfind(gArgs.session + " (", 0) == 0) row = int(i);
                }
                return row >= 0;
            },
            60, "the host's session in the list");
        Stage("sessions");
        ClickListBoxRow(list, row);
        ClickControl(sessions, kIdJoinButton);
    }
    Until([] { return Visible(kPageNetParticipants); }, 30, "the participants page");
}

void ChatOnParticipantsPage(int participants) {
    const ui::Hwnd page = GetSetupPage(kPageNetParticipants);
    const ui::Hwnd rowsList = ui::GetDlgItem(page, kIdParticipantList);
    Until(
        [&] {
            int taken = 0;
            for (const std::string& r : ListBoxRows(rowsList)) taken += r.find("空き") == std::string::npos ? 1 : 0;
            return taken >= participants;
        },
        60, "every participant on page 6");
    Stage("participants");
    // A chat line of one's own, typed into the chat panel's edit and sent with Enter; then the
    // others' lines.
    const ui::Hwnd chat = shell::GetChatWindow();
    if (!chat || !ui::IsWindowVisible(chat)) throw Stop{"no chat panel on page 6"};
    TypeInto(chat, shell::kIdChatEdit, "こんにちは、" + gArgs.name + "です");
    Key(ui::VK_RETURN);
    Pump();
    const ui::Hwnd lines = ui::GetDlgItem(chat, shell::kIdChatList);
    Until([&] { return int(ListBoxRows(lines).size()) >= participants; }, 30, "the others' chat lines");
    for (const std::string& l : ListBoxRows(lines)) Line("chat " + l);
    Stage("chat");
}

void ToRolePage() {
    if (gArgs.role == "host") {
        ClickControl(GetSetupPage(kPageNetParticipants), kIdSetupNext);
        Until([] { return Visible(kPageNetFile); }, 20, "the map page");
        const ui::Hwnd files = GetSetupPage(kPageNetFile);
        const ui::Hwnd list = ui::GetDlgItem(files, kIdFileList);
        const int rows = int(ui::SendMessage(list, ui::LVM_GETITEMCOUNT, 0, 0));
        bool chosen = false;
        for (int row = 0; row < rows && !chosen; ++row) {
            ClickListViewRow(list, row);
            const char* file = GetChosenSetupFile(true, nullptr);
            chosen = file && std::string(file) == "MAP00002.ddm";
        }
        if (!chosen) throw Stop{"no map of three countries on the map page"};
        Stage("map");
        ClickControl(files, kIdSetupNext);
    }
    Until([] { return Visible(kPageNetRole); }, 60, "the role page");
    const ui::Hwnd role = GetSetupPage(kPageNetRole);
    ui::Hwnd corps{};
    for (ui::Hwnd c = ui::GetWindow(role, ui::GW_CHILD); c; c = ui::GetWindow(c, ui::GW_HWNDNEXT)) {
        if (ui::GetDlgItem(c, organize::kIdCorpsList)) corps = ui::GetDlgItem(c, organize::kIdCorpsList);
    }
    if (!corps) throw Stop{"no corps list on the role page"};
    ClickListViewRow(corps, 0);
    Stage("role");
    Until([&] { return ui::IsWindowEnabled(ui::GetDlgItem(role, kIdSetupNext)); }, 10, "the role page's next");
    ClickControl(role, kIdSetupNext);
    Until([] { return Visible(kPageNetCountries); }, 60, "the countries page");
}

// The deployment dialog of the game start: 自動配置, then ゲーム開始 once it is enabled (the
// host's waits for every client's troops), from a timer in its loop.
bool gAutoDeployed = false;
void DeployWhenAsked() {
    gScreen->SetAutoAdvance(true);
    gAutoDeployed = false;
    ui::SetTimer({}, 97, 50, [](ui::Hwnd, std::uint32_t, std::uintptr_t id, std::uint32_t) {
        const ui::Hwnd dialog = organize::GetOrganizeState().dialog;
        if (!dialog) return;
        if (!gAutoDeployed) {
            gAutoDeployed = true;
            Stage("deployment");
            ClickControl(dialog, organize::kIdAutoDeploy);
            Shot("deployment_auto");
            return;
        }
        if (!ui::IsWindowEnabled(ui::GetDlgItem(dialog, organize::kIdGameStart))) return;
        ui::KillTimer({}, id);
        Line("stage game_start");
        ClickControl(dialog, organize::kIdGameStart);
    });
}

void Countries() {
    const ui::Hwnd page = GetSetupPage(kPageNetCountries);
    std::vector<int> open;
    for (int c = 0; c < 4; ++c) {
        if (ui::IsWindowEnabled(ui::GetDlgItem(page, RoleComboId(c)))) open.push_back(c);
    }
    if (gArgs.role == "host") {
        if (open.size() < std::size_t(gArgs.players)) throw Stop{"fewer countries open than participants"};
        const int mine = open[std::size_t(gArgs.country)];
        ChooseComboEntry(page, RoleComboId(mine), kRoleUser);
        TypeInto(page, FundsEditId(mine), "5000");
        TypeInto(page, kIdLastDay, "1");
        ClickControl(page, kIdSetupNext);
        // Every client chooses in turn; then 配置へ.
        Until(
            [&] {
                return ui::IsWindowEnabled(ui::GetDlgItem(page, kIdSetupNext)) &&
                       core::SjisToUtf8(ui::GetWindowText(ui::GetDlgItem(page, kIdCountriesStatus))) ==
                           "全員の設定が終了しました";
            },
            90, "the clients' choices");
        Stage("countries_done");
        DeployWhenAsked();
        ClickControl(page, kIdSetupNext);
    } else {
        Until([&] { return ui::IsWindowEnabled(ui::GetDlgItem(page, kIdSetupNext)); }, 90, "this client's turn");
        std::vector<int> free;
        for (int c = 0; c < 4; ++c) {
            if (ui::IsWindowEnabled(ui::GetDlgItem(page, RoleComboId(c)))) free.push_back(c);
        }
        if (free.empty()) throw Stop{"no country left to choose"};
        const int mine = free[0];
        ChooseComboEntry(page, RoleComboId(mine), kRoleUser);
        TypeInto(page, FundsEditId(mine), "5000");
        Stage("countries_turn");
        DeployWhenAsked();
        ClickControl(page, kIdSetupNext);
    }
}

bool Playing() {
    const ui::Hwnd map = shell::GetWindowOfKind(shell::WindowKind::MapWnd);
    return map && ui::IsWindowVisible(map) && gMinutes.load() > 0;
}

void Play() {
    Until(Playing, 120, "the game's first minutes");
    gScreen->SetAutoAdvance(false);
    Line("stage playing country=" + std::to_string(fw::GetPlayerCountry()));
    {
        // How much of the map this participant sees depends on its screen.
        ui::Rect map{};
        ui::GetClientRect(shell::GetWindowOfKind(shell::WindowKind::MapWnd), &map);
        Line("screen " + std::to_string(gArgs.width) + "x" + std::to_string(gArgs.height) + " map " +
             std::to_string(map.Width()) + "x" + std::to_string(map.Height()));
    }
    Shot("playing");
    // An order by mouse on the map; the troop must leave its hex. A hex it cannot go to (water,
    // a cliff) gives no move: the next choice is tried.
    const std::vector<MoveChoice> choices = MoveChoices();
    bool moved = false;
    for (std::size_t k = 0; k < choices.size() && k < 12 && !moved; ++k) {
        const MoveChoice& m = choices[(k * 7) % choices.size()];
        OrderByMouse(m);
        Line("order troop=" + std::to_string(m.troop) + " to=" + std::to_string(m.x) + "," + std::to_string(m.y));
        const std::int32_t from = gMinutes.load();
        const auto end = Clock::now() + std::chrono::seconds(20);
        while (!moved && gMinutes.load() < from + 60 && Clock::now() < end) {
            rules::TroopCursor t(Tables());
            moved = t.Select(m.troop) && t.GetHexValue() != m.start;
            ui::WindowManager::Current()->PumpPending();
            std::this_thread::sleep_for(std::chrono::milliseconds(3));
        }
    }
    if (!moved) throw Stop{"no ordered troop moved"};
    const std::int32_t from = gMinutes.load();
    Line("stage moved");
    Until([&] { return gMinutes.load() >= from + 180; }, 180, "three game hours");
    Stage("hours_later");
}

// The end of the game: the boxes and pictures of the end answered (Enter, a click on a picture),
// the result window's end button clicked; the program goes back to the title.
std::string gLastBox;
void ToTheEnd() {
    gScreen->SetAutoAdvance(true);
    ui::SetTimer({}, 98, 200, [](ui::Hwnd, std::uint32_t, std::uintptr_t, std::uint32_t) {
        const ui::Hwnd result = shell::GetWindowOfKind(shell::WindowKind::ResultWnd);
        if (result && ui::IsWindowVisible(result)) {
            static bool shown = false;
            if (!std::exchange(shown, true)) Stage("result");
            ClickPoint(result, 720, 532);
            return;
        }
        const ui::Hwnd active = ui::GetActiveWindow();
        if (!active || active == shell::GetWindowOfKind(shell::WindowKind::FrameWnd) || Visible(kPageTitle)) return;
        const std::string title = core::SjisToUtf8(ui::GetWindowText(active));
        if (title != gLastBox) Line("box " + title);
        gLastBox = title;
        Key(ui::VK_RETURN);
        if (ui::IsWindow(active) && ui::GetActiveWindow() == active) {
            ui::Rect r{};
            ui::GetWindowRect(active, &r);
            gScreen->Click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        }
    });
    Until([] { return Visible(kPageTitle); }, 240, "the title after the game");
    ui::KillTimer({}, 98);
    gScreen->SetAutoAdvance(false);
    std::lock_guard lock(gLastMutex);
    Line("final " + gLastJournal);
}

void Script(ui::Hwnd frame) {
    // Fights would play on the screen's timers, which only move inside modal loops here.
    shell::PutFightMine(0);
    shell::PutFightOther(0);
    shell::CurrentGameWorld()->simulation->SetJournalObserver(ObserveJournal);
    ToParticipantsPage(frame);
    ChatOnParticipantsPage(gArgs.players);
    ToRolePage();
    Countries();
    Play();
    if (gArgs.waitKill) {
        // This one is killed by the test while the others play on.
        Line("stage waiting");
        Until([] { return false; }, 600, "the kill");
    }
    ToTheEnd();
    Stage("title_again");
    ClickPoint(GetSetupPage(kPageTitle), kQuitRight, kQuitBottom);
}

int Main(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string k = argv[i], v = argv[i + 1];
        if (k == "--role") gArgs.role = v;
        else if (k == "--name") gArgs.name = v;
        else if (k == "--session") gArgs.session = v;
        else if (k == "--port") gArgs.port = std::atoi(v.c_str());
        else if (k == "--out") gArgs.out = v;
        else if (k == "--shots") gArgs.shots = v;
        else if (k == "--country") gArgs.country = std::atoi(v.c_str());
        else if (k == "--players") gArgs.players = std::atoi(v.c_str());
        else if (k == "--wait-kill") gArgs.waitKill = v == "1";
        else if (k == "--screen") std::sscanf(v.c_str(), "%dx%d", &gArgs.width, &gArgs.height);
    }
    if ((gArgs.role != "host" && gArgs.role != "client") || gArgs.out.empty() || gArgs.port <= 0) {
        std::fprintf(stderr, "usage: zv_net_participant --role host|client --name N --session S --port P --out FILE\n");
        return 2;
    }
    gOut = std::fopen(gArgs.out.c_str(), "w");
    if (!gOut) return 2;

    // A program folder of its own: its settings file stays apart; the data are links.
    const fs::path dir = fs::temp_directory_path() / ("zv-net-" + gArgs.role + "-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    for (const auto& entry : fs::directory_iterator(ZV_PROGRAM_DIR)) {
        const std::string name = entry.path().filename().string();
        if (name == "ZV6WIN.INI" || name == "SAVE") continue;
        fs::create_symlink(entry.path(), dir / name);
    }
    InstallSetupModule();
    SetSetupMessageBoxHook([](ui::Hwnd, const std::string& text, std::uint32_t) {
        Line("box " + text);
        return ui::IDOK;
    });
    shell::GameProgramOptions options;
    options.programDirectory = dir.string();
    options.instanceName = "zv6-net-" + std::to_string(::getpid());
    options.music = false;
    options.clockPeriodMs = 2;
    options.makeBackend = [](std::string*) -> std::unique_ptr<ui::Backend> {
        auto b = std::make_unique<ui::HeadlessBackend>(gArgs.width, gArgs.height);
        gScreen = b.get();
        return b;
    };
    bool finished = false;
    options.onFrameShown = [&](ui::Hwnd frame) {
        try {
            Script(frame);
            finished = true;
        } catch (const Stop& stop) {
            Line("fail " + stop.why);
            Shot("failed");
            std::fflush(gOut);
            std::_Exit(3);
        }
    };
    const int code = shell::RunGameProgram(options);
    Line(finished ? "stage exit code=" + std::to_string(code) : "fail the program ended early");
    std::fclose(gOut);
    gOut = nullptr;
    std::error_code ec;
    fs::remove_all(dir, ec);
    return finished && code == 0 ? 0 : 1;
}

}  // namespace
}  // namespace zv::setup

int main(int argc, char** argv) { return zv::setup::Main(argc, argv); }
