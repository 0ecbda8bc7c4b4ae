#include "shell/Palettes.h"

#include <array>
#include <cstring>
#include <optional>

#include "framework/Dib.h"

namespace zv::shell {

namespace {

using Table = std::array<ui::RgbQuad, kPaletteEntries>;
Table gTableA{};
Table gTableB{};
Table gTableC{};
Table gTableD{};
Table gSystemTable{};  // behind the game palette
std::optional<ui::LogicalPalette> gGamePalette;

void LoadTable(const char* file, Table& table) {
    fw::Dib dib(file);
    if (!dib.HasBits()) return;
    // Entries 0-254 only: entry 255 keeps its zero.
    ui::RgbQuad entries[kPaletteEntries - 1] = {};
    const int n = dib.GetColorEntries(0, kPaletteEntries - 1, entries);
    for (int i = 0; i < n && i < kPaletteEntries - 1; ++i) table[i] = entries[i];
}

uint32_t ReadU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint16_t ReadU16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

}  // namespace

void LoadPalettes(ui::Hwnd /*frame*/) {
    LoadTable("pal3.bmp", gTableB);
    LoadTable("pal2.bmp", gTableA);
    LoadTable("palette.bmp", gTableC);
}

const ui::RgbQuad* GetPaletteTableA() { return gTableA.data(); }
const ui::RgbQuad* GetPaletteTableB() { return gTableB.data(); }
const ui::RgbQuad* GetPaletteTableC() { return gTableC.data(); }

void SetPaletteTableD(const ui::RgbQuad* table) {
    if (table) std::memcpy(gTableD.data(), table, sizeof gTableD);
}
void SetPaletteTableC(const ui::RgbQuad* table) {
    if (table) std::memcpy(gTableC.data(), table, sizeof gTableC);
}

void ResetPaletteTables() {
    gTableA = {};
    gTableB = {};
    gTableC = {};
    gTableD = {};
    gSystemTable = {};
    gGamePalette.reset();
}

int RealizeGamePalette(ui::Hwnd /*window*/) {
    // Only palette-based devices of 8 bits or less need a realised palette; every surface of the
    // window layer is a 32-bit one.
    return 0;
}

const ui::LogicalPalette* GetGamePalette() { return gGamePalette ? &*gGamePalette : nullptr; }

int DeleteGamePalette() {
    if (!gGamePalette) return 0;
    gGamePalette.reset();
    return 1;
}

const ui::RgbQuad* GetSystemColorTable() { return gSystemTable.data(); }

void GetStaticSystemColors(ui::Canvas* /*dc*/, ui::PaletteEntry* out) {
    if (out == nullptr) return;
    const auto& statics = ui::DefaultPalette();
    for (int i = 0; i < 20 && i < int(statics.size()); ++i) out[i] = statics[i];
}

void ColorTableToPaletteEntries(const ui::RgbQuad* table, ui::PaletteEntry* out, int count) {
    if (table == nullptr || out == nullptr) return;
    for (int i = 0; i < count; ++i) out[i] = {table[i].red, table[i].green, table[i].blue, 0};
}

int GetHeaderColorCount(const uint8_t* header) {
    if (header == nullptr) return 0;
    const uint32_t size = ReadU32(header);
    int bits = 0;
    if (size == 12) {
        bits = ReadU16(header + 10);
    } else {
        const uint32_t used = ReadU32(header + 32);
        if (used != 0) return int(used);
        bits = ReadU16(header + 14);
    }
    switch (bits) {
        case 1: return 2;
        case 4: return 16;
        case 8: return 256;
        default: return 0;
    }
}

int GetHeaderColorTableBytes(const uint8_t* header) {
    if (header == nullptr) return 0;
    const int per = ReadU32(header) == 12 ? 3 : 4;
    return GetHeaderColorCount(header) * per;
}

}  // namespace zv::shell
