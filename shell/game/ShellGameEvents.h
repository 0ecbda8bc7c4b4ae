#pragma once

// What the rules and the simulation tell the game's windows, as the window messages those
// windows take. Calls come from the GUI thread and from the clock thread; a send from the clock
// thread waits until the GUI thread has answered. The frame's actions that tear the world down
// (quitting, returning to the title, saving) are posted instead: the frame parks the clock
// before it acts, which it could not do while the clock waits in a send.

#include "rules/context/GameEvents.h"

namespace zv::shell {

class ShellGameEvents : public rules::GameEvents {
  public:
    void NewsReload(std::uint32_t first, std::uint8_t* records) override;
    void NewsClear() override;
    void NewsAdd(const std::uint8_t* record) override;
    void TerrainReloaded() override;
    void MapRedraw() override;
    void RefreshCampInfo() override;
    void PanelWaitMask(std::uint16_t mask) override;
    void PanelClock() override;
    void GraspRebuild() override;
    void PanelShowTroop(std::uint16_t troop) override;
    void RefreshTroopList() override;
    void NewsShow() override;
    void DelayedGameOver(std::uint16_t winners, std::uint16_t losers, std::uint16_t timeLimit) override;
    void DelayedDefeatDialog(std::uint8_t country) override;
    void SaveGameCommand() override;
    void DelayedReturnToTitle() override;
    void ExitGame() override;
    void AllianceProposal(std::uint8_t proposer, std::uint8_t addressee, std::uint16_t kind,
                          const std::string& proposerName) override;
    void AllianceAnswerNotice(int index) override;
    void NewsPosted(const std::uint8_t* record) override;
    void MapTroopRemoved(std::uint16_t troop) override;
    void PanelTroopRemoved(std::uint16_t troop) override;
    void RefreshTroopListWindow() override;
    void PlaySoundEffect(int effect) override;
    void FightAnimationFrame(int kind, int frame, std::uint16_t troop1, std::uint16_t troop2,
                             std::uint16_t hex) override;
    bool FightDisplayEnabled(bool ownFight) override;
    void PlayFight(const std::uint8_t* battleRecord) override;
    bool PlacementMessage(const char* utf8Text, bool yesNo) override;
    void FrameRedraw() override;
};

}  // namespace zv::shell
