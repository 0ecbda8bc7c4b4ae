// The terrain, pause, message and speed panels: what each shows for the messages it is sent,
// checked against the pictures of the content build pixel by pixel, and the message panel's
// line breaking as a table.

#include <gtest/gtest.h>

#include <string>

#include "panels/PanelManager.h"
#include "panels/PanelMessages.h"
#include "panels/PanelWindows.h"
#include "panels/tests/PanelsFixture.h"
#include "platform/core/Sjis.h"
#include "rules/records/Bytes.h"
#include "rules/records/MapCursors.h"
#include "rules/records/MapRecords.h"
#include "shell/ButtonBitmaps.h"

namespace zv::panels {
namespace {

using K = shell::WindowKind;

TEST(MessageLines, BreakAtThirtyBytesWithoutSplittingACharacter) {
    auto rep = [](const char* utf8, int n) {
        std::string s;
        for (int i = 0; i < n; ++i) s += utf8;
        return s;
    };
    struct Case {
        std::string text;  // UTF-8
        std::string lines[3];
    };
    const Case cases[] = {
        {"", {"", "", ""}},
        {"short line", {"short line", "", ""}},
        // 40 double-byte characters: 15, 15 and the last 10.
        {rep("攻", 40), {rep("攻", 15), rep("攻", 15), rep("攻", 10)}},
        // A single-byte character at column 29 still fits on the first line.
        {rep("a", 29) + "b" + "c", {rep("a", 29) + "b", "c", ""}},
        // A double-byte character at column 29 starts the second line.
        {rep("a", 29) + "攻", {rep("a", 29), "攻", ""}},
        // What does not fit into three lines is dropped.
        {rep("x", 100), {rep("x", 30), rep("x", 30), rep("x", 30)}},
        {"ab" + rep("攻", 16), {"ab" + rep("攻", 14), rep("攻", 2), ""}},
    };
    for (const Case& c : cases) {
        const std::string sjis = core::Utf8ToSjis(c.text);
        const auto lines = BreakMessageLines(sjis.c_str());
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(core::SjisToUtf8(lines[size_t(i)]), c.lines[i]) << c.text << " line " << i;
        }
    }
    EXPECT_EQ(BreakMessageLines(nullptr)[0], "");
}

class SmallPanelsTest : public testing::PanelsTest {
  protected:
    void SetUp() override {
        PanelsTest::SetUp();
        manager = CreateColumn();
        sheet = std::make_unique<fw::Dib>("btn_pnl.bmp");
        ASSERT_TRUE(sheet->HasBits());
    }
    // The screen colour (0x00RRGGBB) of a panel's client pixel.
    uint32_t ScreenPixel(K kind, int x, int y) {
        wm->Flush();
        const ui::Point o = Origin(shell::GetWindowOfKind(kind));
        return screen->PixelAt(o.x + x, o.y + y);
    }
    static uint32_t AsScreen(uint32_t dibColour) {
        return ((dibColour & 0xFF) << 16) | (dibColour & 0xFF00) | ((dibColour >> 16) & 0xFF);
    }
    // True when the w x h area at (x, y) of the panel shows the sheet's cell at (sx, sy)
    // wherever the cell is not transparent.
    bool ShowsCell(K kind, int x, int y, int w, int h, int sx, int sy) {
        wm->Flush();
        const ui::Point o = Origin(shell::GetWindowOfKind(kind));
        int compared = 0;
        for (int dy = 0; dy < h; ++dy) {
            for (int dx = 0; dx < w; ++dx) {
                if (*sheet->GetPixelAddress(sx + dx, sy + dy) == 0) continue;
                ++compared;
                if (screen->PixelAt(o.x + x + dx, o.y + y + dy) !=
                    AsScreen(sheet->GetPixelColor(sx + dx, sy + dy))) {
                    return false;
                }
            }
        }
        return compared > 0;
    }
    ui::Hwnd manager{};
    std::unique_ptr<fw::Dib> sheet;
};

TEST_F(SmallPanelsTest, SpeedGaugeShowsOneFilledSegmentPerSpeedStep) {
    const ui::Hwnd speed = shell::GetWindowOfKind(K::SpeedWnd);
    for (int s = 0; s <= 5; ++s) {
        ui::SendMessage(speed, WM_SET_GAME_SPEED, ui::WParam(s), 0);
        EXPECT_EQ(ui::SendMessage(speed, WM_GET_GAME_SPEED, 0, 0), s);
        for (int i = 0; i < 5; ++i) {
            const bool filled = i < s;
            EXPECT_TRUE(ShowsCell(K::SpeedWnd, 112 + 12 * i, 40, 12, 20, 40, filled ? 128 : 108))
                << "speed " << s << " segment " << i;
        }
        Shot("panels_speed_" + std::to_string(s));
    }
}

TEST_F(SmallPanelsTest, StoredSpeedIsHeldToTheClocksRange) {
    const ui::Hwnd speed = shell::GetWindowOfKind(K::SpeedWnd);
    struct Case {
        intptr_t sent;
        int kept;
    };
    for (const Case c : {Case{3, 3}, Case{6, 5}, Case{250, 5}, Case{-1, 0}, Case{0, 0}}) {
        ui::SendMessage(speed, WM_SET_GAME_SPEED, ui::WParam(c.sent), 0);
        EXPECT_EQ(ui::SendMessage(speed, WM_GET_GAME_SPEED, 0, 0), c.kept) << c.sent;
    }
}

TEST_F(SmallPanelsTest, SpeedButtonsStepTheSpeedWithinItsRange) {
    const ui::Hwnd speed = shell::GetWindowOfKind(K::SpeedWnd);
    ui::SendMessage(speed, WM_SET_GAME_SPEED, 4, 0);
    for (int expected : {5, 5, 5}) {
        ClickAt(speed, 182, 50);  // faster
        EXPECT_EQ(ui::SendMessage(speed, WM_GET_GAME_SPEED, 0, 0), expected);
    }
    for (int expected : {4, 3, 2, 1, 0, 0}) {
        ClickAt(speed, 102, 50);  // slower
        EXPECT_EQ(ui::SendMessage(speed, WM_GET_GAME_SPEED, 0, 0), expected);
    }
    EXPECT_TRUE(ShowsCell(K::SpeedWnd, 112, 40, 12, 20, 40, 108));
}

TEST_F(SmallPanelsTest, LinkQualityPictureFollowsTheQuality) {
    const ui::Hwnd speed = shell::GetWindowOfKind(K::SpeedWnd);
    for (int q = 0; q <= 3; ++q) {
        ui::SendMessage(speed, WM_SET_LINK_QUALITY, ui::WParam(q), 0);
        EXPECT_TRUE(ShowsCell(K::SpeedWnd, 144, 4, 48, 24, (3 * q + 3) * 16, 148)) << q;
    }
}

TEST_F(SmallPanelsTest, PauseTilesShowTheCountriesAtWarAndTheWaitingPlayers) {
    const ui::Hwnd pause = shell::GetWindowOfKind(K::PauseWnd);
    rules::CountryCursor countries(game.Tables());
    // The default map's first two countries are at war; the other two take no part.
    ui::SendMessage(pause, WM_LAYOUT_PANELS, 0, 0);
    EXPECT_TRUE(ShowsCell(K::PauseWnd, 4, 2, 44, 16, 0, 60));
    EXPECT_TRUE(ShowsCell(K::PauseWnd, 52, 2, 44, 16, 44, 60));
    EXPECT_FALSE(ShowsCell(K::PauseWnd, 100, 2, 44, 16, 88, 60));
    // 0xFF (no mask yet) draws no waiting tiles; a mask does.
    ui::SendMessage(manager, WM_PANEL_WAIT_MASK, 2, 0);
    EXPECT_TRUE(ShowsCell(K::PauseWnd, 52, 2, 44, 16, 44, 76));
    EXPECT_TRUE(ShowsCell(K::PauseWnd, 4, 2, 44, 16, 0, 60));
    Shot("panels_pause_waiting");
    // A country out of the war that still has a player hides every war tile, not the waiting.
    countries.Select(2);
    countries.SetState(0);
    countries.SetParticipation(0);
    ui::SendMessage(pause, WM_LAYOUT_PANELS, 0, 0);
    EXPECT_FALSE(ShowsCell(K::PauseWnd, 4, 2, 44, 16, 0, 60));
    EXPECT_TRUE(ShowsCell(K::PauseWnd, 52, 2, 44, 16, 44, 76));
}

TEST_F(SmallPanelsTest, TerrainPanelNamesTheLandKindAndTheTroopsDefence) {
    const ui::Hwnd terrain = shell::GetWindowOfKind(K::TerrainInfo);
    const uint32_t blank = ScreenPixel(K::TerrainInfo, 30, 18);
    const uint16_t troop = FindTroop(0, 3);
    ASSERT_NE(troop, rules::kNoTroop);
    EXPECT_GE(TroopTerrainDefence(game.Tables(), troop, 0), 0);
    EXPECT_EQ(TroopTerrainDefence(game.Tables(), rules::kNoTroop, 0), -1);
    ui::SendMessage(manager, WM_PANEL_SHOW_CELL, troop, 0x00000004);  // plains
    EXPECT_NE(ScreenPixel(K::TerrainInfo, 30, 18), blank);
    Shot("panels_terrain_plains");
    // Land kind 29 and a kind that does not exist leave only the background.
    for (uint32_t cell : {0x001D0000u, 0xFF0006u}) {
        ui::SendMessage(terrain, WM_PANEL_RELAY, troop, ui::LParam(cell));
        EXPECT_EQ(ScreenPixel(K::TerrainInfo, 30, 18), blank) << std::hex << cell;
    }
}

TEST_F(SmallPanelsTest, SpectatorSeesNoFundsAndNoMapShowsCursorZero) {
    rules::CountryCursor countries(game.Tables());
    countries.Select(0);
    countries.SetFunds(123456789);
    const ui::Hwnd speed = shell::GetWindowOfKind(K::SpeedWnd);
    ui::SendMessage(speed, WM_LAYOUT_PANELS, 0, 0);
    Shot("panels_speed_player");
    auto fundsHash = [&] { return AreaHash(speed, 16, 45, 70, 14); };
    const uint64_t playerFunds = fundsHash();
    fw::SetPlayerCountry(4);
    ui::SendMessage(speed, WM_LAYOUT_PANELS, 0, 0);
    const uint64_t spectator = fundsHash();
    EXPECT_NE(playerFunds, spectator);
    countries.SetFunds(0);
    fw::SetPlayerCountry(0);
    ui::SendMessage(speed, WM_LAYOUT_PANELS, 0, 0);
    EXPECT_EQ(fundsHash(), spectator) << "a spectator's funds read as nine zeros";
    Shot("panels_speed_spectator");
}

TEST_F(SmallPanelsTest, MessagePanelKeepsALongTextWhole) {
    std::string longText;
    for (int i = 0; i < 200; ++i) longText += core::Utf8ToSjis("攻");
    ui::SendMessage(manager, WM_PANEL_MESSAGE, 0, reinterpret_cast<ui::LParam>(longText.c_str()));
    const std::string kept = GetMessagePanelText();
    EXPECT_EQ(kept.size(), 254u);
    EXPECT_EQ(kept, longText.substr(0, 254));
    const std::string news =
        core::Utf8ToSjis("敵部隊を発見しました。第002機甲中隊が迎撃に向かいます");
    ui::SendMessage(manager, WM_PANEL_MESSAGE, 0, reinterpret_cast<ui::LParam>(news.c_str()));
    Shot("panels_message");
}

}  // namespace
}  // namespace zv::panels

namespace zv::panels {
namespace {

TEST_F(SmallPanelsTest, ANetworkClientCannotChangeTheSpeedAndSeesTheButtonsPressed) {
    const ui::Hwnd speed = shell::GetWindowOfKind(K::SpeedWnd);
    ui::SendMessage(speed, WM_SET_GAME_SPEED, 3, 0);
    const auto face = [](int index, int look) {
        const shell::ButtonFace f = shell::ButtonFaceTable()[size_t(index)];
        return ui::Point{f.left, f.top + look * (f.bottom - f.top + 1)};
    };
    EXPECT_TRUE(ShowsCell(K::SpeedWnd, 172, 40, 20, 20, face(32, 0).x, face(32, 0).y));
    // A network game without the host's role: no session connection.
    rules::WriteS32(game.Tables().GetTableBase(rules::TableId::GameSettings),
                    rules::GameSettingsRecord::kSinglePlay, 0);
    ASSERT_FALSE(MayChangeGameSpeed());
    ui::InvalidateRect(ui::GetDlgItem(speed, IDC_SPEED_UP), nullptr, false);
    ui::InvalidateRect(ui::GetDlgItem(speed, IDC_SPEED_DOWN), nullptr, false);
    Pump();
    EXPECT_TRUE(ShowsCell(K::SpeedWnd, 172, 40, 20, 20, face(32, 1).x, face(32, 1).y));
    EXPECT_TRUE(ShowsCell(K::SpeedWnd, 92, 40, 20, 20, face(31, 1).x, face(31, 1).y));
    ClickAt(speed, 182, 50);
    ClickAt(speed, 102, 50);
    EXPECT_EQ(ui::SendMessage(speed, WM_GET_GAME_SPEED, 0, 0), 3);
    // The host's start of play still sets it.
    ui::SendMessage(speed, WM_SET_GAME_SPEED, 1, 0);
    EXPECT_EQ(ui::SendMessage(speed, WM_GET_GAME_SPEED, 0, 0), 1);
}

}  // namespace
}  // namespace zv::panels
