#include "saver/SaverSettings.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace zv::saver {

namespace {

using Values = std::vector<std::pair<std::string, int>>;

std::string Trim(const std::string& t) {
    const auto a = t.find_first_not_of(" \t\r");
    if (a == std::string::npos) return {};
    const auto b = t.find_last_not_of(" \t\r");
    return t.substr(a, b - a + 1);
}

bool ReadValues(const std::string& file, std::map<std::string, int>& out,
                std::vector<std::string>* problems) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    std::string line;
    int n = 0;
    while (std::getline(in, line)) {
        ++n;
        const std::string t = Trim(line);
        if (t.empty() || t[0] == '#') continue;
        const auto eq = t.find('=');
        bool ok = eq != std::string::npos && eq > 0;
        long v = 0;
        if (ok) {
            const std::string value = Trim(t.substr(eq + 1));
            char* end = nullptr;
            errno = 0;
            v = std::strtol(value.c_str(), &end, 10);
            ok = !value.empty() && end && *end == '\0' && errno == 0 && v >= INT_MIN &&
                 v <= INT_MAX;
        }
        if (!ok) {
            if (problems)
                problems->push_back(file + ":" + std::to_string(n) +
                                    ": not NAME=NUMBER, skipped: " + t);
            continue;
        }
        out.emplace(Trim(t.substr(0, eq)), int(v));
    }
    return true;
}

bool WriteValues(const std::string& file, const Values& values,
                 std::vector<std::string>* problems) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path path(file);
    if (path.has_parent_path()) fs::create_directories(path.parent_path(), ec);
    const fs::path temp = path.string() + ".new";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << "# Screensaver settings\n";
        for (const auto& [name, v] : values) out << name << '=' << v << '\n';
        out.flush();
        if (!out) {
            if (problems) problems->push_back(file + ": cannot be written");
            fs::remove(temp, ec);
            return false;
        }
    }
    fs::rename(temp, path, ec);
    if (ec) {
        if (problems) problems->push_back(file + ": cannot be written: " + ec.message());
        fs::remove(temp, ec);
        return false;
    }
    return true;
}

Values BuildValues(SaverBuild build, const SaverSettings& s) {
    if (build == SaverBuild::Saver)
        return {{"Opening2", s.opening[1]},
                {"Title2", s.title[1]},
                {"RealFightLoopNum", s.realFightLoopNum},
                {"RealFightLoopSwitch", s.realFightLoopSwitch}};
    return {{"SSSW1", s.enabled[0]},
            {"Opening1", s.opening[0]},
            {"Title1", s.title[0]},
            {"Sound1", s.sound[0]},
            {"Bgm1", s.bgm[0]},
            {"RealFightLoopNum", s.realFightLoopNum},
            {"RealFightLoopSwitch", s.realFightLoopSwitch}};
}

}  // namespace

std::string SaverSettingsFile(SaverBuild build) {
    std::string base;
    if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x) {
        base = x;
    } else if (const char* h = std::getenv("HOME"); h && *h) {
        base = std::string(h) + "/.config";
    } else {
        return {};
    }
    return base + (build == SaverBuild::Saver ? "/Halvane/ZVScreenSaverDemo2.conf"
                                              : "/Halvane/ZVScreenSaverDemo.conf");
}

SaverSettings DefaultSettingsTable(SaverBuild build) {
    SaverSettings d;
    if (build == SaverBuild::Saver) {
        d.enabled = {1, 1, 0, 1, 1, 0, 0, 0, 1, 0};
        d.title = {1, 1, 0, 1, 1, 0, 0, 0, 1, 0};
        d.opening = {1, 1, 0, 0, 1, 0, 0, 0, 1, 0};
    } else {
        d.enabled = {1, 0, 0, 0, 0, 0, 0, 0, 0, 0};
        d.title = {1, 0, 0, 0, 0, 0, 0, 0, 0, 0};
        d.opening = {1, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    }
    return d;
}

void LoadSaverSettings(SaverBuild build, const std::string& file, SaverSettings& s,
                       std::vector<std::string>* problems) {
    const SaverSettings d = DefaultSettingsTable(build);
    std::map<std::string, int> values;
    const bool exists = !file.empty() && ReadValues(file, values, problems);
    auto read = [&](const char* name, int& target) {
        const auto it = values.find(name);
        if (it != values.end()) target = it->second;
    };
    if (build == SaverBuild::Saver) {
        s.enabled[1] = d.enabled[1];  // on every load, whatever the file holds
        if (!exists) {
            s.opening[1] = d.opening[1];
            s.title[1] = d.title[1];
            s.realFightLoopNum = 10;
            s.realFightLoopSwitch = 0;
            if (!file.empty()) SaveSaverSettings(build, file, s, problems);
            return;
        }
        read("Opening2", s.opening[1]);
        read("Title2", s.title[1]);
    } else {
        if (!exists) {
            s.enabled[0] = 1;
            s.opening[0] = 1;
            s.title[0] = 1;
            s.sound[0] = 0;
            s.bgm[0] = 0;
            s.realFightLoopNum = 10;
            s.realFightLoopSwitch = 0;
            if (!file.empty()) SaveSaverSettings(build, file, s, problems);
            return;
        }
        read("SSSW1", s.enabled[0]);
        read("Opening1", s.opening[0]);
        read("Title1", s.title[0]);
        read("Sound1", s.sound[0]);
        read("Bgm1", s.bgm[0]);
    }
    read("RealFightLoopNum", s.realFightLoopNum);
    read("RealFightLoopSwitch", s.realFightLoopSwitch);
}

bool SaveSaverSettings(SaverBuild build, const std::string& file, const SaverSettings& s,
                       std::vector<std::string>* problems) {
    if (file.empty()) {
        if (problems) problems->push_back("no configuration folder (HOME is not set)");
        return false;
    }
    return WriteValues(file, BuildValues(build, s), problems);
}

}  // namespace zv::saver
