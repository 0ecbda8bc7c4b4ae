#pragma once

// A headless screen with the game's content (program directory of the build), the shell's
// palettes and button sheets loaded, and a host window that paints a background picture and
// records the skinned controls' notifications.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "framework/Dib.h"
#include "framework/ProcessState.h"
#include "framework/gui/GdiHelpers.h"
#include "framework/gui/WindowUtilities.h"
#include "platform/core/Sjis.h"
#include "platform/ui/HeadlessBackend.h"
#include "platform/ui/Window.h"
#include "shell/ButtonBitmaps.h"
#include "shell/Palettes.h"
#include "shell/skin/SkinControls.h"

namespace zv::shell::testing {

struct Note {
    uint32_t msg;
    intptr_t w;
    intptr_t l;
    friend bool operator==(const Note&, const Note&) = default;
};

inline std::vector<Note>* gNotes = nullptr;
inline fw::Dib* gHostPicture = nullptr;

inline ui::LResult SkinHostProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    if (msg >= zv::WM_SKIN_PACK_CLICKED && msg <= zv::WM_SKIN_COMBO_SELECTED && gNotes) {
        gNotes->push_back({msg, intptr_t(w), intptr_t(l)});
        return 0;
    }
    if (msg == ui::WM_PAINT) {
        fw::PaintWindowFromBitmap(h, gHostPicture);
        return 0;
    }
    if (msg == ui::WM_ERASEBKGND) return 1;
    return ui::DefWindowProc(h, msg, w, l);
}

// A host that closes a control as soon as the control tells it something: a page button on
// its click, a combo box on its choice (the notifications are recorded first).
inline ui::LResult ClosingHostProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    const ui::LResult r = SkinHostProc(h, msg, w, l);
    if (msg == zv::WM_SKIN_BUTTON_CLICKED) ui::DestroyWindow(ui::GetDlgItem(h, int(w)));
    if (msg == zv::WM_SKIN_COMBO_SELECTED) ui::DestroyWindow(ui::GetDlgItem(h, int(l)));
    return r;
}

class SkinTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fw::SetProgramDirectory(ZV_PROGRAM_DIR);
        auto backend = std::make_unique<ui::HeadlessBackend>(640, 480);
        screen = backend.get();
        wm = std::make_unique<ui::WindowManager>(std::move(backend));
        LoadPalettes({});
        ASSERT_EQ(LoadButtonBitmaps(), 1);
        ASSERT_TRUE(GetButtonSheetG()->HasBits()) << "the content build wrote no Btn_gun.bmp";
        ASSERT_TRUE(skin::RegisterSkinControls(nullptr));
        sheet = std::make_unique<fw::Dib>("btn_gun.bmp");
        // The host's picture: a dark panel with a lighter band, as the organisation windows'
        // artwork gives.
        picture = fw::Dib::CreateBlank(640, 480, GetPaletteTableA());
        fw::FillRectColor({}, picture.get(), 0, 0, 639, 479, ui::Rgb(40, 48, 60));
        for (int y = 0; y < 480; y += 24) {
            fw::FillRectColor({}, picture.get(), 0, y, 639, y, ui::Rgb(60, 70, 86));
        }
        gHostPicture = picture.get();
        gNotes = &notes;
        ui::WindowClass wc;
        wc.name = "SkinHost";
        wc.proc = SkinHostProc;
        ASSERT_TRUE(ui::RegisterClass(wc));
        host = ui::CreateWindowEx(0, "SkinHost", "", ui::WS_POPUP | ui::WS_VISIBLE, 0, 0, 640, 480,
                                  {}, 0, nullptr, nullptr);
        ASSERT_TRUE(host);
        Pump();
    }
    void TearDown() override {
        for (ui::Hwnd top = ui::GetTopWindow({}); top; top = ui::GetTopWindow({})) {
            ui::DestroyWindow(top);
        }
        wm.reset();
        FreeButtonBitmaps();
        gNotes = nullptr;
        gHostPicture = nullptr;
    }

    void Pump() { wm->PumpPending(); }
    // A second host, beside the first, with ClosingHostProc.
    ui::Hwnd MakeClosingHost() {
        ui::WindowClass wc;
        wc.name = "ClosingSkinHost";
        wc.proc = ClosingHostProc;
        EXPECT_TRUE(ui::RegisterClass(wc));
        return ui::CreateWindowEx(0, "ClosingSkinHost", "", ui::WS_POPUP | ui::WS_VISIBLE, 0, 0,
                                  640, 480, {}, 0, nullptr, nullptr);
    }
    ui::Point At(ui::Hwnd h, int x, int y) const {
        ui::Point p{x, y};
        ui::ClientToScreen(h, &p);
        return p;
    }
    void Click(ui::Point p) {
        screen->Click(p.x, p.y);
        Pump();
        screen->AdvanceClock(1000);
    }
    void Down(ui::Point p) {
        screen->MouseMove(p.x, p.y);
        screen->MouseDown(p.x, p.y);
        Pump();
    }
    void Move(ui::Point p) {
        screen->MouseMove(p.x, p.y);
        Pump();
    }
    void Up(ui::Point p) {
        screen->MouseMove(p.x, p.y);
        screen->MouseUp(p.x, p.y);
        Pump();
        screen->AdvanceClock(1000);
    }
    // The notifications of one kind, in order.
    std::vector<Note> NotesOf(uint32_t msg) const {
        std::vector<Note> out;
        for (const Note& n : notes) {
            if (n.msg == msg) out.push_back(n);
        }
        return out;
    }
    // The screen colour that index `index` of table A shows.
    static uint32_t ColourOf(int index) {
        const ui::RgbQuad q = GetPaletteTableA()[index];
        return uint32_t(q.red) << 16 | uint32_t(q.green) << 8 | q.blue;
    }
    int SheetIndex(int x, int y) { return *sheet->GetPixelAddress(x, y); }
    // The screen shows the sheet's pixel (sx, sy) at (x, y) of the window's client area.
    ::testing::AssertionResult ShowsSheetPixel(ui::Hwnd h, int x, int y, int sx, int sy) {
        wm->Flush();
        const ui::Point p = At(h, x, y);
        const int index = SheetIndex(sx, sy);
        if (index == 0) {
            return ::testing::AssertionFailure() << "sheet pixel " << sx << "," << sy
                                                 << " is transparent";
        }
        const uint32_t want = ColourOf(index);
        const uint32_t got = screen->PixelAt(p.x, p.y);
        if (got == want) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << std::hex << "screen " << got << " sheet " << want
                                             << " at " << std::dec << x << "," << y;
    }
    void Shot(const std::string& name) {
        wm->Flush();
        std::filesystem::create_directories("screenshots");
        std::string error;
        EXPECT_TRUE(screen->WriteScreenshot("screenshots/" + name + ".png", &error)) << error;
    }
    static std::string Sjis(const std::string& utf8) { return core::Utf8ToSjis(utf8); }

    ui::HeadlessBackend* screen = nullptr;
    std::unique_ptr<ui::WindowManager> wm;
    std::unique_ptr<fw::Dib> sheet;
    std::unique_ptr<fw::Dib> picture;
    std::vector<Note> notes;
    ui::Hwnd host{};
};

}  // namespace zv::shell::testing
