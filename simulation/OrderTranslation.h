#pragma once

#include <cstdint>
#include <span>

#include "simulation/CommandRecords.h"

namespace zv::rules {
class GameContext;
}

namespace zv::sim {

class Simulation;

// Turns the gathered orders of one step into commands: for each order the change on the shadow
// tables (so the rest of the step sees it) and the command that makes every participant apply
// the same change to its live tables. `buffer` starts with the 32-bit length (counting its own
// four bytes), then the orders. An opcode without an order meaning is stepped over as two
// bytes; an order cut short by the length, and an order naming a country or formation that
// does not exist, is dropped with a log line. Returns 1.
int TranslateOrders(Simulation& sim, std::span<const std::uint8_t> buffer);

// Where no game runs, no clock step turns the orders into commands: this sink applies each order
// it is given at once to `tables`, as its command changes the live tables in a game (the order's
// refusal, then the change the command makes). AppendOrder gives 1 when the order applied; 0 for
// a refused order, a record of the wrong size, or an order whose command needs a running game.
class ImmediateOrders : public OrderSink {
  public:
    explicit ImmediateOrders(rules::GameContext& tables) : tables_(tables) {}
    int AppendOrder(const std::uint8_t* record, std::uint32_t size) override;

  private:
    rules::GameContext& tables_;
};

}  // namespace zv::sim
