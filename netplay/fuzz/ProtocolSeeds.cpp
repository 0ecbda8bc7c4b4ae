// Writes the protocol fuzzer's seeds made from the message rows into a folder, one file each.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "netplay/fuzz/ProtocolFuzz.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    int n = 0;
    for (const auto& seed : zv::net::ProtocolFuzzSeeds()) {
        const std::filesystem::path file = folder / ("row-" + std::to_string(++n));
        std::ofstream out(file, std::ios::binary);
        out.write(reinterpret_cast<const char*>(seed.data()),
                  static_cast<std::streamsize>(seed.size()));
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", file.string().c_str());
            return 1;
        }
    }
    return 0;
}
