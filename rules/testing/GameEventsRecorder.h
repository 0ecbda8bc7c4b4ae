#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "rules/GameEvents.h"

namespace zv::rules::testing {

// Remembers every event in order, as "Name" or "Name(arg,...)", for tests to compare.
class GameEventsRecorder : public GameEvents {
public:
    void NewsReload(std::uint32_t first, std::uint8_t* records) override;
    void NewsClear() override { events.push_back("NewsClear"); }
    // Records "NewsAdd(kind)" and keeps a copy of the record.
    void NewsAdd(const std::uint8_t* record) override;
    void TerrainReloaded() override { events.push_back("TerrainReloaded"); }
    void MapRedraw() override { events.push_back("MapRedraw"); }
    void RefreshCampInfo() override { events.push_back("RefreshCampInfo"); }

    std::vector<std::string> events;
    std::uint8_t* lastNewsRecords = nullptr;
    std::vector<std::vector<std::uint8_t>> newsAdded;
};

}  // namespace zv::rules::testing
