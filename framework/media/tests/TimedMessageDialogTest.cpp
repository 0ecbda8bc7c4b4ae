#include "framework/media/TimedMessageDialog.h"
#include "framework/media/tests/MediaTestSupport.h"
#include "platform/core/Sjis.h"

namespace zv::fw {
namespace {

class TimedMessageDialogTest : public testing::MediaTest {
  protected:
    ui::Point ClientOrigin(ui::Hwnd h) {
        ui::Point p{0, 0};
        ui::ClientToScreen(h, &p);
        return p;
    }
    int calls = 0;
};

TEST_F(TimedMessageDialogTest, ClosesAfterItsTimeAndThenCallsTheFunction) {
    ui::Hwnd frame = Host(0, 0, 640, 480);
    EXPECT_EQ(ShowTimedMessageDialog(
                  frame, "Player left", "Notice", [this] { ++calls; }, 500),
              1);
    ui::Hwnd notice = LastTimedMessageDialog();
    ASSERT_TRUE(notice);
    EXPECT_TRUE(ui::IsWindowVisible(notice));
    EXPECT_EQ(ui::GetWindowText(notice), "Notice");
    EXPECT_NE(ui::GetWindowLong(notice, ui::GWL_EXSTYLE) & ui::WS_EX_TOPMOST, 0);
    Pump();
    screen->AdvanceClock(499);
    Pump();
    EXPECT_TRUE(ui::IsWindow(notice));
    EXPECT_EQ(calls, 0);
    screen->AdvanceClock(1);
    Pump();
    EXPECT_FALSE(ui::IsWindow(notice));
    EXPECT_EQ(calls, 1);
    screen->AdvanceClock(5000);
    Pump();
    EXPECT_EQ(calls, 1) << "called once";
}

TEST_F(TimedMessageDialogTest, WithoutATimeItWaitsForOkAndNeverCallsTheFunction) {
    ui::Hwnd frame = Host(0, 0, 640, 480);
    ShowTimedMessageDialog(
        frame, "Wait", nullptr, [this] { ++calls; }, 0);
    ui::Hwnd notice = LastTimedMessageDialog();
    ASSERT_TRUE(notice);
    EXPECT_EQ(ui::GetWindowText(notice), "");
    screen->AdvanceClock(600000);
    Pump();
    EXPECT_TRUE(ui::IsWindow(notice));
    ui::Point o = ClientOrigin(notice);
    // The OK button sits centred at the bottom of the client area.
    screen->Click(o.x + kTimedNoticeWidth / 2, o.y + kTimedNoticeHeight - 20);
    Pump();
    EXPECT_FALSE(ui::IsWindow(notice));
    EXPECT_EQ(calls, 0);

    // A command 1 closes it too; other commands do nothing.
    ShowTimedMessageDialog(frame, "Wait", nullptr, nullptr, 0);
    notice = LastTimedMessageDialog();
    ui::SendMessage(notice, ui::WM_COMMAND, 2, 0);
    EXPECT_TRUE(ui::IsWindow(notice));
    ui::SendMessage(notice, ui::WM_COMMAND, kTimedNoticeButtonId, 0);
    EXPECT_FALSE(ui::IsWindow(notice));
}

TEST_F(TimedMessageDialogTest, KeepsSixtyThreeBytesAndCentresTheText) {
    // 31 double-byte characters and one more: the 64th byte would split it.
    std::string sjis = core::Utf8ToSjis(
        std::string("あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみ"));
    ASSERT_EQ(sjis.size(), 64u);
    ShowTimedMessageDialog({}, ("A" + sjis).c_str(), nullptr, nullptr, 0);
    ui::Hwnd notice = LastTimedMessageDialog();
    EXPECT_EQ(TimedMessageDialogText(notice).size(), 63u);
    EXPECT_EQ(TimedMessageDialogText(notice), "A" + sjis.substr(0, 62));
    ui::DestroyWindow(notice);

    ShowTimedMessageDialog({}, "ZV6", nullptr, nullptr, 0);
    notice = LastTimedMessageDialog();
    Pump();
    ui::Point o = ClientOrigin(notice);
    // The text's ink, above the button: centred across, 8 pixels above the middle.
    int left = 10000, right = -1, top = 10000, bottom = -1;
    for (int y = 0; y < kTimedNoticeHeight - 36; ++y) {
        for (int x = 0; x < kTimedNoticeWidth; ++x) {
            uint32_t p = screen->PixelAt(o.x + x, o.y + y);
            if ((p & 0xFF) > 0x60) continue;  // not dark
            left = std::min(left, x);
            right = std::max(right, x + 1);
            top = std::min(top, y);
            bottom = std::max(bottom, y + 1);
        }
    }
    ASSERT_GE(right, 0) << "the text was drawn";
    EXPECT_NEAR((left + right) / 2.0, kTimedNoticeWidth / 2.0, 2.5);
    EXPECT_NEAR((top + bottom) / 2.0, (kTimedNoticeHeight - 16) / 2.0, 4);
    std::string error;
    screen->WriteScreenshot(
        (std::filesystem::temp_directory_path() / "zv_timed_notice.png").string(), &error);
    ui::DestroyWindow(notice);
}

// A participant's long name makes the line wider than the usual notice: the notice widens and
// no character is cut at either side.
TEST_F(TimedMessageDialogTest, ALineWiderThanTheNoticeWidensItAndKeepsEveryCharacter) {
    ui::Hwnd frame = Host(0, 0, 640, 480);
    const std::string text = core::Utf8ToSjis("ながいなまえのひとさんが終了または切断しました。");
    ShowTimedMessageDialog(frame, text.c_str(), "ZV6", nullptr, 0);
    ui::Hwnd notice = LastTimedMessageDialog();
    ASSERT_TRUE(notice);
    Pump();
    ui::Rect client;
    ui::GetClientRect(notice, &client);
    EXPECT_GT(client.Width(), kTimedNoticeWidth);
    const ui::Point o = ClientOrigin(notice);
    int left = 10000, right = -1;
    for (int y = 0; y < kTimedNoticeHeight - 36; ++y) {
        for (int x = 0; x < client.Width(); ++x) {
            if ((screen->PixelAt(o.x + x, o.y + y) & 0xFF) > 0x60) continue;
            left = std::min(left, x);
            right = std::max(right, x + 1);
        }
    }
    ASSERT_GE(right, 0) << "the text was drawn";
    EXPECT_GE(left, 8) << "the first character is whole";
    EXPECT_LE(right, client.Width() - 8) << "the last character is whole";
    // (The closing "。" inks only its left half.)
    EXPECT_NEAR((left + right) / 2.0, client.Width() / 2.0, 9);
    // Still centred on its parent.
    ui::Rect r;
    ui::GetWindowRect(notice, &r);
    EXPECT_NEAR((r.left + r.right) / 2.0, 320, 2);
    ui::DestroyWindow(notice);
}

TEST(TimedMessageDialogWithoutScreen, StillAnswersOne) {
    EXPECT_EQ(ShowTimedMessageDialog({}, "x", nullptr, nullptr, 10), 1);
    EXPECT_FALSE(LastTimedMessageDialog());
}

}  // namespace
}  // namespace zv::fw
