#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "rules/context/GameEvents.h"

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
    // Records "NewsPosted(kind)" and keeps a copy of the record.
    void NewsPosted(const std::uint8_t* record) override;
    void MapTroopRemoved(std::uint16_t troop) override {
        events.push_back("MapTroopRemoved(" + std::to_string(troop) + ")");
    }
    void PanelTroopRemoved(std::uint16_t troop) override {
        events.push_back("PanelTroopRemoved(" + std::to_string(troop) + ")");
    }
    void RefreshTroopListWindow() override { events.push_back("RefreshTroopListWindow"); }
    void PlaySoundEffect(int effect) override {
        events.push_back("PlaySoundEffect(" + std::to_string(effect) + ")");
    }

    std::vector<std::string> events;
    std::uint8_t* lastNewsRecords = nullptr;
    std::vector<std::vector<std::uint8_t>> newsAdded;
    std::vector<std::vector<std::uint8_t>> newsPosted;
};

}  // namespace zv::rules::testing
