// The settings file: any bytes as ZV6WIN.INI, read for the keys the game asks for, then one key
// written and read back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/FuzzScratch.h"
#include "platform/core/IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zv;
    const std::string path = fuzz::PutInput("ZV6WIN.INI", data, size);
    for (const char* section : {"Environ", "Windows", "FILE", "NETWORK"}) {
        for (const char* key : {"GameSpeed", "BGM", "MapSize", "Map", "UserName", "MAPFILE"}) {
            core::IniGetInt(path, section, key, -7);
            core::IniGetString(path, section, key, "none");
        }
    }
    if (core::IniWriteString(path, "Windows", "Map", "1,2,3,4,5")) {
        if (core::IniGetString(path, "Windows", "Map", "") != "1,2,3,4,5") std::abort();
    }
    return 0;
}
