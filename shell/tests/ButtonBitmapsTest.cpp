#include <gtest/gtest.h>

#include <filesystem>

#include "framework/gui/ControlCreators.h"
#include "framework/media/SoundManager.h"
#include "platform/audio/AudioOutput.h"
#include "platform/core/tests/TempDir.h"
#include "shell/ButtonBitmaps.h"
#include "shell/Palettes.h"
#include "shell/Settings.h"
#include "shell/SoundEffects.h"
#include "shell/tests/SkinTestSupport.h"

namespace zv::shell::testing {
namespace {

int gFace = 0;

ui::LResult FaceHostProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    if (msg == ui::WM_DRAWITEM) {
        return DrawBitmapButton(h, reinterpret_cast<const ui::DrawItemStruct*>(l), gHostPicture,
                                gFace);
    }
    return SkinHostProc(h, msg, w, l);
}

class ButtonFaces : public SkinTest {
  protected:
    void SetUp() override {
        SkinTest::SetUp();
        ui::WindowClass wc;
        wc.name = "FaceHost";
        wc.proc = FaceHostProc;
        ASSERT_TRUE(ui::RegisterClass(wc));
        faceHost = ui::CreateWindowEx(0, "FaceHost", "", ui::WS_POPUP | ui::WS_VISIBLE, 0, 0, 640,
                                      480, {}, 0, nullptr, nullptr);
        button = fw::CreateButtonCtl2(faceHost, 1001, 100, 60, 36, 16);
        ASSERT_TRUE(button);
        Pump();
    }
    void Paint(int face) {
        gFace = face;
        ui::InvalidateRect(button, nullptr, false);
        Pump();
        wm->Flush();
    }
    uint32_t Screen(int x, int y) {
        const ui::Point p = At(button, x, y);
        return screen->PixelAt(p.x, p.y);
    }
    ui::Hwnd faceHost{};
    ui::Hwnd button{};
};

TEST(ButtonFaceTable, HoldsTheFixedRectangles) {
    const auto& t = ButtonFaceTable();
    struct Case {
        int index;
        ButtonFace face;
    };
    const Case cases[] = {{0, {164, 0, 199, 15}},   {3, {272, 0, 307, 15}},
                          {4, {356, 0, 371, 15}},   {8, {308, 0, 323, 15}},
                          {9, {136, 108, 151, 123}}, {29, {456, 108, 471, 123}},
                          {30, {0, 148, 47, 171}},  {32, {20, 108, 39, 127}},
                          {33, {0, 0, 35, 19}},     {46, {468, 0, 503, 19}},
                          {47, {216, 0, 251, 19}}};
    for (const Case& c : cases) {
        EXPECT_EQ(t[c.index].left, c.face.left) << c.index;
        EXPECT_EQ(t[c.index].top, c.face.top) << c.index;
        EXPECT_EQ(t[c.index].right, c.face.right) << c.index;
        EXPECT_EQ(t[c.index].bottom, c.face.bottom) << c.index;
    }
}

TEST_F(ButtonFaces, NormalPressedAndDisabledComeFromTheThreeThirds) {
    // Face 2 of sheet G at (236, 0), 16 high: sample its plate at (2, 8).
    Paint(2);
    EXPECT_EQ(GetCurrentButtonIndex(), 2);
    EXPECT_EQ(Screen(2, 8), ColourOf(SheetIndex(238, 8)));
    Down(At(button, 10, 8));
    EXPECT_EQ(Screen(2, 8), ColourOf(SheetIndex(238, 16 + 8)));
    Up(At(button, 10, 8));
    ui::EnableWindow(button, false);
    Paint(2);
    EXPECT_EQ(Screen(2, 8), ColourOf(SheetIndex(238, 32 + 8)));
}

TEST_F(ButtonFaces, AnUnmappedIndexShowsTheBackgroundAndTheText) {
    ui::SetWindowText(button, "OK");
    const uint32_t under = ColourOf(*picture->GetPixelAddress(100 + 1, 60 + 1));
    for (int face : {-1, 48, 1000}) {
        Paint(face);
        EXPECT_EQ(Screen(1, 1), under) << face;
        // The white text is there.
        bool white = false;
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 36; ++x) white |= Screen(x, y) == 0xFFFFFF;
        }
        EXPECT_TRUE(white) << face;
    }
}

TEST_F(ButtonFaces, ThePaletteTablesKeepEntry255Black) {
    fw::Dib source("palette.bmp");
    ui::RgbQuad entries[256] = {};
    ASSERT_EQ(source.GetColorEntries(0, 256, entries), 256);
    for (const ui::RgbQuad* table : {GetPaletteTableA(), GetPaletteTableB(), GetPaletteTableC()}) {
        for (int i = 0; i < 255; ++i) {
            ASSERT_EQ(table[i].red, entries[i].red) << i;
            ASSERT_EQ(table[i].blue, entries[i].blue) << i;
        }
        EXPECT_EQ(table[255].red | table[255].green | table[255].blue, 0);
    }
    // A missing picture leaves the tables as they were.
    const ui::RgbQuad before = GetPaletteTableA()[40];
    fw::SetProgramDirectory("/nonexistent/");
    fw::SetDibMessageSink([](std::string_view, std::string_view) {});
    LoadPalettes({});
    fw::SetDibMessageSink(nullptr);
    EXPECT_EQ(GetPaletteTableA()[40].green, before.green);
}

TEST(PaletteHelpers, HeaderColourCounts) {
    struct Case {
        uint32_t size;
        uint16_t bits;
        uint32_t used;
        int colours, bytes;
    };
    const Case cases[] = {{40, 8, 0, 256, 1024}, {40, 8, 17, 17, 68}, {40, 4, 0, 16, 64},
                          {40, 1, 0, 2, 8},      {40, 24, 0, 0, 0},   {12, 8, 0, 256, 768},
                          {12, 4, 0, 16, 48}};
    for (const Case& c : cases) {
        uint8_t h[40] = {};
        h[0] = uint8_t(c.size);
        if (c.size == 12) {
            h[10] = uint8_t(c.bits);
        } else {
            h[14] = uint8_t(c.bits);
            h[32] = uint8_t(c.used);
        }
        EXPECT_EQ(GetHeaderColorCount(h), c.colours);
        EXPECT_EQ(GetHeaderColorTableBytes(h), c.bytes);
    }
    ui::RgbQuad table[2] = {{1, 2, 3, 9}, {4, 5, 6, 9}};
    ui::PaletteEntry out[2];
    ColorTableToPaletteEntries(table, out, 2);
    EXPECT_EQ(out[0], (ui::PaletteEntry{3, 2, 1, 0}));
    EXPECT_EQ(out[1], (ui::PaletteEntry{6, 5, 4, 0}));
}

// ---- sound effects ----------------------------------------------------------------------------

class Effects : public ::testing::Test {
  protected:
    void SetUp() override {
        for (int i = 0; i < kSoundEffectCount; ++i) {
            const std::string name = std::string(SoundEffectFileName(i)).substr(1);
            std::filesystem::copy_file(std::string(ZV_PROGRAM_DIR) + "/" + name, dir.Path() + name);
        }
        fw::SetProgramDirectory(dir.Path());
        output = audio::AudioOutput::OpenNull(22050);
        audio::AudioOutput::OverrideShared(output);
        ASSERT_EQ(fw::StartSoundManager(), 1);
        fw::SetSoundAvailable(1);
        LoadSoundEffects();
    }
    void TearDown() override {
        FreeSoundEffects();
        fw::StopSoundManager();
        audio::AudioOutput::OverrideShared(nullptr);
        fw::SetSoundAvailable(1);
        fw::SetProgramDirectory(ZV_PROGRAM_DIR);
    }
    bool Playing(int effect) {
        const uint16_t slot = SoundEffectSlot(effect);
        return slot != fw::kNoSoundSlot && fw::GetSoundSlotState(slot).playing;
    }
    zv::testing::TempDir dir;
    std::shared_ptr<audio::AudioOutput> output;
};

TEST_F(Effects, PlayTable) {
    struct Case {
        const char* name;
        int soundOption;  // -1: key missing (default on)
        int available;
        int effect;
        int result;
    };
    const Case cases[] = {
        {"default on", -1, 1, 0, 1},       {"last effect", 1, 1, 4, 1},
        {"option off", 0, 1, 1, 0},        {"beyond the five", 1, 1, 5, 0},
        {"negative", 1, 1, -1, 0},         {"sound unavailable", 1, 0, 2, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(dir.Path() + "ZV6WIN.INI");
        if (c.soundOption >= 0) PutSound(c.soundOption);
        fw::SetSoundAvailable(c.available);
        EXPECT_EQ(PlaySoundEffect(c.effect), c.result);
        if (c.effect >= 0 && c.effect < kSoundEffectCount) {
            EXPECT_EQ(Playing(c.effect), c.result == 1);
        }
    }
}

TEST_F(Effects, EveryEffectHasASlotAndFreeingEmptiesThem) {
    for (int i = 0; i < kSoundEffectCount; ++i) {
        EXPECT_TRUE(IsSoundEffectLoaded(i));
        EXPECT_NE(SoundEffectSlot(i), fw::kNoSoundSlot) << SoundEffectFileName(i);
    }
    FreeSoundEffects();
    for (int i = 0; i < kSoundEffectCount; ++i) EXPECT_FALSE(IsSoundEffectLoaded(i));
    EXPECT_EQ(PlaySoundEffect(0), 0);
}

}  // namespace
}  // namespace zv::shell::testing
