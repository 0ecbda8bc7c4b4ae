#pragma once

// Dialog templates as C++ tables, and the registry that holds them by template number.
// Rectangles are in dialog units (x, y, width, height); texts are UTF-8 in the source and
// become the Shift-JIS window texts of the controls.

#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/Surface.h"

namespace zv::ui {

struct DialogItem {
    int id = 0;
    std::string className;  // "BUTTON", "EDIT", "STATIC", "SCROLLBAR", "SysListView32", ...
    std::string text;
    int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
    uint32_t style = 0;                // WS_CHILD and WS_VISIBLE are added (hide at WM_INITDIALOG)
    uint32_t exStyle = 0;
    // True for items meant to lie over others (a group box around its buttons, a picture
    // behind a panel): the layout check lets them overlap.
    bool mayOverlap = false;
};

struct DialogTemplate {
    int number = 0;
    std::string title;
    uint32_t style = 0;  // WS_* and DS_*
    uint32_t exStyle = 0;
    int x = 0, y = 0, cx = 0, cy = 0;  // the client area, dialog units
    int pointSize = 9;                 // the dialog font
    std::string faceName;              // empty: the layer's Gothic
    std::vector<DialogItem> items;
};

// A template of the given number, caption, style, client size (dialog units) and items, in the
// layer's default font: the shape most of the program's templates take.
inline DialogTemplate MakeDialogTemplate(int number, std::string title, uint32_t style, int cx, int cy,
                                         std::vector<DialogItem> items) {
    DialogTemplate t;
    t.number = number;
    t.title = std::move(title);
    t.style = style;
    t.cx = cx;
    t.cy = cy;
    t.items = std::move(items);
    return t;
}

// Every template of the program, by number. Modules register theirs at start-up (or through a
// static DialogTemplateRegistration); later registrations of a number replace earlier ones.
class DialogRegistry {
  public:
    static DialogRegistry& Global();
    void Add(DialogTemplate t);
    // A copy: the registry may change while a dialog is being built.
    bool Find(int number, DialogTemplate* out) const;
    std::vector<int> Numbers() const;

  private:
    mutable std::mutex mutex_;
    std::map<int, DialogTemplate> templates_;
};

struct DialogTemplateRegistration {
    explicit DialogTemplateRegistration(DialogTemplate t) {
        DialogRegistry::Global().Add(std::move(t));
    }
};

}  // namespace zv::ui
