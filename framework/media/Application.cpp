#include "framework/media/Application.h"

#include <cstring>

#include "platform/core/Sjis.h"

namespace zv::fw {

namespace {
Application* gApplication = nullptr;
ResourceLibraryHandle gStoredLibrary = nullptr;
}  // namespace

ResourceLibraryHandle GetLibRHandle() {
    static const ResourceLibrary kLibrary{"HVLibR.dll", {}};
    return &kLibrary;
}

ResourceLibraryHandle GetStoredResourceLibrary() {
    return gStoredLibrary;
}

int Application::Init(const AppInstance& instance, ui::Hwnd owner) {
    instance_ = instance;
    owner_ = owner;
    modulePath_ = instance.modulePath;
    library_ = GetLibRHandle();
    gStoredLibrary = library_;
    return 1;
}

int CreateApplication(const AppInstance& instance, ui::Hwnd owner) {
    delete gApplication;
    gApplication = new Application();
    return gApplication->Init(instance, owner);
}

void DeleteApplication() {
    delete gApplication;
    gApplication = nullptr;
}

Application* GetApplication() {
    return gApplication;
}

int LoadLibraryText(int id, char* buffer, int size) {
    if (!buffer || size <= 0) return 0;
    buffer[0] = 0;
    ResourceLibraryHandle lib = gStoredLibrary ? gStoredLibrary : GetLibRHandle();
    auto it = lib->texts.find(id);
    if (it == lib->texts.end()) return 0;
    std::size_t n = core::SjisCutLength(it->second, std::size_t(size - 1));
    std::memcpy(buffer, it->second.data(), n);
    buffer[n] = 0;
    return int(n);
}

int LoadLibraryTextString(int id, TextString** string) {
    if (!string) return 0;
    if (!*string) *string = new TextString();
    **string = "";
    char buffer[256];
    if (LoadLibraryText(id, buffer, sizeof buffer) == 0) return 0;
    **string = buffer;
    return 1;
}

}  // namespace zv::fw
