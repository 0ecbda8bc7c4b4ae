#pragma once

// Turning a picture into a packed DIB (header, colour table and bottom-up rows in one block)
// and writing it as a .bmp file.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "framework/BmpFormat.h"
#include "framework/FileObject.h"
#include "platform/ui/Palette.h"
#include "platform/ui/Surface.h"

namespace zv::fw {

using PackedDib = std::vector<uint8_t>;

// A picture with a logical palette becomes a palette DIB: every pixel takes the nearest palette
// entry (NearestPaletteIndex), the colour table holds the palette's colours. A null palette
// means the default palette (20 colours); bits 0 mean 4 for palettes of up to 16 entries, else
// 8. Depths other than 1, 4 and 8, and an empty picture, give nothing.
std::optional<PackedDib> BitmapToPaletteDib(const ui::Surface32& bitmap, int bitsPerPixel,
                                            const ui::LogicalPalette* palette);
std::optional<PackedDib> BitmapToPaletteDib(const ui::IndexedSurface& bitmap, int bitsPerPixel,
                                            const ui::LogicalPalette* palette);

// Any layout: compression BI_RGB at 1, 4, 8, 16 (5-5-5), 24 or 32 bits, BI_RLE8 at 8 bits or
// BI_RLE4 at 4 bits; colour usage DIB_RGB_COLORS (a table of colours) or DIB_PAL_COLORS (a table
// of 16-bit palette indices). Bits 0 mean the picture's own depth (32, or 8 for an indexed
// one). Compression BI_RGB with DIB_RGB_COLORS is BitmapToPaletteDib. Other combinations give
// nothing.
std::optional<PackedDib> BitmapToPackedDib(const ui::Surface32& bitmap, uint32_t compression,
                                           int bitsPerPixel, const ui::LogicalPalette* palette,
                                           int colorUsage);
std::optional<PackedDib> BitmapToPackedDib(const ui::IndexedSurface& bitmap, uint32_t compression,
                                           int bitsPerPixel, const ui::LogicalPalette* palette,
                                           int colorUsage);

// Copies the 40-byte header out (a 12-byte core header widened); a zero image size and a zero
// colour count are filled in. 1, or 0 for a missing or too short DIB.
int GetPackedDibHeader(const PackedDib* dib, uint8_t out[kBitmapInfoHeaderSize]);

// The .bmp file bytes of a packed DIB: the 14-byte file header, then the DIB. Nothing when the
// block is shorter than its header says.
std::optional<std::vector<uint8_t>> MakeBmpFileBytes(const PackedDib& dib);

// Writes the .bmp file header and the DIB at the file's position. 1, or 0 for a missing or
// inconsistent DIB or a failed write.
int WriteDibToFile(FileObject& file, const PackedDib* dib);

// Converts the picture to an 8-bit palette DIB and writes it as a .bmp file, replacing the
// whole file (never leaving an old tail or half a file). 1 on success, 0 on failure.
int SaveBitmapFile(const std::string& path, const ui::Surface32& bitmap,
                   const ui::LogicalPalette* palette);

}  // namespace zv::fw
