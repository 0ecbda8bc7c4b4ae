#include "rules/testing/GameEventsRecorder.h"

namespace zv::rules::testing {

void GameEventsRecorder::NewsReload(std::uint32_t first, std::uint8_t* records) {
    events.push_back("NewsReload(" + std::to_string(first) + ")");
    lastNewsRecords = records;
}

}  // namespace zv::rules::testing
