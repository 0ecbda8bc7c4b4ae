#include "simulation/CommandInterpreter.h"

#include <optional>
#include <string>

#include "rules/combat/Attack.h"
#include "rules/context/GameContext.h"
#include "rules/context/RuleHelpers.h"
#include "rules/countries/CountryStatistics.h"
#include "rules/countries/Income.h"
#include "rules/records/Bytes.h"
#include "rules/records/ForceCursor.h"
#include "rules/records/TroopRecord.h"
#include "rules/troops/Carriers.h"
#include "rules/troops/Movement.h"
#include "rules/troops/Occupation.h"
#include "rules/troops/Supply.h"
#include "rules/troops/TroopOrders.h"
#include "rules/troops/TroopQueries.h"
#include "rules/troops/TroopRemoval.h"
#include "simulation/CommandRecords.h"
#include "simulation/Judgement.h"
#include "simulation/Production.h"
#include "simulation/Simulation.h"
#include "simulation/SiteUpkeep.h"

namespace zv::sim {

void ChangeAlliance(rules::CountryCursor& countries, std::uint8_t a, std::uint8_t b,
                    std::uint16_t kind) {
    // The numbers become shift counts of an 8-bit mask: anything but a country is refused.
    if (a > kLastCountry || b > kLastCountry) return;
    auto change = [&](std::uint8_t country, std::uint8_t other) {
        if (!countries.Select(country)) return;
        const auto bit = static_cast<std::uint8_t>(1u << other);
        const std::uint8_t mask = countries.GetAllianceMask();
        countries.SetAllianceMask(kind == kAllianceConclude
                                      ? static_cast<std::uint8_t>(mask | bit)
                                      : static_cast<std::uint8_t>(mask & ~bit));
    };
    change(a, b);
    change(b, a);
}

int ApplyMemberSettingsAndSupply(rules::GameContext& ctx, std::uint16_t troop,
                                 std::uint16_t supplyAfter, const std::uint8_t* block) {
    rules::ApplyMemberSettings(ctx, troop, block);
    rules::TroopCursor& troops = ctx.Troops();
    // Only the named troop: a troop that does not select leaves the cursor on another one.
    if (!troops.Select(troop)) return 0;
    rules::ClampSuppliesToPack(troops, 0);
    if (supplyAfter == 0) return 1;
    const std::uint16_t hex = troops.GetHexValue();
    std::uint16_t site = rules::kNoSiteIndex;
    if (ctx.SelectHexInfoXY(hex & 0xFF, hex >> 8)) site = ctx.GetHexSiteIndex();
    rules::ExecSupply(ctx, troop, 0xFFFF, site);
    return 1;
}

// ---- The live side

LiveTables::LiveTables(Simulation& sim)
    : sim_(sim), game_(sim.Tables(), sim.ContextEnv()), force_(sim.Tables()) {}

rules::GameEvents& LiveTables::Events() {
    return sim_.Events();
}

fw::RandomStreams& LiveTables::Random() {
    return sim_.Random();
}

std::uint8_t LiveTables::Player() {
    return sim_.GetPlayerCountry();
}

void LiveTables::Drop(const std::string& why) {
    sim_.Log("command " + std::to_string(opcode_) + " at offset " + std::to_string(offset_) +
             " dropped: " + why);
}

// ---- The handlers of the command rows

int MoveCommand::Apply(rules::GameContext& tables) const {
    return rules::ExecMove(tables, troop, hex, direction, waypointIndex);
}

void AttackCommand::Execute(LiveTables& live) const {
    rules::ExecAttack(live.Game(), troop, target, live.Random());
}

int FireCommand::Apply(rules::GameContext& tables) const {
    return rules::ExecFire(tables, troop, hex, actionFlags, target, destination, weapons);
}

int OccupyCommand::Apply(rules::GameContext& tables) const {
    return rules::ExecOccupy(tables, troop);
}

int SupplyCommand::Apply(rules::GameContext& tables) const {
    return rules::ExecSupply(tables, troop, supplyingTroop, supplyingSite);
}

int BoardCommand::Apply(rules::GameContext& tables) const {
    return rules::ExecBoard(tables, carrier, troop, hex);
}

int LaunchCommand::Apply(rules::GameContext& tables) const {
    return rules::ExecLaunch(tables, carrier, troop, hex, static_cast<std::uint8_t>(orderKind),
                             destination, target);
}

void BombCommand::Execute(LiveTables& live) const {
    rules::ExecBomb(live.Game(), troop, targetTroop, targetSite, threshold, live.Random());
}

int TransformCommand::Apply(rules::GameContext& tables) const {
    return rules::ExecTransform(tables, troop);
}

int DisperseCommand::Apply(rules::GameContext& tables) const {
    return rules::ExecDisperse(tables, troop, hex, separationMask, target, aimHex, weapons,
                               parameter);
}

int DisbandCommand::Apply(rules::GameContext& tables) const {
    return rules::ExecDisband(tables, troop);
}

int SupportCommand::Apply(rules::GameContext& tables) const {
    return rules::ExecSupport(tables, troop, hex, flags, target, destination, weapons, value);
}

int ReturnCommand::Apply(rules::GameContext& tables) const {
    return rules::ExecReturn(tables, carrier, troop);
}

int TargetCommand::Apply(rules::GameContext& tables) const {
    return rules::SetTroopTarget(tables, troop, hex, slot);
}

void ClockCommand::Execute(LiveTables& live) const {
    rules::SetClock(live.Game(), day, hour, minute, daytime);
    if (newDay != 0) rules::AddSiteIncome(live.Game());
    live.Events().PanelClock();
}

void RefreshCommand::Execute(LiveTables& live) const {
    live.Events().MapRedraw();
    live.Events().GraspRebuild();
}

void ProductionCommand::Execute(LiveTables& live) const {
    if (country > kLastCountry) {
        live.Drop("no such country");
        return;
    }
    ExecuteProduction(live.Game(), forceTroop, hex, country);
}

int TroopOrderCommand::Apply(rules::GameContext& tables) const {
    return rules::SetTroopOrder(tables, troop, destination, target,
                                static_cast<std::uint8_t>(orderKind), actionFlags, weapons,
                                parameterByte, orderHex, homeAction, homeTroop);
}

int BurnFuelCommand::Apply(rules::GameContext& tables) const {
    return rules::BurnTroopFuel(tables, troop, terrainClass, amount);
}

int ClearOrdersCommand::Apply(rules::GameContext& tables) const {
    return rules::ClearTroopOrders(tables, troop);
}

void GameEndCommand::Execute(LiveTables& live) const {
    live.Events().DelayedGameOver(winners, losers, timeLimit);
}

int StatusCommand::Apply(rules::GameContext& tables) const {
    return rules::UpdateTroopStatusFromFlags(tables, troop, value);
}

int ClearActionCommand::Apply(rules::GameContext& tables) const {
    rules::TroopCursor& troops = tables.Troops();
    if (!troops.Select(troop)) return 0;
    if (clearCounter != 0) troops.SetByte329(0);
    if (clearFlags != 0) troops.SetOrder(0);
    return 1;
}

void SeedCommand::Execute(LiveTables& live) const {
    rules::SeedGameRandom(live.Random(), seed);
    RunSiteRound(live.Game());
}

void CountryFallCommand::Execute(LiveTables& live) const {
    if (country > kLastCountry) {
        live.Drop("no such country");
        return;
    }
    Simulation& sim = live.Sim();
    const bool falls = keepState == 0;
    if (falls) {
        live.Events().DelayedDefeatDialog(country);
        live.Events().RefreshCampInfo();
        if (country == live.Player()) live.Events().NewsShow();
        rules::RecordCountryEndState(sim.Tables(), country);
    }
    rules::GameContext first(sim.Tables(), sim.ContextEnv());
    if (falls) {
        if (!first.Countries().Select(country)) return;
        first.Countries().SetState(kCountryFallen);
    }
    rules::RemoveCountryTroops(first, country);
    rules::GameContext second(sim.Tables(), sim.ContextEnv());
    rules::ReleaseCountrySites(second, country);
}

int MemberSettingsCommand::Apply(rules::GameContext& tables) const {
    return ApplyMemberSettingsAndSupply(tables, troop, supplyAfter, block);
}

void MemberSettingsCommand::Execute(LiveTables& live) const {
    if (block[MemberSettingsBlock::kFormation] > kLastFormation) {
        live.Drop("no such formation");
        return;
    }
    Apply(live.Game());
}

int FormationCommand::Apply(rules::GameContext& tables) const {
    rules::TroopCursor& troops = tables.Troops();
    if (!troops.Select(troop)) return 0;
    troops.SetCurrentFormation(static_cast<std::uint8_t>(formation));
    return 1;
}

void FormationCommand::Execute(LiveTables& live) const {
    if (static_cast<std::uint8_t>(formation) > kLastFormation) {
        live.Drop("no such formation");
        return;
    }
    if (!Apply(live.Game())) return;
    if (live.Game().Troops().GetCountry() == live.Player()) live.Events().PanelShowTroop(troop);
}

int WithdrawCommand::Apply(rules::ForceCursor& force) const {
    force.SelectSlot(country);
    if (!force.SelectTroop(forceTroop)) return 0;
    force.SetStateFlags(
        static_cast<std::uint16_t>(force.GetStateFlags() & ~rules::kTroopReinforcement));
    force.SetHex(rules::kNoHex);
    return 1;
}

void WithdrawCommand::Execute(LiveTables& live) const {
    if (country > kLastCountry) {
        live.Drop("no such country");
        return;
    }
    Apply(live.Force());
    live.Events().RefreshTroopList();
}

void NoticeCommand::Execute(LiveTables& live) const {
    const bool own = country == live.Player();
    switch (kind) {
        case kNoticeSaveGame:
            if (live.Sim().IsJournalHost()) live.Events().SaveGameCommand();
            break;
        case kNoticeReturnToTitle:
            if (own) live.Events().DelayedReturnToTitle();
            break;
        case kNoticeQuit:
            if (own) live.Events().ExitGame();
            break;
        default:
            break;
    }
}

void AllianceProposalCommand::Execute(LiveTables& live) const {
    if (addressee == kNoAddressee || addressee != live.Player()) return;
    if (proposer > kLastCountry) {
        live.Drop("no such country");
        return;
    }
    // The proposer's name: the last participant slot that plays the proposing country.
    std::string name;
    if (SessionPort* session = live.Sim().Session()) {
        for (int s = 0; s < kParticipantSlots; ++s) {
            if (session->GetSlotValue(s) == proposer + 1u) name = session->GetLobbyPlayerName(s);
        }
    }
    live.Events().AllianceProposal(static_cast<std::uint8_t>(proposer),
                                   static_cast<std::uint8_t>(addressee), kind, name);
}

int AllianceChangeCommand::Apply(rules::GameContext& tables) const {
    if (accepted == 0) return 0;
    ChangeAlliance(tables.Countries(), static_cast<std::uint8_t>(answerer),
                   static_cast<std::uint8_t>(proposer), kind);
    return 1;
}

void AllianceChangeCommand::Execute(LiveTables& live) const {
    if (proposer == kNoAddressee) return;
    if (proposer > kLastCountry || answerer > kLastCountry) {
        live.Drop("no such country");
        return;
    }
    Apply(live.Game());
    if (proposer == live.Player()) {
        const int index = (kind == kAllianceConclude ? 1 : 3) + (accepted != 0 ? 0 : 1);
        live.Events().AllianceAnswerNotice(index);
    }
    live.Events().RefreshCampInfo();
}

int PlaceCommand::Apply(rules::ForceCursor& force) const {
    return force.PlaceTroopAt(forceTroop, hex, country);
}

void PlaceCommand::Execute(LiveTables& live) const {
    if (country > kLastCountry) {
        live.Drop("no such country");
        return;
    }
    Apply(live.Force());
}

// ---- The dispatch

namespace {

template <typename Command>
void Dispatch(LiveTables& live, const std::uint8_t* record) {
    const Command command = ReadRecord<Command>(record);
    if constexpr (requires { command.Execute(live); }) {
        command.Execute(live);
    } else if constexpr (requires { command.Apply(live.Game()); }) {
        command.Apply(live.Game());
    }
}

using Handler = void (*)(LiveTables&, const std::uint8_t*);

template <typename... Commands>
constexpr std::array<Handler, kOpcodeLimit> HandlersOf(RowList<Commands...>) {
    std::array<Handler, kOpcodeLimit> handlers{};
    ((handlers[Commands::kOpcode] = &Dispatch<Commands>), ...);
    return handlers;
}

constexpr auto kHandlers = HandlersOf(CommandRows{});

}  // namespace

void ExecuteCommandList(Simulation& sim, std::span<const std::uint8_t> buffer) {
    // Built on the first whole record: an empty journal costs no context.
    std::optional<LiveTables> live;
    WalkRecords(
        buffer, CommandRecordSize, {"journal", "its", "ends", "command"},
        [&](const std::string& line) { sim.Log(line); },
        [&](std::uint16_t opcode, const std::uint8_t* r, std::uint32_t pos) {
            if (!live) live.emplace(sim);
            live->SetCurrent(opcode, pos);
            kHandlers[opcode](*live, r);
        });
}

}  // namespace zv::sim
