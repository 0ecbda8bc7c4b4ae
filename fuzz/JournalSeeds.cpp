// Writes the journals of the first steps of a computer-only game, one file each, as seeds for
// the journal fuzzer: zv_journal_seeds OUTDIR [STEPS].
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "simulation/ClockStepWorld.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: zv_journal_seeds OUTDIR [STEPS]\n");
        return 2;
    }
    const std::string out = argv[1];
    const int steps = argc > 2 ? std::atoi(argv[2]) : 400;
    std::filesystem::create_directories(out);
    zv::sim::HeadlessGame game;
    std::string error;
    if (!game.Load(ZV_PROGRAM_DIR "/", "MAP00001.ddm", error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    zv::sim::HeadlessStartOptions options;
    options.computerAll = true;
    game.BeginPlay(options);
    int written = 0;
    game.SetJournalTap([&](std::span<const std::uint8_t> journal) {
        // Journals that only carry the clock are alike; keep one of every size.
        const std::string path = out + "/journal-" + std::to_string(journal.size());
        if (std::filesystem::exists(path)) return;
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (!f) return;
        std::fwrite(journal.data(), 1, journal.size(), f);
        std::fclose(f);
        ++written;
    });
    for (int i = 0; i < steps && !game.Outcome().over; ++i) game.Step();
    std::printf("%d journals written to %s\n", written, out.c_str());
    return written > 0 ? 0 : 1;
}
