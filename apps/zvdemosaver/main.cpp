// zvdemosaver: the screensaver program (switches /s, /c, /p, /a, /l; see saver/SaverMain.cpp).

#include <string>
#include <vector>

#include "platform/core/OutOfMemory.h"
#include "saver/SaverFrame.h"

int main(int argc, char** argv) {
    zv::core::InstallOutOfMemoryExit("zvdemosaver");
    return zv::saver::SaverMain(zv::saver::SaverBuild::DemoSaver,
                                std::vector<std::string>(argv + 1, argv + argc));
}
