// Saved games: the game's loader and the file checker on any image, read from memory. The first
// input byte chooses what the rest is: '0' (mod 4) the whole file as it stands, '1' patches on
// a network game's save of a shipped map, any other patches on a single-play save of it (with
// the news log).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "fuzz/FuzzImage.h"
#include "fuzz/FuzzScratch.h"
#include "platform/core/Files.h"
#include "rules/context/GameContext.h"
#include "rules/context/GameEvents.h"
#include "rules/context/TableDirectory.h"
#include "rules/files/MapFiles.h"
#include "rules/records/Bytes.h"
#include "rules/records/MapRecords.h"
#include "tools/zvdata/GameFileCheck.h"

namespace {

struct Bases {
    zv::rules::TableDirectory loader;   // what the game's loaders fill
    zv::rules::TableDirectory checker;  // the rule tables the checker restores images beside
    zv::fuzz::PatchedImage network, single;
};

// A save of the map, written as the game writes one.
std::vector<std::uint8_t> MakeSave(bool single) {
    using namespace zv::rules;
    TableDirectory tables;
    if (!tables.LoadAllTables(ZV_PROGRAM_DIR "/")) std::abort();
    GameContext(tables).ResetAllGameTables();
    if (!LoadMapFromMapFolder(tables, NoGameEvents(), ZV_PROGRAM_DIR "/", "MAP00001.ddm"))
        std::abort();
    WriteS32(tables.GetTableBase(TableId::GameSettings), GameSettingsRecord::kSinglePlay, single);
    const std::string path = zv::fuzz::ScratchFolder() + "SAVE/base.ddg";
    if (!WriteSaveGame(tables, NoGameEvents(), path)) std::abort();
    auto image = zv::core::ReadWholeFile(path);
    if (!image) std::abort();
    return *image;
}

Bases& GetBases() {
    static Bases* bases = [] {
        auto* b = new Bases;
        if (!b->checker.LoadAllTables(ZV_PROGRAM_DIR "/")) std::abort();
        b->network = zv::fuzz::PatchedImage(MakeSave(false));
        b->single = zv::fuzz::PatchedImage(MakeSave(true));
        return b;
    }();
    return *bases;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zv;
    if (size == 0) return 0;
    Bases& bases = GetBases();
    const int choice = data[0] % 4;
    const std::span<const std::uint8_t> image =
        choice == 0 ? std::span<const std::uint8_t>(data + 1, size - 1)
                    : (choice == 1 ? bases.network : bases.single).Apply(data + 1, size - 1);
    rules::LoadSaveGameImage(bases.loader, rules::NoGameEvents(), "FUZZ.ddg", image);
    zvdata::CheckGameFileImage("FUZZ.ddg", image, bases.checker);
    return 0;
}
