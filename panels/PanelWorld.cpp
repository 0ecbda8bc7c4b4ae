#include "panels/PanelWorld.h"

#include "shell/ProgramServices.h"
#include "simulation/Simulation.h"

namespace zv::panels {

namespace {
PanelHost gDefaultHost;
}  // namespace

PanelWorld* CurrentPanelWorld() {
    const shell::ProgramServices* services = shell::CurrentServices();
    return services != nullptr ? services->panels : nullptr;
}
rules::TableDirectory* PanelTables() {
    const PanelWorld* world = CurrentPanelWorld();
    return world ? world->tables : nullptr;
}

PanelHost& CurrentPanelHost() {
    const PanelWorld* world = CurrentPanelWorld();
    return world && world->host ? *world->host : gDefaultHost;
}

void SetPanelBusyBit(int bit, int on) {
    const PanelWorld* world = CurrentPanelWorld();
    if (world && world->simulation) world->simulation->SetBusyBit(bit, on);
}

bool MayChangeGameSpeed() {
    const PanelWorld* world = CurrentPanelWorld();
    if (!world || !world->simulation) return true;
    return world->simulation->IsSinglePlay() || world->simulation->IsJournalHost();
}

}  // namespace zv::panels
