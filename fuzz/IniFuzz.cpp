// The settings file: any bytes as settings text, read for the keys the game asks for, then keys
// stored and read back; once a run also through a file, as the game reads ZV6WIN.INI.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz/FuzzScratch.h"
#include "platform/core/IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zv;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const char* section : {"Environ", "Windows", "FILE", "environ "}) {
        for (const char* key : {"GameSpeed", "BGM", "MapSize", "Map", "UserName", "MAPFILE"}) {
            if (auto value = core::IniFindValue(text, section, key)) core::IniParseInt(*value);
        }
    }
    // A stored key reads back as stored, whatever the text held before.
    for (const char* section : {"Windows", "New"}) {
        const std::optional<std::string> stored =
            core::IniStoreValue(text, section, "Map", "1,2,3,4,5");
        if (!stored || core::IniFindValue(*stored, section, "Map") != "1,2,3,4,5") std::abort();
    }
    // The file reader on the same bytes finds what the text reader finds.
    const std::string path = fuzz::PutInput("ZV6WIN.INI", data, size);
    if (core::IniGetString(path, "Windows", "Map", "\x01") !=
        core::IniFindValue(text, "Windows", "Map").value_or("\x01"))
        std::abort();
    return 0;
}
