// The words of the news records: every kind as a table of records with the sentence, the list
// cell and the result cell each gives, over a troop table with known names and countries.

#include <gtest/gtest.h>

#include <string>

#include "panels/NewsText.h"
#include "platform/core/Sjis.h"
#include "rules/context/TableDirectory.h"
#include "rules/records/TroopCursor.h"

namespace zv::panels {
namespace {

using rules::NewsRecord;

std::string U(const char* sjis) {
    return sjis ? core::SjisToUtf8(sjis) : std::string("<null>");
}

class NewsTextTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Troop(3, "第1戦車隊", 0);
        Troop(45, "敵歩兵", 1);
        Troop(90, "緑艦隊", 2);
        Troop(130, "空母", 3);
        // A launched part keeps a country byte the name list has no entry for.
        Troop(7, "ミサイル", 6);
        Troop(8, "消えた部隊", 0xFF);
    }
    void Troop(uint16_t index, const char* utf8Name, uint8_t country) {
        rules::TroopCursor t(tables);
        ASSERT_TRUE(t.Select(index));
        t.SetName(core::Utf8ToSjis(utf8Name).c_str());
        t.SetCountry(country);
    }
    static NewsRecord Record(uint8_t kind, uint16_t first, uint16_t second = 0,
                             uint16_t firstIcon = 0, uint16_t secondIcon = 0) {
        NewsRecord r = NewsRecord::Zeroed();
        r.SetKind(kind);
        r.SetFirstTroop(first);
        r.SetSecondTroop(second);
        r.SetFirstIcon(firstIcon);
        r.SetSecondIcon(secondIcon);
        return r;
    }
    rules::TableDirectory tables;
};

TEST_F(NewsTextTest, EveryKindGivesItsSentenceAndListCell) {
    struct Case {
        NewsRecord record;
        const char* sentence;
        const char* cell;
    };
    NewsRecord goal = Record(0, 3);
    goal.SetSubIndex(4);
    NewsRecord occupied = Record(1, 3);
    occupied.SetSubIndex(1 * 6 + 2);  // a city that belonged to RED
    NewsRecord taken = Record(2, 45);
    taken.SetSubIndex(0 * 6 + 0);
    NewsRecord bombOk = Record(8, 3);
    bombOk.SetValue(1);
    const Case cases[] = {
        {goal, "BLUE国の第1戦車隊は、占領目標に到着。", " 　 第1戦車隊は、占領目標に到着"},
        {occupied, "BLUE国の第1戦車隊は、都市を占領した。", " 　 第1戦車隊は、 　 を占領しました"},
        {taken, "首都を、RED国の敵歩兵に、占領された。", " 　 を 　 敵歩兵に、占領された"},
        {Record(3, 3, 45, 5, 17), "BLUE国の第1戦車隊は、RED国の敵歩兵を攻撃。",
         " 　 第1戦車隊は、 　 敵歩兵を攻撃"},
        {Record(3, 3, 45, 5, rules::kNewsUnidentified), "BLUE国の第1戦車隊は、未確認部隊を攻撃。",
         " 　 第1戦車隊は、未確認部隊を攻撃"},
        // Attacked: the player's troop (the target, second) leads.
        {Record(4, 45, 3, 17, 5), "BLUE国の第1戦車隊は、RED国の敵歩兵から攻撃された。",
         " 　 第1戦車隊は、 　 敵歩兵から攻撃された"},
        {Record(4, 45, 3, rules::kNewsUnidentified, 5), "BLUE国の第1戦車隊は、未確認部隊から攻撃された。",
         " 　 第1戦車隊は、未確認部隊から攻撃された"},
        {Record(5, 90), "GREEN国の緑艦隊は、墜落。", " 　 緑艦隊は、墜落"},
        {Record(6, 3, 130), "第1戦車隊を空母に格納した。", " 　 第1戦車隊を 　 空母に格納した"},
        {Record(7, 3, 130), "第1戦車隊は、空母から発進した。", " 　 第1戦車隊は、 　 空母から発進した"},
        {bombOk, "BLUE国の第1戦車隊は、爆撃に成功。", " 　 第1戦車隊は、 　 の爆撃に成功"},
        {Record(8, 130), "YELLOW国の空母は、爆撃に失敗。", " 　 空母は、 　 の爆撃に失敗"},
        {Record(9, 3), "BLUE国の第1戦車隊は、変形。", " 　 第1戦車隊は、 　 に変形"},
        {Record(10, 3), "BLUE国の第1戦車隊は、解散。", " 　 第1戦車隊は、解散"},
        // A country the name list has no entry for reads as neutral.
        {Record(10, 7), "中立国のミサイルは、解散。", " 　 ミサイルは、解散"},
        {Record(3, 3, 7, 5, 40), "BLUE国の第1戦車隊は、中立国のミサイルを攻撃。",
         " 　 第1戦車隊は、 　 ミサイルを攻撃"},
        {Record(11, 3), "", ""},
        {Record(200, 3), "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("kind ") + std::to_string(c.record.Kind()));
        EXPECT_EQ(U(FormatNewsSentence(tables, c.record)), c.sentence);
        NewsRecord copy = c.record;
        EXPECT_EQ(U(FormatNewsListText(tables, &copy)), c.cell);
    }
}

TEST_F(NewsTextTest, MissingTroopsGiveNoText) {
    // Index beyond the table, and the removed troop (country 0xFF) for the kinds that name it
    // with its country.
    EXPECT_EQ(FormatNewsSentence(tables, Record(3, rules::kNoTroop, 45, 1, 2)), nullptr);
    EXPECT_EQ(FormatNewsSentence(tables, Record(6, 3, rules::kNoTroop)), nullptr);
    for (uint8_t kind : {5, 8, 9, 10}) EXPECT_EQ(FormatNewsSentence(tables, Record(kind, 8)), nullptr);
    // The other kinds name a country byte of 0xFF as neutral.
    EXPECT_EQ(U(FormatNewsSentence(tables, Record(1, 8))), "中立国の消えた部隊は、首都を占領した。");
    NewsRecord r = Record(6, 3, rules::kNoTroop);
    EXPECT_EQ(FormatNewsListText(tables, &r), nullptr);
}

TEST_F(NewsTextTest, ListedNamesStayAfterTheTroopsAreGone) {
    NewsRecord r = Record(4, 45, 3, 17, 5);
    ASSERT_NE(FormatNewsListText(tables, &r), nullptr);
    rules::TroopCursor t(tables);
    for (uint16_t i : {3, 45}) {
        t.Select(i);
        t.ResetCurrentTroop();
    }
    EXPECT_EQ(U(FormatNewsListText(tables, &r)), " 　 第1戦車隊は、 　 敵歩兵から攻撃された");

    // A name that fills all 24 bytes is shown whole and not run into the next field.
    const std::string full = "ABCDEFGHIJKLMNOPQRSTUVWX";
    Troop(4, full.c_str(), 0);
    NewsRecord longName = Record(7, 4, 130);
    EXPECT_EQ(U(FormatNewsListText(tables, &longName)), " 　 " + full + "は、 　 空母から発進した");
    t.Select(4);
    t.SetName("");
    EXPECT_EQ(U(FormatNewsListText(tables, &longName)), " 　 " + full + "は、 　 空母から発進した");
}

TEST(NewsCells, ResultTimeAndPlace) {
    NewsRecord attack = NewsRecord::Zeroed();
    attack.SetKind(3);
    attack.SetFirstUnits(6, 5);
    attack.SetSecondUnits(4, 0);
    EXPECT_EQ(U(FormatNewsResultText(&attack)), "結果 　 6→5、 　 4→0");
    attack.SetSecondIcon(rules::kNewsUnidentified);
    EXPECT_EQ(U(FormatNewsResultText(&attack)), "結果 　 6→5");
    // Attacked: the player's side (the target) first; only it when the attacker is unknown.
    attack.SetKind(4);
    attack.SetSecondIcon(3);
    EXPECT_EQ(U(FormatNewsResultText(&attack)), "結果 　 4→0、 　 6→5");
    attack.SetFirstIcon(rules::kNewsUnidentified);
    EXPECT_EQ(U(FormatNewsResultText(&attack)), "結果 　 4→0");

    NewsRecord occupy = NewsRecord::Zeroed();
    occupy.SetKind(1);
    EXPECT_EQ(U(FormatNewsResultText(&occupy)), "");
    occupy.SetValue(350);
    EXPECT_EQ(U(FormatNewsResultText(&occupy)), "結果    収益   350");
    occupy.SetKind(2);
    EXPECT_EQ(U(FormatNewsResultText(&occupy)), "");

    NewsRecord t = NewsRecord::Zeroed();
    EXPECT_EQ(NewsTimeText(t), "000/00:00");
    t.SetTimeHours(uint16_t(12 * 24 + 7));
    t.SetMinute(5);
    t.SetHexXY(3, 41);
    EXPECT_EQ(NewsTimeText(t), "012/07:05");
    EXPECT_EQ(NewsPlaceText(t), "X 3,Y41");
}

}  // namespace
}  // namespace zv::panels
