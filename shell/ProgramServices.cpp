#include "shell/ProgramServices.h"

#include "framework/ProcessState.h"

namespace zv::shell {

namespace {
// Read by the clock and network threads (tables, registry) while the GUI thread installs.
std::atomic<ProgramServices*> gServices{nullptr};
}  // namespace

void InstallServices(ProgramServices* services) {
    fw::InstallProcessState(services != nullptr ? services->process : nullptr);
    gServices.store(services);
}

ProgramServices* CurrentServices() {
    return gServices.load();
}

ScopedServices::ScopedServices() : previous_(CurrentServices()) {
    if (previous_ != nullptr) services_ = *previous_;
    InstallServices(&services_);
}

ScopedServices::ScopedServices(const ProgramServices& initial)
    : services_(initial), previous_(CurrentServices()) {
    InstallServices(&services_);
}

ScopedServices::~ScopedServices() {
    InstallServices(previous_);
}

}  // namespace zv::shell
