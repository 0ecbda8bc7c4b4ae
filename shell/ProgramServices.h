#pragma once

// What the program's modules share, in one object: the process's values, the window registry,
// the rule tables, the simulation with its clock and events, the route searches of the GUI
// thread, and a slot for each window module's own part (the map windows' world with their host,
// the panels' world, the corps editor's world). The game program fills it step by step while it
// starts and installs it once; modules reach it through their accessors (CurrentMapWorld(),
// GetShellTables(), GetWindowOfKind() ...), which read the installed object. Tests install their
// own with ScopedServices.
//
// The module parts are only declared here: each stays its module's type, so this header sits
// below every window module and includes none of them.

#include <atomic>

namespace zv::fw {
struct ProcessState;
}
namespace zv::rules {
class TableDirectory;
class GameEvents;
class RouteSearchSet;
}  // namespace zv::rules
namespace zv::sim {
class Simulation;
class ClockStep;
}  // namespace zv::sim
namespace zv::mapview {
struct MapWorld;
}
namespace zv::panels {
struct PanelWorld;
}
namespace zv::organize {
struct OrganizeWorld;
}

namespace zv::shell {

class WindowRegistry;

struct ProgramServices {
    // Null: the framework's built-in state (the executable's folder, no session).
    fw::ProcessState* process = nullptr;
    // Null: a built-in registry answers.
    WindowRegistry* registry = nullptr;
    // Null reads as "no game data" (no unit kind, land kind or hex exists).
    rules::TableDirectory* tables = nullptr;
    sim::Simulation* simulation = nullptr;
    sim::ClockStep* clock = nullptr;
    rules::GameEvents* events = nullptr;
    rules::RouteSearchSet* guiSearches = nullptr;
    // The window modules' own parts; null: the module has no world (its windows show their
    // backgrounds or refuse to be made).
    mapview::MapWorld* map = nullptr;
    panels::PanelWorld* panels = nullptr;
    organize::OrganizeWorld* organize = nullptr;
};

// Makes `services` the program's (null: none). The object must outlive its installation; its
// fields may be filled after it is installed, before any other thread reads them, except the
// process state: the framework, which sits below the window modules, is handed it here, so it
// is set before the installation (ScopedServices takes it in its constructor).
void InstallServices(ProgramServices* services);
// Null when none is installed.
ProgramServices* CurrentServices();

// Installs its own services for its lifetime and puts back what was installed before. It starts
// as a copy of what is installed (or empty), so a test sets only the fields it needs:
//     shell::ScopedServices services;
//     services->map = &world;
// Scopes nest in last-in first-out order.
class ScopedServices {
  public:
    ScopedServices();
    explicit ScopedServices(const ProgramServices& initial);
    ~ScopedServices();
    ScopedServices(const ScopedServices&) = delete;
    ScopedServices& operator=(const ScopedServices&) = delete;

    ProgramServices* operator->() { return &services_; }
    ProgramServices& operator*() { return services_; }

  private:
    ProgramServices services_;
    ProgramServices* previous_;
};

}  // namespace zv::shell
