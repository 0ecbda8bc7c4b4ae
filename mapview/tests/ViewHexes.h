#pragma once

// The hexes a map view shows, found through its own pixel-to-hex mapping, for tests that click
// on the map as a player would.

#include <cstdint>
#include <set>
#include <vector>

#include "mapview/MapViewContext.h"
#include "platform/ui/Window.h"
#include "rules/context/GameContext.h"
#include "rules/context/TableDirectory.h"

namespace zv::mapview::testing {

struct ViewHex {
    int x = 0, y = 0;  // client coordinates of the map view
    std::uint16_t hex = 0;
};

// The hexes of `country`'s deployment area that hold no troop, each once, in scan order (every
// six pixels, rows from the top); empty when the window is no map view.
inline std::vector<ViewHex> FreeAreaHexesInView(ui::Hwnd map, rules::TableDirectory& tables,
                                                std::uint8_t country) {
    std::vector<ViewHex> found;
    MapViewContext* view = map ? GetMapViewContext(map) : nullptr;
    if (!view) return found;
    rules::GameContext ctx(tables, rules::GameContextEnv{nullptr, country});
    ui::Rect client{};
    ui::GetClientRect(map, &client);
    std::set<std::uint16_t> seen;
    for (int y = 4; y < client.bottom - 4; y += 6) {
        for (int x = 4; x < client.right - 4; x += 6) {
            std::int16_t pt[2] = {std::int16_t(x), std::int16_t(y)};
            view->PixelToMapHex(pt);
            if (pt[0] < 0 || pt[1] < 0 || pt[0] > 63 || pt[1] > 63) continue;
            const std::uint16_t hex = std::uint16_t(pt[0] | (pt[1] << 8));
            if (!seen.insert(hex).second || !ctx.SelectHexInfoXY(pt[0], pt[1])) continue;
            if (ctx.Hexes().GetCountry() != country || ctx.GetHexTroopIndex() != rules::kNoTroopIndex) continue;
            found.push_back({x, y, hex});
        }
    }
    return found;
}

}  // namespace zv::mapview::testing
