#pragma once

// The modal dialogs of alliances and of a game's end: the alliance dialog (354) that proposes
// to conclude or break an alliance, the approval dialog (355) that answers a proposal, the
// answer's message box, and the picture dialog (603) of the victory or of a country's fall.
//
// The dialogs only ask; the orders go through the journal: ProposeAlliance turns the alliance
// dialog into proposal orders and AnswerAllianceProposal the approval into the answer order,
// so no dialog ever holds the thread that executes the journal.

#include <cstdint>
#include <string>

#include "platform/ui/WindowTypes.h"

namespace zv::rules {
class TableDirectory;
}
namespace zv::sim {
class OrderSink;
}

namespace zv::panels {

constexpr int kAllianceDialog = 354;
constexpr int kApprovalDialog = 355;
constexpr int kEndPictureDialog = 603;
constexpr int IDC_ALLIANCE_BOX0 = 1016;  // 1016-1019: countries 0-3
constexpr int IDC_ALLIANCE_OK = 1020;
constexpr int IDC_APPROVAL_TEXT = 1225;

// The countries the alliance dialog offers, read from the country table for `own`.
struct AllianceMasks {
    std::uint8_t atWar = 0;     // bit k: country k is at war (state 1)
    std::uint8_t eligible = 0;  // at war and not played by the computer
    std::uint8_t blocked = 0;   // not allied with `own` but allied with some other country
    std::uint8_t current = 0;   // own's alliance mask
};
AllianceMasks ReadAllianceMasks(rules::TableDirectory& tables, int own);

// Dialog 354 in conclusion or break mode; on OK *mask becomes the boxes left checked (the own
// bit always among them) and the answer is nonzero; on cancel 0 and *mask is left alone.
int ShowAllianceConcludeDialog(ui::Hwnd owner, int own, std::uint8_t atWar, std::uint8_t eligible,
                               std::uint8_t blocked, std::uint8_t* mask);
int ShowAllianceBreakDialog(ui::Hwnd owner, int own, std::uint8_t atWar, std::uint8_t eligible,
                            std::uint8_t blocked, std::uint8_t* mask);

// Dialog 355 with "<proposer>から同盟締結の申し入れがありました。" (…破棄… for the second); 1 for
// 承認, 0 for 拒否. The proposer text is Shift-JIS.
int ShowApprovalDialog(ui::Hwnd owner, const char* proposerSjis);
int ShowApprovalDialog2(ui::Hwnd owner, const char* proposerSjis);

// The answer's message box: 1 conclusion approved, 2 refused, 3 break approved, 4 refused.
// Returns 1 (0 for an index without a text, which shows nothing).
int ShowStringMessageBox(ui::Hwnd owner, int index, int unused1 = 0, int unused2 = 0);
// The text of the message box (UTF-8); empty outside 1-4.
std::string AllianceAnswerText(int index);

// Dialog 603: the victory picture, or the fall of `country` (the local player's own when it is
// the player's country). They close after five seconds or at a click; both return 0.
int ShowVictoryDialog(ui::Hwnd owner);
int ShowDefeatDialog(ui::Hwnd owner, int country);
// The second line of the fall: "自国司令部が全滅しました" or "ＲＥＤ国が全滅しました" (UTF-8).
std::string DefeatLine(int country, int playerCountry);

// The frame's alliance command: the dialog in the mode (1 conclude, 2 break) over the live
// country table, then one proposal order per country whose box changed. Returns the number of
// orders appended.
int ProposeAlliance(ui::Hwnd owner, rules::TableDirectory& tables, sim::OrderSink& orders,
                    int own, int mode);
// A proposal that reached the local player: the approval dialog, answered with the answer
// order. Returns 1 when approved.
int AnswerAllianceProposal(ui::Hwnd owner, sim::OrderSink& orders, std::uint8_t proposer,
                           std::uint8_t addressee, std::uint16_t kind,
                           const std::string& proposerSjis);

// Puts templates 354, 355 and 603 into the dialog registry (done by the functions above too).
void RegisterAllianceDialogs();

}  // namespace zv::panels
