#pragma once

// One Japanese font and the device context it draws on: a window's or a surface's. Usage:
// construct, Select (or a surface variant), SetColors, draw or measure, Release, destroy.

#include <memory>
#include <optional>
#include <string>

#include "platform/ui/Canvas.h"

namespace zv::fw {

class DrawDisplay;
class DrawSurface;

// Face kinds of the first constructor.
constexpr int kFaceMincho = 1;        // "ＭＳ 明朝"
constexpr int kFaceGothic = 2;        // "ＭＳ ゴシック"
constexpr int kFaceHeiseiMincho = 3;  // "ＤＦ平成明朝体W7", drawn with the mincho face

class TextFont {
  public:
    TextFont();  // no font: every drawing call does nothing
    // weightCode 0 normal, 1 bold, other the default weight. The escapement (degrees) is kept;
    // text is drawn level.
    TextFont(int faceKind, int height, int escapement, int weightCode, int italic, int underline);
    static std::unique_ptr<TextFont> TextFontByFace(const char* faceName, int height,
                                                    int escapement, int weightCode, int italic,
                                                    int underline);
    ~TextFont();
    TextFont(const TextFont&) = delete;
    TextFont& operator=(const TextFont&) = delete;

    bool HasFont() const { return font_.has_value(); }
    const ui::FontSpec* Spec() const { return font_ ? &font_->Spec() : nullptr; }
    int Escapement() const { return escapement_; }

    void Select(ui::Canvas* dc);
    void SelectIntoSurface(DrawSurface* surface);
    void SelectIntoBackBuffer(DrawDisplay* display);
    void Release();
    bool IsSelected() const { return selected_ != 0; }

    void SetColors(ui::ColorRef text, ui::ColorRef background, int transparent);
    void DrawAt(int x, int y, const char* text);
    void DrawInRect(int x, int y, int width, int height, const char* text, int centred);
    void GetTextSize(const char* text, ui::Size* size);

  private:
    void Make(std::string face, int height, int escapement, int weightCode, int italic,
              int underline);

    std::optional<ui::Font> font_;
    std::optional<ui::Font> previous_;
    ui::Canvas* dc_ = nullptr;
    int selected_ = 0;
    int escapement_ = 0;
    DrawSurface* surface_ = nullptr;
};

}  // namespace zv::fw
