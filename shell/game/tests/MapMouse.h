#pragma once

// Where a program test clicks on the game's map: the screen point of a hex, the troops a command
// can be given to, and an empty hex of the player's sight a few hexes from a start to send a
// troop to.

#include <cstdint>

#include "shell/WindowMessages.h"
#include "mapview/MapViewContext.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowManager.h"
#include "rules/context/GameContext.h"
#include "rules/context/RuleHelpers.h"
#include "rules/records/TroopCursor.h"

namespace zv::shell::testing {

inline ui::Point ScreenPointOfHex(ui::Hwnd map, mapview::MapViewContext* ctx, int x, int y) {
    std::int16_t p[2] = {std::int16_t(x), std::int16_t(y)};
    const std::uint32_t origin = ctx->GetOrigin();
    std::int16_t o[2] = {std::int16_t(origin & 0xFFFF), std::int16_t(origin >> 16)};
    ctx->HexToPixel(p);
    ctx->HexToPixel(o);
    ui::Point pt{p[0] - o[0] + 16, p[1] - o[1] + 16};
    ui::ClientToScreen(map, &pt);
    return pt;
}

// Centres the map on `hex` (x | y << 8) and gives the hex's screen point.
inline ui::Point CentreOnHex(ui::Hwnd map, mapview::MapViewContext* ctx, std::uint16_t hex) {
    ui::SendMessage(map, zv::WM_MAP_CENTER, (hex & 0xFF) | ((hex >> 8) << 16), 0);
    for (int i = 0; i < 3; ++i) ui::WindowManager::Current()->PumpPending();
    return ScreenPointOfHex(map, ctx, hex & 0xFF, hex >> 8);
}

// Map troop `troop` is on the map, on the ground (altitude class 3), and its command mask holds
// `command` (0x0002 move, 0x0004 attack). Leaves the cursor on it.
inline bool IsGroundTroopFor(rules::TroopCursor& t, mapview::MapViewContext* ctx, std::uint16_t troop,
                             std::uint16_t command) {
    return t.Select(troop) && t.GetRecord()->IsUsed() && t.HasMembers() && t.IsOnMap() &&
           t.GetTroopAltitudeClass() == 3 && (ctx->GetTroopCommandMask(troop) & command) != 0;
}

// The first hex 3 or 4 hexes from `start` (x | y << 8) that is seen (mark bit 0) and holds no
// troop; false when there is none within five rows and columns.
inline bool FindFreeSeenHexNear(rules::GameContext& g, std::uint16_t start, int* tx, int* ty) {
    for (int dy = -5; dy <= 5; ++dy) {
        for (int dx = -5; dx <= 5; ++dx) {
            const int x = (start & 0xFF) + dx, y = (start >> 8) + dy;
            const int d = rules::HexDistance(start & 0xFF, start >> 8, x, y);
            if (d >= 3 && d <= 4 && g.SelectHexInfoXY(x, y) && (g.GetHexMarks() & 1) &&
                g.GetHexTroopIndex() == rules::kNoTroopIndex) {
                *tx = x;
                *ty = y;
                return true;
            }
        }
    }
    return false;
}

}  // namespace zv::shell::testing
