// The loading-status and separable-weapon choosers, driven with the mouse inside their modal
// loops, over a default map whose troops are put aboard a carrier.

#include <bit>
#include <functional>

#include "organize/LoadingChoosers.h"
#include "organize/tests/OrganizeFixture.h"
#include "rules/context/GameContext.h"
#include "rules/files/MapFiles.h"
#include "rules/troops/Carriers.h"
#include "rules/troops/TroopQueries.h"

namespace zv::organize::testing {
namespace {

class Choosers : public OrganizeTest {
  protected:
    void SetUp() override {
        OrganizeTest::SetUp();
        ASSERT_TRUE(rules::LoadMapFromMapFolder(tables, rules::NoGameEvents(), ZV_PROGRAM_DIR, "MAP00001.ddm"));
        rules::TroopCursor troops(tables);
        for (std::uint16_t t = 0; t < rules::kMapTroopCount; ++t) {
            if (troops.Select(t) && troops.HasMembers() && troops.IsOnMap()) onMap.push_back(t);
        }
        ASSERT_GE(onMap.size(), 12u);
        carrier = onMap[0];
    }

    // Puts the troops aboard the carrier (they leave the map).
    void Board(const std::vector<std::uint16_t>& cargo) {
        rules::TroopCursor troops(tables);
        for (std::uint16_t t : cargo) {
            troops.Select(t);
            troops.SetCarrier(carrier);
            troops.SetAboard();
        }
    }

    ui::Hwnd List(ui::Hwnd d) { return ui::GetDlgItem(d, kIdChooserList); }
    std::vector<std::string> Rows(ui::Hwnd d) {
        std::vector<std::string> rows;
        const int n = int(ui::SendMessage(List(d), ui::LVM_GETITEMCOUNT, 0, 0));
        for (int r = 0; r < n; ++r) {
            char text[64] = {};
            ui::LvItem item;
            item.iSubItem = 0;
            item.pszText = text;
            item.cchTextMax = sizeof text;
            ui::SendMessage(List(d), ui::LVM_GETITEMTEXTA, ui::WParam(r), reinterpret_cast<ui::LParam>(&item));
            rows.push_back(core::SjisToUtf8(text));
        }
        return rows;
    }
    void ClickRow(ui::Hwnd d, int row) {
        ui::Rect r{};
        r.left = ui::LVIR_BOUNDS;
        ui::SendMessage(List(d), ui::LVM_GETITEMRECT, ui::WParam(row), reinterpret_cast<ui::LParam>(&r));
        const ui::Point p = At(List(d), r.left + 30, (r.top + r.bottom) / 2);
        screen->Click(p.x, p.y);
        Pump();
    }
    void ClickButton(ui::Hwnd d, int id) {
        const ui::Point p = Centre(ui::GetDlgItem(d, id));
        screen->Click(p.x, p.y);
        Pump();
    }
    bool OkEnabled(ui::Hwnd d) { return ui::IsWindowEnabled(ui::GetDlgItem(d, ui::IDOK)); }
    std::string Name(std::uint16_t t) {
        rules::TroopCursor troops(tables);
        troops.Select(t);
        return core::SjisToUtf8(troops.GetName());
    }

    std::vector<std::uint16_t> onMap;
    std::uint16_t carrier = 0;
};

TEST_F(Choosers, TheCarrierComesFirstThenItsCargoInIndexOrder) {
    const std::vector<std::uint16_t> cargo = {onMap[3], onMap[1], onMap[2]};
    Board(cargo);
    std::vector<std::string> rows;
    bool okAtStart = true;
    const auto chosen = Drive([&] { return ChooseTroopFromCarrier(carrier); }, [&](ui::Hwnd d) {
        rows = Rows(d);
        okAtStart = OkEnabled(d);
        ClickButton(d, ui::IDOK);  // disabled: nothing happens
        ClickRow(d, 2);
        EXPECT_TRUE(OkEnabled(d));
        Shot("organize_loading_status");
        ClickButton(d, ui::IDOK);
    });
    EXPECT_FALSE(okAtStart);
    EXPECT_EQ(rows, (std::vector<std::string>{Name(carrier), Name(onMap[1]), Name(onMap[2]), Name(onMap[3])}));
    EXPECT_EQ(chosen, onMap[2]);

    const auto first = Drive([&] { return ChooseTroopFromCarrier(carrier); }, [&](ui::Hwnd d) {
        ClickRow(d, 0);
        ClickButton(d, ui::IDOK);
    });
    EXPECT_EQ(first, carrier);
}

TEST_F(Choosers, CancelAndCloseChooseNothing) {
    Board({onMap[1]});
    struct Case {
        const char* name;
        std::function<void(ui::Hwnd)> end;
    };
    const Case cases[] = {
        {"cancel button", [this](ui::Hwnd d) { ClickButton(d, ui::IDCANCEL); }},
        {"close box", [](ui::Hwnd d) { ui::SendMessage(d, ui::WM_CLOSE, 0, 0); }},
        {"escape key", [this](ui::Hwnd) { screen->KeyDown(ui::VK_ESCAPE); }},
    };
    for (const Case& k : cases) {
        auto end = [&](ui::Hwnd d) {
            ClickRow(d, 0);
            k.end(d);
        };
        EXPECT_EQ(Drive([&] { return ChooseTroopFromCarrier(carrier); }, end), kNoChoice) << k.name;
        EXPECT_EQ(Drive([&] { return ChooseCargoTroopBit(0, carrier); }, end), 0) << k.name;
        EXPECT_EQ(Drive([&] { return ChooseCargoTroop(carrier); }, end), kNoChoice) << k.name;
    }
}

TEST_F(Choosers, TheCargoBitIsTheRowAndNothingFromTheNinthRowOn) {
    std::vector<std::uint16_t> cargo(onMap.begin() + 1, onMap.begin() + 11);
    Board(cargo);
    for (const auto& [row, bit] : std::vector<std::pair<int, int>>{{0, 1}, {3, 8}, {7, 128}, {8, 0}, {9, 0}}) {
        std::size_t rows = 0;
        const auto got = Drive([&] { return ChooseCargoTroopBit(0, carrier); }, [&](ui::Hwnd d) {
            rows = Rows(d).size();
            ClickRow(d, row);
            ClickButton(d, ui::IDOK);
        });
        EXPECT_EQ(rows, cargo.size());
        EXPECT_EQ(got, bit) << "row " << row;
    }
}

TEST_F(Choosers, ACarrierWithoutCargoListsOnlyItself) {
    std::vector<std::string> withCarrier, cargoOnly;
    Drive([&] { return ChooseTroopFromCarrier(carrier); }, [&](ui::Hwnd d) {
        withCarrier = Rows(d);
        ClickButton(d, ui::IDCANCEL);
    });
    Drive([&] { return ChooseCargoTroopBit(0, carrier); }, [&](ui::Hwnd d) {
        cargoOnly = Rows(d);
        ClickButton(d, ui::IDCANCEL);
    });
    EXPECT_EQ(withCarrier, std::vector<std::string>{Name(carrier)});
    EXPECT_TRUE(cargoOnly.empty());
}

TEST_F(Choosers, ACargoTroopIsHandedOutOnlyWhenItCanLeave) {
    Board({onMap[1], onMap[2]});
    rules::GameContext ctx(tables);
    for (int row : {0, 1}) {
        const std::uint16_t troop = onMap[1 + row];
        const bool canLeave = rules::CanLaunchNow(ctx, carrier, troop) != 0;
        bool ok = !canLeave;
        const auto got = Drive([&] { return ChooseCargoTroop(carrier); }, [&](ui::Hwnd d) {
            ClickRow(d, row);
            ok = OkEnabled(d);
            // Even an OK sent by other means does not hand out a troop that cannot leave.
            ui::SendMessage(d, ui::WM_COMMAND, ui::IDOK, 0);
        });
        EXPECT_EQ(ok, canLeave) << "row " << row;
        EXPECT_EQ(got, canLeave ? troop : kNoChoice) << "row " << row;
    }
}

// The weapon chooser: mask in, (range << 16) | kind out.
TEST_F(Choosers, OneWeaponKindNeedsNoDialogAndSeveralAskWhichOne) {
    const std::uint16_t troop = onMap[1];
    rules::TroopCursor troops(tables);
    troops.Select(troop);
    const std::uint8_t missileRange = rules::GetWeaponRange(troops, 255, 1);

    EXPECT_EQ(Drive([&] { return SelectSeparableWeapon(owner, troop, 1, 0x0004); }, [](ui::Hwnd) {}),
              (std::uint32_t(missileRange) << 16) | 0x0004);
    EXPECT_FALSE(opened);
    troops.Select(troop);
    const std::uint8_t heliRange = rules::GetWeaponRange(troops, 0x0200, 0);
    EXPECT_EQ(Drive([&] { return SelectSeparableWeapon(owner, troop, 0, 0x02FF); }, [](ui::Hwnd) {}),
              (std::uint32_t(heliRange) << 16) | 0x0200);
    EXPECT_FALSE(opened);

    struct Case {
        int mode;
        std::uint16_t mask;
        const char* caption;
        std::vector<std::string> rows;
        int row;  // clicked before OK
        std::uint16_t chosen;
    };
    const std::vector<Case> cases = {
        {0, 0xC481, "分離兵器選択", {"空中機動歩兵", ""}, 0, 0x0400},
        {1, 0x0082, "射撃武器選択", {"対潜ミサイル", "核ミサイル"}, 1, 0x0080},
        {1, 0xFF03, "射撃武器選択", {"ミサイル", "対潜ミサイル"}, 0, 0x0001},
        {0, 0x3000, "分離兵器選択", {"上陸用舟艇", "ホバークラフト"}, 1, 0x2000},
    };
    for (const Case& k : cases) {
        std::string caption;
        std::vector<std::string> rows;
        const auto got = Drive([&] { return SelectSeparableWeapon(owner, troop, k.mode, k.mask); }, [&](ui::Hwnd d) {
            caption = core::SjisToUtf8(ui::GetWindowText(d));
            rows = Rows(d);
            EXPECT_FALSE(OkEnabled(d)) << std::hex << k.mask;
            ClickRow(d, k.row);
            EXPECT_TRUE(OkEnabled(d));
            if (k.mode == 0) Shot("organize_separable_weapon");
            ClickButton(d, ui::IDOK);
        });
        EXPECT_TRUE(opened);
        EXPECT_EQ(caption, k.caption);
        EXPECT_EQ(rows, k.rows);
        troops.Select(troop);
        EXPECT_EQ(got, (std::uint32_t(rules::GetWeaponRange(troops, k.chosen, 0)) << 16) | k.chosen)
            << std::hex << k.mask;
    }
}

TEST_F(Choosers, ACancelledWeaponChoiceIsNothingAtAll) {
    const std::uint16_t troop = onMap[1];
    struct Case {
        const char* name;
        std::function<void(ui::Hwnd)> end;
    };
    const Case cases[] = {
        {"cancel button", [this](ui::Hwnd d) { ClickButton(d, ui::IDCANCEL); }},
        {"close box", [](ui::Hwnd d) { ui::SendMessage(d, ui::WM_CLOSE, 0, 0); }},
        {"escape key", [this](ui::Hwnd) { screen->KeyDown(ui::VK_ESCAPE); }},
        {"right click", [this](ui::Hwnd d) {
             ui::Rect r{};
             ui::GetWindowRect(d, &r);
             const ui::Point p = Centre(ui::GetDlgItem(d, ui::IDOK));
             screen->Click(r.left + 8, p.y, ui::MouseButton::Right);
             Pump();
         }},
    };
    for (const Case& k : cases) {
        const auto got = Drive([&] { return SelectSeparableWeapon(owner, troop, 0, 0x0C00); }, [&](ui::Hwnd d) {
            ClickRow(d, 1);
            k.end(d);
        });
        EXPECT_TRUE(opened) << k.name;
        EXPECT_EQ(got, 0u) << k.name;
    }
}

TEST_F(Choosers, ATroopOffTheMapOrWithoutSeparableWeaponsGetsNoChoice) {
    Board({onMap[1]});
    // Aboard: not on the map.
    EXPECT_EQ(Drive([&] { return SelectSeparableWeapon(owner, onMap[1], 1, 0x0003); }, [](ui::Hwnd) {}), 0u);
    EXPECT_FALSE(opened);
    // The right classes for the other mode only.
    EXPECT_EQ(Drive([&] { return SelectSeparableWeapon(owner, onMap[2], 0, 0x00FF); }, [](ui::Hwnd) {}), 0u);
    EXPECT_FALSE(opened);
    // No mask given: the troop's own classes; a troop without any gets nothing.
    rules::TroopCursor troops(tables);
    for (std::uint16_t t : onMap) {
        troops.Select(t);
        if (rules::GetWeaponClassMask(troops) != 0) continue;
        EXPECT_EQ(Drive([&] { return SelectSeparableWeapon(owner, t, 0, 0); }, [](ui::Hwnd) {}), 0u);
        EXPECT_FALSE(opened);
        break;
    }
}

}  // namespace
}  // namespace zv::organize::testing
