#pragma once

#include <cstdint>

#include "rules/records/TroopCursor.h"

namespace zv::rules {

// The one copy of a troop that the troop information windows show and edit: every cached
// cursor of a world shares it. One per world, owned by the windows' side.
struct TroopCache {
    TroopRecord record{};
    std::uint16_t cachedIndex = kNoTroop;
};

// A troop cursor whose record is the shared copy: selecting copies the troop from table 9
// unless it is the one already cached, so edits of the copy survive re-selection and changes
// of the table stay unseen until another troop is selected or the cache is reset.
class CachedTroopCursor : public TroopCursor {
  public:
    CachedTroopCursor(TableDirectory& tables, TroopCache& cache);

    TroopRecord* GetRecord() override { return &cache_->record; }
    // 0 for 0xFFFF or an index at or above the troop count. The cursor's own index stays.
    int Select(std::uint16_t n) override;
    // The next Select copies again.
    void ResetCache() { cache_->cachedIndex = kNoTroop; }

  private:
    TroopCache* cache_;
};

}  // namespace zv::rules
