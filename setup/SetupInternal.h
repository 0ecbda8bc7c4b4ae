#pragma once

// What the set-up pages share inside the module and its tests.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "framework/Dib.h"
#include "platform/ui/DialogConstants.h"
#include "platform/ui/Font.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowObject.h"
#include "platform/ui/WindowTypes.h"
#include "setup/SetupContainer.h"

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

// WM_CTLCOLORSTATIC of a page for the labels that stand on its picture: white text, no
// background of its own, the black brush. False (nothing set) for other controls.
bool AnswerWhiteLabel(ui::WParam w, bool isLabel, ui::LResult* result);

// ---- Pages as objects ----

// A page of the set-up: one object per page window that owns the page's font, its picture and
// whatever the page keeps. Dispatch answers what every page does with its picture (WM_PAINT,
// WM_ERASEBKGND, the owner-drawn list rows, the labels that stand on it) and hands everything
// else to the page's OnMessage.
class SetupPage : public ui::WindowObject {
  public:
    explicit SetupPage(ui::Hwnd page) : WindowObject(page) {}
    virtual ~SetupPage() = default;

    ui::LResult Dispatch(std::uint32_t msg, ui::WParam w, ui::LParam l);

    fw::Dib* Background() const { return background_.get(); }
    // The four alliance masks (bit c: allied with country c) of a conditions page; null on the
    // other pages.
    virtual std::uint8_t* AllianceMasks() { return nullptr; }

  protected:
    virtual ui::LResult OnMessage(std::uint32_t msg, ui::WParam w, ui::LParam l) = 0;
    // Whether the static control (or the button, when the page also colours buttons) stands on
    // the picture and so takes white text without a background of its own.
    virtual bool IsWhiteLabel(int /*id*/) const { return false; }
    // The page's 12-pixel bold font and its picture.
    void LoadBasics(const char* picture = kPagePicture);
    ui::Hwnd Container() const { return ui::GetParent(Handle()); }

    std::unique_ptr<ui::Font> font_;
    std::unique_ptr<fw::Dib> background_;
    // The page answers WM_CTLCOLORBTN as WM_CTLCOLORSTATIC (its check and radio boxes stand on
    // the picture too).
    bool whiteButtons_ = false;
};

// The procedure of a page class whose object is T: the object is made at WM_NCCREATE, kept in
// the window's user data as a SetupPage and deleted after WM_NCDESTROY.
SetupPage* StoredSetupPage(ui::Hwnd page);
void StoreSetupPage(ui::Hwnd page, SetupPage* object);

template <typename T>
ui::LResult SetupPageProc(ui::Hwnd page, std::uint32_t msg, ui::WParam w, ui::LParam l) {
    SetupPage* self = StoredSetupPage(page);
    if (self == nullptr) {
        if (msg != ui::WM_NCCREATE) return ui::DefWindowProc(page, msg, w, l);
        self = new T(page);
        StoreSetupPage(page, self);
    }
    if (msg != ui::WM_NCDESTROY) return self->Dispatch(msg, w, l);
    const std::unique_ptr<SetupPage> owned(self);
    StoreSetupPage(page, nullptr);
    return owned->Dispatch(msg, w, l);
}

// The object of a set-up page window; null for any other window (or a page class some other
// procedure took over).
SetupPage* SetupPageOf(ui::Hwnd page);
template <typename T>
T* SetupPageOf(ui::Hwnd page) {
    return dynamic_cast<T*>(SetupPageOf(page));
}

// The procedure of the window's class: what a control or dialog a page took over passes on the
// messages it does not answer to (DefWindowProc when the class is unknown).
ui::LResult CallClassProcedure(ui::Hwnd h, std::uint32_t msg, ui::WParam w, ui::LParam l);

// The title page.
bool IsInQuitRectangle(int x, int y);
// The idle count of the open title page (0 when none is open).
int GetTitleIdleCounter();

}  // namespace zv::setup
