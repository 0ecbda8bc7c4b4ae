#pragma once

// The fixture map and world with a headless screen, for the editor's windows and dialogs: input
// goes through the screen (clicks, typed text) and the editor's message boxes are recorded.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "mapview/MapSettingsDialog.h"
#include "mapview/tests/MapViewFixture.h"
#include "platform/core/Sjis.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/DialogConstants.h"
#include "platform/ui/HeadlessBackend.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowManager.h"
#include "platform/ui/controls/ControlConstants.h"
#include "shell/WindowRegistry.h"

namespace zv::mapview::testing {

class EditorFixture : public MapWorldFixture {
  public:
    void SetUp() override {
        MapWorldFixture::SetUp();
        auto backend = std::make_unique<ui::HeadlessBackend>(1024, 768);
        screen = backend.get();
        wm = std::make_unique<ui::WindowManager>(std::move(backend));
        SetEditorMessageSink([this](ui::Hwnd, const std::string& text, const std::string& caption, uint32_t type) {
            messages.push_back(text);
            captions.push_back(caption);
            if (type == ui::MB_YESNO || type == ui::MB_YESNOCANCEL) return answer;
            return static_cast<int>(ui::IDOK);
        });
    }
    void TearDown() override {
        SetEditorMessageSink({});
        for (ui::Hwnd top = ui::GetTopWindow({}); top; top = ui::GetTopWindow({})) ui::DestroyWindow(top);
        for (int k = 0; k < shell::kWindowKindCount; ++k) shell::SetWindowOfKind(k, {});
        wm.reset();
        MapWorldFixture::TearDown();
    }
    void Pump() { wm->PumpPending(); }
    ui::Point CentreOf(ui::Hwnd h) {
        ui::Rect r{};
        ui::GetWindowRect(h, &r);
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    void Click(ui::Hwnd h) {
        const ui::Point p = CentreOf(h);
        screen->Click(p.x, p.y);
        Pump();
    }
    void ClickItem(ui::Hwnd dlg, int id) { Click(ui::GetDlgItem(dlg, id)); }
    // Replaces an edit's text the way a person does: click into it, select all, type.
    void Type(ui::Hwnd dlg, int id, const std::string& utf8) {
        const ui::Hwnd edit = ui::GetDlgItem(dlg, id);
        Click(edit);
        ui::SetFocus(edit);
        ui::SendMessage(edit, ui::EM_SETSEL, 0, -1);
        screen->KeyDown(ui::VK_DELETE);
        screen->KeyUp(ui::VK_DELETE);
        screen->Text(utf8);
        Pump();
    }
    // Runs `body`, which shows a modal dialog; `act` runs once the dialog is up (from a timer
    // on the screen's clock) and should close it.
    void RunModal(const std::function<void()>& body, std::function<void(ui::Hwnd)> act) {
        gModalAct = std::move(act);
        screen->SetAutoAdvance(true);
        ui::SetTimer({}, 77, 30, [](ui::Hwnd, uint32_t, uintptr_t id, uint32_t) {
            ui::KillTimer({}, id);
            if (gModalAct) gModalAct(ui::GetActiveWindow());
        });
        body();
        screen->SetAutoAdvance(false);
        gModalAct = nullptr;
    }
    static inline std::function<void(ui::Hwnd)> gModalAct;
    std::string TextOf(ui::Hwnd dlg, int id) { return core::SjisToUtf8(ui::GetDlgItemText(dlg, id)); }
    void Shot(const std::string& name) {
        wm->Flush();
        std::string error;
        EXPECT_TRUE(screen->WriteScreenshot(ScreenshotPath(name), &error)) << error;
    }

    ui::HeadlessBackend* screen = nullptr;
    std::unique_ptr<ui::WindowManager> wm;
    std::vector<std::string> messages, captions;
    int answer = ui::IDYES;
};

}  // namespace zv::mapview::testing
