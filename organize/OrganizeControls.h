#pragma once

// The small control makers the organisation dialogs share: controls in client pixels, their
// texts given in UTF-8 and shown in the game's encoding.

#include "platform/ui/Font.h"
#include "platform/ui/WindowTypes.h"

namespace zv::organize::controls {

void SetFont(ui::Hwnd h, const ui::Font* font);
ui::Hwnd Static(ui::Hwnd parent, int id, const char* utf8, int x, int y, int w, int h, const ui::Font* font);
ui::Hwnd Button(ui::Hwnd parent, int id, const char* utf8, int x, int y, int w, int h, const ui::Font* font);
ui::Hwnd ListView(ui::Hwnd parent, int id, const char* column, int x, int y, int w, int h,
                  const ui::Font* font);
void AddTab(ui::Hwnd tabs, int index, const char* utf8);

}  // namespace zv::organize::controls
