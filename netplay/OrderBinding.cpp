#include "netplay/OrderBinding.h"

#include <string>

#include "rules/context/TableDirectory.h"
#include "rules/records/Bytes.h"
#include "rules/records/MapRecords.h"
#include "rules/records/TroopRecord.h"
#include "simulation/CommandRecords.h"

namespace zv::net {

namespace {

// The country an order acts for, or -1 when it names none that exists.
int OrderCountry(rules::TableDirectory& tables, std::uint16_t opcode, const std::uint8_t* r) {
    using namespace sim;
    auto troopCountry = [&](std::size_t at) -> int {
        const std::uint16_t troop = rules::ReadU16(r, at);
        if (troop >= rules::kTroopTableLimit) return -1;
        const std::uint8_t* record = tables.GetTableBase(rules::TableId::Troop) +
                                     std::size_t{troop} * rules::kTroopRecordSize;
        return record[rules::TroopRecord::kCountry];
    };
    switch (opcode) {
        case kOpTarget:
            return troopCountry(TargetRecord::kTroop);
        case kOpClearOrders:
            return troopCountry(TroopOnlyRecord::kTroop);
        case kOrderTroopOrder:
            return troopCountry(TroopOrderRecord::kTroop);
        case kOrderMemberSettings:
            return troopCountry(MemberSettingsRecord::kTroop);
        case kOrderFormation:
            return troopCountry(FormationRecord::kTroop);
        case kOrderWithdraw:
            return r[WithdrawRecord::kCountry];
        case kOrderAllianceProposal:
            return rules::ReadU16(r, AllianceProposalRecord::kProposer);
        case kOrderAllianceAnswer:
            return rules::ReadU16(r, AllianceAnswerRecord::kAnswerer);
        case kOpPlace:
            return r[ForceTroopRecord::kCountry];
        default:
            return -1;
    }
}

}  // namespace

std::vector<std::uint8_t> FilterOrderPart(rules::TableDirectory& tables, std::uint8_t country,
                                          const std::uint8_t* data, std::uint32_t size,
                                          const std::function<void(std::string_view)>& log) {
    std::vector<std::uint8_t> kept;
    std::uint32_t pos = 0;
    while (pos < size) {
        const std::string where = "order at offset " + std::to_string(pos) +
                                  " of the part of country " + std::to_string(country) +
                                  " dropped: ";
        if (size - pos < 2) {
            log(where + "cut off inside its opcode");
            break;
        }
        const std::uint16_t opcode = rules::ReadU16(data, pos);
        const std::uint32_t length = sim::OrderRecordSize(opcode);
        if (length == 0) {
            // No order: nothing tells where the next one begins.
            log(where + "opcode " + std::to_string(opcode) + " is no order; the rest goes too");
            break;
        }
        if (length > size - pos) {
            log(where + "cut off by the end of the part");
            break;
        }
        const int acting = OrderCountry(tables, opcode, data + pos);
        if (country >= rules::kCountryCount || acting != country) {
            log(where + "order " + std::to_string(opcode) + " acts for country " +
                std::to_string(acting));
        } else {
            kept.insert(kept.end(), data + pos, data + pos + length);
        }
        pos += length;
    }
    return kept;
}

}  // namespace zv::net
