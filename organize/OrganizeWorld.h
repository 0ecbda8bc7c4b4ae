#pragma once

// What the organisation windows work on: the tables, the corps workspace (scratch troop and the
// name of the corps file read last), the folder that holds "USER/", the troop cache of the troop
// information window and the few process-wide answers they ask for (player country, single
// play). The program puts its world into its services; tests into their own.
//
// Message boxes go through OrganizeMessageBox, which tests may answer through a hook.

#include <cstdint>
#include <functional>
#include <string>

#include "platform/ui/WindowTypes.h"
#include "rules/context/TableDirectory.h"

namespace zv::rules {
class ForceWorkspace;
class TroopCache;
}  // namespace zv::rules
namespace zv::sim {
class Simulation;
}

namespace zv::organize {

// The force cursor's country (and slot) of the working force, the corps the windows compose.
inline constexpr std::uint8_t kWorkingForce = 5;

struct OrganizeWorld {
    rules::TableDirectory* tables = nullptr;
    rules::ForceWorkspace* workspace = nullptr;
    // The program folder the corps files live under ("<corpsDirectory>/USER/useFrcNN.prm").
    std::string corpsDirectory;
    rules::TroopCache* troopCache = nullptr;
    std::uint8_t playerCountry = 0;
    int singlePlay = 1;
    // The game's simulation: the troop information dialog's order goes into its journal and
    // holds its dialog busy bit; the deployment screen's rules run on its context. Null outside
    // a game (the corps editor).
    sim::Simulation* simulation = nullptr;
    // Network play: leaves the session (タイトルに戻る, the close box), and whether this
    // participant hosts it (its ゲーム開始 waits for everybody's arrangement). Unset: no session.
    std::function<void()> leaveSession;
    std::function<bool()> isSessionHost;
};

// The installed services' corps editor slot (shell/ProgramServices.h); null: none.
OrganizeWorld* CurrentOrganizeWorld();

// The game's title, the caption of the windows' refusals and questions.
inline constexpr const char* kOrganizeCaption = "ZV6";

// Texts are UTF-8 here; the box shows them in the game's encoding. Returns IDOK, IDYES, IDNO ...
using OrganizeMessageBoxHook =
    std::function<int(ui::Hwnd owner, const std::string& text, const std::string& caption,
                      std::uint32_t type)>;
void SetOrganizeMessageBoxHook(OrganizeMessageBoxHook hook);
int OrganizeMessageBox(ui::Hwnd owner, const std::string& text, const std::string& caption,
                       std::uint32_t type);

// Shift-JIS <-> UTF-8 at the windows' edges.
std::string ToSjis(const std::string& utf8);
std::string ToUtf8(const std::string& sjis);

}  // namespace zv::organize
