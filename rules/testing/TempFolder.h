#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace zv::rules::testing {

// A fresh folder under the system's temporary directory, removed with its contents.
class TempFolder {
  public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zvrules.XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder, ending in '/'.
    std::string Path() const { return path_ + "/"; }
    std::string File(const std::string& name) const { return Path() + name; }

    void Put(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
        std::ofstream out(File(name), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }
    std::vector<std::uint8_t> Get(const std::string& name) const {
        std::ifstream in(File(name), std::ios::binary);
        return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
    }

  private:
    std::string path_;
};

}  // namespace zv::rules::testing
