#include "opening/ClippedDrawSurface.h"

namespace zv::opening {

ClippedDrawSurface::ClippedDrawSurface(OpeningScreen* screen, const char* path)
    : fw::DrawSurface(), screen_(screen), path_(path) {
    // The name must outlive the surface: a lost surface reloads from it.
    CreateFromBitmap(screen ? screen->Display() : nullptr, path_.c_str());
}

fw::DdResult ClippedDrawSurface::ClippedCopy(int x, int y, bool keyed) {
    if (IsEmpty() || !screen_ || !screen_->Back()) return fw::kDdErrInvalidParams;
    const ui::Rect clip = screen_->ClipRect();
    const ui::Rect saved = SrcRect();
    int sl = saved.left, st = saved.top, sr = saved.right, sb = saved.bottom;
    if (x + (sr - sl) > clip.right) sr = sl + clip.right - x;
    if (y + (sb - st) > clip.bottom) sb = st + clip.bottom - y;
    if (x < clip.left) {
        sl += clip.left - x;
        x = clip.left;
    }
    if (y < clip.top) {
        st += clip.top - y;
        y = clip.top;
    }
    if (sl >= sr || sb <= st) return fw::kDdOk;  // nothing of it is inside
    SetSrcRect(st, sl, sb, sr);
    const fw::DdResult r = CopyOnto(screen_->Back(), x, y, keyed);
    SetSrcRect(saved.top, saved.left, saved.bottom, saved.right);
    return r;
}

fw::DdResult ClippedDrawSurface::BltToBack() {
    return ClippedCopy(DestRect().left, DestRect().top, false);
}

fw::DdResult ClippedDrawSurface::BltFastToBack(int x, int y) {
    return ClippedCopy(x, y, true);
}

fw::DdResult ClippedDrawSurface::BltFastKeyedToBack(int x, int y) {
    return ClippedCopy(x, y, true);
}

int AlphaBlendSurface16(ClippedDrawSurface* picture, int x, int y, float a, int sl, int st, int sr,
                        int sb) {
    if (!picture || picture->IsEmpty()) return 1;  // an empty picture is skipped
    OpeningScreen* screen = picture->Screen();
    if (!screen || !screen->Back()) return 0;
    const ui::Rect clip = screen->ClipRect();
    int w = sr - sl, h = sb - st;
    if (x + w > clip.right) w = clip.right - x;
    if (y + h > clip.bottom) h = clip.bottom - y;
    if (x < clip.left) {
        w -= clip.left - x;
        sl += clip.left - x;
        x = clip.left;
    }
    if (y < clip.top) {
        h -= clip.top - y;
        st += clip.top - y;
        y = clip.top;
    }
    if (w <= 0 || h <= 0) return 1;
    // The rectangle must also lie on the picture: never read past its pixels.
    if (sl < 0 || st < 0 || sl + w > picture->Width() || st + h > picture->Height()) return 1;
    if (picture->Lock() != fw::kDdOk) return 0;
    fw::DrawSurface* back = screen->Back();
    if (back->Lock() != fw::kDdOk) {
        picture->Unlock();
        return 0;
    }
    const fw::SurfaceDescription& src = picture->Description();
    const fw::SurfaceDescription& dst = back->Description();
    const int srcPitch = src.pitchBytes / 2, dstPitch = dst.pitchBytes / 2;
    const ChannelLayout channels[3] = {screen->Red(), screen->Green(), screen->Blue()};
    const float keep = 1.0f - a;
    for (int row = 0; row < h; ++row) {
        const uint16_t* s = src.pixels + std::size_t(st + row) * srcPitch + sl;
        uint16_t* d = dst.pixels + std::size_t(y + row) * dstPitch + x;
        for (int i = 0; i < w; ++i) {
            if (s[i] == 0) continue;
            uint32_t out = 0;
            for (const ChannelLayout& c : channels) {
                const uint32_t p = (s[i] >> c.shift) & c.mask;
                const uint32_t q = (d[i] >> c.shift) & c.mask;
                out |= uint32_t(float(q) * keep + float(p) * a) << c.shift;
            }
            d[i] = uint16_t(out);
        }
    }
    back->Unlock();
    picture->Unlock();
    return 1;
}

}  // namespace zv::opening
