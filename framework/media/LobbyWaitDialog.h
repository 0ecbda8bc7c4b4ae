#pragma once

// The wait of a program that a lobby started to join a session which may not be open yet:
// dialog 108, modal without owner, asks its poll every 250 ms until the poll stops saying
// "still connecting", gives up after 120 polls (about 30 seconds), and ends at once when its
// Cancel button is pressed. Meanwhile the screen is drawn and answers as usual.

#include <cstdint>
#include <functional>

namespace zv::fw {

constexpr int kLobbyWaitDialog = 108;
constexpr int kIdLobbyWaitText = 1081;
constexpr unsigned kLobbyWaitPollMs = 250;
constexpr int kLobbyWaitPolls = 120;
// What the poll answers while the connection is still being made, and the dialog's result
// when Cancel ends it.
constexpr std::int32_t kLobbyStillConnecting = static_cast<std::int32_t>(0x8877015Eu);
constexpr std::int32_t kLobbyWaitCancelled = static_cast<std::int32_t>(0x88770118u);

// Runs the dialog. The result is the last poll's answer (0: connected), kLobbyStillConnecting
// when the polls ran out, or kLobbyWaitCancelled. -1 when the dialog could not be made.
std::int32_t RunLobbyWaitDialog(const std::function<std::int32_t()>& poll);

// Registers template 108 (RunLobbyWaitDialog does so itself).
void RegisterLobbyWaitDialog();

}  // namespace zv::fw
