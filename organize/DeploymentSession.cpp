#include "organize/DeploymentSession.h"

#include "netplay/SessionManager.h"
#include "organize/OrganizeDialog.h"

namespace zv::organize {

bool DeploymentNetworkGui::PressOrganizeReturnToTitle() {
    if (organize::PressOrganizeReturnToTitle() != 0) return true;
    return next_->PressOrganizeReturnToTitle();
}

void DeploymentNetworkGui::EnableOrganizeGameStart(bool enable) {
    organize::EnableOrganizeGameStart(enable ? 1 : 0);
    next_->EnableOrganizeGameStart(enable);
}

void ConnectDeploymentToSession(OrganizeWorld& world, net::SessionManager* session) {
    if (!session) {
        world.leaveSession = nullptr;
        world.isSessionHost = nullptr;
        return;
    }
    world.leaveSession = [session] { session->Leave(); };
    world.isSessionHost = [session] { return session->IsHost(); };
}

}  // namespace zv::organize
