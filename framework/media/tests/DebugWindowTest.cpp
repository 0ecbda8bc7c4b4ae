#include "framework/media/DebugList.h"
#include "framework/media/DebugWindow.h"
#include "framework/media/tests/MediaTestSupport.h"

namespace zv::fw {
namespace {

struct Probe {
    int deleted = 0;
    int command1 = 0;
    int command3 = 0;
};

class ProbeWindow : public DebugWindow {
  public:
    explicit ProbeWindow(Probe* p) : probe_(p) {}
    ~ProbeWindow() override { ++probe_->deleted; }
    int OnCommand1() override { return ++probe_->command1; }
    int OnCommand3() override { return ++probe_->command3; }

  private:
    Probe* probe_;
};

class DebugWindowTest : public testing::MediaTest {
  protected:
    std::string Line(ui::Hwnd list, int i) {
        char buf[kDebugLineSize + 1] = {};
        ui::SendMessage(list, kLbGetText, ui::WParam(i), ui::LParam(buf));
        return buf;
    }
    int Count(ui::Hwnd list) { return int(ui::SendMessage(list, kLbGetCount, 0, 0)); }
};

TEST_F(DebugWindowTest, AppendsAndReplacesFormattedLines) {
    auto* w = new DebugWindow();
    ASSERT_EQ(w->Open("log", {}, ui::SW_SHOW, 0, 0, 10, 10, 300, 200), 1);
    EXPECT_EQ(w->ClassName().rfind("DEBUGWIN", 0), 0u);
    ui::Hwnd list = w->ListBox();
    ASSERT_TRUE(list);
    ui::Rect client, listRect;
    ui::GetClientRect(w->Window(), &client);
    ui::GetWindowRect(list, &listRect);
    EXPECT_EQ(listRect.Width(), client.Width()) << "the list fills the window";
    w->Print("troop %d at %s", 7, "(3,4)");
    w->Print("second");
    w->Print("third %05d", 42);
    EXPECT_EQ(Count(list), 3);
    EXPECT_EQ(Line(list, 0), "troop 7 at (3,4)");
    EXPECT_EQ(Line(list, 2), "third 00042");
    EXPECT_EQ(ui::SendMessage(list, kLbGetCaretIndex, 0, 0), 2);
    w->SetLine(1, "replaced %c", 'X');
    EXPECT_EQ(Count(list), 3);
    EXPECT_EQ(Line(list, 1), "replaced X");
    EXPECT_EQ(ui::SendMessage(list, kLbGetCaretIndex, 0, 0), 2) << "the count before the change";

    // A line wider than the list widens its horizontal extent; a short one never narrows it.
    intptr_t before = ui::SendMessage(list, kLbGetHorizontalExtent, 0, 0);
    w->Print("%s", std::string(120, 'W').c_str());
    intptr_t wide = ui::SendMessage(list, kLbGetHorizontalExtent, 0, 0);
    EXPECT_GT(wide, before);
    EXPECT_GT(wide, 300);
    ui::ScrollInfo si;
    si.mask = ui::SIF_ALL;
    ui::GetScrollInfo(list, ui::SB_HORZ, &si);
    EXPECT_EQ(si.max, wide - 1) << "the list can scroll to the line's end";
    w->Print("x");
    EXPECT_EQ(ui::SendMessage(list, kLbGetHorizontalExtent, 0, 0), wide);
    // 512 bytes at most per line.
    w->Print("%s", std::string(900, 'y').c_str());
    EXPECT_EQ(Line(list, 5).size(), std::size_t(kDebugLineSize - 1));

    w->SetTitle("step %d", 12);
    EXPECT_EQ(ui::GetWindowText(w->Window()), "step 12");
    Pump();
    EXPECT_EQ(w->Close(), 1);  // not kept: the object goes with its window
}

TEST_F(DebugWindowTest, ClosesItselfAfterItsTimeAndDeletesItselfUnlessKept) {
    Probe probe;
    auto* w = new ProbeWindow(&probe);
    ASSERT_EQ(w->Open(nullptr, {}, ui::SW_SHOW, 1, 300, 0, 0, 200, 100), 1);
    ui::Hwnd h = w->Window();
    EXPECT_NE(ui::GetWindowLong(h, ui::GWL_EXSTYLE) & ui::WS_EX_TOPMOST, 0);
    EXPECT_EQ(ui::GetWindowText(h).rfind("DEBUGWIN", 0), 0u) << "titled like its class";
    ui::SendMessage(h, ui::WM_SYSCOMMAND, kDebugCommand1, 0);
    ui::SendMessage(h, ui::WM_SYSCOMMAND, kDebugCommand3, 0);
    EXPECT_EQ(probe.command1, 1);
    EXPECT_EQ(probe.command3, 1);
    screen->AdvanceClock(299);
    Pump();
    EXPECT_TRUE(ui::IsWindow(h));
    screen->AdvanceClock(1);
    Pump();
    EXPECT_FALSE(ui::IsWindow(h));
    EXPECT_EQ(probe.deleted, 1);

    Probe keptProbe;
    {
        ProbeWindow kept(&keptProbe);
        kept.SetKept(1);
        ASSERT_EQ(kept.Open("kept", {}, ui::SW_SHOW, 0, 50, 0, 0, 200, 100), 1);
        screen->AdvanceClock(60);
        Pump();
        EXPECT_FALSE(ui::IsWindow(kept.Window()));
        EXPECT_EQ(keptProbe.deleted, 0);
        EXPECT_EQ(kept.Close(), 0);
    }
    EXPECT_EQ(keptProbe.deleted, 1);

    // Destroying a kept object with its window open closes the window once.
    {
        DebugWindow open;
        open.SetKept(1);
        open.Open("open", {}, ui::SW_SHOW, 0, 0, 0, 0, 100, 100);
        h = open.Window();
    }
    EXPECT_FALSE(ui::IsWindow(h));
}

TEST_F(DebugWindowTest, AsksForALineOfInput) {
    DebugWindow w;
    w.SetKept(1);
    ASSERT_EQ(w.Open("input", {}, ui::SW_SHOW, 0, 0, 0, 0, 300, 200), 1);
    screen->Text("go 12");
    screen->KeyDown(ui::VK_BACK);
    screen->KeyDown(ui::VK_RETURN);
    const char* line = w.AskDebugInput();
    ASSERT_NE(line, nullptr);
    EXPECT_STREQ(line, "go 1");
    EXPECT_EQ(w.InputResult(), 1);
    EXPECT_TRUE(ui::IsWindowEnabled(w.Window())) << "the owner is enabled again";

    screen->Text("never");
    screen->KeyDown(ui::VK_ESCAPE);
    EXPECT_EQ(w.AskDebugInput(), nullptr);
    EXPECT_EQ(w.InputResult(), 0);

    // The system command runs the same box.
    screen->KeyDown(ui::VK_RETURN);
    ui::SendMessage(w.Window(), ui::WM_SYSCOMMAND, kDebugInputCommand, 0);
    EXPECT_EQ(w.InputResult(), 1);
}

}  // namespace
}  // namespace zv::fw
