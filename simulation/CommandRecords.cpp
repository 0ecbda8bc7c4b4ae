#include "simulation/CommandRecords.h"

#include <cstring>

namespace zv::sim {

using rules::WriteU16;
using rules::WriteU8;

std::uint32_t CommandRecordSize(std::uint16_t opcode) {
    switch (opcode) {
        case kCmdMove:
            return MoveRecord::kSize;
        case kCmdAttack:
            return AttackRecord::kSize;
        case kCmdFire:
            return FireRecord::kSize;
        case kCmdOccupy:
        case kCmdTransform:
        case kCmdDisband:
        case kOpClearOrders:
            return TroopOnlyRecord::kSize;
        case kCmdSupply:
            return SupplyRecord::kSize;
        case kCmdBoard:
            return BoardRecord::kSize;
        case kCmdLaunch:
            return LaunchRecord::kSize;
        case kCmdBomb:
            return BombRecord::kSize;
        case kCmdDisperse:
            return DisperseRecord::kSize;
        case kCmdSupport:
            return SupportRecord::kSize;
        case kCmdReturn:
            return ReturnRecord::kSize;
        case kOpTarget:
            return TargetRecord::kSize;
        case kCmdClock:
            return ClockRecord::kSize;
        case kCmdRefresh:
        case kCmdNothing28:
        case kCmdNothing29:
            return ZeroWordRecord::kSize;
        case kCmdProduction:
        case kOpPlace:
            return ForceTroopRecord::kSize;
        case kCmdTroopOrder:
            return TroopOrderRecord::kSize;
        case kCmdBurnFuel:
            return BurnFuelRecord::kSize;
        case kCmdGameEnd:
            return GameEndRecord::kSize;
        case kCmdStatus:
            return StatusRecord::kSize;
        case kCmdClearAction:
            return ClearActionRecord::kSize;
        case kCmdSeed:
            return SeedRecord::kSize;
        case kCmdCountryFall:
            return CountryFallRecord::kSize;
        case kCmdMemberSettings:
            return MemberSettingsRecord::kSize;
        case kCmdFormation:
            return FormationRecord::kSize;
        case kCmdWithdraw:
            return WithdrawRecord::kSize;
        case kCmdNotice:
            return NoticeRecord::kSize;
        case kCmdAllianceProposal:
            return AllianceProposalRecord::kSize;
        case kCmdAllianceChange:
            return AllianceAnswerRecord::kSize;
        default:
            return 0;
    }
}

std::uint32_t OrderRecordSize(std::uint16_t opcode) {
    switch (opcode) {
        case kOpTarget:
            return TargetRecord::kSize;
        case kOpClearOrders:
            return TroopOnlyRecord::kSize;
        case kOrderTroopOrder:
            return TroopOrderRecord::kSize;
        case kOrderMemberSettings:
            return MemberSettingsRecord::kSize;
        case kOrderFormation:
            return FormationRecord::kSize;
        case kOrderWithdraw:
            return WithdrawRecord::kSize;
        case kOrderAllianceProposal:
            return AllianceProposalRecord::kSize;
        case kOrderAllianceAnswer:
            return AllianceAnswerRecord::kSize;
        case kOpPlace:
            return ForceTroopRecord::kSize;
        default:
            return 0;
    }
}

TroopOrderValues TroopOrderValues::Read(const std::uint8_t* r) {
    using R = TroopOrderRecord;
    TroopOrderValues v;
    v.troop = rules::ReadU16(r, R::kTroop);
    v.destination = rules::ReadU16(r, R::kDestination);
    v.target = rules::ReadU16(r, R::kTarget);
    v.orderKind = rules::ReadU16(r, R::kOrderKind);
    v.actionFlags = rules::ReadU16(r, R::kActionFlags);
    v.weapons = rules::ReadU16(r, R::kWeapons);
    v.parameterByte = r[R::kParameterByte];
    v.orderHex = rules::ReadU16(r, R::kOrderHex);
    v.homeAction = r[R::kHomeAction];
    v.homeTroop = r[R::kHomeTroop];
    return v;
}

void TroopOrderValues::WriteTo(std::uint8_t* r) const {
    using R = TroopOrderRecord;
    WriteU16(r, R::kTroop, troop);
    WriteU16(r, R::kDestination, destination);
    WriteU16(r, R::kTarget, target);
    WriteU16(r, R::kOrderKind, orderKind);
    WriteU16(r, R::kActionFlags, actionFlags);
    WriteU16(r, R::kWeapons, weapons);
    WriteU16(r, R::kOrderHex, orderHex);
    WriteU8(r, R::kParameterByte, parameterByte);
    WriteU8(r, R::kHomeAction, homeAction);
    WriteU8(r, R::kHomeTroop, homeTroop);
    WriteU8(r, R::kHomeTroop + 1, 0);
}

namespace {

// A record on the stack, opcode stored, every other byte 0.
template <typename Record>
Record Start(std::uint16_t opcode) {
    Record r;
    r.SetU16(0, opcode);
    return r;
}

template <typename Record>
int Order(OrderSink& sink, const Record& r) {
    return sink.AppendOrder(r.data(), static_cast<std::uint32_t>(Record::kSize));
}

template <typename Record>
int Command(CommandSink& sink, const Record& r) {
    return sink.AppendCommand(r.data(), static_cast<std::uint32_t>(Record::kSize));
}

TroopOrderRecord MakeTroopOrder(std::uint16_t opcode, const TroopOrderValues& v) {
    auto r = Start<TroopOrderRecord>(opcode);
    v.WriteTo(r.data());
    return r;
}

MemberSettingsRecord MakeMemberSettings(std::uint16_t opcode, std::uint16_t troop,
                                        std::uint16_t supplyAfter, const std::uint8_t* block) {
    auto r = Start<MemberSettingsRecord>(opcode);
    r.SetU16(MemberSettingsRecord::kTroop, troop);
    r.SetU16(MemberSettingsRecord::kSupplyAfter, supplyAfter);
    if (block)
        std::memcpy(r.data() + MemberSettingsRecord::kBlock, block, MemberSettingsBlock::kSize);
    return r;
}

ForceTroopRecord MakeForceTroop(std::uint16_t opcode, std::uint16_t forceTroop, std::uint16_t hex,
                                std::uint8_t country) {
    auto r = Start<ForceTroopRecord>(opcode);
    r.SetU16(ForceTroopRecord::kForceTroop, forceTroop);
    r.SetU16(ForceTroopRecord::kHex, hex);
    r.SetU8(ForceTroopRecord::kCountry, country);
    return r;
}

TargetRecord MakeTarget(std::uint16_t troop, std::uint16_t hex, std::uint8_t slot) {
    auto r = Start<TargetRecord>(kOpTarget);
    r.SetU16(TargetRecord::kTroop, troop);
    r.SetU16(TargetRecord::kHex, hex);
    r.SetU8(TargetRecord::kSlot, slot);
    return r;
}

TroopOnlyRecord MakeTroopOnly(std::uint16_t opcode, std::uint16_t troop) {
    auto r = Start<TroopOnlyRecord>(opcode);
    r.SetU16(TroopOnlyRecord::kTroop, troop);
    return r;
}

FormationRecord MakeFormation(std::uint16_t opcode, std::uint16_t troop, std::uint16_t formation) {
    auto r = Start<FormationRecord>(opcode);
    r.SetU16(FormationRecord::kTroop, troop);
    r.SetU16(FormationRecord::kFormation, formation);
    return r;
}

WithdrawRecord MakeWithdraw(std::uint16_t opcode, std::uint16_t forceTroop, std::uint8_t country) {
    auto r = Start<WithdrawRecord>(opcode);
    r.SetU16(WithdrawRecord::kForceTroop, forceTroop);
    r.SetU8(WithdrawRecord::kCountry, country);
    return r;
}

AllianceProposalRecord MakeProposal(std::uint16_t opcode, std::uint16_t proposer,
                                    std::uint16_t addressee, std::uint16_t kind) {
    auto r = Start<AllianceProposalRecord>(opcode);
    r.SetU16(AllianceProposalRecord::kProposer, proposer);
    r.SetU16(AllianceProposalRecord::kAddressee, addressee);
    r.SetU16(AllianceProposalRecord::kKind, kind);
    return r;
}

AllianceAnswerRecord MakeAnswer(std::uint16_t opcode, std::uint16_t answerer,
                                std::uint16_t proposer, std::uint16_t kind,
                                std::uint16_t accepted) {
    auto r = Start<AllianceAnswerRecord>(opcode);
    r.SetU16(AllianceAnswerRecord::kAnswerer, answerer);
    r.SetU16(AllianceAnswerRecord::kProposer, proposer);
    r.SetU16(AllianceAnswerRecord::kKind, kind);
    r.SetU16(AllianceAnswerRecord::kAccepted, accepted);
    return r;
}

ZeroWordRecord MakeZeroWord(std::uint16_t opcode) {
    return Start<ZeroWordRecord>(opcode);
}

}  // namespace

// Orders.

int BuildOrder15(OrderSink& sink, std::uint16_t troop, std::uint16_t hex, std::uint8_t slot) {
    return Order(sink, MakeTarget(troop, hex, slot));
}

int BuildOrder26(OrderSink& sink, std::uint16_t troop) {
    return Order(sink, MakeTroopOnly(kOpClearOrders, troop));
}

int BuildOrder27(OrderSink& sink, std::uint16_t troop, std::uint16_t destination,
                 std::uint16_t target, std::uint16_t orderKind, std::uint16_t actionFlags,
                 std::uint16_t weapons, std::uint8_t parameterByte, std::uint16_t orderHex,
                 std::uint8_t homeAction, std::uint8_t homeTroop) {
    const TroopOrderValues v{troop,   destination,   target,   orderKind,  actionFlags,
                             weapons, parameterByte, orderHex, homeAction, homeTroop};
    return Order(sink, MakeTroopOrder(kOrderTroopOrder, v));
}

int BuildOrder35(OrderSink& sink, std::uint16_t troop, std::uint16_t supplyAfter,
                 const std::uint8_t* block) {
    return Order(sink, MakeMemberSettings(kOrderMemberSettings, troop, supplyAfter, block));
}

int BuildOrder37(OrderSink& sink, std::uint16_t troop, std::uint16_t formation) {
    return Order(sink, MakeFormation(kOrderFormation, troop, formation));
}

int BuildOrder39(OrderSink& sink, std::uint16_t forceTroop, std::uint8_t country) {
    return Order(sink, MakeWithdraw(kOrderWithdraw, forceTroop, country));
}

int BuildOrder42(OrderSink& sink, std::uint8_t proposer, std::uint8_t addressee,
                 std::uint16_t kind) {
    return Order(sink, MakeProposal(kOrderAllianceProposal, proposer, addressee, kind));
}

int BuildOrder44(OrderSink& sink, std::uint16_t answerer, std::uint16_t proposer,
                 std::uint16_t kind, int answer) {
    return Order(sink,
                 MakeAnswer(kOrderAllianceAnswer, answerer, proposer, kind, answer == 1 ? 1 : 0));
}

int BuildOrder46(OrderSink& sink, std::uint16_t forceTroop, std::uint16_t hex,
                 std::uint8_t country) {
    return Order(sink, MakeForceTroop(kOpPlace, forceTroop, hex, country));
}

// Commands.

int WriteCommand1(CommandSink& sink, std::uint16_t troop, std::uint16_t hex, std::uint8_t direction,
                  std::uint8_t waypointIndex) {
    auto r = Start<MoveRecord>(kCmdMove);
    r.SetU16(MoveRecord::kTroop, troop);
    r.SetU16(MoveRecord::kHex, hex);
    r.SetU8(MoveRecord::kDirection, direction);
    r.SetU8(MoveRecord::kWaypointIndex, waypointIndex);
    return Command(sink, r);
}

int WriteCommand2(CommandSink& sink, std::uint16_t troop, std::uint16_t target) {
    auto r = Start<AttackRecord>(kCmdAttack);
    r.SetU16(AttackRecord::kTroop, troop);
    r.SetU16(AttackRecord::kTarget, target);
    return Command(sink, r);
}

int WriteCommand3(CommandSink& sink, std::uint16_t troop, std::uint16_t hex,
                  std::uint16_t actionFlags, std::uint16_t target, std::uint16_t destination,
                  std::uint16_t weapons) {
    auto r = Start<FireRecord>(kCmdFire);
    r.SetU16(FireRecord::kTroop, troop);
    r.SetU16(FireRecord::kHex, hex);
    r.SetU16(FireRecord::kActionFlags, actionFlags);
    r.SetU16(FireRecord::kTarget, target);
    r.SetU16(FireRecord::kDestination, destination);
    r.SetU16(FireRecord::kWeapons, weapons);
    return Command(sink, r);
}

int WriteCommand4(CommandSink& sink, std::uint16_t troop) {
    return Command(sink, MakeTroopOnly(kCmdOccupy, troop));
}

int WriteCommand5(CommandSink& sink, std::uint16_t troop, std::uint16_t supplyingTroop,
                  std::uint16_t supplyingSite) {
    auto r = Start<SupplyRecord>(kCmdSupply);
    r.SetU16(SupplyRecord::kTroop, troop);
    r.SetU16(SupplyRecord::kSupplyingTroop, supplyingTroop);
    r.SetU16(SupplyRecord::kSupplyingSite, supplyingSite);
    return Command(sink, r);
}

int WriteCommand6(CommandSink& sink, std::uint16_t carrier, std::uint16_t troop,
                  std::uint16_t hex) {
    auto r = Start<BoardRecord>(kCmdBoard);
    r.SetU16(BoardRecord::kCarrier, carrier);
    r.SetU16(BoardRecord::kTroop, troop);
    r.SetU16(BoardRecord::kHex, hex);
    return Command(sink, r);
}

int WriteCommand7(CommandSink& sink, std::uint16_t carrier, std::uint16_t troop, std::uint16_t hex,
                  std::uint16_t homeAction, std::uint16_t destination, std::uint16_t target) {
    auto r = Start<LaunchRecord>(kCmdLaunch);
    r.SetU16(LaunchRecord::kCarrier, carrier);
    r.SetU16(LaunchRecord::kTroop, troop);
    r.SetU16(LaunchRecord::kHex, hex);
    r.SetU16(LaunchRecord::kOrderKind, homeAction);
    r.SetU16(LaunchRecord::kDestination, destination);
    r.SetU16(LaunchRecord::kTarget, target);
    return Command(sink, r);
}

int WriteCommand8(CommandSink& sink, std::uint16_t troop, std::uint16_t targetTroop,
                  std::uint16_t targetSite, std::uint16_t threshold) {
    auto r = Start<BombRecord>(kCmdBomb);
    r.SetU16(BombRecord::kTroop, troop);
    r.SetU16(BombRecord::kTargetTroop, targetTroop);
    r.SetU16(BombRecord::kTargetSite, targetSite);
    r.SetU16(BombRecord::kThreshold, threshold);
    return Command(sink, r);
}

int WriteCommand9(CommandSink& sink, std::uint16_t troop) {
    return Command(sink, MakeTroopOnly(kCmdTransform, troop));
}

int WriteCommand11(CommandSink& sink, std::uint16_t troop, std::uint16_t hex,
                   std::uint16_t separationMask, std::uint16_t target, std::uint16_t aimHex,
                   std::uint16_t weapons, std::uint8_t parameter) {
    auto r = Start<DisperseRecord>(kCmdDisperse);
    r.SetU16(DisperseRecord::kTroop, troop);
    r.SetU16(DisperseRecord::kHex, hex);
    r.SetU16(DisperseRecord::kSeparationMask, separationMask);
    r.SetU16(DisperseRecord::kTarget, target);
    r.SetU16(DisperseRecord::kAimHex, aimHex);
    r.SetU16(DisperseRecord::kWeapons, weapons);
    r.SetU8(DisperseRecord::kParameter, parameter);
    return Command(sink, r);
}

int WriteCommand12(CommandSink& sink, std::uint16_t troop) {
    return Command(sink, MakeTroopOnly(kCmdDisband, troop));
}

int WriteCommand13(CommandSink& sink, std::uint16_t troop, std::uint16_t hex, std::uint16_t flags,
                   std::uint16_t target, std::uint16_t destination, std::uint16_t weapons,
                   std::uint16_t value) {
    auto r = Start<SupportRecord>(kCmdSupport);
    r.SetU16(SupportRecord::kTroop, troop);
    r.SetU16(SupportRecord::kHex, hex);
    r.SetU16(SupportRecord::kFlags, flags);
    r.SetU16(SupportRecord::kTarget, target);
    r.SetU16(SupportRecord::kDestination, destination);
    r.SetU16(SupportRecord::kWeapons, weapons);
    r.SetU16(SupportRecord::kValue, value);
    return Command(sink, r);
}

int WriteCommand14(CommandSink& sink, std::uint16_t carrier, std::uint16_t troop) {
    auto r = Start<ReturnRecord>(kCmdReturn);
    r.SetU16(ReturnRecord::kCarrier, carrier);
    r.SetU16(ReturnRecord::kTroop, troop);
    return Command(sink, r);
}

int WriteCommand15(CommandSink& sink, std::uint16_t troop, std::uint16_t hex, std::uint8_t slot) {
    return Command(sink, MakeTarget(troop, hex, slot));
}

int WriteClockCommand(CommandSink& sink, const std::uint8_t* clock) {
    auto r = Start<ClockRecord>(kCmdClock);
    std::memcpy(r.data() + ClockRecord::kDay, clock, 6);
    return Command(sink, r);
}

int WriteRefreshCommand(CommandSink& sink) {
    return Command(sink, MakeZeroWord(kCmdRefresh));
}

int WriteProductionCommand(CommandSink& sink, std::uint16_t forceTroop, std::uint16_t hex,
                           std::uint8_t country) {
    return Command(sink, MakeForceTroop(kCmdProduction, forceTroop, hex, country));
}

int WriteCommand22(CommandSink& sink, std::uint16_t troop, std::uint16_t destination,
                   std::uint16_t target, std::uint16_t orderKind, std::uint16_t actionFlags,
                   std::uint16_t weapons, std::uint8_t parameterByte, std::uint16_t orderHex,
                   std::uint8_t homeAction, std::uint8_t homeTroop) {
    const TroopOrderValues v{troop,   destination,   target,   orderKind,  actionFlags,
                             weapons, parameterByte, orderHex, homeAction, homeTroop};
    return Command(sink, MakeTroopOrder(kCmdTroopOrder, v));
}

int WriteCommand25(CommandSink& sink, std::uint16_t troop, std::uint8_t terrainClass,
                   std::uint8_t amount) {
    auto r = Start<BurnFuelRecord>(kCmdBurnFuel);
    r.SetU16(BurnFuelRecord::kTroop, troop);
    r.SetU8(BurnFuelRecord::kTerrainClass, terrainClass);
    r.SetU8(BurnFuelRecord::kAmount, amount);
    return Command(sink, r);
}

int WriteCommand26(CommandSink& sink, std::uint16_t troop) {
    return Command(sink, MakeTroopOnly(kOpClearOrders, troop));
}

int WriteCommand28(CommandSink& sink) {
    return Command(sink, MakeZeroWord(kCmdNothing28));
}

int WriteCommand29(CommandSink& sink) {
    return Command(sink, MakeZeroWord(kCmdNothing29));
}

int WriteGameEndCommand(CommandSink& sink, std::uint8_t winners, std::uint8_t losers,
                        std::uint16_t timeLimit) {
    auto r = Start<GameEndRecord>(kCmdGameEnd);
    r.SetU16(GameEndRecord::kWinners, winners);
    r.SetU16(GameEndRecord::kLosers, losers);
    r.SetU16(GameEndRecord::kTimeLimit, timeLimit);
    return Command(sink, r);
}

int WriteCommand31(CommandSink& sink, std::uint16_t troop, std::uint8_t value) {
    auto r = Start<StatusRecord>(kCmdStatus);
    r.SetU16(StatusRecord::kTroop, troop);
    r.SetU8(StatusRecord::kValue, value);
    return Command(sink, r);
}

int WriteCommand32(CommandSink& sink, std::uint16_t troop, std::uint8_t clearCounter,
                   std::uint8_t clearFlags) {
    auto r = Start<ClearActionRecord>(kCmdClearAction);
    r.SetU16(ClearActionRecord::kTroop, troop);
    r.SetU8(ClearActionRecord::kClearCounter, clearCounter);
    r.SetU8(ClearActionRecord::kClearFlags, clearFlags);
    return Command(sink, r);
}

int WriteSeedCommand(CommandSink& sink, std::uint16_t seed) {
    auto r = Start<SeedRecord>(kCmdSeed);
    r.SetU16(SeedRecord::kSeed, seed);
    return Command(sink, r);
}

int WriteCountryFallCommand(CommandSink& sink, std::uint8_t country, std::uint8_t keepState) {
    auto r = Start<CountryFallRecord>(kCmdCountryFall);
    r.SetU8(CountryFallRecord::kCountry, country);
    r.SetU8(CountryFallRecord::kKeepState, keepState);
    return Command(sink, r);
}

int WriteCommand36(CommandSink& sink, std::uint16_t troop, std::uint16_t supplyAfter,
                   const std::uint8_t* block) {
    return Command(sink, MakeMemberSettings(kCmdMemberSettings, troop, supplyAfter, block));
}

int WriteCommand38(CommandSink& sink, std::uint16_t troop, std::uint16_t formation) {
    return Command(sink, MakeFormation(kCmdFormation, troop, formation));
}

int WriteCommand40(CommandSink& sink, std::uint16_t forceTroop, std::uint8_t country) {
    return Command(sink, MakeWithdraw(kCmdWithdraw, forceTroop, country));
}

int WriteNoticeCommand(CommandSink& sink, std::uint16_t kind, std::uint8_t playerCountry) {
    auto r = Start<NoticeRecord>(kCmdNotice);
    r.SetU16(NoticeRecord::kKind, kind);
    r.SetU16(NoticeRecord::kCountry, playerCountry);
    return Command(sink, r);
}

int WriteCommand43(CommandSink& sink, std::uint16_t proposer, std::uint16_t addressee,
                   std::uint16_t kind) {
    return Command(sink, MakeProposal(kCmdAllianceProposal, proposer, addressee, kind));
}

int WriteCommand45(CommandSink& sink, std::uint16_t answerer, std::uint16_t proposer,
                   std::uint16_t kind, std::uint16_t accepted) {
    return Command(sink, MakeAnswer(kCmdAllianceChange, answerer, proposer, kind, accepted));
}

int WriteCommand46(CommandSink& sink, std::uint16_t forceTroop, std::uint16_t hex,
                   std::uint8_t country) {
    return Command(sink, MakeForceTroop(kOpPlace, forceTroop, hex, country));
}

}  // namespace zv::sim
