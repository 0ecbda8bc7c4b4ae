#include "rules/testing/GameEventsRecorder.h"

namespace zv::rules::testing {

void GameEventsRecorder::NewsReload(std::uint32_t first, std::uint8_t* records) {
    events.push_back("NewsReload(" + std::to_string(first) + ")");
    lastNewsRecords = records;
}

void GameEventsRecorder::NewsAdd(const std::uint8_t* record) {
    events.push_back("NewsAdd(" + std::to_string(record[0]) + ")");
    newsAdded.emplace_back(record, record + 1008);
}

void GameEventsRecorder::NewsPosted(const std::uint8_t* record) {
    events.push_back("NewsPosted(" + std::to_string(record[0]) + ")");
    newsPosted.emplace_back(record, record + 1008);
}

}  // namespace zv::rules::testing
