#include "mapview/MapWorld.h"

#include "framework/ProcessState.h"
#include "platform/core/Sjis.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/DialogConstants.h"
#include "shell/ProgramServices.h"

namespace zv::mapview {

namespace {
MapViewHost gNoHost;
}  // namespace

bool MapViewHost::Ask(ui::Hwnd owner, const std::string& utf8Text, bool yesNo) {
    const std::string text = core::Utf8ToSjis(utf8Text);
    const int answer = ui::MessageBox(owner, text, core::Utf8ToSjis("ZV6"),
                                      yesNo ? ui::MB_YESNO : ui::MB_OK);
    return yesNo ? answer == ui::IDYES : true;
}

MapWorld* CurrentMapWorld() {
    const shell::ProgramServices* services = shell::CurrentServices();
    return services != nullptr ? services->map : nullptr;
}

MapViewHost& CurrentMapHost() {
    const MapWorld* world = CurrentMapWorld();
    return (world != nullptr && world->host != nullptr) ? *world->host : gNoHost;
}

rules::GameContextEnv MapContextEnv() {
    rules::GameContextEnv env;
    if (const MapWorld* world = CurrentMapWorld(); world != nullptr) {
        env.events = world->events;
        env.routeSearches = world->routeSearches;
    }
    env.playerCountry = fw::GetPlayerCountry();
    return env;
}

}  // namespace zv::mapview
