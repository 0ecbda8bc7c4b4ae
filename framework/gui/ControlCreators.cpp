#include "framework/gui/ControlCreators.h"

#include "framework/ProcessState.h"
#include "platform/ui/Window.h"
#include "platform/ui/controls/CommonControls.h"
#include "platform/ui/controls/ControlConstants.h"
#include "platform/ui/controls/StandardControls.h"

namespace zv::fw {

namespace {

ui::Hwnd Create(const char* cls, uint32_t style, ui::Hwnd parent, int id, int x, int y, int w,
                int h) {
    if (!ui::RegisterStandardControls()) return {};
    // The instance names the program, as the system's creators passed the module handle.
    void* instance = const_cast<AppInstance*>(&GetAppInstance());
    return ui::CreateWindowEx(0, cls, "", style, x, y, w, h, parent, id, instance, nullptr);
}

}  // namespace

ui::Hwnd CreateListViewCtl(ui::Hwnd parent, int id, int x, int y, int width, int height,
                           uint32_t style) {
    return Create(ui::kListViewClass, kListViewCtlStyle | style, parent, id, x, y, width, height);
}

ui::Hwnd CreateTabCtl(ui::Hwnd parent, int id, int x, int y, int width, int height) {
    return Create(ui::kTabControlClass, kTabCtlStyle, parent, id, x, y, width, height);
}

ui::Hwnd CreateStaticCtl(ui::Hwnd parent, int id, int x, int y, int width, int height) {
    return Create(ui::kStaticClass, kStaticCtlStyle, parent, id, x, y, width, height);
}

ui::Hwnd CreateEditCtl(ui::Hwnd parent, int id, int x, int y, int width, int height,
                       uint32_t style) {
    return Create(ui::kEditClass, kEditCtlStyle | style, parent, id, x, y, width, height);
}

ui::Hwnd CreateButtonCtl(ui::Hwnd parent, int id, int x, int y, int width, int height,
                         uint32_t style) {
    return Create(ui::kButtonClass, kButtonCtlStyle | style, parent, id, x, y, width, height);
}

ui::Hwnd CreateButtonCtl2(ui::Hwnd parent, int id, int x, int y, int width, int height) {
    return Create(ui::kButtonClass, kButtonCtl2Style, parent, id, x, y, width, height);
}

ui::Hwnd CreateComboBoxCtl(ui::Hwnd parent, int id, int x, int y, int width, int height,
                           uint32_t style) {
    return Create(ui::kComboBoxClass, kComboBoxCtlStyle | style, parent, id, x, y, width, height);
}

ui::Hwnd CreateOwnerDrawComboBoxCtl(ui::Hwnd parent, int id, int x, int y, int width, int height) {
    return Create(ui::kComboBoxClass, kOwnerDrawComboBoxCtlStyle, parent, id, x, y, width, height);
}

ui::Hwnd CreateScrollBarCtl(ui::Hwnd parent, int id, int x, int y, int width, int height,
                            uint32_t style) {
    return Create("SCROLLBAR", kScrollBarCtlStyle | style, parent, id, x, y, width, height);
}

ui::Hwnd CreateListBoxCtl(ui::Hwnd parent, int id, int x, int y, int width, int height,
                          uint32_t style) {
    return Create(ui::kListBoxClass, kListBoxCtlStyle | style, parent, id, x, y, width, height);
}

ui::Hwnd CreateOwnerDrawListBoxCtl(ui::Hwnd parent, int id, int x, int y, int width, int height) {
    return Create(ui::kListBoxClass, kOwnerDrawListBoxCtlStyle, parent, id, x, y, width, height);
}

}  // namespace zv::fw
