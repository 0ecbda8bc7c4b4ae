#include "mapview/MapEditorContext.h"

#include "mapview/MapWorld.h"
#include "rules/records/MapRecords.h"

namespace zv::mapview {

MapEditorContext::MapEditorContext(rules::TableDirectory& tables, int buildBases) : MapViewContext(tables) {
    (void)buildBases;  // the bases are members here and always built
}

void DestroyMapEditorContext(MapEditorContext* document) { delete document; }

void MapEditorContext::ResetToNewMap() {
    // Header, sea, troops, countries, sites, occupancy, then the working force and the four
    // countries' corps: the order of GameContext::ResetAllGameTables.
    Context().ResetAllGameTables();
}

int MapEditorContext::SetupView(ui::Hwnd window, std::uint32_t origin, int width, int height, int zoom) {
    return Setup(window, origin, width, height, zoom, 0);
}

int MapEditorContext::PaintAtPoint(std::uint32_t point) {
    if (GetEdgeZone(point) != kEdgeZoneInside) {
        EdgeScroll(point);
        return 1;
    }
    std::int16_t pt[2] = {Lo16(point), Hi16(point)};
    PixelToMapHex(pt);
    if (pt[0] < 0 || pt[0] >= rules::kMapSize || pt[1] < 0 || pt[1] >= rules::kMapSize) return 0;
    PaintHex(Pack32(pt[0], pt[1]));
    CurrentMapHost().NotifyCampInfoWindow();
    CurrentMapHost().NotifySiteListWindow();
    return 1;
}

int MapEditorContext::PaintHex(std::uint32_t hex) {
    rules::GameContext& g = Context();
    const int x = Lo16(hex), y = Hi16(hex);
    if (!g.SelectHexInfoXY(x, y)) return 0;
    if (g.Hexes().GetLandKind() == 0) return 1;
    g.Hexes().SetLandKind(0);
    CurrentMapHost().NotifyHqWindow(0, rules::MakeHexPosition(x, y));
    g.SelectHexInfoXY(x, y);
    g.SetHexValue3(0);
    DrawHex(hex, 0);
    return 1;
}

int MapEditorContext::PickAtPoint(std::uint32_t point, int mode) {
    (void)mode;  // the only right-button mode picks nothing
    std::int16_t pt[2] = {Lo16(point), Hi16(point)};
    PixelToMapHex(pt);
    if (pt[0] < 0 || pt[0] >= rules::kMapSize || pt[1] < 0 || pt[1] >= rules::kMapSize) return 0;
    CurrentMapHost().NotifyCampInfoWindow();
    CurrentMapHost().NotifySiteListWindow();
    return 1;
}

}  // namespace zv::mapview
