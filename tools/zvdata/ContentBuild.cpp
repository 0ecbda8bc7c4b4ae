#include "tools/zvdata/ContentBuild.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/core/Files.h"
#include "rules/context/TableDirectory.h"
#include "rules/files/DatFile.h"
#include "rules/files/GameFileIo.h"
#include "rules/files/MapFiles.h"
#include "rules/records/ForceCursor.h"
#include "tools/zvdata/CorpsSource.h"
#include "tools/zvdata/GameFileCheck.h"
#include "tools/zvdata/MapSource.h"
#include "tools/zvdata/OpeningSource.h"
#include "tools/zvdata/RuleCsv.h"
#include "tools/zvdata/RuleSetCheck.h"
#include "tools/zvdata/audio/AudioBuild.h"
#include "tools/zvdata/art/ArtBuild.h"
#include "tools/zvdata/movie/MovieSource.h"
#include "tools/zvdata/saver/SaverData.h"

namespace zv::zvdata {

namespace {

bool ReadText(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::stringstream buffer;
    buffer << in.rdbuf();
    text = buffer.str();
    return true;
}

// Source files of a folder whose names match, sorted.
std::vector<std::string> Sources(const std::string& folder, const char* pattern) {
    return core::ListDirectory(folder, pattern);
}

std::string Stem(const std::string& name) {
    return std::filesystem::path(name).stem().string();
}

bool EnsureFolder(const std::string& path, BuildReport& report) {
    if (core::DirectoryExists(path) || core::CreateDirectory(path)) return true;
    report.problems.push_back(path + ": cannot create the folder");
    return false;
}

void RecordCheck(const std::string& path, const std::string& ruleDir, BuildReport& report) {
    const FileCheck check = CheckGameFile(path, ruleDir);
    if (check.ok)
        report.written.push_back(check.summary);
    else
        report.problems.insert(report.problems.end(), check.problems.begin(), check.problems.end());
}

bool BuildRuleTables(const std::string& dataDir, const std::string& programDir,
                     rules::TableDirectory& tables, BuildReport& report) {
    std::vector<RuleTableImage> images;
    std::vector<std::string> sources;
    for (const RuleCsvTable& table : GetRuleCsvTables()) {
        const std::string path = dataDir + "/rules/" + table.csvName;
        std::string utf8, sjis, error;
        if (!ReadText(path, utf8)) {
            report.problems.push_back(path + ": cannot be read");
            return false;
        }
        RuleTableImage image;
        if (!CsvSourceToSjis(table.csvName, utf8, sjis, error) ||
            !CompileRuleCsv(table.id, table.csvName, sjis, image, error)) {
            report.problems.push_back(error);
            return false;
        }
        tables.InstallRuleTable(table.id, image.count, image.body, kRuleTableId);
        images.push_back(std::move(image));
        sources.push_back(std::move(sjis));
    }
    const std::vector<std::string> problems = CheckRuleTables(tables);
    if (!problems.empty()) {
        report.problems.insert(report.problems.end(), problems.begin(), problems.end());
        return false;
    }
    // The source must come back unchanged from the game's own export.
    for (std::size_t i = 0; i < images.size(); ++i) {
        const RuleCsvTable& table = GetRuleCsvTables()[i];
        if (BuildRuleCsv(tables, table.id) != sources[i]) {
            report.problems.push_back(std::string(table.csvName) +
                                      ": the export of the compiled table differs from the source");
            return false;
        }
    }
    for (const RuleTableImage& image : images) {
        std::string error;
        const std::string path =
            rules::JoinGamePath(programDir, rules::GetTableLayout(image.id).fileName);
        if (!rules::WriteDatFile(path, rules::DatFileKindOf(image.id), image.count, image.body,
                                 kRuleTableId, error)) {
            report.problems.push_back(error);
            return false;
        }
        RecordCheck(path, programDir, report);
    }
    // The game reads what was written.
    rules::TableDirectory loaded;
    if (!loaded.LoadAllTables(programDir)) {
        report.problems.push_back("the written rule tables do not load: " + loaded.LastError());
        return false;
    }
    return report.problems.empty();
}

}  // namespace

BuildReport BuildContent(const std::string& dataDir, const std::string& programDir) {
    BuildReport report;
    if (!EnsureFolder(programDir, report)) return report;
    rules::TableDirectory tables;
    if (!BuildRuleTables(dataDir, programDir, tables, report)) return report;

    const std::string userDir = rules::JoinGamePath(programDir, "USER");
    const std::string mapDir = rules::JoinGamePath(programDir, "MAP");
    if (!EnsureFolder(userDir, report) || !EnsureFolder(mapDir, report)) return report;

    for (const std::string& source : Sources(dataDir + "/corps", "useFrc??.txt")) {
        std::string utf8, error;
        ReadText(dataDir + "/corps/" + source, utf8);
        if (!CompileCorps(tables, source, utf8, error)) {
            report.problems.push_back(error);
            continue;
        }
        const std::string file = Stem(source) + ".prm";
        rules::ForceCursor corps(tables, 5);
        corps.SelectSlot(5);
        const rules::FileStatus saved = corps.SaveUserForceFile(programDir, file.c_str());
        if (!saved) {
            report.problems.push_back(file + ": " + saved.error);
            continue;
        }
        RecordCheck(rules::GamePath(programDir, "USER", file), programDir, report);
    }
    if (!report.problems.empty()) return report;

    for (const std::string& source : Sources(dataDir + "/maps", "MAP?????.txt")) {
        std::string utf8, error;
        ReadText(dataDir + "/maps/" + source, utf8);
        if (!CompileMap(tables, programDir, source, utf8, error)) {
            report.problems.push_back(error);
            continue;
        }
        const std::vector<std::string> problems = CheckMapTables(tables);
        if (!problems.empty()) {
            for (const std::string& p : problems) report.problems.push_back(source + " " + p);
            continue;
        }
        const std::string path = rules::GamePath(programDir, "MAP", Stem(source) + ".ddm");
        const rules::FileStatus written = rules::WriteMapFile(tables, path);
        if (!written) {
            report.problems.push_back(path + ": " + written.error);
            continue;
        }
        RecordCheck(path, programDir, report);
    }
    if (report.problems.empty()) BuildOpeningGames(dataDir, programDir, report);
    audio::BuildAudio(dataDir, programDir, report);
    const art::ArtReport pictures = art::BuildArt(dataDir, programDir);
    report.written.insert(report.written.end(), pictures.written.begin(), pictures.written.end());
    report.problems.insert(report.problems.end(), pictures.problems.begin(),
                           pictures.problems.end());
    movie::BuildMovies(dataDir, programDir, report.written, report.problems);
    saver::BuildSaverData(dataDir, programDir, report.written, report.problems);
    report.ok = report.problems.empty();
    return report;
}

}  // namespace zv::zvdata
