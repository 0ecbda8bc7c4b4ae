#pragma once

// A game of the default map on a headless screen: a frame window with an MDI client, the
// panels' world installed over the game's tables and simulation, the shell's palettes and
// button sheets loaded, and helpers that write screenshots and record battles.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "framework/Dib.h"
#include "framework/ProcessState.h"
#include "panels/PanelManager.h"
#include "panels/PanelMessages.h"
#include "panels/PanelWorld.h"
#include "platform/ui/TextFitCheck.h"
#include "platform/ui/HeadlessBackend.h"
#include "platform/ui/Mdi.h"
#include "platform/ui/Messages.h"
#include "platform/ui/PngWriter.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowManager.h"
#include "rules/combat/Attack.h"
#include "rules/context/GameContext.h"
#include "rules/context/GameEvents.h"
#include "rules/records/BattleRecord.h"
#include "rules/records/RuleCursors.h"
#include "rules/records/TroopCursor.h"
#include "rules/testing/TempFolder.h"
#include "rules/troops/TroopMembers.h"
#include "shell/ButtonBitmaps.h"
#include "shell/Palettes.h"
#include "shell/ProgramServices.h"
#include "shell/Settings.h"
#include "shell/ShellTables.h"
#include "shell/WindowRegistry.h"
#include "simulation/ClockStepWorld.h"
#include "simulation/Simulation.h"

namespace zv::panels::testing {

inline const std::string kProgramDir = ZV_PROGRAM_DIR;
// The unit kind of headquarters, which carry no weapons.
constexpr int kHeadquartersKind = 101;

// What the panels asked of the neighbouring dialogs.
class RecordingPanelHost : public PanelHost {
  public:
    std::vector<std::string> calls;
    uint16_t cargoAnswer = 0xFFFF;
    uint32_t separationAnswer = 0;
    void ShowTroopInfo(ui::Hwnd, std::uint8_t country, std::uint16_t troop, int mode) override {
        calls.push_back("ShowTroopInfo(" + std::to_string(country) + "," + std::to_string(troop) +
                        "," + std::to_string(mode) + ")");
    }
    std::uint16_t ChooseCargoTroop(ui::Hwnd, std::uint16_t carrier) override {
        calls.push_back("ChooseCargoTroop(" + std::to_string(carrier) + ")");
        return cargoAnswer;
    }
    std::uint32_t SelectSeparableWeapon(ui::Hwnd, std::uint16_t troop, int, int) override {
        calls.push_back("SelectSeparableWeapon(" + std::to_string(troop) + ")");
        return separationAnswer;
    }
};

// Battle records the rules hand to the fight windows.
class FightRecorder : public rules::GameEvents {
  public:
    bool FightDisplayEnabled(bool) override { return true; }
    void PlayFight(const std::uint8_t* record) override {
        fights.emplace_back(record, record + rules::kBattleRecordSize);
    }
    std::vector<std::vector<std::uint8_t>> fights;
};

// The frame's WM_COMMAND ids, in order.
inline std::vector<int> gFrameCommands;

inline ui::LResult FrameProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    if (msg == ui::WM_COMMAND) gFrameCommands.push_back(int(w & 0xFFFF));
    return ui::DefFrameProc(h, ui::Hwnd{}, msg, w, l);
}

inline std::string ScreenshotPath(const std::string& name) {
    const std::filesystem::path dir =
        std::filesystem::path(kProgramDir).parent_path() / "tests" / "screenshots";
    std::filesystem::create_directories(dir);
    return (dir / (name + ".png")).string();
}

class PanelsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        oldDirectory_ = std::filesystem::current_path();
        std::filesystem::current_path(kProgramDir);
        // Settings go to a folder of their own; the pictures read through the program
        // directory come from the content build.
        for (const char* folder : {"unit", "fight"}) {
            std::filesystem::create_directory_symlink(
                std::filesystem::path(kProgramDir) / folder,
                std::filesystem::path(settings_.Path()) / folder);
        }
        fw::SetProgramDirectory(settings_.Path());
        fw::SetPlayerCountry(0);
        std::string error;
        ASSERT_TRUE(game.Load(kProgramDir, "MAP00001.ddm", error)) << error;
        sim::HeadlessStartOptions options;
        options.playerCountry = 0;
        game.BeginPlay(options);
        services->tables = &game.Tables();
        world.tables = &game.Tables();
        world.simulation = &game.Sim();
        world.host = &host;
        services->panels = &world;

        auto backend = std::make_unique<ui::HeadlessBackend>(1024, 768);
        screen = backend.get();
        wm = std::make_unique<ui::WindowManager>(std::move(backend));
        shell::LoadPalettes({});
        ASSERT_EQ(shell::LoadButtonBitmaps(), 1);
        ui::WindowClass wc;
        wc.name = "PanelsTestFrame";
        wc.proc = FrameProc;
        wc.hasBackground = true;
        wc.background = ui::Rgb(40, 44, 52);
        ui::RegisterClass(wc);
        gFrameCommands.clear();
        frame = ui::CreateWindowEx(0, "PanelsTestFrame", "ZV6", ui::WS_POPUP | ui::WS_VISIBLE, 0, 0,
                                   1024, 768, ui::Hwnd{}, 0, nullptr, nullptr);
        ui::ClientCreateStruct ccs;
        mdiClient = ui::CreateWindowEx(0, ui::kMdiClientClass, "", ui::WS_CHILD | ui::WS_VISIBLE, 0,
                                       22, 820, 746, frame, 1, nullptr, &ccs);
        shell::SetWindowOfKind(shell::WindowKind::FrameWnd, frame);
        shell::SetWindowOfKind(shell::WindowKind::MdiWnd, mdiClient);
    }

    void TearDown() override {
        for (ui::Hwnd top = ui::GetTopWindow({}); top; top = ui::GetTopWindow({}))
            ui::DestroyWindow(top);
        for (int k = 0; k < shell::kWindowKindCount; ++k) shell::SetWindowOfKind(k, {});
        wm.reset();
        services->panels = nullptr;
        services->tables = nullptr;
        shell::FreeButtonBitmaps();
        fw::SetProgramDirectory(kProgramDir);
        std::filesystem::current_path(oldDirectory_);
    }

    void Pump() { wm->PumpPending(); }

    void Shot(const std::string& name) {
        wm->Flush();
        std::string error;
        EXPECT_TRUE(ui::WritePng(ScreenshotPath(name), screen->Screen(), &error)) << error;
        // Every text on the screen fits its box and lies under no other window.
        for (const std::string& p : ui::CheckScreenTexts()) ADD_FAILURE() << name << ": " << p;
        wm->Flush();
    }

    // The window's client origin on the screen.
    ui::Point Origin(ui::Hwnd h) {
        ui::Point p{0, 0};
        ui::ClientToScreen(h, &p);
        return p;
    }
    void ClickAt(ui::Hwnd h, int x, int y, ui::MouseButton b = ui::MouseButton::Left) {
        const ui::Point o = Origin(h);
        screen->Click(o.x + x, o.y + y, b);
        Pump();
    }

    // The panel column in the frame at x 828, laid out for the mask; returns the manager.
    ui::Hwnd CreateColumn(int paneConf = 62) {
        const ui::Hwnd manager = CreatePanelWindows(frame, ui::WS_CHILD);
        ui::SetWindowPos(manager, ui::Hwnd{}, 828, 0, 10, 10, ui::SWP_NOZORDER);
        shell::PutPaneConf(paneConf);
        ui::SendMessage(manager, WM_LAYOUT_PANELS, 0, 0);
        return manager;
    }

    // FNV-1a over the screen pixels of a w x h area of the window's client area.
    uint64_t AreaHash(ui::Hwnd window, int x, int y, int w, int h) {
        wm->Flush();
        const ui::Point o = Origin(window);
        uint64_t hash = 1469598103934665603ull;
        for (int dy = 0; dy < h; ++dy)
            for (int dx = 0; dx < w; ++dx)
                hash = (hash ^ screen->PixelAt(o.x + x + dx, o.y + y + dy)) * 1099511628211ull;
        return hash;
    }

    // A used troop of the country on the map with members (altitude class 0: any).
    uint16_t FindTroop(uint8_t country, int altitudeClass = 0) {
        rules::TroopCursor t(game.Tables());
        for (uint16_t i = uint16_t(country * 40); i < uint16_t(country * 40 + 40); ++i) {
            if (t.Select(i) && t.GetRecord()->IsUsed() && t.HasMembers() && t.IsOnMap() &&
                (altitudeClass == 0 || t.GetTroopAltitudeClass() == altitudeClass)) {
                return i;
            }
        }
        return 0xFFFF;
    }

    // A ground troop of the country that fights: on the map, without a headquarters member.
    uint16_t FindFighter(uint8_t country) {
        rules::TroopCursor t(game.Tables());
        rules::UnitInfoCursor unit(game.Tables());
        for (uint16_t i = uint16_t(country * 40); i < uint16_t(country * 40 + 40); ++i) {
            if (!t.Select(i) || !t.GetRecord()->IsUsed() || !t.HasMembers() || !t.IsOnMap() ||
                t.GetTroopAltitudeClass() != 3) {
                continue;
            }
            bool fighter = true;
            for (int s = 0; s < 6; ++s) {
                const int16_t id = t.GetMemberUnit(s);
                if (id != -1 && unit.Select(id) && unit.GetUnitKind() == kHeadquartersKind)
                    fighter = false;
            }
            if (fighter) return i;
        }
        return 0xFFFF;
    }

    // Troop b stands beside troop a and is attacked until it is wiped out (or `rounds` fights);
    // every fight record the rules hand to the windows. `weaken` leaves b one worn machine per
    // member first.
    std::vector<std::vector<uint8_t>> RecordBattles(uint16_t a, uint16_t b, int rounds,
                                                    bool weaken = false) {
        FightRecorder recorder;
        rules::GameContextEnv env;
        env.events = &recorder;
        env.playerCountry = 0;
        rules::GameContext ctx(game.Tables(), env);
        rules::TroopCursor& t = ctx.Troops();
        t.Select(a);
        const uint16_t hex = t.GetHexValue();
        t.Select(b);
        t.SetHex(uint16_t(((hex & 0xFF) + 1) | (hex & 0xFF00)));
        t.SetMask28(uint16_t(t.GetMask28() | 0x11));  // seen and identified by the player
        if (weaken) {
            // One worn machine per member, so that a round can wipe the troop out.
            for (int s = 0; s < 6; ++s) {
                if (rules::TroopMember* m = t.GetRecord()->SlotMember(s)) {
                    m->SetStrength(1);
                    m->SetDurability(1);
                }
            }
        }
        for (int i = 0; i < rounds; ++i) {
            if (!t.Select(b) || !t.HasMembers()) break;
            // The attacker has reloaded between the fights.
            t.Select(a);
            for (int s = 0; s < 6; ++s)
                for (int w = 0; w < 6; ++w) t.SetMemberWeaponByte16(s, w, 0);
            rules::ExecAttack(ctx, a, b, game.Sim().Random());
        }
        return recorder.fights;
    }

    sim::HeadlessGame game;
    PanelWorld world;
    RecordingPanelHost host;
    ui::HeadlessBackend* screen = nullptr;
    shell::ScopedServices services;
    std::unique_ptr<ui::WindowManager> wm;
    ui::Hwnd frame{};
    ui::Hwnd mdiClient{};

  private:
    std::filesystem::path oldDirectory_;
    rules::testing::TempFolder settings_;
};

}  // namespace zv::panels::testing
