#pragma once

// The map-view object of the map windows and the clicks on it: the one selection of troops,
// rectangle and click selection, waypoint drags, and the orders a release gives (written to the
// local order buffer as order records 15, 26 and 27, the same path in a single and a network
// game).

#include <array>
#include <cstdint>

#include "mapview/HexMapView.h"
#include "platform/ui/WindowTypes.h"
#include "rules/records/TroopRecord.h"

namespace zv::rules {
class ForceWorkspace;
}

namespace zv::mapview {

inline constexpr int kSelectionCapacity = 40;

// An entry's waypoint index while its troop's press was on none of its waypoints; as the
// limit of rules::CanAddWaypoint: no limit.
inline constexpr std::uint16_t kNoWaypoint = 0xFFFF;
// The spare words of an entry, kept all ones.
inline constexpr std::uint16_t kSpareSelectionWord = 0xFFFF;
// The command mask before any troop narrowed it: every command.
inline constexpr std::uint16_t kAllCommands = 0xFFFF;

struct TroopSelectionEntry {
    std::uint16_t troop = rules::kNoTroop;
    std::uint16_t hex = rules::kNoHex;
    std::uint16_t reserved[2] = {kSpareSelectionWord, kSpareSelectionWord};
    std::uint16_t waypointIndex = kNoWaypoint;
};

// What a press on the map with troops selected started (TroopSelection::clickMode).
inline constexpr std::int16_t kClickModeNone = 0;
inline constexpr std::int16_t kClickModeOrder = 1;      // an order, its code taken on release
inline constexpr std::int16_t kClickModeWaypoint = 15;  // a waypoint dragged (order 15)

// TroopSelection::state.
inline constexpr std::int16_t kSelectionNone = 0;
inline constexpr std::int16_t kSelectionMade = 1;
inline constexpr std::int16_t kSelectionPressed = 2;  // the button went down on the map with troops selected

// The one selection of the program, shared by every map window.
struct TroopSelection {
    std::array<TroopSelectionEntry, kSelectionCapacity> entries{};
    std::int16_t state = kSelectionNone;
    std::uint16_t count = 0;
    std::int16_t clickMode = 0;  // kClickMode*, or the code of the order the release gives
    std::uint16_t commandMask = 0;
};
TroopSelection& GetTroopSelection();

// The troop when exactly one is selected, else rules::kNoTroop.
std::uint16_t GetSingleSelectedTroop();

// The order codes of the command window's buttons (MapViewHost::GetSelectedCommandCode; 0 when
// no button is down); bit `code` of a command mask allows that button.
inline constexpr int kCodeNone = 0;
inline constexpr int kCodeMove = 1;
inline constexpr int kCodeAttack = 2;
inline constexpr int kCodeFire = 3;
inline constexpr int kCodeOccupy = 4;
inline constexpr int kCodeSupply = 5;
inline constexpr int kCodeBoard = 6;
inline constexpr int kCodeLaunch = 7;
inline constexpr int kCodeBomb = 8;
inline constexpr int kCodeTransform = 9;
inline constexpr int kCodeArm = 10;
inline constexpr int kCodeSeparate = 11;
inline constexpr int kCodeDisband = 12;
inline constexpr int kCodeWait = 26;

class MapViewContext : public HexMapView {
  public:
    explicit MapViewContext(rules::TableDirectory& tables);

    int PressOnMap(ui::Hwnd window, std::uint32_t point);
    void ToggleTroopMark(ui::Hwnd window, std::uint32_t point);
    int BeginRubberBand(std::uint32_t point);
    int PressWithSelection(std::uint32_t point);
    void DragWaypoint(std::uint32_t point);
    int HandleMapButtonUp(std::uint32_t point, std::uint8_t country);
    int SelectTroops(const std::uint16_t* troops, const std::uint16_t* hexes, int count);
    void ClearSelection();
    int CancelSelection(std::uint16_t troop);
    int IssueOrdersForSelection(std::uint16_t targetTroop, std::uint16_t targetHex);
    std::uint16_t GetTroopCommandMask(std::uint16_t troop);
    bool HasSeparationTarget(std::uint16_t troop, std::uint16_t classes);
    bool IsHexInMarkedRange(std::uint16_t hex);
    int PlaceForceTroop(std::uint32_t point, std::uint8_t country, std::uint16_t troop);
    int RecoverForceTroop(std::uint32_t point, std::uint8_t country);

    std::int16_t lastDragHex[2] = {-1, -1};

  private:
    void SetBusy(int on);
    std::uint16_t MapHexUnder(std::uint32_t point, int& x, int& y);
    void ClearMarksAndRedraw();
};

// Asks whether the selection should follow the troop ("この部隊に追従しますか").
int ConfirmFollow(rules::TableDirectory& tables, std::uint16_t troop);

}  // namespace zv::mapview
