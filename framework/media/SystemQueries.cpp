#include "framework/media/SystemQueries.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "framework/media/Application.h"
#include "platform/core/Paths.h"

namespace zv::fw {

namespace {
char gComputerName[17];
char gUserName[32];
constexpr std::size_t kPathSize = 260;

void CopyCut(char* dst, std::size_t room, const char* src) {
    std::size_t n = std::min(std::strlen(src), room - 1);
    std::memcpy(dst, src, n);
    dst[n] = 0;
}
}  // namespace

const char* GetLocalComputerName() {
    char host[256] = {};
    if (gethostname(host, sizeof host - 1) != 0 || host[0] == 0) return nullptr;
    host[std::strcspn(host, ".")] = 0;  // the machine's own name, without its domain
    CopyCut(gComputerName, 16, host);
    return gComputerName;
}

const char* GetLogonUserName() {
    const char* name = nullptr;
    if (const passwd* pw = getpwuid(geteuid()); pw && pw->pw_name && pw->pw_name[0]) {
        name = pw->pw_name;
    } else if (const char* env = std::getenv("USER"); env && env[0]) {
        name = env;
    }
    if (!name) return nullptr;
    CopyCut(gUserName, sizeof gUserName, name);
    return gUserName;
}

char* GetModuleDirectory(char* destination) {
    std::string path;
    if (Application* app = GetApplication(); app && !app->GetModulePath().empty()) {
        path = app->GetModulePath();
    } else {
        path = core::ExecutablePath();
    }
    std::size_t cut = path.find_last_of('/');
    std::string dir = cut == std::string::npos ? std::string("./") : path.substr(0, cut + 1);
    char* out = destination ? destination : new (std::nothrow) char[kPathSize];
    if (!out) return nullptr;
    CopyCut(out, kPathSize, dir.c_str());
    return out;
}

void ShowTaskbar(int /*show*/) {}

}  // namespace zv::fw
