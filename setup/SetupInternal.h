#pragma once

// What the set-up pages share inside the module and its tests.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/ui/DialogConstants.h"
#include "platform/ui/WindowTypes.h"
#include "setup/SetupContainer.h"

namespace zv::fw {
class Dib;
}
namespace zv::rules {
class TableDirectory;
}

namespace zv::setup {

// The pictures of the pages.
constexpr const char* kTitlePicture = "mainTl00.bmp";
constexpr const char* kPagePicture = "mainTl01.bmp";
constexpr const char* kCountryMarksPicture = "campMark.bmp";

// The name a network player goes by keeps at most this many bytes (a 17-byte field with its
// terminator).
constexpr std::size_t kUserNameBytes = 16;

const OpeningDemoRunner& CurrentOpeningDemoRunner();
const UserNameDialog& CurrentUserNameDialog();

// The live tables, null before the program installed its world.
rules::TableDirectory* LiveTables();
// GameSettingsRecord's single-play field.
void WriteSettingsSinglePlay(std::int32_t singlePlay);
// The text cut to at most maxBytes without splitting a double-byte character.
std::string CutSjisName(std::string_view text, std::size_t maxBytes);
// A page picture from the program directory; an empty (unloaded) Dib never comes back: a
// missing file gives a black 600 x 400 picture so that the page still shows its controls.
std::unique_ptr<fw::Dib> LoadPagePicture(const char* fileName);

// Every box of the set-up pages: OK or Yes/No, captioned with the game's title; the text is
// UTF-8. A hook installed by tests answers instead of a box (null: real boxes).
using SetupMessageBoxHook =
    std::function<int(ui::Hwnd owner, const std::string& utf8Text, std::uint32_t type)>;
void SetSetupMessageBoxHook(SetupMessageBoxHook hook);
int SetupMessageBox(ui::Hwnd owner, const char* utf8Text, std::uint32_t type);

// What every page does with its picture: WM_PAINT copies it, WM_ERASEBKGND leaves the
// background to it, WM_DRAWITEM paints the owner-drawn list rows. True when msg was one of them.
bool HandlePagePicture(ui::Hwnd page, std::uint32_t msg, ui::WParam w, ui::LParam l, fw::Dib* picture,
                       ui::LResult* result);
// WM_CTLCOLORSTATIC of a page for the labels that stand on its picture: white text, no
// background of its own, the black brush. False (nothing set) for other controls.
bool AnswerWhiteLabel(ui::WParam w, bool isLabel, ui::LResult* result);

// The title page.
bool IsInQuitRectangle(int x, int y);
int GetTitleIdleCounter();

}  // namespace zv::setup
