#pragma once

// A headless window manager, a temporary folder and file helpers for the media tests.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/HeadlessBackend.h"
#include "platform/ui/Window.h"

namespace zv::fw::testing {

class MediaTest : public ::testing::Test {
  protected:
    void SetUp() override {
        auto backend = std::make_unique<ui::HeadlessBackend>(640, 480);
        screen = backend.get();
        wm = std::make_unique<ui::WindowManager>(std::move(backend));
        dir = std::filesystem::temp_directory_path() /
              ("zv_media_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
        ui::WindowClass wc;
        wc.name = "TestHost";
        wc.proc = [](ui::Hwnd h, uint32_t m, ui::WParam w, ui::LParam l) {
            return ui::DefWindowProc(h, m, w, l);
        };
        wc.hasBackground = true;
        wc.background = ui::Rgb(0, 128, 0);
        ui::RegisterClass(wc);
    }
    void TearDown() override {
        wm.reset();
        std::filesystem::remove_all(dir);
    }

    std::string Path(const std::string& name) const { return (dir / name).string(); }
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
        std::string p = Path(name);
        std::ofstream(p, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return p;
    }
    ui::Hwnd Host(int x, int y, int w, int h) {
        return ui::CreateWindowEx(0, "TestHost", "host", ui::WS_POPUP | ui::WS_VISIBLE, x, y, w, h,
                                  {}, 0, nullptr, nullptr);
    }
    // Dispatches everything pending; returns the messages of `watch` it saw.
    std::vector<ui::Msg> Pump(uint32_t watch = 0) {
        std::vector<ui::Msg> seen;
        ui::Msg m;
        while (ui::PeekMessage(&m, {}, 0, 0, ui::PM_REMOVE)) {
            if (watch && m.message == watch) seen.push_back(m);
            ui::TranslateMessage(m);
            ui::DispatchMessage(m);
        }
        return seen;
    }

    ui::HeadlessBackend* screen = nullptr;
    std::unique_ptr<ui::WindowManager> wm;
    std::filesystem::path dir;
};

}  // namespace zv::fw::testing
