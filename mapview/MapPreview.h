#pragma once

// Previews of maps and saved games read straight from their files (the set-up pages and the
// open-file dialog show them before anything is loaded), the 128 x 128 mini map they paint, the
// miniature of the loaded map and two small counters of the country table.
//
// Every picture has 2 x 2 pixels per hex; odd rows are shifted right by one pixel like the half
// hex of the map view. The tiles come from hexMini.bmp.

#include <cstdint>
#include <memory>

#include "framework/Dib.h"
#include "platform/ui/WindowTypes.h"
#include "rules/context/TableDirectory.h"

namespace zv::mapview {

inline constexpr int kMiniMapSize = 128;

// One preview. Readers copy the whole record (the pictures are shared, never changed once made).
struct MapPreviewRecord {
    // Mini map modes 0 (normal), 1 (buildings), 2 (deployment areas); null without pictures.
    std::shared_ptr<fw::Dib> pictures[3];
    std::uint16_t countryMask = 0;  // bit i: country i takes part
    std::uint8_t searchOption = 0;  // 索敵あり
    std::uint8_t dayLimit = 0;
    std::uint8_t hourLimit = 0;
    std::uint8_t playKind = 0;  // 1 a single-play save, 2 a network save
    std::uint16_t ruleWord = 0;
    std::uint8_t deployLimit = 0;
    std::uint8_t countryCount = 0;
    std::uint16_t siteCounts[5][6] = {};  // [owner 0-3, 4 neutral][site kind 0-5]
    char title[25] = {};
    char description[257] = {};
};

// The preview operations; the object carries no state (the state is the one preview record).
class MapPreview {
  public:
    // Reads a map (kind 106) or saved game (107) and replaces the preview. 1 when replaced; 0
    // for a null path, an unreadable file, another kind or a file too short to hold the map
    // tables (the previous preview then stays). `window` is accepted for the callers' shape.
    int RenderMapFilePreview(ui::Hwnd window, const char* path, int withoutPictures);
    int FreeMapPreview();
    MapPreviewRecord* GetMapPreview();
};

// Free-function forms of the operations above.
int RenderMapFilePreview(ui::Hwnd window, const char* path, int withoutPictures);
int FreeMapPreview();
MapPreviewRecord* GetMapPreview();

// Paints one 128 x 128 mini map into `target` (8-bit, at least 128 x 128) from the 4096 hex
// records (8 bytes each), one site number per hex (rules::kNoSiteIndex none) and the 200 site records.
// `sheet` is hexMini.bmp.
void RenderMiniMap(fw::Dib& target, const std::uint8_t* hexes, const std::uint16_t* siteIndex,
                   const std::uint8_t* sites, int mode, fw::Dib& sheet);

// Paints the map of the live tables at 2 x 2 pixels per hex into `target` with its top-left
// corner at (x, y): rivers and land kinds (no roads), then the site marks, the six kinds of one
// owner side by side in the sheet.
void RenderMapMiniature(rules::TableDirectory& tables, fw::Dib& target, int x, int y, int unused = 0);

// The countries whose participation byte is exactly 1; those whose state byte is exactly 1.
int CountParticipatingCountries(const rules::TableDirectory& tables);
int CountCountriesAtWar(const rules::TableDirectory& tables);

// The palette index of the colour nearest to (r, g, b) in a Dib's colour table.
std::uint8_t NearestPaletteIndex(fw::Dib& dib, int r, int g, int b);

}  // namespace zv::mapview
