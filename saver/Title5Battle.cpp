// The title-5 battles: the map block, the records and the combat.

#include "saver/Title5Battle.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "saver/Title4Battle.h"

namespace zv::saver::t5 {

// attacker kind, attacker figures, defender kind, defender figures, defender disarmed,
// volleys, rows between them
const int kScenarios[25][7] = {
    {1, 0, 1, 0, 0, 1, 3}, {1, 0, 2, 0, 0, 1, 4}, {2, 0, 1, 0, 0, 1, 3},
    {3, 0, 2, 0, 0, 1, 5}, {4, 0, 5, 0, 1, 2, 2}, {5, 0, 1, 0, 0, 1, 3},
    {6, 0, 2, 0, 0, 1, 6}, {6, 0, 1, 0, 1, 2, 5}, {7, 0, 3, 0, 0, 1, 4},
    {8, 0, 2, 0, 0, 1, 4}, {9, 0, 1, 0, 0, 1, 3}, {9, 0, 3, 0, 0, 1, 5},
    {10, 0, 9, 0, 0, 1, 4}, {10, 0, 8, 0, 0, 1, 5}, {11, 0, 2, 0, 0, 1, 3},
    {11, 0, 6, 0, 1, 1, 2}, {12, 0, 10, 0, 0, 1, 5}, {13, 0, 14, 0, 0, 1, 6},
    {14, 0, 13, 0, 0, 1, 6}, {15, 0, 13, 0, 0, 1, 5}, {13, 0, 15, 0, 0, 1, 6},
    {16, 0, 14, 0, 0, 1, 4}, {7, 2, 9, 0, 0, 1, 3}, {2, 0, 5, 0, 1, 1, 4},
    {3, 0, 11, 0, 0, 1, 5},
};

const int kStartPoints[7][2] = {{22, 14}, {30, 20}, {14, 26}, {40, 12}, {26, 30}, {44, 24}, {18, 18}};

int RunLengthUnpack(int inputLength, int outputLimit, int pos, const uint8_t* input, int start,
                    uint8_t* output) {
    int out = start;
    while (true) {
        if (pos >= inputLength) return -1;  // no end mark before the input ran out
        const uint8_t b = input[pos];
        if (pos + 1 < inputLength && input[pos + 1] == b) {
            if (pos + 2 >= inputLength) return -1;
            const int count = input[pos + 2];
            if (count == 0) return out - start;
            if (out + count > outputLimit) return -1;
            std::fill(output + out, output + out + count, b);
            out += count;
            pos += 3;
        } else {
            if (out + 1 > outputLimit) return -1;
            output[out++] = b;
            ++pos;
        }
    }
}

bool ReadHexMap(const std::vector<uint8_t>& block, bool plainSecond, HexMap* map) {
    if (block.size() < 512) return false;
    std::copy(block.begin(), block.begin() + 256, map->table.begin());
    auto word = [&](int at) { return int(block[std::size_t(at)] | block[std::size_t(at) + 1] << 8); };
    const int l1 = word(256), l2 = word(258), l3 = word(260);
    const int total = int(block.size());
    int pos = 512;
    auto plane = [&](int length, std::vector<uint8_t>& out) {
        out.assign(kPlaneSize, 0);
        if (length == 0) {
            if (pos + kPlaneSize > total) return false;
            std::copy(block.begin() + pos, block.begin() + pos + kPlaneSize, out.begin());
            pos += kPlaneSize;
            return true;
        }
        if (pos + length > total) return false;
        if (RunLengthUnpack(pos + length, kPlaneSize, pos, block.data(), 0, out.data()) < 0)
            return false;
        pos += length;
        return true;
    };
    if (!plane(l1, map->terrain)) return false;
    if (l2 != 0 || plainSecond) {
        if (!plane(l2, map->units)) return false;
    } else {
        map->units.assign(kPlaneSize, 0);
    }
    if (pos + l3 > total) return false;
    map->third.assign(block.begin() + pos, block.begin() + pos + l3);
    return true;
}

bool Data::Valid() const {
    return kinds.size() >= std::size_t(kKinds) * kKindSize &&
           units.size() >= std::size_t(kUnits) * kUnitSize && weapons.size() >= kWeaponSize &&
           terrain.size() >= kTerrainSize && !silhouettes.empty() && !losses.empty() &&
           !range.empty();
}

const uint8_t* Data::Kind(int k) const {
    if (k < 1 || k > kKinds || std::size_t(k) * kKindSize > kinds.size()) return nullptr;
    return kinds.data() + std::size_t(k - 1) * kKindSize;
}

const uint8_t* Data::Weapon(int w) const {
    if (w < 1 || std::size_t(w + 1) * kWeaponSize > weapons.size()) return nullptr;
    return weapons.data() + std::size_t(w) * kWeaponSize;
}

int Data::Cover(int t, int flags) const {
    const std::size_t at = std::size_t(t) * kTerrainSize + ((flags & 2) ? 1 : (flags & 4) ? 2 : 0);
    return at < terrain.size() ? std::min<int>(terrain[at], 90) : 0;
}

int Data::RangeFactor(int distance) const {
    if (range.empty()) return 100;
    return std::min<int>(range[std::size_t(std::clamp(distance, 0, int(range.size()) - 1))], 100);
}

int Data::LossChance(int power, int armour) const {
    // Eight power bands by eight armour bands.
    const std::size_t at = std::size_t(std::clamp(power / 16, 0, 7)) * 8 + std::size_t(std::clamp(armour / 16, 0, 7));
    return at < losses.size() ? std::min<int>(losses[at], 100) : 50;
}

namespace {

bool FindStored(const std::vector<uint8_t>& index, int stored, int number, int sheetHeight,
                Silhouette* out) {
    for (std::size_t at = 0; at + kSilhouetteSize <= index.size(); at += kSilhouetteSize) {
        const uint8_t* p = index.data() + at;
        if ((p[0] | p[1] << 8) != stored) continue;
        Silhouette s;
        s.number = number;
        s.w = p[2] | p[3] << 8;
        s.h = p[4] | p[5] << 8;
        const long pos = long(p[8]) | long(p[9]) << 8 | long(p[10]) << 16 | long(p[11]) << 24;
        s.x = int(pos % 320) * 2;
        s.y = sheetHeight - int(pos / 320) - 1;
        s.mirrored = p[12] != 0;
        if (s.w <= 0 || s.h <= 0) return false;
        *out = s;
        return true;
    }
    return false;
}

}  // namespace

bool FindSilhouette(const std::vector<uint8_t>& index, int number, int sheetHeight, Silhouette* out) {
    return FindStored(index, number, number, sheetHeight, out);
}

bool ReadSpriteIndex(const std::vector<uint8_t>& file, int number, int sheetHeight, Silhouette* out) {
    return FindStored(file, number - 1, number, sheetHeight, out);
}

int HexDistance(int x1, int y1, int x2, int y2) {
    return t4::HexDistance(x1, y1, x2, y2);
}

int HexDirection(int x1, int y1, int x2, int y2) {
    if (x1 == x2 && y1 == y2) return 0;
    // Centres in half-hex units: odd rows lie half a hex to the right.
    const double px1 = 2 * x1 + (y1 & 1), px2 = 2 * x2 + (y2 & 1);
    const double dx = px2 - px1, dy = (y2 - y1) * 1.5;
    double a = std::atan2(dx, -dy) * 180.0 / 3.14159265358979;  // 0 up, clockwise
    if (a < 0) a += 360;
    return int(a / 60.0) % 6;
}

namespace {

int PickUnit(SaverRandom& r, const Data& d, int kind) {
    std::vector<int> candidates;
    for (int i = 0; i < kUnits; ++i)
        if (d.Unit(i)[kUnitKind] + 1 == kind) candidates.push_back(i);
    if (candidates.empty()) return -1;
    return candidates[std::size_t(r.Mod(int(candidates.size())))];
}

// Fires one volley of `a` at `t`; the figures of t lost.
void Fire(SaverRandom& r, const Data& d, Side& a, Side& t, int distance) {
    const uint8_t* u = d.Unit(a.unit);
    const uint8_t* tu = d.Unit(t.unit);
    const uint8_t* tk = d.Kind(t.kind);
    const int targetClass = tk ? std::min<int>(tk[kKindClass], 6) : 0;
    const int cover = d.Cover(d.map.Terrain(t.x, t.y), tk ? tk[kKindFlags] : 0);
    int best = 0;
    a.weapon = -1;
    int chanceOf = 0;
    for (int k = 0; k < 5 && !a.disarmed; ++k) {
        const uint8_t* w = d.Weapon(u[kUnitWeapons + k]);
        if (!w || u[kUnitAmmo + k] == 0 || w[kWeaponRange] < distance) continue;
        const int chance = t4::HitChance(w[targetClass], cover, 100 - d.RangeFactor(distance),
                                         std::min<int>(tu[kUnitEvasion], 90), u[kUnitSkill],
                                         tu[kUnitArmour]);
        const int value = chance * std::max<int>(1, w[kWeaponPower]);
        if (value > best) best = value, a.weapon = k, chanceOf = chance;
    }
    if (a.weapon < 0) return;
    const uint8_t* w = d.Weapon(u[kUnitWeapons + a.weapon]);
    a.show = std::min<int>(w[kWeaponShow], 3);
    const int shots = std::min((a.figures - a.losses) * std::max<int>(1, w[kWeaponShots]),
                               int(u[kUnitAmmo + a.weapon]));
    a.shots += shots;
    for (int i = 0; i < shots && t.losses < t.figures; ++i) {
        if (r.Mod(100) >= chanceOf) continue;
        ++a.hits;
        if (r.Mod(100) < d.LossChance(w[kWeaponPower], tu[kUnitArmour])) ++t.losses;
    }
}

}  // namespace

bool SetUpBattle(SaverRandom& r, const Data& d, Battle& b, bool demo) {
    if (!d.Valid()) return false;
    b = Battle{};
    b.scenario = r.Mod(demo ? 16 : 25);
    const int* row = kScenarios[b.scenario];
    b.attacker.kind = row[0];
    b.defender.kind = row[2];
    b.attacker.unit = PickUnit(r, d, row[0]);
    b.defender.unit = PickUnit(r, d, row[2]);
    if (b.attacker.unit < 0 || b.defender.unit < 0) return false;
    const uint8_t* ak = d.Kind(row[0]);
    const int start = r.Mod(7);
    if (demo) {
        b.attacker.x = 32, b.attacker.y = 32;
    } else if (ak && (ak[kKindFlags] & 7) == 0) {
        b.attacker.x = 2, b.attacker.y = 2;
    } else {
        b.attacker.x = kStartPoints[start][0], b.attacker.y = kStartPoints[start][1];
    }
    b.defender.x = b.attacker.x;
    b.defender.y = std::min(kMapSide - 1, b.attacker.y + row[6]);
    b.distance = HexDistance(b.attacker.x, b.attacker.y, b.defender.x, b.defender.y);
    b.direction = HexDirection(b.defender.x, b.defender.y, b.attacker.x, b.attacker.y);
    b.attacker.figures = row[1] ? row[1] : std::clamp<int>(d.Unit(b.attacker.unit)[kUnitFigures], 1, 6);
    b.defender.figures = row[3] ? row[3] : std::clamp<int>(d.Unit(b.defender.unit)[kUnitFigures], 1, 6);
    b.defender.disarmed = row[4] != 0;
    for (int v = 0; v < std::max(1, row[5]); ++v) {
        Fire(r, d, b.attacker, b.defender, b.distance);
        if (b.defender.losses < b.defender.figures) Fire(r, d, b.defender, b.attacker, b.distance);
    }
    return true;
}

}  // namespace zv::saver::t5
