#pragma once

#include <cstdint>

#include "rules/context/TableDirectory.h"

namespace zv::sim::testing {

// Live and shadow copies of the tables orders and commands change.
inline std::uint64_t LiveHash(const rules::TableDirectory& t) {
    using rules::TableId;
    return t.HashTables(
        {TableId::Site, TableId::Troop, TableId::Country, TableId::ScenarioHeader, TableId::Force});
}

inline std::uint64_t ShadowHash(const rules::TableDirectory& t) {
    using rules::TableId;
    return t.HashTables({TableId::ShadowSite, TableId::ShadowTroop, TableId::ShadowCountry,
                         TableId::ShadowScenarioHeader, TableId::ShadowForce});
}

}  // namespace zv::sim::testing
