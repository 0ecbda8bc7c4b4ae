#pragma once

// Where things stand in a fight pane (464 x 224): the machines of each member by platoon size
// and layout mode, their explosion and label points, the reticles' paths and the plates'
// points. Pane 0 is the own side's, pane 1 the enemy side's, which mirrors the members
// (5 - m) and the machines.

#include <cstdint>

namespace zv::panels::fight {

constexpr int kPaneWidth = 464;
constexpr int kPaneHeight = 224;
constexpr int kMembers = 6;
constexpr int kMachines = 8;
constexpr int kReticles = 6;

// One size for drawing and placing each kind of plate.
constexpr int kUnitPlateWidth = 137, kUnitPlateHeight = 20;
constexpr int kWeaponPlateWidth = 115, kWeaponPlateHeight = 20;
constexpr int kMarkPlateWidth = 112, kMarkPlateHeight = 36;
constexpr int kBannerWidth = 289, kBannerHeight = 25;

struct Box {
    int x = 0, y = 0, w = 0, h = 0;
    friend bool operator==(const Box&, const Box&) = default;
};
struct Point {
    int x = 0, y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

// Machine p of member m; the empty box for a platoon size other than 1, 2, 4 or 8 (and for
// single machines in mode 3).
Box FightMachineRect(int pane, int member, int platoon, int machine, int mode);
// The 48 x 48 explosion cell's corner for a machine.
Point FightExplosionPoint(int pane, int member, int platoon, int machine, int mode);
// The corner of the machine's durability label.
Point FightLabelPoint(int pane, int member, int platoon, int machine, int mode);
// Reticle j's start point and its motion per moving tick (direction x 4 pixels).
void FightReticlePath(int pane, int member, int platoon, int reticle, int mode, Point* start,
                      Point* motion);

enum class Plate { Unit, Weapon, Mark };
Point FightPlatePoint(int pane, int member, Plate plate, int mode);

}  // namespace zv::panels::fight
