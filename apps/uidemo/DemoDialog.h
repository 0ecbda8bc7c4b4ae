#pragma once

// The demo's dialog with one of every control of the layer.

#include <string>

#include "platform/ui/Dialog.h"

namespace uidemo {

constexpr int kDemoDialog = 100;

zv::ui::DialogTemplate DemoDialogTemplate();
// Adds the template to the registry.
void RegisterDemoDialog();
// Fills the lists, the tree, the tabs and the progress bar; OK and Cancel end or hide it.
intptr_t DemoDialogProc(zv::ui::Hwnd dlg, uint32_t msg, zv::ui::WParam w, zv::ui::LParam l);
// The open dialog over the current folder (F4), as the game opens maps; returns what it chose.
std::string ShowDemoFileDialog(zv::ui::Hwnd owner);

}  // namespace uidemo
