// The dialog templates of the corps and organisation windows. The organisation dialog (323) is
// empty: its controls are made at run time in pixels. Dialog 325 lays its controls out again
// in pixels when it starts.

#include <vector>

#include "organize/CorpsFiles.h"
#include "organize/LoadingChoosers.h"
#include "organize/OrganizeDialog.h"
#include "platform/ui/DialogConstants.h"
#include "platform/ui/DialogTemplate.h"
#include "platform/ui/Messages.h"
#include "platform/ui/controls/CommonControls.h"
#include "platform/ui/controls/ControlConstants.h"

namespace zv::organize {

namespace {

using ui::DialogItem;
using ui::DialogTemplate;

constexpr std::uint32_t kDialogStyle = ui::WS_POPUP | ui::WS_CAPTION | ui::WS_SYSMENU | ui::DS_MODALFRAME;
constexpr std::uint32_t kButton = ui::WS_TABSTOP;
constexpr std::uint32_t kCorpsListStyle = ui::LVS_REPORT | ui::LVS_SINGLESEL | ui::LVS_SHOWSELALWAYS |
                                          ui::LVS_OWNERDRAWFIXED | ui::LVS_NOSORTHEADER | ui::WS_BORDER |
                                          ui::WS_TABSTOP;

constexpr auto* Template = &ui::MakeDialogTemplate;

// The detail area shared by dialogs 309 and 325, right of the list at x.
std::vector<DialogItem> CorpsDetails(int x, bool withFrame) {
    std::vector<DialogItem> items;
    if (withFrame) {
        DialogItem frame{kIdCorpsFrame, "BUTTON", "", x, 4, 112, 172, ui::BS_GROUPBOX};
        frame.mayOverlap = true;
        items.push_back(frame);
    }
    items.push_back({1226, "STATIC", "名称：", x + 6, 16, 26, 8, 0});
    items.push_back({kIdCorpsName, "EDIT", "", x + 34, 14, 72, 12, ui::WS_BORDER | ui::ES_AUTOHSCROLL | ui::WS_TABSTOP});
    items.push_back({1227, "STATIC", "生産ﾀｲﾌﾟ：", x + 6, 34, 40, 8, 0});
    items.push_back({kIdCorpsType, "COMBOBOX", "", x + 48, 32, 58, 80, ui::CBS_DROPDOWNLIST | ui::WS_VSCROLL | ui::WS_TABSTOP});
    DialogItem typeName{kIdCorpsTypeName, "EDIT", "", x + 48, 32, 58, 12, ui::WS_BORDER | ui::ES_READONLY};
    typeName.mayOverlap = true;
    items.push_back(typeName);
    static constexpr const char* kClasses[5] = {"航空", "ヘリ", "陸上", "海上", "海中"};
    for (int k = 0; k < 5; ++k) {
        items.push_back({1228 + k, "STATIC", kClasses[k], x + 12, 60 + 14 * k, 24, 8, 0});
        items.push_back({kIdCorpsCounts + k, "STATIC", "", x + 60, 60 + 14 * k, 44, 8, 0});
    }
    items.push_back({1233, "STATIC", "総数", x + 12, 136, 24, 8, 0});
    items.push_back({kIdCorpsTotal, "STATIC", "", x + 60, 136, 44, 8, 0});
    return items;
}

std::vector<DialogItem> Join(std::vector<DialogItem> a, const std::vector<DialogItem>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace

void RegisterOrganizeTemplates() {
    auto& reg = ui::DialogRegistry::Global();
    DialogItem hiddenFiles{kIdCorpsFiles, "LISTBOX", "", 0, 0, 1, 1, 0};
    hiddenFiles.mayOverlap = true;

    reg.Add(Template(
        kCorpsManagerDialog, "軍団ファイル管理", kDialogStyle, 356, 182,
        Join({{kIdCorpsList, "SysListView32", "", 6, 6, 160, 170, kCorpsListStyle}},
             Join(CorpsDetails(172, true),
                  {{kIdCorpsNew, "BUTTON", "新規", 292, 8, 58, 14, kButton},
                   {kIdCorpsEdit, "BUTTON", "編集", 292, 26, 58, 14, kButton},
                   {kIdCorpsCopy, "BUTTON", "複製", 292, 44, 58, 14, kButton},
                   {kIdCorpsDelete, "BUTTON", "削除", 292, 62, 58, 14, kButton},
                   {kIdCorpsClose, "BUTTON", "終了", 292, 162, 58, 14, kButton},
                   hiddenFiles}))));
    // The list of the corps pages: placed again in pixels at its start. It is made a child of
    // its page when created (CreateCorpsListDialog); the registry holds it as a plain popup so
    // it can be built on its own.
    reg.Add(Template(kCorpsListDialog, "", ui::WS_POPUP | ui::DS_CONTROL, 400, 200,
                     Join({{kIdCorpsList, "SysListView32", "", 4, 4, 150, 190, kCorpsListStyle}},
                          Join(CorpsDetails(160, true),
                               {{kIdCorpsNew, "BUTTON", "新規", 322, 20, 70, 14, kButton},
                                {kIdCorpsEdit, "BUTTON", "編集", 322, 38, 70, 14, kButton},
                                {kIdCorpsCopy, "BUTTON", "複製", 322, 56, 70, 14, kButton},
                                {kIdCorpsDelete, "BUTTON", "削除", 322, 74, 70, 14, kButton},
                                hiddenFiles}))));
    std::vector<DialogItem> choice = {
        {kIdCorpsList, "SysListView32", "", 6, 6, 160, 150, kCorpsListStyle},
        {1226, "STATIC", "名称：", 176, 10, 26, 8, 0},
        {kIdCorpsName, "STATIC", "", 204, 10, 100, 8, 0},
        {1227, "STATIC", "生産ﾀｲﾌﾟ：", 176, 24, 40, 8, 0},
        {kIdCorpsType, "STATIC", "", 218, 24, 86, 8, 0},
        {1236, "STATIC", "高度別　　　　部隊数／小隊数", 176, 42, 128, 8, 0}};
    static constexpr const char* kClasses[5] = {"航空", "ヘリ", "陸上", "海上", "海中"};
    for (int k = 0; k < 5; ++k) {
        choice.push_back({1228 + k, "STATIC", kClasses[k], 182, 56 + 14 * k, 24, 8, 0});
        choice.push_back({kIdCorpsCounts + k, "STATIC", "", 250, 56 + 14 * k, 44, 8, 0});
    }
    choice.push_back({kIdCorpsLoad, "BUTTON", "軍団読み込み", 176, 142, 64, 14, kButton | ui::BS_DEFPUSHBUTTON});
    choice.push_back({kIdCorpsCancel, "BUTTON", "キャンセル", 246, 142, 58, 14, kButton});
    choice.push_back(hiddenFiles);
    reg.Add(Template(kCorpsChoiceDialog, "軍団選択", kDialogStyle, 312, 162, choice));
    reg.Add(Template(kCorpsConfirmDialog, "確認", kDialogStyle, 150, 74,
                     {{kIdCorpsLoad, "BUTTON", "新規軍団読み込み", 10, 8, 130, 14, kButton},
                      {kIdCorpsEditSelected, "BUTTON", "選択軍団の編集", 10, 28, 130, 14, kButton},
                      {kIdCorpsCancel, "BUTTON", "キャンセル", 10, 52, 130, 14, kButton}}));
    reg.Add(Template(kAltitudeMixDialog, "軍団ファイル管理", kDialogStyle, 220, 150,
                     {{1237, "STATIC",
                       "以下の部隊は航空(高)と航空(中)が混在しています。同一高度になるよう修正してください。",
                       8, 6, 204, 20, 0},
                      {kIdMixText, "EDIT", "", 8, 30, 204, 94,
                       ui::WS_BORDER | ui::ES_MULTILINE | ui::ES_READONLY | ui::WS_VSCROLL},
                      {ui::IDCANCEL, "BUTTON", "閉じる", 82, 130, 56, 14, kButton}}));
    reg.Add(Template(kOrganizeDialog, "", kDialogStyle, 420, 280, {}));
    RegisterChooserTemplates();
}

}  // namespace zv::organize
