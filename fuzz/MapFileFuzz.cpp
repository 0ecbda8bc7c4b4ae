// Map files and the editor's snapshots: the game's loaders and the file checker on any image,
// read from memory. The first input byte chooses what the rest is: '0' (mod 4) the whole file
// as it stands, '2' patches on a snapshot of a shipped map, any other patches on that map.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "fuzz/FuzzImage.h"
#include "fuzz/FuzzScratch.h"
#include "platform/core/Files.h"
#include "rules/context/GameEvents.h"
#include "rules/context/TableDirectory.h"
#include "rules/files/MapFiles.h"
#include "tools/zvdata/GameFileCheck.h"

namespace {

struct Bases {
    zv::rules::TableDirectory loader;   // what the game's loaders fill
    zv::rules::TableDirectory checker;  // the rule tables the checker restores images beside
    zv::fuzz::PatchedImage map, snapshot;
};

Bases& GetBases() {
    using namespace zv;
    static Bases* bases = [] {
        auto* b = new Bases;
        if (!b->checker.LoadAllTables(ZV_PROGRAM_DIR "/")) std::abort();
        auto map = core::ReadWholeFile(ZV_PROGRAM_DIR "/MAP/MAP00001.ddm");
        if (!map) std::abort();
        b->map = fuzz::PatchedImage(*map);
        // A snapshot of that map, written the way the editor writes one.
        rules::TableDirectory tables;
        if (!rules::LoadMapImage(tables, rules::NoGameEvents(), "MAP00001.ddm", *map)) std::abort();
        const std::string path = fuzz::ScratchFolder() + "MAP/snapshot";
        if (!rules::WriteUndoMapFile(tables, path)) std::abort();
        auto snapshot = core::ReadWholeFile(path);
        if (!snapshot) std::abort();
        b->snapshot = fuzz::PatchedImage(*snapshot);
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
                    : (choice == 2 ? bases.snapshot : bases.map).Apply(data + 1, size - 1);
    rules::LoadMapImage(bases.loader, rules::NoGameEvents(), "FUZZ.ddm", image);
    rules::ReadUndoMapImage(bases.loader, "FUZZ.ddm", image);
    zvdata::CheckGameFileImage("FUZZ.ddm", image, bases.checker);
    return 0;
}
