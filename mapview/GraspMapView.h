#pragma once

// Two small pictures of the whole map: the overview (NowGraspWindow, 8, 6 or 4 pixels a hex, day
// and night terrain, sites, the troops the player sees, fog) and the HQ miniature (2 pixels a
// hex with a white frame round the part the game map shows).

#include <cstdint>
#include <memory>

#include "framework/Dib.h"
#include "mapview/HexMapView.h"

namespace zv::mapview {

class GraspMapView : public HexMapView {
  public:
    explicit GraspMapView(rules::TableDirectory& tables);

    void SetScale(int scale);
    void Build(ui::Hwnd window);
    void Compose(ui::Hwnd window);
    void GetSize(int& width, int& height) const {
        width = width_;
        height = height_;
    }
    void Paint(ui::Hwnd window);
    int GetScale() const { return scale_; }
    fw::Dib* Picture() { return picture_.get(); }
    // The top-left pixel of hex (x, y) in the picture.
    void CellOf(int x, int y, int& px, int& py) const;

  private:
    void DrawTerrain(fw::Dib* target, const char* hexSheet, const char* roadSheet);

    std::unique_ptr<fw::Dib> picture_, day_, night_, unitSheet_, siteSheet_;
    std::uint8_t scale_ = 0;
    std::uint16_t rowOverlap_ = 2;
    std::uint8_t style_ = 0;
    std::uint8_t daytime_ = 0;
    int width_ = 0, height_ = 0;
};

// Where the miniature's back buffer lies in the HQ window: its pixel (0, 0) is the window's
// (kHqMiniatureLeft, kHqMiniatureTop). Painting, the frame and the clicks all measure from here.
inline constexpr int kHqMiniatureLeft = 32;
inline constexpr int kHqMiniatureTop = 16;

class HqMapView : public HexMapView {
  public:
    explicit HqMapView(rules::TableDirectory& tables);

    void SetViewRect(int x, int y, int w, int h) {
        rect_[0] = x;
        rect_[1] = y;
        rect_[2] = w;
        rect_[3] = h;
    }
    void GetViewRect(int& x, int& y, int& w, int& h) const {
        x = rect_[0];
        y = rect_[1];
        w = rect_[2];
        h = rect_[3];
    }
    // point: a pixel of the miniature from its top-left corner, packed 32.
    int CenterViewRectOn(std::uint32_t point);
    void Paint(ui::Hwnd window, fw::Dib* background);

  private:
    int rect_[4] = {0, 0, 0, 0};
};

inline constexpr const char* kNowGraspWindowClass = "NowGraspWindow";
// WM_GRASP_RESIZE's lParam that steps the stored size on before applying it (0 applies it).
inline constexpr std::int16_t kGraspNextSize = -2;
void RegisterGraspWindowClass();
ui::Hwnd CreateNowGraspWindow(ui::Hwnd parent, int x, int y);
// The overview of the overview window of the window registry; null without one.
GraspMapView* GetGraspMapView();
ui::LResult NowGraspWindowProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l);

}  // namespace zv::mapview
