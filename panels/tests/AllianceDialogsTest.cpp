// The alliance, approval and end-of-game dialogs driven with the mouse: which countries the
// alliance dialog offers, the masks it returns, the orders it and the approval dialog put into
// the journal, and the victory and fall pictures at the end of a scripted game.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "panels/AllianceDialogs.h"
#include "panels/tests/PanelsFixture.h"
#include "platform/core/Sjis.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/DialogLayoutCheck.h"
#include "platform/ui/DialogTemplate.h"
#include "platform/ui/controls/ControlConstants.h"
#include "rules/records/MapCursors.h"
#include "rules/troops/TroopRemoval.h"
#include "simulation/CommandRecords.h"

namespace zv::panels {
namespace {

// The orders the dialogs build.
struct OrderLog : sim::OrderSink {
    std::vector<std::vector<uint8_t>> orders;
    int AppendOrder(const uint8_t* record, uint32_t size) override {
        orders.emplace_back(record, record + size);
        return 1;
    }
};

class AllianceDialogsTest : public testing::PanelsTest {
  protected:
    // Runs `open` (which opens a modal dialog) and `act` inside the dialog once it is up.
    template <typename Open>
    auto WithDialog(Open open, std::function<void(ui::Hwnd)> act) {
        gAct = std::move(act);
        screen->SetAutoAdvance(true);
        ui::SetTimer({}, 91, 20, [](ui::Hwnd, uint32_t, uintptr_t id, uint32_t) {
            ui::KillTimer({}, id);
            if (gAct) gAct(ui::GetActiveWindow());
        });
        auto r = open();
        screen->SetAutoAdvance(false);
        gAct = nullptr;
        return r;
    }
    void ClickItem(ui::Hwnd dlg, int id) {
        ui::Rect r{};
        ui::GetWindowRect(ui::GetDlgItem(dlg, id), &r);
        screen->Click(r.left + 4, (r.top + r.bottom) / 2);
        Pump();
    }
    // Which boxes (bits) are enabled and which checked (1) or indeterminate (2).
    static uint8_t Enabled(ui::Hwnd dlg) {
        uint8_t m = 0;
        for (int k = 0; k < 4; ++k)
            if (ui::IsWindowEnabled(ui::GetDlgItem(dlg, IDC_ALLIANCE_BOX0 + k))) m |= uint8_t(1 << k);
        return m;
    }
    static inline std::function<void(ui::Hwnd)> gAct;
};

TEST_F(AllianceDialogsTest, TemplatesFitTheScreen) {
    RegisterAllianceDialogs();
    for (int number : {kAllianceDialog, kApprovalDialog, kEndPictureDialog}) {
        ui::DialogTemplate t;
        ASSERT_TRUE(ui::DialogRegistry::Global().Find(number, &t)) << number;
        for (const std::string& p : ui::CheckDialogLayout(t)) ADD_FAILURE() << number << ": " << p;
    }
}

TEST_F(AllianceDialogsTest, OfferedCountriesFollowTheWarAndTheHumans) {
    struct Case {
        const char* what;
        int mode;
        uint8_t atWar, eligible, blocked, current;
        uint8_t enabled;
        bool okEnabled;
    };
    const Case cases[] = {
        {"two at war: nobody", 1, 0x03, 0x03, 0, 0x01, 0x00, false},
        {"three at war, one human", 1, 0x07, 0x01, 0, 0x01, 0x00, false},
        {"four at war, one human", 1, 0x0F, 0x01, 0, 0x01, 0x00, false},
        {"four at war, humans 0 1 3", 1, 0x0F, 0x0B, 0, 0x01, 0x0A, true},
        {"conclude: an ally of another is blocked", 1, 0x0F, 0x0F, 0x04, 0x01, 0x0A, true},
        {"break: only allies", 2, 0x0F, 0x0F, 0, 0x05, 0x04, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        uint8_t mask = c.current;
        uint8_t seenEnabled = 0xFF;
        bool okEnabled = !c.okEnabled;
        unsigned own = 9;
        std::string okText;
        const int r = WithDialog(
            [&] {
                return c.mode == 1
                           ? ShowAllianceConcludeDialog(frame, 0, c.atWar, c.eligible, c.blocked, &mask)
                           : ShowAllianceBreakDialog(frame, 0, c.atWar, c.eligible, c.blocked, &mask);
            },
            [&](ui::Hwnd dlg) {
                seenEnabled = Enabled(dlg);
                okEnabled = ui::IsWindowEnabled(ui::GetDlgItem(dlg, IDC_ALLIANCE_OK));
                own = ui::IsDlgButtonChecked(dlg, IDC_ALLIANCE_BOX0);
                okText = core::SjisToUtf8(ui::GetWindowText(ui::GetDlgItem(dlg, IDC_ALLIANCE_OK)));
                ClickItem(dlg, ui::IDCANCEL);
            });
        EXPECT_EQ(r, 0);
        EXPECT_EQ(mask, c.current) << "cancel leaves the mask";
        EXPECT_EQ(seenEnabled, c.enabled);
        EXPECT_EQ(okEnabled, c.okEnabled);
        EXPECT_EQ(own, ui::BST_INDETERMINATE);
        EXPECT_EQ(okText, c.mode == 1 ? "締結" : "破棄");
    }
}

TEST_F(AllianceDialogsTest, ConcludeOneAtATimeAndBreakAnAlly) {
    uint8_t mask = 0x01;
    std::vector<uint8_t> enabledSteps;
    int r = WithDialog([&] { return ShowAllianceConcludeDialog(frame, 0, 0x0F, 0x0F, 0, &mask); },
                       [&](ui::Hwnd dlg) {
                           enabledSteps.push_back(Enabled(dlg));
                           ClickItem(dlg, IDC_ALLIANCE_BOX0 + 2);
                           enabledSteps.push_back(Enabled(dlg));
                           ClickItem(dlg, IDC_ALLIANCE_BOX0 + 2);
                           enabledSteps.push_back(Enabled(dlg));
                           ClickItem(dlg, IDC_ALLIANCE_BOX0 + 1);
                           Shot("panels_alliance_dialog");
                           ClickItem(dlg, IDC_ALLIANCE_OK);
                       });
    EXPECT_EQ(r, 1);
    EXPECT_EQ(enabledSteps, (std::vector<uint8_t>{0x0E, 0x04, 0x0E}));
    EXPECT_EQ(mask, 0x03);

    mask = 0x01;
    r = WithDialog([&] { return ShowAllianceConcludeDialog(frame, 0, 0x0F, 0x0F, 0, &mask); },
                   [&](ui::Hwnd dlg) { ClickItem(dlg, IDC_ALLIANCE_OK); });
    EXPECT_EQ(r, 1);
    EXPECT_EQ(mask, 0x01) << "OK without a change: the own bit alone";

    mask = 0x0D;
    r = WithDialog([&] { return ShowAllianceBreakDialog(frame, 0, 0x0F, 0x0F, 0, &mask); },
                   [&](ui::Hwnd dlg) {
                       ClickItem(dlg, IDC_ALLIANCE_BOX0 + 3);
                       ClickItem(dlg, IDC_ALLIANCE_OK);
                   });
    EXPECT_EQ(r, 1);
    EXPECT_EQ(mask, 0x05);
}

TEST_F(AllianceDialogsTest, ProposalAndAnswerGoIntoTheJournal) {
    // Countries 0, 1 and 2 at war and played by people; 0 and 2 allied.
    rules::CountryCursor c(game.Tables());
    for (int k = 0; k < 4; ++k) {
        c.Select(k);
        c.SetState(k < 3 ? 1 : 0);
        c.SetParticipation(0);
        c.SetAllianceMask(uint8_t((1 << k) | (k == 0 ? 4 : k == 2 ? 1 : 0)));
    }
    const AllianceMasks m = ReadAllianceMasks(game.Tables(), 1);
    EXPECT_EQ(m.atWar, 0x07);
    EXPECT_EQ(m.eligible, 0x07);
    EXPECT_EQ(m.blocked, 0x05) << "0 and 2 are allied with each other";

    OrderLog log;
    int n = WithDialog([&] { return ProposeAlliance(frame, game.Tables(), log, 0, 2); },
                       [&](ui::Hwnd dlg) {
                           ClickItem(dlg, IDC_ALLIANCE_BOX0 + 2);
                           ClickItem(dlg, IDC_ALLIANCE_OK);
                       });
    ASSERT_EQ(n, 1);
    ASSERT_EQ(log.orders.size(), 1u);
    const auto& p = log.orders[0];
    EXPECT_EQ(rules::ReadU16(p.data(), 0), sim::kOrderAllianceProposal);
    EXPECT_EQ(rules::ReadU16(p.data(), sim::AllianceProposalRecord::kProposer), 0);
    EXPECT_EQ(rules::ReadU16(p.data(), sim::AllianceProposalRecord::kAddressee), 2);
    EXPECT_EQ(rules::ReadU16(p.data(), sim::AllianceProposalRecord::kKind), sim::kAllianceBreak);

    std::string question;
    const std::string name = core::Utf8ToSjis("山田");
    const int approved = WithDialog(
        [&] { return AnswerAllianceProposal(frame, log, 2, 0, sim::kAllianceConclude, name); },
        [&](ui::Hwnd dlg) {
            question = core::SjisToUtf8(ui::GetWindowText(ui::GetDlgItem(dlg, IDC_APPROVAL_TEXT)));
            Shot("panels_approval_dialog");
            ClickItem(dlg, ui::IDCANCEL);
        });
    EXPECT_EQ(approved, 0);
    EXPECT_EQ(question, "山田から同盟締結の申し入れがありました。");
    ASSERT_EQ(log.orders.size(), 2u);
    const auto& a = log.orders[1];
    EXPECT_EQ(rules::ReadU16(a.data(), 0), sim::kOrderAllianceAnswer);
    EXPECT_EQ(rules::ReadU16(a.data(), sim::AllianceAnswerRecord::kAnswerer), 0);
    EXPECT_EQ(rules::ReadU16(a.data(), sim::AllianceAnswerRecord::kProposer), 2);
    EXPECT_EQ(rules::ReadU16(a.data(), sim::AllianceAnswerRecord::kAccepted), 0);

    // Without a lobby name the country speaks; a break asks the other question.
    WithDialog([&] { return AnswerAllianceProposal(frame, log, 3, 0, sim::kAllianceBreak, ""); },
               [&](ui::Hwnd dlg) {
                   question = core::SjisToUtf8(ui::GetWindowText(ui::GetDlgItem(dlg, IDC_APPROVAL_TEXT)));
                   ClickItem(dlg, ui::IDOK);
               });
    EXPECT_EQ(question, "YELLOW国から同盟破棄の申し入れがありました。");
    EXPECT_EQ(rules::ReadU16(log.orders.back().data(), sim::AllianceAnswerRecord::kAccepted), 1);
}

TEST_F(AllianceDialogsTest, VictoryAndFallPicturesAtTheEndOfAScriptedGame) {
    // Every other country loses its troops: the next judgement ends the game.
    rules::GameContext live(game.Tables(), game.Sim().ContextEnv());
    for (uint8_t c = 1; c < 4; ++c) rules::RemoveCountryTroops(live, c);
    for (int id = int(rules::TableId::Site); id <= int(rules::TableId::Force); ++id) {
        const auto table = rules::TableId(id);
        game.Tables().CopyTable(table, rules::ShadowOf(table));
    }
    for (int i = 0; i < 2000 && !game.Outcome().over; ++i) game.Step();
    ASSERT_TRUE(game.Outcome().over);
    ASSERT_TRUE(game.Outcome().winners & 1) << game.Outcome().Text();
    const uint16_t losers = game.Outcome().losers;
    ASSERT_NE(losers, 0);

    auto pictureDialog = [&](std::function<int()> open, const std::string& shot, bool click) {
        ui::Rect box{};
        bool busy = false;
        const int r = WithDialog(open, [&](ui::Hwnd dlg) {
            ui::GetClientRect(dlg, &box);
            busy = (game.Sim().GetBusyMask() & 1) != 0;
            EXPECT_FALSE(ui::IsWindowVisible(ui::GetDlgItem(dlg, ui::IDOK)));
            Shot(shot);
            if (click) {
                ui::Rect wr{};
                ui::GetWindowRect(dlg, &wr);
                screen->Click(wr.left + 100, wr.top + 100);
            }
            // Without a click the dialog closes itself after five seconds.
        });
        EXPECT_EQ(r, 0);
        EXPECT_EQ(box.right - box.left, 320);
        EXPECT_EQ(box.bottom - box.top, 288);
        EXPECT_TRUE(busy) << "the clock waits while the picture shows";
        EXPECT_EQ(game.Sim().GetBusyMask() & 1, 0u);
    };
    pictureDialog([&] { return ShowVictoryDialog(frame); }, "panels_victory_dialog", false);
    int fallen = 0;
    while (!((losers >> fallen) & 1)) ++fallen;
    pictureDialog([&] { return ShowDefeatDialog(frame, fallen); }, "panels_defeat_other_dialog", true);
    pictureDialog([&] { return ShowDefeatDialog(frame, 0); }, "panels_defeat_own_dialog", true);
}

TEST_F(AllianceDialogsTest, AnswerTextsAndFallLines) {
    EXPECT_EQ(AllianceAnswerText(1), "同盟締結の申し入れは承認されました。");
    EXPECT_EQ(AllianceAnswerText(2), "同盟締結の申し入れは拒否されました。");
    EXPECT_EQ(AllianceAnswerText(3), "同盟破棄の申し入れは承認されました。");
    EXPECT_EQ(AllianceAnswerText(4), "同盟破棄の申し入れは拒否されました。");
    EXPECT_EQ(AllianceAnswerText(5), "");
    std::string caption;
    const int shown = WithDialog([&] { return ShowStringMessageBox(frame, 2); }, [&](ui::Hwnd box) {
        caption = ui::GetWindowText(box);
        ui::SendMessage(box, ui::WM_COMMAND, ui::IDOK, 0);
    });
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(caption, "ZV6");
    EXPECT_EQ(ShowStringMessageBox(frame, 0), 0) << "no text, no box";
    EXPECT_EQ(DefeatLine(0, 0), "自国司令部が全滅しました");
    EXPECT_EQ(DefeatLine(3, 0), "ＹＥＬＬＯＷ国が全滅しました");
    EXPECT_EQ(DefeatLine(1, 2), "ＲＥＤ国が全滅しました");
}

}  // namespace
}  // namespace zv::panels
