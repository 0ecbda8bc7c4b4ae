#pragma once

// Message boxes: a modal dialog sized to its text, with one of the MB_ button sets, an icon, a
// default button and a modality (DialogConstants.h). Texts are Shift-JIS. Returns the id of
// the button chosen (IDOK, IDCANCEL, IDYES, IDNO, IDABORT, IDRETRY, IDIGNORE), or 0 when no box
// could be made.

#include <cstdint>
#include <string>

#include "platform/ui/DialogConstants.h"
#include "platform/ui/WindowTypes.h"

namespace zv::ui {

int MessageBox(Hwnd owner, const std::string& text, const std::string& caption, uint32_t type);

}  // namespace zv::ui
