#pragma once

// The unit summary panel: the troop last picked on the map, with its picture, name, fuel,
// members, destination and status. For the player's own troop it opens the troop information
// dialog, shows one member's weapons and lets the user choose another formation, which
// becomes an order.

#include <cstdint>

#include "framework/Dib.h"
#include "platform/ui/WindowTypes.h"
#include "rules/records/TroopRecord.h"

namespace zv::panels {

struct UnitPanelState {
    int troop = rules::kNoTroop;
    int access = -1;  // 0 full, 1 full without interaction, 2 details hidden, -1 no troop yet
    int mode = 0;     // 0 overview, 1 member detail, 2 formation choice
    int chosenMember = -1;
    int hover = -1;
    int own = 0;
    int alternatives = 0;
    int memberCount = 0;
};
const UnitPanelState& GetUnitPanelState();

struct HitRect {
    int left, top, right, bottom;  // all inclusive
    bool Contains(int x, int y) const { return x >= left && x <= right && y >= top && y <= bottom; }
};
// 0 the picture, 1-6 the member rows' icons, 7 the formation label, 8-11 the formation menu.
const HitRect* UnitPanelHitRects();

ui::Hwnd CreateUnitSimpleInfoWindow(void* instance, ui::Hwnd parent, intptr_t menu, uint32_t style);

// The fuel text: "    ?( ? %)" hidden, "%5d(---%)" without pack fuel, else the percentage by
// unsigned division (not capped).
void FormatFuelText(char* out, int access, uint16_t fuel, uint16_t packFuel);

// The 16 x 16 category icon of a unit kind from "category.bmp" (country row, 0 for others).
int DrawCategoryIcon(fw::Dib* dib, int unitKind, int x, int y, int country);
// The same from "fig_cate.bmp" (the fight windows).
int DrawFightCategoryIcon(fw::Dib* dib, int unitKind, int x, int y, int country);

}  // namespace zv::panels
