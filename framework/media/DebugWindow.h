#pragma once

// A developer's log window: a top-level window filled by a list of formatted lines that can be
// appended or replaced, with four extra system commands (100 asks for a line of input, 101-103
// call the overridable OnCommand1-3). Opened with a close time it destroys itself after it;
// unless kept, the object is deleted with its window.

#include <cstdarg>
#include <memory>
#include <string>

#include "framework/ProcessState.h"
#include "platform/ui/Font.h"
#include "platform/ui/WindowTypes.h"

namespace zv::fw {

constexpr uint32_t kDebugInputCommand = 100;
constexpr uint32_t kDebugCommand1 = 101;
constexpr uint32_t kDebugCommand2 = 102;
constexpr uint32_t kDebugCommand3 = 103;
constexpr int kDebugInputSize = 128;
constexpr int kDebugLineSize = 512;

class DebugWindow {
  public:
    DebugWindow();
    virtual ~DebugWindow();
    DebugWindow(const DebugWindow&) = delete;
    DebugWindow& operator=(const DebugWindow&) = delete;

    virtual int OnCommand1() { return 0; }
    virtual int OnCommand2() { return 0; }
    virtual int OnCommand3() { return 0; }

    // Null title: "DEBUGWIN" and the day, hour, minute and second. 1 when the window exists.
    int Open(const char* title, ui::Hwnd parent, int showCommand, int topmost,
             uint32_t closeAfterMs, int x, int y, int width, int height);
    int Open(const AppInstance* instance, const char* title, ui::Hwnd parent, int showCommand,
             int topmost, uint32_t closeAfterMs, int x, int y, int width, int height);

    void Print(const char* format, ...);
    void SetLine(int index, const char* format, ...);
    void SetTitle(const char* format, ...);
    void Show(int command);
    int Close();
    // Runs the input box owned by the window: the typed line after OK, null after Cancel.
    const char* AskDebugInput();

    void SetKept(int kept) { kept_ = kept; }
    ui::Hwnd Window() const { return window_; }
    ui::Hwnd ListBox() const { return list_; }
    const std::string& ClassName() const { return className_; }
    int InputResult() const { return inputResult_; }

  private:
    static ui::LResult Proc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l);
    ui::LResult Dispatch(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l);
    void OnCreate(ui::Hwnd h);
    void OnSize(int width, int height);
    bool OnSysCommand(int command);
    void OnDestroy(ui::Hwnd h);
    void AddLine(int replaceIndex, const char* format, va_list args);

    int kept_ = 0;
    AppInstance instance_;
    ui::Hwnd window_{};
    ui::Hwnd list_{};
    std::unique_ptr<ui::Font> listFont_;
    std::string className_;
    std::string title_;
    int timer_ = 0;
    std::unique_ptr<char[]> input_;
    int inputResult_ = 0;
};

}  // namespace zv::fw
