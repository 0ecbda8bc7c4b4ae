// The lobby's wait for its session: the dialog polls on its timer, gives up after its polls, ends
// when the poll says it is connected, and its Cancel button ends the wait at once.

#include <filesystem>
#include <vector>

#include "framework/media/LobbyWaitDialog.h"
#include "framework/media/tests/MediaTestSupport.h"
#include "platform/core/Sjis.h"
#include "platform/ui/Dialog.h"

namespace zv::fw {
namespace {

class LobbyWaitDialogTest : public testing::MediaTest {
  protected:
    // The poll: "still connecting" until `connectAt` polls were made (never when 0); each poll's
    // time on the screen's clock is kept.
    std::function<std::int32_t()> Poll(int connectAt) {
        return [this, connectAt] {
            times.push_back(screen->NowMs());
            if (connectAt != 0 && int(times.size()) >= connectAt) return std::int32_t(0);
            return kLobbyStillConnecting;
        };
    }
    std::vector<std::uint32_t> times;
};

TEST_F(LobbyWaitDialogTest, PollsEveryQuarterSecondAndGivesUpAfterItsPolls) {
    screen->SetAutoAdvance(true);
    const std::uint32_t start = screen->NowMs();
    EXPECT_EQ(RunLobbyWaitDialog(Poll(0)), kLobbyStillConnecting);
    ASSERT_EQ(times.size(), std::size_t(kLobbyWaitPolls));
    for (std::size_t i = 0; i < times.size(); ++i) {
        EXPECT_EQ(times[i] - start, kLobbyWaitPollMs * (i + 1)) << "poll " << i;
    }
    EXPECT_FALSE(ui::GetActiveWindow()) << "the dialog is gone";
}

TEST_F(LobbyWaitDialogTest, EndsAtTheFirstPollThatIsNotStillConnecting) {
    screen->SetAutoAdvance(true);
    EXPECT_EQ(RunLobbyWaitDialog(Poll(3)), 0);
    EXPECT_EQ(times.size(), 3u);
}

// The dialog is drawn over the screen with its text and button; a click on キャンセル ends it
// before the next poll.
ui::HeadlessBackend* gScreen = nullptr;
std::string gText;
bool gDrawn = false;

TEST_F(LobbyWaitDialogTest, IsDrawnAndItsCancelButtonEndsTheWait) {
    gScreen = screen;
    gText.clear();
    gDrawn = false;
    screen->SetAutoAdvance(true);
    // Inside the dialog's loop, after two polls: look at it, then click its button.
    ui::SetTimer({}, 0, 600, [](ui::Hwnd, uint32_t, uintptr_t id, uint32_t) {
        ui::KillTimer({}, id);
        const ui::Hwnd dlg = ui::GetActiveWindow();
        if (!dlg) return;
        gText = core::SjisToUtf8(ui::GetWindowText(ui::GetDlgItem(dlg, kIdLobbyWaitText)));
        const ui::Hwnd cancel = ui::GetDlgItem(dlg, ui::IDCANCEL);
        ui::UpdateWindow(dlg);
        ui::Rect r{};
        ui::GetWindowRect(cancel, &r);
        // The button's face is drawn (not the black of an empty screen).
        gDrawn = ui::IsWindowVisible(dlg) && gScreen->PixelAt((r.left + r.right) / 2, r.top + 2) != 0;
        const std::filesystem::path shots = std::filesystem::current_path() / "screenshots";
        std::filesystem::create_directories(shots);
        std::string error;
        gScreen->WriteScreenshot((shots / "lobby_wait_dialog.png").string(), &error);
        gScreen->Click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    });
    EXPECT_EQ(RunLobbyWaitDialog(Poll(0)), kLobbyWaitCancelled);
    EXPECT_EQ(times.size(), 2u) << "no poll after the click";
    EXPECT_TRUE(gDrawn);
    EXPECT_EQ(gText, "ゲームへの接続を待っています...");
}

}  // namespace
}  // namespace zv::fw
