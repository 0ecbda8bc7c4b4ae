#pragma once

// The GUI side of the network game, apart from the session manager so that a window can answer
// it without the whole session.

#include <cstdint>
#include <functional>
#include <string>

namespace zv::net {

// What the GUI side does with the network events: the set-up pages, the frame, the progress
// windows and the in-game dialogs implement these; every method runs on the GUI thread. The
// defaults do nothing.
class NetworkGui {
  public:
    virtual ~NetworkGui() = default;
    virtual void ShowJoinedStatus() {}
    // The 232-byte slot table.
    virtual void ShowSlotList(const std::uint8_t* slotData) { (void)slotData; }
    // "セッションに参加することができませんでした。" (the manager closes the session).
    virtual void ShowRejected() {}
    virtual void ShowHostChoosingMapStatus() {}
    virtual void StartAutoNextTimer() {}
    // Types 7 and 8 (the turn of the country choice) and 9 (the settings are done).
    virtual void OnGameSetting(int type, int turn, const std::uint8_t* block) {
        (void)type, (void)turn, (void)block;
    }
    // WM_BEGIN_PLAY to the frame.
    virtual void BeginPlay() {}
    virtual void AddChatLine(const std::string& text, std::uint16_t recipients) {
        (void)text, (void)recipients;
    }
    virtual void OnRoleResult(int result, const std::int32_t* roles) { (void)result, (void)roles; }
    virtual void CloseNetworkWaitWindow() {}
    // Progress windows: receiving (ReceverParaWd) or sending (TransFaParaWd); show with a range
    // of `blocks`, step, or hide.
    enum class Progress { Show, Step, Hide };
    virtual void TransferProgress(bool receiving, Progress what, int blocks) {
        (void)receiving, (void)what, (void)blocks;
    }
    // A timed notice of 3000 ms; `ended` runs when it closes (the manager closes the session
    // there when asked to).
    virtual void ShowNotice(const std::string& text, std::function<void()> ended) {
        (void)text;
        if (ended) ended();
    }
    // Back to the title: from the set-up pages (WM_SETUP_PREV_PAGE), by the frame's command
    // 40118, or delayed (WM_DELAYED_RETURN_TO_TITLE).
    enum class Return { SetupPages, Command, Delayed };
    virtual void ReturnToTitle(Return how) { (void)how; }
    // Asks an open organisation dialog to return to the title; false when none was open.
    virtual bool PressOrganizeReturnToTitle() { return false; }
    virtual void SuspendClock() {}
    virtual void EnableOrganizeGameStart(bool enable) { (void)enable; }
    // The tables were overwritten by a received image of this kind.
    virtual void TablesReceived(int kind) { (void)kind; }
    // The transfer of the all-troops image was acknowledged by everybody (host): the game may
    // start. Called after the manager sent ZVCMSG_GAME_START.
    virtual void AllTroopsDelivered() {}
    // A map or saved game was acknowledged by everybody (host).
    virtual void MapDelivered() {}
};

}  // namespace zv::net
