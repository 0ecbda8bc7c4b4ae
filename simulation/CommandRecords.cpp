#include "simulation/CommandRecords.h"

namespace zv::sim {

int BuildAllianceAnswerOrder(OrderSink& sink, std::uint16_t answerer, std::uint16_t proposer,
                             std::uint16_t kind, int answer) {
    return BuildOrder<AllianceAnswerOrder>(
        sink, {.answerer = answerer,
               .proposer = proposer,
               .kind = kind,
               .accepted = static_cast<std::uint16_t>(answer == 1 ? 1 : 0)});
}

}  // namespace zv::sim
