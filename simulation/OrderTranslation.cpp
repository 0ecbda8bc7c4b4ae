#include "simulation/OrderTranslation.h"

#include <optional>
#include <string>

#include "rules/context/ShadowGameContext.h"
#include "rules/records/Bytes.h"
#include "rules/records/ForceCursor.h"
#include "rules/records/TroopRecord.h"
#include "rules/troops/TroopOrders.h"
#include "simulation/CommandInterpreter.h"
#include "simulation/CommandRecords.h"
#include "simulation/Simulation.h"

namespace zv::sim {

using rules::ReadU16;

namespace {

class Translator {
  public:
    explicit Translator(Simulation& sim)
        : sim_(sim), shadow_(sim.Tables(), sim.ContextEnv()), force_(sim.Tables()) {}

    void Translate(std::uint16_t opcode, const std::uint8_t* r, std::uint32_t offset);

  private:
    void Drop(std::uint16_t opcode, std::uint32_t offset, const char* why) {
        sim_.Log("order " + std::to_string(opcode) + " at offset " + std::to_string(offset) +
                 " dropped: " + why);
    }

    Simulation& sim_;
    rules::ShadowGameContext shadow_;
    rules::ShadowForceCursor force_;
};

void Translator::Translate(std::uint16_t opcode, const std::uint8_t* r, std::uint32_t offset) {
    switch (opcode) {
        case kOpTarget: {
            const std::uint16_t troop = ReadU16(r, TargetRecord::kTroop);
            const std::uint16_t hex = ReadU16(r, TargetRecord::kHex);
            const std::uint8_t slot = r[TargetRecord::kSlot];
            rules::SetTroopTarget(shadow_, troop, hex, slot);
            WriteCommand15(sim_, troop, hex, slot);
            return;
        }
        case kOpClearOrders: {
            const std::uint16_t troop = ReadU16(r, TroopOnlyRecord::kTroop);
            rules::ClearTroopOrders(shadow_, troop);
            WriteCommand26(sim_, troop);
            return;
        }
        case kOrderTroopOrder: {
            // The shadow takes the order exactly as command 22 gives it to the live tables,
            // so both keep the same home troop and order time. Written whatever the shadow
            // makes of it: the live tables then fail alike.
            const TroopOrderValues v = TroopOrderValues::Read(r);
            rules::SetTroopOrder(shadow_, v.troop, v.destination, v.target,
                                 static_cast<std::uint8_t>(v.orderKind), v.actionFlags, v.weapons,
                                 v.parameterByte, v.orderHex, v.homeAction, v.homeTroop);
            WriteCommand22(sim_, v.troop, v.destination, v.target, v.orderKind, v.actionFlags,
                           v.weapons, v.parameterByte, v.orderHex, v.homeAction, v.homeTroop);
            return;
        }
        case kOrderMemberSettings: {
            const std::uint16_t troop = ReadU16(r, MemberSettingsRecord::kTroop);
            const std::uint16_t supplyAfter = ReadU16(r, MemberSettingsRecord::kSupplyAfter);
            const std::uint8_t* block = r + MemberSettingsRecord::kBlock;
            if (block[MemberSettingsBlock::kFormation] > kLastFormation) {
                Drop(opcode, offset, "no such formation");
                return;
            }
            WriteCommand36(sim_, troop, supplyAfter, block);
            ApplyMemberSettingsAndSupply(shadow_, troop, supplyAfter, block);
            return;
        }
        case kOrderFormation: {
            const std::uint16_t troop = ReadU16(r, FormationRecord::kTroop);
            const std::uint16_t formation = ReadU16(r, FormationRecord::kFormation);
            if ((formation & 0xFF) > kLastFormation) {
                Drop(opcode, offset, "no such formation");
                return;
            }
            WriteCommand38(sim_, troop, formation);
            if (shadow_.Troops().Select(troop)) {
                shadow_.Troops().SetCurrentFormation(static_cast<std::uint8_t>(formation));
            }
            return;
        }
        case kOrderWithdraw: {
            const std::uint16_t troop = ReadU16(r, WithdrawRecord::kForceTroop);
            const std::uint8_t country = r[WithdrawRecord::kCountry];
            if (country > kLastCountry) {
                Drop(opcode, offset, "no such country");
                return;
            }
            force_.SelectSlot(country);
            if (force_.SelectTroop(troop)) {
                force_.SetStateFlags(static_cast<std::uint16_t>(force_.GetStateFlags() &
                                                                ~rules::kTroopReinforcement));
                force_.SetHex(0xFFFF);
            }
            WriteCommand40(sim_, troop, country);
            return;
        }
        case kOrderAllianceProposal: {
            const std::uint16_t proposer = ReadU16(r, AllianceProposalRecord::kProposer);
            const std::uint16_t addressee = ReadU16(r, AllianceProposalRecord::kAddressee);
            if (proposer > kLastCountry ||
                (addressee > kLastCountry && addressee != kNoAddressee)) {
                Drop(opcode, offset, "no such country");
                return;
            }
            WriteCommand43(sim_, proposer, addressee, ReadU16(r, AllianceProposalRecord::kKind));
            return;
        }
        case kOrderAllianceAnswer: {
            const std::uint16_t a = ReadU16(r, AllianceAnswerRecord::kAnswerer);
            const std::uint16_t b = ReadU16(r, AllianceAnswerRecord::kProposer);
            const std::uint16_t kind = ReadU16(r, AllianceAnswerRecord::kKind);
            const std::uint16_t accepted = ReadU16(r, AllianceAnswerRecord::kAccepted);
            if (a > kLastCountry || b > kLastCountry) {
                Drop(opcode, offset, "no such country");
                return;
            }
            WriteCommand45(sim_, a, b, kind, accepted);
            if (accepted != 0) {
                ChangeAlliance(shadow_.Countries(), static_cast<std::uint8_t>(a),
                               static_cast<std::uint8_t>(b), kind);
            }
            return;
        }
        case kOpPlace: {
            const std::uint16_t troop = ReadU16(r, ForceTroopRecord::kForceTroop);
            const std::uint16_t hex = ReadU16(r, ForceTroopRecord::kHex);
            const std::uint8_t country = r[ForceTroopRecord::kCountry];
            if (country > kLastCountry) {
                Drop(opcode, offset, "no such country");
                return;
            }
            force_.PlaceTroopAt(troop, hex, country);
            WriteCommand46(sim_, troop, hex, country);
            return;
        }
        default:
            return;
    }
}

}  // namespace

int TranslateOrders(Simulation& sim, std::span<const std::uint8_t> buffer) {
    // Built on the first whole record: an empty journal costs no context.
    std::optional<Translator> translator;
    WalkRecords(
        buffer, OrderRecordSize, {"orders", "their", "end", "order"},
        [&](const std::string& line) { sim.Log(line); },
        [&](std::uint16_t opcode, const std::uint8_t* r, std::uint32_t pos) {
            if (!translator) translator.emplace(sim);
            translator->Translate(opcode, r, pos);
        });
    return 1;
}

}  // namespace zv::sim
