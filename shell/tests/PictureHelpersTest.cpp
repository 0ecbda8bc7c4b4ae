#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "framework/Dib.h"
#include "framework/ProcessState.h"
#include "framework/gui/GdiHelpers.h"
#include "platform/core/Sjis.h"
#include "platform/ui/HeadlessBackend.h"
#include "platform/ui/Window.h"
#include "rules/context/GameContext.h"
#include "rules/context/TableDirectory.h"
#include "rules/files/MapFiles.h"
#include "rules/records/RuleCursors.h"
#include "rules/records/TroopCursor.h"
#include "shell/ProgramServices.h"
#include "shell/Palettes.h"
#include "shell/PictureHelpers.h"
#include "shell/WindowRegistry.h"

namespace zv::shell {
namespace {

constexpr uint8_t kFill = 200;  // the destination's colour before a copy

// The content's sheets, read as the helpers read them, compared cell by cell: where the sheet's
// pixel is the key (0) the destination keeps kFill, elsewhere it holds the sheet's index.
::testing::AssertionResult CellMatches(fw::Dib& dst, int dx, int dy, const char* file, int sx,
                                       int sy, int w, int h) {
    fw::Dib sheet(file);
    if (!sheet.HasBits()) return ::testing::AssertionFailure() << file << " missing";
    int drawn = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const uint8_t s = *sheet.GetPixelAddress(sx + x, sy + y);
            const uint8_t d = *dst.GetPixelAddress(dx + x, dy + y);
            const uint8_t want = s == 0 ? kFill : s;
            if (d != want) {
                return ::testing::AssertionFailure()
                       << file << " cell " << sx << "," << sy << " pixel " << x << "," << y
                       << ": " << int(d) << " != " << int(want);
            }
            drawn += s != 0;
        }
    }
    if (drawn == 0) return ::testing::AssertionFailure() << file << " cell is empty";
    return ::testing::AssertionSuccess();
}

bool Untouched(fw::Dib& dst) {
    for (int y = 0; y < dst.GetHeight(); ++y) {
        for (int x = 0; x < dst.GetWidth(); ++x) {
            if (*dst.GetPixelAddress(x, y) != kFill) return false;
        }
    }
    return true;
}

class Pictures : public ::testing::Test {
  protected:
    void SetUp() override {
        fw::SetProgramDirectory(ZV_PROGRAM_DIR);
        auto backend = std::make_unique<ui::HeadlessBackend>(640, 480);
        wm = std::make_unique<ui::WindowManager>(std::move(backend));
        LoadPalettes({});
        ASSERT_TRUE(tables.LoadAllTables(ZV_PROGRAM_DIR "/"));
        rules::GameContext(tables).ResetAllGameTables();
        ASSERT_TRUE(rules::LoadMapFromMapFolder(tables, rules::NoGameEvents(), ZV_PROGRAM_DIR "/",
                                                "MAP00001.ddm")
                        .ok);
        services->tables = &tables;
        NewDst();
    }
    void TearDown() override {
        services->tables = nullptr;
        SetWindowOfKind(WindowKind::MapWnd, {});
        for (ui::Hwnd top = ui::GetTopWindow({}); top; top = ui::GetTopWindow({})) {
            ui::DestroyWindow(top);
        }
        wm.reset();
    }
    void NewDst(int w = 200, int h = 64) {
        dst = fw::Dib::CreateBlank(w, h, GetPaletteTableC());
        for (int y = 0; y < h; ++y) std::memset(dst->GetPixelAddress(0, y), kFill, size_t(w));
    }
    // A map window exists and the cursor is on (x, y), whose hex is made as given.
    rules::GameContext& Hex(int x, int y, int land, int road, int river) {
        if (ui::Hwnd old = GetWindowOfKind(WindowKind::MapWnd)) ui::DestroyWindow(old);
        const ui::Hwnd map = ui::CreateWindowEx(0, "STATIC", "", ui::WS_POPUP, 0, 0, 10, 10, {}, 0,
                                                nullptr, nullptr);
        SetWindowOfKind(WindowKind::MapWnd, map);
        SetCursorHex(x, y);
        ctx = std::make_unique<rules::GameContext>(tables);
        EXPECT_TRUE(ctx->SelectHexInfoXY(x, y));
        ctx->Hexes().SetLandKind(uint8_t(land));
        ctx->Hexes().SetRoad(uint8_t(road));
        ctx->Hexes().SetRiver(uint8_t(river));
        ctx->SetHexSiteIndex(rules::kNoSiteIndex);
        ctx->SetHexTroopIndex(rules::kNoTroopIndex);
        return *ctx;
    }
    static std::string Utf8(const char* sjis) { return core::SjisToUtf8(sjis); }

    ScopedServices services;
    std::unique_ptr<ui::WindowManager> wm;
    rules::TableDirectory tables;
    std::unique_ptr<rules::GameContext> ctx;
    std::unique_ptr<fw::Dib> dst;
};

TEST_F(Pictures, CategoryIconsTakeTheGraphicColumnAndTheCountryRow) {
    rules::UnitKindCursor kinds(tables);
    struct Case {
        int kind, country, row;
    };
    for (const Case c : {Case{1, 0, 16}, Case{5, 3, 64}, Case{20, 7, 0}, Case{101, -1, 0}}) {
        NewDst();
        ASSERT_TRUE(kinds.Select(c.kind));
        EXPECT_EQ(DrawCategoryIconOnDib(dst.get(), c.kind, 8, 4, c.country), 1);
        EXPECT_TRUE(CellMatches(*dst, 8, 4, "mapcatey.bmp", kinds.GetGraphicIndex() * 16, c.row,
                                16, 16))
            << c.kind;
    }
    NewDst();
    EXPECT_EQ(DrawCategoryIconOnDib(dst.get(), 60000, 8, 4, 0), 0);
    EXPECT_TRUE(Untouched(*dst));
    services->tables = nullptr;
    EXPECT_EQ(DrawCategoryIconOnDib(dst.get(), 1, 8, 4, 0), 0);
}

TEST_F(Pictures, CategoryIconOnADeviceContextCopiesTheWholeCell) {
    rules::UnitKindCursor kinds(tables);
    ASSERT_TRUE(kinds.Select(3));
    ui::Canvas dc = fw::CanvasOnDib(dst.get());
    EXPECT_EQ(DrawCategoryIconDC(&dc, 3, 4, 6, 2), 1);
    fw::Dib sheet("category.bmp");
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            // No key: the cell's transparent pixels are copied too.
            ASSERT_EQ(*dst->GetPixelAddress(4 + x, 6 + y),
                      *sheet.GetPixelAddress(kinds.GetGraphicIndex() * 16 + x, 48 + y))
                << x << "," << y;
        }
    }
    EXPECT_EQ(DrawCategoryIconDC(&dc, 60000, 4, 6, 2), 0);
}

TEST_F(Pictures, SmallSheetsTable) {
    struct Case {
        const char* name;
        int (*draw)(fw::Dib*);
        const char* file;
        int sx, sy, w, h;
    };
    const Case cases[] = {
        {"gun icon", [](fw::Dib* d) { return DrawGunIcon(3, 5, d, 2, 7); }, "Unit_gun.bmp", 64, 224,
         32, 32},
        {"big picture", [](fw::Dib* d) { return DrawUnitBigPicture(3, 5, d, 3, 4); }, "Unt_big.bmp",
         576, 128, 32, 32},
        {"gun strip", [](fw::Dib* d) { return LoadGunStripBitmap(3, 5, d, 9); }, "unt_guns.bmp", 0,
         144, 16, 16},
        {"skill mask 6", [](fw::Dib* d) { return DrawSkillIcons(3, 5, d, 6); }, "skill.bmp", 48, 0,
         48, 16},
        {"skill mask 1024", [](fw::Dib* d) { return DrawSkillIcons(3, 5, d, 1024); }, "skill.bmp",
         480, 0, 48, 16},
        {"org icon", [](fw::Dib* d) { return DrawUnitOrgIcon(3, 5, d, 1, 2); }, "UntmdOrg.bmp", 96,
         32, 16, 16},
        {"middle icon", [](fw::Dib* d) { return DrawUnitMiddleIcon(3, 5, d, 2, 9); },
         "Unt_midl.bmp", 192, 144, 16, 16},
    };
    for (const Case& c : cases) {
        NewDst();
        EXPECT_EQ(c.draw(dst.get()), 1) << c.name;
        EXPECT_TRUE(CellMatches(*dst, 3, 5, c.file, c.sx, c.sy, c.w, c.h)) << c.name;
    }
    for (uint32_t mask : {0u, 1025u, 2048u}) {
        NewDst();
        EXPECT_EQ(DrawSkillIcons(0, 0, dst.get(), mask), 0) << mask;
        EXPECT_TRUE(Untouched(*dst));
    }
}

TEST_F(Pictures, UnitPicturesHalvesSlotsAndTheFallback) {
    // 76 is an eight-machine unit: its small picture is 80 x 32, halves of 40.
    fw::Dib small(ZV_PROGRAM_DIR "/unit/unit076s.bmp");
    ASSERT_EQ(small.GetWidth(), 80);
    struct Case {
        int half, slot, dx, sx, w;
    };
    const Case cases[] = {{1, 0, 0, 0, 40},  {2, 0, 0, 40, 40}, {1, 30, 0, 5, 30},
                          {0, 30, 0, 45, 30}, {1, 50, 5, 0, 40}};
    for (const Case& c : cases) {
        NewDst();
        EXPECT_EQ(LoadUnitPicture(dst.get(), 76, 0, 10, 2, 0, c.half, c.slot), 1);
        EXPECT_TRUE(CellMatches(*dst, 10 + c.dx, 2, ZV_PROGRAM_DIR "/unit/unit076s.bmp", c.sx, 0,
                                c.w, 32))
            << c.half << " " << c.slot;
    }
    NewDst();
    LoadUnitPicture(dst.get(), 76, 0, 0, 0, 1, 1, 0);
    EXPECT_TRUE(CellMatches(*dst, 0, 0, ZV_PROGRAM_DIR "/unit/unit076.bmp", 0, 0, 48, 40));
    // A picture without a file: the large picture 1, whatever size was asked.
    fw::Dib first(ZV_PROGRAM_DIR "/unit/unit001.bmp");
    for (int size : {0, 1}) {
        NewDst();
        LoadUnitPicture(dst.get(), 123, 0, 0, 0, size, 2, 0);
        EXPECT_TRUE(CellMatches(*dst, 0, 0, ZV_PROGRAM_DIR "/unit/unit001.bmp",
                                first.GetWidth() / 2, 0, first.GetWidth() / 2, first.GetHeight()));
    }
}

TEST_F(Pictures, WithoutAMapWindowTheCursorSelectsNothing) {
    SetCursorHex(3, 4);
    EXPECT_EQ(GetCursorHex(), 0x00FF00FFu);
    EXPECT_EQ(Utf8(GetCursorHexTerrainText()), "なし");
    EXPECT_EQ(Utf8(GetTroopNameText()), "なし");
    EXPECT_EQ(DrawCursorHexPicture(0, 0, dst.get()), 0);
    EXPECT_EQ(DrawCursorTroopPicture(0, 0, dst.get()), 0);
    EXPECT_TRUE(Untouched(*dst));
}

TEST_F(Pictures, CursorHexTextTable) {
    rules::LandKindCursor lands(tables);
    struct Case {
        int land, road, river, siteKind;  // siteKind -1: no site
        std::string want;
    };
    auto nameOf = [&](int n) {
        lands.Select(n);
        return Utf8(lands.GetName());
    };
    const Case cases[] = {
        {7, 255, 255, -1, nameOf(7)},
        {0, 255, 5, -1, "河"},
        {0, 9, 5, -1, "道路"},
        {0, 9, 255, 0, nameOf(15)},  // a capital with a road: the site's name
        {0, 255, 255, 5, nameOf(20)},
    };
    for (const Case& c : cases) {
        rules::GameContext& g = Hex(10, 10, c.land, c.road, c.river);
        if (c.siteKind >= 0) {
            g.SetHexSiteIndex(199);
            ASSERT_TRUE(g.Sites().Select(199));
            g.Sites().SetKind(uint8_t(c.siteKind));
            g.Sites().SetOwner(1);
        }
        EXPECT_EQ(Utf8(GetCursorHexTerrainText()), c.want);
        EXPECT_EQ(GetCursorHex(), 10u | 10u << 16);
    }
}

TEST_F(Pictures, CursorHexPictureLayers) {
    rules::GameContext& g = Hex(20, 21, 8, 255, 255);
    EXPECT_EQ(DrawCursorHexPicture(4, 4, dst.get()), 1);
    EXPECT_TRUE(CellMatches(*dst, 4, 4, "hexMidl.bmp", 8 * 16, 0, 16, 16));
    // A site of country 3 shows its cell over the terrain: kind 2 in row 2.
    g.SetHexSiteIndex(198);
    ASSERT_TRUE(g.Sites().Select(198));
    g.Sites().SetKind(2);
    g.Sites().SetOwner(3);
    NewDst();
    DrawCursorHexPicture(4, 4, dst.get());
    fw::Dib sheet("hexMidl.bmp");
    int siteShown = 0;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const uint8_t s = *sheet.GetPixelAddress(2 * 16 + x, 32 + y);
            if (s != 0) siteShown += *dst->GetPixelAddress(4 + x, 4 + y) == s;
        }
    }
    EXPECT_GT(siteShown, 20);
}

TEST_F(Pictures, CursorTroopPictureAndName) {
    rules::GameContext& g = Hex(30, 31, 0, 255, 255);
    EXPECT_EQ(DrawCursorTroopPicture(0, 0, dst.get()), 1);
    EXPECT_TRUE(Untouched(*dst));
    EXPECT_EQ(Utf8(GetTroopNameText()), "なし");
    g.SetHexTroopIndex(250);
    ASSERT_TRUE(g.Troops().Select(250));
    g.Troops().SetCountry(2);
    g.Troops().SetCommandByte(4);
    g.Troops().SetIcon(7);
    g.Troops().SetName(core::Utf8ToSjis("第九機甲中隊").c_str());
    EXPECT_EQ(DrawCursorTroopPicture(2, 3, dst.get()), 1);
    EXPECT_TRUE(CellMatches(*dst, 2, 3, "Unt_big.bmp", (4 + 2 * 6) * 32, 7 * 32, 32, 32));
    EXPECT_EQ(Utf8(GetTroopNameText()), "第九機甲中隊");
}

TEST_F(Pictures, HexPictureBuilderTable) {
    struct Case {
        int land, variant;
        int sx, sy;  // the hexBig cell it shows
    };
    const Case cases[] = {
        {3, 0, 3 * 32, 0},     {12, 0, 12 * 32, 0},  {16, 2, 13 * 32, 32}, {15, 0, 0, 32},
        {17, 3, 2 * 32, 64},   {18, 4, 16 * 32, 0},  {23, 0, 2 * 32, 96},  {28, 0, 7 * 32, 96},
    };
    for (const Case& c : cases) {
        NewDst();
        EXPECT_EQ(LoadHexBitmaps({}, dst.get(), 6, 6, c.land, c.variant), 1);
        EXPECT_TRUE(CellMatches(*dst, 6, 6, "hexBig.bmp", c.sx, c.sy, 32, 32)) << c.land;
    }
    // The road over the plain (land kind 13): the road cell of lineBig on the plain's cell.
    NewDst();
    LoadHexBitmaps({}, dst.get(), 6, 6, 13, 0);
    fw::Dib line("lineBig.bmp");
    fw::Dib hex("hexBig.bmp");
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const uint8_t road = *line.GetPixelAddress(608 + x, 64 + y);
            const uint8_t plain = *hex.GetPixelAddress(x, y);
            const uint8_t want = road ? road : plain ? plain : kFill;
            ASSERT_EQ(*dst->GetPixelAddress(6 + x, 6 + y), want) << x << "," << y;
        }
    }
    NewDst();
    EXPECT_EQ(LoadHexBitmaps({}, dst.get(), 0, 0, 200, 0), 0);
    EXPECT_TRUE(Untouched(*dst));
}

}  // namespace
}  // namespace zv::shell
