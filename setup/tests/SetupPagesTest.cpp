// The title page and the map page driven by clicks: the roads and their pages, the idle
// demonstration, the network road's name, a lobby's start, and the saved-game list.

#include <filesystem>
#include <string>

#include "organize/CorpsFiles.h"
#include "platform/core/Sjis.h"
#include "rules/context/GameEvents.h"
#include "rules/files/MapFiles.h"
#include "rules/records/Bytes.h"
#include "rules/records/MapRecords.h"
#include "setup/SinglePlayPages.h"
#include "setup/tests/PagesFixture.h"
#include "shell/Settings.h"

namespace zv::setup {
namespace {

namespace fs = std::filesystem;
using G = rules::GameSettingsRecord;

// Stand-ins for the network pages: they count what they are told.
int gNetworkPageShows = 0;
ui::LResult FakeNetworkPage(ui::Hwnd h, std::uint32_t msg, ui::WParam w, ui::LParam l) {
    if (msg == WM_SHOW_PAGE && w == 1) ++gNetworkPageShows;
    if (msg == WM_SHOW_PAGE) {
        ui::ShowWindow(h, w ? ui::SW_SHOW : ui::SW_HIDE);
        return 0;
    }
    return ui::DefWindowProc(h, msg, w, l);
}

class TitleAndPages : public testing::SetupPages {
  protected:
    ui::Hwnd Title() { return GetSetupPage(kPageTitle); }
    void Tick(int seconds) {
        for (int i = 0; i < seconds; ++i) {
            screen->AdvanceClock(1000);
            Pump();
        }
    }
    std::int32_t SinglePlayField() { return rules::ReadS32(tables.GetTableBase(rules::TableId::GameSettings), G::kSinglePlay); }
};

TEST_F(TitleAndPages, TheOpeningDemonstrationStartsAfterAMinuteOnTheTitle) {
    int demos = 0;
    SetOpeningDemoRunner([&](ui::Hwnd demoOwner) {
        EXPECT_EQ(demoOwner, Title());
        ++demos;
        return 1;
    });
    Tick(60);
    EXPECT_EQ(demos, 0);
    Tick(1);
    EXPECT_EQ(demos, 1);
    // The count starts again after the demonstration.
    Tick(60);
    EXPECT_EQ(demos, 1);
    Tick(1);
    EXPECT_EQ(demos, 2);
    // A dialog of the frame (opened from the menu bar above the title) disables the frame: the
    // player is busy, the count starts again once it is gone.
    Tick(30);
    ui::EnableWindow(owner, false);
    Tick(70);
    EXPECT_EQ(demos, 2);
    ui::EnableWindow(owner, true);
    Tick(60);
    EXPECT_EQ(demos, 2);
    Tick(1);
    EXPECT_EQ(demos, 3);
    // Leaving the title stops it.
    Click(Title(), kIdSinglePlay);
    EXPECT_EQ(GetTitleIdleCounter(), 0);
    Tick(70);
    EXPECT_EQ(demos, 3);
    SetOpeningDemoRunner(nullptr);
}

// A road taken again starts from fresh pages: nothing chosen on the earlier visit stays, and a
// new set-up forgets the corps chosen in the last one.
TEST_F(TitleAndPages, ARoadTakenAgainStartsFromFreshPages) {
    const auto corpsList = [] {
        for (ui::Hwnd c = ui::GetWindow(GetSetupPage(kPageSingleCorps), ui::GW_CHILD); c;
             c = ui::GetWindow(c, ui::GW_HWNDNEXT)) {
            if (const ui::Hwnd list = ui::GetDlgItem(c, organize::kIdCorpsList)) return list;
        }
        return ui::Hwnd{};
    };
    Click(Title(), kIdSinglePlay);
    ui::Hwnd page = GetSetupPage(kPageSingleFile);
    ASSERT_TRUE(page);
    Click(page, kIdPreviewBuildings);
    testing::ClickListRow(screen, ui::GetDlgItem(page, kIdFileList), 0);
    Pump();
    ASSERT_TRUE(ui::IsWindowEnabled(ui::GetDlgItem(page, kIdSetupNext)));
    Click(page, kIdSetupNext);
    ASSERT_EQ(GetCurrentSetupPage(), kPageSingleCorps);
    ASSERT_TRUE(corpsList());
    testing::ClickListRow(screen, corpsList(), 0);
    Pump();
    EXPECT_EQ(GetSelectedCorpsFile(), 0);
    EXPECT_TRUE(ui::IsWindowEnabled(ui::GetDlgItem(GetSetupPage(kPageSingleCorps), kIdSetupNext)));

    // Back to the title and the same road again: no file, no corps, the first preview mode.
    Click(GetSetupPage(kPageSingleCorps), kIdSetupBack);
    Click(GetSetupPage(kPageSingleFile), kIdSetupBack);
    ASSERT_EQ(GetCurrentSetupPage(), kPageTitle);
    EXPECT_FALSE(GetSetupPage(kPageSingleFile));
    Click(Title(), kIdSinglePlay);
    page = GetSetupPage(kPageSingleFile);
    ASSERT_TRUE(page);
    EXPECT_FALSE(ui::IsWindowEnabled(ui::GetDlgItem(page, kIdSetupNext)));
    EXPECT_EQ(ui::SendMessage(ui::GetDlgItem(page, kIdPreviewNormal), ui::BM_GETCHECK, 0, 0), ui::BST_CHECKED);
    Click(page, kIdSetupNext);
    EXPECT_EQ(GetCurrentSetupPage(), kPageSingleFile) << "nothing chosen: the page stays";

    // The corps chosen in one set-up is not the next one's.
    testing::ClickListRow(screen, ui::GetDlgItem(page, kIdFileList), 0);
    Pump();
    Click(page, kIdSetupNext);
    testing::ClickListRow(screen, corpsList(), 0);
    Pump();
    ASSERT_EQ(GetSelectedCorpsFile(), 0);
    ui::DestroyWindow(container);
    EXPECT_FALSE(GetSetupPage(kPageTitle));
    EXPECT_EQ(GetCurrentSetupPage(), kNoPage);
    container = CreateMainMenuWindow(owner);
    ASSERT_TRUE(container);
    EXPECT_EQ(GetSelectedCorpsFile(), -1);
    EXPECT_TRUE(GetSetupPage(kPageTitle));
}

// The corps list stands above the band of the page's buttons, within the page.
TEST_F(TitleAndPages, TheCorpsListLeavesTheButtonBandFree) {
    Click(Title(), kIdSinglePlay);
    const ui::Hwnd filePage = GetSetupPage(kPageSingleFile);
    ASSERT_TRUE(filePage);
    testing::ClickListRow(screen, ui::GetDlgItem(filePage, kIdFileList), 0);
    Pump();
    Click(filePage, kIdSetupNext);
    ASSERT_EQ(GetCurrentSetupPage(), kPageSingleCorps);
    const ui::Hwnd page = GetSetupPage(kPageSingleCorps);
    ui::Hwnd list{};
    for (ui::Hwnd c = ui::GetWindow(page, ui::GW_CHILD); c; c = ui::GetWindow(c, ui::GW_HWNDNEXT)) {
        if (ui::GetDlgItem(c, organize::kIdCorpsList)) list = c;
    }
    ASSERT_TRUE(list);
    ASSERT_TRUE(ui::IsWindowVisible(list));
    auto inPage = [&](ui::Hwnd h) {
        ui::Rect r;
        ui::GetWindowRect(h, &r);
        ui::Point corners[2] = {{r.left, r.top}, {r.right, r.bottom}};
        ui::MapWindowPoints(ui::Hwnd{}, page, corners, 2);
        return ui::Rect{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
    };
    const ui::Rect box = inPage(list);
    EXPECT_EQ(box.Width(), kCorpsListWidth);
    EXPECT_EQ(box.Height(), kCorpsListHeight);
    EXPECT_GE(box.top, 0);
    EXPECT_LE(box.bottom, kSetupButtonBandTop) << "the list covers the button band";
    EXPECT_EQ(box.left, (kSetupPageWidth - kCorpsListWidth) / 2);
    for (int id : {kIdSetupNext, kIdSetupBack}) {
        EXPECT_TRUE(box.Intersect(inPage(ui::GetDlgItem(page, id))).IsEmpty()) << id;
    }
}

TEST_F(TitleAndPages, TheNetworkRoadAsksForTheNameAndKeepsItCut) {
    std::string offered;
    bool accept = true;
    SetUserNameDialog([&](ui::Hwnd, std::string& name) {
        offered = name;
        name = core::Utf8ToSjis("あいうえおかきくけこ");  // 20 bytes
        return accept;
    });
    // Without the network pages the road cannot open: the title stays, usable, and says so.
    Click(Title(), kIdMultiPlay);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "設定画面を開けませんでした。");
    EXPECT_TRUE(ui::IsWindowVisible(Title()));
    EXPECT_EQ(GetCurrentSetupPage(), kPageTitle);
    EXPECT_GT(GetTitleIdleCounter(), 0);
    for (int page = 1; page < kSetupPageCount; ++page) EXPECT_FALSE(GetSetupPage(page)) << page;

    for (const char* name : kMultiPlayPageClasses) AddSetupPageClass(name, &FakeNetworkPage);
    ASSERT_EQ(RegisterSetupWindowClasses(), 1);
    accept = false;
    Tick(5);
    // Cancelled: the title keeps counting towards the demonstration.
    Click(Title(), kIdMultiPlay);
    EXPECT_FALSE(offered.empty()) << "the stored name or the log-on name is offered";
    EXPECT_GT(GetTitleIdleCounter(), 0);
    EXPECT_TRUE(ui::IsWindowVisible(Title()));
    EXPECT_FALSE(GetSetupPage(kPageNetConnection));

    accept = true;
    gNetworkPageShows = 0;
    Click(Title(), kIdMultiPlay);
    EXPECT_EQ(GetCurrentSetupPage(), kPageNetConnection);
    EXPECT_EQ(gNetworkPageShows, 1);
    EXPECT_FALSE(ui::IsWindowVisible(Title()));
    EXPECT_EQ(SinglePlayField(), 0);
    char stored[shell::kUserNameBufferSize] = {};
    shell::GetUserNameSetting("environ", "UserName", "NONE", stored);
    EXPECT_EQ(std::string(stored), core::Utf8ToSjis("あいうえおかきく")) << "16 bytes, whole characters";
    for (int page = kPageNetConnection; page < kSetupPageCount; ++page) EXPECT_TRUE(GetSetupPage(page)) << page;

    // Back to the title: exactly the title page is left.
    ui::SendMessage(container, WM_SETUP_PREV_PAGE, kPageTitle, kPageNetConnection);
    EXPECT_TRUE(ui::IsWindowVisible(Title()));
    for (int page = 1; page < kSetupPageCount; ++page) EXPECT_FALSE(GetSetupPage(page)) << page;
    SetUserNameDialog(nullptr);
}

TEST_F(TitleAndPages, ALobbyStartGoesStraightToTheParticipants) {
    for (const char* name : kMultiPlayPageClasses) AddSetupPageClass(name, &FakeNetworkPage);
    ASSERT_EQ(RegisterSetupWindowClasses(), 1);
    ui::DestroyWindow(container);
    EXPECT_FALSE(IsMainMenuOpen());
    ui::LParam filled = 0;
    SetLobbyParticipantsFiller([&](ui::Hwnd page, ui::LParam block) {
        EXPECT_EQ(ui::GetClassName(page), "MultiPlay6");
        filled = block;
    });
    container = CreateMainMenuWindow(owner);
    ASSERT_TRUE(container);
    ui::SendMessage(container, zv::WM_TITLE_START, 1, 1234);
    EXPECT_EQ(filled, 1234);
    EXPECT_EQ(GetCurrentSetupPage(), kPageNetParticipants);
    EXPECT_FALSE(ui::IsWindowVisible(Title()));
    EXPECT_TRUE(ui::IsWindowVisible(GetSetupPage(kPageNetParticipants)));
    EXPECT_EQ(SinglePlayField(), 0);
    EXPECT_EQ(rules::ReadS32(tables.GetTableBase(rules::TableId::GameSettings), G::kDeployment), 1);
    SetLobbyParticipantsFiller(nullptr);
}

class SavedGames : public testing::SetupPages {
  protected:
    // A saved game of the map, written as single play (1) or network play (0).
    void Save(const char* name, int singlePlay) {
        rules::GameEvents events;
        ASSERT_TRUE(rules::LoadMapFromMapFolder(tables, events, programDir, "MAP00002.ddm").ok);
        rules::WriteS32(tables.GetTableBase(rules::TableId::GameSettings), G::kSinglePlay, singlePlay);
        ASSERT_TRUE(rules::WriteSaveGame(tables, events, programDir + "SAVE/" + name).ok);
    }
    int Rows(ui::Hwnd page) {
        return static_cast<int>(ui::SendMessage(ui::GetDlgItem(page, kIdFileList), ui::LVM_GETITEMCOUNT, 0, 0));
    }
    std::string Row(ui::Hwnd page, int row) {
        char text[64] = {};
        ui::LvItem item;
        item.iSubItem = 0;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        ui::SendMessage(ui::GetDlgItem(page, kIdFileList), ui::LVM_GETITEMTEXTA, static_cast<ui::WParam>(row),
                        reinterpret_cast<ui::LParam>(&item));
        return text;
    }
};

TEST_F(SavedGames, OnlySinglePlaySavesAreListedAndChosenByTheirRow) {
    Save("alpha.ddg", 1);
    Save("beta.ddg", 0);  // a network game's save
    Save("gamma.ddg", 1);
    Click(GetSetupPage(kPageTitle), kIdSinglePlay);
    const ui::Hwnd page = GetSetupPage(kPageSingleFile);
    ASSERT_TRUE(page);
    EXPECT_FALSE(ui::IsWindowVisible(ui::GetDlgItem(page, kIdDeleteSave)));
    Click(page, kIdSavedGames);
    EXPECT_TRUE(ui::IsWindowVisible(ui::GetDlgItem(page, kIdDeleteSave)));
    EXPECT_FALSE(ui::IsWindowEnabled(ui::GetDlgItem(page, kIdDeleteSave)));
    ASSERT_EQ(Rows(page), 2);
    EXPECT_EQ(Row(page, 0), "alpha");
    EXPECT_EQ(Row(page, 1), "gamma");

    // The second row is the file behind it, although a file before it was left out.
    testing::ClickListRow(screen, ui::GetDlgItem(page, kIdFileList), 1);
    Pump();
    std::int32_t fromSave = 0;
    EXPECT_STREQ(GetChosenSetupFile(false, &fromSave), "gamma.ddg");
    EXPECT_EQ(fromSave, 1);
    Shot("setup_saved_games");

    // A saved game skips the corps page; cancelling the conditions comes back here.
    Click(page, kIdSetupNext);
    EXPECT_EQ(GetSavedGameChosen(), 1);
    EXPECT_EQ(GetCurrentSetupPage(), kPageSingleConditions);
    EXPECT_EQ(GetStartFromSave(), 1);
    Click(GetSetupPage(kPageSingleConditions), kIdSetupBack);
    EXPECT_EQ(GetCurrentSetupPage(), kPageSingleFile);

    // Deleting asks first; No keeps the file, Yes removes file and row.
    answers = {ui::IDNO};
    Click(page, kIdDeleteSave);
    EXPECT_EQ(boxes.back(), "gamma.ddgを削除しますか？");
    EXPECT_TRUE(fs::exists(programDir + "SAVE/gamma.ddg"));
    Click(page, kIdDeleteSave);
    EXPECT_FALSE(fs::exists(programDir + "SAVE/gamma.ddg"));
    EXPECT_TRUE(fs::exists(programDir + "SAVE/beta.ddg"));
    ASSERT_EQ(Rows(page), 1);
    EXPECT_FALSE(ui::IsWindowEnabled(ui::GetDlgItem(page, kIdSetupNext)));
    EXPECT_FALSE(ui::IsWindowEnabled(ui::GetDlgItem(page, kIdDeleteSave)));

    // Back to the maps: the four default maps by their names.
    Click(page, kIdNewGame);
    ASSERT_EQ(Rows(page), 4);
    EXPECT_EQ(Row(page, 0), core::Utf8ToSjis("大陸平原"));
    EXPECT_FALSE(ui::IsWindowVisible(ui::GetDlgItem(page, kIdDeleteSave)));
}

}  // namespace
}  // namespace zv::setup
