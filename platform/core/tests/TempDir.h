#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace zv::testing {

// A fresh folder under the system's temporary directory, removed with everything in it.
class TempDir {
  public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zvtest.XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder, ending in '/'.
    std::string Path() const { return path_ + "/"; }

    // Writes a file (creating folders on the way) and returns its full path.
    std::string Put(const std::string& relative, const std::string& bytes) const {
        std::filesystem::path full = std::filesystem::path(path_) / relative;
        std::filesystem::create_directories(full.parent_path());
        std::ofstream out(full, std::ios::binary | std::ios::trunc);
        out << bytes;
        return full.string();
    }

    std::string MakeDir(const std::string& relative) const {
        std::filesystem::path full = std::filesystem::path(path_) / relative;
        std::filesystem::create_directories(full);
        return full.string();
    }

    static std::string Read(const std::string& full) {
        std::ifstream in(full, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

  private:
    std::string path_;
};

}  // namespace zv::testing
