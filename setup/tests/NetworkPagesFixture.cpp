#include "setup/tests/NetworkPagesFixture.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>

#include "framework/ProcessState.h"
#include "organize/OrganizeWorld.h"
#include "platform/core/Sjis.h"
#include "platform/core/Threads.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/TextFitCheck.h"
#include "platform/ui/Window.h"
#include "platform/ui/controls/ControlConstants.h"
#include "setup/NetworkPages.h"
#include "setup/NetworkPagesInternal.h"
#include "setup/SetupContainer.h"
#include "setup/SetupInternal.h"
#include "shell/game/GameMessages.h"

namespace zv::setup::testing {

namespace {

constexpr const char* kFrameClass = "NetPagesTestFrame";
constexpr const char* kContainerClass = "NetPagesTestContainer";
constexpr int kParticipantWidth = 640;

Participant* Of(ui::Hwnd h) { return reinterpret_cast<Participant*>(ui::GetWindowLongPtr(h, ui::GWLP_USERDATA)); }

ui::LResult FrameProc(ui::Hwnd h, std::uint32_t msg, ui::WParam w, ui::LParam l) {
    Participant* p = Of(h);
    switch (msg) {
        case zv::WM_NETWORK_EVENT:
            if (p) p->manager->OnNetworkEvent(static_cast<std::uint32_t>(w), reinterpret_cast<const void*>(l));
            return 0;
        case zv::WM_SET_NETWORK_TARGET:
            if (p) p->manager->SetNotifyTarget(p);
            return 0;
        case zv::WM_START_GAME:
            if (p) ++p->startGames;
            return 1;
        default:
            return ui::DefWindowProc(h, msg, w, l);
    }
}

void ShowPage(Participant& p, int next, int old) {
    p.current = next;
    if (next == kPageNetConnection) {
        p.manager->Close();
        p.manager->OpenTransport();
        ui::SendMessage(p.frame, zv::WM_SET_NETWORK_TARGET, 0, 0);
    }
    if (old != kNoPage && old < kSetupPageCount && p.pages[old]) ui::SendMessage(p.pages[old], WM_SHOW_PAGE, 0, 0);
    if (next != kNoPage && next < kSetupPageCount && p.pages[next]) {
        ui::SetWindowPos(p.pages[next], ui::Hwnd{}, 20, 10, kSetupPageWidth, kSetupPageHeight, ui::SWP_NOZORDER);
        ui::SendMessage(p.pages[next], WM_SHOW_PAGE, 1, 0);
    }
}

void DestroyPages(Participant& p) {
    for (int i = kPageNetConnection; i <= kPageNetCountries; ++i) {
        const ui::Hwnd page = p.pages[i];
        p.pages[i] = {};
        if (ui::IsWindow(page)) ui::DestroyWindow(page);
    }
}

// Switches pages as the set-up container does.
ui::LResult ContainerProc(ui::Hwnd h, std::uint32_t msg, ui::WParam w, ui::LParam l) {
    Participant* p = Of(h);
    switch (msg) {
        case WM_SETUP_NEXT_PAGE:
            if (!p) return 0;
            ShowPage(*p, static_cast<int>(w & 0xFF), static_cast<int>(l & 0xFF));
            if ((w & 0xFF) == kNoPage) {
                DestroyPages(*p);
                ui::PostMessage(p->frame, zv::WM_START_GAME, 0, 0);
            }
            return 0;
        case WM_SETUP_PREV_PAGE:
            if (!p) return 0;
            ShowPage(*p, static_cast<int>(w & 0xFF), static_cast<int>(l & 0xFF));
            if ((w & 0xFF) == kPageTitle) {
                DestroyPages(*p);
                p->backAtTitle = true;
            }
            return 0;
        default:
            return ui::DefWindowProc(h, msg, w, l);
    }
}

std::uint16_t DiscoveryBase() {
    static std::atomic<int> next{0};
    return static_cast<std::uint16_t>(42000 + (getpid() % 1000) * 16 + 4 * (next++ % 4));
}

}  // namespace

Participant::Participant(int i, std::uint16_t discoveryBase, const std::string& version, std::uint32_t pauseMs)
    : index(i) {
    EXPECT_TRUE(tables.LoadAllTables(ZV_PROGRAM_DIR "/"));
    sim::SimulationEnv env;
    env.log = [](std::string_view) {};
    sim = std::make_unique<sim::Simulation>(tables, env);
    net::SessionManagerOptions o;
    o.transport.bindAddress = "127.0.0.1";
    o.transport.discoveryBase = discoveryBase;
    o.transport.discoveryPorts = 4;
    o.transport.searchAddresses = {"127.0.0.1"};
    o.transport.log = [](std::string_view) {};
    o.application.bytes[0] = 0x5A;
    o.version = version;
    o.blockPauseMs = 0;
    o.nextGameSettingWaitMs = pauseMs;
    o.log = [this](std::string_view line) { log.emplace_back(line); };
    manager = std::make_unique<net::SessionManager>(o);
    manager->AttachGame(sim.get(), &tables);
    sim->SetSession(manager.get());

    const int x = kParticipantWidth * index;
    frame = ui::CreateWindowEx(0, kFrameClass, "", ui::WS_POPUP | ui::WS_VISIBLE, x, 0, kParticipantWidth, 420, {}, 0,
                               nullptr, nullptr);
    ui::SetWindowLongPtr(frame, ui::GWLP_USERDATA, reinterpret_cast<intptr_t>(this));
    container = ui::CreateWindowEx(0, kContainerClass, "", ui::WS_POPUP | ui::WS_VISIBLE | ui::WS_CLIPCHILDREN, x, 0,
                                   kParticipantWidth, 420, frame, 0, nullptr, nullptr);
    ui::SetWindowLongPtr(container, ui::GWLP_USERDATA, reinterpret_cast<intptr_t>(this));
    manager->SetNotifyTarget(this);
    gui.reset(MakeSetupNetworkGui(frame, [this] { return container; }));
    manager->SetGui(gui.get());
    BindNetworkSetup(container, {manager.get(), frame, &tables});
}

Participant::~Participant() {
    stalled = false;
    manager->Close();
    UnbindNetworkSetup(container);
    DestroyPages(*this);
    if (ui::IsWindow(container)) ui::DestroyWindow(container);
    if (ui::IsWindow(frame)) ui::DestroyWindow(frame);
    sim->SetSession(nullptr);
}

void Participant::SendNetworkEvent(std::uint32_t w, const void* l) {
    while (stalled.load()) core::SleepMs(2);
    ui::SendMessage(frame, zv::WM_NETWORK_EVENT, w, reinterpret_cast<ui::LParam>(l));
}

void Participant::ServePendingSends() {
    if (ui::WindowManager* m = ui::WindowManager::Current()) m->ServeSends();
}

void Participant::EnterNetworkPages() {
    for (int i = kPageNetConnection; i <= kPageNetCountries; ++i) {
        pages[i] = ui::CreateWindowEx(0, kMultiPlayPageClasses[i - kPageNetConnection], "",
                                      ui::WS_CHILD | ui::WS_CLIPSIBLINGS | ui::WS_CLIPCHILDREN, 0, 0, kSetupPageWidth,
                                      kSetupPageHeight, container, 0, nullptr, nullptr);
        EXPECT_TRUE(pages[i]) << i;
    }
    ShowPage(*this, kPageNetConnection, kNoPage);
}

void NetPagesTest::SetUp() {
    auto backend = std::make_unique<ui::HeadlessBackend>(1280, 420);
    screen = backend.get();
    wm = std::make_unique<ui::WindowManager>(std::move(backend));
    fw::SetProgramDirectory(ZV_PROGRAM_DIR "/");
    ui::WindowClass frameClass;
    frameClass.proc = FrameProc;
    frameClass.name = kFrameClass;
    frameClass.hasBackground = true;
    frameClass.background = ui::Rgb(0, 0, 0);
    ui::RegisterClass(frameClass);
    ui::WindowClass containerClass;
    containerClass.proc = ContainerProc;
    containerClass.name = kContainerClass;
    containerClass.hasBackground = true;
    containerClass.background = ui::Rgb(0, 0, 0);
    ui::RegisterClass(containerClass);
    ASSERT_EQ(RegisterNetworkPageClasses(), 1);
    base = DiscoveryBase();
    organizeWorld.corpsDirectory = ZV_PROGRAM_DIR "/";
    services->organize = &organizeWorld;
    SetSetupMessageBoxHook([this](ui::Hwnd, const std::string& text, std::uint32_t) {
        boxes.push_back(text);
        return ui::IDOK;
    });
}

void NetPagesTest::TearDown() {
    SetSetupMessageBoxHook(nullptr);
    people.clear();
    services->organize = nullptr;
    for (ui::Hwnd top = ui::GetTopWindow({}); top; top = ui::GetTopWindow({})) ui::DestroyWindow(top);
    wm.reset();
}

Participant& NetPagesTest::Add(const std::string& version, std::uint32_t pauseMs) {
    people.push_back(std::make_unique<Participant>(static_cast<int>(people.size()), base, version, pauseMs));
    // The corps lists read the first participant's tables.
    if (people.size() == 1) organizeWorld.tables = &people.back()->tables;
    return *people.back();
}

void NetPagesTest::Pump(int rounds) {
    for (int i = 0; i < rounds; ++i) {
        wm->PumpPending();
        wm->Flush();
    }
}

bool NetPagesTest::Until(const std::function<bool()>& pred, std::uint32_t ms) {
    const std::uint32_t start = core::GetTickMs();
    while (!pred()) {
        if (core::GetTickMs() - start > ms) return false;
        wm->PumpPending();
        screen->AdvanceClock(25);
        core::SleepMs(2);
    }
    Pump();
    return true;
}

void NetPagesTest::ClickAt(ui::Hwnd window, int x, int y) {
    ui::Point p{x, y};
    ui::ClientToScreen(window, &p);
    screen->Click(p.x, p.y);
    Pump();
}

void NetPagesTest::ClickControl(ui::Hwnd parent, int id) {
    const ui::Hwnd control = ui::GetDlgItem(parent, id);
    ASSERT_TRUE(control) << id;
    ASSERT_TRUE(ui::IsWindowVisible(control)) << id;
    ui::Rect r{};
    ui::GetWindowRect(control, &r);
    screen->Click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    Pump();
}

void NetPagesTest::ClickListRow(ui::Hwnd list, int row) {
    const int height = static_cast<int>(ui::SendMessage(list, ui::LB_GETITEMHEIGHT, 0, 0));
    const int top = static_cast<int>(ui::SendMessage(list, ui::LB_GETTOPINDEX, 0, 0));
    ClickAt(list, 10, (row - top) * height + height / 2 + 1);
}

void NetPagesTest::ChooseComboEntry(ui::Hwnd page, int id, int entry) {
    const ui::Hwnd combo = ui::GetDlgItem(page, id);
    ASSERT_TRUE(ui::IsWindowEnabled(combo)) << id;
    ClickControl(page, id);
    // The drop-down list opens under the combo: pick the entry with the keys, then Enter.
    const int now = static_cast<int>(ui::SendMessage(combo, ui::CB_GETCURSEL, 0, 0));
    for (int i = now; i < entry; ++i) screen->KeyDown(ui::VK_DOWN), screen->KeyUp(ui::VK_DOWN);
    for (int i = entry; i < now; ++i) screen->KeyDown(ui::VK_UP), screen->KeyUp(ui::VK_UP);
    screen->KeyDown(ui::VK_RETURN);
    screen->KeyUp(ui::VK_RETURN);
    Pump();
}

void NetPagesTest::ClickComboRow(ui::Hwnd page, int id, int entry, const std::string& shot) {
    const ui::Hwnd combo = ui::GetDlgItem(page, id);
    ASSERT_TRUE(ui::IsWindowEnabled(combo)) << id;
    ClickControl(page, id);
    ASSERT_EQ(ui::SendMessage(combo, ui::CB_GETDROPPEDSTATE, 0, 0), 1) << id;
    ui::Hwnd list{};
    for (ui::Hwnd w = ui::GetTopWindow({}); w; w = ui::GetWindow(w, ui::GW_HWNDNEXT)) {
        if (ui::IsWindowVisible(w) && ui::GetClassName(w) == ui::kComboListClass) list = w;
    }
    ASSERT_TRUE(list);
    ui::Rect client{}, row{};
    ui::GetClientRect(list, &client);
    droppedTop = static_cast<int>(ui::SendMessage(list, ui::LB_GETTOPINDEX, 0, 0));
    droppedRows = client.Height() / std::max(1, static_cast<int>(ui::SendMessage(list, ui::LB_GETITEMHEIGHT, 0, 0)));
    ui::SendMessage(list, ui::LB_GETITEMRECT, ui::WParam(entry), reinterpret_cast<ui::LParam>(&row));
    ASSERT_TRUE(row.top >= client.top && row.bottom <= client.bottom) << "row " << entry << " is not shown";
    if (!shot.empty()) {
        Pump();
        std::filesystem::create_directories("screenshots");
        std::string error;
        EXPECT_TRUE(screen->WriteScreenshot("screenshots/" + shot + ".png", &error)) << error;
    }
    ClickAt(list, 10, (row.top + row.bottom) / 2);
}

void NetPagesTest::WithModal(const std::function<void()>& click, const std::function<void(ui::Hwnd)>& act) {
    static std::function<void(ui::Hwnd)> gAct;
    gAct = act;
    ui::SetTimer({}, 7701, 20, [](ui::Hwnd, uint32_t, uintptr_t id, uint32_t) {
        ui::KillTimer({}, id);
        auto run = std::move(gAct);
        gAct = nullptr;
        if (run) run(ui::GetActiveWindow());
    });
    screen->SetAutoAdvance(true);
    click();
    screen->SetAutoAdvance(false);
    ui::KillTimer({}, 7701);
    gAct = nullptr;
}

void NetPagesTest::Shot(const std::string& name) {
    // Two participants share one screen and one chat panel: repaint both sides whole.
    for (const auto& p : people) ui::RedrawWindow(p->container, nullptr, ui::RDW_INVALIDATE | ui::RDW_ERASE | ui::RDW_ALLCHILDREN);
    Pump();
    std::filesystem::create_directories("screenshots");
    std::string error;
    EXPECT_TRUE(screen->WriteScreenshot("screenshots/" + name + ".png", &error)) << error;
    // Every text of both sides fits its box and lies under no other window.
    for (const auto& p : people) {
        if (!p->container || !ui::IsWindowVisible(p->container)) continue;
        for (const std::string& problem : ui::CheckWindowTexts(p->container)) ADD_FAILURE() << name << ": " << problem;
    }
    Pump();
}

void NetPagesTest::JoinWithoutPages(Participant& p, const std::string& name) {
    p.manager->OpenTransport();
    net::SessionConnection* c = p.manager->Connection();
    c->SetPlayerName(name);
    bool searching = false;
    c->ToggleSearch(searching);
    ASSERT_TRUE(Until([&] {
        c->RefreshSessions();
        return c->RowNode(0) != nullptr;
    }));
    c->SelectRow(0);
    bool joined = false;
    ASSERT_EQ(p.manager->Join(joined), 1);
    c->StopBrowsing();
}

std::string NetPagesTest::Text(ui::Hwnd window) const { return core::SjisToUtf8(ui::GetWindowText(window)); }

std::string NetPagesTest::ItemText(ui::Hwnd parent, int id) const { return Text(ui::GetDlgItem(parent, id)); }

std::vector<std::string> NetPagesTest::ListRows(ui::Hwnd list) const {
    std::vector<std::string> rows;
    const int n = static_cast<int>(ui::SendMessage(list, ui::LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) rows.push_back(core::SjisToUtf8(netpages::ListBoxText(list, i)));
    return rows;
}

}  // namespace zv::setup::testing
