#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/BmpWriter.h"
#include "framework/Dib.h"
#include "platform/core/tests/TempDir.h"

namespace zv::fw {
namespace {

using zv::testing::TempDir;

ui::LogicalPalette PaletteOf(std::initializer_list<ui::PaletteEntry> entries) {
    ui::LogicalPalette p;
    p.entries = entries;
    return p;
}

// A 3 x 2 picture: top row red, green, blue; bottom row white, black, near-red.
ui::Surface32Buffer Picture() {
    ui::Surface32Buffer b(3, 2);
    ui::Surface32 v = b.View();
    v.Row(0)[0] = ui::ToPixel32(ui::Rgb(255, 0, 0));
    v.Row(0)[1] = ui::ToPixel32(ui::Rgb(0, 255, 0));
    v.Row(0)[2] = ui::ToPixel32(ui::Rgb(0, 0, 255));
    v.Row(1)[0] = ui::ToPixel32(ui::Rgb(255, 255, 255));
    v.Row(1)[1] = ui::ToPixel32(ui::Rgb(0, 0, 0));
    v.Row(1)[2] = ui::ToPixel32(ui::Rgb(240, 10, 10));
    return b;
}

const ui::LogicalPalette kFive =
    PaletteOf({{0, 0, 0, 0}, {255, 0, 0, 0}, {0, 255, 0, 0}, {0, 0, 255, 0}, {255, 255, 255, 0}});

TEST(BmpWriter, PaletteDibOfEightBits) {
    ui::Surface32Buffer pic = Picture();
    const auto dib = BitmapToPaletteDib(pic.View(), 8, &kFive);
    ASSERT_TRUE(dib.has_value());
    ASSERT_EQ(dib->size(), 40u + 5 * 4 + 4 * 2);
    const BitmapInfoHeaderView h(const_cast<uint8_t*>(dib->data()));
    EXPECT_EQ(h.Size(), 40u);
    EXPECT_EQ(h.Width(), 3);
    EXPECT_EQ(h.Height(), 2);
    EXPECT_EQ(h.Planes(), 1);
    EXPECT_EQ(h.BitCount(), 8);
    EXPECT_EQ(h.Compression(), 0u);
    EXPECT_EQ(h.SizeImage(), 8u);
    EXPECT_EQ(h.ClrUsed(), 5u);
    EXPECT_EQ(h.ClrImportant(), 0u);
    const uint8_t* table = dib->data() + 40;
    EXPECT_EQ(std::vector<uint8_t>(table + 4, table + 8), (std::vector<uint8_t>{0, 0, 255, 0}));
    // Bottom row first, each padded to four bytes.
    const uint8_t* image = table + 20;
    EXPECT_EQ(std::vector<uint8_t>(image, image + 8),
              (std::vector<uint8_t>{4, 0, 1, 0, 1, 2, 3, 0}));
}

TEST(BmpWriter, DepthFollowsThePaletteSize) {
    ui::Surface32Buffer pic = Picture();
    ui::LogicalPalette sixteen;
    sixteen.entries.assign(16, ui::PaletteEntry{});
    sixteen.entries[9] = {255, 0, 0, 0};
    sixteen.entries[12] = {255, 255, 255, 0};
    const auto dib = BitmapToPaletteDib(pic.View(), 0, &sixteen);
    ASSERT_TRUE(dib.has_value());
    const BitmapInfoHeaderView h(const_cast<uint8_t*>(dib->data()));
    EXPECT_EQ(h.BitCount(), 4);
    EXPECT_EQ(h.ClrUsed(), 16u);
    // Nibbles high first: bottom row white (12), black (0), near-red (9).
    const uint8_t* image = dib->data() + 40 + 64;
    EXPECT_EQ(image[0], 0xC0);
    EXPECT_EQ(image[1], 0x90);

    ui::LogicalPalette big;
    big.entries.assign(17, ui::PaletteEntry{});
    EXPECT_EQ(BitmapToPaletteDib(pic.View(), 0, &big)->at(14), 8);  // bit count byte
    // No palette: the default palette's 20 colours, so 8 bits.
    const auto byDefault = BitmapToPaletteDib(pic.View(), 0, nullptr);
    ASSERT_TRUE(byDefault.has_value());
    EXPECT_EQ(BitmapInfoHeaderView(const_cast<uint8_t*>(byDefault->data())).ClrUsed(), 20u);
    EXPECT_FALSE(BitmapToPaletteDib(ui::Surface32{}, 8, &kFive).has_value());
    EXPECT_FALSE(BitmapToPaletteDib(pic.View(), 24, &kFive).has_value());
}

TEST(BmpWriter, OtherLayouts) {
    ui::Surface32Buffer pic = Picture();
    struct Case {
        const char* name;
        uint32_t compression;
        int bits;
        int usage;
        std::vector<uint8_t> image;  // what follows the colour table
        uint32_t colors;
    };
    const Case cases[] = {
        {"24 bits",
         BI_RGB,
         24,
         DIB_PAL_COLORS,
         {255, 255, 255, 0, 0,   0, 10,  10, 240, 0, 0, 0,  // bottom row, padded to 12
          0,   0,   255, 0, 255, 0, 255, 0,  0,   0, 0, 0},
         0},
        {"32 bits by default",
         BI_RGB,
         0,
         DIB_PAL_COLORS,
         {255, 255, 255, 0, 0, 0, 0, 0, 10, 10, 240, 0, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0},
         0},
        {"16 bits",
         BI_RGB,
         16,
         DIB_PAL_COLORS,
         {0xFF, 0x7F, 0x00, 0x00, 0x21, 0x78, 0, 0, 0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0, 0},
         0},
        {"run-length 8",
         BI_RLE8,
         8,
         DIB_RGB_COLORS,
         {1, 4, 1, 0, 1, 1, 0, 0, 1, 1, 1, 2, 1, 3, 0, 1},
         256},
        {"run-length 4",
         BI_RLE4,
         4,
         DIB_RGB_COLORS,
         {1, 0x44, 1, 0x00, 1, 0x11, 0, 0, 1, 0x11, 1, 0x22, 1, 0x33, 0, 1},
         16},
    };
    for (const Case& c : cases) {
        const auto dib = BitmapToPackedDib(pic.View(), c.compression, c.bits, &kFive, c.usage);
        ASSERT_TRUE(dib.has_value()) << c.name;
        const BitmapInfoHeaderView h(const_cast<uint8_t*>(dib->data()));
        EXPECT_EQ(h.Compression(), c.compression) << c.name;
        EXPECT_EQ(h.ClrUsed(), c.colors) << c.name;
        EXPECT_EQ(h.SizeImage(), c.image.size()) << c.name;
        EXPECT_EQ(std::vector<uint8_t>(dib->begin() + 40 + c.colors * 4, dib->end()), c.image)
            << c.name;
    }
    // Palette indices in the table.
    const auto pal = BitmapToPackedDib(pic.View(), BI_RGB, 8, &kFive, DIB_PAL_COLORS);
    ASSERT_TRUE(pal.has_value());
    EXPECT_EQ(ReadLe16(pal->data() + 40 + 2 * 7), 7);
    EXPECT_FALSE(BitmapToPackedDib(pic.View(), BI_RLE8, 4, &kFive, DIB_RGB_COLORS).has_value());
    EXPECT_FALSE(BitmapToPackedDib(pic.View(), 3, 32, &kFive, DIB_PAL_COLORS).has_value());
    EXPECT_FALSE(BitmapToPackedDib(pic.View(), BI_RGB, 8, &kFive, 2).has_value());
}

TEST(BmpWriter, HeaderCopies) {
    PackedDib core = {12, 0, 0, 0, 7, 0, 9, 0, 1, 0, 8, 0};
    uint8_t out[40];
    ASSERT_EQ(GetPackedDibHeader(&core, out), 1);
    const BitmapInfoHeaderView h(out);
    EXPECT_EQ(h.Size(), 40u);
    EXPECT_EQ(h.Width(), 7);
    EXPECT_EQ(h.Height(), 9);
    EXPECT_EQ(h.BitCount(), 8);
    EXPECT_EQ(h.SizeImage(), 0u);  // a core header is returned at once
    PackedDib info(40, 0);
    BitmapInfoHeaderView ih(info.data());
    ih.SetSize(40);
    ih.SetWidth(5);
    ih.SetHeight(2);
    ih.SetBitCount(8);
    ASSERT_EQ(GetPackedDibHeader(&info, out), 1);
    EXPECT_EQ(h.SizeImage(), 16u);
    EXPECT_EQ(h.ClrUsed(), 256u);
    EXPECT_EQ(GetPackedDibHeader(nullptr, out), 0);
    PackedDib tiny(20, 0);
    tiny[0] = 40;
    EXPECT_EQ(GetPackedDibHeader(&tiny, out), 0);
}

TEST(BmpWriter, SavedFilesReadBackThroughTheDibReader) {
    TempDir dir;
    ui::Surface32Buffer pic = Picture();
    const std::string path = dir.Path() + "shot.bmp";
    dir.Put("shot.bmp", std::string(5000, 'x'));  // an older, longer file is replaced whole
    ASSERT_EQ(SaveBitmapFile(path, pic.View(), &kFive), 1);
    const std::string bytes = TempDir::Read(path);
    ASSERT_EQ(bytes.size(), 14u + 40 + 5 * 4 + 8);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(ReadLe32(reinterpret_cast<const uint8_t*>(bytes.data()) + 2), bytes.size());
    EXPECT_EQ(ReadLe32(reinterpret_cast<const uint8_t*>(bytes.data()) + 10), 14u + 40 + 4 * 5);
    EXPECT_EQ(bytes[14 + 14], 8);  // always 8 bits per pixel

    Dib dib(path.c_str());
    ASSERT_EQ(dib.GetWidth(), 3);
    ASSERT_EQ(dib.GetHeight(), 2);
    EXPECT_EQ(dib.GetPixelColor(0, 0), 0x02000000u | ui::Rgb(255, 0, 0));
    EXPECT_EQ(dib.GetPixelColor(2, 0), 0x02000000u | ui::Rgb(0, 0, 255));
    EXPECT_EQ(dib.GetPixelColor(2, 1), 0x02000000u | ui::Rgb(255, 0, 0));  // nearest entry

    // Through an open file: the same bytes.
    const auto packed = BitmapToPackedDib(pic.View(), BI_RGB, 8, &kFive, DIB_RGB_COLORS);
    {
        FileObject file(dir.Path() + "again.bmp", kFileModeWriteKeep);
        EXPECT_EQ(WriteDibToFile(file, &*packed), 1);
    }
    EXPECT_EQ(TempDir::Read(dir.Path() + "again.bmp"), bytes);
    FileObject unused;
    EXPECT_EQ(WriteDibToFile(unused, nullptr), 0);

    // A block shorter than its header says is not written.
    PackedDib cut = *packed;
    cut.pop_back();
    EXPECT_FALSE(MakeBmpFileBytes(cut).has_value());
    EXPECT_EQ(SaveBitmapFile(dir.Path() + "no/such/folder/x.bmp", pic.View(), &kFive), 0);
}

TEST(BmpWriter, IndexedPicturesKeepTheirColours) {
    Dib src(2, 1, nullptr);  // static colours: 249 red, 252 blue
    *src.GetPixelAddress(0, 0) = 249;
    *src.GetPixelAddress(1, 0) = 252;
    const auto dib = BitmapToPaletteDib(src.GetBitmapHandle(), 8, &kFive);
    ASSERT_TRUE(dib.has_value());
    const uint8_t* image = dib->data() + 40 + 20;
    EXPECT_EQ(image[0], 1);
    EXPECT_EQ(image[1], 3);
}

}  // namespace
}  // namespace zv::fw
