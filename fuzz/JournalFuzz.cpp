// The journal interpreter of a network client: any bytes as a step's journal, executed on a
// replica world that starts from the same tables every time.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <string>

#include "simulation/ClockStepWorld.h"

namespace {

struct Worlds {
    zv::sim::HeadlessGame pristine;
    zv::sim::HeadlessGame replica;
};

Worlds& GetWorlds() {
    static Worlds* worlds = [] {
        auto* w = new Worlds;
        std::string error;
        if (!w->pristine.Load(ZV_PROGRAM_DIR "/", "MAP00001.ddm", error)) std::abort();
        zv::sim::HeadlessStartOptions options;
        options.computerAll = true;
        w->pristine.BeginPlay(options);
        w->replica.CopyTablesFrom(w->pristine.Tables());
        w->replica.BeginAsReplica(1);
        return w;
    }();
    return *worlds;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Worlds& worlds = GetWorlds();
    worlds.replica.CopyTablesFrom(worlds.pristine.Tables());
    worlds.replica.ExecuteJournal(std::span<const std::uint8_t>(data, size));
    return 0;
}
