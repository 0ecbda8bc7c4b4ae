#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "framework/RandomStreams.h"
#include "rules/context/GameContext.h"
#include "rules/context/TableDirectory.h"
#include "rules/records/BattleRecord.h"
#include "rules/records/RuleRecords.h"
#include "rules/records/TroopCursor.h"
#include "rules/testing/GameEventsRecorder.h"
#include "rules/testing/MapBuilder.h"
#include "rules/testing/RuleTableWriter.h"

// Rule tables and a small map for fights, target choice and placement.
namespace zv::rules::battletest {

// Weapons by 1-based id.
enum : int {
    kGun = 1,      // type 2, range 1, power 10, salvo 2, hit 80 (class 9: 0), counter 3
    kCannon = 2,   // type 4, range 3, power 20, salvo 1, hit 60, counter 5
    kMissile = 3,  // type 20, range 5, power 30, salvo 1, hit 90
    kBomb = 4,     // type 6, range 1, power 40, salvo 2, hit 70 (class 4: 0, 9: 50)
    kAreaGun = 5,  // type 3 (area), range 2, power 8, salvo 3, hit 50
    kDud = 6,      // type 2, range 1, power 0
    kSniper = 7,   // type 2, range 1, power 1, salvo 1, hit 90 (damage 1)
    kRocket = 8,   // type 22 (area missile), range 4, power 20, salvo 1, hit 60
};

// Units (UnitInfo indexes). Ground units use movement class 0 (Basic: no water).
enum : int {
    kRifles = 0,       // class 5, max 4 x 10, defence 20, gun 20 rounds; price 100
    kTank = 1,         // class 6, max 2 x 30, defence 40, cannon 10 + gun 30; price 300
    kEcmCar = 2,       // unit kind 7, pack ECM 50, no weapon; price 150
    kBomber = 3,       // altitude 1, class 8, max 2 x 20, bombs 4; price 800
    kLauncher = 4,     // class 6, missile 4 + rocket 2; price 400
    kHq = 5,           // unit kind 101, class 4, max 1 x 40, gun 10; price 500
    kEngineer = 6,     // unit kind 20 (class 6 kind), max 4 x 10, gun 10; price 50
    kSwarm = 7,        // max 12 x 5, gun 40; price 120
    kCarrier = 8,      // carries 100 of class 0x08; price 600
    kSpecial = 9,      // unit kind 123; gun 20
    kSniperTeam = 10,  // max 2 x 10, sniper 20
    kGunner = 11,      // max 2 x 10, area gun 20; price 200
    kTarget9 = 12,     // class 9 target (rates against it 0 for most weapons), max 3 x 10
};

inline constexpr std::uint8_t kEcmUnitKindIndex = 7;
inline constexpr std::uint8_t kClass6UnitKindIndex = 20;

testing::RuleTableWriter FightRules();

// Remembers the fight and placement events besides the recorder's own.
class FightEvents : public testing::GameEventsRecorder {
  public:
    void FightAnimationFrame(int kind, int frame, std::uint16_t troop1, std::uint16_t troop2,
                             std::uint16_t hex) override;
    bool FightDisplayEnabled(bool ownFight) override { return ownFight ? fightMine : fightOther; }
    void PlayFight(const std::uint8_t* battleRecord) override;
    bool PlacementMessage(const char* utf8Text, bool yesNo) override;
    std::uint16_t ChooseTroopFromCarrier(std::uint16_t carrier) override;
    void FrameRedraw() override { events.push_back("FrameRedraw"); }
    void NewsPosted(const std::uint8_t* record) override;
    void RefreshTroopListWindow() override { events.push_back("RefreshTroopListWindow"); }

    bool fightMine = true;
    bool fightOther = true;
    bool answerYes = true;
    std::uint16_t carrierChoice = 0xFFFF;

    struct Frame {
        int kind, frame;
        std::uint16_t troop1, troop2, hex;
    };
    std::vector<Frame> frames;
    std::vector<BattleRecord> fights;
    std::vector<std::string> messages;
    std::vector<std::vector<std::uint8_t>> news;
};

// Plain land (land kind 0) everywhere, countries 0-2 in play with 10000 funds each, every
// country allied with itself only.
class BattleTest : public ::testing::Test {
  protected:
    BattleTest();

    // A troop of the country on (x, y) with the units in formation slots 0.. at full strength;
    // members fire at will (settings 0). Entered into its hex.
    std::uint16_t AddTroop(std::uint8_t country, int x, int y, std::initializer_list<int> units);
    // Country `observer` sees (bit c) and identifies (bit c + 4) the troop.
    void Sees(std::uint8_t observer, std::uint16_t troop, bool identified = true);

    GameContextEnv Env(std::uint8_t player = 0) {
        GameContextEnv env;
        env.events = &events;
        env.playerCountry = player;
        return env;
    }

    TroopRecord& Troop(std::uint16_t t) { return *TroopAt(tables.GetTableBase(TableId::Troop), t); }
    TroopMember& MemberOf(std::uint16_t t, int slot) { return *Troop(t).SlotMember(slot); }

    TableDirectory tables;
    FightEvents events;
    fw::RandomStreams random;
};

// A record side with members built by hand: each {unit, strength, durability} in slots 0..;
// machines dealt as the fill deals them, every other byte as the fill resets it.
struct HandMember {
    std::int16_t unit;
    std::uint8_t strength;
    std::uint8_t durability;
};
void FillHandSide(BattleSide& side, std::initializer_list<HandMember> members);

}  // namespace zv::rules::battletest
