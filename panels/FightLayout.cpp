#include "panels/FightLayout.h"

namespace zv::panels::fight {

namespace {

int Mirror(int pane, int member) {
    return pane == 0 ? member : kMembers - 1 - member;
}

bool Valid(int member) {
    return member >= 0 && member < kMembers;
}

constexpr Point kEightCorners[6] = {{0, 4}, {160, 4}, {320, 4}, {0, 112}, {160, 112}, {320, 112}};
constexpr Point kEightOffsets[8] = {{0, 0},   {48, 0}, {96, 0},  {24, 28},
                                    {72, 28}, {0, 60}, {48, 60}, {96, 60}};
constexpr Point kFour[6][4] = {
    {{72, 8}, {8, 16}, {56, 48}, {-8, 56}},
    {{232, 0}, {168, 8}, {216, 40}, {152, 48}},
    {{312, 8}, {376, 16}, {328, 48}, {392, 56}},
    {{-16, 112}, {48, 120}, {0, 152}, {64, 160}},
    {{152, 120}, {216, 128}, {168, 160}, {232, 168}},
    {{400, 112}, {336, 120}, {384, 152}, {320, 160}},
};
constexpr Point kTwoMode0[6][2] = {{{40, 8}, {16, 48}},      {{192, 0}, {176, 40}},
                                   {{328, 8}, {352, 48}},    {{0, 120}, {48, 152}},
                                   {{172, 112}, {196, 160}}, {{368, 120}, {320, 152}}};
constexpr Point kTwoMode1[6][2] = {{{16, 52}, {96, 48}},     {{148, 16}, {236, 16}},
                                   {{288, 48}, {368, 52}},   {{0, 112}, {96, 120}},
                                   {{132, 164}, {236, 164}}, {{272, 120}, {368, 112}}};
constexpr Point kTwoMode2[6][2] = {{{24, 8}, {120, 16}},    {{0, 84}, {96, 92}},
                                   {{24, 168}, {120, 160}}, {{272, 16}, {368, 8}},
                                   {{248, 84}, {344, 92}},  {{272, 160}, {368, 168}}};
constexpr Point kOneMode0[6] = {{0, 32}, {160, 32}, {320, 32}, {0, 144}, {160, 144}, {320, 144}};
constexpr Point kOneMode1[6] = {{16, 48}, {156, 16}, {296, 48}, {-48, 112}, {112, 160}, {264, 112}};
constexpr Point kOneMode2[6] = {{0, 8}, {-48, 84}, {0, 160}, {272, 8}, {224, 84}, {272, 160}};

// The own-side table, member m and machine p as they stand there.
Box OwnRect(int m, int platoon, int p, int mode) {
    switch (platoon) {
        case 8:
            return {kEightCorners[m].x + kEightOffsets[p].x,
                    kEightCorners[m].y + kEightOffsets[p].y, 48, 48};
        case 4:
            return {kFour[m][p].x, kFour[m][p].y, 80, 56};
        case 2:
            if (mode == 1) {
                const bool small = m < 3;
                return {kTwoMode1[m][p].x, kTwoMode1[m][p].y, small ? 80 : 96, small ? 32 : 40};
            }
            if (mode == 2) return {kTwoMode2[m][p].x, kTwoMode2[m][p].y, 96, 40};
            return {kTwoMode0[m][p].x, kTwoMode0[m][p].y, 96, 56};
        case 1:
            if (mode == 0) return {kOneMode0[m].x, kOneMode0[m].y, 144, 48};
            if (mode == 1) {
                const bool small = m < 3;
                return {kOneMode1[m].x, kOneMode1[m].y, small ? 152 : 240, small ? 32 : 48};
            }
            if (mode == 2) return {kOneMode2[m].x, kOneMode2[m].y, 240, 48};
            return {};
        default:
            return {};
    }
}

constexpr Point kPatternAAnchors[6] = {{8, 16},  {168, 16},  {328, 16},
                                       {8, 128}, {168, 128}, {328, 128}};
constexpr Point kPatternAOffsets[6] = {{0, 0}, {44, -8}, {88, 0}, {-8, 32}, {44, 64}, {96, 32}};
constexpr Point kPatternBOffsets[6] = {{0, 0}, {48, -20}, {96, 0}, {-16, 16}, {48, 36}, {112, 16}};
constexpr Point kPatternBMode1[6] = {{24, 36},  {164, 4},   {304, 36},
                                     {12, 108}, {164, 156}, {316, 108}};
constexpr Point kPatternBMode2[6] = {{52, 4}, {4, 80}, {52, 156}, {324, 4}, {276, 80}, {324, 156}};
constexpr Point kDirections[6] = {{1, 0}, {0, 1}, {-1, 0}, {1, 0}, {0, -1}, {-1, 0}};

constexpr Point kUnitPlates[3][6] = {
    {{56, 0}, {8, 76}, {56, 152}, {328, 0}, {280, 76}, {328, 152}},
    {{28, 32}, {168, 0}, {308, 32}, {16, 96}, {168, 144}, {320, 96}},
    {{8, 0}, {168, 0}, {328, 0}, {8, 112}, {168, 112}, {328, 112}},
};
constexpr Point kWeaponPlates[3][6] = {
    {{64, 56}, {16, 132}, {64, 208}, {336, 56}, {288, 132}, {336, 208}},
    {{36, 92}, {176, 60}, {316, 92}, {24, 160}, {176, 208}, {328, 160}},
    {{16, 84}, {176, 84}, {336, 84}, {16, 196}, {176, 196}, {336, 196}},
};
constexpr Point kMarkPlates[3][6] = {
    {{64, 12}, {16, 88}, {64, 164}, {336, 12}, {288, 88}, {336, 164}},
    {{36, 48}, {176, 16}, {316, 48}, {24, 116}, {176, 164}, {328, 116}},
    {{16, 40}, {176, 40}, {336, 40}, {16, 152}, {176, 152}, {336, 152}},
};

}  // namespace

Box FightMachineRect(int pane, int member, int platoon, int machine, int mode) {
    if (!Valid(member) || machine < 0 || machine >= platoon || machine >= kMachines) return {};
    const int m = Mirror(pane, member);
    const int p = pane == 0 ? machine : platoon - 1 - machine;
    return OwnRect(m, platoon, p, mode);
}

Point FightExplosionPoint(int pane, int member, int platoon, int machine, int mode) {
    const Box b = FightMachineRect(pane, member, platoon, machine, mode);
    Point d{};
    switch (platoon) {
        case 4:
            d = {16, 0};
            break;
        case 2:
            if (mode == 0 || mode == 3)
                d = {24, 0};
            else if (b.w == 80)
                d = {16, -8};
            else
                d = {24, -4};
            break;
        case 1:
            if (mode == 3) return {0, 0};
            if (mode == 0)
                d = {48, 0};
            else if (b.w == 152)
                d = {52, -8};
            else
                d = {96, 0};
            break;
        default:
            break;
    }
    return {b.x + d.x, b.y + d.y};
}

Point FightLabelPoint(int pane, int member, int platoon, int machine, int mode) {
    const Box b = FightMachineRect(pane, member, platoon, machine, mode);
    // In mode 1 the small rows are members 0-2 of the own pane and 3-5 of the enemy pane.
    const bool firstRows = pane == 0 ? member < 3 : member >= 3;
    Point d{};
    switch (platoon) {
        case 8:
            d = {4, 32};
            break;
        case 4:
            d = {16, 44};
            break;
        case 2:
            if (mode == 2)
                d = {8, 40};
            else if (mode == 1)
                d = firstRows ? Point{0, 32} : Point{8, 40};
            else
                d = {8, 48};
            break;
        case 1:
            if (mode == 0)
                d = {8, 52};
            else if (mode == 2)
                d = {56, 48};
            else if (mode == 1)
                d = firstRows ? Point{12, 40} : Point{56, 48};
            break;
        default:
            break;
    }
    return {b.x + d.x, b.y + d.y};
}

void FightReticlePath(int pane, int member, int platoon, int reticle, int mode, Point* start,
                      Point* motion) {
    *start = {};
    *motion = {};
    if (!Valid(member) || reticle < 0 || reticle >= kReticles) return;
    const int m = Mirror(pane, member);
    *motion = {kDirections[reticle].x * 4, kDirections[reticle].y * 4};
    if (platoon == 1 && mode == 3) return;
    if (platoon == 1 && (mode == 1 || mode == 2)) {
        const Point a = mode == 1 ? kPatternBMode1[m] : kPatternBMode2[m];
        *start = {a.x + kPatternBOffsets[reticle].x, a.y + kPatternBOffsets[reticle].y};
        return;
    }
    *start = {kPatternAAnchors[m].x + kPatternAOffsets[reticle].x,
              kPatternAAnchors[m].y + kPatternAOffsets[reticle].y};
}

Point FightPlatePoint(int pane, int member, Plate plate, int mode) {
    if (!Valid(member)) return {};
    const int m = Mirror(pane, member);
    const int row = (mode == 1) ? 1 : (mode == 2 ? 2 : 0);
    switch (plate) {
        case Plate::Unit:
            return kUnitPlates[row][m];
        case Plate::Weapon:
            return kWeaponPlates[row][m];
        case Plate::Mark:
            return kMarkPlates[row][m];
    }
    return {};
}

}  // namespace zv::panels::fight
