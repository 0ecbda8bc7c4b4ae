#include "panels/PanelWorld.h"

#include "simulation/Simulation.h"

namespace zv::panels {

namespace {
PanelWorld* gWorld = nullptr;
PanelHost gDefaultHost;
}  // namespace

void InstallPanelWorld(PanelWorld* world) {
    gWorld = world;
}
PanelWorld* CurrentPanelWorld() {
    return gWorld;
}
rules::TableDirectory* PanelTables() {
    return gWorld ? gWorld->tables : nullptr;
}

PanelHost& CurrentPanelHost() {
    return gWorld && gWorld->host ? *gWorld->host : gDefaultHost;
}

void SetPanelBusyBit(int bit, int on) {
    if (gWorld && gWorld->simulation) gWorld->simulation->SetBusyBit(bit, on);
}

bool MayChangeGameSpeed() {
    if (!gWorld || !gWorld->simulation) return true;
    return gWorld->simulation->IsSinglePlay() || gWorld->simulation->IsJournalHost();
}

}  // namespace zv::panels
