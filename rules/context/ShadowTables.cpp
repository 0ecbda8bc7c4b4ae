#include "rules/context/ShadowTables.h"

namespace zv::rules {

void SnapshotGameBlocks(TableDirectory& tables) {
    for (int id = ToIndex(TableId::Site); id <= ToIndex(TableId::Force); ++id) {
        const auto live = static_cast<TableId>(id);
        tables.CopyTable(live, ShadowOf(live));
    }
}

std::uint64_t HashShadowTables(const TableDirectory& tables) {
    return tables.HashTables({TableId::ShadowSite, TableId::ShadowTroop, TableId::ShadowHex,
                              TableId::ShadowHexInfo, TableId::ShadowCountry,
                              TableId::ShadowScenarioHeader, TableId::ShadowForce});
}

}  // namespace zv::rules
