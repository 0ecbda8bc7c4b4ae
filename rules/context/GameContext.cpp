#include "rules/context/GameContext.h"

#include "rules/records/ForceCursor.h"
#include "rules/records/TroopCursor.h"

namespace zv::rules {

namespace {

constexpr std::uint8_t kRoadClass = 13;
constexpr std::uint8_t kRiverClass = 14;
constexpr std::uint8_t kSeaLandKind = 5;

}  // namespace

GameContext::GameContext(TableDirectory& tables, const GameContextEnv& env)
    : GameContext(tables, env, kLiveGameTables, false) {}

GameContext::GameContext(TableDirectory& tables, const GameContextEnv& env,
                         const GameTableSet& tableSet, bool shadow)
    : tables_(&tables),
      events_(env.events ? env.events : &NoGameEvents()),
      playerCountry_(env.playerCountry),
      tableSet_(tableSet),
      shadow_(shadow),
      recomputeAllSupplyNetworks_(env.recomputeAllSupplyNetworks),
      routeSearches_(env.routeSearches),
      hex_(tables, tableSet.hex),
      troop_(std::make_unique<TroopCursor>(tables, tableSet.troop)),
      units_(troop_.get()),
      site_(tables, tableSet.site),
      country_(tables, tableSet.country),
      header_(tables, tableSet.scenarioHeader),
      hexInfo_(HexInfoAt(tables.GetTableBase(tableSet.hexInfo), 0)),
      workGrid_(env.workGrid) {}

GameContext::~GameContext() = default;

HexWorkGrid& GameContext::WorkGrid() {
    if (!workGrid_) {
        // Left uninitialised: the flood writes every cell it reads.
        ownWorkGrid_ = std::make_unique_for_overwrite<HexWorkGrid>();
        workGrid_ = ownWorkGrid_.get();
    }
    return *workGrid_;
}

int GameContext::SelectHexInfo(std::uint16_t n) {
    if (n >= tables_->GetTableRecordCount(tableSet_.hexInfo)) return 0;
    if (n == hexInfoIndex_) return 1;
    hexInfoIndex_ = n;
    hexInfo_ = HexInfoAt(tables_->GetTableBase(tableSet_.hexInfo), n);
    return hex_.Select(n);
}

int GameContext::SelectHexInfoXY(std::int32_t pos) {
    // Both halves are signed: a negative coordinate is outside the map like one of 64 or more.
    const auto x = static_cast<std::int16_t>(pos & 0xFFFF);
    const auto y = static_cast<std::int16_t>((static_cast<std::uint32_t>(pos) >> 16) & 0xFFFF);
    if (x < 0 || y < 0 || x >= kMapSize || y >= kMapSize) return 0;
    hexX_ = x;
    hexY_ = y;
    return SelectHexInfo(static_cast<std::uint16_t>(x + kMapSize * y));
}

void GameContext::OrWord(std::size_t offset, std::uint16_t bits) {
    hexInfo_->SetU16(offset, static_cast<std::uint16_t>(hexInfo_->U16(offset) | bits));
}

void GameContext::AndNotWord(std::size_t offset, std::uint16_t bits) {
    hexInfo_->SetU16(offset, static_cast<std::uint16_t>(hexInfo_->U16(offset) & ~bits));
}

std::uint8_t GameContext::GetHexCountryByte1(int c) {
    if (c < 0 || c >= HexInfoRecord::kCountryByte1Count) return 0;
    return hexInfo_->U8(HexInfoRecord::kCountryByte1 + c);
}

void GameContext::SetHexCountryByte1(int c, std::uint8_t v) {
    if (c < 0 || c >= HexInfoRecord::kCountryByte1Count) return;
    hexInfo_->SetU8(HexInfoRecord::kCountryByte1 + c, v);
}

std::uint8_t GameContext::GetHexCountryByte2(int c) {
    if (c < 0 || c >= HexInfoRecord::kCountryByte2Count) return 0;
    return hexInfo_->U8(HexInfoRecord::kCountryByte2 + c);
}

void GameContext::SetHexCountryByte2(int c, std::uint8_t v) {
    if (c < 0 || c >= HexInfoRecord::kCountryByte2Count) return;
    hexInfo_->SetU8(HexInfoRecord::kCountryByte2 + c, v);
}

std::uint16_t GameContext::GetHexCountryWord(int c) {
    if (c < 0 || c >= HexInfoRecord::kCountryWordCount) return 0;
    return hexInfo_->U16(HexInfoRecord::kCountryWord + 2 * c);
}

void GameContext::OrHexCountryWord(int c, std::uint16_t bits) {
    if (c < 0 || c >= HexInfoRecord::kCountryWordCount) return;
    OrWord(HexInfoRecord::kCountryWord + 2 * c, bits);
}

void GameContext::SetHexCountryWord(int c, std::uint16_t v) {
    if (c < 0 || c >= HexInfoRecord::kCountryWordCount) return;
    hexInfo_->SetU16(HexInfoRecord::kCountryWord + 2 * c, v);
}

void GameContext::RemoveSiteAtHex() {
    const std::uint16_t site = GetHexSiteIndex();
    if (site == kNoSiteIndex) return;
    site_.ClearSite(site);
    SetHexSiteIndex(kNoSiteIndex);
}

template <typename Fn>
void GameContext::ForEachHexInfo(Fn fn) {
    for (int y = 0; y < kMapSize; ++y) {
        for (int x = 0; x < kMapSize; ++x) {
            if (SelectHexInfoXY(x, y)) fn();
        }
    }
}

void GameContext::ClearAllHexMarkBit0() {
    ForEachHexInfo([this] { ClearHexMarkBits(0x0001); });
}

void GameContext::ClearAllHexCountryWords() {
    ForEachHexInfo([this] {
        for (int c = 0; c < HexInfoRecord::kCountryWordCount; ++c) SetHexCountryWord(c, 0);
    });
}

void GameContext::ClearAllHexMarksAndWords() {
    ForEachHexInfo([this] {
        for (int c = 0; c < HexInfoRecord::kCountryWordCount; ++c) SetHexCountryWord(c, 0);
        ClearHexMarkBits(0x0003);
    });
}

std::uint8_t GameContext::GetHexTerrainClass(int mode) {
    const std::uint16_t site = GetHexSiteIndex();
    if (site != kNoSiteIndex) {
        // A site index or kind that a file got wrong names no class; the callers index
        // 29-entry tables with the result, so they get kNoTerrainClass and refuse.
        if (!site_.Select(site)) return kNoTerrainClass;
        const std::uint8_t kind = site_.GetKind();
        if (kind >= kSiteKindCount) return kNoTerrainClass;
        return static_cast<std::uint8_t>(kFirstSiteClass + kind);
    }
    std::uint8_t terrainClass = hex_.GetLandKind();
    if (mode != 2) {
        const bool road = hex_.GetRoad() != kNoRoad;
        if (hex_.GetRiver() != kNoRiver && !road) {
            terrainClass = kRiverClass;
        } else if (mode != 0 && road) {
            terrainClass = kRoadClass;
        }
    }
    return terrainClass < kMoveCostClasses ? terrainClass : kNoTerrainClass;
}

int GameContext::IsPlayerCountryInGame() {
    if (playerCountry_ > 3) return 0;
    if (!country_.Select(playerCountry_)) return 0;
    return country_.GetState() == 1 ? 1 : 0;
}

int GameContext::RebuildHexOccupancy() {
    std::uint8_t* base = tables_->GetTableBase(tableSet_.hexInfo);
    const std::uint16_t hexCount = tables_->GetTableRecordCount(tableSet_.hexInfo);
    for (std::uint16_t n = 0; n < hexCount; ++n) {
        HexInfoRecord* info = HexInfoAt(base, n);
        info->SetU16(HexInfoRecord::kSiteIndex, kNoSiteIndex);
        info->SetU16(HexInfoRecord::kTroopIndex, kNoTroopIndex);
        info->SetU16(HexInfoRecord::kFlags, 0);
        info->SetU16(HexInfoRecord::kMarks, 0);
        info->SetU16(HexInfoRecord::kWord8, 0);
        info->SetU16(HexInfoRecord::kWord10, 0);
    }

    for (int s = 0; s < kSiteCount; ++s) {
        if (!site_.Select(s) || site_.GetKind() == kFreeSite) continue;
        std::uint16_t position = 0;
        site_.GetHex(position);
        const int x = position & 0xFF;
        const int y = position >> 8;
        if (x >= kMapSize || y >= kMapSize) continue;
        // A kind that does not exist has no durabilities to cap against.
        if (site_.SiteKindCursor::Select(site_.GetKind())) {
            const int neutral = site_.GetOwner() == kNeutralCountry ? 1 : 0;
            if (site_.GetCaptureDurability() >
                site_.SiteKindCursor::GetCaptureDurability(neutral)) {
                site_.SetDestroyDurability(site_.SiteKindCursor::GetDestroyDurability(neutral));
                site_.SetCaptureDurability(site_.SiteKindCursor::GetCaptureDurability(neutral));
            }
        }
        if (SelectHexInfoXY(x, y)) SetHexSiteIndex(static_cast<std::uint16_t>(s));
    }

    for (std::uint16_t t = 0; t < kTroopTableLimit; ++t) {
        if (!troop_->Select(t) || !troop_->HasMembers() || !troop_->IsOnMap()) continue;
        const std::uint16_t hex = troop_->GetHexValue();
        if (SelectHexInfoXY(hex & 0xFF, hex >> 8)) SetHexTroopIndex(t);
    }

    return recomputeAllSupplyNetworks_ ? recomputeAllSupplyNetworks_(*this) : 1;
}

void GameContext::RebuildTroopOccupancy() {
    std::uint8_t* base = tables_->GetTableBase(tableSet_.hexInfo);
    const std::uint16_t hexCount = tables_->GetTableRecordCount(tableSet_.hexInfo);
    for (std::uint16_t n = 0; n < hexCount; ++n) {
        HexInfoAt(base, n)->SetU16(HexInfoRecord::kTroopIndex, kNoTroopIndex);
    }

    // IsOnMap already requires a hex inside the map.
    auto standsOnMap = [this] { return troop_->HasMembers() && troop_->IsOnMap(); };
    for (std::uint16_t t = 0; t < kTroopTableLimit; ++t) {
        if (!troop_->Select(t) || !standsOnMap()) continue;
        const std::uint16_t hex = troop_->GetHexValue();
        if (SelectHexInfoXY(hex & 0xFF, hex >> 8)) SetHexTroopIndex(t);
    }

    for (std::uint16_t t = 0; t < kMapTroopCount; ++t) {
        if (!troop_->Select(t) || !standsOnMap()) continue;
        const std::uint16_t flags = troop_->GetStateFlags();
        if (!(flags & (kTroopPartInFlight1 | kTroopPartInFlightB))) continue;
        if (troop_->GetOrder() & (kActionFire | kActionSeparate)) continue;
        const std::uint8_t orderKind = troop_->GetByte364();
        if (orderKind == 3 || orderKind == 11) continue;

        bool partFound = false;
        for (std::uint16_t p = kMapTroopCount; p < kTroopTableLimit && !partFound; ++p) {
            if (!troop_->Select(p) || !troop_->HasMembers()) continue;
            const std::uint16_t hex = troop_->GetHexValue();
            if ((hex & 0xFF) >= kMapSize || (hex >> 8) >= kMapSize) continue;
            partFound = troop_->GetRecord()->U8(TroopRecord::kRelatedTroop) == t;
        }
        if (!partFound) {
            troop_->Select(t);
            troop_->SetStateFlags(static_cast<std::uint16_t>(
                troop_->GetStateFlags() & ~(kTroopPartInFlightB | kTroopPartInFlight1)));
        }
    }
}

void GameContext::ResetAllGameTables() {
    header_.Reset();
    hex_.FillAllHexes(kSeaLandKind);
    troop_->ResetAllTroops();
    country_.ResetCountries();
    site_.ClearAllSites();
    RebuildHexOccupancy();

    std::unique_ptr<ForceCursor> forces;
    if (shadow_) {
        forces = std::make_unique<ShadowForceCursor>(*tables_);
    } else {
        forces = std::make_unique<ForceCursor>(*tables_);
    }
    for (std::uint8_t country : {5, 0, 1, 2, 3}) {
        forces->SelectSlot(country);
        forces->ClearForce();
    }
}

}  // namespace zv::rules
