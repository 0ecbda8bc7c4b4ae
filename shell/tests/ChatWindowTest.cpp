#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "framework/ProcessState.h"
#include "platform/core/Sjis.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/HeadlessBackend.h"
#include "platform/ui/TextFitCheck.h"
#include "platform/ui/Window.h"
#include "platform/ui/controls/ControlConstants.h"
#include "shell/ChatWindow.h"
#include "shell/WindowRegistry.h"

namespace zv::shell {
namespace {

struct FakeSession : ChatSession {
    int state = 2;
    uint32_t slots[6] = {1, 4, 5, 0, 0, 0};
    int participation[4] = {0, 1, 3, 0};
    struct Sent {
        uint16_t mask;
        std::string text;
    };
    std::vector<Sent> sent;
    int SessionState() override { return state; }
    uint32_t SlotValue(int slot) override { return slots[slot]; }
    int CountryParticipation(int country) override { return participation[country]; }
    int SendChat(uint16_t recipients, const std::string& text, bool) override {
        sent.push_back({recipients, text});
        return 0;
    }
};

class Chat : public ::testing::Test {
  protected:
    void SetUp() override {
        auto backend = std::make_unique<ui::HeadlessBackend>(800, 600);
        screen = backend.get();
        wm = std::make_unique<ui::WindowManager>(std::move(backend));
        frame = ui::CreateWindowEx(0, "STATIC", "", ui::WS_POPUP | ui::WS_VISIBLE, 0, 0, 800, 600,
                                   {}, 0, nullptr, nullptr);
        SetWindowOfKind(WindowKind::FrameWnd, frame);
        SetChatSession(&session);
        fw::SetPlayerCountry(3);
        chat = CreateChatWindow(frame, kChatWindowId);
        ASSERT_TRUE(chat);
        list = ui::GetDlgItem(chat, kIdChatList);
        edit = ui::GetDlgItem(chat, kIdChatEdit);
    }
    void TearDown() override {
        SetChatSession(nullptr);
        for (ui::Hwnd top = ui::GetTopWindow({}); top; top = ui::GetTopWindow({})) {
            ui::DestroyWindow(top);
        }
        SetWindowOfKind(WindowKind::FrameWnd, {});
        SetWindowOfKind(WindowKind::ChatWindow, {});
        fw::SetPlayerCountry(6);
        wm.reset();
    }
    ui::Hwnd Box(int k) { return ui::GetDlgItem(chat, kIdChatFirstRecipient + k); }
    std::vector<std::string> Lines() {
        std::vector<std::string> out;
        const int n = int(ui::SendMessage(list, ui::LB_GETCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            char buffer[256] = {};
            ui::SendMessage(list, ui::LB_GETTEXT, ui::WParam(i), reinterpret_cast<ui::LParam>(buffer));
            out.push_back(core::SjisToUtf8(buffer));
        }
        return out;
    }
    static std::vector<uint8_t> Line(uint16_t mask, const std::string& sjis) {
        std::vector<uint8_t> line(kChatLineSize, 0);
        line[kChatLineMask] = uint8_t(mask);
        line[kChatLineMask + 1] = uint8_t(mask >> 8);
        std::copy(sjis.begin(), sjis.begin() + std::min<size_t>(sjis.size(), kChatLineTextWidth),
                  line.begin() + kChatLineText);
        return line;
    }
    void Show() {
        ui::ShowWindow(chat, ui::SW_SHOW);
        wm->PumpPending();
    }

    ui::HeadlessBackend* screen = nullptr;
    std::unique_ptr<ui::WindowManager> wm;
    FakeSession session;
    ui::Hwnd frame{}, chat{}, list{}, edit{};
};

TEST_F(Chat, SetModeTable) {
    struct Case {
        const char* name;
        int enable, mode;
        bool boxes[6];
    };
    // Country 3 is ours; country 1 is played by the computer; a spectator holds slot value 5.
    const Case cases[] = {
        {"normal", 1, 0, {true, false, true, false, true, false}},
        {"disabled", 0, 0, {false, false, false, false, false, false}},
        {"spectator", 1, 1, {false, false, false, false, false, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ui::SendMessage(chat, WM_CHAT_SET_MODE, ui::WParam(c.enable), c.mode);
        for (int k = 0; k < 6; ++k) {
            EXPECT_EQ(ui::IsWindowEnabled(Box(k)), c.boxes[k]) << k;
            EXPECT_EQ(ui::SendMessage(Box(k), ui::BM_GETCHECK, 0, 0), ui::BST_CHECKED) << k;
        }
        EXPECT_EQ(ui::IsWindowEnabled(edit), c.enable != 0);
        EXPECT_EQ(ui::IsWindowEnabled(list), c.enable != 0);
    }
    // Mode 2 and above leave the boxes as they are.
    ui::SendMessage(chat, WM_CHAT_SET_MODE, 1, 0);
    ui::SendMessage(chat, WM_CHAT_SET_MODE, 1, 2);
    EXPECT_TRUE(ui::IsWindowEnabled(Box(0)));
    EXPECT_FALSE(ui::IsWindowEnabled(Box(1)));
}

TEST_F(Chat, EnterSendsToTheCheckedRecipientsEscapeOnlyEmpties) {
    Show();
    ui::SendMessage(chat, WM_CHAT_SET_MODE, 1, 0);
    ui::SendMessage(Box(2), ui::BM_SETCHECK, ui::BST_UNCHECKED, 0);
    ui::SetFocus(edit);
    screen->Text("前進せよ");
    wm->PumpPending();
    screen->KeyDown(ui::VK_RETURN);
    screen->KeyUp(ui::VK_RETURN);
    wm->PumpPending();
    ASSERT_EQ(session.sent.size(), 1u);
    EXPECT_EQ(session.sent[0].mask, 0x3Bu);
    EXPECT_EQ(core::SjisToUtf8(session.sent[0].text), "前進せよ");
    EXPECT_EQ(ui::GetWindowText(edit), "");
    screen->Text("取り消し");
    wm->PumpPending();
    screen->KeyDown(ui::VK_ESCAPE);
    screen->KeyUp(ui::VK_ESCAPE);
    wm->PumpPending();
    EXPECT_EQ(session.sent.size(), 1u);
    EXPECT_EQ(ui::GetWindowText(edit), "");
    // At most 80 bytes.
    screen->Text(std::string(100, 'a'));
    wm->PumpPending();
    EXPECT_EQ(ui::GetWindowText(edit).size(), 80u);
    // Without a session nothing is sent, and the line is still emptied.
    SetChatSession(nullptr);
    screen->KeyDown(ui::VK_RETURN);
    screen->KeyUp(ui::VK_RETURN);
    wm->PumpPending();
    EXPECT_EQ(session.sent.size(), 1u);
    EXPECT_EQ(ui::GetWindowText(edit), "");
}

TEST_F(Chat, EachPanelsEditLineSendsWithItsOwnBoxes) {
    // A second panel beside the first: the Enter of each edit line goes to its own panel, also
    // after the other panel is gone.
    const ui::Hwnd second = CreateChatWindow(frame, kChatWindowId + 1);
    ASSERT_TRUE(second);
    const ui::Hwnd secondEdit = ui::GetDlgItem(second, kIdChatEdit);
    for (ui::Hwnd panel : {chat, second}) {
        ui::ShowWindow(panel, ui::SW_SHOW);
        ui::SendMessage(panel, WM_CHAT_SET_MODE, 1, 0);
    }
    ui::SendMessage(Box(0), ui::BM_SETCHECK, ui::BST_UNCHECKED, 0);
    ui::SendMessage(ui::GetDlgItem(second, kIdChatFirstRecipient + 5), ui::BM_SETCHECK,
                    ui::BST_UNCHECKED, 0);
    wm->PumpPending();
    auto type = [&](ui::Hwnd line, const std::string& text) {
        ui::SetFocus(line);
        screen->Text(text);
        wm->PumpPending();
        screen->KeyDown(ui::VK_RETURN);
        screen->KeyUp(ui::VK_RETURN);
        wm->PumpPending();
    };
    type(edit, "first");
    type(secondEdit, "second");
    ASSERT_EQ(session.sent.size(), 2u);
    EXPECT_EQ(session.sent[0].mask, 0x3Eu);
    EXPECT_EQ(session.sent[0].text, "first");
    EXPECT_EQ(session.sent[1].mask, 0x1Fu);
    EXPECT_EQ(session.sent[1].text, "second");
    ui::DestroyWindow(chat);
    type(secondEdit, "alone");
    ASSERT_EQ(session.sent.size(), 3u);
    EXPECT_EQ(session.sent[2].mask, 0x1Fu);
    EXPECT_EQ(session.sent[2].text, "alone");
    EXPECT_EQ(ui::GetWindowText(secondEdit), "");
}

TEST_F(Chat, ReceivedLinesFollowTheRecipientMaskDuringSetupAndPlay) {
    struct Case {
        int state, own;
        uint16_t mask;
        bool shown;
    };
    const Case cases[] = {
        {2, 1, 0x01, true},   // lobby: everybody sees every line
        {3, 1, 0x01, false},  // set-up: blue only, we are red
        {4, 1, 0x02, true},   {4, 0, 0x01, true}, {4, 4, 0x10, true}, {4, 5, 0x10, false},
        {4, 6, 0x3F, false},  // no country at all
    };
    for (const Case& c : cases) {
        ClearChatLog();
        session.state = c.state;
        fw::SetPlayerCountry(c.own);
        const auto line = Line(c.mask, core::Utf8ToSjis("援軍を送る"));
        EXPECT_EQ(AddChatLine(line.data()), c.shown ? 1 : 0) << c.state << " " << c.own;
        EXPECT_EQ(Lines().size(), c.shown ? 1u : 0u);
    }
    EXPECT_EQ(AddChatLine(nullptr), 0);
}

TEST_F(Chat, AnUnterminatedLineIsCutWithinItsSizeOnACharacterBoundary) {
    // 85 ASCII bytes then the lead byte of a double-byte character at the last text byte, and
    // no terminator anywhere: the text ends before the half character.
    std::string text(kChatLineTextWidth - 1, 'x');
    text += char(0x93);
    auto line = Line(0x3F, text);
    ASSERT_EQ(line.size(), size_t(kChatLineSize));
    EXPECT_EQ(AddChatLine(line.data()), 1);
    const auto lines = Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], std::string(kChatLineTextWidth - 1, 'x'));
    EXPECT_EQ(ui::SendMessage(list, ui::LB_GETCURSEL, 0, 0), 0);
    AddChatLine(Line(0x3F, "second").data());
    EXPECT_EQ(ui::SendMessage(list, ui::LB_GETCURSEL, 0, 0), 1);
}

TEST_F(Chat, SpectatorWaitWindowBorrowsThePanelAndGivesItBack) {
    fw::SetPlayerCountry(4);
    const ui::Hwnd wait = CreateNetworkWaitWindow(frame);
    ASSERT_TRUE(wait);
    EXPECT_EQ(ui::GetParent(chat), wait);
    EXPECT_TRUE(ui::IsWindowVisible(chat));
    ui::Rect r{};
    ui::GetWindowRect(wait, &r);
    EXPECT_EQ(r.right - r.left, 462);
    EXPECT_EQ(r.bottom - r.top, 128);
    for (int k = 0; k < 6; ++k) {
        EXPECT_FALSE(ui::IsWindowEnabled(Box(k)));
        EXPECT_EQ(ui::SendMessage(Box(k), ui::BM_GETCHECK, 0, 0), ui::BST_CHECKED);
    }
    AddChatLine(core::Utf8ToSjis("青>北の丘を押さえた。援軍を頼む"), 0x3F);
    AddChatLine(core::Utf8ToSjis("赤>了解、機甲中隊を向かわせる"), 0x3F);
    wm->Flush();
    std::filesystem::create_directories("screenshots");
    std::string error;
    EXPECT_TRUE(screen->WriteScreenshot("screenshots/chat_wait_window.png", &error)) << error;
    // Every label, box and line fits, enabled or greyed.
    for (const std::string& p : ui::CheckWindowTexts(wait)) ADD_FAILURE() << p;
    for (int k = 0; k < 6; ++k) ui::EnableWindow(Box(k), true);
    for (const std::string& p : ui::CheckWindowTexts(wait)) ADD_FAILURE() << "enabled: " << p;
    CloseNetworkWaitWindow();
    EXPECT_FALSE(ui::IsWindow(wait));
    EXPECT_EQ(ui::GetParent(chat), frame);
    EXPECT_FALSE(ui::IsWindowVisible(chat));
}

TEST_F(Chat, APlayersWaitWindowStaysWhenSpectatorsCloseTheirs) {
    fw::SetPlayerCountry(0);
    const ui::Hwnd wait = CreateNetworkWaitWindow(frame);
    ASSERT_TRUE(wait);
    EXPECT_TRUE(ui::IsWindowEnabled(Box(1)) == false);  // country 1 is the computer's
    EXPECT_TRUE(ui::IsWindowEnabled(Box(2)));
    CloseNetworkWaitWindow();
    EXPECT_TRUE(ui::IsWindow(wait));
    const ui::Hwnd other = ui::CreateWindowEx(0, "STATIC", "", ui::WS_POPUP, 0, 0, 10, 10, {}, 0,
                                              nullptr, nullptr);
    EXPECT_EQ(AttachChatWindow(other), chat);
    EXPECT_EQ(ui::GetParent(chat), other);
    DetachChatWindow();
    EXPECT_EQ(ui::GetParent(chat), frame);
}

TEST_F(Chat, SendFromDialogUsesThatWindowsBoxes) {
    ui::SendMessage(chat, WM_CHAT_SET_MODE, 1, 0);
    for (int k : {0, 1, 3, 4, 5}) ui::SendMessage(Box(k), ui::BM_SETCHECK, ui::BST_UNCHECKED, 0);
    EXPECT_EQ(SendChatFromDialog(chat, "hello"), 1);
    ASSERT_EQ(session.sent.size(), 1u);
    EXPECT_EQ(session.sent[0].mask, 0x04u);
}

}  // namespace
}  // namespace zv::shell
