// Single-play pages 1 (map or saved game) and 2 (corps), the file lists and information panel
// of the map pages, and the loading of the chosen file.

#include "setup/SinglePlayPages.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/Dib.h"
#include "framework/ProcessState.h"
#include "framework/gui/ControlCreators.h"
#include "framework/gui/GdiHelpers.h"
#include "framework/gui/ListViewRows.h"
#include "framework/gui/WindowUtilities.h"
#include "mapview/MapPreview.h"
#include "mapview/MapWorld.h"
#include "organize/CorpsFiles.h"
#include "platform/core/Sjis.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/Font.h"
#include "platform/ui/Window.h"
#include "platform/ui/controls/CommonControls.h"
#include "platform/ui/controls/ControlConstants.h"
#include "rules/context/GameContext.h"
#include "rules/context/GameEvents.h"
#include "rules/context/TableDirectory.h"
#include "rules/files/MapFiles.h"
#include "rules/records/MapCursors.h"
#include "rules/records/GameSettingsCursor.h"
#include "rules/records/MapRecords.h"
#include "setup/SetupContainer.h"
#include "setup/SetupInternal.h"
#include "shell/game/GameDocument.h"
#include "simulation/Judgement.h"

namespace zv::setup {

namespace {

namespace fs = std::filesystem;

constexpr ui::ColorRef kWhite = ui::Rgb(255, 255, 255);
const ui::Brush kBlackBrush = ui::Brush::SolidColor(ui::Rgb(0, 0, 0));

std::string Sjis(const char* utf8) { return core::Utf8ToSjis(utf8); }

// The embedded corps list leaves its background alone (it stands on the page's picture): the
// page gives it the page's black, so nothing of an earlier page shows through it.
ui::LResult CorpsDialogBackgroundProc(ui::Hwnd h, std::uint32_t msg, ui::WParam w, ui::LParam l) {
    if (msg == ui::WM_ERASEBKGND) {
        if (auto* dc = reinterpret_cast<ui::Canvas*>(w)) {
            ui::Rect r{};
            ui::GetClientRect(h, &r);
            dc->FillRect(r, kBlackBrush);
        }
        return 1;
    }
    return CallClassProcedure(h, msg, w, l);
}

// Wildcard match of a DOS pattern ('?' one character, '*' any run), letters without case.
bool MatchesPattern(std::string_view name, std::string_view pattern) {
    if (pattern.empty()) return name.empty();
    if (pattern[0] == '*') {
        for (std::size_t i = 0; i <= name.size(); ++i) {
            if (MatchesPattern(name.substr(i), pattern.substr(1))) return true;
        }
        return false;
    }
    if (name.empty()) return false;
    const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
    if (pattern[0] != '?' && lower(pattern[0]) != lower(name[0])) return false;
    return MatchesPattern(name.substr(1), pattern.substr(1));
}

std::vector<std::string> ListFolder(const std::string& folder, const char* pattern) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        if (!entry.is_regular_file(ec)) continue;
        const std::string name = entry.path().filename().string();
        if (MatchesPattern(name, pattern)) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string ListBoxText(ui::Hwnd page, int row) {
    const ui::Hwnd box = ui::GetDlgItem(page, kIdFileNames);
    const auto n = ui::SendMessage(box, ui::LB_GETTEXTLEN, static_cast<ui::WParam>(row), 0);
    if (n <= 0) return {};
    std::string text(static_cast<std::size_t>(n) + 1, '\0');
    ui::SendMessage(box, ui::LB_GETTEXT, static_cast<ui::WParam>(row), reinterpret_cast<ui::LParam>(text.data()));
    text.resize(std::strlen(text.c_str()));
    return text;
}

void AddListViewRow(ui::Hwnd list, int row, const std::string& text) {
    std::string copy = text;
    ui::LvItem item;
    item.mask = ui::LVIF_TEXT;
    item.iItem = row;
    item.pszText = copy.data();
    ui::SendMessage(list, ui::LVM_INSERTITEMA, 0, reinterpret_cast<ui::LParam>(&item));
}

// The 12-pixel regular gothic of the preview mode labels; it lives as long as the program.
const ui::Font* PreviewLabelFont() {
    static const ui::Font* font = new ui::Font(fw::CreateJapaneseFont(12, 1, 0));
    return font;
}

void SetControlFont(ui::Hwnd control, const ui::Font* font) {
    if (control && font) ui::SendMessage(control, ui::WM_SETFONT, reinterpret_cast<ui::WParam>(font), 0);
}

void TextOnPanel(ui::Hwnd page, fw::Dib* dib, int x, int y, const std::string& sjis, int size) {
    fw::DrawTextOnDib(page, dib, x, y, sjis.c_str(), size, 1, kWhite);
}

// Page 1: the map or saved game of a single-play game, with its preview.
class FilePage : public SetupPage {
  public:
    using SetupPage::SetupPage;

  private:
    ui::LResult OnMessage(std::uint32_t msg, ui::WParam w, ui::LParam l) override {
        switch (msg) {
        case ui::WM_CREATE: OnCreate(); return 0;
        case ui::WM_NOTIFY: OnNotify(l); return 0;
        case ui::WM_COMMAND: OnCommand(ui::LoWord(w)); return 0;
        case WM_SHOW_PAGE:
            ui::ShowWindow(Handle(), w ? ui::SW_SHOWNORMAL : ui::SW_HIDE);
            return 0;
        case ui::WM_DESTROY:
            mapview::FreeMapPreview();
            summary_.reset();
            return 0;
        default: return Default(msg, w, l);
        }
    }
    bool IsWhiteLabel(int id) const override {
        return (id >= kIdPreviewNormal && id <= kIdPreviewPlacement) || id == kIdStatusLine;
    }

    void OnCreate() {
        LoadBasics();
        CreateFilePageLayout(Handle(), font_.get(), kButtonsNextBack);
        FillList(0);
        DrawMapInfoPanel(Handle(), background_.get(), nullptr, 0);
    }
    void OnNotify(ui::LParam l) {
        const auto* hdr = reinterpret_cast<const ui::NmHdr*>(l);
        if (hdr && hdr->idFrom == kIdFileList &&
            (hdr->code == ui::NM_CLICK || hdr->code == ui::NM_RCLICK || hdr->code == ui::LVN_BEGINDRAG)) {
            ChooseRow(reinterpret_cast<const ui::NmItemActivate*>(l)->iItem);
        }
    }
    void OnCommand(int id) {
        const ui::Hwnd h = Handle();
        switch (id) {
        case kIdPreviewNormal:
        case kIdPreviewBuildings:
        case kIdPreviewPlacement:
            previewMode_ = id - kIdPreviewNormal;
            if (summary_) DrawMapInfoPanel(h, background_.get(), &*summary_, previewMode_);
            break;
        case kIdNewGame: SwitchList(0); break;
        case kIdSavedGames: SwitchList(1); break;
        case kIdDeleteSave: DeleteChosenSaveFile(); break;
        case kIdSetupNext:
            if (chosenRow_ < 0) break;
            SetSavedGameChosen(listKind_ == 1 ? 1 : 0);
            ui::SendMessage(Container(), WM_SETUP_NEXT_PAGE, listKind_ == 1 ? kPageSingleConditions : kPageSingleCorps,
                            kPageSingleFile);
            break;
        case kIdSetupBack:
            mapview::FreeMapPreview();
            summary_.reset();
            chosenRow_ = -1;
            DrawMapInfoPanel(h, background_.get(), nullptr, previewMode_);
            ui::SendMessage(Container(), WM_SETUP_PREV_PAGE, kPageTitle, kPageSingleFile);
            break;
        default: break;
        }
    }

    // The page forgets the chosen file and its preview.
    void ForgetFileChoice() {
        const ui::Hwnd page = Handle();
        chosenRow_ = -1;
        summary_.reset();
        EnableSetupNextButton(page, false);
        ui::EnableWindow(ui::GetDlgItem(page, kIdDeleteSave), false);
        DrawMapInfoPanel(page, background_.get(), nullptr, previewMode_);
    }
    void FillList(int kind) {
        listKind_ = kind;
        folder_ = FillSetupFileList(Handle(), kind, false);
    }
    void SwitchList(int kind) {
        if (listKind_ == kind) return;
        listKind_ = kind;
        folder_ = SwitchSetupFileList(Handle(), kind, previewMode_, false);
        ForgetFileChoice();
    }
    void ChooseRow(int row) {
        const ui::Hwnd page = Handle();
        if (row < 0) {
            ForgetFileChoice();
            return;
        }
        const std::string name = ListBoxText(page, row);
        if (!mapview::RenderMapFilePreview(page, (folder_ + name).c_str(), 0)) {
            // The file changed since the list was made: it cannot be chosen.
            ForgetFileChoice();
            ui::SetWindowText(ui::GetDlgItem(page, kIdStatusLine), Sjis("ファイルを読み込めません。"));
            return;
        }
        ui::SetWindowText(ui::GetDlgItem(page, kIdStatusLine), "");
        chosenRow_ = row;
        SetChosenSetupFile(false, name.c_str(), listKind_);
        summary_ = *mapview::GetMapPreview();
        EnableSetupNextButton(page, true);
        DrawMapInfoPanel(page, background_.get(), &*summary_, previewMode_);
        const ui::Hwnd remove = ui::GetDlgItem(page, kIdDeleteSave);
        if (ui::IsWindowVisible(remove)) ui::EnableWindow(remove, true);
    }
    void DeleteChosenSaveFile() {
        const ui::Hwnd page = Handle();
        if (chosenRow_ < 0) {
            SetupMessageBox(page, "ファイルが指定されていません。", ui::MB_OK);
            return;
        }
        const std::string name = ListBoxText(page, chosenRow_);
        const std::string question = core::SjisToUtf8(name) + "を削除しますか？";
        if (SetupMessageBox(page, question.c_str(), ui::MB_YESNO) != ui::IDYES) return;
        std::error_code ec;
        if (!fs::remove(fs::path(folder_) / name, ec) || ec) {
            SetupMessageBox(page, "ファイルの削除に失敗しました。", ui::MB_OK);
            return;
        }
        ui::SendMessage(ui::GetDlgItem(page, kIdFileList), ui::LVM_DELETEITEM, static_cast<ui::WParam>(chosenRow_), 0);
        ui::SendMessage(ui::GetDlgItem(page, kIdFileNames), ui::LB_DELETESTRING, static_cast<ui::WParam>(chosenRow_), 0);
        SetChosenSetupFile(false, nullptr, listKind_);
        mapview::FreeMapPreview();
        ForgetFileChoice();
    }

    int listKind_ = 0;  // 0 maps, 1 saved games
    int chosenRow_ = -1;
    int previewMode_ = 0;
    std::optional<mapview::MapPreviewRecord> summary_;
    std::string folder_;
};

// Page 2: the player's corps, in the corps list the page embeds.
class CorpsPage : public SetupPage {
  public:
    using SetupPage::SetupPage;

  private:
    ui::LResult OnMessage(std::uint32_t msg, ui::WParam w, ui::LParam l) override {
        switch (msg) {
        case ui::WM_CREATE: OnCreate(); return 0;
        case zv::WM_CORPS_CHOSEN: OnCorpsChosen(static_cast<int>(static_cast<std::intptr_t>(w))); return 1;
        case ui::WM_COMMAND: OnCommand(ui::LoWord(w)); return 0;
        case WM_SHOW_PAGE: OnShowPage(w != 0); return 0;
        case ui::WM_DESTROY:
            if (dialog_ && ui::IsWindow(dialog_)) ui::DestroyWindow(dialog_);
            dialog_ = {};
            return 0;
        default: return Default(msg, w, l);
        }
    }

    void OnCreate() {
        const ui::Hwnd h = Handle();
        LoadBasics();
        CreateSetupButtons(h, font_.get(), kButtonsNextBack);
        EnableSetupNextButton(h, false);
        SetSelectedCorpsFile(-1);
        organize::SetCorpsListEditMode(0);
        dialog_ = organize::CreateCorpsListDialog(h);
        if (dialog_) {
            ui::ShowWindow(dialog_, ui::SW_HIDE);
            ui::SetWindowLongPtr(dialog_, ui::GWLP_WNDPROC, reinterpret_cast<intptr_t>(&CorpsDialogBackgroundProc));
        }
    }
    void OnCorpsChosen(int entry) {
        SetSelectedCorpsFile(entry);
        EnableSetupNextButton(Handle(), entry != -1);
    }
    void OnCommand(int id) {
        if (id == kIdSetupNext) {
            if (organize::CorpsFileHasHQ(GetSelectedCorpsFile())) {
                ui::SendMessage(Container(), WM_SETUP_NEXT_PAGE, kPageSingleConditions, kPageSingleCorps);
            } else {
                SetupMessageBox(Handle(), "その軍団は司令部が作成されていません。", ui::MB_OK);
            }
        } else if (id == kIdSetupBack) {
            ui::SendMessage(Container(), WM_SETUP_PREV_PAGE, kPageSingleFile, kPageSingleCorps);
        }
    }
    void OnShowPage(bool show) {
        const ui::Hwnd h = Handle();
        if (show) {
            if (dialog_) {
                PlaceCorpsList(h, dialog_, ui::SWP_NOZORDER);
                ui::ShowWindow(dialog_, ui::SW_SHOW);
            }
            ui::ShowWindow(h, ui::SW_SHOWNORMAL);
        } else {
            if (dialog_) ui::ShowWindow(dialog_, ui::SW_HIDE);
            ui::ShowWindow(h, ui::SW_HIDE);
        }
    }

    ui::Hwnd dialog_{};
};

}  // namespace

void CreateFilePageLayout(ui::Hwnd page, const ui::Font* font, int buttonStyle) {
    CreateSetupButtons(page, font, buttonStyle);
    EnableSetupNextButton(page, false);
    const ui::Hwnd box = fw::CreateListBoxCtl(page, kIdFileNames, 240, 20, 200, 238,
                                              ui::LBS_SORT | ui::LBS_HASSTRINGS | ui::LBS_NOINTEGRALHEIGHT);
    ui::ShowWindow(box, ui::SW_HIDE);
    CreateFileListView(page, kIdFileList, 20, 20, 200, 238, Sjis("マップ名称").c_str(), font);
    const ui::Hwnd text = fw::CreateEditCtl(page, kIdMapDescription, 230, 190, 168, 66,
                                            ui::WS_BORDER | ui::WS_VSCROLL | ui::ES_MULTILINE | ui::ES_READONLY |
                                                ui::ES_AUTOVSCROLL);
    SetControlFont(text, font);
    // The preview modes keep their boxes: "配置範囲" beside its button fits 68 pixels in the
    // regular weight of the page's font, not in the bold one.
    const ui::Font* regular = font ? PreviewLabelFont() : nullptr;
    CreateTextButton(page, kIdPreviewNormal, 230, 168, 60, 20, ui::BS_AUTORADIOBUTTON | ui::WS_GROUP,
                     Sjis("通常").c_str(), regular);
    CreateTextButton(page, kIdPreviewBuildings, 290, 168, 60, 20, ui::BS_AUTORADIOBUTTON, Sjis("建物").c_str(),
                     regular);
    CreateTextButton(page, kIdPreviewPlacement, 350, 168, 68, 20, ui::BS_AUTORADIOBUTTON, Sjis("配置範囲").c_str(),
                     regular);
    CreateTextButton(page, kIdNewGame, 19, 371, 70, 20, ui::BS_AUTORADIOBUTTON | ui::BS_PUSHLIKE | ui::WS_GROUP,
                     Sjis("新規ｹﾞｰﾑ").c_str(), font);
    CreateTextButton(page, kIdSavedGames, 94, 371, 70, 20, ui::BS_AUTORADIOBUTTON | ui::BS_PUSHLIKE,
                     Sjis("保存ﾃﾞｰﾀ").c_str(), font);
    // In the bold weight "保存ﾃﾞｰﾀ消去" would fill the whole 80 pixels, up to the button's edges.
    const ui::Hwnd remove = CreateTextButton(page, kIdDeleteSave, 174, 371, 80, 20, ui::BS_PUSHBUTTON,
                                             Sjis("保存ﾃﾞｰﾀ消去").c_str(), regular);
    ui::ShowWindow(remove, ui::SW_HIDE);
    const ui::Hwnd status = fw::CreateStaticCtl(page, kIdStatusLine, 20, 260, 200, 20);
    SetControlFont(status, font);
    ui::SendMessage(ui::GetDlgItem(page, kIdPreviewNormal), ui::BM_SETCHECK, ui::BST_CHECKED, 0);
    ui::SendMessage(ui::GetDlgItem(page, kIdNewGame), ui::BM_SETCHECK, ui::BST_CHECKED, 0);
}

std::string FillSetupFileList(ui::Hwnd page, int kind, bool network) {
    const char* pattern = kind == 0 ? kMapPattern : kSavePattern;
    std::string folder = SetupFileFolder(pattern);
    ListSetupFiles(page, pattern, network);
    SetFileListColumnTitle(page, kIdFileList, Sjis(kind == 0 ? "マップ名称" : "保存データファイル名称").c_str());
    return folder;
}

std::string SwitchSetupFileList(ui::Hwnd page, int kind, int previewMode, bool network) {
    // The mode buttons keep the chosen mode checked.
    for (int i = 0; i < 3; ++i) {
        ui::SendMessage(ui::GetDlgItem(page, kIdPreviewNormal + i), ui::BM_SETCHECK,
                        i == previewMode ? ui::BST_CHECKED : 0, 0);
    }
    const ui::Hwnd remove = ui::GetDlgItem(page, kIdDeleteSave);
    ui::ShowWindow(remove, kind == 1 ? ui::SW_SHOW : ui::SW_HIDE);
    ui::EnableWindow(remove, false);
    SetChosenFromSave(network, kind);
    std::string folder = FillSetupFileList(page, kind, network);
    mapview::FreeMapPreview();
    return folder;
}

std::string SetupFileFolder(const char* pattern) {
    const bool maps = std::strcmp(pattern, kMapPattern) == 0;
    return std::string(fw::GetProgramDirectory()) + (maps ? "MAP/" : "SAVE/");
}

int ListSetupFiles(ui::Hwnd page, const char* pattern, bool network) {
    const bool maps = std::strcmp(pattern, kMapPattern) == 0;
    const std::string folder = SetupFileFolder(pattern);
    const ui::Hwnd box = ui::GetDlgItem(page, kIdFileNames);
    const ui::Hwnd list = ui::GetDlgItem(page, kIdFileList);
    ui::SendMessage(box, ui::LB_RESETCONTENT, 0, 0);
    for (const std::string& name : ListFolder(folder, pattern)) {
        ui::SendMessage(box, ui::LB_ADDSTRING, 0, reinterpret_cast<ui::LParam>(name.c_str()));
    }
    ui::SendMessage(list, ui::WM_SETREDRAW, 0, 0);
    ui::SendMessage(list, ui::LVM_DELETEALLITEMS, 0, 0);
    const ui::Hwnd status = ui::GetDlgItem(page, kIdStatusLine);
    ui::SetWindowText(status, Sjis("ファイル検索中..."));
    const int rows = static_cast<int>(ui::SendMessage(box, ui::LB_GETCOUNT, 0, 0));
    std::vector<int> removed;
    const std::uint8_t playKind = network ? 2 : 1;
    int listed = 0;
    for (int row = 0; row < rows; ++row) {
        const std::string name = ListBoxText(page, row);
        // A file that cannot be read, or a saved game of the other kind of play, gets no row;
        // its list box row goes too, so that both lists stay row for row.
        if (!mapview::RenderMapFilePreview(page, (folder + name).c_str(), 1) ||
            (!maps && mapview::GetMapPreview()->playKind != playKind)) {
            removed.push_back(row);
            continue;
        }
        const std::string text = maps ? std::string(mapview::GetMapPreview()->title)
                                      : name.substr(0, name.size() >= 4 ? name.size() - 4 : 0);
        AddListViewRow(list, listed++, text);
    }
    mapview::FreeMapPreview();
    ui::SendMessage(list, ui::WM_SETREDRAW, 1, 0);
    ui::InvalidateRect(list, nullptr, true);
    ui::SetWindowText(status, "");
    for (auto it = removed.rbegin(); it != removed.rend(); ++it) {
        ui::SendMessage(box, ui::LB_DELETESTRING, static_cast<ui::WParam>(*it), 0);
    }
    return listed;
}

void DrawMapInfoPanel(ui::Hwnd page, fw::Dib* background, const mapview::MapPreviewRecord* summary, int mode) {
    if (!background) return;
    // A fresh copy of the page's picture under everything the panel draws.
    const std::unique_ptr<fw::Dib> fresh = LoadPagePicture(kPagePicture);
    fw::HvDIBitBltOpaque(background, 0, 0, background->GetWidth(), background->GetHeight(), fresh.get(), 0, 0);
    fw::FrameRectColorOnDib(page, background, 229, 29, 358, 159, kWhite);
    if (summary && mode >= 0 && mode < 3 && summary->pictures[mode]) {
        fw::Dib* picture = summary->pictures[mode].get();
        fw::HvDIBitBltOpaque(background, 230, 30, picture->GetWidth(), picture->GetHeight(), picture, 0, 0);
    }
    TextOnPanel(page, background, 370, 30, Sjis("参加国："), 14);
    fw::Dib marks(kCountryMarksPicture);
    if (marks.HasBits()) {
        const int w = marks.GetWidth() / 4;
        for (int c = 0; c < 4; ++c) {
            if (summary && ((summary->countryMask >> c) & 1)) {
                fw::HvDIBitBlt(background, 426 + 20 * c, 28, w, marks.GetHeight(), &marks, w * c, 0, 0);
            }
            fw::HvDIBitBlt(background, 426 + 20 * c, 56, w, marks.GetHeight(), &marks, w * c, 0, 0);
        }
    }
    static constexpr const char* kRowTitles[6] = {"首  都", "大都市", "都  市", "  町  ", "空  港", "  港  "};
    for (int r = 0; r < 6; ++r) {
        const int y = 76 + 14 * r;
        fw::DrawTextShadowedOnDib(page, background, ui::Rect{370, y, 418, y + 14}, Sjis(kRowTitles[r]).c_str(), 14,
                                  1, kWhite, ui::DT_CENTER);
        for (int c = 0; c < 4; ++c) {
            char count[8];
            std::snprintf(count, sizeof count, "%3d", summary ? summary->siteCounts[c][r] : 0);
            TextOnPanel(page, background, 419 + 20 * c, y + 1, count, 12);
        }
    }
    const ui::Hwnd text = ui::GetDlgItem(page, kIdMapDescription);
    ui::SetWindowText(text, summary ? std::string(summary->description) : std::string(" "));
    ui::MoveWindow(text, 230, 190, 168, 66, true);
    ui::MoveWindow(ui::GetDlgItem(page, kIdPreviewNormal), 230, 168, 60, 20, true);
    ui::MoveWindow(ui::GetDlgItem(page, kIdPreviewBuildings), 290, 168, 60, 20, true);
    ui::MoveWindow(ui::GetDlgItem(page, kIdPreviewPlacement), 350, 168, 68, 20, true);
    for (int i = 0; i < 3; ++i) ui::EnableWindow(ui::GetDlgItem(page, kIdPreviewNormal + i), summary != nullptr);
    if (summary) {
        char line[64];
        TextOnPanel(page, background, 430, 170, Sjis(summary->searchOption ? "索敵あり" : "索敵なし"), 12);
        std::snprintf(line, sizeof line, "%d日目の %d時まで", summary->dayLimit, summary->hourLimit);
        TextOnPanel(page, background, 430, 186, Sjis(line), 12);
        std::snprintf(line, sizeof line, "%d部隊まで配置可能", summary->deployLimit);
        TextOnPanel(page, background, 430, 202, Sjis(line), 12);
        int y = 202;
        using G = rules::GameSettingsRecord;
        if (summary->ruleWord & G::kRuleAllianceChange) {
            TextOnPanel(page, background, 430, y += 16, Sjis("初期設定での同盟変更可能"), 12);
        }
        if (summary->ruleWord & G::kRuleReinforcement) {
            TextOnPanel(page, background, 430, y += 16, Sjis("ゲーム中の増援可能"), 12);
        }
    }
    ui::InvalidateRect(page, nullptr, false);
}

int LoadChosenGameFile(ui::Hwnd page, int network, fw::Dib* miniatureTarget) {
    rules::TableDirectory* tables = LiveTables();
    if (network == 0) {
        std::int32_t fromSave = 0;
        const std::string name = CutSjisName(GetChosenSetupFile(false, &fromSave), 259);
        SetStartFromSave(fromSave);
        if (name.empty() || !tables) return 0;
        rules::GameSettingsCursor settings(*tables);
        shell::GameWorld* world = shell::CurrentGameWorld();
        rules::GameEvents quiet;
        rules::GameEvents& events = (world && world->events) ? *world->events : quiet;
        const std::string programDir = fw::GetProgramDirectory();
        if (fromSave) {
            settings.SetDeployment(0);
            if (!rules::LoadSaveGame(*tables, events, programDir, name)) return 0;
        } else {
            settings.SetDeployment(1);
            if (!rules::LoadMapFromMapFolder(*tables, events, programDir, name)) return 0;
            rules::CountryCursor countries(*tables);
            for (int c = 0; c < rules::kCountryCount; ++c) {
                if (!countries.Select(c)) continue;
                const bool computer = countries.GetParticipation() == 1;
                countries.SetState(computer ? sim::kCountryInPlay : sim::kCountryOut);
                countries.SetParticipation(computer ? 1 : 2);
            }
        }
        rules::GameContext ctx(*tables, mapview::MapContextEnv());
        ctx.RebuildHexOccupancy();
    }
    if (miniatureTarget && tables) mapview::RenderMapMiniature(*tables, *miniatureTarget, 12, 30);
    (void)page;
    return 1;
}

ui::LResult SinglePlay2Proc(ui::Hwnd h, std::uint32_t msg, ui::WParam w, ui::LParam l) {
    return SetupPageProc<FilePage>(h, msg, w, l);
}

ui::LResult SinglePlay1Proc(ui::Hwnd h, std::uint32_t msg, ui::WParam w, ui::LParam l) {
    return SetupPageProc<CorpsPage>(h, msg, w, l);
}

}  // namespace zv::setup
