#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

// A folder of the fuzzing process (the rule tables of the program directory copied in, MAP,
// SAVE and USER beside them) into which each input is written as the file a reader opens.
namespace zv::fuzz {

inline const std::string& ScratchFolder() {
    static const std::string folder = [] {
        namespace fs = std::filesystem;
        const fs::path dir = fs::temp_directory_path() / ("zv-fuzz-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        for (const char* sub : {"MAP", "SAVE", "USER"}) fs::create_directories(dir / sub);
        for (const char* table :
             {"landkind.dat", "mvcostkd.dat", "DefencDk.dat", "ActionKd.dat", "unitkind.dat",
              "weaponkd.dat", "sitekind.dat", "unitinfo.dat", "prokind.dat"})
            fs::copy_file(fs::path(ZV_PROGRAM_DIR) / table, dir / table,
                          fs::copy_options::overwrite_existing);
        std::atexit([] {
            fs::remove_all(fs::temp_directory_path() / ("zv-fuzz-" + std::to_string(::getpid())));
        });
        return dir.string() + "/";
    }();
    return folder;
}

// Writes the input as `relative` inside the scratch folder; returns its path.
inline std::string PutInput(const char* relative, const std::uint8_t* data, std::size_t size) {
    const std::string path = ScratchFolder() + relative;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    if (size && std::fwrite(data, 1, size, f) != size) std::abort();
    std::fclose(f);
    return path;
}

}  // namespace zv::fuzz
