#include "mapview/MapWorld.h"

#include "framework/ProcessState.h"
#include "platform/core/Sjis.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/DialogConstants.h"

namespace zv::mapview {

namespace {
MapWorld* gWorld = nullptr;
MapViewHost gNoHost;
}  // namespace

bool MapViewHost::Ask(ui::Hwnd owner, const std::string& utf8Text, bool yesNo) {
    const std::string text = core::Utf8ToSjis(utf8Text);
    const int answer = ui::MessageBox(owner, text, core::Utf8ToSjis("ZV6"),
                                      yesNo ? ui::MB_YESNO : ui::MB_OK);
    return yesNo ? answer == ui::IDYES : true;
}

void InstallMapWorld(MapWorld* world) { gWorld = world; }

MapWorld* CurrentMapWorld() { return gWorld; }

MapViewHost& CurrentMapHost() {
    return (gWorld != nullptr && gWorld->host != nullptr) ? *gWorld->host : gNoHost;
}

rules::GameContextEnv MapContextEnv() {
    rules::GameContextEnv env;
    if (gWorld != nullptr) {
        env.events = gWorld->events;
        env.routeSearches = gWorld->routeSearches;
    }
    env.playerCountry = fw::GetPlayerCountry();
    return env;
}

}  // namespace zv::mapview
