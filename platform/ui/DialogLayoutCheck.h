#pragma once

// Builds a dialog template with the current window manager and reports what is wrong with its
// layout: a control outside its dialog, two controls overlapping where the template does not
// allow it, a text that does not fit its control, a dialog larger than the screen. Tests run
// it over every registered template at each screen size the game supports.

#include <string>
#include <vector>

#include "platform/ui/DialogTemplate.h"

namespace zv::ui {

std::vector<std::string> CheckDialogLayout(const DialogTemplate& t);

}  // namespace zv::ui
