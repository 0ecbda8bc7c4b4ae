// Maps of the other edition: the import's reader on any bytes, what it accepts applied to the
// editor's empty map, and both run-length decoders on the same bytes.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

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

    // The editor's empty map, made once and put back before each import.
    struct EmptyMap {
        rules::TableDirectory tables;
        std::vector<std::vector<std::uint8_t>> images;
    };
    static EmptyMap* empty = [] {
        auto* e = new EmptyMap;
        if (!e->tables.LoadAllTables(ZV_PROGRAM_DIR "/")) std::abort();
        rules::GameContext(e->tables).ResetAllGameTables();
        for (int i = 0; i < rules::kTableCount; ++i) {
            const std::uint8_t* base = e->tables.GetTableBase(static_cast<rules::TableId>(i));
            e->images.emplace_back(
                base, base + e->tables.GetTableTotalBytes(static_cast<rules::TableId>(i)));
        }
        return e;
    }();
    rules::OtherMapImage image;
    if (rules::ParseOtherMapFile(bytes, image)) {
        for (int i = 0; i < rules::kTableCount; ++i) {
            const auto id = static_cast<rules::TableId>(i);
            if (!rules::IsRuleTable(id) && !empty->images[std::size_t(i)].empty())
                std::memcpy(empty->tables.GetTableBase(id), empty->images[std::size_t(i)].data(),
                            empty->images[std::size_t(i)].size());
        }
        rules::ApplyOtherMap(empty->tables, image);
    }
    return 0;
}
