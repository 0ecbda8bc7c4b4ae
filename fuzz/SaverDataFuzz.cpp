// The screensavers' data: any bytes as a data file of the current folder, read as a hex map
// (both forms) and as a sprite index; a map that reads is fought over with combat tables cut
// from the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz/FuzzScratch.h"
#include "saver/SaverCore.h"
#include "saver/Title5Battle.h"

namespace {

// `count` bytes taken round and round from the input (an empty input gives zeros).
std::vector<std::uint8_t> Cycle(const std::vector<std::uint8_t>& bytes, std::size_t count) {
    std::vector<std::uint8_t> out(count, 0);
    if (!bytes.empty())
        for (std::size_t i = 0; i < count; ++i) out[i] = bytes[i % bytes.size()];
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zv::saver;
    static SaverState* state = [] {
        auto* s = new SaverState;
        s->env.currentDir = zv::fuzz::ScratchFolder();
        return s;
    }();
    zv::fuzz::PutInput("zv4.map", data, size);
    std::vector<std::uint8_t> file;
    if (!LoadDataFile(*state, "zv4.map", &file)) return 0;
    if (file.size() != size) std::abort();

    t5::Silhouette silhouette;
    const int number = size ? 1 + data[size - 1] % 16 : 1;
    t5::ReadSpriteIndex(file, number, 480, &silhouette);
    t5::FindSilhouette(file, number, 480, &silhouette);

    t5::Data d;
    const bool read = t5::ReadHexMap(file, false, &d.map);
    if (!t5::ReadHexMap(file, true, &d.map) && !read) return 0;
    d.kinds = Cycle(file, std::size_t(t5::kKinds) * t5::kKindSize);
    d.units = Cycle(file, std::size_t(t5::kUnits) * t5::kUnitSize);
    d.weapons = Cycle(file, 64 * t5::kWeaponSize);
    d.terrain = Cycle(file, 64 * t5::kTerrainSize);
    d.range = Cycle(file, 16);
    d.silhouettes = Cycle(file, 4 * t5::kSilhouetteSize);
    d.losses = Cycle(file, 64);
    SaverRandom random;
    random.Seed(static_cast<std::uint32_t>(size));
    t5::Battle battle;
    for (int i = 0; i < 4; ++i) t5::SetUpBattle(random, d, battle, i % 2 == 1);
    return 0;
}
