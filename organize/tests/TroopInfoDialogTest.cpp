// The troop information and weapon-exchange dialog over a game of the default map: opened as the
// in-game windows open it, driven with the mouse inside its modal loop, its order read from the
// simulation's journal and executed by a clock step.

#include <span>

#include "organize/TroopInfoDialog.h"
#include "organize/tests/OrganizeFixture.h"
#include "rules/context/GameContext.h"
#include "rules/records/CachedTroopCursor.h"
#include "rules/troops/TroopMembers.h"
#include "simulation/ClockStepWorld.h"
#include "simulation/CommandInterpreter.h"
#include "simulation/CommandRecords.h"
#include "simulation/Simulation.h"

namespace zv::organize::testing {
namespace {

struct Bytes : sim::OrderSink {
    std::vector<std::uint8_t> bytes;
    int AppendOrder(const std::uint8_t* record, std::uint32_t size) override {
        bytes.insert(bytes.end(), record, record + size);
        return 1;
    }
};

// A member whose unit offers another pack than the one it carries.
struct PackChoice {
    std::uint16_t troop = rules::kNoTroop;
    int slot = -1;
    int pack = -1;
};

class TroopInfoDialogTest : public OrganizeTest {
  protected:
    void SetUp() override {
        OrganizeTest::SetUp();
        std::string error;
        ASSERT_TRUE(game.Load(ZV_PROGRAM_DIR, "MAP00001.ddm", error)) << error;
        sim::HeadlessStartOptions options;
        options.playerCountry = 0;
        game.BeginPlay(options);
        fw::SetPlayerCountry(0);
        world.tables = &game.Tables();
        world.simulation = &game.Sim();
        world.playerCountry = 0;
    }

    PackChoice FindPackChoice() {
        rules::TroopCursor t(game.Tables());
        for (std::uint16_t i = 0; i < 40; ++i) {
            if (!t.Select(i) || !t.HasMembers() || !t.IsOnMap() || t.GetCarrier() != rules::kNoTroop) continue;
            for (int slot = 0; slot < 6; ++slot) {
                if (!rules::SelectSlotUnit(t, slot)) continue;
                const int current = t.GetMemberPack(slot) & 3;
                for (int p = 0; p < 4; ++p) {
                    if (p != current && t.GetPackFuel(p) != 0) return {i, slot, p};
                }
            }
        }
        return {};
    }

    std::vector<std::uint8_t> Orders() {
        const auto span = game.Sim().LocalOrders();
        return {span.begin(), span.end()};
    }

    ui::Hwnd InfoTabs(ui::Hwnd d) { return ui::GetDlgItem(d, kIdInfoTabs); }
    ui::Hwnd Display(ui::Hwnd d) { return ui::GetDlgItem(InfoTabs(d), kIdTroopDisplay); }
    void ClickButton(ui::Hwnd d, int id) {
        const ui::Point p = Centre(ui::GetDlgItem(d, id));
        screen->Click(p.x, p.y);
        Pump();
    }
    void ClickTab(ui::Hwnd d, int tab) {
        ui::Rect r{};
        ui::SendMessage(InfoTabs(d), ui::TCM_GETITEMRECT, ui::WParam(tab), reinterpret_cast<ui::LParam>(&r));
        const ui::Point p = At(InfoTabs(d), (r.left + r.right) / 2, (r.top + r.bottom) / 2);
        screen->Click(p.x, p.y);
        Pump();
    }
    // Pack button `pack` of the member panel of formation slot `slot`.
    void ClickPack(ui::Hwnd d, int slot, int pack) {
        const ui::Point p = At(ui::GetDlgItem(Display(d), kIdPackButtons + slot), 36 * pack + 18, 8);
        screen->Click(p.x, p.y);
        Pump();
    }
    std::uint8_t TablePack(const PackChoice& c) {
        rules::TroopCursor t(game.Tables());
        t.Select(c.troop);
        return t.GetMemberPack(c.slot);
    }
    std::uint8_t CachedPack(const PackChoice& c) {
        rules::CachedTroopCursor t(game.Tables(), cache);
        t.Select(c.troop);
        return t.GetMemberPack(c.slot);
    }
    // The settings as the window shows them: a behaviour choice outside a combo's list (an
    // unset 0xFF) shows, and so becomes, its first item.
    std::array<std::uint8_t, 38> ExpectedBlock(std::uint16_t troop, int slot, int pack) {
        rules::TroopCursor t(game.Tables());
        t.Select(troop);
        std::array<std::uint8_t, 38> block = BuildMemberSettingsPayload(t);
        for (int s = 0; s < 6; ++s) {
            if (!rules::SelectSlotUnit(t, s)) continue;
            std::uint8_t* e = block.data() + 5 * s;
            for (int k = 1; k <= 4; ++k) {
                if (e[k] >= (k <= 2 ? 3 : 2)) e[k] = 0;
            }
        }
        if (slot >= 0) block[std::size_t(5 * slot)] = std::uint8_t(pack);
        return block;
    }
    std::vector<std::uint8_t> ExpectedOrder(std::uint16_t troop, std::uint16_t supplyAfter, int slot, int pack) {
        const std::array<std::uint8_t, 38> block = ExpectedBlock(troop, slot, pack);
        Bytes sink;
        sim::BuildOrder35(sink, troop, supplyAfter, block.data());
        return sink.bytes;
    }

    sim::HeadlessGame game;
};

TEST_F(TroopInfoDialogTest, ANumberBelowFortyCountsInTheCountrysBlock) {
    // Used records wherever the cases look.
    rules::TroopCursor t(game.Tables());
    const std::int16_t units[6] = {std::int16_t(Unit("鉄牙 主力戦車")), -1, -1, -1, -1, -1};
    for (std::uint16_t i : {std::uint16_t(5), std::uint16_t(45), std::uint16_t(85)}) {
        t.Select(i);
        rules::CreateTroopFromUnits(t, units, std::uint8_t(i / 40), 0, 0x0101, "probe");
    }
    struct Case {
        std::uint8_t country;
        std::uint16_t troop;
        int mode;
        int opened;
    } cases[] = {{2, 5, 0, 85}, {2, 45, 0, 45}, {1, 5, 1, 5}, {0, 5, 0, 5}};
    for (const Case& c : cases) {
        int shown = -1;
        std::string title;
        int tabs = 0;
        std::uint32_t busy = 0;
        const auto r = Drive([&] { return intptr_t(ShowTroopInfo(owner, c.country, c.troop, c.mode)); },
                             [&](ui::Hwnd d) {
                                 shown = GetTroopInfoState().troop;
                                 title = core::SjisToUtf8(ui::GetWindowText(d));
                                 tabs = int(ui::SendMessage(InfoTabs(d), ui::TCM_GETITEMCOUNT, 0, 0));
                                 busy = game.Sim().GetBusyMask();
                                 ClickButton(d, kIdCancel);
                             });
        EXPECT_TRUE(opened);
        EXPECT_EQ(r, 0);
        EXPECT_EQ(shown, c.opened) << int(c.country) << "/" << c.troop;
        EXPECT_EQ(title, "部隊情報");
        EXPECT_EQ(tabs, 10);
        EXPECT_TRUE(busy & (1u << sim::kBusyDialog)) << "the clock may step while the dialog is open";
        EXPECT_FALSE(game.Sim().GetBusyMask() & (1u << sim::kBusyDialog));
    }
    EXPECT_TRUE(Orders().empty());
    // A troop that is not in use opens nothing.
    const auto r = Drive([&] { return intptr_t(ShowTroopInfo(owner, 3, 39, 0)); }, [&](ui::Hwnd d) {
        ClickButton(d, kIdCancel);
    });
    t.Select(159);
    if (!t.GetRecord()->IsUsed()) {
        EXPECT_FALSE(opened);
        EXPECT_EQ(r, 0);
    }
}

TEST_F(TroopInfoDialogTest, WeaponExchangeIssuesTheMemberSettingsOrderAndTheStepAppliesIt) {
    const PackChoice c = FindPackChoice();
    ASSERT_NE(c.troop, rules::kNoTroop) << "no member of the default map offers a second pack";
    const std::uint8_t before = TablePack(c);
    bool controlsLocked = false;
    int tabs = 0;
    const auto r = Drive([&] { return intptr_t(ShowWeaponExchange(owner, c.troop)); }, [&](ui::Hwnd d) {
        tabs = int(ui::SendMessage(InfoTabs(d), ui::TCM_GETITEMCOUNT, 0, 0));
        controlsLocked = !ui::IsWindowEnabled(ui::GetDlgItem(d, kIdTroopName)) &&
                         !ui::IsWindowEnabled(ui::GetDlgItem(d, kIdAltitudeCombo)) &&
                         !ui::IsWindowEnabled(ui::GetDlgItem(d, kIdFormationName));
        EXPECT_EQ(core::SjisToUtf8(ui::GetWindowText(d)), "武装交換");
        ClickPack(d, c.slot, c.pack);
        // The table keeps its pack until the order runs; the window shows the choice.
        EXPECT_EQ(TablePack(c), before);
        EXPECT_EQ(CachedPack(c), c.pack);
        Shot("organize_weapon_exchange");
        ClickButton(d, kIdSaveAndClose);
    });
    EXPECT_EQ(r, 1);
    EXPECT_EQ(tabs, 1);
    EXPECT_TRUE(controlsLocked);
    EXPECT_EQ(Orders(), ExpectedOrder(c.troop, 1, c.slot, c.pack));
    EXPECT_EQ(TablePack(c), before) << "the dialog wrote the table itself";

    // What the journal does with the order, on a twin of the tables.
    sim::HeadlessGame twin;
    twin.CopyTablesFrom(game.Tables());
    {
        const std::array<std::uint8_t, 38> block = ExpectedBlock(c.troop, c.slot, c.pack);
        rules::GameContext ctx(twin.Tables(), rules::GameContextEnv{});
        ASSERT_EQ(sim::ApplyMemberSettingsAndSupply(ctx, c.troop, 1, block.data()), 1);
    }
    game.Step();
    rules::TroopCursor live(game.Tables());
    rules::TroopCursor expected(twin.Tables());
    live.Select(c.troop);
    expected.Select(c.troop);
    EXPECT_EQ(live.GetMemberPack(c.slot), c.pack);
    for (int w = 0; w < 6; ++w) {
        EXPECT_EQ(live.GetMemberAmmo(c.slot, w), expected.GetMemberAmmo(c.slot, w)) << "weapon " << w;
    }
    EXPECT_EQ(live.GetMemberFuel(c.slot), expected.GetMemberFuel(c.slot));
    // A cached cursor reads the troop as the order left it, not the dialog's old copy.
    EXPECT_EQ(CachedPack(c), c.pack);
}

TEST_F(TroopInfoDialogTest, OutsideAGameTheSameOrderAppliesAtOnce) {
    const PackChoice c = FindPackChoice();
    ASSERT_NE(c.troop, rules::kNoTroop);
    sim::HeadlessGame twin;
    twin.CopyTablesFrom(game.Tables());
    world.simulation = nullptr;
    const auto r = Drive([&] { return intptr_t(ShowWeaponExchange(owner, c.troop)); }, [&](ui::Hwnd d) {
        ClickPack(d, c.slot, c.pack);
        ClickButton(d, kIdSaveAndClose);
    });
    EXPECT_EQ(r, 1);
    EXPECT_TRUE(Orders().empty());
    {
        const std::array<std::uint8_t, 38> block = ExpectedBlock(c.troop, c.slot, c.pack);
        rules::GameContext ctx(twin.Tables(), rules::GameContextEnv{});
        ASSERT_EQ(sim::ApplyMemberSettingsAndSupply(ctx, c.troop, 1, block.data()), 1);
    }
    rules::TroopCursor table(game.Tables());
    rules::TroopCursor expected(twin.Tables());
    table.Select(c.troop);
    expected.Select(c.troop);
    EXPECT_EQ(table.GetMemberPack(c.slot), c.pack);
    for (int w = 0; w < 6; ++w) {
        EXPECT_EQ(table.GetMemberAmmo(c.slot, w), expected.GetMemberAmmo(c.slot, w)) << "weapon " << w;
    }
    EXPECT_EQ(table.GetMemberFuel(c.slot), expected.GetMemberFuel(c.slot));
}

// The same clicks in a game (the journal's step applies the order) and outside one (applied at
// once) leave the troop alike: the dialog has one way into the tables.
TEST_F(TroopInfoDialogTest, InAGameAndOutsideOneTheSameClicksLeaveTheSameTroop) {
    const PackChoice c = FindPackChoice();
    ASSERT_NE(c.troop, rules::kNoTroop);
    sim::HeadlessGame outside;
    outside.CopyTablesFrom(game.Tables());
    auto exchange = [&] {
        return Drive([&] { return intptr_t(ShowWeaponExchange(owner, c.troop)); }, [&](ui::Hwnd d) {
            ClickPack(d, c.slot, c.pack);
            ClickButton(d, kIdSaveAndClose);
        });
    };
    ASSERT_EQ(exchange(), 1);
    game.Step();

    world.tables = &outside.Tables();
    world.simulation = nullptr;
    ASSERT_EQ(exchange(), 1);

    rules::TroopCursor inGame(game.Tables());
    rules::TroopCursor noGame(outside.Tables());
    ASSERT_TRUE(inGame.Select(c.troop));
    ASSERT_TRUE(noGame.Select(c.troop));
    EXPECT_EQ(noGame.GetMemberPack(c.slot), c.pack);
    EXPECT_EQ(BuildMemberSettingsPayload(inGame), BuildMemberSettingsPayload(noGame));
    for (int slot = 0; slot < 6; ++slot) {
        EXPECT_EQ(inGame.GetMemberFuel(slot), noGame.GetMemberFuel(slot)) << "slot " << slot;
        for (int w = 0; w < 6; ++w) {
            EXPECT_EQ(inGame.GetMemberAmmo(slot, w), noGame.GetMemberAmmo(slot, w)) << "slot " << slot << " weapon " << w;
        }
    }
}

// Each opening starts from its own parameters: a weapon exchange after troop information shows
// only the 武装 tab, and the troop information after it all ten again.
TEST_F(TroopInfoDialogTest, AnOpeningKeepsNothingOfThePreviousOne) {
    const PackChoice c = FindPackChoice();
    ASSERT_NE(c.troop, rules::kNoTroop);
    int tabs = 0;
    int page = -1;
    auto look = [&](ui::Hwnd d) {
        tabs = int(ui::SendMessage(InfoTabs(d), ui::TCM_GETITEMCOUNT, 0, 0));
        page = GetTroopInfoState().page;
    };
    Drive([&] { return intptr_t(ShowTroopInfo(owner, 0, c.troop, 0)); }, [&](ui::Hwnd d) {
        ClickTab(d, 3);
        look(d);
        ClickButton(d, kIdCancel);
    });
    EXPECT_EQ(tabs, 10);
    EXPECT_EQ(page, 3);
    EXPECT_FALSE(GetTroopInfoState().dialog) << "a closed dialog is still named";
    Drive([&] { return intptr_t(ShowWeaponExchange(owner, c.troop)); }, [&](ui::Hwnd d) {
        look(d);
        ClickButton(d, kIdCancel);
    });
    EXPECT_EQ(tabs, 1);
    EXPECT_EQ(page, 8);
    Drive([&] { return intptr_t(ShowTroopInfo(owner, 0, c.troop, 0)); }, [&](ui::Hwnd d) {
        look(d);
        ClickButton(d, kIdCancel);
    });
    EXPECT_EQ(tabs, 10);
    EXPECT_EQ(page, 0);
}

TEST_F(TroopInfoDialogTest, CancelIssuesNothingAndLeavesNoEditedCopyBehind) {
    const PackChoice c = FindPackChoice();
    ASSERT_NE(c.troop, rules::kNoTroop);
    const std::uint8_t before = TablePack(c);
    const auto r = Drive([&] { return intptr_t(ShowWeaponExchange(owner, c.troop)); }, [&](ui::Hwnd d) {
        ClickPack(d, c.slot, c.pack);
        EXPECT_EQ(CachedPack(c), c.pack);
        ClickButton(d, kIdCancel);
    });
    EXPECT_EQ(r, 0);
    EXPECT_TRUE(Orders().empty());
    EXPECT_EQ(TablePack(c), before);
    EXPECT_EQ(CachedPack(c), before) << "the cancelled edit survives in the troop cache";
    // The close box is a cancel too.
    const auto closed = Drive([&] { return intptr_t(ShowWeaponExchange(owner, c.troop)); }, [&](ui::Hwnd d) {
        ClickPack(d, c.slot, c.pack);
        ui::SendMessage(d, ui::WM_CLOSE, 0, 0);
        Pump();
    });
    EXPECT_EQ(closed, 0);
    EXPECT_TRUE(Orders().empty());
    EXPECT_EQ(CachedPack(c), before);
}

TEST_F(TroopInfoDialogTest, TroopInformationLocksThePacksOfATroopNotAboard) {
    const PackChoice c = FindPackChoice();
    ASSERT_NE(c.troop, rules::kNoTroop);
    const std::uint8_t before = TablePack(c);
    const auto r = Drive([&] { return intptr_t(ShowTroopInfo(owner, 0, c.troop, 0)); }, [&](ui::Hwnd d) {
        ClickTab(d, 8);
        EXPECT_EQ(GetTroopInfoState().page, 8);
        ClickPack(d, c.slot, c.pack);
        EXPECT_EQ(CachedPack(c), before);
        Shot("organize_troop_info");
        ClickButton(d, kIdSaveAndClose);
    });
    EXPECT_EQ(r, 1);
    // 決定 always sends the settings, here unchanged and without a supply.
    EXPECT_EQ(Orders(), ExpectedOrder(c.troop, 0, -1, 0));

    // Aboard a carrier the packs may be chosen.
    rules::TroopCursor t(game.Tables());
    t.Select(c.troop);
    t.SetCarrier(std::uint16_t(c.troop == 0 ? 1 : 0));
    const auto aboard = Drive([&] { return intptr_t(ShowTroopInfo(owner, 0, c.troop, 0)); }, [&](ui::Hwnd d) {
        ClickTab(d, 8);
        ClickPack(d, c.slot, c.pack);
        EXPECT_EQ(CachedPack(c), c.pack);
        ClickButton(d, kIdCancel);
    });
    EXPECT_EQ(aboard, 0);
}

TEST_F(TroopInfoDialogTest, PagesChangeWithoutLosingTheEdits) {
    const PackChoice c = FindPackChoice();
    ASSERT_NE(c.troop, rules::kNoTroop);
    // Aboard, so the packs are free in troop information mode.
    rules::TroopCursor t(game.Tables());
    t.Select(c.troop);
    t.SetCarrier(std::uint16_t(c.troop == 0 ? 1 : 0));
    const auto r = Drive([&] { return intptr_t(ShowTroopInfo(owner, 0, c.troop, 0)); }, [&](ui::Hwnd d) {
        ClickTab(d, 8);
        ClickPack(d, c.slot, c.pack);
        ClickTab(d, 0);
        EXPECT_EQ(GetTroopInfoState().page, 0);
        ClickTab(d, 8);
        EXPECT_EQ(CachedPack(c), c.pack);
        ClickButton(d, kIdSaveAndClose);
    });
    EXPECT_EQ(r, 1);
    EXPECT_EQ(Orders(), ExpectedOrder(c.troop, 0, c.slot, c.pack));
}

}  // namespace
}  // namespace zv::organize::testing
