#include "framework/media/VersionInfo.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>

#include "framework/media/Application.h"
#include "framework/media/BuildVersion.h"
#include "platform/core/Paths.h"

namespace zv::fw {

namespace {

constexpr const char* kKeyNames[13] = {
    "",
    "Comments",
    "CompanyName",
    "FileDescription",
    "FileVersion",
    "InternalName",
    "LegalCopyright",
    "LegalTrademarks",
    "OriginalFilename",
    "PrivateBuild",
    "ProductName",
    "ProductVersion",
    "SpecialBuild",
};

// The files this build makes, which all carry the build's block.
constexpr const char* kOwnFiles[] = {"zv6",    "zv6open.ovl", "zvsaver",   "zvdemosaver",
                                     "zvdata", "zvsim",       "HVLibR.dll"};

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

std::string FileNameOf(const std::string& path) {
    std::size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

bool CarriesBuildVersion(const std::string& path) {
    std::string name = Lower(FileNameOf(path));
    for (const char* own : kOwnFiles) {
        if (name == Lower(own)) return true;
    }
    Application* app = GetApplication();
    if (app && !app->GetModulePath().empty()) {
        std::error_code ec;
        return std::filesystem::equivalent(core::ResolvePath(path), app->GetModulePath(), ec);
    }
    return false;
}

}  // namespace

const char* VersionKeyName(int key) {
    return key >= 0 && key <= 12 ? kKeyNames[key] : "";
}

const char* VersionLanguageCode(int index) {
    switch (index) {
        case 1:
            return "041104b0";
        case 2:
            return "040904E4";
        default:
            return "";
    }
}

VersionInfo::VersionInfo() = default;

VersionInfo::VersionInfo(const char* filePath) {
    std::string path;
    if (filePath) {
        path = filePath;
    } else if (Application* app = GetApplication()) {
        path = app->GetModulePath();
    }
    hasData_ = !path.empty() && CarriesBuildVersion(path);
}

VersionInfo::~VersionInfo() {
    delete[] lastValue_;
}

void VersionInfo::SetLanguage(int index) {
    language_ = index;
    languageCode_ = VersionLanguageCode(index);
}

bool VersionInfo::Lookup(int key, std::string* value) const {
    // The block holds both languages with the same strings.
    if (!hasData_ || languageCode_.empty()) return false;
    switch (key) {
        case kVersionCompanyName:
            *value = ZV_COMPANY_NAME;
            return true;
        case kVersionFileDescription:
        case kVersionProductName:
            *value = ZV_PRODUCT_NAME;
            return true;
        case kVersionFileVersion:
        case kVersionProductVersion:
            *value = ZV_VERSION_TEXT;
            return true;
        case kVersionLegalCopyright:
            *value = ZV_COPYRIGHT;
            return true;
        default:
            return false;  // the block carries no comments, trademarks or build notes
    }
}

const char* VersionInfo::GetString(int key) {
    if (!hasData_) return nullptr;
    delete[] lastValue_;
    lastValue_ = nullptr;
    std::string value;
    if (!Lookup(key, &value)) return nullptr;
    lastValue_ = new char[value.size() + 1];
    std::memcpy(lastValue_, value.c_str(), value.size() + 1);
    return lastValue_;
}

void VersionInfo::CopyString(int key, char* buffer, int* size) {
    if (!hasData_ || !size) return;
    std::string value;
    if (!Lookup(key, &value)) {
        *size = 0;
        return;
    }
    // The stored length counts the terminating zero, as version blocks do.
    int n = std::min(*size, int(value.size()) + 1);
    if (buffer && n > 0) std::memcpy(buffer, value.c_str(), std::size_t(n));
    *size = std::max(n, 0);
}

}  // namespace zv::fw
