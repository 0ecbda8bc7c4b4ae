#pragma once

// Version information of a program file: the string keys a version block carries, in the
// block's two languages. Every program of this build and the resource library carry the
// build's one version block (BuildVersion.h, from the top CMakeLists); other files have none.

#include <string>

namespace zv::fw {

// Key indexes 1-12, alphabetical; 0 is the empty key.
enum VersionKey {
    kVersionComments = 1,
    kVersionCompanyName = 2,
    kVersionFileDescription = 3,
    kVersionFileVersion = 4,
    kVersionInternalName = 5,
    kVersionLegalCopyright = 6,
    kVersionLegalTrademarks = 7,
    kVersionOriginalFilename = 8,
    kVersionPrivateBuild = 9,
    kVersionProductName = 10,
    kVersionProductVersion = 11,
    kVersionSpecialBuild = 12,
};

// The key's name ("FileVersion" for 4), "" for 0 or an index outside 0-12.
const char* VersionKeyName(int key);
// The language code of an index: 0 "", 1 "041104b0", 2 "040904E4"; "" outside.
const char* VersionLanguageCode(int index);

class VersionInfo {
  public:
    // Reads the block of the file; null means the application's own program file.
    explicit VersionInfo(const char* filePath);
    VersionInfo();  // no block
    ~VersionInfo();
    VersionInfo(const VersionInfo&) = delete;
    VersionInfo& operator=(const VersionInfo&) = delete;

    bool HasData() const { return hasData_; }
    void SetLanguage(int index);
    // A copy of the value, valid until the next call or destruction; null when the file has no
    // block or the block lacks the key in the current language.
    const char* GetString(int key);
    // Copies at most *size bytes of the value into buffer and stores the count in *size (0 for
    // a missing key); without a block nothing is written and *size stays.
    void CopyString(int key, char* buffer, int* size);

  private:
    bool Lookup(int key, std::string* value) const;

    int language_ = 1;
    std::string languageCode_ = "041104b0";
    bool hasData_ = false;
    char* lastValue_ = nullptr;
};

}  // namespace zv::fw
