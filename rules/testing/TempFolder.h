#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/core/tests/TempDir.h"

namespace zv::rules::testing {

// A fresh temporary folder (removed with its contents) that reads and writes byte vectors.
class TempFolder : public zv::testing::TempDir {
  public:
    std::string File(const std::string& name) const { return Path() + name; }

    void Put(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
        TempDir::Put(name, std::string(bytes.begin(), bytes.end()));
    }
    std::vector<std::uint8_t> Get(const std::string& name) const {
        const std::string bytes = Read(File(name));
        return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
    }
};

}  // namespace zv::rules::testing
