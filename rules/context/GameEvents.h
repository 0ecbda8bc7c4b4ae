#pragma once

#include <cstdint>
#include <string>

namespace zv::rules {

// What the rules tell the game's windows. The shell implements it by sending the window
// messages; headless runs use this no-op base; tests use the recorder in rules/testing/.
// Every method has a no-op default so a new event never breaks existing implementations.
class GameEvents {
  public:
    virtual ~GameEvents() = default;

    // The news window reloads its records into the news table from element `first` on
    // (WM_NEWS_RELOAD); `records` points at table 26's base.
    virtual void NewsReload(std::uint32_t first, std::uint8_t* records) {
        (void)first;
        (void)records;
    }
    // The news window forgets every record (WM_NEWS_CLEAR).
    virtual void NewsClear() {}
    // The news window appends one 1008-byte news record (WM_NEWS_ADD); the window copies it.
    virtual void NewsAdd(const std::uint8_t* record) { (void)record; }
    // A map or saved game replaced the terrain: the route searches reload it.
    virtual void TerrainReloaded() {}
    // The map windows repaint from the current tables (WM_MAP_TICK_REDRAW).
    virtual void MapRedraw() {}
    // The country summary redraws (WM_REFRESH_CAMP_INFO).
    virtual void RefreshCampInfo() {}

    // What executing the journal tells the windows. Each reaches the named window only when
    // the shell's conditions hold (the window exists, is visible, ...).
    // The panel manager shows which participants hold the game (WM_PANEL_WAIT_MASK).
    virtual void PanelWaitMask(std::uint16_t mask) { (void)mask; }
    // The panel manager shows the new clock (WM_PANEL_CLOCK).
    virtual void PanelClock() {}
    // The situation window rebuilds its lists (WM_GRASP_REBUILD).
    virtual void GraspRebuild() {}
    // The panel manager shows the troop (WM_PANEL_SHOW_TROOP).
    virtual void PanelShowTroop(std::uint16_t troop) { (void)troop; }
    // The helper window reloads its troop list (WM_REFRESH_TROOP_LIST).
    virtual void RefreshTroopList() {}
    // The news window comes up (WM_NEWS_SHOW).
    virtual void NewsShow() {}
    // The frame's delayed actions: game over (WM_DELAYED_GAME_OVER, wParam losers << 16 |
    // winners, lParam the time-limit flag), a country's defeat (WM_DELAYED_DEFEAT_DIALOG),
    // saving (IDM_SAVE_GAME), return to the title (WM_DELAYED_RETURN_TO_TITLE), quitting
    // (WM_EXIT_GAME).
    virtual void DelayedGameOver(std::uint16_t winners, std::uint16_t losers,
                                 std::uint16_t timeLimit) {
        (void)winners;
        (void)losers;
        (void)timeLimit;
    }
    virtual void DelayedDefeatDialog(std::uint8_t country) { (void)country; }
    virtual void SaveGameCommand() {}
    virtual void DelayedReturnToTitle() {}
    virtual void ExitGame() {}
    // Country `proposer` asks the local player (`addressee`) to conclude (kind 0) or break
    // (kind 1) an alliance; `proposerName` is Shift-JIS. The question must not hold the
    // thread that executes the journal: the shell asks on its own thread and answers with
    // BuildAllianceAnswerOrder (addressee, proposer, kind, 1 approved / 0 declined) on the
    // world's simulation.
    virtual void AllianceProposal(std::uint8_t proposer, std::uint8_t addressee, std::uint16_t kind,
                                  const std::string& proposerName) {
        (void)proposer;
        (void)addressee;
        (void)kind;
        (void)proposerName;
    }
    // The proposer learns the answer: 1 conclusion approved, 2 conclusion declined, 3 break
    // approved, 4 break declined. Shown without holding the executing thread.
    virtual void AllianceAnswerNotice(int index) { (void)index; }

    // What the rule operations on the live tables tell the windows.
    // A news record for the local player, already stamped with the game time: the news window
    // appends it (WM_NEWS_ADD) and the panel manager shows its line (WM_PANEL_MESSAGE).
    virtual void NewsPosted(const std::uint8_t* record) { (void)record; }
    // The troop has left the map (WM_MAP_TROOP_REMOVED to the map window).
    virtual void MapTroopRemoved(std::uint16_t troop) { (void)troop; }
    // The panels forget the removed troop (WM_PANEL_SHOW_TROOP with lParam 1).
    virtual void PanelTroopRemoved(std::uint16_t troop) { (void)troop; }
    // The troop list window reloads when it is visible (WM_REFRESH_TROOP_LIST to TroopListWnd).
    virtual void RefreshTroopListWindow() {}
    // A sound effect plays (1: a cruise missile leaves).
    virtual void PlaySoundEffect(int effect) { (void)effect; }

    // Fights. The map shows frame 0-8 of the firing (kind 0) or hit (kind 1) animation over
    // troop1 and troop2 (0xFFFF none) and the hex (x | y << 8; 0xFFFF none). Each run sends the
    // nine frames in order; the animation counts as running from frame 0 until frame 8 is shown.
    // The rules never wait between frames: the shell paces them.
    virtual void FightAnimationFrame(int kind, int frame, std::uint16_t troop1,
                                     std::uint16_t troop2, std::uint16_t hex) {
        (void)kind;
        (void)frame;
        (void)troop1;
        (void)troop2;
        (void)hex;
    }
    // The fight display settings: FightMine (a fight of the local player's troops) when
    // `ownFight`, else FightOther.
    virtual bool FightDisplayEnabled(bool ownFight) {
        (void)ownFight;
        return false;
    }
    // The fight windows play the 664-byte battle record (WM_FIGHT_DATA to RealManager); the call
    // returns when they are done (WM_FIGHT_BEGIN answers 0, asked at most 60000 times).
    virtual void PlayFight(const std::uint8_t* battleRecord) { (void)battleRecord; }

    // Unit placement. A message box of the placement rules (UTF-8 text, captioned with the game's
    // title, owned by the placement message owner or the active window): Yes and No buttons when
    // `yesNo`, else OK. True for Yes.
    virtual bool PlacementMessage(const char* utf8Text, bool yesNo) {
        (void)utf8Text;
        (void)yesNo;
        return false;
    }
    // The user picks the carrier or one of the troops it carries ("搭載状況"); 0xFFFF when the
    // dialog is cancelled.
    virtual std::uint16_t ChooseTroopFromCarrier(std::uint16_t carrier) {
        (void)carrier;
        return 0xFFFF;
    }
    // The frame redraws everything (WM_COMMAND 40039 "再描画").
    virtual void FrameRedraw() {}
};

// Shared do-nothing instance for callers that have no windows.
GameEvents& NoGameEvents();

}  // namespace zv::rules
