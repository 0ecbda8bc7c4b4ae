#include "simulation/ClockStepWorld.h"

#include <cstring>

#include "platform/core/Paths.h"
#include "rules/context/GameContext.h"
#include "rules/context/ShadowTables.h"
#include "rules/countries/CountryStatistics.h"
#include "rules/files/GameFileIo.h"
#include "rules/files/MapFiles.h"
#include "rules/records/CountryTable25Record.h"
#include "rules/records/MapRecords.h"
#include "rules/records/TroopRecord.h"
#include "rules/search/SupplyNetwork.h"
#include "rules/search/Visibility.h"
#include "rules/troops/TroopRemoval.h"
#include "simulation/Judgement.h"

namespace zv::sim {

namespace {

std::string CountryDigits(std::uint16_t mask) {
    std::string digits;
    for (int c = 0; c < rules::kCountryCount; ++c) {
        if (mask & (1u << c)) digits += static_cast<char>('0' + c);
    }
    return digits;
}

bool EndsWithIgnoringCase(const std::string& name, std::string_view suffix) {
    return name.size() >= suffix.size() &&
           core::EqualsIgnoringCase(std::string_view(name).substr(name.size() - suffix.size()),
                                    suffix);
}

}  // namespace

std::string GameOutcome::Text() const {
    if (!over) return "running";
    std::string text = "W" + CountryDigits(winners) + "-L" + CountryDigits(losers);
    if (timeLimit) text += "-T";
    return text;
}

void HeadlessGame::Events::DelayedGameOver(std::uint16_t winners, std::uint16_t losers,
                                           std::uint16_t timeLimit) {
    outcome.over = true;
    outcome.winners = winners;
    outcome.losers = losers;
    outcome.timeLimit = timeLimit != 0;
}

HeadlessGame::HeadlessGame()
    : tables_(std::make_unique<rules::TableDirectory>()), events_(std::make_unique<Events>()) {
    SimulationEnv env;
    env.events = events_.get();
    env.recomputeAllSupplyNetworks = &rules::RecomputeAllSupplyNetworks;
    env.log = [](std::string_view) {};
    sim_ = std::make_unique<Simulation>(*tables_, std::move(env));
    host_ = std::make_unique<FixedCalendarHost>(1);
    clock_ = std::make_unique<ClockStep>(*sim_, host_.get());
}

HeadlessGame::~HeadlessGame() = default;

bool HeadlessGame::Load(const std::string& programDir, const std::string& name,
                        std::string& error) {
    if (!tables_->LoadAllTables(programDir)) {
        error = tables_->LastError();
        return false;
    }
    loadedSave_ = EndsWithIgnoringCase(name, ".ddg");
    const rules::FileStatus status =
        loadedSave_ ? rules::LoadSaveGame(*tables_, *events_, programDir, name)
                    : rules::LoadMapFromMapFolder(*tables_, *events_, programDir, name);
    if (!status.ok) {
        // The loaders speak of the game's own path ("DIR\MAP\name"); a user needs the file that
        // was really looked for.
        const std::string gamePath =
            rules::GamePath(programDir, loadedSave_ ? "SAVE" : "MAP", name);
        error = status.error;
        if (const std::size_t at = error.find(gamePath); at != std::string::npos) {
            error.replace(at, gamePath.size(), core::ResolvePath(gamePath));
        } else {
            error += " (" + core::ResolvePath(gamePath) + ")";
        }
        return false;
    }
    return true;
}

void HeadlessGame::CopyTablesFrom(const rules::TableDirectory& other) {
    for (int i = 0; i < rules::kTableCount; ++i) {
        const auto id = static_cast<rules::TableId>(i);
        const rules::TableDirectoryEntry& from = other.GetEntry(id);
        if (rules::IsRuleTable(id)) {
            tables_->InstallRuleTable(id, from.recordCount,
                                      {from.base, static_cast<std::size_t>(from.totalBytes)},
                                      from.id);
        } else if (tables_->GetTableTotalBytes(id) == from.totalBytes) {
            std::memcpy(tables_->GetTableBase(id), from.base, from.totalBytes);
        }
    }
}

void HeadlessGame::BeginPlay(const HeadlessStartOptions& options) {
    rules::WriteS32(tables_->GetTableBase(rules::TableId::GameSettings),
                    rules::GameSettingsRecord::kSinglePlay, 1);
    sim_->SetPlayerCountry(options.playerCountry);
    host_ = std::make_unique<FixedCalendarHost>(options.seed);
    clock_ = std::make_unique<ClockStep>(*sim_, host_.get());
    clock_->SetJournalTap(tap_);

    rules::GameContext live(*tables_, sim_->ContextEnv());
    live.RebuildHexOccupancy();
    rules::CountryCursor& countries = live.Countries();
    for (int c = 0; c < rules::kCountryCount; ++c) {
        if (!countries.Select(c)) continue;
        std::uint8_t participation = countries.GetParticipation();
        if (!loadedSave_) {
            // A map names the countries that take part; the computer plays them.
            const bool takesPart = participation == kPlayedByComputer;
            countries.SetParticipation(takesPart ? kPlayedByComputer : kNotTakingPart);
            countries.SetState(takesPart ? kCountryInPlay : kCountryOut);
            if (takesPart) countries.SetFunds(countries.GetValue38());
            countries.SetCounter84(0);
            participation = countries.GetParticipation();
        } else if (options.computerAll && (participation == kPlayedByParticipant ||
                                           participation == kPlayedByParticipantToo)) {
            countries.SetParticipation(kPlayedByComputer);
        }
        if (participation == kNotTakingPart) {
            rules::ReleaseCountrySites(live, static_cast<std::uint8_t>(c));
            rules::RemoveCountryTroops(live, static_cast<std::uint8_t>(c));
        }
    }
    rules::ResetVisibility(live);
    if (!loadedSave_) rules::InitCountryStatistics(*tables_);
    live.RebuildHexOccupancy();
    rules::RecomputeVisibility(live);

    sim_->Random().SeedRandom1(options.seed);
    sim_->Random().SeedRandom2(options.seed);
    rules::SnapshotGameBlocks(*tables_);
    clock_->ReloadTerrain();
    sim_->ResetCommandJournal();
    sim_->SetBusyBit(kBusyNotStarted, 0);
}

void HeadlessGame::BeginAsReplica(std::uint8_t playerCountry) {
    rules::WriteS32(tables_->GetTableBase(rules::TableId::GameSettings),
                    rules::GameSettingsRecord::kSinglePlay, 0);
    sim_->SetPlayerCountry(playerCountry);
    sim_->ResetCommandJournal();
}

std::int16_t HeadlessGame::Step() {
    return clock_->RealTimeTick(0);
}

void HeadlessGame::SetJournalTap(std::function<void(std::span<const std::uint8_t>)> tap) {
    tap_ = std::move(tap);
    clock_->SetJournalTap(tap_);
}

void HeadlessGame::ExecuteJournal(std::span<const std::uint8_t> journal) {
    sim_->ExecuteReceivedCommands(journal.data(), static_cast<std::uint32_t>(journal.size()));
}

std::int32_t HeadlessGame::GameMinutes() {
    rules::ScenarioHeaderCursor header(*tables_);
    return header.GetDay() * 1440 + header.GetHour() * 60 + header.GetMinute();
}

std::optional<std::string> FindLiveTableDifference(const rules::TableDirectory& a,
                                                   const rules::TableDirectory& b) {
    struct Named {
        rules::TableId id;
        const char* name;
    };
    static constexpr Named kTables[] = {
        {rules::TableId::Site, "sites"},
        {rules::TableId::Troop, "troops"},
        {rules::TableId::Hex, "hexes"},
        {rules::TableId::HexInfo, "hex information"},
        {rules::TableId::Country, "countries"},
        {rules::TableId::ScenarioHeader, "scenario header"},
        {rules::TableId::Force, "corps"},
        {rules::TableId::CountryStats, "country statistics"},
    };
    for (const Named& t : kTables) {
        const std::uint32_t size = a.GetTableTotalBytes(t.id);
        if (size != b.GetTableTotalBytes(t.id)) return std::string(t.name);
        const std::uint8_t* pa = a.GetTableBase(t.id);
        const std::uint8_t* pb = b.GetTableBase(t.id);
        const std::uint32_t record = a.GetTableRecordSize(t.id);
        for (std::uint32_t i = 0; i < size; ++i) {
            if (pa[i] == pb[i]) continue;
            const std::uint32_t at = record ? i % record : i;
            // What the local player has seen differs between participants by design.
            if (t.id == rules::TableId::HexInfo &&
                (at == rules::HexInfoRecord::kFlags || at == rules::HexInfoRecord::kFlags + 1)) {
                continue;
            }
            if (t.id == rules::TableId::Troop && (at == rules::TroopRecord::kVisibility ||
                                                  at == rules::TroopRecord::kVisibility + 1)) {
                continue;
            }
            if (t.id == rules::TableId::CountryStats &&
                at == rules::CountryTable25Record::kOutcome) {
                continue;
            }
            return std::string(t.name) + " (byte " + std::to_string(i) + ", record " +
                   std::to_string(record ? i / record : 0) + ", offset " + std::to_string(at) + ")";
        }
    }
    return std::nullopt;
}

}  // namespace zv::sim
