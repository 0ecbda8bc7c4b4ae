#include "platform/ui/PngWriter.h"

#include <png.h>

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <vector>

namespace zv::ui {

namespace {

struct PngState {
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::FILE* file = nullptr;
    ~PngState() {
        if (png) png_destroy_write_struct(&png, info ? &info : nullptr);
        if (file) std::fclose(file);
    }
};

void Fail(std::string* error, const std::string& text) {
    if (error) *error = text;
}

}  // namespace

bool WritePng(const std::string& path, const Surface32& surface, std::string* error) {
    if (!surface.IsValid()) {
        Fail(error, "nothing to write: the surface is empty");
        return false;
    }
    std::vector<png_byte> rows(static_cast<size_t>(surface.width) * 3 * surface.height);
    for (int y = 0; y < surface.height; ++y) {
        const uint32_t* src = surface.Row(y);
        png_byte* dst = rows.data() + static_cast<size_t>(y) * surface.width * 3;
        for (int x = 0; x < surface.width; ++x) {
            dst[x * 3 + 0] = static_cast<png_byte>(src[x] >> 16);
            dst[x * 3 + 1] = static_cast<png_byte>(src[x] >> 8);
            dst[x * 3 + 2] = static_cast<png_byte>(src[x]);
        }
    }
    // A temporary of this writer's own: two processes (or threads) writing one picture at the
    // same time each rename a whole file, and neither renames the other's half-written one.
    static std::atomic<unsigned> serial{0};
    const std::string temp = path + "." + std::to_string(::getpid()) + "." + std::to_string(serial++) + ".tmp";
    volatile bool ok = false;  // read after a longjmp from libpng
    {
        PngState st;
        st.file = std::fopen(temp.c_str(), "wb");
        if (!st.file) {
            Fail(error, "cannot create " + temp);
            return false;
        }
        st.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        if (st.png) st.info = png_create_info_struct(st.png);
        if (!st.png || !st.info) {
            Fail(error, "libpng could not start");
        } else if (setjmp(png_jmpbuf(st.png)) == 0) {
            png_init_io(st.png, st.file);
            png_set_IHDR(st.png, st.info, static_cast<png_uint_32>(surface.width),
                         static_cast<png_uint_32>(surface.height), 8, PNG_COLOR_TYPE_RGB,
                         PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
            png_write_info(st.png, st.info);
            for (int y = 0; y < surface.height; ++y) {
                png_write_row(st.png, rows.data() + static_cast<size_t>(y) * surface.width * 3);
            }
            png_write_end(st.png, nullptr);
            ok = std::fflush(st.file) == 0;
            if (!ok) Fail(error, "cannot write " + temp);
        } else {
            Fail(error, "libpng failed while writing " + temp);
        }
        if (st.file && std::fclose(st.file) != 0) ok = false;
        st.file = nullptr;
    }
    if (ok && std::rename(temp.c_str(), path.c_str()) != 0) {
        Fail(error, "cannot rename " + temp + " to " + path);
        ok = false;
    }
    if (!ok) std::remove(temp.c_str());
    return ok;
}

}  // namespace zv::ui
