#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "framework/ProcessState.h"
#include "framework/media/TimedMessageDialog.h"
#include "netplay/Protocol.h"
#include "organize/CorpsFiles.h"
#include "organize/OrganizeWorld.h"
#include "platform/core/Sjis.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/Window.h"
#include "platform/ui/controls/CommonControls.h"
#include "platform/ui/controls/ControlConstants.h"
#include "rules/records/Bytes.h"
#include "setup/Conditions.h"
#include "setup/NetworkPages.h"
#include "setup/NetworkPagesInternal.h"
#include "setup/SetupContainer.h"
#include "setup/SetupInternal.h"
#include "setup/SinglePlayPages.h"
#include "setup/tests/NetworkPagesFixture.h"
#include "shell/ChatWindow.h"
#include "shell/ShellDialogs.h"
#include "shell/WindowRegistry.h"
#include "shell/game/GameDocument.h"
#include "shell/game/GameMessages.h"
#include "shell/game/WindowClasses.h"

namespace zv::setup::testing {
namespace {

std::string Sjis(const char* utf8) { return core::Utf8ToSjis(utf8); }

// Page 9's role lists: the participants' entries follow the four roles, one per slot.
constexpr int kFirstSlotEntryForTest = 4;

// ---- the address dialog's checks ---------------------------------------------------------------

TEST(NetworkAddressChecks, PortsAndAddressesTable) {
    const char* badPort = "ポート番号は１～６５５３５の数字で入力してください。";
    const char* badAddress = "アドレスが正しくありません。数字のアドレス（例：192.168.0.2）を入力してください。";
    struct PortCase {
        const char* text;
        const char* error;  // null: accepted
        int port;
    };
    const PortCase ports[] = {{"47630", nullptr, 47630}, {"1", nullptr, 1},     {"65535", nullptr, 65535},
                              {"0", badPort, 0},         {"65536", badPort, 0}, {"", badPort, 0},
                              {"12a", badPort, 0},       {"-5", badPort, 0},    {"999999", badPort, 0}};
    for (const PortCase& c : ports) {
        SCOPED_TRACE(c.text);
        std::uint16_t port = 0;
        const std::string error = CheckPortText(c.text, port);
        EXPECT_EQ(error, c.error ? c.error : "");
        if (!c.error) {
            EXPECT_EQ(port, c.port);
        }
    }
    struct AddressCase {
        const char* text;
        const char* error;
        const char* address;
    };
    const AddressCase addresses[] = {{"", nullptr, ""},
                                     {"  ", nullptr, ""},
                                     {"localhost", nullptr, "127.0.0.1"},
                                     {"192.168.0.2", nullptr, "192.168.0.2"},
                                     {" 10.0.0.1 ", nullptr, "10.0.0.1"},
                                     {"::1", nullptr, "::1"},
                                     {"256.1.1.1", badAddress, ""},
                                     {"game.example", badAddress, ""},
                                     {"1.2.3", badAddress, ""}};
    for (const AddressCase& c : addresses) {
        SCOPED_TRACE(c.text);
        std::string address = "unchanged";
        const std::string error = CheckAddressText(c.text, address);
        EXPECT_EQ(error, c.error ? c.error : "");
        if (!c.error) {
            EXPECT_EQ(address, c.address);
        }
    }
}

// ---- dialogs -------------------------------------------------------------------------------------

TEST_F(NetPagesTest, AddressDialogRefusesABadPortAndKeepsItsEntries) {
    std::string address = "127.0.0.1";
    std::uint16_t port = 0;
    int result = -1;
    WithModal([&] { result = ShowAddressDialog({}, address, port); },
              [&](ui::Hwnd dlg) {
                  ui::SetDlgItemText(dlg, kIdPortEdit, "70000");
                  ClickControl(dlg, ui::IDOK);
                  // The refusal leaves the dialog up: the player mends the port.
                  ASSERT_TRUE(ui::IsWindow(dlg));
                  ui::SetDlgItemText(dlg, kIdPortEdit, "47700");
                  ClickControl(dlg, ui::IDOK);
              });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(address, "127.0.0.1");
    EXPECT_EQ(port, 47700);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "ポート番号は１～６５５３５の数字で入力してください。");
}

TEST_F(NetPagesTest, UserNameDialogKeepsSeventeenBytesWithoutSplittingACharacter) {
    struct Case {
        const char* name;
        std::string typed;     // Shift-JIS
        int button;            // IDOK or IDCANCEL
        std::string expected;  // the name the caller's buffer holds afterwards
    };
    const std::string nine = Sjis("ああああああああああ").substr(0, 18);  // nine double-byte characters
    const Case cases[] = {
        {"nine double-byte characters keep eight", nine, ui::IDOK, nine.substr(0, 16)},
        {"twenty letters keep seventeen", std::string(20, 'a'), ui::IDOK, std::string(17, 'a')},
        {"a letter then nine characters keeps the letter and eight", "b" + nine, ui::IDOK, "b" + nine.substr(0, 16)},
        {"cancel keeps the name confirmed last", "other", ui::IDCANCEL, "b" + nine.substr(0, 16)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        char buffer[18];
        std::memset(buffer, ' ', sizeof buffer);
        int result = -1;
        WithModal([&] { result = ShowUserNameDialog({}, buffer); },
                  [&](ui::Hwnd dlg) {
                      ui::SetDlgItemText(dlg, kIdDialogEdit, c.typed);
                      ClickControl(dlg, c.button);
                  });
        EXPECT_EQ(result, c.button == ui::IDOK ? 1 : 0);
        EXPECT_EQ(std::string(buffer, strnlen(buffer, sizeof buffer)), c.expected);
        EXPECT_EQ(GetDialogUserName(), c.expected);
    }
    // A log-on name longer than the field starts the dialog cut on a character boundary.
    char longName[18];
    std::memset(longName, 'x', 16);
    longName[16] = '\x82';  // a lead byte whose second byte does not fit
    longName[17] = '\0';
    std::string shown;
    WithModal([&] { ShowUserNameDialog({}, longName); },
              [&](ui::Hwnd dlg) {
                  shown = ui::GetDlgItemText(dlg, kIdDialogEdit);
                  ClickControl(dlg, ui::IDCANCEL);
              });
    EXPECT_EQ(shown, std::string(16, 'x'));
}

// ---- the participant list --------------------------------------------------------------------------

std::vector<std::uint8_t> SlotTable(const std::vector<std::pair<int, std::string>>& occupied) {
    std::vector<std::uint8_t> t(net::SlotDataMsg::kSize, 0);
    rules::WriteS32(t.data(), 0, net::ZVCMSG_SETSLOTDATA);
    for (const auto& [slot, name] : occupied) {
        rules::WriteS32(t.data(), net::SlotDataMsg::kStates + 4 * slot, 1);
        // Written raw, as a hostile host could: no terminator within the field.
        std::memcpy(t.data() + net::SlotDataMsg::kNames + net::SlotDataMsg::kNameWidth * slot, name.data(),
                    std::min(name.size(), net::SlotDataMsg::kNameWidth));
        std::memcpy(t.data() + net::SlotDataMsg::kLabels + net::SlotDataMsg::kLabelWidth * slot, "ZV6-V1.0.0.0", 12);
    }
    return t;
}

TEST_F(NetPagesTest, ParticipantListCutsNetworkNamesAndTheHostMayGoOnOnlyWithOthers) {
    Participant& host = Add();
    host.EnterNetworkPages();
    ASSERT_EQ(host.manager->Host(6, "t"), 1);
    const ui::Hwnd page = host.Page(kPageNetParticipants);
    ui::SendMessage(host.container, WM_SETUP_NEXT_PAGE, kPageNetParticipants, kPageNetConnection);
    const ui::Hwnd list = ui::GetDlgItem(page, kIdParticipantList);
    const ui::Hwnd next = ui::GetDlgItem(page, kIdSetupNext);

    // 16 letters and a double-byte character would end past the field's 17 bytes.
    const std::string longName = std::string(16, 'n') + "\x82\xA0" + "zz";
    auto alone = SlotTable({{0, "host"}});
    auto two = SlotTable({{0, "host"}, {3, longName}});
    netpages::ShowSlotListOnPage(page, alone.data());
    EXPECT_FALSE(ui::IsWindowEnabled(next));
    netpages::ShowSlotListOnPage(page, two.data());
    EXPECT_TRUE(ui::IsWindowEnabled(next));
    const std::vector<std::string> rows = ListRows(list);
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[0], "ホ－ＮＯ．0：host(ZV6-V1.0.0.0)");
    EXPECT_EQ(rows[1], "｜－ＮＯ．1：空き");
    EXPECT_EQ(rows[3], "｜－ＮＯ．3：" + std::string(16, 'n') + "(ZV6-V1.0.0.0)");
    EXPECT_EQ(GetLobbyPlayerName(3), std::string(16, 'n'));
    // The other participant leaves: the host can no longer go on.
    netpages::ShowSlotListOnPage(page, alone.data());
    EXPECT_FALSE(ui::IsWindowEnabled(next));
    EXPECT_EQ(GetLobbyPlayerName(3), "");
    Shot("netpages_participants_table");
}

// ---- joining and its refusals ------------------------------------------------------------------

TEST_F(NetPagesTest, JoinRefusalsTable) {
    Participant& client = Add();
    client.EnterNetworkPages();
    const ui::Hwnd connection = client.Page(kPageNetConnection);
    // The local network's sessions.
    ClickListRow(ui::GetDlgItem(connection, kIdConnectionList), 1);
    ClickControl(connection, kIdSetupNext);
    ASSERT_EQ(client.current, kPageNetSession);
    const ui::Hwnd sessions = client.Page(kPageNetSession);

    // Nothing found yet: the placeholder row cannot be joined.
    EXPECT_EQ(ListRows(ui::GetDlgItem(sessions, kIdSessionList)),
              std::vector<std::string>{"検索を押すとゲーム一覧が表示されます。"});
    EXPECT_FALSE(ui::IsWindowEnabled(ui::GetDlgItem(sessions, kIdJoinButton)));

    // The session is seen while it takes players and closes before the join arrives.
    struct Case {
        const char* name;
        int maxPlayers;
        std::function<void(Participant& host)> close;
    };
    const Case cases[] = {
        {"full session", 2,
         [&](Participant& host) {
             JoinWithoutPages(Add(), "filler");
             // The filler holds its slot once the host has its version.
             ASSERT_TRUE(Until([&] { return host.manager->CountOccupiedSlots() == 2; }));
         }},
        {"joins closed", 6, [&](Participant& host) { host.manager->SendNextMapSelect(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        boxes.clear();
        const std::size_t before = people.size();
        Participant& host = Add();
        host.manager->OpenTransport();
        host.manager->Connection()->SetPlayerName("host");
        ASSERT_EQ(host.manager->Host(c.maxPlayers, c.name), 1);
        if (!client.manager->Connection()->IsSearching()) ClickControl(sessions, kIdSearchButton);
        ASSERT_TRUE(Until([&] { return client.manager->Connection()->RowNode(0) != nullptr; }));
        ClickListRow(ui::GetDlgItem(sessions, kIdSessionList), 0);
        c.close(host);
        ClickControl(sessions, kIdJoinButton);
        EXPECT_EQ(client.current, kPageNetSession);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes.back(), "ゲームが進行中です。参加できません。");
        while (people.size() > before) people.pop_back();
        // The closed session leaves the list once it is no longer heard from.
        ASSERT_TRUE(Until([&] { return client.manager->Connection()->RowNode(0) == nullptr; }));
    }
}

TEST_F(NetPagesTest, AHostThatDoesNotAnswerIsToldAsSuch) {
    Participant& client = Add();
    client.EnterNetworkPages();
    const ui::Hwnd connection = client.Page(kPageNetConnection);
    ClickListRow(ui::GetDlgItem(connection, kIdConnectionList), 0);  // TCP/IP
    // A port on which nobody listens.
    WithModal([&] { ClickControl(connection, kIdSetupNext); },
              [&](ui::Hwnd dlg) {
                  ui::SetDlgItemText(dlg, kIdAddressEdit, "127.0.0.1");
                  ui::SetDlgItemText(dlg, kIdPortEdit, "9");
                  Shot("netpages_address_dialog");
                  ClickControl(dlg, ui::IDOK);
              });
    ASSERT_EQ(client.current, kPageNetSession);
    const ui::Hwnd sessions = client.Page(kPageNetSession);
    ClickControl(sessions, kIdSearchButton);
    ASSERT_TRUE(Until([&] { return client.manager->Connection()->RowNode(0) != nullptr; }));
    EXPECT_EQ(ListRows(ui::GetDlgItem(sessions, kIdSessionList))[0], "127.0.0.1:9");
    ClickListRow(ui::GetDlgItem(sessions, kIdSessionList), 0);
    ClickControl(sessions, kIdJoinButton);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "ホストが応答しません。アドレスとポート番号を確かめてください。");
    EXPECT_EQ(client.current, kPageNetSession);
}


// ---- the set-up container ------------------------------------------------------------------------

TEST_F(NetPagesTest, TheTitlesNetworkButtonAsksForTheNameAndOpensTheConnectionPage) {
    Participant& p = Add();
    // The title page keeps the name in the settings file of the program directory: a folder of
    // the test's own.
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("netpages-title-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    fw::SetProgramDirectory(dir.string() + "/");
    fw::SetSessionManager(p.manager.get(), [](net::SessionManager* m) { return m ? m->Connection() : nullptr; });
    InstallNetworkPages();
    ASSERT_EQ(RegisterSetupWindowClasses(), 1);
    const ui::Hwnd container = CreateMainMenuWindow(p.frame);
    ASSERT_TRUE(container);
    ui::SendMessage(container, zv::WM_TITLE_START, 0, 0);
    Pump();

    WithModal([&] { ClickControl(GetSetupPage(kPageTitle), kIdMultiPlay); },
              [&](ui::Hwnd dlg) {
                  ui::SetDlgItemText(dlg, kIdDialogEdit, Sjis("たろう"));
                  ClickControl(dlg, ui::IDOK);
              });
    EXPECT_EQ(GetCurrentSetupPage(), kPageNetConnection);
    const ui::Hwnd page = GetSetupPage(kPageNetConnection);
    ASSERT_TRUE(page);
    EXPECT_TRUE(ui::IsWindowVisible(page));
    EXPECT_EQ(ListRows(ui::GetDlgItem(page, kIdConnectionList)), (std::vector<std::string>{"ＴＣＰ／ＩＰ接続", "ＬＡＮ接続"}));
    ASSERT_NE(p.manager->Connection(), nullptr);
    EXPECT_EQ(p.manager->Connection()->PlayerName(), Sjis("たろう"));
    // Every network page of the road exists.
    for (int i = kPageNetConnection; i <= kPageNetCountries; ++i) EXPECT_TRUE(GetSetupPage(i)) << i;

    // Back to the title: the transport is closed, the network pages are gone.
    ClickControl(page, kIdSetupBack);
    EXPECT_EQ(GetCurrentSetupPage(), kPageTitle);
    EXPECT_EQ(p.manager->Connection(), nullptr);
    EXPECT_FALSE(GetSetupPage(kPageNetConnection));

    ui::DestroyWindow(container);
    fw::SetSessionManager(nullptr, nullptr);
    shell::ClearGameWindowModules();
    fw::SetProgramDirectory(ZV_PROGRAM_DIR "/");
    std::filesystem::remove_all(dir);
}

TEST_F(NetPagesTest, ALobbyStartShowsItsParticipantsOnPageSix) {
    Participant& p = Add();
    fw::SetSessionManager(p.manager.get(), [](net::SessionManager* m) { return m ? m->Connection() : nullptr; });
    InstallNetworkPages();
    ASSERT_EQ(RegisterSetupWindowClasses(), 1);
    const ui::Hwnd container = CreateMainMenuWindow(p.frame);
    ASSERT_TRUE(container);
    const auto table = SlotTable({{0, "lobbyhost"}, {2, "guest"}});
    ui::SendMessage(container, zv::WM_TITLE_START, 1, reinterpret_cast<ui::LParam>(table.data()));
    Pump();
    EXPECT_EQ(GetCurrentSetupPage(), kPageNetParticipants);
    const std::vector<std::string> rows = ListRows(ui::GetDlgItem(GetSetupPage(kPageNetParticipants), kIdParticipantList));
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[0], "ホ－ＮＯ．0：lobbyhost(ZV6-V1.0.0.0)");
    EXPECT_EQ(rows[2], "｜－ＮＯ．2：guest(ZV6-V1.0.0.0)");
    ui::DestroyWindow(container);
    fw::SetSessionManager(nullptr, nullptr);
    shell::ClearGameWindowModules();
}

// ---- a whole set-up by mouse -----------------------------------------------------------------------

class NetPagesGame : public NetPagesTest {
  protected:
    // The text of the last timed notice.
    static std::string TimedNoticeText() {
        return core::SjisToUtf8(fw::TimedMessageDialogText(fw::LastTimedMessageDialog()));
    }
    void SetUp() override {
        NetPagesTest::SetUp();
        host = &Add("1.0.0.0", HostPauseMs());
        client = &Add(ClientVersion());
        services->tables = &host->tables;
        services->simulation = host->sim.get();
        // The chat panel the pages borrow.
        shell::SetWindowOfKind(shell::WindowKind::ChatWindow, shell::CreateChatWindow(host->frame, shell::kChatWindowId));
    }
    void TearDown() override {
        services->tables = nullptr;
        services->simulation = nullptr;
        shell::DetachChatWindow();
        if (ui::IsWindow(shell::GetChatWindow())) ui::DestroyWindow(shell::GetChatWindow());
        shell::SetWindowOfKind(shell::WindowKind::ChatWindow, ui::Hwnd{});
        NetPagesTest::TearDown();
    }
    // Clicks row `row` of a list view.
    void ClickRow(ui::Hwnd list, int row) {
        ui::Rect r{};
        r.left = ui::LVIR_BOUNDS;
        ASSERT_TRUE(ui::SendMessage(list, ui::LVM_GETITEMRECT, ui::WParam(row), reinterpret_cast<ui::LParam>(&r)));
        ClickAt(list, r.left + 8, (r.top + r.bottom) / 2);
    }
    // Both participants through pages 4-6: the host makes a session, the client finds it and joins.
    void MeetOnParticipantsPage(const std::string& clientLabel = "ZV6-V1.0.0.0") {
        host->EnterNetworkPages();
        host->manager->Connection()->SetPlayerName(Sjis("ホスト"));
        if (takeShots) Shot("netpages_connection");
        ClickListRow(ui::GetDlgItem(host->Page(kPageNetConnection), kIdConnectionList), 1);
        ClickControl(host->Page(kPageNetConnection), kIdSetupNext);
        ASSERT_EQ(host->current, kPageNetSession);
        host->manager->Connection()->SetPlayerName(Sjis("ホスト"));
        WithModal([&] { ClickControl(host->Page(kPageNetSession), kIdNewGameButton); },
                  [&](ui::Hwnd dlg) {
                      ui::SetDlgItemText(dlg, kIdDialogEdit, Sjis("週末の対戦"));
                      ClickControl(dlg, ui::IDOK);
                  });
        ASSERT_EQ(host->current, kPageNetParticipants);

        client->EnterNetworkPages();
        ClickListRow(ui::GetDlgItem(client->Page(kPageNetConnection), kIdConnectionList), 1);
        ClickControl(client->Page(kPageNetConnection), kIdSetupNext);
        client->manager->Connection()->SetPlayerName(Sjis("きみ"));
        const ui::Hwnd sessions = client->Page(kPageNetSession);
        ClickControl(sessions, kIdSearchButton);
        ASSERT_TRUE(Until([&] { return client->manager->Connection()->RowNode(0) != nullptr &&
                                       !ListRows(ui::GetDlgItem(sessions, kIdSessionList)).empty(); }));
        EXPECT_EQ(ListRows(ui::GetDlgItem(sessions, kIdSessionList))[0], "週末の対戦 (1人/6人中)");
        if (takeShots) Shot("netpages_sessions");
        ClickListRow(ui::GetDlgItem(sessions, kIdSessionList), 0);
        ClickControl(sessions, kIdJoinButton);
        ASSERT_EQ(client->current, kPageNetParticipants);
        const ui::Hwnd next = ui::GetDlgItem(host->Page(kPageNetParticipants), kIdSetupNext);
        ASSERT_TRUE(Until([&] { return ui::IsWindowEnabled(next) && host->manager->SlotLabel(1) == clientLabel; }));
        ASSERT_TRUE(Until([&] { return ListRows(ui::GetDlgItem(client->Page(kPageNetParticipants), kIdParticipantList)).size() == 6; }));
        EXPECT_EQ(ItemText(client->Page(kPageNetParticipants), kIdParticipantStatus), "ようこそ！接続確認できました。");
        EXPECT_FALSE(ui::IsWindowEnabled(ui::GetDlgItem(client->Page(kPageNetParticipants), kIdSetupNext)));
    }

    virtual std::string ClientVersion() const { return "1.0.0.0"; }
    // The host's pause before it tells everybody to go on from the map page.
    virtual std::uint32_t HostPauseMs() const { return 0; }
    // Both on page 8: the host chose the first map and it reached the client.
    void ToRolePage() {
        MeetOnParticipantsPage();
        if (HasFatalFailure()) return;
        ClickControl(host->Page(kPageNetParticipants), kIdSetupNext);
        ASSERT_EQ(host->current, kPageNetFile);
        ClickRow(ui::GetDlgItem(host->Page(kPageNetFile), kIdFileList), 0);
        ClickControl(host->Page(kPageNetFile), kIdSetupNext);
        ASSERT_TRUE(Until([&] { return host->current == kPageNetRole && client->current == kPageNetRole; }, 20000));
    }
    // Both on page 9: each chose a corps to play.
    void ToCountriesPage() {
        ToRolePage();
        if (HasFatalFailure()) return;
        ClickRow(CorpsList(host), 0);
        ClickControl(host->Page(kPageNetRole), kIdSetupNext);
        ClickRow(CorpsList(client), 1);
        ClickControl(client->Page(kPageNetRole), kIdSetupNext);
        ASSERT_TRUE(Until([&] { return host->current == kPageNetCountries && client->current == kPageNetCountries; }));
    }
    // The role rows a participant may choose now.
    std::vector<int> OpenRows(ui::Hwnd page) {
        std::vector<int> open;
        for (int c = 0; c < 4; ++c) {
            if (ui::IsWindowEnabled(ui::GetDlgItem(page, RoleComboId(c)))) open.push_back(c);
        }
        return open;
    }
    static int Sel(ui::Hwnd page, int id) { return static_cast<int>(ui::SendDlgItemMessage(page, id, ui::CB_GETCURSEL, 0, 0)); }
    ui::Hwnd CorpsList(Participant* p) {
        for (ui::Hwnd c = ui::GetWindow(p->Page(kPageNetRole), ui::GW_CHILD); c; c = ui::GetWindow(c, ui::GW_HWNDNEXT)) {
            if (ui::Hwnd list = ui::GetDlgItem(c, organize::kIdCorpsList)) return list;
        }
        return {};
    }

    Participant* host = nullptr;
    Participant* client = nullptr;
    // Only one test writes the shared steps' pictures (tests run side by side).
    bool takeShots = false;
};

TEST_F(NetPagesGame, HostAndClientSetUpAGameByMouseAndBothFramesStartIt) {
    takeShots = true;
    MeetOnParticipantsPage();
    if (HasFatalFailure()) return;
    const std::vector<std::string> rows = ListRows(ui::GetDlgItem(host->Page(kPageNetParticipants), kIdParticipantList));
    EXPECT_EQ(rows[0], "ホ－ＮＯ．0：ホスト(ZV6-V1.0.0.0)");
    EXPECT_EQ(rows[1], "｜－ＮＯ．1：きみ(ZV6-V1.0.0.0)");
    Shot("netpages_participants");

    // Page 6 -> 7 on the host; the client follows on its own once the map has arrived.
    ClickControl(host->Page(kPageNetParticipants), kIdSetupNext);
    ASSERT_EQ(host->current, kPageNetFile);
    ASSERT_TRUE(Until([&] {
        return ItemText(client->Page(kPageNetParticipants), kIdParticipantStatus) == "ホストがマップを選択中です。";
    }));
    const ui::Hwnd mapPage = host->Page(kPageNetFile);
    ClickRow(ui::GetDlgItem(mapPage, kIdFileList), 0);
    ASSERT_TRUE(ui::IsWindowEnabled(ui::GetDlgItem(mapPage, kIdSetupNext)));
    Shot("netpages_map");
    ClickControl(mapPage, kIdSetupNext);
    ASSERT_TRUE(Until([&] { return host->current == kPageNetRole && client->current == kPageNetRole; }, 20000));

    // Page 8: both play, each with a corps.
    for (Participant* p : {host, client}) {
        const ui::Hwnd role = p->Page(kPageNetRole);
        EXPECT_EQ(ui::IsWindowEnabled(ui::GetDlgItem(role, kIdWatchCheck)), p == client);
        ui::Hwnd corps{};
        for (ui::Hwnd c = ui::GetWindow(role, ui::GW_CHILD); c; c = ui::GetWindow(c, ui::GW_HWNDNEXT)) {
            if (ui::GetDlgItem(c, organize::kIdCorpsList)) corps = c;
        }
        ASSERT_TRUE(corps);
        ClickRow(ui::GetDlgItem(corps, organize::kIdCorpsList), 0);
        ASSERT_TRUE(ui::IsWindowEnabled(ui::GetDlgItem(role, kIdSetupNext)));
    }
    Shot("netpages_role");
    ClickControl(host->Page(kPageNetRole), kIdSetupNext);
    ClickControl(client->Page(kPageNetRole), kIdSetupNext);
    ASSERT_TRUE(Until([&] { return host->current == kPageNetCountries && client->current == kPageNetCountries; }));

    // Page 9: the host takes the first country that takes part, the client the second.
    const ui::Hwnd hostPage = host->Page(kPageNetCountries);
    const ui::Hwnd clientPage = client->Page(kPageNetCountries);
    std::vector<int> open;
    for (int c = 0; c < 4; ++c) {
        if (ui::IsWindowEnabled(ui::GetDlgItem(hostPage, RoleComboId(c)))) open.push_back(c);
    }
    ASSERT_GE(open.size(), 2u);
    EXPECT_EQ(ItemText(hostPage, kIdCountriesStatus), "参加国とゲーム条件を設定してください");
    EXPECT_EQ(ItemText(clientPage, kIdCountriesStatus), "ホストが参加国とゲーム条件を設定しています");
    EXPECT_FALSE(ui::IsWindowEnabled(ui::GetDlgItem(clientPage, kIdSetupNext)));
    ChooseComboEntry(hostPage, RoleComboId(open[0]), kRoleUser);
    ui::SetDlgItemText(hostPage, FundsEditId(open[0]), "5000");

    // The host's entries are checked before anything is sent.
    struct Refusal {
        int id;
        const char* text;
        const char* message;
    };
    const Refusal refusals[] = {
        {kIdLastDay, "0", "作戦日数が１～９９以外で設定されています"},
        {kIdLastDay, "100", "作戦日数が１～９９以外で設定されています"},
        {kIdDeployable, "41", "展開部隊数が１～４０以外で設定されています"},
        {kIdTotalTroops, "81", "総部隊数が０～８０以外で設定されています"},
        {kIdTotalTroops, "5", "総部隊数は展開部隊数以上の数を設定してください"},
        {FundsEditId(open[0]), "", "軍事費が設定されていません"},
    };
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(r.message);
        const std::string kept = ui::GetDlgItemText(hostPage, r.id);
        ui::SetDlgItemText(hostPage, kIdDeployable, "10");
        ui::SetDlgItemText(hostPage, r.id, r.text);
        boxes.clear();
        ClickControl(hostPage, kIdSetupNext);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0], r.message);
        ui::SetDlgItemText(hostPage, r.id, r.id == kIdTotalTroops ? "80" : kept);
    }
    ui::SetDlgItemText(hostPage, kIdLastDay, "10");
    ui::SetDlgItemText(hostPage, kIdDeployable, "10");
    ui::SetDlgItemText(hostPage, kIdTotalTroops, "40");
    boxes.clear();
    ClickControl(hostPage, kIdSetupNext);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(Text(ui::GetDlgItem(hostPage, kIdSetupNext)), "配置へ");
    EXPECT_FALSE(ui::IsWindowEnabled(ui::GetDlgItem(hostPage, kIdSetupNext)));

    // The client's turn: the host's country is shown as the host's and stays closed to it.
    ASSERT_TRUE(Until([&] { return ui::IsWindowEnabled(ui::GetDlgItem(clientPage, kIdSetupNext)); }));
    EXPECT_EQ(ItemText(clientPage, kIdCountriesStatus), "きみさん参加国を選択してください");
    EXPECT_EQ(ui::SendDlgItemMessage(clientPage, RoleComboId(open[0]), ui::CB_GETCURSEL, 0, 0), 4);
    EXPECT_FALSE(ui::IsWindowEnabled(ui::GetDlgItem(clientPage, RoleComboId(open[0]))));
    EXPECT_EQ(ui::GetDlgItemText(clientPage, kIdLastDay), "10");
    ChooseComboEntry(clientPage, RoleComboId(open[1]), kRoleUser);
    ui::SetDlgItemText(clientPage, FundsEditId(open[1]), "7000");
    Shot("netpages_countries_client_turn");
    ClickControl(clientPage, kIdSetupNext);

    // Everybody chose: the host may finish.
    ASSERT_TRUE(Until([&] { return ui::IsWindowEnabled(ui::GetDlgItem(hostPage, kIdSetupNext)); }));
    EXPECT_EQ(ItemText(hostPage, kIdCountriesStatus), "全員の設定が終了しました");
    EXPECT_EQ(ui::SendDlgItemMessage(hostPage, RoleComboId(open[1]), ui::CB_GETCURSEL, 0, 0), 5);
    Shot("netpages_countries_host_done");
    ClickControl(hostPage, kIdSetupNext);
    ASSERT_TRUE(Until([&] { return host->startGames == 1 && client->startGames == 1; }));

    // Both wrote the same game-start record: the client's and the host's countries as persons.
    using G = rules::GameSettingsRecord;
    for (Participant* p : {host, client}) {
        const std::uint8_t* g = p->tables.GetTableBase(rules::TableId::GameSettings);
        EXPECT_EQ(rules::ReadS32(g, G::kSinglePlay), 0);
        EXPECT_EQ(g[G::kDayLimit], 10);
        EXPECT_EQ(g[G::CountryEntry(open[0]) + G::kEntryParticipation], 0);
        EXPECT_EQ(g[G::CountryEntry(open[1]) + G::kEntryParticipation], 0);
        EXPECT_EQ(rules::ReadS32(g, G::CountryEntry(open[1]) + G::kEntryFunds), 7000);
        EXPECT_EQ(rules::ReadS32(g, G::CountryEntry(open[0]) + G::kEntryProductionLimit), 40);
    }
    // The frame's game start gives each participant its own country, though both records count
    // both countries as persons'.
    for (Participant* p : {host, client}) {
        shell::ScopedServices own;
        own->tables = &p->tables;
        own->simulation = p->sim.get();
        fw::SetSessionManager(p->manager.get(), nullptr);
        shell::ApplyGameStartSettings(p->frame);
        EXPECT_EQ(fw::GetPlayerCountry(), p == host ? open[0] : open[1]);
    }
    fw::SetSessionManager(nullptr, nullptr);

    // Every field that reaches the tables agrees; only the corps file is each one's own.
    const std::uint8_t* a = host->tables.GetTableBase(rules::TableId::GameSettings);
    const std::uint8_t* b = client->tables.GetTableBase(rules::TableId::GameSettings);
    EXPECT_EQ(std::memcmp(a, b, G::kCountries), 0);
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(std::memcmp(a + G::CountryEntry(c), b + G::CountryEntry(c), G::kEntryCorpsFile), 0) << c;
    }
}

TEST_F(NetPagesGame, RolesThatCannotMakeAGameAreRefusedAndChosenAgain) {
    ToRolePage();
    if (HasFatalFailure()) return;
    const ui::Hwnd hostRole = host->Page(kPageNetRole);
    const ui::Hwnd clientRole = client->Page(kPageNetRole);
    // The host plays; the client only watches: one player makes no game.
    ClickRow(CorpsList(host), 0);
    ClickControl(hostRole, kIdSetupNext);
    EXPECT_FALSE(ui::IsWindowEnabled(ui::GetDlgItem(hostRole, kIdSetupNext)));
    ClickControl(clientRole, kIdWatchCheck);
    ASSERT_TRUE(ui::IsWindowEnabled(ui::GetDlgItem(clientRole, kIdSetupNext)));
    ClickControl(clientRole, kIdSetupNext);
    ASSERT_TRUE(Until([&] {
        return ui::IsWindowEnabled(ui::GetDlgItem(clientRole, kIdWatchCheck)) &&
               ui::IsWindowEnabled(ui::GetDlgItem(hostRole, kIdPlayerRadio));
    }));
    Shot("netpages_role_refused");
    EXPECT_EQ(host->current, kPageNetRole);
    EXPECT_EQ(client->current, kPageNetRole);
    // The host still cannot watch; the client's box was cleared.
    EXPECT_FALSE(ui::IsWindowEnabled(ui::GetDlgItem(hostRole, kIdWatchCheck)));
    EXPECT_EQ(ui::SendDlgItemMessage(clientRole, kIdWatchCheck, ui::BM_GETCHECK, 0, 0), ui::BST_UNCHECKED);

    // Both play now.
    ClickControl(hostRole, kIdSetupNext);
    ClickRow(CorpsList(client), 1);
    ClickControl(clientRole, kIdSetupNext);
    ASSERT_TRUE(Until([&] { return host->current == kPageNetCountries && client->current == kPageNetCountries; }));

    // What the network says on page 9 is checked before use: a slot, a country, an anthem or
    // alliances out of range change nothing they should not.
    const ui::Hwnd page = client->Page(kPageNetCountries);
    std::vector<std::uint8_t> block(net::GameSettingBlock::kSize, 0);
    auto setting = [&](int entry, std::int32_t slot, std::int32_t word, std::int32_t codes, std::uint8_t mask,
                       std::int32_t funds) {
        std::uint8_t* p = block.data() + net::GameSettingBlock::Player(entry);
        rules::WriteS32(p, net::PlayerSetting::kSlot, slot);
        rules::WriteS32(p, net::PlayerSetting::kCountry, word);
        rules::WriteS32(p, net::PlayerSetting::kCodes, codes);
        rules::WriteS32(p, net::PlayerSetting::kFunds, funds);
        p[net::PlayerSetting::kAlliance] = mask;
    };
    const int before0 = static_cast<int>(ui::SendDlgItemMessage(page, RoleComboId(0), ui::CB_GETCURSEL, 0, 0));
    setting(0, 200, 1, 0, 0, 100);         // no such slot
    setting(1, 1, 9, 0, 0, 100);           // no such country
    setting(2, 0, 2, 250, 0xFF, -5);       // anthem and funds out of range, stray alliance bits
    rules::WriteS32(block.data() + net::GameSettingBlock::kConditions, 0, 5000);  // days
    block[net::GameSettingBlock::kConditions + 36 + 4 * 1] = 0xFF;               // country 1's alliances
    netpages::OnGameSettingGame(page, 9, block.data());
    EXPECT_EQ(ui::SendDlgItemMessage(page, RoleComboId(0), ui::CB_GETCURSEL, 0, 0), before0);
    EXPECT_EQ(ui::SendDlgItemMessage(page, RoleComboId(1), ui::CB_GETCURSEL, 0, 0), 4);
    EXPECT_EQ(ui::SendDlgItemMessage(page, AnthemComboId(1), ui::CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(ui::GetDlgItemText(page, FundsEditId(1)), "0");
    EXPECT_EQ(GetAllianceMask(page, 1), 0x0F);
    EXPECT_EQ(ui::GetDlgItemText(page, kIdLastDay), "99");
}

// The role lists show every entry when they open, and every entry leads somewhere: one's own
// name is taken as "ﾕｰｻﾞｰ", another participant's name is refused with what to do and the row
// stays open; the choice then goes through.
TEST_F(NetPagesGame, EveryEntryOfTheRoleListsLeadsSomewhere) {
    ToCountriesPage();
    if (HasFatalFailure()) return;
    const ui::Hwnd hostPage = host->Page(kPageNetCountries);
    const ui::Hwnd clientPage = client->Page(kPageNetCountries);
    const std::vector<int> open = OpenRows(hostPage);
    ASSERT_GE(open.size(), 2u);
    const int entries = static_cast<int>(ui::SendDlgItemMessage(hostPage, RoleComboId(open[0]), ui::CB_GETCOUNT, 0, 0));
    ASSERT_EQ(entries, 10);  // four roles, six participants

    // The host's own name: the list opens from "ﾕｰｻﾞｰ" with every row in view.
    ClickComboRow(hostPage, RoleComboId(open[0]), kFirstSlotEntryForTest + 0, "netpages_countries_role_list_open");
    EXPECT_EQ(droppedTop, 0);
    EXPECT_GE(droppedRows, entries);
    EXPECT_EQ(Sel(hostPage, RoleComboId(open[0])), kRoleUser);
    EXPECT_TRUE(ui::IsWindowEnabled(ui::GetDlgItem(hostPage, RoleComboId(open[0]))));
    EXPECT_TRUE(boxes.empty());
    Shot("netpages_countries_role_list");

    // The guest's name and a free slot's: refused, the row keeps "CPU" and stays open.
    const char* refusal = "参加者の名前は、その参加者が選んだ国に表示されます。自分が担当する国には「ﾕｰｻﾞｰ」を選んでください。";
    for (int entry : {kFirstSlotEntryForTest + 1, kFirstSlotEntryForTest + 4}) {
        SCOPED_TRACE(entry);
        boxes.clear();
        ClickComboRow(hostPage, RoleComboId(open[1]), entry);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0], refusal);
        EXPECT_EQ(Sel(hostPage, RoleComboId(open[1])), kRoleComputer);
        EXPECT_TRUE(ui::IsWindowEnabled(ui::GetDlgItem(hostPage, RoleComboId(open[1]))));
        // The host's own row was left alone.
        EXPECT_EQ(Sel(hostPage, RoleComboId(open[0])), kRoleUser);
    }

    // 国設定 takes the host's country; the guest's turn comes.
    boxes.clear();
    ui::SetDlgItemText(hostPage, FundsEditId(open[0]), "5000");
    ClickControl(hostPage, kIdSetupNext);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(Text(ui::GetDlgItem(hostPage, kIdSetupNext)), "配置へ");
    ASSERT_TRUE(Until([&] { return ui::IsWindowEnabled(ui::GetDlgItem(clientPage, kIdSetupNext)); }));

    // The guest takes a country by its own name; the host's stays the host's.
    EXPECT_FALSE(ui::IsWindowEnabled(ui::GetDlgItem(clientPage, RoleComboId(open[0]))));
    ClickComboRow(clientPage, RoleComboId(open[1]), kFirstSlotEntryForTest + 1);
    EXPECT_EQ(Sel(clientPage, RoleComboId(open[1])), kRoleUser);
    // Alliances stay the host's.
    EXPECT_FALSE(ui::IsWindowEnabled(ui::GetDlgItem(clientPage, kIdAllianceChange)));
    for (int c = 0; c < 4; ++c) {
        for (int k = 0; k < 3; ++k) EXPECT_FALSE(ui::IsWindowEnabled(ui::GetDlgItem(clientPage, AllianceBoxId(c, k))));
    }
    ui::SetDlgItemText(clientPage, FundsEditId(open[1]), "6000");
    ClickControl(clientPage, kIdSetupNext);
    EXPECT_TRUE(boxes.empty());
    ASSERT_TRUE(Until([&] { return ui::IsWindowEnabled(ui::GetDlgItem(hostPage, kIdSetupNext)); }));
    EXPECT_EQ(Sel(hostPage, RoleComboId(open[1])), kFirstSlotEntryForTest + 1);
    ClickControl(hostPage, kIdSetupNext);
    ASSERT_TRUE(Until([&] { return host->startGames == 1 && client->startGames == 1; }));
}

// The participants' answer to the map does not come: after its wait the map page says so, and
// the host may choose and send again, which then goes through.
TEST_F(NetPagesGame, TheMapPageGivesUpWaitingAndTheHostMaySendAgain) {
    MeetOnParticipantsPage();
    if (HasFatalFailure()) return;
    ClickControl(host->Page(kPageNetParticipants), kIdSetupNext);
    ASSERT_EQ(host->current, kPageNetFile);
    ASSERT_TRUE(Until([&] {
        return ItemText(client->Page(kPageNetParticipants), kIdParticipantStatus) == "ホストがマップを選択中です。";
    }));
    const ui::Hwnd mapPage = host->Page(kPageNetFile);
    const ui::Hwnd next = ui::GetDlgItem(mapPage, kIdSetupNext);
    const ui::Hwnd files = ui::GetDlgItem(mapPage, kIdFileList);
    // Before a map is chosen the description box shows as a box, not as a lone scroll bar on
    // the black page.
    ui::Rect box{};
    ui::GetWindowRect(ui::GetDlgItem(mapPage, kIdMapDescription), &box);
    Pump();
    EXPECT_NE(screen->PixelAt(box.left + 20, box.bottom - 8) & 0xFFFFFF, 0u);
    client->stalled = true;
    ClickRow(files, 0);
    ClickControl(mapPage, kIdSetupNext);
    EXPECT_EQ(ItemText(mapPage, kIdStatusLine), "マップを送りました。届くのを待っています。");
    EXPECT_TRUE(ui::IsWindowVisible(ui::GetDlgItem(mapPage, kIdStatusLine)));
    EXPECT_FALSE(ui::IsWindowEnabled(next));
    EXPECT_FALSE(ui::IsWindowEnabled(files));
    for (int tick = 0; tick < 2 * kMapDeliveryTicks && ui::IsWindowEnabled(next) == false; ++tick) {
        screen->AdvanceClock(1000);
        Pump(1);
    }
    EXPECT_EQ(host->current, kPageNetFile);
    EXPECT_EQ(ItemText(mapPage, kIdStatusLine), "マップが届いたことを確かめられませんでした。");
    EXPECT_TRUE(ui::IsWindowEnabled(next));
    EXPECT_TRUE(ui::IsWindowEnabled(files));
    Shot("netpages_map_not_confirmed");

    // The participant answers again; the host sends once more and everybody goes on.
    client->stalled = false;
    ASSERT_TRUE(Until([&] { return host->manager->MapDeliveredFlag(); }));
    ClickControl(mapPage, kIdSetupNext);
    ASSERT_TRUE(Until([&] { return host->current == kPageNetRole && client->current == kPageNetRole; }, 20000));
}

class NetPagesPause : public NetPagesGame {
  protected:
    std::uint32_t HostPauseMs() const override { return 3000; }
};

// Between the map's delivery and the next page the host pauses; meanwhile its map page stays
// as it was, says what happens and keeps answering.
TEST_F(NetPagesPause, TheMapPageStaysDrawnWhileTheHostPauses) {
    MeetOnParticipantsPage();
    if (HasFatalFailure()) return;
    ClickControl(host->Page(kPageNetParticipants), kIdSetupNext);
    const ui::Hwnd mapPage = host->Page(kPageNetFile);
    ClickRow(ui::GetDlgItem(mapPage, kIdFileList), 0);
    const std::string description = ItemText(mapPage, kIdMapDescription);
    ClickControl(mapPage, kIdSetupNext);
    ASSERT_TRUE(Until([&] { return ItemText(mapPage, kIdStatusLine) == "マップが届きました。次へ進みます。"; }, 20000));
    // The pause runs on the page's clock: the page is still there, its choice and description
    // as they were.
    EXPECT_EQ(host->current, kPageNetFile);
    EXPECT_TRUE(ui::IsWindowVisible(mapPage));
    EXPECT_EQ(ItemText(mapPage, kIdMapDescription), description);
    EXPECT_EQ(ui::SendDlgItemMessage(mapPage, kIdFileList, ui::LVM_GETNEXTITEM, ui::WParam(-1), ui::LVNI_SELECTED), 0);
    EXPECT_FALSE(ui::IsWindowEnabled(ui::GetDlgItem(mapPage, kIdSetupNext)));
    Shot("netpages_map_delivered");
    screen->AdvanceClock(2900);
    Pump();
    EXPECT_EQ(host->current, kPageNetFile);
    ASSERT_TRUE(Until([&] { return host->current == kPageNetRole && client->current == kPageNetRole; }, 20000));
}

// The progress windows of the game-data transfer: the sender's and the receiver's come up with
// the transfer's blocks as their range, advance once a block while shown and go at its end;
// a transfer that stops half-way ends with its session, and a new one starts its bar anew.
namespace progress {
struct Call {
    std::uint32_t msg;
    ui::LParam l;
    bool shown;
};
std::vector<Call>* gCalls[2] = {nullptr, nullptr};
ui::WndProc gOld[2] = {nullptr, nullptr};
ui::Hwnd gBars[2];
ui::LResult Watch(ui::Hwnd h, std::uint32_t msg, ui::WParam w, ui::LParam l) {
    const int i = h == gBars[0] ? 0 : 1;
    if (gCalls[i] && (msg == ui::PBM_SETRANGE32 || msg == ui::PBM_SETPOS || msg == ui::PBM_STEPIT)) {
        gCalls[i]->push_back({msg, l, ui::IsWindowVisible(ui::GetParent(h))});
    }
    return ui::CallWindowProc(gOld[i], h, msg, w, l);
}
}  // namespace progress

TEST_F(NetPagesGame, TransferProgressWindowsShowAdvanceAndClose) {
    std::vector<progress::Call> sent, received;
    const ui::Hwnd windows[2] = {shell::CreateSendProgressDialog(host->frame),
                                 shell::CreateReceiveProgressDialog(host->frame)};
    shell::SetWindowOfKind(shell::WindowKind::TransFaParaWd, windows[0]);
    shell::SetWindowOfKind(shell::WindowKind::ReceverParaWd, windows[1]);
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(windows[i]);
        ui::ShowWindow(windows[i], ui::SW_HIDE);
        progress::gBars[i] = ui::GetDlgItem(windows[i], shell::kIdProgressBar);
        ASSERT_TRUE(progress::gBars[i]);
        progress::gOld[i] = reinterpret_cast<ui::WndProc>(ui::GetWindowLongPtr(progress::gBars[i], ui::GWL_WNDPROC));
        ui::SetWindowLongPtr(progress::gBars[i], ui::GWL_WNDPROC, reinterpret_cast<intptr_t>(&progress::Watch));
    }
    progress::gCalls[0] = &sent;
    progress::gCalls[1] = &received;
    struct Restore {
        ~Restore() {
            progress::gCalls[0] = progress::gCalls[1] = nullptr;
            shell::SetWindowOfKind(shell::WindowKind::TransFaParaWd, ui::Hwnd{});
            shell::SetWindowOfKind(shell::WindowKind::ReceverParaWd, ui::Hwnd{});
        }
    } restore;

    ToRolePage();
    if (HasFatalFailure()) return;
    // A range, a start at 0, then a step per block, each while the window is up; then it goes.
    const auto expectWhole = [](const std::vector<progress::Call>& calls, ui::Hwnd window, const char* which) {
        SCOPED_TRACE(which);
        ASSERT_GE(calls.size(), 3u);
        EXPECT_EQ(calls[0].msg, ui::PBM_SETRANGE32);
        const int blocks = static_cast<int>(calls[0].l);
        EXPECT_GT(blocks, 1);
        EXPECT_EQ(calls[1].msg, ui::PBM_SETPOS);
        int steps = 0;
        for (std::size_t k = 2; k < calls.size(); ++k) {
            EXPECT_EQ(calls[k].msg, ui::PBM_STEPIT);
            EXPECT_TRUE(calls[k].shown);
            ++steps;
        }
        EXPECT_EQ(steps, blocks);
        EXPECT_EQ(ui::SendDlgItemMessage(window, shell::kIdProgressBar, ui::PBM_GETPOS, 0, 0), blocks);
        EXPECT_FALSE(ui::IsWindowVisible(window));
    };
    expectWhole(sent, windows[0], "the host's send window");
    expectWhole(received, windows[1], "the client's receive window");

    // A map that stops after its first block: the window shows it, a new transfer starts the bar
    // again, and the host's loss ends it.
    received.clear();
    Participant& lone = Add();
    const transport::PlayerId server = 0x1234;
    lone.manager->SetIdsForTest(false, 1, server);
    const auto header = [&](int blocks) {
        auto m = net::MessageBuilder(net::ZVCMSG_FILETRANSFER_HEADER, net::TransferHeaderMsg::kSize)
                     .U16(net::TransferHeaderMsg::kKind, net::kTransferMap)
                     .S32(net::TransferHeaderMsg::kTotalSize, blocks * 1000)
                     .S32(net::TransferHeaderMsg::kBlockLength, 1000)
                     .S32(net::TransferHeaderMsg::kBlockCount, blocks)
                     .Get();
        lone.manager->HandleMessage(server, m.data(), m.size());
    };
    const auto block = [&](int index) {
        std::vector<std::uint8_t> m(net::TransferDataMsg::kHeader + 1000, 0);
        rules::WriteS32(m.data(), 0, net::ZVCMSG_FILETRANSFER_DATA);
        rules::WriteS32(m.data(), net::TransferDataMsg::kIndex, index);
        rules::WriteS32(m.data(), net::TransferDataMsg::kBlockLength, 1000);
        lone.manager->HandleMessage(server, m.data(), m.size());
    };
    const auto position = [&] {
        return static_cast<int>(ui::SendDlgItemMessage(windows[1], shell::kIdProgressBar, ui::PBM_GETPOS, 0, 0));
    };
    header(3);
    block(0);
    EXPECT_TRUE(ui::IsWindowVisible(windows[1]));
    EXPECT_EQ(position(), 1);
    header(5);
    ASSERT_FALSE(received.empty());
    EXPECT_EQ(received.back().msg, ui::PBM_SETPOS);
    EXPECT_EQ(position(), 0);
    EXPECT_EQ(ui::SendDlgItemMessage(windows[1], shell::kIdProgressBar, ui::PBM_GETRANGE, 0, 0), 5);
    block(0);
    EXPECT_EQ(position(), 1);
    Shot("netpages_receive_progress");
    // The host is gone: the notice, and with the session the window goes.
    std::vector<std::uint8_t> gone(16, 0);
    rules::WriteU32(gone.data(), 0, transport::kSysDestroyPlayer);
    rules::WriteU32(gone.data(), 4, server);
    rules::WriteU32(gone.data(), 8, transport::kServerPlayerFlag);
    lone.manager->HandleMessage(transport::kSystemPlayer, gone.data(), gone.size());
    EXPECT_EQ(TimedNoticeText(), "ネットワークから切断されました。終了します。");
    screen->AdvanceClock(3000);
    Pump();
    EXPECT_FALSE(ui::IsWindowVisible(windows[1]));
}

TEST_F(NetPagesGame, FiveParticipantsAreTooManyForAMapOfTwoCountries) {
    MeetOnParticipantsPage();
    if (HasFatalFailure()) return;
    // Three more join without pages: five participants.
    std::vector<Participant*> more;
    for (int i = 0; i < 3; ++i) {
        more.push_back(&Add());
        JoinWithoutPages(*more.back(), "p" + std::to_string(i));
        if (HasFatalFailure()) return;
    }
    std::string text;
    ASSERT_TRUE(Until([&] {
        return host->manager->CountOccupiedSlots() == 5 && host->manager->CheckAllConnected(text) == 0;
    }));
    ClickControl(host->Page(kPageNetParticipants), kIdSetupNext);
    ASSERT_EQ(host->current, kPageNetFile);
    const ui::Hwnd mapPage = host->Page(kPageNetFile);
    // The first map: two countries take part.
    ClickRow(ui::GetDlgItem(mapPage, kIdFileList), 0);
    ClickControl(mapPage, kIdSetupNext);
    EXPECT_EQ(host->current, kPageNetFile);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "参加人数が多すぎます。マップを選びなおしてください。");
    // (A participant leaving now would end the session: the host chooses a larger map.)
    int accepted = -1;
    for (int row = 1; row < 4 && accepted < 0; ++row) {
        boxes.clear();
        ClickRow(ui::GetDlgItem(mapPage, kIdFileList), row);
        ClickControl(mapPage, kIdSetupNext);
        if (boxes.empty()) accepted = row;
    }
    ASSERT_GT(accepted, 0) << "a map for three or four countries takes five participants";
    ASSERT_TRUE(Until([&] { return host->current == kPageNetRole && client->current == kPageNetRole; }, 20000));
}

TEST_F(NetPagesGame, TheHostLeavingSendsTheClientBackToTheTitle) {
    MeetOnParticipantsPage();
    if (HasFatalFailure()) return;
    ClickControl(host->Page(kPageNetParticipants), kIdSetupBack);
    EXPECT_TRUE(host->backAtTitle);
    ASSERT_TRUE(Until([&] { return client->backAtTitle; }));
    EXPECT_EQ(TimedNoticeText(), "ホストさんが終了または切断しました。");
}

// A third participant leaves while everybody meets on page 6: its goodbye is the host's
// alone; the other client stays on the page and sees the slot free again.
TEST_F(NetPagesGame, AClientLeavingWhileConnectedSendsNobodyElseToTheTitle) {
    MeetOnParticipantsPage();
    if (HasFatalFailure()) return;
    Participant& third = Add();
    JoinWithoutPages(third, "third");
    if (HasFatalFailure()) return;
    const ui::Hwnd clientList = ui::GetDlgItem(client->Page(kPageNetParticipants), kIdParticipantList);
    ASSERT_TRUE(Until([&] { return ListRows(clientList)[2] == "｜－ＮＯ．2：third(ZV6-V1.0.0.0)"; }));
    EXPECT_EQ(TimedNoticeText(), "");
    ASSERT_EQ(third.manager->Leave(), 0);
    ASSERT_TRUE(Until([&] { return ListRows(clientList)[2] == "｜－ＮＯ．2：空き"; }));
    Until([] { return false; }, 300);
    EXPECT_EQ(client->current, kPageNetParticipants);
    EXPECT_FALSE(client->backAtTitle);
    EXPECT_EQ(host->current, kPageNetParticipants);
    EXPECT_FALSE(host->backAtTitle);
    EXPECT_EQ(TimedNoticeText(), "");
    EXPECT_TRUE(client->manager->HasConnection());
    // The host may still go on with the client.
    EXPECT_TRUE(ui::IsWindowEnabled(ui::GetDlgItem(host->Page(kPageNetParticipants), kIdSetupNext)));
}

// Each participant's countries page keeps its own alliances: the conditions the network brings
// to one page leave the other page's masks and boxes as they were.
TEST_F(NetPagesGame, EachCountriesPageKeepsItsOwnAlliances) {
    ToCountriesPage();
    if (HasFatalFailure()) return;
    const ui::Hwnd hostPage = host->Page(kPageNetCountries);
    const ui::Hwnd clientPage = client->Page(kPageNetCountries);
    std::uint8_t before[4];
    for (int c = 0; c < 4; ++c) {
        before[c] = GetAllianceMask(hostPage, c);
        ASSERT_NE(before[c], 0x0F) << c;
    }
    std::vector<std::uint8_t> block(net::GameSettingBlock::kSize, 0);
    rules::WriteS32(block.data() + net::GameSettingBlock::kConditions, 0, 10);
    for (int c = 0; c < 4; ++c) block[net::GameSettingBlock::kConditions + 36 + 4 * c] = 0x0F;
    netpages::OnGameSettingGame(clientPage, net::kTurnDone, block.data());
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(GetAllianceMask(clientPage, c), 0x0F) << c;
        EXPECT_EQ(GetAllianceMask(hostPage, c), before[c]) << c;
    }
    EXPECT_EQ(ui::SendDlgItemMessage(clientPage, AllianceBoxId(0, 0), ui::BM_GETCHECK, 0, 0), ui::BST_CHECKED);
    EXPECT_EQ(ui::SendDlgItemMessage(hostPage, AllianceBoxId(0, 0), ui::BM_GETCHECK, 0, 0),
              (before[0] >> AlliancePartner(0, 0)) & 1 ? ui::BST_CHECKED : ui::BST_UNCHECKED);
    // A window that is no conditions page has no masks to give or take.
    SetAllianceMask(host->Page(kPageNetRole), 0, 0x0F);
    EXPECT_EQ(GetAllianceMask(host->Page(kPageNetRole), 0), 0);
}

class NetPagesOtherVersion : public NetPagesGame {
  protected:
    std::string ClientVersion() const override { return "0.9.0.0"; }
};

TEST_F(NetPagesOtherVersion, AParticipantOfAnotherVersionKeepsTheHostOnTheParticipantsPage) {
    MeetOnParticipantsPage("ZV6-V0.9.0.0");
    if (HasFatalFailure()) return;
    ClickControl(host->Page(kPageNetParticipants), kIdSetupNext);
    EXPECT_EQ(host->current, kPageNetParticipants);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "接続途中もしくは未接続、異なるバージョンで接続中のプレーヤーがいます。");
}

}  // namespace
}  // namespace zv::setup::testing
