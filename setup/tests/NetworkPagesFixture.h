#pragma once

// Participants of a network set-up in one test process: each has its own session manager on
// loopback, its own tables and simulation, a frame that records WM_START_GAME and hands the
// manager's events over, and a container that switches its pages as the set-up container does.
// All share the one headless screen and are driven by mouse and keys.

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "netplay/SessionManager.h"
#include "organize/OrganizeWorld.h"
#include "shell/ProgramServices.h"
#include "platform/ui/HeadlessBackend.h"
#include "platform/ui/WindowManager.h"
#include "rules/context/TableDirectory.h"
#include "simulation/Simulation.h"

namespace zv::setup::testing {

struct Participant : net::NetworkEventTarget {
    Participant(int index, std::uint16_t discoveryBase, const std::string& version, std::uint32_t pauseMs = 0);
    ~Participant() override;
    void SendNetworkEvent(std::uint32_t w, const void* l) override;
    void SendLinkQuality(int) override {}
    void SendWaitMask(std::uint16_t) override {}
    void ServePendingSends() override;

    // The page in a slot of this participant's container (null when absent).
    ui::Hwnd Page(int slot) const { return pages[slot]; }
    // Shows page 4 as the title page's network button does.
    void EnterNetworkPages();

    int index = 0;
    rules::TableDirectory tables;
    std::unique_ptr<sim::Simulation> sim;
    std::unique_ptr<net::SessionManager> manager;
    std::unique_ptr<net::NetworkGui> gui;
    ui::Hwnd frame, container;
    ui::Hwnd pages[10] = {};
    int current = 255;
    int startGames = 0;       // WM_START_GAME received by the frame
    bool backAtTitle = false;  // the container was sent back to page 0
    std::vector<std::string> log;
    // While set, the receive thread waits before it hands an event over: a participant that
    // stopped answering (its transport still keeps the connection).
    std::atomic<bool> stalled{false};
};

class NetPagesTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // pauseMs: the host's pause before it tells everybody to go on from the map page.
    Participant& Add(const std::string& version = "1.0.0.0", std::uint32_t pauseMs = 0);
    // Pumps, moves the layer's clock and lets real time pass until pred holds (false after ms).
    bool Until(const std::function<bool()>& pred, std::uint32_t ms = 8000);
    void Pump(int rounds = 3);
    // Clicks a control of a window at its centre (screen coordinates from the layer).
    void ClickControl(ui::Hwnd parent, int id);
    void ClickAt(ui::Hwnd window, int x, int y);
    // Clicks row `row` of a list box.
    void ClickListRow(ui::Hwnd list, int row);
    // Chooses entry `entry` of a drop-down combo box by mouse.
    void ChooseComboEntry(ui::Hwnd page, int id, int entry);
    // Opens a drop-down combo box with a click and clicks its row `entry` in the open list,
    // which must show that row; the open list's first shown row and its row count are kept.
    // A screenshot `shot` (when given) is taken while the list is open.
    void ClickComboRow(ui::Hwnd page, int id, int entry, const std::string& shot = "");
    int droppedTop = -1, droppedRows = 0;
    // Runs `click` (which opens a modal dialog or box) and `act` on the dialog once it is up.
    void WithModal(const std::function<void()>& click, const std::function<void(ui::Hwnd)>& act);
    void Shot(const std::string& name);
    // A participant without pages finds the first session and joins it.
    void JoinWithoutPages(Participant& p, const std::string& name);
    std::string Text(ui::Hwnd window) const;
    std::string ItemText(ui::Hwnd parent, int id) const;
    std::vector<std::string> ListRows(ui::Hwnd list) const;

    ui::HeadlessBackend* screen = nullptr;
    shell::ScopedServices services;
    std::unique_ptr<ui::WindowManager> wm;
    std::vector<std::unique_ptr<Participant>> people;
    std::uint16_t base = 0;
    // Refusals shown through the pages' boxes (UTF-8).
    std::vector<std::string> boxes;
    organize::OrganizeWorld organizeWorld;
};

}  // namespace zv::setup::testing
