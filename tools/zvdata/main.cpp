// zvdata: builds the game's default data and checks game files.
//
//   zvdata build DIR [--data DATA]       writes the rule tables, USER, MAP, sounds and music
//   zvdata check [--rules DIR] FILE...   checks rule tables, maps, saved games, corps, WAVE and
//                                        MIDI files
//
// Exit status: 0 when everything built or every file is sound, 1 when something is wrong,
// 2 for a wrong command line.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/zvdata/ContentBuild.h"
#include "tools/zvdata/GameFileCheck.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: zvdata build DIR [--data DATA_DIR]\n"
                 "       zvdata check [--rules DIR] FILE...\n");
    return 2;
}

int Build(const std::vector<std::string>& args) {
    std::string programDir, dataDir = ZVDATA_DEFAULT_DATA_DIR;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--data" && i + 1 < args.size())
            dataDir = args[++i];
        else if (programDir.empty() && args[i].rfind("--", 0) != 0)
            programDir = args[i];
        else
            return Usage();
    }
    if (programDir.empty()) return Usage();
    const zv::zvdata::BuildReport report = zv::zvdata::BuildContent(dataDir, programDir);
    for (const std::string& line : report.written) std::printf("%s\n", line.c_str());
    for (const std::string& line : report.problems) std::fprintf(stderr, "%s\n", line.c_str());
    if (!report.ok) std::fprintf(stderr, "zvdata: the build failed\n");
    return report.ok ? 0 : 1;
}

int Check(const std::vector<std::string>& args) {
    std::string ruleDir;
    std::vector<std::string> files;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--rules" && i + 1 < args.size())
            ruleDir = args[++i];
        else
            files.push_back(args[i]);
    }
    if (files.empty()) return Usage();
    bool ok = true;
    for (const std::string& file : files) {
        const zv::zvdata::FileCheck check = zv::zvdata::CheckGameFile(file, ruleDir);
        if (check.ok) {
            std::printf("%s\n", check.summary.c_str());
        } else {
            ok = false;
            for (const std::string& problem : check.problems)
                std::fprintf(stderr, "%s\n", problem.c_str());
        }
    }
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "build") return Build(args);
    if (command == "check") return Check(args);
    return Usage();
}
