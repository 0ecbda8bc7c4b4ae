#pragma once

// The frame's private messages and the menu commands the game's windows send to it. Numbers are
// the ones the game's windows already use; later windows include this header instead of
// repeating them.

#include <cstdint>

namespace zv::shell {

// To the frame.
constexpr std::uint32_t WM_START_GAME = 2103;                // wParam 1: from a saved game
constexpr std::uint32_t WM_BEGIN_PLAY = 2104;
constexpr std::uint32_t WM_MUSIC_CONTROL = 2109;             // wParam 0 open lParam, 1 play, 2 pause, 3 close
constexpr std::uint32_t WM_GAME_OVER = 2113;                 // wParam winners | losers << 16, lParam time limit
constexpr std::uint32_t WM_NETWORK_EVENT = 2115;
constexpr std::uint32_t WM_SET_NETWORK_TARGET = 2116;
constexpr std::uint32_t WM_EXIT_GAME = 2128;
constexpr std::uint32_t WM_DELAYED_RETURN_TO_TITLE = 2129;
constexpr std::uint32_t WM_DELAYED_GAME_OVER = 2132;
constexpr std::uint32_t WM_DELAYED_DEFEAT_DIALOG = 2133;
// The clock thread asks the GUI thread to draw one frame of a fight animation on the map:
// wParam kind | frame << 8 | hex << 16, lParam troop1 | troop2 << 16 (0xFFFF: none).
constexpr std::uint32_t WM_FRAME_FIGHT_FRAME = 2134;
// An alliance proposal waits for the player (GamePanels.h); an answer notice (wParam 1-4).
constexpr std::uint32_t WM_ALLIANCE_PROPOSAL = 2135;
constexpr std::uint32_t WM_ALLIANCE_ANSWER = 2136;

// To other windows.
constexpr std::uint32_t WM_SET_GAME_SPEED = 2072;    // SpeedWnd
constexpr std::uint32_t WM_FIGHT_BEGIN = 2074;       // RealManager: 1 while the fight runs
constexpr std::uint32_t WM_RESULT_ACTIVATE = 2075;   // ResultWnd
constexpr std::uint32_t WM_PANEL_WAIT_MASK = 2078;   // PanelManeger
constexpr std::uint32_t WM_PANEL_MESSAGE = 2079;     // PanelManeger: lParam Shift-JIS text
constexpr std::uint32_t WM_PANEL_CLOCK = 2080;       // PanelManeger
constexpr std::uint32_t WM_PANEL_LINK_QUALITY = 2081;
constexpr std::uint32_t WM_NEWS_CLEAR = 2084;        // NewsWnd, ResultWnd
constexpr std::uint32_t WM_NEWS_ADD = 2085;          // NewsWnd, ResultWnd: lParam the record
constexpr std::uint32_t WM_FIGHT_DATA = 2091;        // RealManager: lParam the battle record
constexpr std::uint32_t WM_RESULT_SET_RECORD = 2093;
constexpr std::uint32_t WM_RESULT_SHOW = 2094;       // ResultWnd: lParam 1 may show, 0 not
constexpr std::uint32_t WM_REFRESH_TROOP_LIST = 2101;
constexpr std::uint32_t WM_TITLE_START = 2124;       // the title window: wParam lobby-launched
constexpr std::uint32_t WM_NEWS_RELOAD = 2127;       // NewsWnd: wParam first, lParam table 26
constexpr std::uint32_t WM_NEWS_SHOW = 2131;         // NewsWnd: wParam 0 news list, 1 second list

// Frame timers.
constexpr std::uintptr_t kTimerReturnToTitle = 6997;
constexpr std::uintptr_t kTimerGameOver = 6998;
constexpr std::uintptr_t kTimerDefeatDialog = 6999;

// Ids of the frame's children.
constexpr int kMdiClientId = 6000;
constexpr int kFirstMdiChildId = 6100;

// Menu and accelerator resources.
constexpr int kMenuMapEditor = 313;
constexpr int kMenuGame = 314;
constexpr int kMenuSystem = 350;
constexpr int kMenuFightDisplay = 352;
constexpr int kMenuSound = 353;
constexpr int kMenuDevelopment = 101;
constexpr int kFrameAccelerators = 102;

// Pending network actions of the frame.
constexpr std::uint8_t kNetActionNone = 0;
constexpr std::uint8_t kNetActionSave = 1;
constexpr std::uint8_t kNetActionReturnToTitle = 2;
constexpr std::uint8_t kNetActionQuit = 3;

// The game's title: the frame's caption and every message box's.
constexpr const char* kGameTitleUtf8 = "ZV6";

}  // namespace zv::shell
