#include "simulation/tests/StepFixture.h"

#include "rules/search/SupplyNetwork.h"
#include "rules/troops/TroopOrders.h"

namespace zv::sim::steptest {

namespace {

using rules::LandKindRecord;
using rules::MvcostKdRecord;
using rules::UnitInfoRecord;
using rules::UnitKindRecord;
using rules::WeaponKdRecord;

struct UnitSpec {
    const char* name;
    int kind;
    int altitude;
    int moveClass;
    int maxStrength;
    int durability;
    std::int32_t price;
    std::uint16_t fuel;
};

void SetPack(UnitInfoRecord& u, std::initializer_list<int> ammo, std::uint16_t fuel) {
    const std::size_t base = UnitInfoRecord::PackOffset(0);
    int w = 0;
    for (int a : ammo) {
        u.SetU8(base + UnitInfoRecord::kPackAmmo + w++, static_cast<std::uint8_t>(a));
    }
    u.SetU16(base + UnitInfoRecord::kPackFuel, fuel);
}

}  // namespace

rules::testing::RuleTableWriter StepRules() {
    rules::testing::RuleTableWriter w = rules::testing::RuleTableWriter::Basic();
    // Every site class supplies and sells to every class; the port only supplies.
    for (int k = 0; k < 6; ++k) {
        const std::uint16_t flags = k == 5 ? 0x10FF : 0x30FF;
        w.landKinds[15 + k].SetU16(LandKindRecord::kSupplyFlag, flags);
        w.landKinds[15 + k].SetU8(LandKindRecord::kLoadFlag, 0x08);
    }
    w.landKinds[kSea].SetU8(LandKindRecord::kLaunchFlag, 0x08);
    w.landKinds[kSea].SetU8(LandKindRecord::kLoadFlag, 0x08);

    w.unitKinds[kKindGround].SetU8(UnitKindRecord::kSupplyFlags, 0x03);
    w.unitKinds[kKindGround].SetU8(UnitKindRecord::kPerformanceFlags, 0x01);
    w.unitKinds[kKindHeli].SetU8(UnitKindRecord::kSupplyFlags, 0x03);
    while (static_cast<int>(w.unitKinds.size()) < kKindCount) {
        w.AddUnitKind("予備").SetU8(UnitKindRecord::kKindType, 0xFF);
    }
    auto kind = [&](int index, int type, int supplyFlags) {
        w.unitKinds[index].SetU8(UnitKindRecord::kKindType, static_cast<std::uint8_t>(type));
        w.unitKinds[index].SetU8(UnitKindRecord::kSupplyFlags,
                                 static_cast<std::uint8_t>(supplyFlags));
    };
    kind(kKindPlane, 1, 0x03);
    kind(kKindShip, 5, 0x03);
    kind(kKindHq, 3, 0x03);
    kind(kKindSupply, 3, 0x05);

    w.AddMvcostKind();  // class 2 flies: 1 everywhere
    for (int t = 0; t < rules::kTerrainCount; ++t) {
        w.mvcostKinds[2].SetU8(MvcostKdRecord::kCost + t, 1);
    }

    w.weapons[kRifle - 1].SetU8(WeaponKdRecord::kFireCount, 3);
    WeaponKdRecord& bombs = w.AddWeapon("爆弾");
    bombs.SetU8(WeaponKdRecord::kWeaponType, 6);
    bombs.SetU8(WeaponKdRecord::kRange, 1);
    bombs.SetU8(WeaponKdRecord::kSalvo, 1);
    bombs.SetU8(WeaponKdRecord::kPower, 50);
    bombs.SetU8(WeaponKdRecord::kHitRate + 9, 90);
    w.AddWeapon("補給物資").SetU8(WeaponKdRecord::kWeaponType, 34);

    static constexpr UnitSpec kUnits[] = {
        {"歩兵 小隊", kKindGround, 3, 0, 10, 2, 100, 40},
        {"攻撃ヘリ", kKindHeli, 2, 2, 4, 5, 1000, 30},
        {"哨戒艇", kKindShip, 4, 1, 2, 20, 700, 60},
        {"輸送艦", kKindShip, 4, 1, 1, 100, 5000, 100},
        {"司令部", kKindHq, 3, 0, 2, 10, 500, 40},
        {"爆撃機", kKindPlane, 1, 2, 2, 10, 2000, 50},
        {"補給車", kKindSupply, 3, 0, 5, 3, 50, 40},
        {"上陸用舟艇", kKindShip, 4, 1, 4, 5, 100, 10},
    };
    while (w.unitInfos.size() < std::size(kUnits)) w.AddUnitInfo(kUnits[w.unitInfos.size()].name);
    for (std::size_t i = 0; i < std::size(kUnits); ++i) {
        const UnitSpec& s = kUnits[i];
        UnitInfoRecord& u = w.unitInfos[i];
        u.SetU8(UnitInfoRecord::kUnitKind, static_cast<std::uint8_t>(s.kind));
        u.SetU8(UnitInfoRecord::kAltitudeClass, static_cast<std::uint8_t>(s.altitude));
        u.SetU16(UnitInfoRecord::kMoveCostKind, static_cast<std::uint16_t>(s.moveClass));
        u.SetU8(UnitInfoRecord::kMaxStrength, static_cast<std::uint8_t>(s.maxStrength));
        u.SetU8(UnitInfoRecord::kDurabilityPerUnit, static_cast<std::uint8_t>(s.durability));
        u.SetS32(UnitInfoRecord::kPrice, s.price);
        u.SetU8(UnitInfoRecord::kDefaultPack, 1);
        for (int w2 = 0; w2 < 6; ++w2) u.SetU16(UnitInfoRecord::kWeaponId + 2 * w2, 0);
        SetPack(u, {}, s.fuel);
    }
    w.unitInfos[kInfantry].SetU16(UnitInfoRecord::kWeaponId, kRifle);
    SetPack(w.unitInfos[kInfantry], {20}, 40);
    w.unitInfos[kGunship].SetU16(UnitInfoRecord::kWeaponId, kAirMissile);
    SetPack(w.unitInfos[kGunship], {8}, 30);
    w.unitInfos[kBomber].SetU16(UnitInfoRecord::kWeaponId, kBombs);
    SetPack(w.unitInfos[kBomber], {4}, 50);
    w.unitInfos[kSupplyTruck].SetU16(UnitInfoRecord::kWeaponId, kCrates);
    SetPack(w.unitInfos[kSupplyTruck], {10}, 40);
    w.unitInfos[kBoat].SetU16(UnitInfoRecord::kTransformUnit, kLandingCraft + 1);
    w.unitInfos[kBoat].SetU8(UnitInfoRecord::kTransformTime, 2);
    for (int unit : {kInfantry, kHeadquarters, kSupplyTruck}) {
        w.unitInfos[unit].SetU8(UnitInfoRecord::kLoadableFlags, 0x08);
        w.unitInfos[unit].SetU16(UnitInfoRecord::kWeight, 10);
    }
    w.unitInfos[kCarrier].SetU8(UnitInfoRecord::kLoadFlags, 0x08);
    w.unitInfos[kCarrier].SetU16(UnitInfoRecord::kCarryWeightTotal, 60);
    return w;
}

std::vector<CommandView> SplitCommands(std::span<const std::uint8_t> journal) {
    std::vector<CommandView> out;
    std::size_t pos = 0;
    while (pos + 2 <= journal.size()) {
        const std::uint16_t opcode = rules::ReadU16(journal.data(), pos);
        std::uint32_t size = CommandRecordSize(opcode);
        if (size == 0) size = 2;
        if (pos + size > journal.size()) break;
        out.push_back({opcode, Bytes(journal.begin() + static_cast<std::ptrdiff_t>(pos),
                                     journal.begin() + static_cast<std::ptrdiff_t>(pos + size))});
        pos += size;
    }
    return out;
}

std::vector<std::uint16_t> Opcodes(const std::vector<CommandView>& commands) {
    std::vector<std::uint16_t> out;
    for (const CommandView& c : commands) out.push_back(c.opcode);
    return out;
}

StepWorld::StepWorld() {
    StepRules().InstallInto(tables);
    map.TerrainRect(21, 0, 63, 63, kSea);
    map.Country(0, 10000).Country(1, 10000);
    rules::CountryCursor countries(tables);
    for (int c = 0; c < 4; ++c) {
        countries.Select(c);
        const bool inPlay = c < 2;
        countries.SetParticipation(inPlay ? 0 : 2);
        countries.SetState(inPlay ? 1 : 0);
    }
    rules::WriteS32(tables.GetTableBase(rules::TableId::GameSettings),
                    rules::GameSettingsRecord::kSinglePlay, 1);
    SimulationEnv env;
    env.events = &events;
    env.log = [this](std::string_view line) { log.emplace_back(line); };
    sim = std::make_unique<Simulation>(tables, std::move(env));
    sim->SetPlayerCountry(0);
    clock = std::make_unique<ClockStep>(*sim, &host);
}

void StepWorld::Ready() {
    Live()->RebuildHexOccupancy();
    rules::SnapshotGameBlocks(tables);
    clock->ReloadTerrain();
    sim->ResetCommandJournal();
    sim->SetBusyBit(kBusyNotStarted, 0);
    events.events.clear();
}

std::unique_ptr<rules::ShadowGameContext> StepWorld::Shadow() {
    return std::make_unique<rules::ShadowGameContext>(tables, Step().Env());
}

std::unique_ptr<rules::GameContext> StepWorld::Live() {
    return std::make_unique<rules::GameContext>(tables, sim->ContextEnv());
}

void StepWorld::Order(std::uint16_t troop, std::uint16_t destination, std::uint8_t kind,
                      std::uint16_t actions, std::uint16_t target, std::uint16_t weapons) {
    auto shadow = Shadow();
    rules::SetTroopOrder(*shadow, troop, destination, target, kind, actions, weapons, 0xFF, 0xFFFF,
                         0, 0xFF);
    auto live = Live();
    rules::SetTroopOrder(*live, troop, destination, target, kind, actions, weapons, 0xFF, 0xFFFF, 0,
                         0xFF);
}

}  // namespace zv::sim::steptest
