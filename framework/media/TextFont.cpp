#include "framework/media/TextFont.h"

#include <cstring>

#include "framework/media/DrawSurface.h"
#include "platform/core/Sjis.h"

namespace zv::fw {

namespace {
// Fixed pitch, modern family.
constexpr uint8_t kPitchAndFamily = 0x31;
}  // namespace

TextFont::TextFont() = default;

TextFont::TextFont(int faceKind, int height, int escapement, int weightCode, int italic,
                   int underline) {
    const char* face = faceKind == kFaceMincho         ? "ＭＳ 明朝"
                       : faceKind == kFaceGothic       ? "ＭＳ ゴシック"
                       : faceKind == kFaceHeiseiMincho ? "ＤＦ平成明朝体W7"
                                                       : "";
    Make(face, height, escapement, weightCode, italic, underline);
}

std::unique_ptr<TextFont> TextFont::TextFontByFace(const char* faceName, int height, int escapement,
                                                   int weightCode, int italic, int underline) {
    auto f = std::make_unique<TextFont>();
    f->Make(faceName ? faceName : "", height, escapement, weightCode, italic, underline);
    return f;
}

void TextFont::Make(std::string face, int height, int escapement, int weightCode, int italic,
                    int underline) {
    // The heavy mincho face is not on this system; its nearest is the bold mincho. Callers
    // name it in Shift-JIS or UTF-8.
    if (face == "ＤＦ平成明朝体W7" || core::SjisToUtf8(face) == "ＤＦ平成明朝体W7")
        face = "ＭＳ 明朝";
    ui::FontSpec spec;
    spec.faceName = face;
    spec.height = height;
    spec.weight = weightCode == 0 ? 400 : weightCode == 1 ? 700 : 0;
    spec.italic = italic != 0;
    spec.underline = underline != 0;
    spec.pitchAndFamily = kPitchAndFamily;
    escapement_ = escapement;
    font_.emplace(spec);
}

TextFont::~TextFont() {
    Release();
}

void TextFont::Select(ui::Canvas* dc) {
    if (!dc) return;
    selected_ = 1;
    dc_ = dc;
    if (font_) previous_ = dc->SelectFont(*font_);
}

void TextFont::SelectIntoSurface(DrawSurface* surface) {
    if (!font_ || !surface) return;
    ui::Canvas* dc = surface->GetDC();
    if (!dc) return;
    surface_ = surface;
    Select(dc);
}

void TextFont::SelectIntoBackBuffer(DrawDisplay* display) {
    if (display) SelectIntoSurface(display->GetBackBuffer());
}

void TextFont::Release() {
    if (dc_ && previous_) dc_->SelectFont(*previous_);
    if (surface_) surface_->ReleaseDC();
    surface_ = nullptr;
    dc_ = nullptr;
    previous_.reset();
    selected_ = 0;
}

void TextFont::SetColors(ui::ColorRef text, ui::ColorRef background, int transparent) {
    if (!dc_) return;
    dc_->SetTextColor(text);
    dc_->SetBkColor(background);
    if (transparent) dc_->SetBkMode(ui::TRANSPARENT);
}

void TextFont::DrawAt(int x, int y, const char* text) {
    if (dc_ && text) dc_->TextOut(x, y, text);
}

void TextFont::DrawInRect(int x, int y, int width, int height, const char* text, int centred) {
    if (!dc_ || !text) return;
    ui::Rect r{x, y, x + width, y + height};
    dc_->DrawText(text, r, ui::DT_WORDBREAK | ui::DT_NOPREFIX | (centred ? ui::DT_CENTER : 0));
}

void TextFont::GetTextSize(const char* text, ui::Size* size) {
    if (!size) return;
    *size = dc_ && text ? dc_->GetTextExtent(text) : ui::Size{};
}

}  // namespace zv::fw
