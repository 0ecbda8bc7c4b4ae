#include "rules/troops/Placement.h"

#include <algorithm>
#include <climits>
#include <vector>

#include "rules/countries/CountryStatistics.h"
#include "rules/search/Visibility.h"
#include "rules/troops/TroopMembers.h"
#include "rules/troops/TroopQueries.h"
#include "rules/records/ForceCursor.h"

namespace zv::rules {

namespace {

constexpr std::uint8_t kForceCountry = 5;

bool Scratching(const ForceWorkspace* workspace) {
    return workspace && workspace->ScratchOn();
}

bool HexSet(std::uint16_t hex) {
    return (hex & 0xFF) != 0xFF && (hex >> 8) != 0xFF;
}

// 1 when any map troop of country c has members and a headquarters member.
bool CountryHasHeadquarters(TroopCursor& troops, std::uint8_t c) {
    for (std::uint16_t t = 0; t < kMapTroopCount; ++t) {
        if (!troops.Select(t) || troops.GetCountry() != c || !troops.HasMembers()) continue;
        if (CountHqMembers(troops) > 0) return true;
    }
    return false;
}

void AddFunds(GameContext& ctx, std::uint8_t c, std::int64_t amount) {
    CountryCursor& countries = ctx.Countries();
    if (c >= kCountryCount || !countries.Select(c)) return;
    // The sum must not wrap before SetFunds caps it.
    const std::int64_t funds =
        std::clamp<std::int64_t>(countries.GetFunds() + amount, INT32_MIN, kMaxFunds);
    countries.SetFunds(static_cast<std::int32_t>(funds));
}

// Copies the selected map troop into force troop f as a corps troop.
void StoreInForce(TroopCursor& troops, ForceCursor& force, std::uint16_t f) {
    force.SelectTroop(f);
    CopyRecordIn(force, *troops.GetRecord());
    force.SetCountry(kForceCountry);
    force.SetHex(kNoHex);
    force.ClearOnMap();
}

// Takes the selected map troop t (not carried) into force troop f, refunds it and frees its
// record. The caller has found f free.
void TakeBack(GameContext& ctx, ForceCursor& force, std::uint16_t t, std::uint16_t f) {
    TroopCursor& troops = ctx.Troops();
    troops.Select(t);
    const std::uint8_t country = troops.GetCountry();
    const std::int32_t price = SumMemberValueA(troops);
    StoreInForce(troops, force, f);
    AddFunds(ctx, country, price);
    troops.Select(t);
    troops.ResetCurrentTroop();
}

// Frees the hex entry of troop t when it points at t.
void ClearHexEntry(GameContext& ctx, std::uint16_t t, std::uint16_t hex) {
    if (!HexSet(hex) || !ctx.SelectHexInfoXY(hex & 0xFF, hex >> 8)) return;
    if (ctx.GetHexTroopIndex() == t) ctx.SetHexTroopIndex(kNoTroop);
}

int CountFreeForceTroops(ForceCursor& force) {
    int free = 0;
    for (std::uint16_t t = 0; t < force.GetCapacity(); ++t) {
        if (!force.SelectForceTroop(t)) continue;
        if (force.GetSlotByte() == kUnusedSlotByte && force.GetCountry() == 0xFF) ++free;
    }
    return free;
}

// The troops a carrier takes along: map troops 0-159 whose carrier it is, in index order.
std::vector<std::uint16_t> PassengersOf(TroopCursor& troops, std::uint16_t carrier) {
    std::vector<std::uint16_t> list;
    for (std::uint16_t t = 0; t < kMapTroopCount; ++t) {
        if (troops.Select(t) && troops.GetCarrier() == carrier) list.push_back(t);
    }
    return list;
}

}  // namespace

void FillDefaultTerrainMask(std::uint8_t mask[kMoveCostClasses]) {
    for (int k = 0; k < kMoveCostClasses; ++k) mask[k] = 1;
    for (int k : {3, 4, 5, 9, 10, 14, 27, 28}) mask[k] = 0;
}

int PlaceUnitOnMap(GameContext& ctx, ForceWorkspace* workspace, std::uint8_t c, std::uint16_t n,
                   std::uint32_t hex) {
    if (c >= kCountryCount || Scratching(workspace)) return 0;
    TroopCursor& troops = ctx.Troops();
    ForceCursor force(ctx.Tables(), kForceCountry, workspace);
    CountryCursor& countries = ctx.Countries();

    if (troops.CountTroopsByAltitude(c, 0xFF) >= ctx.Header().GetDeployLimit()) return 0;
    if (!force.SelectTroop(n)) return 0;
    const std::int32_t price = SumMemberValueA(force);
    if (!countries.Select(c) || countries.GetFunds() < price) return 0;
    if (CountHqMembers(force) > 0 && CountryHasHeadquarters(troops, c)) {
        ctx.Events().PlacementMessage("司令部はすでに配置されています。", false);
        return 0;
    }

    const int x = static_cast<std::int16_t>(hex & 0xFFFF);
    const int y = static_cast<std::int16_t>(hex >> 16);
    if (!ctx.SelectHexInfoXY(x, y)) return 0;
    const std::uint16_t occupant = ctx.GetHexTroopIndex();

    const std::uint16_t s = FindFreeTroopSlot(troops, c);
    if (s == kNoTroop) return 0;
    if (!force.SelectTroop(n)) return 0;

    if (occupant == kNoTroop) {
        std::uint8_t mask[kMoveCostClasses];
        if (CountMembersOfClass6(force) > 0) {
            FillDefaultTerrainMask(mask);
        } else {
            force.SelectTroop(n);
            const std::uint8_t* costs = force.GetRecord()->data() + TroopRecord::kMoveCosts;
            for (int k = 0; k < kMoveCostClasses; ++k) mask[k] = costs[k];
        }
        force.SelectTroop(n);
        ctx.SelectHexInfoXY(x, y);
        const std::uint8_t terrain =
            ctx.GetHexTerrainClass(force.GetTroopAltitudeClass() == 3 ? 1 : 0);
        if (terrain >= kMoveCostClasses || mask[terrain] == 0) return 0;

        troops.Select(s);
        CopyRecordIn(troops, *force.GetRecord());
        troops.SetCountry(c);
        troops.SetHex(MakeHexPosition(x, y));
        troops.SetOnMap();
        ctx.SelectHexInfoXY(x, y);
        ctx.SetHexTroopIndex(s);
    } else {
        if (CountMembers(force) == 0) return 0;
        // A troop may only board a carrier of its own country.
        const bool ownCarrier = troops.Select(occupant) && troops.GetCountry() == c;
        troops.Select(s);
        // A refusal gives the record back exactly as it was.
        const TroopRecord freeRecord = *troops.GetRecord();
        force.SelectTroop(n);
        CopyRecordIn(troops, *force.GetRecord());
        const bool fits = ownCarrier && troops.TryLoadOnto(occupant, s, 0);
        if (!fits || !ctx.Events().PlacementMessage("搭載しますか", true)) {
            if (!fits) ctx.Events().PlacementMessage("この部隊は搭載できません", false);
            troops.Select(s);
            *troops.GetRecord() = freeRecord;
            return 0;
        }
        LoadTroop(troops, occupant, s);
        troops.Select(s);
        troops.SetCountry(c);
        troops.SetOnMap();
    }

    force.SelectTroop(n);
    force.ResetCurrentTroop();
    AddFunds(ctx, c, -static_cast<std::int64_t>(price));
    AddCountryStatTotal(ctx.Tables(), c, price);
    ctx.Events().RefreshTroopListWindow();
    RecomputeVisibility(ctx);
    return 1;
}

int RecoverTroop(GameContext& ctx, ForceWorkspace* workspace, std::uint16_t t) {
    if (Scratching(workspace)) return 0;
    TroopCursor& troops = ctx.Troops();
    ForceCursor force(ctx.Tables(), kForceCountry, workspace);
    if (t >= kMapTroopCount || !troops.Select(t) || troops.GetSlotByte() == kUnusedSlotByte) {
        return 0;
    }
    // Room first: a troop taken off its carrier with nowhere to go would be lost.
    const std::uint16_t f = force.FindFreeTroopSlot();
    if (f == kNoTroop) return 0;

    troops.Select(t);
    const std::uint16_t carrier = troops.GetCarrier();
    if (carrier != kNoTroop) {
        UnloadTroop(troops, carrier, t, kNoHex);
        troops.Select(t);
    }
    ClearHexEntry(ctx, t, troops.GetHexValue());
    TakeBack(ctx, force, t, f);
    RecomputeVisibility(ctx);
    return 1;
}

int RecoverTroopAtHex(GameContext& ctx, ForceWorkspace* workspace, std::uint16_t hex) {
    if (Scratching(workspace)) return 0;
    TroopCursor& troops = ctx.Troops();
    if (!ctx.SelectHexInfoXY(hex & 0xFF, hex >> 8)) return 0;
    const std::uint16_t t = ctx.GetHexTroopIndex();
    if (t == kNoTroop || t >= kMapTroopCount || !troops.Select(t)) return 0;
    ForceCursor force(ctx.Tables(), kForceCountry, workspace);

    std::uint16_t r = t;
    std::vector<std::uint16_t> passengers;
    if (troops.TestCarrying()) {
        const std::uint16_t k = ctx.Events().ChooseTroopFromCarrier(t);
        if (k == kNoTroop) return 0;
        if (k == t) {
            passengers = PassengersOf(troops, t);
        } else if (k >= kMapTroopCount || !troops.Select(k) || troops.GetCarrier() != t) {
            return 0;  // not a troop this carrier holds
        } else {
            r = k;
        }
    }
    // Every troop that comes back needs a free troop of the working force.
    if (CountFreeForceTroops(force) < static_cast<int>(passengers.size()) + 1) return 0;

    for (std::uint16_t p : passengers) RecoverTroop(ctx, workspace, p);
    if (r == t) {
        troops.Select(t);
        troops.ClearCarrying();
        ClearHexEntry(ctx, t, troops.GetHexValue());
    } else {
        troops.Select(r);
        UnloadTroop(troops, t, r, kNoHex);
    }
    TakeBack(ctx, force, r, force.FindFreeTroopSlot());
    ctx.Events().RefreshTroopListWindow();
    RecomputeVisibility(ctx);
    return 1;
}

int RecoverAllTroops(GameContext& ctx, ForceWorkspace* workspace, std::uint8_t c) {
    if (c >= kCountryCount) return 0;
    ForceCursor force(ctx.Tables(), kForceCountry, workspace);
    force.LoadSlotToWork(c);
    if (workspace) EndForceScratchMode(*workspace);

    TroopCursor& troops = ctx.Troops();
    for (std::uint16_t t = 0; t < kMapTroopCount; ++t) {
        if (troops.Select(t) && troops.HasMembers() && troops.GetCountry() == c &&
            troops.GetCarrier() != kNoTroop) {
            RecoverTroop(ctx, workspace, t);
        }
    }
    for (std::uint16_t t = 0; t < kMapTroopCount; ++t) {
        if (troops.Select(t) && troops.HasMembers() && troops.IsOnMap() &&
            troops.GetCountry() == c) {
            RecoverTroop(ctx, workspace, t);
        }
    }

    force.StoreWorkToSlot(c);
    force.LoadSlotToWork(c);
    if (workspace) BeginForceScratchMode(*workspace);
    ctx.Events().FrameRedraw();
    RecomputeVisibility(ctx);
    return 1;
}

}  // namespace zv::rules
