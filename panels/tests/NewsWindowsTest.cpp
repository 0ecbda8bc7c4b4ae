// The news and result windows over the news of a recorded game of the default map: the rows and
// records they keep, table 26 filled from the news window, the end of the game shown in the
// result window, a fight replayed from its row and the end button driven with the mouse.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "panels/NewsText.h"
#include "panels/NewsWindows.h"
#include "panels/PanelWindows.h"
#include "panels/tests/PanelsFixture.h"
#include "platform/core/Sjis.h"
#include "platform/ui/controls/CommonControls.h"
#include "rules/countries/CountryStatistics.h"
#include "rules/files/GameFileLayout.h"

namespace zv::panels {
namespace {

using K = shell::WindowKind;
using rules::NewsRecord;
using testing::gFrameCommands;

// Stands in for the fight manager: what the result window asks of it.
std::vector<std::pair<uint32_t, ui::LParam>> gFightCalls;
ui::LResult FightStandIn(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    if (msg == WM_FIGHT_RAISE || msg == WM_FIGHT_DATA || msg == WM_FIGHT_LOWER)
        gFightCalls.emplace_back(msg, l);
    return ui::DefWindowProc(h, msg, w, l);
}

class NewsWindowsTest : public testing::PanelsTest {
  protected:
    void SetUp() override {
        PanelsTest::SetUp();
        news = CreateNewsWindow(mdiClient);
        ASSERT_TRUE(news);
        result = CreateResultWindow(frame);
        ASSERT_TRUE(result);
        gFightCalls.clear();
    }

    int Rows(ui::Hwnd window, int id) {
        return int(ui::SendMessage(ui::GetDlgItem(window, id), ui::LVM_GETITEMCOUNT, 0, 0));
    }
    std::string Cell(ui::Hwnd window, int id, int row, int column) {
        char text[256] = {};
        ui::LvItem q;
        q.iSubItem = column;
        q.pszText = text;
        q.cchTextMax = sizeof text;
        ui::SendMessage(ui::GetDlgItem(window, id), ui::LVM_GETITEMTEXTA, ui::WParam(row),
                        reinterpret_cast<ui::LParam>(&q));
        return core::SjisToUtf8(text);
    }

    // Steps the default map's game (every country played by the computer, the player watching
    // country 0) and hands each news to the news window and its sentence to the message panel,
    // as the frame does, until enough attacks were reported or the game ended.
    void PlayRecordedGame(int maxSteps, int wantedFights) {
        const ui::Hwnd manager = CreateColumn();
        game.SetNewsTap([&](const uint8_t* record) {
            ui::SendMessage(news, WM_NEWS_ADD, 0, reinterpret_cast<ui::LParam>(record));
            NewsRecord copy;
            std::memcpy(copy.data(), record, rules::kNewsRecordSize);
            sentences.push_back(FormatNewsSentence(game.Tables(), copy)
                                    ? core::SjisToUtf8(FormatNewsSentence(game.Tables(), copy))
                                    : "<null>");
            ui::SendMessage(manager, WM_PANEL_MESSAGE, 0,
                            reinterpret_cast<ui::LParam>(FormatNewsSentence(game.Tables(), copy)));
        });
        int fights = 0;
        for (int i = 0; i < maxSteps && fights < wantedFights && !game.Outcome().over; ++i) {
            game.Step();
            fights = 0;
            for (const NewsRecord& r : GetNewsWindowRecords())
                fights += r.Kind() == rules::kNewsAttacked || r.Kind() == rules::kNewsWasAttacked;
        }
        game.SetNewsTap(nullptr);
    }

    ui::Hwnd news{};
    ui::Hwnd result{};
    std::vector<std::string> sentences;
};

TEST_F(NewsWindowsTest, KeepsTheLastFiveHundredAndStoresThemOldestFirst) {
    std::vector<uint8_t> table(rules::kNewsLogBytes, 0xFF);
    ui::SendMessage(news, WM_NEWS_STORE, 0, reinterpret_cast<ui::LParam>(table.data()));
    EXPECT_EQ(table, std::vector<uint8_t>(rules::kNewsLogBytes, 0xFF)) << "nothing kept, nothing stored";

    const uint16_t troop = FindTroop(0);
    for (int i = 0; i <= kNewsKeptMax; ++i) {
        NewsRecord r = NewsRecord::Zeroed();
        r.SetKind(rules::kNewsDisbanded);
        r.SetCountry(0);
        r.SetFirstTroop(troop);
        r.SetTimeHours(uint16_t(i));
        ui::SendMessage(news, WM_NEWS_ADD, 0, reinterpret_cast<ui::LParam>(&r));
    }
    ASSERT_EQ(Rows(news, IDC_NEWS_LIST), kNewsKeptMax);
    ASSERT_EQ(GetNewsWindowRecords().size(), size_t(kNewsKeptMax));
    // The first news went with its row; rows and records stay paired.
    EXPECT_EQ(Cell(news, IDC_NEWS_LIST, 0, 0), "000/01:00");
    EXPECT_EQ(GetNewsWindowRecords().front().TimeHours(), 1);
    EXPECT_EQ(Cell(news, IDC_NEWS_LIST, kNewsKeptMax - 1, 0), "020/20:00");
    EXPECT_TRUE(GetNewsWindowRecords().back().HasCachedName(0)) << "listed names are kept";

    ui::SendMessage(news, WM_NEWS_STORE, 0, reinterpret_cast<ui::LParam>(table.data()));
    for (int i = 0; i < kNewsKeptMax; ++i)
        ASSERT_EQ(rules::NewsAt(table.data(), size_t(i))->TimeHours(), i + 1) << i;

    // A spectator or a fallen country sees the empty list.
    ui::SendMessage(news, WM_NEWS_SHOW, 1, 0);
    EXPECT_FALSE(ui::IsWindowVisible(ui::GetDlgItem(news, IDC_NEWS_LIST)));
    EXPECT_EQ(ui::GetWindowLong(ui::GetDlgItem(news, IDC_NEWS_LIST_EMPTY), ui::GWL_STYLE) & ui::WS_VISIBLE,
              ui::WS_VISIBLE);
    ui::SendMessage(news, WM_NEWS_SHOW, 0, 0);
    EXPECT_TRUE(ui::GetWindowLong(ui::GetDlgItem(news, IDC_NEWS_LIST), ui::GWL_STYLE) & ui::WS_VISIBLE);

    ui::SendMessage(news, WM_NEWS_CLEAR, 0, 0);
    EXPECT_EQ(Rows(news, IDC_NEWS_LIST), 0);
    EXPECT_TRUE(GetNewsWindowRecords().empty());
}

TEST_F(NewsWindowsTest, AClosedWindowTakesItsNewsWithIt) {
    NewsRecord r = NewsRecord::Zeroed();
    r.SetKind(rules::kNewsDisbanded);
    r.SetFirstTroop(FindTroop(0));
    ui::SendMessage(news, WM_NEWS_ADD, 0, reinterpret_cast<ui::LParam>(&r));
    ui::SendMessage(result, WM_NEWS_ADD, 0, reinterpret_cast<ui::LParam>(&r));
    ASSERT_EQ(GetNewsWindowRecords().size(), 1u);
    ASSERT_EQ(GetResultWindowRecords().size(), 1u);

    ui::DestroyWindow(news);
    EXPECT_FALSE(shell::GetWindowOfKind(K::NewsWnd));
    EXPECT_TRUE(GetNewsWindowRecords().empty());
    EXPECT_EQ(GetResultWindowRecords().size(), 1u) << "the result window keeps its own";

    // The next news window starts empty and lists only what it is given.
    news = CreateNewsWindow(mdiClient);
    ASSERT_TRUE(news);
    EXPECT_TRUE(GetNewsWindowRecords().empty());
    EXPECT_EQ(Rows(news, IDC_NEWS_LIST), 0);
    ui::SendMessage(news, WM_NEWS_ADD, 0, reinterpret_cast<ui::LParam>(&r));
    EXPECT_EQ(GetNewsWindowRecords().size(), 1u);
    EXPECT_EQ(Rows(news, IDC_NEWS_LIST), 1);
}

TEST_F(NewsWindowsTest, IconsNeedRoomInTheirColumn) {
    // Two disbandments alike but for the mark: a real one and one outside the list.
    const uint16_t troop = FindTroop(0);
    for (uint16_t icon : {uint16_t(7), rules::kNewsUnidentified}) {
        NewsRecord r = NewsRecord::Zeroed();
        r.SetKind(rules::kNewsDisbanded);
        r.SetFirstTroop(troop);
        r.SetFirstIcon(icon);
        ui::SendMessage(news, WM_NEWS_ADD, 0, reinterpret_cast<ui::LParam>(&r));
    }
    ui::ShowWindow(news, ui::SW_SHOW);
    const ui::Hwnd list = ui::GetDlgItem(news, IDC_NEWS_LIST);
    auto cellHash = [&](int row) {
        ui::Rect r{ui::LVIR_BOUNDS, 2, 0, 0};
        ui::SendMessage(list, ui::LVM_GETSUBITEMRECT, ui::WParam(row), reinterpret_cast<ui::LParam>(&r));
        return AreaHash(list, r.left, r.top, r.right - r.left, r.bottom - r.top);
    };
    Pump();
    EXPECT_NE(cellHash(0), cellHash(1)) << "the mark is drawn in its gap";
    ui::SendMessage(list, ui::LVM_SETCOLUMNWIDTH, 2, 21);
    ui::InvalidateRect(list, nullptr, true);
    Pump();
    EXPECT_EQ(cellHash(0), cellHash(1)) << "no room: the mark is skipped";
    EXPECT_NE(cellHash(0), cellHash(2)) << "the text is still drawn";
}

TEST_F(NewsWindowsTest, RecordedGameFillsTheNewsAndTheResult) {
    PlayRecordedGame(20000, 6);
    const std::vector<NewsRecord> kept = GetNewsWindowRecords();
    ASSERT_FALSE(kept.empty()) << "the computer-played game gave the player no news";
    ASSERT_EQ(Rows(news, IDC_NEWS_LIST), int(kept.size()));
    for (size_t i = 0; i < kept.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(kept[i].Country(), 0);
        NewsRecord copy = kept[i];
        EXPECT_EQ(Cell(news, IDC_NEWS_LIST, int(i), 0), NewsTimeText(kept[i]));
        EXPECT_EQ(Cell(news, IDC_NEWS_LIST, int(i), 2),
                  core::SjisToUtf8(FormatNewsListText(game.Tables(), &copy)));
        EXPECT_EQ(Cell(news, IDC_NEWS_LIST, int(i), 3), core::SjisToUtf8(FormatNewsResultText(&copy)));
        EXPECT_NE(sentences[i], "<null>");
    }
    EXPECT_EQ(core::SjisToUtf8(GetMessagePanelText()), sentences.back());
    ui::ShowWindow(news, ui::SW_SHOW);
    ui::MoveWindow(news, 0, 0, 660, 340, true);
    Shot("panels_news_window");

    // The end of the game: table 26 through the news window into the result window.
    rules::CountryTable25Record stats = *rules::GetCountryStats(game.Tables(), 0);
    rules::RecordCountryEndState(game.Tables(), 0);
    stats = *rules::GetCountryStats(game.Tables(), 0);
    stats.SetOutcome(0);
    uint8_t* table26 = game.Tables().GetTableBase(rules::TableId::News);
    ShowGameResult(table26, stats);
    EXPECT_TRUE(ui::IsWindowVisible(result));
    ASSERT_EQ(GetResultWindowRecords().size(), kept.size());
    for (size_t i = 0; i < kept.size(); ++i)
        EXPECT_EQ(Cell(result, IDC_RESULT_LIST, int(i), 2), Cell(news, IDC_NEWS_LIST, int(i), 2));
    Shot("panels_result_victory");

    stats.SetOutcome(1);
    ui::SendMessage(result, WM_RESULT_SET_DATA, 0, reinterpret_cast<ui::LParam>(stats.data()));
    ui::InvalidateRect(result, nullptr, false);
    Shot("panels_result_defeat");
}

TEST_F(NewsWindowsTest, DoubleClickReplaysAFightAndTheEndButtonReturnsToTheTitle) {
    ui::WindowClass wc;
    wc.name = "FightStandIn";
    wc.proc = FightStandIn;
    ui::RegisterClass(wc);
    const ui::Hwnd fights =
        ui::CreateWindowEx(0, "FightStandIn", "", ui::WS_POPUP, 0, 0, 10, 10, frame, 0, nullptr, nullptr);
    shell::SetWindowOfKind(K::RealManager, fights);

    const uint16_t a = FindTroop(0), b = FindTroop(1);
    NewsRecord disband = NewsRecord::Zeroed();
    disband.SetKind(rules::kNewsDisbanded);
    disband.SetFirstTroop(a);
    NewsRecord attack = NewsRecord::Zeroed();
    attack.SetKind(rules::kNewsAttacked);
    attack.SetFirstTroop(a);
    attack.SetSecondTroop(b);
    attack.FightRecord()[0] = 0x5A;
    for (const NewsRecord* r : {&disband, &attack})
        ui::SendMessage(result, WM_NEWS_ADD, 0, reinterpret_cast<ui::LParam>(r));
    ui::SendMessage(result, WM_RESULT_ACTIVATE, 0, 1);
    ASSERT_TRUE(ui::IsWindowVisible(result));

    auto doubleClickRow = [&](int row) {
        ui::Rect r{ui::LVIR_BOUNDS, 0, 0, 0};
        const ui::Hwnd list = ui::GetDlgItem(result, IDC_RESULT_LIST);
        ui::SendMessage(list, ui::LVM_GETITEMRECT, ui::WParam(row), reinterpret_cast<ui::LParam>(&r));
        ui::Point p{r.left + 80, (r.top + r.bottom) / 2};
        ui::ClientToScreen(list, &p);
        screen->Click(p.x, p.y);
        screen->Click(p.x, p.y);
        Pump();
    };
    doubleClickRow(0);
    EXPECT_TRUE(gFightCalls.empty()) << "a disbandment has no fight";
    doubleClickRow(1);
    ASSERT_EQ(gFightCalls.size(), 2u);
    EXPECT_EQ(gFightCalls[0].first, WM_FIGHT_RAISE);
    EXPECT_EQ(gFightCalls[1].first, WM_FIGHT_DATA);
    EXPECT_EQ(reinterpret_cast<const uint8_t*>(gFightCalls[1].second)[0], 0x5A);

    // Pressed, moved out and released: nothing happens.
    const ui::Point o = Origin(result);
    gFrameCommands.clear();
    screen->MouseMove(o.x + 700, o.y + 530);
    screen->MouseDown(o.x + 700, o.y + 530);
    Pump();
    Shot("panels_result_end_pressed");
    screen->MouseMove(o.x + 500, o.y + 300);
    screen->MouseUp(o.x + 500, o.y + 300);
    Pump();
    EXPECT_TRUE(gFrameCommands.empty());
    // Pressed, out and back in before the release: the window closes and the title comes.
    screen->MouseMove(o.x + 700, o.y + 530);
    screen->MouseDown(o.x + 700, o.y + 530);
    screen->MouseMove(o.x + 500, o.y + 300);
    screen->MouseMove(o.x + 720, o.y + 540);
    screen->MouseUp(o.x + 720, o.y + 540);
    Pump();
    EXPECT_EQ(gFrameCommands, (std::vector<int>{IDM_RESULT_WINDOW, IDM_BACK_TO_TITLE}));
    ASSERT_FALSE(gFightCalls.empty());
    EXPECT_EQ(gFightCalls.back().first, WM_FIGHT_LOWER);
}

}  // namespace
}  // namespace zv::panels
