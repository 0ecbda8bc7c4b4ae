// zv6: the game. It reads no command line; its data lie beside the program file.

#include <cstdio>
#include <string>

#include "platform/ui/SdlBackend.h"
#include "shell/game/GameProgram.h"

int main() {
    zv::shell::GameProgramOptions options;
    options.makeBackend = [](std::string* error) -> std::unique_ptr<zv::ui::Backend> {
        std::string why;
        auto backend = zv::ui::SdlBackend::Create("ZV6", 1024, 768, &why);
        if (!backend && error != nullptr) {
            *error = "cannot open a window (" + why +
                     "). Run zv6 on a desktop, or without one under a virtual screen: "
                     "xvfb-run -s '-screen 0 1024x768x24' build/game/zv6";
        }
        return backend;
    };
    return zv::shell::RunGameProgram(options);
}
