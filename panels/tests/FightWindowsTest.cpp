// The fight windows playing battles recorded on the default map: the manager's clock hold,
// the panes' places and pictures frame by frame, and every way a fight ends.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "panels/FightWindows.h"
#include "panels/PanelMessages.h"
#include "panels/tests/PanelsFixture.h"
#include "platform/ui/TextFitCheck.h"
#include "platform/ui/Messages.h"

namespace zv::panels {
namespace {

using K = shell::WindowKind;

class FightWindowsTest : public testing::PanelsTest {
  protected:
    void SetUp() override {
        PanelsTest::SetUp();
        ui::WindowClass wc;
        wc.name = "MapStandIn";
        wc.proc = [](ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
            return ui::DefWindowProc(h, msg, w, l);
        };
        wc.hasBackground = true;
        wc.background = ui::Rgb(52, 96, 60);
        ui::RegisterClass(wc);
        mapStandIn = ui::CreateWindowEx(0, "MapStandIn", "", ui::WS_CHILD | ui::WS_VISIBLE, 0, 22,
                                        820, 746, frame, 0, nullptr, nullptr);
        shell::SetWindowOfKind(K::MapWnd, mapStandIn);
        manager = CreateRealManagerWindow(nullptr, frame, 0);
        ASSERT_TRUE(manager);
        shell::SetWindowOfKind(K::RealManager, manager);
        own = GetFightPane(manager, 0);
        enemy = GetFightPane(manager, 1);
        ASSERT_TRUE(own);
        ASSERT_TRUE(enemy);
        shell::PutFightSimple(0);
        shell::PutSound(0);
    }
    void Tick(int n = 1) {
        for (int i = 0; i < n; ++i) {
            screen->AdvanceClock(kFightTickMs);
            Pump();
        }
    }
    bool Busy() { return (game.Sim().GetBusyMask() & (1u << 6)) != 0; }
    bool Playing() { return ui::SendMessage(manager, WM_FIGHT_BEGIN, 0, 0) == 1; }
    void Play(const std::vector<uint8_t>& record) {
        ui::SendMessage(manager, WM_FIGHT_DATA, 0, reinterpret_cast<ui::LParam>(record.data()));
    }
    // The last battle of a troop of country 1 attacked until it was wiped out.
    std::vector<uint8_t> Annihilation() {
        const auto battles = RecordBattles(FindFighter(0), FindFighter(1), 20, true);
        EXPECT_FALSE(battles.empty());
        return battles.empty() ? std::vector<uint8_t>(664, 0) : battles.back();
    }
    ui::Hwnd mapStandIn{}, manager{}, own{}, enemy{};
};

TEST_F(FightWindowsTest, ARecordedBattlePlaysToTheAnnihilationAndReleasesTheClock) {
    const std::vector<uint8_t> record = Annihilation();
    const fight::FightPaneModel* ownModel = GetFightPaneModel(own);
    const fight::FightPaneModel* enemyModel = GetFightPaneModel(enemy);
    ASSERT_TRUE(ownModel && enemyModel);

    ui::TextDrawLog log;  // every label and word the panes draw
    Play(record);
    EXPECT_TRUE(Busy());
    EXPECT_TRUE(Playing());
    EXPECT_TRUE(ui::IsWindowVisible(own));
    EXPECT_TRUE(ui::IsWindowVisible(enemy));
    ui::Rect ro{}, re{};
    ui::GetWindowRect(own, &ro);
    ui::GetWindowRect(enemy, &re);
    EXPECT_EQ(ro.top, 768 / 2 + 8);
    EXPECT_EQ(re.bottom, 768 / 2 - 8);
    EXPECT_EQ(ro.right - ro.left, fight::kPaneWidth);
    ASSERT_FALSE(enemyModel->ShownSideSurvives()) << "the recorded battle is not an annihilation";

    const std::vector<int> shots = {3, 17, 29, 38, 49};
    for (int tick = 0; tick < 61 && Playing(); ++tick) {
        Tick();
        const int shown = enemyModel->Frame() - 1;
        for (int s : shots) {
            if (s == shown) Shot("panels_fight_frame_" + std::to_string(s));
        }
        if (shown == 17) {
            // Targeting, tick 3: each targeted machine's reticle stands at its start point
            // (it moves after being drawn) in the attacker's steady row.
            fw::Dib target("target.bmp");
            fw::Dib* display = GetFightPaneDisplay(enemy);
            int reticles = 0;
            for (int k = 0; k < fight::kMembers; ++k) {
                const fight::MemberView& v = enemyModel->Member(k);
                for (int j = 0; j < fight::kReticles; ++j) {
                    if (!(v.targeted & (1 << j))) continue;
                    ++reticles;
                    const int x = v.reticle[j].x - v.motion[j].x + 20,
                              y = v.reticle[j].y - v.motion[j].y + 20;
                    const uint8_t expected = *target.GetPixelAddress(
                        j * 40 + 20, 2 * enemyModel->OtherCountry() * 40 + 20);
                    if (x >= 0 && y >= 0 && x < fight::kPaneWidth && y < fight::kPaneHeight) {
                        EXPECT_EQ(*display->GetPixelAddress(x, y), expected)
                            << "member " << k << " machine " << j;
                    }
                }
            }
            EXPECT_GT(reticles, 0) << "the recorded attack targeted no machine";
        }
        if (shown == 49) {
            // The survivor's pane is gone; the wiped-out side shows its annihilation band.
            EXPECT_FALSE(ui::IsWindowVisible(own));
            EXPECT_TRUE(ui::IsWindowVisible(enemy));
            fw::Dib band("fig_anni.bmp");
            fw::Dib* display = GetFightPaneDisplay(enemy);
            const int c = enemyModel->ShownCountry();
            const int bandHeight = band.GetHeight() / 4;
            int same = 0, compared = 0;
            for (int y = 0; y < bandHeight; y += 3) {
                for (int x = 0; x < band.GetWidth(); x += 3) {
                    const uint8_t p = *band.GetPixelAddress(x, c * bandHeight + y);
                    if (p == 0) continue;
                    ++compared;
                    same += *display->GetPixelAddress(56 + x, 56 + y) == p;
                }
            }
            EXPECT_GT(compared, 100);
            // The band shows whole (level 4); the words over it cover part of it.
            EXPECT_GT(same, compared * 7 / 10);
        }
    }
    EXPECT_FALSE(Playing());
    EXPECT_FALSE(Busy());
    EXPECT_FALSE(ui::IsWindowVisible(own));
    EXPECT_FALSE(ui::IsWindowVisible(enemy));
    EXPECT_EQ(ownModel->Phase(), 4);
    ASSERT_FALSE(log.Records().empty());
    for (const ui::TextDrawRecord& r : log.Records()) {
        EXPECT_EQ(ui::TextFitProblem(r), "") << ui::Utf8Of(r.text) << " at " << r.box.left << ","
                                             << r.box.top;
    }
}

TEST_F(FightWindowsTest, AnotherManagerGoingLeavesThisOneItsSheets) {
    // A second manager made and closed before the fight: the sheets are this manager's own.
    const ui::Hwnd other = CreateRealManagerWindow(nullptr, frame, 0);
    ASSERT_TRUE(other);
    ASSERT_NE(other, manager);
    ui::DestroyWindow(other);
    EXPECT_TRUE(shell::GetWindowOfKind(K::RealManager) == manager);

    const std::vector<uint8_t> record = Annihilation();
    const fight::FightPaneModel* enemyModel = GetFightPaneModel(enemy);
    ASSERT_TRUE(enemyModel);
    Play(record);
    ASSERT_TRUE(Playing());
    int reticles = 0;
    for (int tick = 0; tick < 61 && Playing(); ++tick) {
        Tick();
        if (enemyModel->Frame() - 1 != 17) continue;
        // The reticles come from the manager's target sheet.
        fw::Dib target("target.bmp");
        fw::Dib* display = GetFightPaneDisplay(enemy);
        for (int k = 0; k < fight::kMembers; ++k) {
            const fight::MemberView& v = enemyModel->Member(k);
            for (int j = 0; j < fight::kReticles; ++j) {
                if (!(v.targeted & (1 << j))) continue;
                const int x = v.reticle[j].x - v.motion[j].x + 20,
                          y = v.reticle[j].y - v.motion[j].y + 20;
                if (x < 0 || y < 0 || x >= fight::kPaneWidth || y >= fight::kPaneHeight) continue;
                ++reticles;
                EXPECT_EQ(*display->GetPixelAddress(x, y),
                          *target.GetPixelAddress(j * 40 + 20,
                                                  2 * enemyModel->OtherCountry() * 40 + 20));
            }
        }
    }
    EXPECT_GT(reticles, 0);
    EXPECT_FALSE(Playing());
    EXPECT_FALSE(Busy());
}

TEST_F(FightWindowsTest, TheSimpleDisplayEndsAfterThirtyTwoTicksWithoutTargeting) {
    shell::PutFightSimple(1);
    const std::vector<uint8_t> record = Annihilation();
    Play(record);
    const fight::FightPaneModel* m = GetFightPaneModel(own);
    int ticks = 0;
    bool targeting = false;
    while (Playing() && ticks < 100) {
        Tick();
        ++ticks;
        targeting = targeting || m->Phase() == 1;
    }
    EXPECT_EQ(ticks, 32);
    EXPECT_FALSE(targeting);
    EXPECT_FALSE(Busy());
}

TEST_F(FightWindowsTest, ShiftHoldsTheFightStill) {
    Play(Annihilation());
    const fight::FightPaneModel* m = GetFightPaneModel(own);
    Tick(5);
    EXPECT_EQ(m->Frame(), 5);
    screen->KeyDown(ui::VK_SHIFT);
    Tick(10);
    EXPECT_EQ(m->Frame(), 5);
    EXPECT_TRUE(Busy());
    screen->KeyUp(ui::VK_SHIFT);
    Tick(2);
    EXPECT_EQ(m->Frame(), 7);
}

TEST_F(FightWindowsTest, EveryWayOutEndsTheFightAndReleasesTheClock) {
    const std::vector<uint8_t> record = Annihilation();
    // A right click on either pane.
    for (ui::Hwnd pane : {own, enemy}) {
        Play(record);
        Tick(3);
        ClickAt(pane, 100, 100, ui::MouseButton::Right);
        EXPECT_FALSE(Playing());
        EXPECT_FALSE(Busy());
        EXPECT_FALSE(ui::IsWindowVisible(own));
        EXPECT_FALSE(ui::IsWindowVisible(enemy));
    }
    // The map window closed while the result window is not shown: the next tick ends it.
    Play(record);
    Tick(2);
    ui::ShowWindow(mapStandIn, ui::SW_HIDE);
    Tick(1);
    EXPECT_FALSE(Playing());
    EXPECT_FALSE(Busy());
    // A new fight while one plays starts both panes again.
    ui::ShowWindow(mapStandIn, ui::SW_SHOW);
    Play(record);
    Tick(10);
    Play(record);
    EXPECT_EQ(GetFightPaneModel(own)->Frame(), 0);
    EXPECT_TRUE(Playing());
}

TEST_F(FightWindowsTest, NoRecordOrNoPaneDoesNothing) {
    ui::SendMessage(manager, WM_FIGHT_DATA, 0, 0);
    EXPECT_FALSE(Playing());
    EXPECT_FALSE(Busy());
    EXPECT_FALSE(ui::IsWindowVisible(own));
}

TEST(FightReveal, LevelsGiveBlankDottedAndWholePictures) {
    auto picture = fw::Dib::CreateBlank(16, 8, nullptr);
    auto count = [&](int level) {
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 16; ++x) *picture->GetPixelAddress(x, y) = 7;
        RevealFightPicture(picture.get(), level);
        int n = 0;
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 16; ++x) n += *picture->GetPixelAddress(x, y) == 7;
        return n;
    };
    EXPECT_EQ(count(0), 0);
    const int one = count(1), two = count(2), three = count(3);
    EXPECT_GT(one, 0);
    EXPECT_LT(one, two);
    EXPECT_LE(two, three);
    EXPECT_LT(one, 128);
    EXPECT_EQ(count(4), 128);
    EXPECT_EQ(count(5), 128);
}

}  // namespace
}  // namespace zv::panels

namespace zv::panels {
namespace {

TEST_F(FightWindowsTest, TheSimulationThreadWaitsUntilTheFightHasPlayed) {
    shell::PutFightSimple(1);
    const std::vector<uint8_t> record = Annihilation();
    std::atomic<bool> done{false};
    std::thread clock([&] {
        PlayFightAndWait(record.data());
        done = true;
    });
    int ticks = 0;
    while (!done && ticks < 2000) {
        screen->AdvanceClock(kFightTickMs);
        Pump();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        ++ticks;
    }
    clock.join();
    EXPECT_TRUE(done);
    EXPECT_GE(GetFightPaneModel(own)->Frame(), 31) << "the wait ended before the fight had played";
    EXPECT_FALSE(Busy());
}

TEST_F(FightWindowsTest, DisplaySwitchesChooseWhichFightsShow) {
    for (int mine : {0, 1}) {
        for (int other : {0, 1}) {
            shell::PutFightMine(mine);
            shell::PutFightOther(other);
            EXPECT_EQ(FightDisplayEnabled(true), mine == 1);
            EXPECT_EQ(FightDisplayEnabled(false), other == 1);
        }
    }
}

}  // namespace
}  // namespace zv::panels
