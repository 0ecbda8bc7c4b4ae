#pragma once

// The game's one picture class: an 8-bit, bottom-up bitmap with a colour table, read from
// .bmp files or made blank, and the two blitters that copy between them.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "framework/BmpFormat.h"
#include "framework/FileObject.h"
#include "platform/ui/Palette.h"
#include "platform/ui/Surface.h"
#include "platform/ui/WindowTypes.h"

namespace zv::fw {

// Where the reader's message boxes go ("オープン失敗 %s", "リード失敗", captioned "OpenDIB";
// "メモリー確保失敗", captioned "malloc"). Texts are UTF-8. The shell installs a sink that
// shows a message box; without one they are written to stderr.
using DibMessageSink = std::function<void(std::string_view caption, std::string_view text)>;
void SetDibMessageSink(DibMessageSink sink);

// Limits of pictures the reader accepts; nothing the game reads comes near them.
constexpr int kDibMaxDimension = 16384;

class Dib {
  public:
    // An empty Dib: no header, no bits, loaded flag 0.
    Dib();
    // Reads the .bmp file (current directory first, then the program directory). The loaded
    // flag is 1 whenever a name was given, whatever the read gave; a null name is empty.
    explicit Dib(const char* fileName);
    // A blank Dib of width x height pixels, all index 0, with a copy of the 256-entry colour
    // table (null: the system palette's static colours at 0-9 and 246-255, black elsewhere).
    Dib(int width, int height, const ui::RgbQuad* colorTable);
    static std::unique_ptr<Dib> CreateBlank(int width, int height, const ui::RgbQuad* colorTable) {
        return std::make_unique<Dib>(width, height, colorTable);
    }
    // The form the windows call: the window only named the device the pixels were made for,
    // and every Dib here is made in memory, so it changes nothing.
    static std::unique_ptr<Dib> CreateBlank(ui::Hwnd /*window*/, int width, int height,
                                            const ui::RgbQuad* colorTable) {
        return CreateBlank(width, height, colorTable);
    }

    Dib(const Dib&) = delete;
    Dib& operator=(const Dib&) = delete;
    virtual ~Dib();

    // Slot order of the game's class.
    virtual uint8_t* GetBitmapInfo();  // the 40-byte header and the colour table behind it
    virtual uint8_t* GetBits();
    virtual std::optional<ui::LogicalPalette> MakePalette();
    // What the canvas draws on; not valid for an empty Dib.
    virtual ui::IndexedSurface GetBitmapHandle();
    virtual uint8_t* GetPixelAddress(int x, int y);
    virtual uint32_t GetPixelColor(int x, int y);  // 0x02BBGGRR, 0 outside
    virtual int GetColorEntries(int first, int count, ui::RgbQuad* out);
    virtual int GetWidth();
    virtual int GetHeight();
    virtual int GetRowBytes();
    virtual const char* GetFileName();

    int IsLoaded() const { return loaded_; }
    // The number of colour-table entries (the colour-count rule over the header).
    int GetColorCount() const;
    // True when the Dib has pixels to draw on or copy from.
    bool HasBits() const { return !bits_.empty(); }

  private:
    void OpenDIB();

    int loaded_ = 0;
    std::vector<ui::RgbQuad> headerBlock_;  // header bytes, then the colour table
    std::vector<uint8_t> bits_;
    std::optional<std::string> fileName_;
};

// Reads a .bmp header at the file's position: an optional 14-byte file header, a 40- or 12-byte
// information header (a 12-byte one widened to 40 bytes) and the colour table (3-byte entries
// widened to 4). Leaves the file at the pixel data. Only pictures the Dib can hold are
// accepted: 8 bits per pixel, uncompressed, bottom-up, at most kDibMaxDimension pixels a side
// and at most 256 colours; anything else gives nothing.
std::optional<std::vector<uint8_t>> ReadDibInfoBlock(FileObject& file);

// The transparent copy: destination pixels whose source pixel equals the low byte of the key
// are left alone. Returns 1 when something was copied, else 0. The rectangle is clipped
// against both Dibs.
int HvDIBitBlt(Dib* dst, int x, int y, int w, int h, Dib* src, int sx, int sy, int key);
// The same copy without a key.
int HvDIBitBltOpaque(Dib* dst, int x, int y, int w, int h, Dib* src, int sx, int sy);

// The row copiers behind the blitters. Steps are signed bytes from one row start to the next.
void CopyRowsKeyed(uint8_t* dst, const uint8_t* src, int w, int h, std::ptrdiff_t dstStep,
                   std::ptrdiff_t srcStep, uint8_t key);
void CopyRows(uint8_t* dst, const uint8_t* src, int w, int h, std::ptrdiff_t dstStep,
              std::ptrdiff_t srcStep);

}  // namespace zv::fw
