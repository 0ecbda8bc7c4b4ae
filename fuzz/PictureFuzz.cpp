// Pictures: the .bmp reader of the surfaces on the bytes, and the Dib's reader on them as a
// file; what either accepts is drawn from and copied once.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "framework/Dib.h"
#include "framework/media/BitmapFile.h"
#include "fuzz/FuzzScratch.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zv;
    static const bool quiet = [] {
        fw::SetDibMessageSink([](std::string_view, std::string_view) {});
        return true;
    }();
    (void)quiet;
    std::string error;
    if (auto image = fw::ParseBitmapFile(std::vector<std::uint8_t>(data, data + size), &error)) {
        if (image->pixels.size() != std::size_t(image->width) * std::size_t(image->height))
            std::abort();
    }
    const std::string path = fuzz::PutInput("picture.bmp", data, size);
    fw::Dib dib(path.c_str());
    if (dib.HasBits()) {
        dib.MakePalette();
        dib.GetPixelColor(dib.GetWidth() - 1, 0);
        fw::Dib target(32, 32, nullptr);
        fw::HvDIBitBlt(&target, -3, -3, 40, 40, &dib, 0, 0, 0);
        fw::HvDIBitBltOpaque(&dib, 5, 5, 40, 40, &target, -2, 0);
    }
    return 0;
}
