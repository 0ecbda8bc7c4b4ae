#pragma once

// The deployment screen in network play. The session manager reaches the open deployment dialog
// through its GUI interface: DeploymentNetworkGui answers the two calls that concern it
// (ゲーム開始 enabled once every player arranged its troops; the dialog closed without a
// question when the session is lost) and hands every other call on to the GUI it wraps.
// ConnectDeploymentToSession gives the organisation world the session's leave and host answers.

#include "netplay/NetworkGui.h"
#include "organize/OrganizeWorld.h"

namespace zv::net {
class SessionManager;
}

namespace zv::organize {

class DeploymentNetworkGui : public net::NetworkGui {
  public:
    explicit DeploymentNetworkGui(net::NetworkGui* next = nullptr) : next_(next ? next : &none_) {}
    void SetNext(net::NetworkGui* next) { next_ = next ? next : &none_; }

    // The deployment dialog's; the wrapped GUI is asked only when no deployment dialog is open.
    bool PressOrganizeReturnToTitle() override;
    void EnableOrganizeGameStart(bool enable) override;

    void ShowJoinedStatus() override { next_->ShowJoinedStatus(); }
    void ShowSlotList(const std::uint8_t* slotData) override { next_->ShowSlotList(slotData); }
    void ShowRejected() override { next_->ShowRejected(); }
    void ShowHostChoosingMapStatus() override { next_->ShowHostChoosingMapStatus(); }
    void StartAutoNextTimer() override { next_->StartAutoNextTimer(); }
    void OnGameSetting(int type, int turn, const std::uint8_t* block) override {
        next_->OnGameSetting(type, turn, block);
    }
    void BeginPlay() override { next_->BeginPlay(); }
    void AddChatLine(const std::string& text, std::uint16_t recipients) override {
        next_->AddChatLine(text, recipients);
    }
    void OnRoleResult(int result, const std::int32_t* roles) override { next_->OnRoleResult(result, roles); }
    void CloseNetworkWaitWindow() override { next_->CloseNetworkWaitWindow(); }
    void TransferProgress(bool receiving, Progress what, int blocks) override {
        next_->TransferProgress(receiving, what, blocks);
    }
    void ShowNotice(const std::string& text, std::function<void()> ended) override {
        next_->ShowNotice(text, std::move(ended));
    }
    void ReturnToTitle(Return how) override { next_->ReturnToTitle(how); }
    void SuspendClock() override { next_->SuspendClock(); }
    void TablesReceived(int kind) override { next_->TablesReceived(kind); }
    void AllTroopsDelivered() override { next_->AllTroopsDelivered(); }
    void MapDelivered() override { next_->MapDelivered(); }

  private:
    net::NetworkGui none_;
    net::NetworkGui* next_;
};

// The world's leaveSession and isSessionHost from `session`; a null session clears them.
void ConnectDeploymentToSession(OrganizeWorld& world, net::SessionManager* session);

}  // namespace zv::organize
