#pragma once

// A picture surface whose copies onto the back surface are clipped against the opening
// screen's clip rectangle (the framework's copies refuse any rectangle that leaves a surface).

#include "framework/media/DrawSurface.h"
#include "opening/OpeningScreen.h"

namespace zv::opening {

class ClippedDrawSurface : public fw::DrawSurface {
  public:
    // Loads the picture file; a file that cannot be read leaves the surface empty, and an
    // empty surface draws nothing.
    ClippedDrawSurface(OpeningScreen* screen, const char* path);

    bool IsEmpty() { return Pixels() == nullptr; }
    OpeningScreen* Screen() const { return screen_; }

    // The source rectangle to the destination rectangle's top-left corner.
    fw::DdResult BltToBack() override;
    fw::DdResult BltFastToBack(int x, int y) override;
    fw::DdResult BltFastKeyedToBack(int x, int y) override;

  private:
    fw::DdResult ClippedCopy(int x, int y, bool keyed);

    OpeningScreen* screen_;
    std::string path_;
};

// Blends the picture's rectangle (sl, st)-(sr, sb) over the back surface at (x, y) with the
// factor a (0 leaves the back surface as it is, 1 copies): each channel is
// truncate(back * (1 - a) + picture * a); picture words of 0 are transparent. Clipped against
// the screen's clip rectangle. 1 when done or nothing to draw, 0 when a surface is missing.
int AlphaBlendSurface16(ClippedDrawSurface* picture, int x, int y, float a, int sl, int st, int sr,
                        int sb);

}  // namespace zv::opening
