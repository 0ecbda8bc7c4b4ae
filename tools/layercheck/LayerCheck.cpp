// Checks every #include "..." of the source tree against the layer table (Layers.txt): a file may
// include its own layer and the layers below those its layer uses, nothing else, unless the
// table lists that very include as a known exception. A known exception that no longer occurs
// fails as well, so the list can only shrink. Usage: zv_layercheck SOURCE_ROOT TABLE
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Table {
    std::vector<std::pair<std::string, std::string>> prefixes;  // path prefix, layer
    std::map<std::string, std::set<std::string>> uses;
    std::set<std::string> layers;
    std::set<std::string> skipped;                                 // path prefixes not checked
    std::map<std::pair<std::string, std::string>, int> exceptions;  // (file, include) -> line
};

bool ReadTable(const fs::path& path, Table& table) {
    std::ifstream in(path);
    if (!in) {
        std::fprintf(stderr, "%s: cannot read\n", path.string().c_str());
        return false;
    }
    std::string line;
    int number = 0;
    bool ok = true;
    while (std::getline(in, line)) {
        ++number;
        std::istringstream words(line);
        std::string kind;
        if (!(words >> kind) || kind[0] == '#') continue;
        std::vector<std::string> args;
        for (std::string word; words >> word;) {
            if (word[0] == '#') break;
            args.push_back(word);
        }
        auto fail = [&](const char* why) {
            std::fprintf(stderr, "%s:%d: %s\n", path.string().c_str(), number, why);
            ok = false;
        };
        if (kind == "layer") {
            if (args.size() < 2) { fail("layer NAME PATH..."); continue; }
            table.layers.insert(args[0]);
            for (size_t i = 1; i < args.size(); ++i) table.prefixes.emplace_back(args[i], args[0]);
        } else if (kind == "uses") {
            if (args.empty()) { fail("uses NAME LAYER..."); continue; }
            auto& set = table.uses[args[0]];
            set.insert(args.begin() + 1, args.end());
        } else if (kind == "skip") {
            for (const auto& a : args) table.skipped.insert(a);
        } else if (kind == "exception") {
            // exception FILE INCLUDE reason words...: the reason is required.
            if (args.size() < 3) { fail("exception FILE INCLUDE REASON"); continue; }
            if (!table.exceptions.emplace(std::make_pair(args[0], args[1]), number).second)
                fail("exception listed twice");
        } else {
            fail("unknown line kind");
        }
    }
    for (const auto& [name, set] : table.uses) {
        if (!table.layers.count(name) && !table.layers.count(name.substr(0, name.find('.')))) {
            std::fprintf(stderr, "%s: uses of an unknown layer %s\n", path.string().c_str(), name.c_str());
            ok = false;
        }
        for (const auto& used : set)
            if (!table.layers.count(used.substr(0, used.find('.')))) {
                std::fprintf(stderr, "%s: %s uses an unknown layer %s\n", path.string().c_str(),
                             name.c_str(), used.c_str());
                ok = false;
            }
    }
    return ok;
}

bool StartsWith(const std::string& s, const std::string& prefix) {
    return s.compare(0, prefix.size(), prefix) == 0;
}

// The layer of a path from the source root, by its longest matching prefix; a file in a tests/
// folder belongs to the test layer of its layer ("mapview.tests"), which uses that layer.
std::string LayerOf(const Table& table, const std::string& path) {
    size_t best = 0;
    std::string layer;
    for (const auto& [prefix, name] : table.prefixes)
        if (prefix.size() > best && StartsWith(path, prefix)) {
            best = prefix.size();
            layer = name;
        }
    if (!layer.empty() && path.find("/tests/") != std::string::npos) layer += ".tests";
    return layer;
}

std::set<std::string> Reachable(const Table& table, const std::string& layer) {
    std::set<std::string> seen{layer};
    std::vector<std::string> todo{layer};
    if (auto dot = layer.find('.'); dot != std::string::npos) {
        todo.push_back(layer.substr(0, dot));
        seen.insert(todo.back());
    }
    while (!todo.empty()) {
        std::string next = todo.back();
        todo.pop_back();
        auto it = table.uses.find(next);
        if (it == table.uses.end()) continue;
        for (const auto& used : it->second)
            if (seen.insert(used).second) todo.push_back(used);
    }
    return seen;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: zv_layercheck SOURCE_ROOT TABLE\n");
        return 2;
    }
    const fs::path root = argv[1];
    Table table;
    if (!ReadTable(argv[2], table)) return 1;

    std::vector<std::string> files;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
         ++it) {
        const std::string rel = fs::relative(it->path(), root).generic_string();
        if (it->is_directory()) {
            // Build trees (whatever their name) and hidden folders hold no sources of ours.
            const std::string name = it->path().filename().string();
            if (name.empty() || name[0] == '.' || StartsWith(name, "build") ||
                fs::exists(it->path() / "CMakeCache.txt") || table.skipped.count(rel + "/"))
                it.disable_recursion_pending();
            continue;
        }
        const std::string ext = it->path().extension().string();
        if (ext == ".h" || ext == ".cpp" || ext == ".hpp" || ext == ".cc") files.push_back(rel);
    }
    std::sort(files.begin(), files.end());

    std::map<std::string, std::set<std::string>> reachable;
    std::set<std::pair<std::string, std::string>> usedExceptions;
    int faults = 0;
    for (const auto& file : files) {
        const std::string layer = LayerOf(table, file);
        if (layer.empty()) {
            std::printf("%s: in no layer of the table\n", file.c_str());
            ++faults;
            continue;
        }
        if (!reachable.count(layer)) reachable[layer] = Reachable(table, layer);
        const auto& allowed = reachable[layer];
        std::ifstream in(root / file);
        std::string line;
        int number = 0;
        while (std::getline(in, line)) {
            ++number;
            size_t p = line.find_first_not_of(" \t");
            if (p == std::string::npos || line[p] != '#') continue;
            p = line.find_first_not_of(" \t", p + 1);
            if (p == std::string::npos || line.compare(p, 7, "include") != 0) continue;
            const size_t open = line.find('"', p);
            if (open == std::string::npos) continue;  // <system> headers
            const size_t close = line.find('"', open + 1);
            if (close == std::string::npos) continue;
            std::string included = line.substr(open + 1, close - open - 1);
            // A name beside the including file is read from there; anything else from the root.
            const fs::path beside = fs::path(file).parent_path() / included;
            if (fs::exists(root / beside)) included = beside.lexically_normal().generic_string();
            const std::string target = LayerOf(table, included);
            if (target.empty()) {
                std::printf("%s:%d: includes %s, which is in no layer of the table\n", file.c_str(),
                            number, included.c_str());
                ++faults;
                continue;
            }
            if (allowed.count(target)) continue;
            const auto key = std::make_pair(file, included);
            if (table.exceptions.count(key)) {
                usedExceptions.insert(key);
                continue;
            }
            std::printf("%s:%d: includes %s: layer %s may not include layer %s\n", file.c_str(),
                        number, included.c_str(), layer.c_str(), target.c_str());
            ++faults;
        }
    }
    for (const auto& [key, number] : table.exceptions)
        if (!usedExceptions.count(key)) {
            std::printf("%s:%d: the exception %s -> %s no longer occurs: remove it\n", argv[2],
                        number, key.first.c_str(), key.second.c_str());
            ++faults;
        }
    std::printf("%zu files, %zu known exceptions, %d faults\n", files.size(),
                table.exceptions.size(), faults);
    return faults == 0 ? 0 : 1;
}
