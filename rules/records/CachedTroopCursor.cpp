#include "rules/records/CachedTroopCursor.h"

namespace zv::rules {

CachedTroopCursor::CachedTroopCursor(TableDirectory& tables, TroopCache& cache)
    : UnitKindCursor(tables),
      MvcostKdCursor(tables),
      DefencDkCursor(tables),
      ActionKdCursor(tables),
      UnitInfoCursor(tables),
      TroopCursor(tables),
      cache_(&cache) {}

int CachedTroopCursor::Select(std::uint16_t n) {
    if (n == kNoTroop || n >= Tables().GetTableRecordCount(troopTable_)) return 0;
    if (n == cache_->cachedIndex) return 1;
    cache_->cachedIndex = n;
    cache_->record = *TroopAt(Tables().GetTableBase(troopTable_), n);
    return 1;
}

}  // namespace zv::rules
