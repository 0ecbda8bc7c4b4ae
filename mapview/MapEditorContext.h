#pragma once

// The map document: the whole map part of the game state through the rules object over the live
// tables, with a view that can show it in a window. Its one editing tool sets the land kind of
// the hex under the pointer to 0.

#include <cstdint>

#include "mapview/MapViewContext.h"

namespace zv::mapview {

class MapEditorContext : public MapViewContext {
  public:
    // buildBases: callers pass 1 (the cursors, the rules object and the view are built here).
    MapEditorContext(rules::TableDirectory& tables, int buildBases = 1);

    // The live tables become an empty new map.
    void ResetToNewMap();
    int SetupView(ui::Hwnd window, std::uint32_t origin, int width, int height, int zoom);
    // point: client pixel packed 32. 1 when handled (painted or scrolled), 0 off the map.
    int PaintAtPoint(std::uint32_t point);
    // hex packed 32. 1 when painted or already land kind 0; 0 when the hex does not select.
    int PaintHex(std::uint32_t hex);
    int PickAtPoint(std::uint32_t point, int mode);
};

void DestroyMapEditorContext(MapEditorContext* document);

}  // namespace zv::mapview
