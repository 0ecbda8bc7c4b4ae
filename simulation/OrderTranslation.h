#pragma once

#include <cstdint>
#include <span>

namespace zv::sim {

class Simulation;

// Turns the gathered orders of one step into commands: for each order the change on the shadow
// tables (so the rest of the step sees it) and the command that makes every participant apply
// the same change to its live tables. `buffer` starts with the 32-bit length (counting its own
// four bytes), then the orders. An opcode without an order meaning is stepped over as two
// bytes; an order cut short by the length, and an order naming a country or formation that
// does not exist, is dropped with a log line. Returns 1.
int TranslateOrders(Simulation& sim, std::span<const std::uint8_t> buffer);

}  // namespace zv::sim
