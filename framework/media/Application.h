#pragma once

// The one application object of a process: the program's instance and full path, the window
// that owns its sound output, and the resource library from which the framework's notices and
// dialogs are made. The opening player and the screensavers use the same class.

#include <map>
#include <string>

#include "framework/ProcessState.h"
#include "framework/TextString.h"
#include "platform/ui/WindowTypes.h"

namespace zv::fw {

// Stands in for the outside resource library: what the framework's dialogs take from it
// (texts by id; the templates themselves are built in code) and the file its version belongs to.
struct ResourceLibrary {
    std::string fileName;              // reported by VersionInfo like a program file
    std::map<int, std::string> texts;  // Shift-JIS, by string id
};
using ResourceLibraryHandle = const ResourceLibrary*;

// The library's own entry point: the handle the application object keeps.
ResourceLibraryHandle GetLibRHandle();
// The handle stored by the last Application::Init (null before).
ResourceLibraryHandle GetStoredResourceLibrary();

class Application {
  public:
    Application() = default;
    virtual ~Application() = default;
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    int Init(const AppInstance& instance, ui::Hwnd owner);

    ui::Hwnd GetOwner() const { return owner_; }
    const AppInstance& GetInstance() const { return instance_; }
    const std::string& GetModulePath() const { return modulePath_; }
    ResourceLibraryHandle GetResourceLibrary() const { return library_; }

  private:
    AppInstance instance_;
    ui::Hwnd owner_{};
    std::string modulePath_;
    ResourceLibraryHandle library_ = nullptr;
};

// Creates the one object and runs Init; 1.
int CreateApplication(const AppInstance& instance, ui::Hwnd owner);
// Deletes it; the process-wide pointer is cleared with it, so nothing reaches a deleted object.
void DeleteApplication();
// The object, or null outside CreateApplication .. DeleteApplication.
Application* GetApplication();

// A text of the resource library into `buffer` (at most size - 1 bytes and a terminator, never
// half a double-byte character); its length, 0 when the id has no text.
int LoadLibraryText(int id, char* buffer, int size);
// Up to 255 bytes of text `id` into `*string`, made empty first (created when null); 1 when the
// text exists.
int LoadLibraryTextString(int id, TextString** string);

}  // namespace zv::fw
