// zv6open.ovl: the opening player the game starts and waits for. It reads no command line;
// its media lie in "Zv6open/" beside the program file.

#include <ctime>
#include <filesystem>
#include <memory>

#include "opening/OpeningPlayer.h"
#include "platform/core/OutOfMemory.h"
#include "platform/ui/SdlBackend.h"
#include "platform/ui/WindowManager.h"

int main() {
    zv::core::InstallOutOfMemoryExit("zv6open.ovl");
    auto backend = zv::ui::SdlBackend::Create("ZV6", 800, 600, nullptr);
    if (!backend) return 0;
    zv::ui::WindowManager manager(std::move(backend));
    zv::opening::OpeningOptions options;
    std::error_code ec;
    options.programDir = std::filesystem::read_symlink("/proc/self/exe", ec).parent_path().string();
    options.seed = unsigned(std::time(nullptr));
    return zv::opening::OpeningMain(options);
}
