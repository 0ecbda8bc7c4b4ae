#include "simulation/ClockStep.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <ctime>
#include <vector>

#include "rules/combat/TargetChoice.h"
#include "rules/context/ShadowGameContext.h"
#include "rules/countries/Income.h"
#include "rules/records/MapRecords.h"
#include "rules/records/TroopCursor.h"
#include "rules/records/TroopRecord.h"
#include "rules/search/Visibility.h"
#include "rules/troops/TroopOrders.h"
#include "rules/troops/TroopQueries.h"
#include "simulation/AutoBehaviour.h"
#include "simulation/AutoResupply.h"
#include "simulation/Judgement.h"
#include "simulation/OrderExecution.h"
#include "simulation/Production.h"
#include "simulation/SiteUpkeep.h"

namespace zv::sim {

namespace {

constexpr int kMaxGameSpeed = 5;

// Measures the phases of one step into a profile, when there is one.
class PhaseTimer {
  public:
    explicit PhaseTimer(StepProfile* profile) : profile_(profile) {
        if (profile_) last_ = Clock::now();
    }
    void End(StepPhase phase) {
        if (!profile_) return;
        const Clock::time_point now = Clock::now();
        profile_->nanoseconds[static_cast<int>(phase)] += static_cast<std::uint64_t>(
            std::chrono::duration_cast<std::chrono::nanoseconds>(now - last_).count());
        last_ = now;
    }

  private:
    using Clock = std::chrono::steady_clock;
    StepProfile* profile_;
    Clock::time_point last_{};
};

bool IsIdleForDecision(rules::TroopCursor& troops) {
    return troops.GetByte329() == 0 && troops.GetByte327() == 0 && troops.GetOrder() == 0 &&
           troops.GetDestination() == rules::kNoHex;
}

// The automatic engagement of the troop's formation, or a computer-led country in play.
bool DecidesForItself(rules::GameContext& shadow, rules::TroopCursor& troops) {
    if (rules::GetCurrentFormationByte236(troops) != 0) return true;
    rules::CountryCursor& countries = shadow.Countries();
    if (!countries.Select(troops.GetCountry())) return false;
    const std::uint8_t participation = countries.GetParticipation();
    return countries.GetState() == 1 && (participation == 1 || participation == 3);
}

// The order the troop loop takes the troops in. Troops 0-159 are the countries' blocks of 40:
// the countries take turns troop by troop, and their order turns round every other minute, so
// that no country's troops always move, fire and take sites before the others' do (taken in
// index order, country 0 would win most games on a map that favours nobody). The troops past
// the blocks follow in index order.
using TroopOrder = std::array<std::uint16_t, rules::kTroopTableLimit>;
void BuildTroopOrder(bool reversed, TroopOrder& order) {
    std::size_t n = 0;
    for (std::uint16_t k = 0; k < rules::kTroopsPerCountry; ++k) {
        for (int j = 0; j < rules::kCountryCount; ++j) {
            const int c = reversed ? rules::kCountryCount - 1 - j : j;
            order[n++] = static_cast<std::uint16_t>(c * rules::kTroopsPerCountry + k);
        }
    }
    for (std::uint16_t i = rules::kCountryCount * rules::kTroopsPerCountry;
         i < rules::kTroopTableLimit; ++i) {
        order[n++] = i;
    }
}

void WriteClock(CommandSink& journal, rules::ScenarioHeaderCursor& header, std::uint16_t newDay) {
    WriteCommand(journal, ClockCommand{.day = header.GetDay(),
                                       .hour = header.GetHour(),
                                       .minute = header.GetMinute(),
                                       .daytime = header.GetDaytime(),
                                       .newDay = newDay});
}

}  // namespace

std::int64_t ClockHost::GetCalendarSeconds() {
    return static_cast<std::int64_t>(std::time(nullptr));
}

std::uint16_t MakeStepSeed(std::int64_t t1, std::int64_t t2) {
    // A wrapping 32-bit product, divided with truncation toward zero.
    const auto a = static_cast<std::uint32_t>(t1);
    const auto b = static_cast<std::uint32_t>(t2);
    const auto product = static_cast<std::int32_t>(a * b);
    return static_cast<std::uint16_t>(product / 65534);
}

int PacedCallsPerStep(int speed) {
    const int s = std::clamp(speed, 0, kMaxGameSpeed);
    return 52 - 10 * s;
}

namespace {

rules::RouteSearchSet* WorldSearches(Simulation& sim, std::unique_ptr<rules::RouteSearchSet>& own) {
    if (rules::RouteSearchSet* searches = sim.ContextEnv().routeSearches) return searches;
    own = std::make_unique<rules::RouteSearchSet>(sim.Tables());
    return own.get();
}

}  // namespace

ClockStep::ClockStep(Simulation& sim, ClockHost* host)
    : sim_(&sim),
      host_(host ? host : &defaultHost_),
      searches_(WorldSearches(sim, ownSearches_)),
      context_(sim, *searches_, corps_) {}

ClockStep::~ClockStep() = default;

void ClockStep::ReloadTerrain() {
    // Read the terrain now, and make room for the searches the troops will keep: the first
    // step then writes to memory already in place instead of paying a page fault for every
    // new page (about 130 of them on the default maps, each some 10-20 us on a virtual
    // machine). The step reloads again only when the sites change.
    terrainKnown_ = false;
    ReloadTerrainIfSitesChanged();
    rules::TroopCursor troops(sim_->Tables(), rules::TableId::ShadowTroop);
    std::vector<std::uint16_t> inPlay;
    for (std::uint16_t t = 0; t < rules::kTroopTableLimit; ++t) {
        if (troops.Select(t) && troops.GetRecord()->IsUsed() && troops.HasMembers()) {
            inPlay.push_back(t);
        }
    }
    searches_->ReserveTroopMemos(inPlay);
}

void ClockStep::ReloadTerrainIfSitesChanged() {
    std::array<std::uint8_t, 3 * 200> now{};
    const std::uint8_t* sites = sim_->Tables().GetTableBase(rules::TableId::ShadowSite);
    for (int s = 0; s < rules::kSiteCount; ++s) {
        const std::uint8_t* r = sites + 8 * s;
        now[3 * s] = r[rules::SiteRecord::kKind];
        now[3 * s + 1] = r[rules::SiteRecord::kX];
        now[3 * s + 2] = r[rules::SiteRecord::kY];
    }
    if (terrainKnown_ && now == terrainSites_) return;
    terrainSites_ = now;
    terrainKnown_ = true;
    searches_->ReloadAllTerrain();
}

std::int16_t ClockStep::RealTimeTick(int paced) {
    if (paced != 0) {
        if (const std::optional<int> speed = host_->GetGameSpeed()) {
            // The counter runs 0..limit and one more call passes: limit + 2 calls per step.
            const auto limit = static_cast<std::uint32_t>(PacedCallsPerStep(*speed) - 2);
            if (limit >= pacing_) {
                ++pacing_;
                return 0;
            }
            pacing_ = 0;
        }
        if (sim_->GetBusyMask() != 0 || sim_->GetCombinedWaitWord() != 0) return 0;
    }
    if (gameOver_.load() != 0) return 0;

    PhaseTimer timer(profile_);
    const std::uint64_t searchesBefore = context_.counters.routeSearches;
    CommandSink& journal = *sim_;
    context_.settings = host_->GetBehaviourSettings();

    sim_->ProcessIncomingOrders();
    timer.End(StepPhase::Orders);

    rules::ShadowGameContext shadow(sim_->Tables(), context_.Env());
    searches_->Sim().SetRoutesCutShort(context_.fastSearches);
    searches_->SetReuseTroopSearches(context_.fastSearches);
    ReloadTerrainIfSitesChanged();
    shadow.RebuildTroopOccupancy();
    rules::RecomputeVisibility(shadow);
    rules::ScenarioHeaderCursor& header = shadow.Header();
    if (header.GetDay() == 0) {
        header.SetDay(1);
        WriteClock(journal, header, 0);
        WriteCommand(journal, RefreshCommand{});
    }
    timer.End(StepPhase::Prepare);

    PlanCorpsTargets(context_, shadow);
    timer.End(StepPhase::Plan);

    int result = ProcessSitesTick(context_, shadow);
    timer.End(StepPhase::Production);

    const std::int64_t t1 = host_->GetCalendarSeconds();
    const std::int64_t t2 = host_->GetCalendarSeconds();
    const std::uint16_t seed = MakeStepSeed(t1, t2);
    RunStepUpkeep(context_, shadow);
    rules::SeedGameRandom(sim_->Random(), seed);
    WriteCommand(journal, SeedCommand{.seed = seed});
    timer.End(StepPhase::Upkeep);

    rules::TroopCursor& troops = shadow.Troops();
    JournalOrderCommands orderCommands(journal);
    context_.NewTroopLoop();
    TroopOrder order{};
    BuildTroopOrder((header.GetMinute() & 1) != 0, order);
    for (const std::uint16_t i : order) {
        context_.currentTroop = i;
        if (!troops.Select(i) || !troops.HasMembers()) continue;
        if (troops.GetByte364() != rules::kOrderLaunch && !troops.IsOnMap()) continue;

        CheckTroopResupply(context_, shadow, i);

        if (troops.Select(i) && IsIdleForDecision(troops)) {
            if (DecidesForItself(shadow, troops) && troops.Select(i) &&
                !(troops.GetStateFlags() & rules::kTroopLaunchedPart)) {
                rules::ChooseTarget(shadow, i, 0, orderCommands, context_.TargetChoice());
            }
        }

        if (i < rules::kMapTroopCount && troops.Select(i) && IsIdleForDecision(troops) &&
            DecidesForItself(shadow, troops) && troops.Select(i) &&
            !(troops.GetStateFlags() & rules::kTroopLaunchedPart)) {
            DecideTroopAction(context_, shadow, i);
        }

        troops.Select(i);
        if (ExecuteTroopOrder(context_, i)) result = 1;
    }
    context_.currentTroop = rules::kNoTroop;
    timer.End(StepPhase::Troops);

    const int newDay = header.AdvanceClock();
    if (newDay) rules::AddSiteIncome(shadow);
    WriteClock(journal, header, newDay ? 1 : 0);

    JudgeInputs judge;
    judge.journal = &journal;
    judge.tables = &sim_->Tables();
    judge.singlePlay = sim_->IsSinglePlay() != 0;
    judge.playerCountry = sim_->GetPlayerCountry();
    std::uint8_t winners = 0;
    std::uint8_t losers = 0;
    if (JudgeCamps(shadow, judge, winners, losers) && (winners != 0 || losers != 0)) {
        WriteCommand(
            journal,
            GameEndCommand{.winners = winners,
                           .losers = losers,
                           .timeLimit = static_cast<std::uint16_t>(header.IsDayLimitPassed())});
        gameOver_.store(1);
    }
    WriteCommand(journal, RefreshCommand{});
    if (const int action = host_->GetPendingNetAction(); action != 0) {
        WriteCommand(journal, NoticeCommand{.kind = static_cast<std::uint16_t>(action),
                                            .country = sim_->GetPlayerCountry()});
    }
    timer.End(StepPhase::Judgement);
    if ((header.GetHour() == 0 || header.GetHour() == 12) && header.GetMinute() == 0 &&
        IsProductionEnabled(shadow)) {
        RunProductionRound(context_, shadow);
    }
    timer.End(StepPhase::Production);

    if (tap_) tap_(sim_->OutgoingCommands());
    sim_->FlushCommandJournal();
    timer.End(StepPhase::Journal);
    if (profile_) profile_->routeSearches += context_.counters.routeSearches - searchesBefore;
    return static_cast<std::int16_t>(result);
}

}  // namespace zv::sim
