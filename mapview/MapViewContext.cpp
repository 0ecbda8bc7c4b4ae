#include "mapview/MapViewContext.h"

#include <algorithm>

#include "shell/WindowMessages.h"
#include "mapview/MapWorld.h"
#include "platform/ui/Window.h"
#include "rules/combat/Attack.h"
#include "rules/combat/TargetChoice.h"
#include "rules/context/RuleHelpers.h"
#include "rules/records/ForceCursor.h"
#include "rules/records/TroopRecord.h"
#include "rules/search/RouteSearch.h"
#include "rules/search/Visibility.h"
#include "rules/troops/Carriers.h"
#include "rules/troops/Placement.h"
#include "rules/troops/Supply.h"
#include "rules/troops/TroopMembers.h"
#include "rules/troops/TroopOrders.h"
#include "rules/troops/TroopQueries.h"
#include "shell/WindowRegistry.h"
#include "simulation/CommandRecords.h"
#include "simulation/Simulation.h"
#include "rules/records/MapRecords.h"

namespace zv::mapview {

using rules::GameContext;

namespace {

TroopSelection gSelection;

// Orders go to the world's simulation; without one (a map without a game) nowhere.
class NullOrders : public sim::OrderSink {
  public:
    int AppendOrder(const std::uint8_t*, std::uint32_t) override { return 0; }
};

sim::OrderSink& Orders() {
    static NullOrders none;
    MapWorld* world = CurrentMapWorld();
    if (world != nullptr && world->simulation != nullptr) return *world->simulation;
    return none;
}

std::uint16_t HexOf(int x, int y) { return rules::MakeHexPosition(x, y); }

void SendPanel(std::uint32_t msg, ui::WParam w, ui::LParam l) {
    const ui::Hwnd panel = shell::GetWindowOfKind(shell::WindowKind::PanelManeger);
    if (panel) ui::SendMessage(panel, msg, w, l);
}

}  // namespace

TroopSelection& GetTroopSelection() { return gSelection; }

std::uint16_t GetSingleSelectedTroop() {
    return gSelection.count == 1 ? gSelection.entries[0].troop : rules::kNoTroop;
}

MapViewContext::MapViewContext(rules::TableDirectory& tables) : HexMapView(tables, MapContextEnv()) {}

void MapViewContext::SetBusy(int on) {
    MapWorld* world = CurrentMapWorld();
    if (world != nullptr && world->simulation != nullptr) world->simulation->SetBusyBit(7, on);
}

std::uint16_t MapViewContext::MapHexUnder(std::uint32_t point, int& x, int& y) {
    std::int16_t pt[2] = {Lo16(point), Hi16(point)};
    PixelToMapHex(pt);
    x = pt[0];
    y = pt[1];
    if (x < 0 || y < 0 || x >= rules::kMapSize || y >= rules::kMapSize) return rules::kNoHex;
    return HexOf(x, y);
}

int MapViewContext::PressOnMap(ui::Hwnd window, std::uint32_t point) {
    GameContext& g = Context();
    int x = 0, y = 0;
    const std::uint16_t h = MapHexUnder(point, x, y);
    if (h == rules::kNoHex || !g.SelectHexInfoXY(x, y)) return 0;
    std::uint16_t t = g.GetHexTroopIndex();
    int mode = 2;
    if (t != rules::kNoTroopIndex && g.Troops().Select(t) && g.Troops().GetTroopAltitudeClass() != 3) mode = 1;
    std::uint8_t terrain = 0;
    {
        rules::ContextRouteSearch search(g, rules::RouteInstance::Map);
        terrain = search->GetCellTerrain(x, y, mode);
    }
    const std::uint8_t p = LocalPlayer();
    std::uint8_t siteOwner = 255;
    if (rules::UsesFogOfWar(g)) {
        if (t != rules::kNoTroopIndex && g.Troops().Select(t)) {
            const std::uint8_t c = g.Troops().GetCountry();
            const std::uint16_t seen = g.Troops().GetMask28();
            if (!rules::AreCountriesAllied(g.Tables(), c, p) && !(seen & (1u << p)) &&
                !(seen & (1u << (4 + p))))
                t = rules::kNoTroopIndex;
        }
        rules::HexDescription d;
        g.GetHexDescription(h, d);
        siteOwner = d.siteKind != 255 ? d.siteOwner : 255;
        g.SelectHexInfoXY(x, y);
        if (!(g.GetHexFlags() & (1u << p))) t = rules::kNoTroopIndex;
    } else {
        rules::HexDescription d;
        g.GetHexDescription(h, d);
        siteOwner = d.siteKind != 255 ? d.siteOwner : 255;
    }
    const bool selected = gSelection.state != kSelectionNone && gSelection.count != 0;
    if (!(t == rules::kNoTroopIndex && selected)) SendPanel(WM_PANEL_SHOW_TROOP, t, 0);
    SendPanel(WM_PANEL_SHOW_CELL, t, static_cast<ui::LParam>((terrain << 16) | siteOwner));
    if (selected || t != rules::kNoTroopIndex) return 1;
    if (p >= rules::kCountryCount) return 1;

    // The reinforcement request near the home site.
    auto& sites = g.Sites();
    int home = -1;
    for (int s = 0; s < rules::kSiteCount; ++s) {
        if (sites.Select(s) && sites.GetKind() == 0 && sites.GetOwner() == p) {
            home = s;
            break;
        }
    }
    if (home < 0) return 1;
    std::uint16_t homeHex = 0;
    sites.Select(home);
    sites.GetHex(homeHex);
    rules::HexDescription here;
    g.GetHexDescription(h, here);
    rules::HexDescription around[6];
    g.GetNeighbourInfos(homeHex, around);
    for (const auto& n : around) {
        if (!n.IsOnMap() || n.Hex() != h) continue;
        if (here.siteKind == 255 || here.siteOwner == p) {
            CurrentMapHost().RequestReinforcements(window, p, h, 0);
            return 0;
        }
    }
    if (here.siteKind == 255) return 1;
    if (here.siteKind == 0 && here.siteOwner == p) {
        CurrentMapHost().RequestReinforcements(window, p, h, 1);
        return 0;
    }
    if (here.siteOwner == p && sites.Select(here.siteIndex) && sites.GetSupplied() != 0 &&
        (here.siteKind == 1 || here.siteKind == 2 || here.siteKind == 4 || here.siteKind == 5)) {
        for (int s = 0; s < rules::kSiteCount; ++s) {
            if (!sites.Select(s) || sites.GetKind() != 0 || sites.GetOwner() != p || sites.GetSupplied() == 0)
                continue;
            std::uint16_t at = 0;
            sites.GetHex(at);
            if (rules::HexDistance(at & 0xFF, at >> 8, x, y) <= 5) {
                CurrentMapHost().RequestReinforcements(window, p, h, 1);
                return 0;
            }
        }
    }
    return 1;
}

void MapViewContext::ToggleTroopMark(ui::Hwnd, std::uint32_t point) {
    GameContext& g = Context();
    int x = 0, y = 0;
    if (MapHexUnder(point, x, y) == rules::kNoHex || !g.SelectHexInfoXY(x, y)) return;
    const std::uint16_t t = g.GetHexTroopIndex();
    if (t == rules::kNoTroopIndex || !g.Troops().Select(t)) return;
    const std::uint16_t flags = g.Troops().GetStateFlags();
    g.Troops().SetStateFlags(flags ^ rules::kTroopSelectionMark);
}

int MapViewContext::BeginRubberBand(std::uint32_t point) {
    if (gSelection.state != kSelectionNone) return 0;
    SetRubberBandAnchor(point);
    return 1;
}

int MapViewContext::PressWithSelection(std::uint32_t point) {
    GameContext& g = Context();
    int x = 0, y = 0;
    const std::uint16_t h = MapHexUnder(point, x, y);
    if (h == rules::kNoHex || !g.SelectHexInfoXY(x, y)) return 0;
    if (CurrentMapHost().GetSelectedCommandCode() != 0 || !(g.GetHexMarks() & 2)) {
        gSelection.clickMode = kClickModeOrder;
    } else {
        for (int i = 0; i < gSelection.count && i < kSelectionCapacity; ++i) {
            auto& e = gSelection.entries[i];
            if (e.troop == rules::kNoTroop || !g.Troops().Select(e.troop)) continue;
            bool found = false;
            for (int w = 0; w < 4; ++w) {
                if (g.Troops().GetWaypoint(w) == h) {
                    e.waypointIndex = static_cast<std::uint16_t>(w);
                    found = true;
                    break;
                }
            }
            if (!found && g.Troops().GetDestination() == h) e.waypointIndex = 4;
        }
        gSelection.clickMode = kClickModeWaypoint;
    }
    gSelection.state = kSelectionPressed;
    return 1;
}

void MapViewContext::DragWaypoint(std::uint32_t point) {
    GameContext& g = Context();
    int x = 0, y = 0;
    const std::uint16_t h = MapHexUnder(point, x, y);
    if (x == lastDragHex[0] && y == lastDragHex[1]) return;
    DrawVisibleHexes(1);
    if (h == rules::kNoHex) return;
    for (int i = 0; i < gSelection.count && i < kSelectionCapacity; ++i) {
        if (!rules::CanAddWaypoint(g, gSelection.entries[0].troop, h, kNoWaypoint)) return;
        auto& e = gSelection.entries[i];
        if (e.troop == rules::kNoTroop || !g.Troops().Select(e.troop) || e.waypointIndex == kNoWaypoint) continue;
        auto& t = g.Troops();
        std::uint8_t points[6][2] = {};
        int n = 0;
        for (int w = 0; w < 4; ++w) {
            const std::uint16_t wp = t.GetWaypoint(w);
            if ((wp & 0xFF) == 255) continue;
            points[n][0] = wp & 0xFF;
            points[n][1] = wp >> 8;
            ++n;
        }
        const int leg = t.GetOrderPhase();
        if (leg != 0 && leg - 1 < n) {
            const std::uint16_t cur = t.GetHexValue();
            points[leg - 1][0] = cur & 0xFF;
            points[leg - 1][1] = cur >> 8;
        }
        const std::uint16_t dest = t.GetDestination();
        points[n][0] = dest & 0xFF;
        points[n][1] = dest >> 8;
        const int w = std::min<int>(e.waypointIndex, 4);
        if (w == 4) {
            // The destination stands after the troop's own waypoints, however many it has: the
            // preview leg runs from the last waypoint, or from the troop itself when it has none.
            if (n == 0) {
                const std::uint16_t cur = t.GetHexValue();
                points[0][0] = cur & 0xFF;
                points[0][1] = cur >> 8;
                n = 1;
            }
            points[n][0] = static_cast<std::uint8_t>(x);
            points[n][1] = static_cast<std::uint8_t>(y);
            TraceTroopRoute(e.troop, points, n, 2, n - 1);
        } else if (w >= 1 && w < n) {
            points[w][0] = static_cast<std::uint8_t>(x);
            points[w][1] = static_cast<std::uint8_t>(y);
            TraceTroopRoute(e.troop, points, w + 1, 2, w - 1);
        }
    }
    lastDragHex[0] = static_cast<std::int16_t>(x);
    lastDragHex[1] = static_cast<std::int16_t>(y);
}

int MapViewContext::HandleMapButtonUp(std::uint32_t point, std::uint8_t country) {
    GameContext& g = Context();
    if (gSelection.state == kSelectionNone) {
        if (!HasRubberBand()) return 0;
        const std::uint32_t anchor = GetRubberBandAnchor();
        std::int16_t a[2] = {Lo16(anchor), Hi16(anchor)};
        std::int16_t b[2] = {Lo16(point), Hi16(point)};
        PixelToMapHex(a);
        PixelToMapHex(b);
        const int x0 = std::min(a[0], b[0]), x1 = std::max(a[0], b[0]);
        const int y0 = std::min(a[1], b[1]), y1 = std::max(a[1], b[1]);
        // The selection holds forty troops: a larger rectangle keeps the first forty in troop
        // order.
        std::uint16_t troops[kSelectionCapacity];
        std::uint16_t hexes[kSelectionCapacity];
        int n = 0;
        auto& t = g.Troops();
        for (std::uint16_t i = 0; i < rules::kTroopTableLimit && n < kSelectionCapacity; ++i) {
            if (!t.Select(i) || !t.GetRecord()->IsUsed() || !t.HasMembers() || !t.IsOnMap()) continue;
            if (t.GetCountry() != country || (t.GetStateFlags() & rules::kTroopLaunchedPart)) continue;
            const std::uint16_t hex = t.GetHexValue();
            const int hx = hex & 0xFF, hy = hex >> 8;
            if (hx < x0 || hx > x1 || hy < y0 || hy > y1) continue;
            troops[n] = i;
            hexes[n] = hex;
            ++n;
        }
        ResetRubberBand();
        if (n > 0) {
            SelectTroops(troops, hexes, n);
            DrawVisibleHexes(0);
        }
        ResetRubberBand();
        return n;
    }
    int x = 0, y = 0;
    const std::uint16_t h = MapHexUnder(point, x, y);
    if (h == rules::kNoHex || !g.SelectHexInfoXY(x, y)) return 0;
    const int result = IssueOrdersForSelection(g.GetHexTroopIndex(), h);
    DrawVisibleHexes(0);
    ResetRubberBand();
    return result;
}

int MapViewContext::SelectTroops(const std::uint16_t* troops, const std::uint16_t* hexes, int count) {
    GameContext& g = Context();
    count = std::clamp(count, 0, kSelectionCapacity);
    gSelection.count = static_cast<std::uint16_t>(count);
    gSelection.commandMask = kAllCommands;
    for (int i = 0; i < count; ++i) {
        auto& e = gSelection.entries[i];
        e.troop = troops[i];
        e.hex = hexes[i];
        e.reserved[0] = e.reserved[1] = kSpareSelectionWord;
        e.waypointIndex = kNoWaypoint;
        if (e.troop != rules::kNoTroop && g.Troops().Select(e.troop)) {
            if (!(g.Troops().GetOrder() & (0x800 | 8))) BuildTroopRoute(e.troop, 0);
            gSelection.commandMask &= GetTroopCommandMask(e.troop);
        }
    }
    CurrentMapHost().UpdateCommandButtons(gSelection.commandMask, 1);
    if (count > 0 && g.Troops().Select(gSelection.entries[0].troop)) {
        g.Troops().SetFlag8();
        SetBusy(1);
        const std::uint16_t hex = gSelection.entries[0].hex;
        rules::ContextRouteSearch search(g, rules::RouteInstance::Map);
        search->ComputeAreaFromHex(g, gSelection.entries[0].troop, hex & 0xFF, hex >> 8, nullptr);
    }
    gSelection.state = kSelectionMade;
    ResetRubberBand();
    lastDragHex[0] = lastDragHex[1] = -1;
    return 1;
}

void MapViewContext::ClearSelection() {
    GameContext& g = Context();
    if (gSelection.entries[0].troop != rules::kNoTroop && g.Troops().Select(gSelection.entries[0].troop)) {
        g.Troops().ClearFlag8();
    }
    for (auto& e : gSelection.entries) e = TroopSelectionEntry{};
    gSelection.state = kSelectionNone;
    gSelection.clickMode = kClickModeNone;
    gSelection.commandMask = 0;
    gSelection.count = 0;
    lastDragHex[0] = lastDragHex[1] = -1;
    ResetRubberBand();
    SetBusy(0);
}

void MapViewContext::ClearMarksAndRedraw() {
    Context().ClearAllHexMarksAndWords();
    RebuildRoutes();
    DrawVisibleHexes(0);
}

int MapViewContext::CancelSelection(std::uint16_t troop) {
    if (gSelection.state == kSelectionNone || gSelection.count == 0) return 0;
    if (troop == rules::kNoTroop || troop == gSelection.entries[0].troop) {
        ClearSelection();
        ClearMarksAndRedraw();
        gSelection.commandMask = 0;
        CurrentMapHost().UpdateCommandButtons(0, 1);
    }
    return 1;
}

bool MapViewContext::IsHexInMarkedRange(std::uint16_t hex) {
    GameContext& g = Context();
    return g.SelectHexInfoXY(hex & 0xFF, hex >> 8) && (g.GetHexMarks() & 1) != 0;
}

int MapViewContext::IssueOrdersForSelection(std::uint16_t T, std::uint16_t H) {
    GameContext& g = Context();
    auto& troops = g.Troops();
    gSelection.state = kSelectionMade;
    if (gSelection.count == 0) return 0;
    if (gSelection.clickMode == kClickModeWaypoint) {
        for (int i = 0; i < gSelection.count; ++i) {
            const auto& e = gSelection.entries[i];
            if (e.troop == rules::kNoTroop || e.waypointIndex == kNoWaypoint || !troops.Select(e.troop)) continue;
            if (rules::CanAddWaypoint(g, e.troop, H, e.waypointIndex)) {
                sim::BuildOrder15(Orders(), e.troop, H, static_cast<std::uint8_t>(e.waypointIndex));
            }
        }
    } else {
        const std::uint16_t S = gSelection.entries[0].troop;
        const bool single = gSelection.count == 1;
        std::uint16_t orderCode = 1;
        std::uint16_t flags = 0;
        std::uint16_t parameter = 0;
        std::uint16_t secondHex = rules::kNoHex;
        std::uint8_t secondKind = 0;
        std::uint8_t secondTroop = 0xFF;
        std::uint16_t t = T;
        const int code = CurrentMapHost().GetSelectedCommandCode();
        orderCode = static_cast<std::uint16_t>(code == kCodeNone ? kCodeMove : code);
        if (code != kCodeNone && code < 16) flags = static_cast<std::uint16_t>(1u << code);
        gSelection.clickMode = static_cast<std::int16_t>(orderCode);
        if (!troops.Select(S)) return 0;
        const std::uint8_t sCountry = troops.GetCountry();
        const std::uint16_t sHex = troops.GetHexValue();
        auto follow = [&]() -> std::uint16_t {
            if (T == S) return T;
            if (T == rules::kNoTroop) return rules::kNoTroop;
            return ConfirmFollow(g.Tables(), T) ? T : rules::kNoTroop;
        };
        rules::HexDescription hd;
        g.GetHexDescription(H, hd);
        if (code == kCodeNone || code == kCodeMove) {
            flags = 0;
            orderCode = 1;
            if (!IsHexInMarkedRange(H)) return 0;
            t = follow();
        } else if (code == kCodeWait) {
            orderCode = 0;
            flags = 0;
            t = T;
        } else if (code == kCodeAttack) {
            if (T == rules::kNoTroop || rules::RateEnemyInRange(g, S, T) == rules::kAttackImpossible) return 0;
            t = T;
        } else if (code == kCodeBomb) {
            if (hd.siteKind == 255 || sHex == H || hd.siteOwner == 4 ||
                rules::AreCountriesAllied(g.Tables(), sCountry, hd.siteOwner))
                return 0;
            t = rules::kNoTroop;
        } else if (code == kCodeOccupy) {
            const std::uint8_t owner = hd.siteKind == 255 ? 6 : hd.siteOwner;
            if (rules::AreCountriesAllied(g.Tables(), sCountry, owner)) return 0;
            t = rules::kNoTroop;
        } else if (code == kCodeDisband) {
            orderCode = 1;
            t = T;
        } else if (code == kCodeLaunch && single) {
            if (sHex == H) return 0;
            const std::uint16_t L = CurrentMapHost().GetLaunchTroop();
            if (L == S) {
                t = T;
            } else {
                if (T != S && T != rules::kNoTroop && !ConfirmFollow(g.Tables(), T)) T = rules::kNoTroop;
                if (L != rules::kNoTroop) gSelection.entries[0].troop = L;
                orderCode = 7;
                flags = 2;
                t = T;
            }
        } else if (code == kCodeSeparate && single) {
            orderCode = 11;
            parameter = CurrentMapHost().GetSeparationChoice();
            if (parameter == 0) return 0;
            if (parameter & 0x100) {
                if (T == rules::kNoTroop || sHex == H || !troops.Select(T) || !troops.HasMembers() ||
                    !troops.IsOnMap() || troops.GetTroopAltitudeClass() != 5 ||
                    rules::AreCountriesAllied(g.Tables(), sCountry, troops.GetCountry()) ||
                    !(sCountry < 4 && (troops.GetMask28() & ((1u << sCountry) | (1u << (4 + sCountry))))))
                    return 0;
                t = T;
            } else if (parameter & 0x200) {
                t = rules::kNoTroop;
            } else if (parameter & 0xC00) {
                if (sHex == H || hd.siteKind == 255 || rules::AreCountriesAllied(g.Tables(), sCountry, hd.siteOwner))
                    return 0;
                t = rules::kNoTroop;
            } else if (parameter & 0x4000) {
                if (sHex == H || T != rules::kNoTroop) return 0;
                orderCode = 13;
                flags = 0;
                troops.Select(S);
                const std::uint16_t carrier = troops.GetCarrier();
                if (carrier == rules::kNoTroop || !troops.Select(carrier)) {
                    secondHex = sHex;
                } else {
                    secondHex = troops.GetHexValue();
                    secondKind = 6;
                    secondTroop = static_cast<std::uint8_t>(carrier);
                }
                t = rules::kNoTroop;
            } else {
                t = T;
            }
        } else if (code == kCodeFire && single) {
            orderCode = 3;
            if (sHex == H || T == S) return 0;
            // The launch kinds that reach H (and, against a seen enemy on it, hit that troop);
            // the chooser offers only those.
            const std::uint16_t options =
                rules::GetAvailableLaunchKinds(g, S, T, H, 3, &rules::EvaluateLaunchAttack);
            if (options == 0) return 0;
            parameter = CurrentMapHost().SelectSeparableWeapon(
                shell::GetWindowOfKind(shell::WindowKind::MapWnd), S, 1, options);
            if (parameter == 0) return 0;
            t = (parameter & (0x08 | 0x10)) ? rules::kNoTroop : T;
        } else if (code == kCodeBoard && single) {
            if (sHex == H) return 0;
            bool ok = false;
            if (T != rules::kNoTroop && troops.Select(T) && troops.GetCountry() == sCountry) {
                troops.Select(S);
                ok = troops.TryLoadOnto(T, S, 0) != 0;
            }
            if (ok) {
                t = T;
            } else {
                if (T != rules::kNoTroop) {
                    CurrentMapHost().Ask(shell::GetWindowOfKind(shell::WindowKind::MapWnd),
                                         "この部隊は搭乗できません", false);
                }
                return 0;
            }
        } else if (code == kCodeTransform && single) {
            t = rules::kNoTroop;
        } else if (code == kCodeSupply && single) {
            std::uint16_t site = rules::kNoSiteIndex;
            const bool siteOk = rules::FindSupplySiteAt(g, S, H, &site) != 0;
            auto troopOk = [&] { return T != rules::kNoTroop && rules::CanSupplyFromTroop(g, S, H, T) != 0; };
            if (T == rules::kNoTroop) {
                if (!siteOk) return 0;
                t = rules::kNoTroop;
            } else if (T == S) {
                if (siteOk) t = rules::kNoTroop;
                else if (troopOk()) t = T;
                else return 0;
            } else if (troopOk()) {
                t = T;
            } else if (siteOk) {
                t = rules::kNoTroop;
            } else {
                return 0;
            }
            if (sHex == H) {
                orderCode = 5;
                flags = 0;
            } else {
                orderCode = 1;
                flags = 0x20;
            }
        } else {
            t = T;
        }
        if (!IsHexInMarkedRange(H)) return 0;
        for (int i = 0; i < gSelection.count; ++i) {
            const std::uint16_t troop = gSelection.entries[i].troop;
            if (troop == rules::kNoTroop) continue;
            sim::BuildOrder26(Orders(), troop);
            sim::BuildOrder27(Orders(), troop, H, t, orderCode, flags, parameter, 0, secondHex,
                              secondKind, secondTroop);
        }
    }
    gSelection.state = kSelectionNone;
    ClearSelection();
    ClearMarksAndRedraw();
    CurrentMapHost().UpdateCommandButtons(0, 1);
    return 1;
}

std::uint16_t MapViewContext::GetTroopCommandMask(std::uint16_t troop) {
    GameContext& g = Context();
    auto& t = g.Troops();
    if (!t.Select(troop)) return 0;
    std::uint16_t mask = 0x1001;
    const std::uint16_t hex = t.GetHexValue();
    const bool onMap = (hex & 0xFF) < rules::kMapSize && (hex >> 8) < rules::kMapSize;
    if (onMap) {
        if (!g.SelectHexInfoXY(hex & 0xFF, hex >> 8)) return 0;
        const std::uint8_t cls = g.GetHexTerrainClass(t.GetTroopAltitudeClass() == 3 ? 1 : 0);
        if (cls < rules::kMoveCostClasses) {
            const std::uint8_t m = t.GetRecord()->MoveCost(cls);
            if (m != 0 && m != 255 && rules::GetMinMemberFuel(t) > m) mask |= 0x0002;
        }
    }
    t.Select(troop);
    if (rules::CanAttackClass(t, 0, 1)) mask |= 0x0004;
    t.Select(troop);
    const std::uint16_t flags = t.GetStateFlags();
    const std::uint16_t weapons = rules::GetWeaponClassMask(t);
    t.Select(troop);
    if (!(flags & 0x400) && (weapons & 0xFF) && !(t.GetOrder() & 0x100) &&
        rules::EvaluateMemberWeapons(g, troop, 0xFF, 0, 0))
        mask |= 0x0008;
    t.Select(troop);
    if (rules::GetCapabilityFlags(t) & 0x40) mask |= 0x0010;
    t.Select(troop);
    if (!rules::IsFullySupplied(g, troop)) {
        t.Select(troop);
        if (rules::GetSupplyCapabilityBits(t) & 6) mask |= 0x0020;
    }
    t.Select(troop);
    if ((mask & 0x0002) && rules::AllMembersPass(t)) mask |= 0x0040;
    for (std::uint16_t n = 0; n < 8; ++n) {
        t.Select(troop);
        if (t.FindCarriedTroop(troop, n) != rules::kNoTroop) {
            mask |= 0x0080;
            break;
        }
    }
    t.Select(troop);
    if (rules::CanAttackClass(t, 1, 1)) mask |= 0x0104;
    t.Select(troop);
    if (rules::AnyMemberCanTransform(t)) mask |= 0x0200;
    if (onMap && g.SelectHexInfoXY(hex & 0xFF, hex >> 8)) {
        const std::uint16_t site = g.GetHexSiteIndex();
        t.Select(troop);
        if (site != rules::kNoSiteIndex && !(flags & rules::kTroopCarrying) &&
            rules::CanRearmMembersAtSite(t, g.Sites(), site))
            mask |= 0x0400;
    }
    if (!(flags & 0x300)) {
        if ((weapons & 0x7F00) && rules::EvaluateMemberWeapons(g, troop, 0x7F00, 0, 0) &&
            HasSeparationTarget(troop, weapons & 0x7F00))
            mask |= 0x0800;
        if ((weapons & 0x4000) && rules::EvaluateMemberWeapons(g, troop, 0x4000, 0, 0)) mask |= 0x2800;
    }
    return mask;
}

bool MapViewContext::HasSeparationTarget(std::uint16_t troop, std::uint16_t classes) {
    GameContext& g = Context();
    auto& t = g.Troops();
    if (!t.Select(troop)) return false;
    std::uint8_t table[rules::kMoveCostClasses] = {};
    if (classes == 0x4000) {
        std::fill(std::begin(table), std::end(table), 1);
        for (int k : {3, 4, 5, 9, 10, 12}) table[k] = 0;
    } else {
        // Where the separated unit of such a weapon can stand: its move costs by terrain class.
        rules::BuildClassMoveCostTable(t, table, 0, classes);
        t.Select(troop);
    }
    const std::uint16_t hex = t.GetHexValue();
    const int x = hex & 0xFF, y = hex >> 8;
    if (x >= rules::kMapSize || y >= rules::kMapSize) return false;
    const int mode = t.GetTroopAltitudeClass() == 3 ? 2 : 1;
    rules::ContextRouteSearch search(g, rules::RouteInstance::Map);
    if (!(classes & 0x300)) {
        const std::uint8_t own = search->GetCellTerrain(x, y, mode);
        if (own >= rules::kMoveCostClasses || table[own] == 0 || table[own] == 255) return false;
    }
    rules::HexDescription around[6];
    g.GetNeighbourInfos(static_cast<std::uint16_t>(hex), around);
    for (const auto& n : around) {
        if (!n.IsOnMap() || n.troopIndex != rules::kNoTroop) continue;
        const std::uint8_t cls = search->GetCellTerrain(n.x, n.y, mode);
        if (cls < rules::kMoveCostClasses && table[cls] != 0) return true;
    }
    return false;
}

int MapViewContext::PlaceForceTroop(std::uint32_t point, std::uint8_t country, std::uint16_t troop) {
    if (troop == rules::kNoTroop) return 0;
    GameContext& g = Context();
    int x = 0, y = 0;
    if (MapHexUnder(point, x, y) == rules::kNoHex || !g.SelectHexInfoXY(x, y)) return 0;
    if (g.Hexes().GetCountry() != country) return 0;
    rules::ForceWorkspace workspace;
    rules::ForceCursor force(g.Tables(), 5, &workspace);
    force.LoadSlotToWork(country);
    rules::EndForceScratchMode(workspace);
    rules::PlaceUnitOnMap(g, &workspace, country, troop, Pack32(x, y));
    force.StoreWorkToSlot(country);
    rules::BeginForceScratchMode(workspace);
    return 1;
}

int MapViewContext::RecoverForceTroop(std::uint32_t point, std::uint8_t country) {
    GameContext& g = Context();
    int x = 0, y = 0;
    const std::uint16_t h = MapHexUnder(point, x, y);
    if (h == rules::kNoHex || !g.SelectHexInfoXY(x, y)) return 0;
    const std::uint16_t t = g.GetHexTroopIndex();
    if (t == rules::kNoTroopIndex || !g.Troops().Select(t) || g.Troops().GetCountry() != country) return 0;
    rules::ForceWorkspace workspace;
    rules::ForceCursor force(g.Tables(), 5, &workspace);
    force.LoadSlotToWork(country);
    rules::EndForceScratchMode(workspace);
    const int result = rules::RecoverTroopAtHex(g, &workspace, h);
    force.StoreWorkToSlot(country);
    rules::BeginForceScratchMode(workspace);
    return result;
}

int ConfirmFollow(rules::TableDirectory& tables, std::uint16_t troop) {
    GameContext g(tables, MapContextEnv());
    auto& t = g.Troops();
    if (!t.Select(troop) || !t.GetRecord()->IsUsed() || !t.HasMembers() || !t.IsOnMap()) return 0;
    const std::uint8_t p = g.GetPlayerCountry();
    if (p >= rules::kCountryCount) return 0;
    const std::uint16_t seen = t.GetMask28();
    if (!rules::AreCountriesAllied(tables, t.GetCountry(), p) && !(seen & (1u << p)) &&
        !(seen & (1u << (4 + p))))
        return 0;
    return CurrentMapHost().Ask(ui::GetActiveWindow(), "この部隊に追従しますか", true) ? 1 : 0;
}

}  // namespace zv::mapview
