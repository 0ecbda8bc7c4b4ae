// Writes saved games of both sizes (network and single play) of every default map, as seeds
// for the save fuzzer: zv_save_seeds OUTDIR.
#include <cstdio>
#include <filesystem>
#include <string>

#include "rules/context/GameContext.h"
#include "rules/context/GameEvents.h"
#include "rules/context/TableDirectory.h"
#include "rules/files/MapFiles.h"
#include "rules/records/Bytes.h"
#include "rules/records/MapRecords.h"

int main(int argc, char** argv) {
    using namespace zv::rules;
    if (argc < 2) return 2;
    const std::string out = argv[1];
    std::filesystem::create_directories(out);
    int written = 0;
    for (const char* map : {"MAP00001.ddm", "MAP00002.ddm", "MAP00003.ddm", "MAP00004.ddm"}) {
        for (int single = 0; single < 2; ++single) {
            TableDirectory tables;
            if (!tables.LoadAllTables(ZV_PROGRAM_DIR "/")) return 1;
            GameContext(tables).ResetAllGameTables();
            if (!LoadMapFromMapFolder(tables, NoGameEvents(), ZV_PROGRAM_DIR "/", map).ok) return 1;
            WriteS32(tables.GetTableBase(TableId::GameSettings), GameSettingsRecord::kSinglePlay,
                     single);
            const std::string path =
                out + "/" + std::string(map, 8) + (single ? "-single" : "-network") + ".ddg";
            if (!WriteSaveGame(tables, NoGameEvents(), path).ok) return 1;
            ++written;
        }
    }
    std::printf("%d saved games written to %s\n", written, out.c_str());
    return 0;
}
