#pragma once

// The frame's timers, child ids, menu resources and pending network actions. Its messages, like
// every window's, are in shell/WindowMessages.h.

#include <cstdint>
#include "shell/WindowMessages.h"

namespace zv::shell {

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

// WM_MUSIC_CONTROL's wParam.
constexpr std::uintptr_t kMusicOpen = 0;  // lParam the file's path
constexpr std::uintptr_t kMusicPlay = 1;
constexpr std::uintptr_t kMusicPause = 2;
constexpr std::uintptr_t kMusicClose = 3;

// The game's title: the frame's caption and every message box's.
constexpr const char* kGameTitleUtf8 = "ZV6";

}  // namespace zv::shell
