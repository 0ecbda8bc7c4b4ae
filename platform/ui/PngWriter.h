#pragma once

#include <string>

#include "platform/ui/Surface.h"

namespace zv::ui {

// Writes a 32-bit surface as an 8-bit RGB PNG file. On failure returns false with a message and
// leaves no partial file behind.
bool WritePng(const std::string& path, const Surface32& surface, std::string* error);

}  // namespace zv::ui
