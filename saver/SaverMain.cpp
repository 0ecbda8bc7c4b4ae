// The command line of zvsaver and zvdemosaver, with the switches of a Windows screensaver:
//   /s           run full screen until a key, a mouse button or a mouse move
//   /c           the settings dialog (also with no switch at all)
//   /p WINDOW    the preview in another program's window
//   /a           change the password
//   /l           print the saver's name as the system's list shows it
// Switches may also start with '-' and take their value after ':' ("/p:1234").

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/core/Sjis.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/SdlBackend.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowManager.h"
#include "saver/SaverFrame.h"
#include "saver/SaverSettings.h"

namespace zv::saver {

namespace {

std::string ProgramDir() {
    std::error_code ec;
    return std::filesystem::read_symlink("/proc/self/exe", ec).parent_path().string();
}

SaverEnvironment DefaultEnvironment(SaverBuild build) {
    SaverEnvironment env;
    env.resourceDir =
        ProgramDir() + (build == SaverBuild::Saver ? "/ZvsaverData" : "/ZvdemosaverData");
    env.sharedDir = ProgramDir() + "/Zvscenes";
    env.currentDir = ".";
    env.settingsFile = SaverSettingsFile(build);
    return env;
}

std::string ProgramName(SaverBuild build) {
    return build == SaverBuild::Saver ? "zvsaver" : "zvdemosaver";
}

int RunFullScreen(SaverBuild build) {
    std::string error;
    struct {
        int w, h;
    } size{800, 600};
    {
        // The desktop's size, asked of a first small window.
        auto probe = ui::SdlBackend::Create(SaverDescription(build), 640, 480, &error);
        if (!probe) {
            std::fprintf(stderr, "%s: cannot open the screen: %s\n", ProgramName(build).c_str(),
                         error.c_str());
            return 1;
        }
        const ui::DisplayModeDesc mode = probe->CurrentDisplayMode();
        if (mode.width > 0 && mode.height > 0) size.w = mode.width, size.h = mode.height;
    }
    auto backend = ui::SdlBackend::Create(SaverDescription(build), size.w, size.h, &error);
    if (!backend) {
        std::fprintf(stderr, "%s: cannot open the screen: %s\n", ProgramName(build).c_str(),
                     error.c_str());
        return 1;
    }
    backend->EnterFullscreenMode(backend->CurrentDisplayMode());
    ui::WindowManager manager(std::move(backend));
    SaverOptions options;
    options.build = build;
    options.env = DefaultEnvironment(build);
    const ui::Hwnd w = CreateSaverWindow(options, 0, 0, size.w, size.h);
    if (!w) {
        std::fprintf(stderr, "%s: cannot create the saver window\n", ProgramName(build).c_str());
        return 1;
    }
    ui::ShowWindow(w, ui::SW_SHOW);
    ui::SetCursor(0);
    ui::SetCapture(w);
    ui::Msg m;
    int code = 0;
    while (ui::GetMessage(&m, ui::Hwnd{}, 0, 0)) {
        ui::TranslateMessage(m);
        ui::DispatchMessage(m);
    }
    code = int(m.wParam);
    if (ui::IsWindow(w)) ui::DestroyWindow(w);
    ui::ReleaseCapture();
    return code;
}

int RunSettings(SaverBuild build) {
    std::string error;
    auto backend = ui::SdlBackend::Create(SaverDescription(build), 420, 300, &error);
    if (!backend) {
        std::fprintf(stderr, "%s: cannot open the screen: %s\n", ProgramName(build).c_str(),
                     error.c_str());
        return 1;
    }
    ui::WindowManager manager(std::move(backend));
    return RunSettingsDialog(build, SaverSettingsFile(build), ui::Hwnd{});
}

}  // namespace

int SaverMain(SaverBuild build, const std::vector<std::string>& args) {
    std::string sw, value;
    if (!args.empty()) {
        const std::string& a = args[0];
        if (a.size() >= 2 && (a[0] == '/' || a[0] == '-')) {
            sw = std::string(1, char(std::tolower(static_cast<unsigned char>(a[1]))));
            if (a.size() > 3 && a[2] == ':') value = a.substr(3);
            else if (a.size() > 2) sw = "?";
        } else {
            sw = "?";
        }
        if (value.empty() && args.size() > 1) value = args[1];
    }
    const std::string name = ProgramName(build);
    if (sw.empty() || sw == "c") return RunSettings(build);
    if (sw == "s") return RunFullScreen(build);
    if (sw == "p") {
        char* end = nullptr;
        const unsigned long long id = value.empty() ? 0 : std::strtoull(value.c_str(), &end, 0);
        if (value.empty() || !end || *end || id == 0) {
            std::fprintf(stderr, "%s: /p needs the id of the window to show the preview in\n",
                         name.c_str());
            return 2;
        }
        // The preview of this saver is a black area; our screen layer draws into windows of its
        // own and cannot take over a window of another program.
        std::fprintf(stderr,
                     "%s: cannot show the preview in window %s: this screen layer cannot draw "
                     "into another program's window (the preview would be black)\n",
                     name.c_str(), value.c_str());
        return 1;
    }
    if (sw == "a") {
        std::printf("%s has no password of its own: the desktop's screen locker asks for it.\n",
                    name.c_str());
        return 0;
    }
    if (sw == "l") {
        std::printf("%s\n", SaverDescription(build));
        return 0;
    }
    std::fprintf(stderr,
                 "usage: %s [/s | /c | /p WINDOW | /a | /l]\n"
                 "  /s  full screen   /c  settings   /p  preview   /a  password   /l  name\n",
                 name.c_str());
    return 2;
}

}  // namespace zv::saver
