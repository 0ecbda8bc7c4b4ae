#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "framework/Dib.h"
#include "framework/ProcessState.h"
#include "platform/core/tests/TempDir.h"

namespace zv::fw {
namespace {

using zv::testing::TempDir;

// Collects the reader's message boxes for the life of a test.
class MessageLog {
  public:
    MessageLog() {
        SetDibMessageSink([this](std::string_view caption, std::string_view text) {
            lines.push_back(std::string(caption) + ": " + std::string(text));
        });
    }
    ~MessageLog() { SetDibMessageSink(nullptr); }
    std::vector<std::string> lines;
};

void Put16(std::string& s, std::size_t at, uint16_t v) {
    s[at] = char(v & 0xFF);
    s[at + 1] = char(v >> 8);
}
void Put32(std::string& s, std::size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + i] = char((v >> (8 * i)) & 0xFF);
}

// The bytes of a .bmp file. Pixel rows are given top row first; in the file they are stored
// bottom-up and padded to four bytes.
struct BmpSpec {
    bool fileHeader = true;
    int headerSize = 40;
    int width = 3;
    int height = 2;
    int bitCount = 8;
    uint32_t compression = 0;
    uint32_t clrUsed = 0;
    uint32_t sizeImage = 0;
    int tableEntries = 256;        // entries written to the file
    uint32_t gapBeforePixels = 0;  // bytes between the table and the pixels (needs fileHeader)
    std::vector<std::vector<uint8_t>> rows{{1, 2, 3}, {4, 5, 6}};
    std::size_t cutPixelBytes = 0;  // leave this many bytes of pixel data out

    std::string Build() const {
        const std::size_t entrySize = headerSize == 12 ? 3 : 4;
        std::string info(std::size_t(headerSize), '\0');
        Put32(info, 0, uint32_t(headerSize));
        if (headerSize == 12) {
            Put16(info, 4, uint16_t(width));
            Put16(info, 6, uint16_t(height));
            Put16(info, 8, 1);
            Put16(info, 10, uint16_t(bitCount));
        } else {
            Put32(info, 4, uint32_t(width));
            Put32(info, 8, uint32_t(height));
            Put16(info, 12, 1);
            Put16(info, 14, uint16_t(bitCount));
            Put32(info, 16, compression);
            Put32(info, 20, sizeImage);
            Put32(info, 32, clrUsed);
        }
        std::string table;
        for (int i = 0; i < tableEntries; ++i) {
            table.push_back(char(i));                         // blue
            table.push_back(char(255 - i));                   // green
            table.push_back(char((i * 3) & 0xFF));            // red
            if (entrySize == 4) table.push_back(char(0x55));  // reserved, kept as read
        }
        std::string pixels;
        const int rowBytes = (width + 3) & ~3;
        for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
            std::string row(std::size_t(rowBytes), '\0');
            for (std::size_t x = 0; x < it->size() && x < row.size(); ++x) row[x] = char((*it)[x]);
            pixels += row;
        }
        pixels.resize(pixels.size() - std::min(cutPixelBytes, pixels.size()));
        std::string out;
        if (fileHeader) {
            std::string fh(14, '\0');
            fh[0] = 'B';
            fh[1] = 'M';
            const std::size_t off = 14 + info.size() + table.size() + gapBeforePixels;
            Put32(fh, 2, uint32_t(off + pixels.size()));
            Put32(fh, 10, uint32_t(off));
            out = fh;
        }
        out += info + table + std::string(gapBeforePixels, '\x77') + pixels;
        return out;
    }
};

std::vector<std::vector<uint8_t>> PixelsOf(Dib& dib) {
    std::vector<std::vector<uint8_t>> rows;
    for (int y = 0; y < dib.GetHeight(); ++y) {
        std::vector<uint8_t> row;
        for (int x = 0; x < dib.GetWidth(); ++x) row.push_back(*dib.GetPixelAddress(x, y));
        rows.push_back(row);
    }
    return rows;
}

TEST(DibReader, AcceptedLayouts) {
    struct Case {
        const char* name;
        BmpSpec spec;
        int colors;
    };
    BmpSpec packed;
    packed.fileHeader = false;
    BmpSpec core;
    core.headerSize = 12;
    BmpSpec coreAndPacked = core;
    coreAndPacked.fileHeader = false;
    BmpSpec fewColours;
    fewColours.clrUsed = 200;
    fewColours.tableEntries = 200;
    BmpSpec gap;
    gap.gapBeforePixels = 10;
    BmpSpec lyingSize;  // claims far more pixel data than the picture has
    lyingSize.sizeImage = 0x7FFFFFF0;
    BmpSpec oddWidth;
    oddWidth.width = 5;
    oddWidth.height = 3;
    oddWidth.rows = {{1, 2, 3, 4, 5}, {6, 7, 8, 9, 10}, {11, 12, 13, 14, 15}};
    const Case cases[] = {
        {"file header and 40-byte header", BmpSpec{}, 256},
        {"packed DIB without file header", packed, 256},
        {"12-byte core header", core, 256},
        {"core header without file header", coreAndPacked, 256},
        {"200 colours", fewColours, 200},
        {"pixel data further on", gap, 256},
        {"image size larger than the picture", lyingSize, 256},
        {"odd width", oddWidth, 256},
    };
    for (const Case& c : cases) {
        TempDir dir;
        MessageLog log;
        const std::string path = dir.Put("Pic.bmp", c.spec.Build());
        Dib dib(path.c_str());
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(log.lines.empty());
        EXPECT_EQ(dib.IsLoaded(), 1);
        EXPECT_EQ(dib.GetWidth(), c.spec.width);
        EXPECT_EQ(dib.GetHeight(), c.spec.height);
        EXPECT_EQ(PixelsOf(dib), c.spec.rows);
        EXPECT_STREQ(dib.GetFileName(), path.c_str());

        const BitmapInfoHeaderView h(dib.GetBitmapInfo());
        EXPECT_EQ(h.Size(), 40u);
        EXPECT_EQ(h.BitCount(), 8);
        EXPECT_EQ(h.ClrUsed(), uint32_t(c.colors));
        EXPECT_EQ(h.SizeImage(), uint32_t(dib.GetRowBytes() * dib.GetHeight()));
        std::vector<ui::RgbQuad> entries(256);
        ASSERT_EQ(dib.GetColorEntries(0, 256, entries.data()), c.colors);
        EXPECT_EQ(entries[7].blue, 7);
        EXPECT_EQ(entries[7].green, 248);
        EXPECT_EQ(entries[7].red, 21);
        EXPECT_EQ(entries[7].reserved, c.spec.headerSize == 12 ? 0 : 0x55);
        EXPECT_EQ(dib.GetPixelColor(1, 0), 0x02000000u | ui::Rgb(6, 253, 2));  // index 2
    }
}

TEST(DibReader, RefusedFilesLeaveAnEmptyDib) {
    struct Case {
        const char* name;
        BmpSpec spec;
    };
    auto with = [](auto change) {
        BmpSpec s;
        change(s);
        return s;
    };
    const Case cases[] = {
        {"24 bits per pixel", with([](BmpSpec& s) { s.bitCount = 24; })},
        {"4 bits per pixel", with([](BmpSpec& s) { s.bitCount = 4; })},
        {"run-length coded", with([](BmpSpec& s) { s.compression = 1; })},
        {"108-byte header", with([](BmpSpec& s) { s.headerSize = 108; })},
        {"short pixel data", with([](BmpSpec& s) { s.cutPixelBytes = 1; })},
        {"no pixel data", with([](BmpSpec& s) { s.cutPixelBytes = 8; })},
        {"short colour table", with([](BmpSpec& s) { s.tableEntries = 100, s.rows.clear(); })},
        {"more than 256 colours", with([](BmpSpec& s) { s.clrUsed = 300; })},
        {"zero width", with([](BmpSpec& s) { s.width = 0; })},
        {"top-down rows", with([](BmpSpec& s) { s.height = -2; })},
        {"huge width", with([](BmpSpec& s) { s.width = 1 << 20; })},
        {"truncated header", with([](BmpSpec& s) {
             s.headerSize = 12, s.tableEntries = 0, s.rows.clear(), s.fileHeader = false;
         })},
    };
    for (const Case& c : cases) {
        TempDir dir;
        MessageLog log;
        const std::string path = dir.Put("Bad.bmp", c.spec.Build());
        Dib dib(path.c_str());
        SCOPED_TRACE(c.name);
        EXPECT_EQ(log.lines, (std::vector<std::string>{"OpenDIB: リード失敗"}));
        EXPECT_EQ(dib.IsLoaded(), 1);  // a name was given
        EXPECT_EQ(dib.GetWidth(), 0);
        EXPECT_EQ(dib.GetHeight(), 0);
        EXPECT_EQ(dib.GetBits(), nullptr);
        EXPECT_EQ(dib.GetBitmapInfo(), nullptr);
        EXPECT_FALSE(dib.GetBitmapHandle().IsValid());
        Dib blank(4, 4, nullptr);
        EXPECT_EQ(HvDIBitBlt(&blank, 0, 0, 4, 4, &dib, 0, 0, 0), 0);
        EXPECT_EQ(HvDIBitBltOpaque(&dib, 0, 0, 4, 4, &blank, 0, 0), 0);
    }
}

TEST(DibReader, AHeaderClaimingMorePixelsThanTheFileHoldsAllocatesNothing) {
    // The largest picture a header may claim (256 MB of pixels) over a file of a few bytes,
    // opened in a child whose address space has no room for those pixels.
    TempDir dir;
    BmpSpec spec;
    spec.width = spec.height = kDibMaxDimension;
    spec.rows.clear();
    const std::string path = dir.Put("Huge.bmp", spec.Build());
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        unsigned long long pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        const rlim_t room = rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + (64u << 20);
        const rlimit limit{room, room};
        if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(3);
        MessageLog log;
        Dib dib(path.c_str());
        _exit(log.lines == std::vector<std::string>{"OpenDIB: リード失敗"} && !dib.HasBits() ? 0
                                                                                             : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}

TEST(DibReader, MissingFileAndTheProgramDirectory) {
    TempDir dir;
    dir.Put("Btn_gun.bmp", BmpSpec{}.Build());
    const std::string saved = GetProgramDirectory();
    SetProgramDirectory(dir.Path());
    {
        // A bare name not in the current directory is found in the program directory, in any
        // case.
        MessageLog log;
        Dib dib("BTN_GUN.BMP");
        EXPECT_TRUE(log.lines.empty());
        EXPECT_EQ(dib.GetWidth(), 3);
        EXPECT_EQ(std::string(dib.GetFileName()), dir.Path() + "\\BTN_GUN.BMP");
    }
    {
        MessageLog log;
        Dib dib("nothere.bmp");
        EXPECT_EQ(log.lines, (std::vector<std::string>{"OpenDIB: オープン失敗 nothere.bmp",
                                                       "OpenDIB: リード失敗"}));
        EXPECT_EQ(dib.IsLoaded(), 1);
        EXPECT_STREQ(dib.GetFileName(), "nothere.bmp");
        EXPECT_EQ(dib.GetWidth(), 0);
    }
    SetProgramDirectory(saved);
    Dib none(nullptr);
    EXPECT_EQ(none.IsLoaded(), 0);
    EXPECT_EQ(none.GetFileName(), nullptr);
}

TEST(DibBlank, HeaderTableAndPixelLayout) {
    std::vector<ui::RgbQuad> table(256);
    for (int i = 0; i < 256; ++i) table[i] = {uint8_t(i), uint8_t(i / 2), uint8_t(255 - i), 9};
    Dib dib(33, 5, table.data());
    EXPECT_EQ(dib.IsLoaded(), 1);
    EXPECT_EQ(dib.GetRowBytes(), 36);
    const BitmapInfoHeaderView h(dib.GetBitmapInfo());
    EXPECT_EQ(h.Size(), 40u);
    EXPECT_EQ(h.Width(), 33);
    EXPECT_EQ(h.Height(), 5);
    EXPECT_EQ(h.Planes(), 1);
    EXPECT_EQ(h.BitCount(), 8);
    EXPECT_EQ(h.SizeImage(), 36u * 5);
    EXPECT_EQ(h.ClrUsed(), 256u);
    EXPECT_EQ(h.ClrImportant(), 256u);
    std::vector<ui::RgbQuad> out(256);
    EXPECT_EQ(dib.GetColorEntries(0, 256, out.data()), 256);
    EXPECT_EQ(std::memcmp(out.data(), table.data(), 1024), 0);
    EXPECT_EQ(dib.GetColorEntries(250, 100, out.data()), 6);
    EXPECT_EQ(dib.GetColorEntries(-1, 4, out.data()), 0);

    uint8_t* bits = dib.GetBits();
    EXPECT_TRUE(std::all_of(bits, bits + 36 * 5, [](uint8_t b) { return b == 0; }));
    EXPECT_EQ(dib.GetPixelAddress(0, 0), bits + 4 * 36);
    EXPECT_EQ(dib.GetPixelAddress(32, 4), bits + 32);
    for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {33, 0}, {0, 5}}) {
        EXPECT_EQ(dib.GetPixelAddress(x, y), nullptr) << x << "," << y;
        EXPECT_EQ(dib.GetPixelColor(x, y), 0u);
    }
    *dib.GetPixelAddress(2, 1) = 10;
    EXPECT_EQ(dib.GetPixelColor(2, 1), 0x02000000u | ui::Rgb(245, 5, 10));

    const ui::IndexedSurface s = dib.GetBitmapHandle();
    EXPECT_EQ(s.Row(1) + 2, dib.GetPixelAddress(2, 1));
    EXPECT_EQ(s.paletteSize, 256);
    EXPECT_EQ(s.ColorOf(10), ui::Rgb(245, 5, 10));

    // Without a table: the static colours of the system palette.
    Dib sys(2, 2, nullptr);
    EXPECT_EQ(sys.GetPixelColor(0, 0), 0x02000000u);
    EXPECT_EQ(sys.GetColorEntries(255, 1, out.data()), 1);
    EXPECT_EQ(out[0].red + out[0].green + out[0].blue, 3 * 255);
    EXPECT_EQ(sys.GetColorEntries(100, 1, out.data()), 1);
    EXPECT_EQ(out[0].red + out[0].green + out[0].blue, 0);

    // A size no surface can have: a header but no bits.
    Dib bad(0, 10, table.data());
    EXPECT_EQ(bad.IsLoaded(), 0);
    EXPECT_EQ(bad.GetBits(), nullptr);
    Dib empty;
    EXPECT_EQ(empty.GetWidth(), 0);
    EXPECT_EQ(empty.GetColorEntries(0, 10, out.data()), 0);
    EXPECT_FALSE(empty.MakePalette().has_value());
}

TEST(DibPalette, LogicalPaletteFromTheColourTable) {
    std::vector<ui::RgbQuad> table(256);
    for (int i = 0; i < 256; ++i) table[i] = {uint8_t(i), 1, 2, 0};
    Dib dib(4, 4, table.data());
    const auto pal = dib.MakePalette();
    ASSERT_TRUE(pal.has_value());
    EXPECT_EQ(pal->version, 0x300);
    ASSERT_EQ(pal->entries.size(), 256u);
    EXPECT_EQ(pal->entries[0], (ui::PaletteEntry{0, 0, 0, ui::PC_EXPLICIT}));
    EXPECT_EQ(pal->entries[1], (ui::PaletteEntry{2, 1, 1, ui::PC_NOCOLLAPSE}));
    EXPECT_EQ(pal->entries[254], (ui::PaletteEntry{2, 1, 254, ui::PC_NOCOLLAPSE}));
    EXPECT_EQ(pal->entries[255], (ui::PaletteEntry{0xFF, 0, 0, ui::PC_EXPLICIT}));

    // Other header forms.
    std::vector<uint8_t> block(40 + 16 * 4, 0);
    BitmapInfoHeaderView h(block.data());
    h.SetSize(40);
    h.SetBitCount(4);
    auto sixteen = CreatePaletteFromDibInfo(block);
    ASSERT_TRUE(sixteen.has_value());
    EXPECT_EQ(sixteen->entries.size(), 16u);
    EXPECT_EQ(sixteen->entries[15], ui::PaletteEntry{});  // the last entry stays zero
    h.SetBitCount(24);
    auto cube = CreatePaletteFromDibInfo({block.data(), 40});
    ASSERT_TRUE(cube.has_value());
    EXPECT_EQ(cube->entries[0x49], (ui::PaletteEntry{32, 32, 64, 0}));
    h.SetBitCount(16);
    EXPECT_FALSE(CreatePaletteFromDibInfo(block).has_value());
    h.SetSize(12);
    EXPECT_FALSE(CreatePaletteFromDibInfo(block).has_value());
}

// A Dib whose rows read, top to bottom, as the given rows (all of one width).
std::unique_ptr<Dib> DibOf(const std::vector<std::vector<uint8_t>>& rows) {
    auto dib = Dib::CreateBlank(int(rows[0].size()), int(rows.size()), nullptr);
    for (int y = 0; y < dib->GetHeight(); ++y) {
        for (int x = 0; x < dib->GetWidth(); ++x) *dib->GetPixelAddress(x, y) = rows[y][x];
    }
    return dib;
}

TEST(DibBlitters, ClippingTable) {
    // Source 5 x 2: row 0 = 1..5, row 1 = 6..10. Destination 6 x 3 of zeros.
    const std::vector<std::vector<uint8_t>> source = {{1, 2, 3, 4, 5}, {6, 7, 8, 9, 10}};
    struct Case {
        const char* name;
        int x, y, w, h, sx, sy;
        int result;
        std::vector<std::vector<uint8_t>> expected;
    };
    const std::vector<std::vector<uint8_t>> untouched(3, std::vector<uint8_t>(6, 0));
    const Case cases[] = {
        {"inside",
         1,
         1,
         2,
         2,
         0,
         0,
         1,
         {{0, 0, 0, 0, 0, 0}, {0, 1, 2, 0, 0, 0}, {0, 6, 7, 0, 0, 0}}},
        {"negative x",
         -3,
         0,
         5,
         1,
         0,
         0,
         1,
         {{4, 5, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}}},
        {"negative y",
         0,
         -1,
         2,
         2,
         0,
         0,
         1,
         {{6, 7, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}}},
        {"x at the width", 6, 0, 2, 2, 0, 0, 0, untouched},
        {"y at the height", 0, 3, 2, 2, 0, 0, 0, untouched},
        {"negative source x", 0, 0, 2, 2, -1, 0, 0, untouched},
        {"source x at its width", 0, 0, 2, 2, 5, 0, 0, untouched},
        {"negative source y", 0, 0, 2, 2, 0, -1, 0, untouched},
        {"runs past the destination",
         4,
         2,
         9,
         9,
         0,
         0,
         1,
         {{0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 1, 2}}},
        // The source is clipped too: nothing is read beyond its right or bottom edge.
        {"runs past the source",
         0,
         0,
         6,
         3,
         3,
         1,
         1,
         {{9, 10, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}}},
        {"negative x beyond the source", -5, 0, 8, 1, 0, 0, 0, untouched},
        {"zero width", 0, 0, 0, 2, 0, 0, 0, untouched},
        {"huge width",
         1,
         0,
         0x7FFFFFFF,
         1,
         0,
         0,
         1,
         {{0, 1, 2, 3, 4, 5}, {0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}}},
    };
    for (const Case& c : cases) {
        for (bool keyed : {false, true}) {
            auto src = DibOf(source);
            auto dst = Dib::CreateBlank(ui::Hwnd{}, 6, 3, nullptr);
            const int result =
                keyed ? HvDIBitBlt(dst.get(), c.x, c.y, c.w, c.h, src.get(), c.sx, c.sy, 0xFF)
                      : HvDIBitBltOpaque(dst.get(), c.x, c.y, c.w, c.h, src.get(), c.sx, c.sy);
            EXPECT_EQ(result, c.result) << c.name << (keyed ? " keyed" : "");
            EXPECT_EQ(PixelsOf(*dst), c.expected) << c.name << (keyed ? " keyed" : "");
        }
    }
}

TEST(DibBlitters, KeyedPixelsAreSkipped) {
    struct Case {
        std::vector<uint8_t> src;
        int key;
        std::vector<uint8_t> expected;  // over a destination of 0xEE
    };
    const Case cases[] = {
        {{0, 7, 0, 9}, 0, {0xEE, 7, 0xEE, 9}},
        {{0xF5, 1, 2, 0xF5, 3, 4, 5}, 0x1F5, {0xEE, 1, 2, 0xEE, 3, 4, 5}},  // low byte only
        {{1, 2, 3, 4, 5, 6, 7, 8, 0xFF}, 0xFF, {1, 2, 3, 4, 5, 6, 7, 8, 0xEE}},
        {{9, 9, 9}, 9, {0xEE, 0xEE, 0xEE}},
        {{1, 2, 3, 4, 5}, 0, {1, 2, 3, 4, 5}},
    };
    for (const Case& c : cases) {
        auto src = DibOf({c.src});
        auto dst = DibOf({std::vector<uint8_t>(c.src.size(), 0xEE)});
        EXPECT_EQ(HvDIBitBlt(dst.get(), 0, 0, int(c.src.size()), 1, src.get(), 0, 0, c.key), 1);
        EXPECT_EQ(PixelsOf(*dst)[0], c.expected) << "key " << c.key;
        EXPECT_EQ(HvDIBitBltOpaque(dst.get(), 0, 0, int(c.src.size()), 1, src.get(), 0, 0), 1);
        EXPECT_EQ(PixelsOf(*dst)[0], c.src);
    }
    EXPECT_EQ(HvDIBitBlt(nullptr, 0, 0, 1, 1, DibOf({{1}}).get(), 0, 0, 0), 0);
    EXPECT_EQ(HvDIBitBlt(DibOf({{1}}).get(), 0, 0, 1, 1, nullptr, 0, 0, 0), 0);
}

// The word-at-a-time copier against a plain byte loop, over odd widths and many key positions.
TEST(DibBlitters, RowCopiersAgreeWithAPlainLoop) {
    std::mt19937 rng(7);
    for (int w = 1; w <= 19; ++w) {
        for (int trial = 0; trial < 40; ++trial) {
            const int h = 3;
            const std::ptrdiff_t step = 20;
            std::vector<uint8_t> src(step * h), dst(step * h), expect;
            // Few distinct values, so keys are frequent; some with the high bit set.
            static constexpr uint8_t kValues[] = {0x00, 0x01, 0x7F, 0x80, 0xF5, 0xFF};
            for (auto& b : src) b = kValues[rng() % 6];
            for (auto& b : dst) b = uint8_t(0x40 + rng() % 4);
            const uint8_t key = kValues[rng() % 6];
            expect = dst;
            for (int r = 0; r < h; ++r) {
                for (int i = 0; i < w; ++i) {
                    if (src[r * step + i] != key) expect[r * step + i] = src[r * step + i];
                }
            }
            // Bottom-up as the blitters pass it: start at the last row, negative steps.
            CopyRowsKeyed(dst.data() + 2 * step, src.data() + 2 * step, w, h, -step, -step, key);
            ASSERT_EQ(dst, expect) << "w " << w;
            std::vector<uint8_t> plain(step * h, 0x11), plainExpect(step * h, 0x11);
            for (int r = 0; r < h; ++r) {
                std::copy_n(src.begin() + r * step, w, plainExpect.begin() + r * step);
            }
            CopyRows(plain.data() + 2 * step, src.data() + 2 * step, w, h, -step, -step);
            ASSERT_EQ(plain, plainExpect) << "w " << w;
        }
    }
}

}  // namespace
}  // namespace zv::fw
