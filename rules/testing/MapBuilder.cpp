#include "rules/testing/MapBuilder.h"

#include <string>

#include "platform/core/Sjis.h"
#include "rules/records/ForceCursor.h"
#include "rules/records/MapCursors.h"
#include "rules/records/TroopCursor.h"

namespace zv::rules::testing {

namespace {

// Writes members and formation 0 of the selected troop from unit ids, as a new troop has them.
void FillMembers(TroopCursor& cursor, std::initializer_list<int> units) {
    TroopRecord* r = cursor.GetRecord();
    int m = 0;
    for (int unit : units) {
        if (m >= kTroopMemberCount) break;
        if (!cursor.UnitInfoCursor::Select(unit)) continue;
        TroopMember& member = r->Member(m);
        member.SetUnit(static_cast<std::int16_t>(unit));
        const std::uint8_t strength = cursor.GetMaxStrength();
        member.SetStrength(strength);
        member.SetDurability(static_cast<std::uint8_t>(strength * cursor.GetDurabilityPerUnit()));
        member.SetSpare6(0);
        const std::uint8_t pack = cursor.GetDefaultPack();
        member.SetPack(pack);
        member.SetFuel(cursor.GetPackFuel(pack));
        for (int w = 0; w < 6; ++w) {
            member.SetAmmo(w, cursor.GetPackAmmo(pack, w));
            member.SetFireCounter(w, 0);
        }
        r->Formation(0).SetMemberMap(m, static_cast<std::uint8_t>(m));
        if (m == 0) {
            cursor.SetTroopAltitudeClass(cursor.GetAltitudeClass());
            cursor.SetCarryCapacity(cursor.GetCarryWeightTotal());
        }
        ++m;
    }
}

}  // namespace

MapBuilder::MapBuilder(TableDirectory& tables, std::uint8_t fillLandKind) : tables_(&tables) {
    ScenarioHeaderCursor(tables).Reset();
    CountryCursor(tables).ResetCountries();
    SiteCursor(tables).ClearAllSites();
    HexCursor(tables).FillAllHexes(fillLandKind);
    TroopCursor(tables).ResetAllTroops();
    ForceCursor force(tables);
    for (std::uint8_t country : {5, 0, 1, 2, 3}) {
        force.SelectSlot(country);
        force.ClearForce();
    }
}

MapBuilder& MapBuilder::Title(std::string_view utf8) {
    ScenarioHeaderCursor(*tables_).SetTitle(core::Utf8ToSjis(utf8));
    return *this;
}

MapBuilder& MapBuilder::Description(std::string_view utf8) {
    ScenarioHeaderCursor(*tables_).SetDescription(core::Utf8ToSjis(utf8));
    return *this;
}

MapBuilder& MapBuilder::Clock(std::uint8_t day, std::uint8_t hour, std::uint8_t minute) {
    ScenarioHeaderCursor header(*tables_);
    header.SetDay(day);
    header.SetHour(hour);
    header.SetMinute(minute);
    header.SetDaytime(hour >= 6 && hour <= 17 ? 1 : 0);
    return *this;
}

MapBuilder& MapBuilder::Terrain(int x, int y, std::uint8_t landKind) {
    HexCursor hex(*tables_);
    if (hex.SelectXY(MakeHexPosition(x, y))) hex.SetLandKind(landKind);
    return *this;
}

MapBuilder& MapBuilder::TerrainRect(int x0, int y0, int x1, int y1, std::uint8_t landKind) {
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) Terrain(x, y, landKind);
    }
    return *this;
}

MapBuilder& MapBuilder::Road(int x, int y, std::uint8_t directionMask) {
    HexCursor hex(*tables_);
    if (hex.SelectXY(MakeHexPosition(x, y))) hex.SetRoad(directionMask);
    return *this;
}

MapBuilder& MapBuilder::River(int x, int y, std::uint8_t directionMask) {
    HexCursor hex(*tables_);
    if (hex.SelectXY(MakeHexPosition(x, y))) hex.SetRiver(directionMask);
    return *this;
}

MapBuilder& MapBuilder::DeploymentArea(int x0, int y0, int x1, int y1, std::uint8_t country) {
    HexCursor hex(*tables_);
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            if (hex.SelectXY(MakeHexPosition(x, y))) hex.SetCountry(country);
        }
    }
    return *this;
}

MapBuilder& MapBuilder::Country(std::uint8_t country, std::int32_t funds) {
    CountryCursor cursor(*tables_);
    if (cursor.Select(country)) {
        cursor.SetParticipation(1);
        cursor.SetFunds(funds);
        cursor.SetValue38(funds);
    }
    return *this;
}

MapBuilder& MapBuilder::Alliance(std::uint8_t country, std::uint8_t mask) {
    CountryCursor cursor(*tables_);
    if (cursor.Select(country)) cursor.SetAllianceMask(mask);
    return *this;
}

std::uint16_t MapBuilder::AddSite(int kind, int owner, int x, int y) {
    return SiteCursor(*tables_).AddSite(kind, owner, MakeHexPosition(x, y));
}

std::uint16_t MapBuilder::AddTroop(std::uint8_t country, int x, int y,
                                   std::initializer_list<int> units, std::string_view utf8Name) {
    TroopCursor cursor(*tables_);
    const std::uint16_t first = TroopCursor::GetFirstTroopOfCountry(country);
    for (std::uint16_t t = first; t < first + kTroopsPerCountry; ++t) {
        if (!cursor.Select(t) || cursor.GetRecord()->IsUsed()) continue;
        cursor.ResetCurrentTroop();
        cursor.SetName(core::Utf8ToSjis(utf8Name).c_str());
        cursor.SetSlotByte(0);
        cursor.SetCountry(country);
        cursor.SetHex(MakeHexPosition(x, y));
        cursor.SetStateFlags(kTroopOnMap);
        FillMembers(cursor, units);
        return t;
    }
    return kNoTroop;
}

std::uint16_t MapBuilder::AddForceTroop(std::uint8_t corpsOf, std::initializer_list<int> units,
                                        std::string_view utf8Name) {
    ForceCursor force(*tables_, corpsOf);
    const std::uint16_t t = force.FindFreeTroopSlot();
    if (t == kNoTroop) return t;
    force.SelectForceTroop(t);
    force.ResetCurrentTroop();
    force.TroopCursor::SetName(core::Utf8ToSjis(utf8Name).c_str());
    force.SetSlotByte(0);
    force.SetCountry(5);
    force.SetHex(kNoHex);
    FillMembers(force, units);
    return t;
}

MapBuilder& MapBuilder::ForceName(std::uint8_t corpsOf, std::string_view utf8) {
    ForceCursor force(*tables_, corpsOf);
    force.SetName(core::Utf8ToSjis(utf8).c_str());
    return *this;
}

}  // namespace zv::rules::testing
