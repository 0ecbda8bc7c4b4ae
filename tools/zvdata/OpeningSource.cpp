#include "tools/zvdata/OpeningSource.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/core/Files.h"
#include "rules/files/GameFileIo.h"
#include "rules/files/MapFiles.h"
#include "rules/records/MapCursors.h"
#include "simulation/ClockStepWorld.h"
#include "simulation/Judgement.h"
#include "tools/zvdata/GameFileCheck.h"
#include "tools/zvdata/SourceText.h"

namespace zv::zvdata {

bool ParseOpeningSource(const std::string& name, const std::string& utf8, OpeningSource& out,
                        std::string& error) {
    OpeningSource s;
    bool seen[5] = {};
    for (const SourceLine& line : ReadSourceLines(utf8)) {
        const std::string at = name + ":" + std::to_string(line.number) + ": ";
        std::string key, value;
        if (!SplitSetting(line.text, key, value)) {
            error = at + "expected \"key = value\"";
            return false;
        }
        long n = 0;
        if (key == "file" && !value.empty()) {
            s.file = value;
            seen[0] = true;
        } else if (key == "map" && !value.empty()) {
            s.map = value;
            seen[1] = true;
        } else if (key == "seed" && ParseInt(value, 0, 0x7FFFFFFF, n)) {
            s.seed = n;
            seen[2] = true;
        } else if (key == "minutes" && ParseInt(value, 1, 100000, n)) {
            s.minutes = n;
            seen[3] = true;
        } else if (key == "player" && ParseInt(value, 0, rules::kCountryCount - 1, n)) {
            s.player = n;
            seen[4] = true;
        } else {
            error = at + "unknown setting or bad value: " + line.text;
            return false;
        }
    }
    static const char* const kKeys[] = {"file", "map", "seed", "minutes", "player"};
    for (int k = 0; k < 5; ++k) {
        if (!seen[k]) {
            error = name + ": \"" + kKeys[k] + "\" is missing";
            return false;
        }
    }
    out = s;
    return true;
}

bool BuildOpeningGame(const OpeningSource& source, const std::string& programDir, std::string& error) {
    sim::HeadlessGame game;
    if (!game.Load(programDir, source.map, error)) return false;
    sim::HeadlessStartOptions options;
    options.computerAll = true;
    options.seed = static_cast<std::uint32_t>(source.seed);
    game.BeginPlay(options);
    for (long m = 0; m < source.minutes; ++m) {
        game.Step();
        if (game.Outcome().over) {
            error = source.map + ": the game ended after " + std::to_string(m + 1) +
                    " minutes, before the recording's " + std::to_string(source.minutes);
            return false;
        }
    }
    rules::TableDirectory& tables = game.Tables();
    rules::CountryCursor countries(tables);
    if (!countries.Select(static_cast<int>(source.player)) ||
        countries.GetState() != sim::kCountryInPlay) {
        error = source.map + ": country " + std::to_string(source.player) +
                " is no longer in play at the end of the recording";
        return false;
    }
    // A person's country that the computer leads as well: the demonstration shows it without
    // anyone giving orders.
    countries.SetParticipation(sim::kPlayedByParticipantToo);

    const std::filesystem::path target = std::filesystem::path(programDir) / source.file;
    std::error_code ec;
    std::filesystem::create_directories(target.parent_path(), ec);
    rules::GameEvents events;
    const rules::FileStatus written = rules::WriteSaveGame(tables, events, target.string());
    if (!written) {
        error = target.string() + ": " + written.error;
        return false;
    }
    return true;
}

void BuildOpeningGames(const std::string& dataDir, const std::string& programDir, BuildReport& report) {
    const std::string folder = dataDir + "/opening";
    for (const std::string& name : core::ListDirectory(folder, "opn????.txt")) {
        std::ifstream in(folder + "/" + name, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        OpeningSource source;
        std::string error;
        if (!ParseOpeningSource(name, text.str(), source, error) ||
            !BuildOpeningGame(source, programDir, error)) {
            report.problems.push_back(error);
            continue;
        }
        const FileCheck check = CheckGameFile((std::filesystem::path(programDir) / source.file).string(), programDir);
        if (check.ok) {
            report.written.push_back(check.summary);
        } else {
            report.problems.insert(report.problems.end(), check.problems.begin(), check.problems.end());
        }
    }
}

}  // namespace zv::zvdata
