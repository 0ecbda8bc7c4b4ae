// Maps of the other edition: the import's reader on any bytes, what it accepts applied to the
// editor's empty map, and both run-length decoders on the same bytes.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "rules/context/GameContext.h"
#include "rules/context/TableDirectory.h"
#include "rules/files/MapImport.h"
#include "rules/files/Rle.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zv;
    const std::span<const std::uint8_t> bytes(data, size);
    std::array<std::uint8_t, 4096> out{};
    const std::size_t declared = size >= 2 ? (data[0] | data[1] << 8) : 0;
    if (rules::RleDecodeBytes(bytes, declared, out) > int(out.size())) std::abort();
    rules::RleDecode(out, bytes, size ? data[0] % 3 : 0);

    static rules::TableDirectory* rulesOnly = [] {
        auto* t = new rules::TableDirectory;
        if (!t->LoadAllTables(ZV_PROGRAM_DIR "/")) std::abort();
        return t;
    }();
    rules::OtherMapImage image;
    if (rules::ParseOtherMapFile(bytes, image)) {
        rules::GameContext(*rulesOnly).ResetAllGameTables();
        rules::ApplyOtherMap(*rulesOnly, image);
    }
    return 0;
}
