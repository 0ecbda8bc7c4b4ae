// The organisation dialog in deployment mode over a default map: troops placed by clicks on the
// deployment map and taken back with the right button, 自動配置 and すべて回収 with their
// refunds, the budget, ゲーム開始 and タイトルに戻る, single play and a network game of two
// worlds joined through the session layer.


#include "mapview/MapViewContext.h"
#include "mapview/MapViewWindows.h"
#include "mapview/MapWorld.h"
#include "mapview/tests/ViewHexes.h"
#include "netplay/tests/NetFixture.h"
#include "organize/AutoDeploy.h"
#include "organize/DeploymentSession.h"
#include "organize/tests/OrganizeFixture.h"
#include "rules/context/GameContext.h"
#include "rules/files/MapFiles.h"
#include "rules/records/MapCursors.h"
#include "rules/records/RuleRecords.h"
#include "rules/troops/TroopQueries.h"
#include "rules/troops/TroopRemoval.h"
#include "rules/records/ForceCursor.h"

namespace zv::organize::testing {
namespace {

// A default map whose country `country` has its troops taken off and a default corps in its
// slot, with the map windows' world over the same tables.
class DeploymentTest : public OrganizeTest {
  protected:
    void SetUp() override {
        OrganizeTest::SetUp();
        Prepare(tables);
    }
    void TearDown() override {
        services->map = nullptr;
        OrganizeTest::TearDown();
    }

    void Prepare(rules::TableDirectory& t) {
        if (t.GetTableRecordCount(rules::TableId::UnitInfo) == 0) {
            ASSERT_TRUE(t.LoadAllTables(ZV_PROGRAM_DIR "/")) << t.LastError();
        }
        ASSERT_TRUE(rules::LoadMapFromMapFolder(t, rules::NoGameEvents(), ZV_PROGRAM_DIR, "MAP00001.ddm"));
        rules::GameContext ctx(t, rules::GameContextEnv{nullptr, country});
        ctx.RebuildHexOccupancy();
        rules::RemoveCountryTroops(ctx, country);
        rules::ForceCursor force(t, country);
        force.SelectSlot(country);
        ASSERT_TRUE(force.LoadUserForceFile(ZV_PROGRAM_DIR, "useFrc00.prm").ok);
        rules::CountryCursor countries(t);
        countries.Select(country);
        startFunds = countries.GetFunds();
        mapWorld.tables = &t;
        services->map = &mapWorld;
        world.tables = &t;
        world.playerCountry = country;
    }

    int Funds() {
        rules::CountryCursor countries(*world.tables);
        countries.Select(country);
        return countries.GetFunds();
    }
    int Deployed() {
        rules::TroopCursor troops(*world.tables);
        return troops.CountTroopsByAltitude(country, 0xFF);
    }
    int Limit() {
        rules::ScenarioHeaderCursor header(*world.tables);
        return header.GetDeployLimit();
    }
    std::string Text(ui::Hwnd d, int id) { return core::SjisToUtf8(ui::GetDlgItemText(d, id)); }
    std::string Budget(int funds, int deployed, int limit) {
        char text[64];
        std::snprintf(text, sizeof text, "%9d|%3d／%3d", funds, deployed, limit);
        return text;
    }
    std::string ShownBudget(ui::Hwnd d) { return Text(d, kIdFunds) + "|" + Text(d, kIdDeployed); }

    // The country's funds and deployed troops, the rows left in the list and what the budget
    // shows agree.
    void ExpectBooks(ui::Hwnd d, int funds, int deployed, int rows) {
        EXPECT_EQ(Deployed(), deployed);
        EXPECT_EQ(Funds(), funds);
        EXPECT_EQ(Rows(d), rows);
        EXPECT_EQ(ShownBudget(d), Budget(funds, deployed, Limit()));
    }

    ui::Hwnd TroopList(ui::Hwnd d) { return ui::GetDlgItem(ui::GetDlgItem(d, kIdListTabs), kIdTroopList); }
    ui::Hwnd Map(ui::Hwnd d) {
        ui::Hwnd display = ui::GetDlgItem(ui::GetDlgItem(d, kIdInfoTabs), kIdTroopDisplay);
        return ui::GetDlgItem(display, kIdMapView);
    }
    int Rows(ui::Hwnd d) { return int(ui::SendMessage(TroopList(d), ui::LVM_GETITEMCOUNT, 0, 0)); }
    void ClickRow(ui::Hwnd d, int row) {
        ui::Rect r{};
        r.left = ui::LVIR_BOUNDS;
        ui::SendMessage(TroopList(d), ui::LVM_GETITEMRECT, ui::WParam(row), reinterpret_cast<ui::LParam>(&r));
        const ui::Point p = At(TroopList(d), r.left + 30, (r.top + r.bottom) / 2);
        screen->AdvanceClock(600);
        screen->Click(p.x, p.y);
        Pump();
    }
    void ClickButton(ui::Hwnd d, int id) {
        const ui::Point p = Centre(ui::GetDlgItem(d, id));
        screen->AdvanceClock(600);
        screen->Click(p.x, p.y);
        Pump();
    }
    // The working-force row of the corps' headquarters troop (-1: none).
    int HeadquartersRow() {
        const auto& rows = GetOrganizeState().troopRows;
        rules::ForceCursor fc(*world.tables, 5, nullptr);
        fc.SelectSlot(5);
        for (int r = 0; r < kTroopRowCapacity && rows[std::size_t(r)] >= 0; ++r) {
            if (fc.SelectForceTroop(std::uint16_t(rows[std::size_t(r)])) &&
                rules::HasMemberOfKind(fc, rules::kHeadquartersUnitKind)) {
                return r;
            }
        }
        return -1;
    }
    int NonHeadquartersRow() {
        const auto& rows = GetOrganizeState().troopRows;
        rules::ForceCursor fc(*world.tables, 5, nullptr);
        fc.SelectSlot(5);
        for (int r = 0; r < kTroopRowCapacity && rows[std::size_t(r)] >= 0; ++r) {
            if (fc.SelectForceTroop(std::uint16_t(rows[std::size_t(r)])) &&
                !rules::HasMemberOfKind(fc, rules::kHeadquartersUnitKind) && fc.GetTroopAltitudeClass() == 3) {
                return r;
            }
        }
        return -1;
    }
    // Points of the deployment map over free hexes of the country, each hex once, in scan order.
    std::vector<std::pair<ui::Point, std::uint16_t>> FreeOwnHexes(ui::Hwnd d) {
        std::vector<std::pair<ui::Point, std::uint16_t>> points;
        for (const auto& [x, y, hex] : mapview::testing::FreeAreaHexesInView(Map(d), *world.tables, country)) {
            points.push_back({At(Map(d), x, y), hex});
        }
        return points;
    }
    // Chooses the row and clicks free hexes until the troop stands on one; its hex or kNoHex.
    std::uint16_t PlaceRow(ui::Hwnd d, int row) {
        const int before = Deployed();
        for (const auto& [p, hex] : FreeOwnHexes(d)) {
            ClickRow(d, row);
            screen->AdvanceClock(600);
            screen->Click(p.x, p.y);
            Pump();
            if (Deployed() > before) return hex;
        }
        return rules::kNoHex;
    }
    ui::Point PointOfHex(ui::Hwnd d, std::uint16_t hex) {
        mapview::MapViewContext* view = mapview::GetMapViewContext(Map(d));
        ui::Rect client{};
        ui::GetClientRect(Map(d), &client);
        for (int y = 4; y < client.bottom - 4; y += 3) {
            for (int x = 4; x < client.right - 4; x += 3) {
                std::int16_t pt[2] = {std::int16_t(x), std::int16_t(y)};
                view->PixelToMapHex(pt);
                if (pt[0] == (hex & 0xFF) && pt[1] == (hex >> 8)) return At(Map(d), x, y);
            }
        }
        ADD_FAILURE() << "hex " << hex << " is not in view";
        return {};
    }

    // The country's corps cut down to its headquarters and `others` more troops (the list
    // then has room below its rows).
    void KeepFewTroops(int others) {
        rules::ForceCursor fc(*world.tables, country);
        fc.SelectSlot(country);
        for (std::uint16_t t = 0; t < rules::kForceTroopCount; ++t) {
            if (!fc.SelectForceTroop(t) || fc.GetSlotByte() == rules::kUnusedSlotByte) continue;
            if (rules::HasMemberOfKind(fc, rules::kHeadquartersUnitKind)) continue;
            if (!(fc.GetStateFlags() & rules::kTroopTemplate) && others > 0) {
                --others;
                continue;
            }
            fc.ResetCurrentTroop();
        }
    }
    // One right click on the hex takes its troop back (the click that placed it selected
    // nothing the right click would only drop).
    void TakeBack(ui::Hwnd d, std::uint16_t hex) {
        const ui::Point p = PointOfHex(d, hex);
        screen->AdvanceClock(600);
        screen->Click(p.x, p.y, ui::MouseButton::Right);
        Pump();
    }

    intptr_t Deploy(std::function<void(ui::Hwnd)> act) {
        return Drive([&] { return intptr_t(RunDeploymentDialog(owner, country)); }, std::move(act));
    }

    std::uint8_t country = 0;
    int startFunds = 0;
    mapview::MapWorld mapWorld;
};

TEST_F(DeploymentTest, TroopsArePlacedByClicksAndTakenBackWithTheirPrice) {
    int placedFunds = 0;
    KeepFewTroops(3);
    const auto r = Deploy([&](ui::Hwnd d) {
        EXPECT_EQ(core::SjisToUtf8(ui::GetWindowText(d)), "部隊配置");
        EXPECT_EQ(GetOrganizeState().infoPage, kDeploymentPage);
        ASSERT_TRUE(Map(d));
        EXPECT_EQ(ShownBudget(d), Budget(startFunds, 0, Limit()));
        const int rows = Rows(d);
        ASSERT_GT(rows, 1);
        const int hq = HeadquartersRow();
        ASSERT_GE(hq, 0);

        // ゲーム開始 without a headquarters on the map: told, and the dialog stays.
        const int other = NonHeadquartersRow();
        ASSERT_GE(other, 0);
        const std::uint16_t otherHex = PlaceRow(d, other);
        ASSERT_NE(otherHex, rules::kNoHex) << "no free hex took the troop";
        ClickButton(d, kIdGameStart);
        EXPECT_TRUE(BoxSaid("司令部が配置されていません"));
        EXPECT_TRUE(ui::IsWindow(d));
        placedFunds = Funds();
        EXPECT_LT(placedFunds, startFunds);
        EXPECT_EQ(Rows(d), rows - 1);
        EXPECT_EQ(ShownBudget(d), Budget(placedFunds, 1, Limit()));
        Shot("organize_deployment");

        // The right button takes it back and refunds it.
        TakeBack(d, otherHex);
        ExpectBooks(d, startFunds, 0, rows);

        // A click beside the rows forgets the troop to place: the map then places nothing.
        ClickRow(d, other);
        ui::Rect last{};
        last.left = ui::LVIR_BOUNDS;
        ui::SendMessage(TroopList(d), ui::LVM_GETITEMRECT, ui::WParam(Rows(d) - 1), reinterpret_cast<ui::LParam>(&last));
        const ui::Point below = At(TroopList(d), 40, last.bottom + 20);
        screen->AdvanceClock(600);
        screen->Click(below.x, below.y);
        Pump();
        const auto free = FreeOwnHexes(d);
        ASSERT_FALSE(free.empty());
        screen->AdvanceClock(600);
        screen->Click(free.front().first.x, free.front().first.y);
        Pump();
        EXPECT_EQ(Deployed(), 0);

        ASSERT_NE(PlaceRow(d, HeadquartersRow()), rules::kNoHex);
        ClickButton(d, kIdGameStart);
    });
    EXPECT_EQ(r, 1);
    EXPECT_EQ(PlayerHasHQOnMap(), 1);
    // The placed troop left the country's corps slot; the others stay in it.
    rules::ForceCursor slot(tables, country);
    slot.SelectSlot(country);
    int inCorps = 0;
    for (std::uint16_t t = 0; t < rules::kForceTroopCount; ++t) {
        if (slot.SelectForceTroop(t) && slot.GetSlotByte() != rules::kUnusedSlotByte &&
            !(slot.GetStateFlags() & rules::kTroopTemplate)) {
            ++inCorps;
        }
    }
    EXPECT_EQ(Deployed(), 1);
    EXPECT_GT(inCorps, 0);
}

TEST_F(DeploymentTest, AutomaticPlacementAndRecoveryKeepTheBooks) {
    std::vector<std::uint8_t> firstTroops;
    int autoFunds = 0, autoDeployed = 0;
    const auto r = Deploy([&](ui::Hwnd d) {
        const int rows = Rows(d);
        ClickButton(d, kIdAutoDeploy);
        autoFunds = Funds();
        autoDeployed = Deployed();
        EXPECT_GT(autoDeployed, 0);
        EXPECT_LE(autoDeployed, Limit());
        EXPECT_LT(autoFunds, startFunds);
        EXPECT_EQ(PlayerHasHQOnMap(), 1);
        EXPECT_EQ(Rows(d), rows - autoDeployed);
        EXPECT_EQ(ShownBudget(d), Budget(autoFunds, autoDeployed, Limit()));
        const std::uint8_t* base = tables.GetTableBase(rules::TableId::Troop);
        firstTroops.assign(base, base + rules::kMapTroopCount * rules::kTroopRecordSize);

        ClickButton(d, kIdRecoverAll);
        ExpectBooks(d, startFunds, 0, rows);

        // The same corps on the same map goes to the same hexes again.
        ClickButton(d, kIdAutoDeploy);
        EXPECT_EQ(Funds(), autoFunds);
        EXPECT_EQ(Deployed(), autoDeployed);
        std::vector<std::uint16_t> again, first;
        rules::TroopCursor troops(tables);
        for (std::uint16_t t = 0; t < rules::kMapTroopCount; ++t) {
            if (troops.Select(t) && troops.HasMembers() && troops.GetCountry() == country) {
                again.push_back(troops.GetHexValue());
            }
        }
        for (std::uint16_t t = 0; t < rules::kMapTroopCount; ++t) {
            const std::uint8_t* rec = firstTroops.data() + t * rules::kTroopRecordSize;
            rules::TroopRecord probe;
            std::memcpy(probe.bytes.data(), rec, rules::kTroopRecordSize);
            if (probe.IsUsed() && probe.Country() == country) first.push_back(probe.Hex());
        }
        EXPECT_EQ(again, first);
        ClickButton(d, kIdGameStart);
    });
    EXPECT_EQ(r, 1);
}

// Whichever country the player deploys, the map opens on that country's own area, so its
// free hexes can be clicked at once.
TEST_F(DeploymentTest, TheMapOpensOnThePlayersOwnArea) {
    int areas = 0;
    for (std::uint8_t c = 0; c < rules::kCountryCount; ++c) {
        rules::HexCursor hexes(tables);
        int inArea = 0;
        for (int i = 0; i < 64 * 64; ++i) inArea += hexes.Select(i) && hexes.GetCountry() == c ? 1 : 0;
        if (inArea == 0) continue;
        ++areas;
        SCOPED_TRACE(int(c));
        country = c;
        Prepare(tables);
        std::size_t shown = 0;
        const auto r = Deploy([&](ui::Hwnd d) {
            shown = FreeOwnHexes(d).size();
            if (c == 1) Shot("organize_deployment_second_country");
            EXPECT_EQ(PressOrganizeReturnToTitle(), 1);
        });
        EXPECT_EQ(r, 0);
        EXPECT_GT(shown, 4u) << "the area's hexes are in view";
    }
    EXPECT_GE(areas, 2);
}

TEST_F(DeploymentTest, ReturnToTitleAndTheCloseBox) {
    int leaves = 0;
    world.leaveSession = [&] { ++leaves; };
    struct Case {
        const char* how;
        int singlePlay;
        int leavesAfter;
    } cases[] = {{"button", 1, 0}, {"close box", 1, 0}, {"button", 0, 1}, {"close box", 0, 1}};
    for (const Case& c : cases) {
        world.singlePlay = c.singlePlay;
        leaves = 0;
        boxes.clear();
        const auto r = Deploy([&](ui::Hwnd d) {
            // No stays.
            answers = {ui::IDNO};
            ClickButton(d, kIdReturnToTitle);
            EXPECT_TRUE(BoxSaid("タイトル画面に戻ります"));
            EXPECT_TRUE(ui::IsWindow(d));
            EXPECT_EQ(leaves, 0);
            answers = {ui::IDYES};
            if (std::string(c.how) == "button") {
                ClickButton(d, kIdReturnToTitle);
            } else {
                ui::SendMessage(d, ui::WM_CLOSE, 0, 0);
                Pump();
            }
        });
        EXPECT_EQ(r, 0) << c.how;
        EXPECT_EQ(leaves, c.leavesAfter) << c.how << " single play " << c.singlePlay;
        EXPECT_EQ(boxes.size(), 2u);
    }
    // The session lost: closed at once, without a question and without leaving again.
    boxes.clear();
    leaves = 0;
    EXPECT_EQ(PressOrganizeReturnToTitle(), 0);
    const auto r = Deploy([&](ui::Hwnd) { EXPECT_EQ(PressOrganizeReturnToTitle(), 1); });
    EXPECT_EQ(r, 0);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(leaves, 0);
}

TEST_F(DeploymentTest, AHostStartsOnlyWhenEveryPlayerHasArranged) {
    world.singlePlay = 0;
    world.isSessionHost = [] { return true; };
    const auto r = Deploy([&](ui::Hwnd d) {
        ui::Hwnd start = ui::GetDlgItem(d, kIdGameStart);
        EXPECT_FALSE(ui::IsWindowEnabled(start));
        ClickButton(d, kIdAutoDeploy);
        ClickButton(d, kIdGameStart);  // disabled: nothing
        EXPECT_TRUE(ui::IsWindow(d));
        EnableOrganizeGameStart(1);
        EXPECT_TRUE(ui::IsWindowEnabled(start));
        ClickButton(d, kIdGameStart);
    });
    EXPECT_EQ(r, 1);
    // With no dialog open it does nothing.
    EnableOrganizeGameStart(0);
}

// Two worlds joined through the session layer: the host deploys in its dialog while the client
// arranges; the host's ゲーム開始 comes up when the client has, and a client that leaves closes
// the host's dialog.
class NetworkDeploymentTest : public DeploymentTest {
  protected:
    void SetUp() override {
        OrganizeTest::SetUp();
        session = std::make_unique<net::testing::Session>(1);
        net::testing::Endpoint& host = session->Host();
        std::uint8_t* block = host.manager->MutableSettingBlock();
        for (int slot = 0; slot < 2; ++slot) {
            rules::WriteS32(block + net::GameSettingBlock::Player(slot), net::PlayerSetting::kSlot, slot);
            rules::WriteS32(block + net::GameSettingBlock::Player(slot), net::PlayerSetting::kCountry, slot + 1);
        }
        std::vector<std::uint8_t> copy(block, block + net::GameSettingBlock::kSize);
        host.manager->SendNextMapSelect();
        host.manager->SendGameSettingNext(copy.data());
        ASSERT_TRUE(session->Until([&] { return session->Client(0).manager->State() == net::kStateSettingsDone; }));
        Prepare(host.tables);
        world.singlePlay = 0;
        ConnectDeploymentToSession(world, host.manager.get());
        gui.SetNext(&host.gui);
        host.manager->SetGui(&gui);
    }
    void TearDown() override {
        session.reset();
        DeploymentTest::TearDown();
    }

    std::unique_ptr<net::testing::Session> session;
    DeploymentNetworkGui gui;
};

TEST_F(NetworkDeploymentTest, TheHostsGameStartWaitsForTheClientsArrangement) {
    net::testing::Endpoint& host = session->Host();
    const auto r = Deploy([&](ui::Hwnd d) {
        ui::Hwnd start = ui::GetDlgItem(d, kIdGameStart);
        EXPECT_FALSE(ui::IsWindowEnabled(start));
        ClickButton(d, kIdAutoDeploy);
        EXPECT_EQ(PlayerHasHQOnMap(), 1);
        EXPECT_EQ(session->Client(0).manager->SendArrangeEnd(), 0);
        EXPECT_TRUE(session->Until([&] { return ui::IsWindowEnabled(start); }));
        ClickButton(d, kIdGameStart);
    });
    EXPECT_EQ(r, 1);
    EXPECT_EQ(host.manager->State(), net::kStateSettingsDone);
}

TEST_F(NetworkDeploymentTest, AClientLeavingClosesTheHostsDialog) {
    const auto r = Deploy([&](ui::Hwnd d) {
        session->Client(0).manager->Leave();
        // The host hears it; the dialog then ends when this step returns to its loop.
        EXPECT_TRUE(session->Until([&] {
            for (std::uint32_t w : session->Host().events) {
                if ((w & 0xFFFF) == net::ZVCMSG_DISCCONECT) return true;
            }
            return false;
        }));
        EXPECT_TRUE(ui::IsWindow(d));
        Pump();
    });
    EXPECT_EQ(r, 0);
    EXPECT_TRUE(boxes.empty()) << "a lost session asks nothing";
}

TEST_F(NetworkDeploymentTest, TheCloseBoxLeavesTheSession) {
    net::testing::Endpoint& client = session->Client(0);
    bool told = false;
    const auto r = Deploy([&](ui::Hwnd d) {
        answers = {ui::IDYES};
        ui::SendMessage(d, ui::WM_CLOSE, 0, 0);
        Pump();
    });
    EXPECT_EQ(r, 0);
    // The client hears that the host is gone instead of waiting for ever.
    told = session->Until([&] {
        for (std::uint32_t w : client.events) {
            if ((w & 0xFFFF) == net::ZVCMSG_DISCCONECT) return true;
        }
        return false;
    });
    EXPECT_TRUE(told);
}

}  // namespace
}  // namespace zv::organize::testing
