// Map files: the game's loader and the file checker on any bytes.
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzScratch.h"
#include "rules/context/GameEvents.h"
#include "rules/context/TableDirectory.h"
#include "rules/files/MapFiles.h"
#include "tools/zvdata/GameFileCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zv;
    const std::string path = fuzz::PutInput("MAP/FUZZ.ddm", data, size);
    rules::TableDirectory tables;
    rules::LoadMapFromMapFolder(tables, rules::NoGameEvents(), fuzz::ScratchFolder(), "FUZZ.ddm");
    rules::ReadUndoMapFile(tables, path);
    zvdata::CheckGameFile(path, fuzz::ScratchFolder());
    return 0;
}
