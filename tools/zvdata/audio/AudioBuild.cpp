#include "tools/zvdata/audio/AudioBuild.h"

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "platform/core/Files.h"
#include "rules/files/DatFile.h"
#include "tools/zvdata/GameFileCheck.h"
#include "tools/zvdata/audio/ScoreSource.h"
#include "tools/zvdata/audio/SoundSource.h"
#include "tools/zvdata/audio/WaveFile.h"

namespace zv::zvdata::audio {

namespace {

bool ReadSource(const std::string& path, std::string& text, BuildReport& report) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        report.problems.push_back(path + ": cannot be read");
        return false;
    }
    std::stringstream buffer;
    buffer << in.rdbuf();
    text = buffer.str();
    return true;
}

void WriteAndCheck(const std::string& path, const Bytes& bytes, BuildReport& report) {
    if (!core::WriteFileAtomically(path, bytes.data(), bytes.size())) {
        report.problems.push_back(path + ": cannot be written");
        return;
    }
    const FileCheck check = CheckGameFile(path);
    if (check.ok)
        report.written.push_back(check.summary);
    else
        report.problems.insert(report.problems.end(), check.problems.begin(), check.problems.end());
}

}  // namespace

void BuildAudio(const std::string& dataDir, const std::string& programDir, BuildReport& report) {
    const std::string soundDir = dataDir + "/sound";
    for (const std::string& source : core::ListDirectory(soundDir, "*.txt")) {
        std::string text, error;
        if (!ReadSource(soundDir + "/" + source, text, report)) continue;
        SoundSpec spec;
        std::vector<std::int16_t> samples;
        if (!ParseSound(source, text, spec, error) || !RenderSound(spec, samples, error)) {
            report.problems.push_back(error.rfind(source, 0) == 0 ? error : source + ": " + error);
            continue;
        }
        const std::string name = std::filesystem::path(source).stem().string() + ".wav";
        WriteAndCheck(rules::JoinGamePath(programDir, name), WriteWave(samples, spec.sampleRate),
                      report);
    }

    const std::string musicDir = dataDir + "/music";
    std::set<std::string> files;
    for (const std::string& source : core::ListDirectory(musicDir, "*.txt")) {
        std::string text, error;
        if (!ReadSource(musicDir + "/" + source, text, report)) continue;
        Score score;
        if (!CompileScore(source, text, score, error)) {
            report.problems.push_back(error);
            continue;
        }
        std::string key = score.file;
        for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (!files.insert(key).second) {
            report.problems.push_back(source + ": another score already writes " + score.file);
            continue;
        }
        const std::size_t slash = score.file.find('/');
        if (slash != std::string::npos) {
            const std::string folder = rules::JoinGamePath(programDir, score.file.substr(0, slash));
            if (!core::DirectoryExists(folder) && !core::CreateDirectory(folder)) {
                report.problems.push_back(folder + ": cannot create the folder");
                continue;
            }
        }
        WriteAndCheck(rules::JoinGamePath(programDir, score.file), WriteMidi(score.piece), report);
    }
}

}  // namespace zv::zvdata::audio
