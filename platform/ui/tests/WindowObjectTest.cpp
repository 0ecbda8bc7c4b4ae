// A window class whose windows are C++ objects: one object per window, made at WM_NCCREATE,
// reached by every later message, deleted after WM_NCDESTROY, also when the creation fails.

#include <string>
#include <vector>

#include "platform/ui/WindowObject.h"
#include "platform/ui/tests/UiTestSupport.h"

namespace zv::ui::testing {
namespace {

std::vector<std::string> gEvents;  // what the objects saw, in order

class ClickCounter : public WindowObject {
  public:
    explicit ClickCounter(Hwnd h) : WindowObject(h) { gEvents.push_back("made"); }
    ~ClickCounter() { gEvents.push_back("deleted " + name_); }

    LResult Dispatch(uint32_t msg, WParam w, LParam l) {
        switch (msg) {
            case WM_NCCREATE: {
                const auto* cs = reinterpret_cast<const CreateStruct*>(l);
                name_ = cs->name ? cs->name : "";
                if (name_ == "refuse") return 0;
                return Default(msg, w, l);
            }
            case WM_LBUTTONDOWN:
                ++clicks_;
                return 0;
            case WM_NCDESTROY:
                gEvents.push_back(name_ + " nc-destroyed after " + std::to_string(clicks_));
                return Default(msg, w, l);
            default:
                return Default(msg, w, l);
        }
    }
    int Clicks() const { return clicks_; }

  private:
    std::string name_;
    int clicks_ = 0;
};

class WindowObjectTest : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        gEvents.clear();
        WindowClass wc;
        wc.name = "ClickCounter";
        wc.proc = WindowObjectProc<ClickCounter>;
        ASSERT_TRUE(RegisterClass(wc));
    }
    Hwnd Make(const char* name, int x) {
        return CreateWindowEx(0, "ClickCounter", name, WS_POPUP | WS_VISIBLE, x, 10, 50, 40, {}, 0,
                              nullptr, nullptr);
    }
};

TEST_F(WindowObjectTest, EachWindowOwnsItsObjectUntilItIsDestroyed) {
    const Hwnd a = Make("a", 10);
    const Hwnd b = Make("b", 100);
    ASSERT_TRUE(IsWindow(a));
    ASSERT_TRUE(IsWindow(b));
    EXPECT_EQ(gEvents, (std::vector<std::string>{"made", "made"}));
    ASSERT_NE(WindowObjectOf<ClickCounter>(a), nullptr);
    EXPECT_NE(WindowObjectOf<ClickCounter>(a), WindowObjectOf<ClickCounter>(b));
    EXPECT_EQ(WindowObjectOf<ClickCounter>(a)->Handle(), a);
    EXPECT_EQ(WindowObjectOf<ClickCounter>(a, "clickcounter"), WindowObjectOf<ClickCounter>(a));
    const Hwnd other = Popup(300, 300, 20, 20);
    SetWindowLongPtr(other, GWLP_USERDATA, 1234);
    EXPECT_EQ(WindowObjectOf<ClickCounter>(other, "ClickCounter"), nullptr);
    EXPECT_EQ(WindowObjectOf<ClickCounter>(Hwnd{}, "ClickCounter"), nullptr);

    screen->Click(20, 20);
    screen->Click(20, 20);
    screen->Click(110, 20);
    wm->PumpPending();
    EXPECT_EQ(WindowObjectOf<ClickCounter>(a)->Clicks(), 2);
    EXPECT_EQ(WindowObjectOf<ClickCounter>(b)->Clicks(), 1);

    ASSERT_TRUE(DestroyWindow(a));
    EXPECT_EQ(gEvents,
              (std::vector<std::string>{"made", "made", "a nc-destroyed after 2", "deleted a"}));
    EXPECT_EQ(WindowObjectOf<ClickCounter>(b)->Clicks(), 1);
    ASSERT_TRUE(DestroyWindow(b));
    EXPECT_EQ(gEvents.back(), "deleted b");
}

TEST_F(WindowObjectTest, ARefusedCreationDeletesTheObject) {
    EXPECT_FALSE(IsWindow(Make("refuse", 10)));
    EXPECT_EQ(gEvents,
              (std::vector<std::string>{"made", "refuse nc-destroyed after 0", "deleted refuse"}));
}

}  // namespace
}  // namespace zv::ui::testing
