#pragma once

// The title-5 battles: an attacking and a defending unit of the scene's own unit data meet on
// a section of a 64 x 64 hex map; the combat is resolved with the scene's tables and the
// firing shown with unit silhouettes. The parts here are open to the tests.

#include <array>
#include <cstdint>
#include <vector>

#include "saver/SaverCore.h"

namespace zv::saver::t5 {

constexpr int kMapSide = 64, kPlaneSize = kMapSide * kMapSide;

// Unpacks a plane packed by runs: a byte unlike the next is itself; a pair of equal bytes is
// followed by its number of copies (1-255); a pair followed by 0 ends the stream. Reads from
// input[pos] on, writes from output[start] on. The bytes written, or -1 when the stream would
// read past inputLength or write past outputLimit.
int RunLengthUnpack(int inputLength, int outputLimit, int pos, const uint8_t* input, int start,
                    uint8_t* output);

// The map block: the 256-byte table, the header (packed lengths), the planes, the third block.
struct HexMap {
    std::array<uint8_t, 256> table{};
    std::vector<uint8_t> terrain = std::vector<uint8_t>(kPlaneSize, 0);
    std::vector<uint8_t> units = std::vector<uint8_t>(kPlaneSize, 0);
    std::vector<uint8_t> third;
    uint8_t Terrain(int x, int y) const {
        return x < 0 || y < 0 || x >= kMapSide || y >= kMapSide ? 0 : terrain[std::size_t(y) * kMapSide + x];
    }
    uint8_t Unit(int x, int y) const {
        return x < 0 || y < 0 || x >= kMapSide || y >= kMapSide ? 0 : units[std::size_t(y) * kMapSide + x];
    }
};
// Reads a map block; plainSecond: a second plane of length 0 is 4,096 plain bytes (the file
// form) instead of absent. False for a block that is short or whose planes do not unpack.
bool ReadHexMap(const std::vector<uint8_t>& block, bool plainSecond, HexMap* map);

// Records.
constexpr int kKindSize = 60, kKinds = 64;       // unit kinds (RCDATA 117, 3,840 bytes)
constexpr int kKindFlags = 0;                    // bit 0 takes a start point, 1 air, 2 sea
constexpr int kKindClass = 1;                    // target class 0-6
constexpr int kUnitSize = 256, kUnits = 400;     // units (RCDATA 118, 102,400 bytes)
constexpr int kUnitKind = 32;                    // kind number - 1
constexpr int kUnitPicture = 34;                 // 16-bit silhouette number of the unit
constexpr int kUnitFigures = 36, kUnitArmour = 38, kUnitEvasion = 39, kUnitSkill = 40;
constexpr int kUnitWeapons = 48, kUnitAmmo = 53;  // five weapon numbers (0 none), ammunition
constexpr int kWeaponSize = 16;                   // weapons (RCDATA 160): attack 0-6, power 7,
constexpr int kWeaponPower = 7, kWeaponShots = 8, kWeaponRange = 9, kWeaponShow = 10;
constexpr int kTerrainSize = 8;                   // terrain (RCDATA 161): cover by 0 ground,
                                                  // 1 air, 2 sea; sheet column 3, row 4
constexpr int kSilhouetteSize = 20;               // silhouettes (RCDATA 163)

struct Data {
    HexMap map;
    std::vector<uint8_t> kinds, units, weapons, terrain, range, silhouettes, losses;
    bool Valid() const;
    const uint8_t* Unit(int i) const { return units.data() + std::size_t(i) * kUnitSize; }
    const uint8_t* Kind(int k) const;      // null for a kind the table lacks
    const uint8_t* Weapon(int w) const;    // null for 0 or past the table
    int Cover(int terrainValue, int kindFlags) const;
    int RangeFactor(int distance) const;   // percent of the chance left at that distance
    int LossChance(int power, int armour) const;
};

// A silhouette's place on its sheet.
struct Silhouette {
    int number = 0, w = 0, h = 0, x = 0, y = 0;
    bool mirrored = false;  // a copy facing the other way follows at x + w
};
// The record of `number` (1-900) in the index, for a sheet of the given height.
bool FindSilhouette(const std::vector<uint8_t>& index, int number, int sheetHeight, Silhouette* out);

struct Side {
    int unit = -1;
    int kind = 0;
    int x = 0, y = 0;
    int figures = 0;
    int weapon = -1;  // slot fired, -1 none
    int shots = 0, hits = 0, losses = 0;
    int show = 0;     // what the firing looks like: 0 gun, 1 missile, 2 machine gun, 3 bombs
    bool disarmed = false;
};

struct Battle {
    int scenario = 0;
    Side attacker, defender;
    int distance = 0;
    int direction = 0;  // from the defender to the attacker, 0-5 (0 when they share a hex)
};

// Scenario table: attacker kind, its figures (0: the unit's), defender kind, its figures,
// defender disarmed, volleys, rows between them.
extern const int kScenarios[25][7];
extern const int kStartPoints[7][2];

// zvdemosaver's index files: records of the same form with the number - 1 stored, read from
// the start until the wanted one.
bool ReadSpriteIndex(const std::vector<uint8_t>& file, int number, int sheetHeight, Silhouette* out);

// Sets up and resolves a battle; false when the data hold no unit of a drawn kind. zvdemosaver
// (demo) draws from the first 16 rows and puts the attacker at column 32, row 32.
bool SetUpBattle(SaverRandom& r, const Data& d, Battle& b, bool demo = false);
// Hexes between two map positions.
int HexDistance(int x1, int y1, int x2, int y2);
// Direction 0-5 of (x2, y2) seen from (x1, y1): 0 same column above or the hex itself.
int HexDirection(int x1, int y1, int x2, int y2);

}  // namespace zv::saver::t5
