// A dialog whose state is a C++ object: one object per dialog, made before WM_INITDIALOG, given
// the creation parameter there, reached by the dialog's controls, deleted after WM_NCDESTROY.

#include <string>
#include <vector>

#include "platform/ui/Dialog.h"
#include "platform/ui/DialogObject.h"
#include "platform/ui/controls/ControlConstants.h"
#include "platform/ui/tests/UiTestSupport.h"

namespace zv::ui::testing {
namespace {

constexpr int kCountButton = 200;

std::vector<std::string> gEvents;

DialogTemplate CounterTemplate() {
    return MakeDialogTemplate(9101, "数える", WS_POPUP | WS_CAPTION | WS_VISIBLE, 120, 60,
                              {{kCountButton, "BUTTON", "数える", 10, 10, 50, 14, WS_TABSTOP},
                               {IDOK, "BUTTON", "OK", 64, 40, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP}});
}

class CounterDialog : public DialogObject {
  public:
    explicit CounterDialog(Hwnd h) : DialogObject(h) { gEvents.push_back("made"); }
    ~CounterDialog() { gEvents.push_back("deleted " + name_); }

    intptr_t Dispatch(uint32_t msg, WParam w, LParam l) {
        switch (msg) {
            case WM_INITDIALOG:
                name_ = reinterpret_cast<const char*>(l);
                gEvents.push_back("init " + name_);
                return 1;
            case WM_COMMAND:
                if (LoWord(w) == kCountButton) {
                    ++count_;
                    return 1;
                }
                if (LoWord(w) == IDOK) {
                    End(count_);
                    return 1;
                }
                return 0;
            case WM_GETDLGCODE:
                return Answer(DLGC_WANTALLKEYS);
            case WM_NCDESTROY:
                gEvents.push_back(name_ + " nc-destroyed after " + std::to_string(count_));
                return 0;
            default:
                return 0;
        }
    }
    int Count() const { return count_; }

  private:
    std::string name_;
    int count_ = 0;
};

class DialogObjectTest : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        gEvents.clear();
    }
    void ClickItem(Hwnd dialog, int id) {
        Rect r;
        GetWindowRect(GetDlgItem(dialog, id), &r);
        screen->Click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        wm->PumpPending();
    }
};

TEST_F(DialogObjectTest, EachDialogOwnsItsObjectFromItsFirstMessageToItsLast) {
    const Hwnd a = CreateDialogIndirectParam(nullptr, CounterTemplate(), {}, DialogObjectProc<CounterDialog>,
                                             reinterpret_cast<LParam>("a"));
    ASSERT_TRUE(IsWindow(a));
    SetWindowPos(a, {}, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    const Hwnd b = CreateDialogIndirectParam(nullptr, CounterTemplate(), {}, DialogObjectProc<CounterDialog>,
                                             reinterpret_cast<LParam>("b"));
    ASSERT_TRUE(IsWindow(b));
    SetWindowPos(b, {}, 320, 240, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    EXPECT_EQ(gEvents, (std::vector<std::string>{"made", "init a", "made", "init b"}));
    ASSERT_NE(DialogObjectOf<CounterDialog>(a), nullptr);
    EXPECT_NE(DialogObjectOf<CounterDialog>(a), DialogObjectOf<CounterDialog>(b));
    EXPECT_EQ(DialogObjectOf<CounterDialog>(b)->Handle(), b);

    ClickItem(a, kCountButton);
    ClickItem(a, kCountButton);
    ClickItem(b, kCountButton);
    EXPECT_EQ(DialogObjectOf<CounterDialog>(a)->Count(), 2);
    EXPECT_EQ(DialogObjectOf<CounterDialog>(b)->Count(), 1);
    // A message result set with Answer reaches the sender.
    EXPECT_EQ(SendMessage(a, WM_GETDLGCODE, 0, 0), LResult(DLGC_WANTALLKEYS));

    ASSERT_TRUE(DestroyWindow(a));
    EXPECT_EQ(std::vector<std::string>(gEvents.end() - 2, gEvents.end()),
              (std::vector<std::string>{"a nc-destroyed after 2", "deleted a"}));
    EXPECT_EQ(DialogObjectOf<CounterDialog>(b)->Count(), 1);
    ASSERT_TRUE(DestroyWindow(b));
    EXPECT_EQ(gEvents.back(), "deleted b");
}

TEST_F(DialogObjectTest, AModalDialogEndsWithWhatItsObjectCountedAndLeavesNothingBehind) {
    // The keys wait in the queue the dialog's own loop reads: three presses of the focused
    // count button, then Tab to OK and Enter.
    for (int i = 0; i < 3; ++i) {
        screen->KeyDown(VK_SPACE);
        screen->KeyUp(VK_SPACE);
    }
    screen->KeyDown(VK_TAB);
    screen->KeyUp(VK_TAB);
    screen->KeyDown(VK_RETURN);
    screen->KeyUp(VK_RETURN);
    const intptr_t result = DialogBoxIndirectParam(nullptr, CounterTemplate(), {}, DialogObjectProc<CounterDialog>,
                                                   reinterpret_cast<LParam>("modal"));
    EXPECT_EQ(result, 3);
    EXPECT_EQ(gEvents, (std::vector<std::string>{"made", "init modal", "modal nc-destroyed after 3",
                                                 "deleted modal"}));
}

}  // namespace
}  // namespace zv::ui::testing
