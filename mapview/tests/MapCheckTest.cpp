// The map check dialog: the report of a table of broken maps, read from the dialog's text box.

#include <gtest/gtest.h>

#include <functional>

#include "mapview/MapCheckDialog.h"
#include "mapview/MapEditorContext.h"
#include "mapview/tests/EditorFixture.h"
#include "rules/records/MapCursors.h"
#include "rules/records/TroopCursor.h"

namespace zv::mapview {
namespace {

class MapCheck : public testing::EditorFixture {
  public:
    using EditorFixture::tables;
    using EditorFixture::troops;

  protected:
    void SetUp() override {
        EditorFixture::SetUp();
        RegisterMapCheckDialog();
        // The fixture map with a corps for both countries can be played.
        rules::CountryCursor countries(tables);
        for (int c = 0; c < 2; ++c) {
            countries.Select(c);
            countries.SetSetting82(static_cast<std::uint16_t>(c));
        }
    }
    // The report as the dialog shows it.
    std::string Report() {
        const ui::Hwnd dlg = ui::CreateDialogParam(nullptr, kMapCheckDialog, {}, MapCheckDialogProc, 0);
        EXPECT_TRUE(dlg);
        const std::string text = TextOf(dlg, kIdMapCheckReport);
        ui::DestroyWindow(dlg);
        return text;
    }
    static std::string Expected(std::initializer_list<const char*> lines) {
        std::string out;
        for (const char* l : lines) out += std::string(l) + "\r\n";
        return out + (lines.size() ? "上記のエラーを発見しました。" : "エラーは発見されませんでした。");
    }
  public:
    void SetCountry(int c, const std::function<void(rules::CountryCursor&)>& f) {
        rules::CountryCursor countries(tables);
        countries.Select(c);
        f(countries);
    }
};

TEST_F(MapCheck, PlayableMapPassesAndANewMapHasThreeFindings) {
    EXPECT_EQ(Report(), Expected({}));
    MapEditorContext doc(tables);
    doc.ResetToNewMap();
    EXPECT_EQ(Report(), Expected({"マップ名称が認知できません。", "参戦国がいません。", "敵対国がありません。"}));
}

TEST_F(MapCheck, BrokenMapsAreReportedInOrder) {
    struct Case {
        const char* what;
        std::function<void(MapCheck&)> breakIt;
        std::string expected;
    };
    const Case cases[] = {
        {"no title", [](MapCheck& t) { rules::ScenarioHeaderCursor(t.tables).SetTitle(""); },
         Expected({"マップ名称が認知できません。"})},
        {"nameless country", [](MapCheck& t) { t.SetCountry(1, [](auto& c) { c.SetName(""); }); },
         Expected({"赤国の国名称が認知できません。"})},
        {"no corps", [](MapCheck& t) { t.SetCountry(0, [](auto& c) { c.SetSetting82(0xFFFF); }); },
         Expected({"青国の軍団が登録されていません"})},
        {"nobody takes part",
         [](MapCheck& t) {
             for (int c = 0; c < 2; ++c) t.SetCountry(c, [](auto& k) { k.SetParticipation(0); });
         },
         Expected({"参戦国がいません。", "敵対国がありません。"})},
        {"the two are allied",
         [](MapCheck& t) {
             for (int c = 0; c < 2; ++c) t.SetCountry(c, [](auto& k) { k.SetAllianceMask(3); });
         },
         Expected({"敵対国がありません。"})},
        {"a third country allied with both, the two still enemies",
         [](MapCheck& t) {
             t.SetCountry(0, [](auto& k) { k.SetAllianceMask(0x5); });
             t.SetCountry(1, [](auto& k) { k.SetAllianceMask(0x6); });
             t.SetCountry(2, [](auto& k) {
                 k.SetParticipation(2);  // 2 counts as taking part
                 k.SetAllianceMask(0x7);
                 k.SetSetting82(2);
             });
         },
         Expected({"緑国の首都が配置されていません。", "緑国の司令部が配置されていません。",
                   "緑国の司令部配置エリアが設定されていません。"})},
        {"no capital",
         [](MapCheck& t) {
             rules::SiteCursor sites(t.tables);
             for (int s = 0; s < rules::kSiteCount; ++s)
                 if (sites.Select(s) && sites.GetKind() == 0 && sites.GetOwner() == 0) sites.SetKind(1);
         },
         Expected({"青国の首都が配置されていません。"})},
        {"no headquarters",
         [](MapCheck& t) {
             rules::TroopCursor cursor(t.tables);
             cursor.Select(t.troops.hq1);
             cursor.ResetCurrentTroop();
         },
         Expected({"赤国の司令部が配置されていません。"})},
        {"no deployment area, no corps: grouped after the map's findings",
         [](MapCheck& t) {
             rules::ScenarioHeaderCursor(t.tables).SetTitle("");
             rules::HexCursor hexes(t.tables);
             for (int h = 0; h < rules::kHexCount; ++h)
                 if (hexes.Select(h) && hexes.GetCountry() == 0) hexes.ClearCountry();
             t.SetCountry(1, [](auto& c) { c.SetSetting82(0xFFFF); });
         },
         Expected({"マップ名称が認知できません。", "赤国の軍団が登録されていません",
                   "青国の司令部配置エリアが設定されていません。"})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(tables.LoadAllTables(testing::kProgramDir));
        troops = testing::BuildFixtureMap(tables);
        SetCountry(0, [](auto& k) { k.SetSetting82(0); });
        SetCountry(1, [](auto& k) { k.SetSetting82(1); });
        c.breakIt(*this);
        EXPECT_EQ(Report(), c.expected);
    }
}

TEST_F(MapCheck, TheDialogClosesWithItsButton) {
    answer = ui::IDOK;
    const ui::Hwnd dlg = ui::CreateDialogParam(nullptr, kMapCheckDialog, {}, MapCheckDialogProc, 0);
    ASSERT_TRUE(dlg);
    ui::ShowWindow(dlg, ui::SW_SHOW);
    Shot("mapview_map_check");
    EXPECT_TRUE(ui::IsWindowVisible(dlg));
    ClickItem(dlg, kIdMapCheckClose);
    EXPECT_FALSE(ui::IsWindowVisible(dlg));
}

}  // namespace
}  // namespace zv::mapview
