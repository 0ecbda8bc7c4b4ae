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
#include "simulation/Production.h"
#include "simulation/Simulation.h"
#include "simulation/SiteUpkeep.h"

namespace zv::sim {

using rules::ReadU16;
using rules::ReadU8;

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

namespace {

// Country state of a fallen country.
constexpr std::uint8_t kCountryFallen = 3;

class Interpreter {
  public:
    explicit Interpreter(Simulation& sim)
        : sim_(sim), live_(sim.Tables(), sim.ContextEnv()), force_(sim.Tables()) {}

    void Execute(std::uint16_t opcode, const std::uint8_t* r, std::uint32_t offset);

  private:
    void Drop(std::uint16_t opcode, std::uint32_t offset, const std::string& why) {
        sim_.Log("command " + std::to_string(opcode) + " at offset " + std::to_string(offset) +
                 " dropped: " + why);
    }
    rules::GameEvents& Events() { return sim_.Events(); }
    std::uint8_t Player() { return sim_.GetPlayerCountry(); }

    void ClearAction(const std::uint8_t* r);
    void CountryFall(const std::uint8_t* r);
    void Formation(const std::uint8_t* r);
    void Withdraw(const std::uint8_t* r);
    void Notice(const std::uint8_t* r);
    void AllianceProposal(const std::uint8_t* r);
    void AllianceChange(const std::uint8_t* r);
    void Place(const std::uint8_t* r);

    Simulation& sim_;
    rules::GameContext live_;
    rules::ForceCursor force_;
};

void Interpreter::Execute(std::uint16_t opcode, const std::uint8_t* r, std::uint32_t offset) {
    auto u16 = [r](std::size_t at) { return ReadU16(r, at); };
    switch (opcode) {
        case kCmdMove:
            rules::ExecMove(live_, u16(MoveRecord::kTroop), u16(MoveRecord::kHex),
                            r[MoveRecord::kDirection], r[MoveRecord::kWaypointIndex]);
            return;
        case kCmdAttack:
            rules::ExecAttack(live_, u16(AttackRecord::kTroop), u16(AttackRecord::kTarget),
                              sim_.Random());
            return;
        case kCmdFire:
            rules::ExecFire(live_, u16(FireRecord::kTroop), u16(FireRecord::kHex),
                            u16(FireRecord::kActionFlags), u16(FireRecord::kTarget),
                            u16(FireRecord::kDestination), u16(FireRecord::kWeapons));
            return;
        case kCmdOccupy:
            rules::ExecOccupy(live_, u16(TroopOnlyRecord::kTroop));
            return;
        case kCmdSupply:
            rules::ExecSupply(live_, u16(SupplyRecord::kTroop), u16(SupplyRecord::kSupplyingTroop),
                              u16(SupplyRecord::kSupplyingSite));
            return;
        case kCmdBoard:
            rules::ExecBoard(live_, u16(BoardRecord::kCarrier), u16(BoardRecord::kTroop),
                             u16(BoardRecord::kHex));
            return;
        case kCmdLaunch:
            rules::ExecLaunch(live_, u16(LaunchRecord::kCarrier), u16(LaunchRecord::kTroop),
                              u16(LaunchRecord::kHex),
                              static_cast<std::uint8_t>(u16(LaunchRecord::kOrderKind)),
                              u16(LaunchRecord::kDestination), u16(LaunchRecord::kTarget));
            return;
        case kCmdBomb:
            rules::ExecBomb(live_, u16(BombRecord::kTroop), u16(BombRecord::kTargetTroop),
                            u16(BombRecord::kTargetSite), u16(BombRecord::kThreshold),
                            sim_.Random());
            return;
        case kCmdTransform:
            rules::ExecTransform(live_, u16(TroopOnlyRecord::kTroop));
            return;
        case kCmdDisperse:
            rules::ExecDisperse(live_, u16(DisperseRecord::kTroop), u16(DisperseRecord::kHex),
                                u16(DisperseRecord::kSeparationMask), u16(DisperseRecord::kTarget),
                                u16(DisperseRecord::kAimHex), u16(DisperseRecord::kWeapons),
                                r[DisperseRecord::kParameter]);
            return;
        case kCmdDisband:
            rules::ExecDisband(live_, u16(TroopOnlyRecord::kTroop));
            return;
        case kCmdSupport:
            rules::ExecSupport(live_, u16(SupportRecord::kTroop), u16(SupportRecord::kHex),
                               u16(SupportRecord::kFlags), u16(SupportRecord::kTarget),
                               u16(SupportRecord::kDestination), u16(SupportRecord::kWeapons),
                               u16(SupportRecord::kValue));
            return;
        case kCmdReturn:
            rules::ExecReturn(live_, u16(ReturnRecord::kCarrier), u16(ReturnRecord::kTroop));
            return;
        case kOpTarget:
            rules::SetTroopTarget(live_, u16(TargetRecord::kTroop), u16(TargetRecord::kHex),
                                  r[TargetRecord::kSlot]);
            return;
        case kCmdClock:
            rules::SetClock(live_, r[ClockRecord::kDay], r[ClockRecord::kHour],
                            r[ClockRecord::kMinute], r[ClockRecord::kDaytime]);
            if (u16(ClockRecord::kNewDay) != 0) rules::AddSiteIncome(live_);
            Events().PanelClock();
            return;
        case kCmdTroopOrder: {
            const TroopOrderValues v = TroopOrderValues::Read(r);
            rules::SetTroopOrder(live_, v.troop, v.destination, v.target,
                                 static_cast<std::uint8_t>(v.orderKind), v.actionFlags, v.weapons,
                                 v.parameterByte, v.orderHex, v.homeAction, v.homeTroop);
            return;
        }
        case kCmdBurnFuel:
            rules::BurnTroopFuel(live_, u16(BurnFuelRecord::kTroop),
                                 r[BurnFuelRecord::kTerrainClass], r[BurnFuelRecord::kAmount]);
            return;
        case kOpClearOrders:
            rules::ClearTroopOrders(live_, u16(TroopOnlyRecord::kTroop));
            return;
        case kCmdStatus:
            rules::UpdateTroopStatusFromFlags(live_, u16(StatusRecord::kTroop),
                                              r[StatusRecord::kValue]);
            return;
        case kCmdMemberSettings:
            if (r[MemberSettingsRecord::kBlock + MemberSettingsBlock::kFormation] >
                kLastFormation) {
                Drop(opcode, offset, "no such formation");
                return;
            }
            ApplyMemberSettingsAndSupply(live_, u16(MemberSettingsRecord::kTroop),
                                         u16(MemberSettingsRecord::kSupplyAfter),
                                         r + MemberSettingsRecord::kBlock);
            return;
        case kCmdRefresh:
            Events().MapRedraw();
            Events().GraspRebuild();
            return;
        case kCmdNothing28:
        case kCmdNothing29:
            return;
        case kCmdGameEnd:
            Events().DelayedGameOver(ReadU16(r, GameEndRecord::kWinners),
                                     ReadU16(r, GameEndRecord::kLosers),
                                     ReadU16(r, GameEndRecord::kTimeLimit));
            return;
        case kCmdClearAction:
            ClearAction(r);
            return;
        case kCmdSeed:
            rules::SeedGameRandom(sim_.Random(), ReadU16(r, SeedRecord::kSeed));
            RunSiteRound(live_);
            return;
        case kCmdProduction:
            if (r[ForceTroopRecord::kCountry] > kLastCountry) {
                Drop(opcode, offset, "no such country");
                return;
            }
            ExecuteProduction(live_, ReadU16(r, ForceTroopRecord::kForceTroop),
                              ReadU16(r, ForceTroopRecord::kHex), r[ForceTroopRecord::kCountry]);
            return;
        case kCmdCountryFall:
            if (r[CountryFallRecord::kCountry] > kLastCountry) {
                Drop(opcode, offset, "no such country");
                return;
            }
            CountryFall(r);
            return;
        case kCmdFormation:
            if (ReadU8(r, FormationRecord::kFormation) > kLastFormation) {
                Drop(opcode, offset, "no such formation");
                return;
            }
            Formation(r);
            return;
        case kCmdWithdraw:
            if (r[WithdrawRecord::kCountry] > kLastCountry) {
                Drop(opcode, offset, "no such country");
                return;
            }
            Withdraw(r);
            return;
        case kCmdNotice:
            Notice(r);
            return;
        case kCmdAllianceProposal: {
            const std::uint16_t addressee = ReadU16(r, AllianceProposalRecord::kAddressee);
            if (addressee == kNoAddressee || addressee != Player()) return;
            if (ReadU16(r, AllianceProposalRecord::kProposer) > kLastCountry) {
                Drop(opcode, offset, "no such country");
                return;
            }
            AllianceProposal(r);
            return;
        }
        case kCmdAllianceChange: {
            const std::uint16_t proposer = ReadU16(r, AllianceAnswerRecord::kProposer);
            if (proposer == kNoAddressee) return;
            if (proposer > kLastCountry ||
                ReadU16(r, AllianceAnswerRecord::kAnswerer) > kLastCountry) {
                Drop(opcode, offset, "no such country");
                return;
            }
            AllianceChange(r);
            return;
        }
        case kOpPlace:
            if (r[ForceTroopRecord::kCountry] > kLastCountry) {
                Drop(opcode, offset, "no such country");
                return;
            }
            Place(r);
            return;
        default:
            return;
    }
}

void Interpreter::ClearAction(const std::uint8_t* r) {
    rules::TroopCursor& troop = live_.Troops();
    if (!troop.Select(ReadU16(r, ClearActionRecord::kTroop))) return;
    if (r[ClearActionRecord::kClearCounter] != 0) troop.SetByte329(0);
    if (r[ClearActionRecord::kClearFlags] != 0) troop.SetOrder(0);
}

void Interpreter::CountryFall(const std::uint8_t* r) {
    const std::uint8_t country = r[CountryFallRecord::kCountry];
    const bool falls = r[CountryFallRecord::kKeepState] == 0;
    if (falls) {
        Events().DelayedDefeatDialog(country);
        Events().RefreshCampInfo();
        if (country == Player()) Events().NewsShow();
        rules::RecordCountryEndState(sim_.Tables(), country);
    }
    rules::GameContext first(sim_.Tables(), sim_.ContextEnv());
    if (falls) {
        if (!first.Countries().Select(country)) return;
        first.Countries().SetState(kCountryFallen);
    }
    rules::RemoveCountryTroops(first, country);
    rules::GameContext second(sim_.Tables(), sim_.ContextEnv());
    rules::ReleaseCountrySites(second, country);
}

void Interpreter::Formation(const std::uint8_t* r) {
    const std::uint16_t troop = ReadU16(r, FormationRecord::kTroop);
    rules::TroopCursor& troops = live_.Troops();
    if (!troops.Select(troop)) return;
    troops.SetCurrentFormation(r[FormationRecord::kFormation]);
    if (troops.GetCountry() == Player()) Events().PanelShowTroop(troop);
}

void Interpreter::Withdraw(const std::uint8_t* r) {
    force_.SelectSlot(r[WithdrawRecord::kCountry]);
    if (force_.SelectTroop(ReadU16(r, WithdrawRecord::kForceTroop))) {
        force_.SetStateFlags(
            static_cast<std::uint16_t>(force_.GetStateFlags() & ~rules::kTroopReinforcement));
        force_.SetHex(0xFFFF);
    }
    Events().RefreshTroopList();
}

void Interpreter::Notice(const std::uint8_t* r) {
    const std::uint16_t kind = ReadU16(r, NoticeRecord::kKind);
    const bool own = ReadU16(r, NoticeRecord::kCountry) == Player();
    switch (kind) {
        case kNoticeSaveGame:
            if (sim_.IsJournalHost()) Events().SaveGameCommand();
            break;
        case kNoticeReturnToTitle:
            if (own) Events().DelayedReturnToTitle();
            break;
        case kNoticeQuit:
            if (own) Events().ExitGame();
            break;
        default:
            break;
    }
}

void Interpreter::AllianceProposal(const std::uint8_t* r) {
    const auto proposer = static_cast<std::uint8_t>(ReadU16(r, AllianceProposalRecord::kProposer));
    const auto addressee =
        static_cast<std::uint8_t>(ReadU16(r, AllianceProposalRecord::kAddressee));
    // The proposer's name: the last participant slot that plays the proposing country.
    std::string name;
    if (SessionPort* session = sim_.Session()) {
        for (int s = 0; s < kParticipantSlots; ++s) {
            if (session->GetSlotValue(s) == proposer + 1u) name = session->GetLobbyPlayerName(s);
        }
    }
    Events().AllianceProposal(proposer, addressee, ReadU16(r, AllianceProposalRecord::kKind), name);
}

void Interpreter::AllianceChange(const std::uint8_t* r) {
    const auto a = static_cast<std::uint8_t>(ReadU16(r, AllianceAnswerRecord::kAnswerer));
    const auto b = static_cast<std::uint8_t>(ReadU16(r, AllianceAnswerRecord::kProposer));
    const std::uint16_t kind = ReadU16(r, AllianceAnswerRecord::kKind);
    const bool accepted = ReadU16(r, AllianceAnswerRecord::kAccepted) != 0;
    if (accepted) ChangeAlliance(live_.Countries(), a, b, kind);
    if (b == Player()) {
        const int index = (kind == kAllianceConclude ? 1 : 3) + (accepted ? 0 : 1);
        Events().AllianceAnswerNotice(index);
    }
    Events().RefreshCampInfo();
}

void Interpreter::Place(const std::uint8_t* r) {
    force_.PlaceTroopAt(ReadU16(r, ForceTroopRecord::kForceTroop),
                        ReadU16(r, ForceTroopRecord::kHex), r[ForceTroopRecord::kCountry]);
}

}  // namespace

void ExecuteCommandList(Simulation& sim, std::span<const std::uint8_t> buffer) {
    // Built on the first whole record: an empty journal costs no context.
    std::optional<Interpreter> interpreter;
    WalkRecords(
        buffer, CommandRecordSize, {"journal", "its", "ends", "command"},
        [&](const std::string& line) { sim.Log(line); },
        [&](std::uint16_t opcode, const std::uint8_t* r, std::uint32_t pos) {
            if (!interpreter) interpreter.emplace(sim);
            interpreter->Execute(opcode, r, pos);
        });
}

}  // namespace zv::sim
