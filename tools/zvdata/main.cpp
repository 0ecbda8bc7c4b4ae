// zvdata: builds the game's default data and checks game files.
//
//   zvdata build DIR [--data DATA]       writes the rule tables, USER, MAP, pictures, sounds and
//                                        music into DIR
//   zvdata check [--rules DIR] FILE...   checks rule tables, maps, saved games, corps, pictures,
//                                        WAVE and MIDI files
//   zvdata sheet FILE.bmp --png OUT.png [--scale N] [--grid WxH]   shows a picture as a PNG
//
// Exit status: 0 when everything built or every file is sound, 1 when something is wrong,
// 2 for a wrong command line, 12 when memory ran out.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/core/OutOfMemory.h"
#include "tools/zvdata/ContentBuild.h"
#include "tools/zvdata/GameFileCheck.h"
#include "tools/zvdata/art/ArtBuild.h"
#include "tools/zvdata/art/SheetPng.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: zvdata build DIR [--data DATA_DIR]\n"
                 "       zvdata check [--rules DIR] FILE...\n"
                 "       zvdata sheet FILE.bmp --png OUT.png [--scale N] [--grid WxH]\n");
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

bool IsPicture(const std::string& file) {
    if (file.size() < 4) return false;
    std::string ext = file.substr(file.size() - 4);
    for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".bmp";
}

int Sheet(const std::vector<std::string>& args) {
    std::string file, png;
    zv::zvdata::art::SheetOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--png" && i + 1 < args.size()) {
            png = args[++i];
        } else if (args[i] == "--scale" && i + 1 < args.size()) {
            options.scale = std::atoi(args[++i].c_str());
            if (options.scale < 1 || options.scale > 16) return Usage();
        } else if (args[i] == "--grid" && i + 1 < args.size()) {
            if (std::sscanf(args[++i].c_str(), "%dx%d", &options.cellW, &options.cellH) != 2 ||
                options.cellW < 1 || options.cellH < 1)
                return Usage();
        } else if (file.empty() && args[i].rfind("--", 0) != 0) {
            file = args[i];
        } else {
            return Usage();
        }
    }
    if (file.empty() || png.empty()) return Usage();
    std::string error;
    if (!zv::zvdata::art::WriteSheetPng(file, png, options, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    return 0;
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
        if (IsPicture(file)) {
            const zv::zvdata::art::ArtCheck check =
                zv::zvdata::art::CheckArtFile(file, ZVDATA_DEFAULT_DATA_DIR);
            ok = ok && check.ok;
            if (check.ok) std::printf("%s\n", check.summary.c_str());
            for (const std::string& problem : check.problems)
                std::fprintf(stderr, "%s\n", problem.c_str());
            continue;
        }
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
    zv::core::InstallOutOfMemoryExit("zvdata");
    if (argc < 2) return Usage();
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "build") return Build(args);
    if (command == "check") return Check(args);
    if (command == "sheet") return Sheet(args);
    return Usage();
}
