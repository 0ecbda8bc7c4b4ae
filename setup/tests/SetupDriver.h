#pragma once

// Mouse and key helpers for driving the set-up pages through the memory screen.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "organize/CorpsFiles.h"
#include "organize/OrganizeState.h"
#include "platform/core/Sjis.h"
#include "platform/ui/HeadlessBackend.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowManager.h"
#include "platform/ui/controls/CommonControls.h"
#include "platform/ui/controls/ControlConstants.h"
#include "setup/SetupContainer.h"
#include "setup/SetupInternal.h"
#include "shell/game/WindowClasses.h"

namespace zv::setup::testing {

// A test of the whole program with the set-up module: the set-up's boxes are kept (UTF-8) and
// still shown on the screen, where the keys answer them.
class SetupProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        InstallSetupModule();
        SetSetupMessageBoxHook([this](ui::Hwnd owner, const std::string& text, std::uint32_t type) {
            boxes.push_back(text);
            return ui::MessageBox(owner, core::Utf8ToSjis(text), shell::GetFrameTitle(), type);
        });
    }
    void TearDown() override { SetSetupMessageBoxHook(nullptr); }
    std::string LastBox() const { return boxes.empty() ? std::string("no box") : boxes.back(); }

    std::vector<std::string> boxes;
};

inline ui::Point ScreenPoint(ui::Hwnd window, int x, int y) {
    ui::Point p{x, y};
    ui::ClientToScreen(window, &p);
    return p;
}

inline void ClickAt(ui::HeadlessBackend* screen, ui::Hwnd window, int x, int y) {
    const ui::Point p = ScreenPoint(window, x, y);
    screen->Click(p.x, p.y);
}

// The middle of a control of the page.
inline void ClickControl(ui::HeadlessBackend* screen, ui::Hwnd page, int id) {
    ui::Rect r{};
    ui::GetWindowRect(ui::GetDlgItem(page, id), &r);
    screen->Click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

// The left part of row `row` of a list view.
inline void ClickListRow(ui::HeadlessBackend* screen, ui::Hwnd list, int row) {
    ui::Rect r{};
    r.left = ui::LVIR_BOUNDS;
    ui::SendMessage(list, ui::LVM_GETITEMRECT, static_cast<ui::WParam>(row), reinterpret_cast<ui::LParam>(&r));
    ClickAt(screen, list, r.left + 20, (r.top + r.bottom) / 2);
}

// Opens a drop-down list by a click on its face and clicks the item; the list opens under the
// face, one border pixel above its first row. `pump` lets the program take each click.
template <typename Pump>
void ClickComboItem(ui::HeadlessBackend* screen, ui::Hwnd combo, int item, Pump pump) {
    ui::Rect face{};
    ui::GetWindowRect(combo, &face);
    screen->Click((face.left + face.right) / 2, (face.top + face.bottom) / 2);
    pump();
    const int height = static_cast<int>(ui::SendMessage(combo, ui::CB_GETITEMHEIGHT, 0, 0));
    screen->Click(face.left + 10, face.bottom + 1 + height * item + height / 2);
    pump();
}

// A checksum of the screen pixels of a window's client rectangle part.
inline unsigned long long AreaSum(ui::HeadlessBackend* screen, ui::Hwnd window, int x, int y, int w, int h) {
    unsigned long long sum = 1469598103934665603ull;
    for (int j = 0; j < h; ++j) {
        for (int i = 0; i < w; ++i) {
            const ui::Point p = ScreenPoint(window, x + i, y + j);
            sum = (sum ^ screen->PixelAt(p.x, p.y)) * 1099511628211ull;
        }
    }
    return sum;
}

// The corps list of the corps page (inside its embedded corps dialog).
inline ui::Hwnd CorpsList(ui::Hwnd page) {
    for (ui::Hwnd child = ui::GetWindow(page, ui::GW_CHILD); child; child = ui::GetWindow(child, ui::GW_HWNDNEXT)) {
        if (const ui::Hwnd list = ui::GetDlgItem(child, organize::kIdCorpsList)) return list;
    }
    return {};
}

// The list row of a corps file, -1 when it is not listed.
inline int CorpsRowOfFile(const char* file) {
    for (int entry = 0; entry < organize::GetCorpsFileCount(); ++entry) {
        const organize::CorpsFileEntry* e = organize::GetCorpsFileEntry(entry);
        if (e && std::string(e->fileName) == file) return organize::CorpsRowOfEntry(entry);
    }
    return -1;
}

}  // namespace zv::setup::testing
