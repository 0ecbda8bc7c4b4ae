#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "rules/context/GameContext.h"
#include "rules/context/ShadowGameContext.h"
#include "rules/context/ShadowTables.h"
#include "rules/context/TableDirectory.h"
#include "rules/records/Bytes.h"
#include "rules/records/MapCursors.h"
#include "rules/records/RuleRecords.h"
#include "rules/records/TroopRecord.h"
#include "rules/testing/GameEventsRecorder.h"
#include "rules/testing/MapBuilder.h"
#include "rules/testing/RuleTableWriter.h"
#include "simulation/ClockStep.h"
#include "simulation/CommandRecords.h"
#include "simulation/Simulation.h"

// A small world for the clock step's routines: land west of x = 21 and sea east of it, countries
// 0 and 1 in play, units for moving, flying, sailing, carrying, transforming, bombing and supply.
namespace zv::sim::steptest {

using Bytes = std::vector<std::uint8_t>;

// Unit kinds (table 4).
enum : int {
    kKindGround = 0,
    kKindHeli = 1,
    kKindPlane = 2,
    kKindShip = 3,
    kKindHq = 101,
    kKindSupply = 118,
    kKindCount = 119,
};

// Weapons, 1-based.
enum : int { kRifle = 1, kAirMissile = 2, kBombs = 3, kCrates = 4 };

// Units (UnitInfo indexes).
enum : int {
    kInfantry = 0,      // ground, altitude 3, fuel 40, rifle, occupies sites, loadable 0x08
    kGunship = 1,       // helicopter, altitude 2, fuel 30
    kBoat = 2,          // ship, altitude 4; becomes a landing craft after 2 ticks
    kCarrier = 3,       // ship, altitude 4; carries ground units up to 60 (load flag 0x08)
    kHeadquarters = 4,  // kind 101, ground
    kBomber = 5,        // plane, altitude 1, bombs
    kSupplyTruck = 6,   // kind 118, supplies others
    kLandingCraft = 7,  // ship
};

inline constexpr std::uint8_t kLand = 0;  // land kind 0: movement cost 2 for ground units
inline constexpr std::uint8_t kSea = 5;

rules::testing::RuleTableWriter StepRules();

// The ten values of command 22 and its other fields, read from a record.
struct CommandView {
    std::uint16_t opcode = 0;
    Bytes bytes;
    std::uint16_t U16(std::size_t at) const { return rules::ReadU16(bytes.data(), at); }
    std::uint8_t U8(std::size_t at) const { return bytes.at(at); }
};

// Splits a journal (without length word) into its records.
std::vector<CommandView> SplitCommands(std::span<const std::uint8_t> journal);
std::vector<std::uint16_t> Opcodes(const std::vector<CommandView>& commands);

// A ClockHost whose answers tests set.
class TestHost : public ClockHost {
  public:
    std::optional<int> GetGameSpeed() override { return speed; }
    int GetPendingNetAction() override { return netAction; }
    std::int64_t GetCalendarSeconds() override { return calendar; }
    BehaviourSettings GetBehaviourSettings() override { return settings; }

    std::optional<int> speed;
    int netAction = 0;
    std::int64_t calendar = 1000000;
    BehaviourSettings settings;
};

class StepWorld : public ::testing::Test {
  public:
    StepWorld();

    // Countries in play, hexes entered, the shadow a copy of the live tables, the clock free.
    void Ready();
    // A fresh shadow context with the step's route searches.
    std::unique_ptr<rules::ShadowGameContext> Shadow();
    std::unique_ptr<rules::GameContext> Live();
    StepContext& Step() { return clock->Context(); }

    // The commands written since the last Clear.
    std::vector<CommandView> Journal() const { return SplitCommands(sim->OutgoingCommands()); }
    void ClearJournal() { sim->ResetCommandJournal(); }
    // Executes the outgoing commands on the live tables (as the step's flush does).
    void Flush() { sim->FlushCommandJournal(); }

    rules::TroopRecord& Troop(std::uint16_t t, rules::TableId table = rules::TableId::ShadowTroop) {
        return *rules::TroopAt(tables.GetTableBase(table), t);
    }
    std::uint8_t* Country(int c, rules::TableId table = rules::TableId::ShadowCountry) {
        return tables.GetTableBase(table) + c * tables.GetTableRecordSize(table);
    }
    std::uint8_t* Site(int s, rules::TableId table = rules::TableId::ShadowSite) {
        return tables.GetTableBase(table) + 8 * s;
    }
    std::uint16_t HexTroop(int x, int y, rules::TableId table = rules::TableId::ShadowHexInfo) {
        return rules::ReadU16(tables.GetTableBase(table) + (x + 64 * y) * 36, 2);
    }
    // Gives the shadow troop an order directly (as a translated order would).
    void Order(std::uint16_t troop, std::uint16_t destination, std::uint8_t kind,
               std::uint16_t actions, std::uint16_t target = 0xFFFF, std::uint16_t weapons = 0);

    rules::TableDirectory tables;
    rules::testing::MapBuilder map{tables, kLand};
    rules::testing::GameEventsRecorder events;
    std::unique_ptr<Simulation> sim;
    TestHost host;
    std::unique_ptr<ClockStep> clock;
    std::vector<std::string> log;
};

inline std::uint16_t Hex(int x, int y) {
    return static_cast<std::uint16_t>(x | (y << 8));
}

}  // namespace zv::sim::steptest
