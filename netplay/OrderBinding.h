#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace zv::rules {
class TableDirectory;
}

namespace zv::net {

// The orders of one participant's part that act for `country` (0-3; anything else leads no
// country and keeps nothing). An order names its country directly (withdrawal, alliance,
// placement) or through its troop; an order for another country, for a troop that does not
// exist, with an opcode that is no order, or cut off by the end is dropped with a log line.
std::vector<std::uint8_t> FilterOrderPart(rules::TableDirectory& tables, std::uint8_t country,
                                          const std::uint8_t* data, std::uint32_t size,
                                          const std::function<void(std::string_view)>& log);

}  // namespace zv::net
