#include "shell/ButtonBitmaps.h"

#include <memory>
#include <new>

#include "framework/gui/GdiHelpers.h"
#include "platform/ui/CanvasConstants.h"
#include "platform/ui/Window.h"
#include "shell/Palettes.h"

namespace zv::shell {

namespace {

std::unique_ptr<fw::Dib> gSheetG;
std::unique_ptr<fw::Dib> gSheetP;
std::unique_ptr<fw::Dib> gFrameSheet;  // never loaded
int gCurrentIndex = -1;

std::array<ButtonFace, kButtonFaceCount> MakeFaceTable() {
    std::array<ButtonFace, kButtonFaceCount> t{};
    const ButtonFace first[] = {{164, 0, 199, 15}, {200, 0, 235, 15}, {236, 0, 271, 15},
                                {272, 0, 307, 15}, {356, 0, 371, 15}, {372, 0, 387, 15},
                                {324, 0, 339, 15}, {340, 0, 355, 15}, {308, 0, 323, 15}};
    for (int i = 0; i < 9; ++i) t[i] = first[i];
    for (int i = 9; i <= 29; ++i) {
        const int left = 136 + 16 * (i - 9);
        t[i] = {left, 108, left + 15, 123};
    }
    t[30] = {0, 148, 47, 171};
    t[31] = {0, 108, 19, 127};
    t[32] = {20, 108, 39, 127};
    for (int i = 33; i <= 46; ++i) {
        const int left = 36 * (i - 33);
        t[i] = {left, 0, left + 35, 19};
    }
    t[47] = {216, 0, 251, 19};
    return t;
}

bool UsesSheetG(int index) { return gSheetG && index >= 0 && index < kFirstPanelFace; }
bool UsesSheetP(int index) {
    return gSheetP && index >= kFirstPanelFace && index < kButtonFaceCount;
}

}  // namespace

const std::array<ButtonFace, kButtonFaceCount>& ButtonFaceTable() {
    static const std::array<ButtonFace, kButtonFaceCount> kTable = MakeFaceTable();
    return kTable;
}

int InitButtonBitmaps() { return LoadButtonBitmaps() ? 1 : 0; }

int LoadButtonBitmaps() {
    gFrameSheet.reset();
    gSheetG.reset(new (std::nothrow) fw::Dib("Btn_gun.bmp"));
    if (!gSheetG) return 0;
    gSheetP.reset(new (std::nothrow) fw::Dib("Btn_pnl.bmp"));
    if (!gSheetP) return 0;
    return 1;
}

void FreeButtonBitmaps() {
    gSheetG.reset();
    gSheetP.reset();
    gFrameSheet.reset();
}

fw::Dib* GetButtonSheetG() { return gSheetG.get(); }
fw::Dib* GetButtonSheetP() { return gSheetP.get(); }
fw::Dib* GetButtonFrameSheet() { return gFrameSheet.get(); }
int GetCurrentButtonIndex() { return gCurrentIndex; }

void DoNothing() {}

int DrawBitmapButton(ui::Hwnd parent, const ui::DrawItemStruct* item, fw::Dib* background,
                     int index) {
    if (item == nullptr || item->ctlType != ui::ODT_BUTTON) return 0;
    ui::Point at{item->rcItem.left, item->rcItem.top};
    ui::MapWindowPoints(item->hwndItem, parent, &at, 1);
    gCurrentIndex = index;
    int state = 0;
    if (item->itemState & ui::ODS_DISABLED) {
        state = 2;
    } else if (item->itemState & ui::ODS_SELECTED) {
        state = 1;
    }
    return DrawButtonFace(item->hwndItem, item->hdc, at.x, at.y, item->rcItem, background, state);
}

int DrawButtonFace(ui::Hwnd button, ui::Canvas* dc, int x, int y, const ui::Rect& item,
                   fw::Dib* background, int state) {
    const int index = gCurrentIndex;
    const ui::RgbQuad* table = UsesSheetG(index)   ? GetPaletteTableA()
                               : UsesSheetP(index) ? GetPaletteTableB()
                                                   : GetPaletteTableC();
    const int width = item.right;
    const int height = item.bottom;
    if (width <= 0 || height <= 0) return 0;
    auto work = fw::Dib::CreateBlank(button, width, height, table);
    fw::HvDIBitBlt(work.get(), 0, 0, width, height, background, x, y, 0xFF);
    fw::Dib* sheet = UsesSheetG(index) ? gSheetG.get() : UsesSheetP(index) ? gSheetP.get() : nullptr;
    if (sheet) {
        const int h = item.bottom - item.top;
        const int w = item.right - item.left;
        const ButtonFace& face = ButtonFaceTable()[index];
        fw::HvDIBitBlt(work.get(), 0, 0, w, h, sheet, face.left, face.top + state * h, 0);
    }
    std::string text = ui::GetWindowText(button);
    if (text.size() > 80) text.resize(80);
    if (dc == nullptr) return 1;
    dc->SetBkMode(ui::TRANSPARENT);
    dc->SetTextColor(ui::Rgb(255, 255, 255));
    const ui::Canvas memory = fw::CanvasOnDib(work.get());
    dc->BitBlt(item.left, item.top, width, height, memory, 0, 0, ui::SRCCOPY);
    ui::Rect r = item;
    if (state == 1) {
        r.left += 2;
        r.bottom += 2;
    }
    if (!text.empty()) {
        const auto* font = reinterpret_cast<const ui::Font*>(ui::SendMessage(button, ui::WM_GETFONT, 0, 0));
        ui::Font previous;
        if (font) previous = dc->SelectFont(*font);
        dc->DrawText(text, r, ui::DT_CENTER | ui::DT_VCENTER | ui::DT_SINGLELINE);
        if (font) dc->SelectFont(previous);
    }
    return 1;
}

}  // namespace zv::shell
