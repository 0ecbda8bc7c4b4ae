// The title page's recorded game (Zv6open/opn0001.opn): the opening's loader and the file
// checker on any image, read from memory. The first input byte chooses what the rest is: '0'
// (mod 2) the whole file as it stands, '1' patches on the shipped recording.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "fuzz/FuzzImage.h"
#include "platform/core/Files.h"
#include "rules/context/GameEvents.h"
#include "rules/context/TableDirectory.h"
#include "rules/files/MapFiles.h"
#include "tools/zvdata/GameFileCheck.h"

namespace {

struct Bases {
    zv::rules::TableDirectory loader;   // what the game's loaders fill
    zv::rules::TableDirectory checker;  // the rule tables the checker restores images beside
    zv::fuzz::PatchedImage recording;
};

Bases& GetBases() {
    static Bases* bases = [] {
        auto* b = new Bases;
        if (!b->checker.LoadAllTables(ZV_PROGRAM_DIR "/")) std::abort();
        auto recording = zv::core::ReadWholeFile(ZV_PROGRAM_DIR "/Zv6open/opn0001.opn");
        if (!recording) std::abort();
        b->recording = zv::fuzz::PatchedImage(*recording);
        return b;
    }();
    return *bases;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zv;
    if (size == 0) return 0;
    Bases& bases = GetBases();
    const std::span<const std::uint8_t> image =
        data[0] % 2 == 0 ? std::span<const std::uint8_t>(data + 1, size - 1)
                         : bases.recording.Apply(data + 1, size - 1);
    rules::LoadOpeningImage(bases.loader, rules::NoGameEvents(), "opn0001.opn", image);
    zvdata::CheckGameFileImage("opn0001.opn", image, bases.checker);
    return 0;
}
