#include "organize/CorpsFiles.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "framework/gui/ControlCreators.h"
#include "framework/gui/GdiHelpers.h"
#include "framework/gui/ListViewRows.h"
#include "framework/gui/TextFields.h"
#include "framework/gui/WindowUtilities.h"
#include "organize/OrganizeDialog.h"
#include "organize/OrganizeWorld.h"
#include "platform/core/Files.h"
#include "platform/core/Sjis.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/DialogConstants.h"
#include "platform/ui/DialogObject.h"
#include "platform/ui/DialogTemplate.h"
#include "platform/ui/Messages.h"
#include "platform/ui/SystemMetrics.h"
#include "platform/ui/Window.h"
#include "platform/ui/controls/CommonControls.h"
#include "platform/ui/controls/ControlConstants.h"
#include "rules/files/GameFileIo.h"
#include "rules/records/ForceCursor.h"
#include "rules/records/RuleCursors.h"
#include "rules/troops/TroopMembers.h"

namespace zv::organize {

namespace {

std::array<CorpsFileEntry, kCorpsFileLimit> gEntries;
int gFileCount = 0;
std::vector<int> gRowEntry;  // list row -> entry index
int gEditMode = 1;

OrganizeWorld& World() { return *CurrentOrganizeWorld(); }

// Dialog 317 (the choice among the corps files) has a 読込 button; 309 and 325 have none.
bool IsChoiceDialog(ui::Hwnd dialog) { return ui::GetDlgItem(dialog, kIdCorpsLoad) != ui::Hwnd{}; }

std::string Sjis(const std::string& utf8) { return ToSjis(utf8); }

ui::Hwnd List(ui::Hwnd dialog) { return ui::GetDlgItem(dialog, kIdCorpsList); }

bool ValidEntry(int i) { return i >= 0 && i < gFileCount && i < kCorpsFileLimit && gEntries[std::size_t(i)].fileName[0]; }

rules::FileStatus LoadEntry(rules::ForceCursor& fc, int entry) {
    return fc.LoadUserForceFile(World().corpsDirectory, gEntries[std::size_t(entry)].fileName);
}

rules::ForceCursor WorkingForce() {
    rules::ForceCursor fc(*World().tables, kWorkingForce, World().workspace);
    fc.SelectSlot(kWorkingForce);
    return fc;
}

int SelectedRow(ui::Hwnd dialog) {
    return int(ui::SendMessage(List(dialog), ui::LVM_GETNEXTITEM, ui::WParam(-1), ui::LVNI_SELECTED));
}

int SelectedEntry(ui::Hwnd dialog) { return CorpsEntryOfRow(SelectedRow(dialog)); }

void SelectOnlyRow(ui::Hwnd list, int row) {
    ui::LvItem clear;
    clear.stateMask = ui::LVIS_SELECTED | ui::LVIS_FOCUSED;
    clear.state = 0;
    ui::SendMessage(list, ui::LVM_SETITEMSTATE, ui::WParam(-1), reinterpret_cast<ui::LParam>(&clear));
    if (row < 0) return;
    ui::LvItem set;
    set.stateMask = ui::LVIS_SELECTED | ui::LVIS_FOCUSED;
    set.state = ui::LVIS_SELECTED | ui::LVIS_FOCUSED;
    ui::SendMessage(list, ui::LVM_SETITEMSTATE, ui::WParam(row), reinterpret_cast<ui::LParam>(&set));
    ui::SendMessage(list, ui::LVM_ENSUREVISIBLE, ui::WParam(row), 0);
}

void Tell(ui::Hwnd dialog, const std::string& text) {
    OrganizeMessageBox(dialog, text, kOrganizeCaption, ui::MB_OK);
}

bool Ask(ui::Hwnd dialog, const std::string& text) {
    return OrganizeMessageBox(dialog, text, kOrganizeCaption, ui::MB_YESNO) == ui::IDYES;
}

// Writes the working force to a corps file; a failure is told and leaves the old file.
bool SaveWorking(ui::Hwnd dialog, rules::ForceCursor& fc, const std::string& fileName) {
    const rules::FileStatus st = fc.SaveUserForceFile(World().corpsDirectory, fileName.c_str());
    if (!st.ok) Tell(dialog, "軍団ファイル " + fileName + " を保存できませんでした。");
    return st.ok;
}

void ListCorpsFiles(ui::Hwnd dialog) {
    ui::Hwnd files = ui::GetDlgItem(dialog, kIdCorpsFiles);
    ui::SendMessage(files, ui::LB_RESETCONTENT, 0, 0);
    rules::ForceCursor fc = WorkingForce();
    for (int n = 0; n < kCorpsFileLimit; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "useFrc%02d.prm", n);
        if (!core::FileExists(rules::GamePath(World().corpsDirectory, "USER", name))) continue;
        if (!fc.LoadUserForceFile(World().corpsDirectory, name).ok) continue;
        ui::SendMessage(files, ui::LB_ADDSTRING, 0, reinterpret_cast<ui::LParam>(name));
    }
    gFileCount = int(ui::SendMessage(files, ui::LB_GETCOUNT, 0, 0));
}

void FillCorpsList(ui::Hwnd dialog) {
    ui::Hwnd list = List(dialog);
    ui::Hwnd files = ui::GetDlgItem(dialog, kIdCorpsFiles);
    ui::SendMessage(list, ui::WM_SETREDRAW, 0, 0);
    ui::SendMessage(list, ui::LVM_DELETEALLITEMS, 0, 0);
    gEntries.fill(CorpsFileEntry{});
    gRowEntry.clear();
    rules::ForceCursor fc = WorkingForce();
    for (int i = 0; i < gFileCount && i < kCorpsFileLimit; ++i) {
        CorpsFileEntry& e = gEntries[std::size_t(i)];
        char name[260] = {};
        ui::SendMessage(files, ui::LB_GETTEXT, ui::WParam(i), reinterpret_cast<ui::LParam>(name));
        std::snprintf(e.fileName, sizeof e.fileName, "%s", name);
        if (!fc.LoadUserForceFile(World().corpsDirectory, e.fileName).ok) continue;
        if (fc.GetHeaderWord288() >= rules::GetProductionTypeCount()) continue;
        std::snprintf(e.name, sizeof e.name, "%s", fc.GetName());
        std::snprintf(e.comment, sizeof e.comment, "%s", fc.GetComment());
        e.productionType = fc.GetHeaderWord288();
        std::uint16_t templates[6] = {};
        std::uint16_t troops[6] = {};
        rules::CountTroopsByAltitudeFlag8000(fc, templates);
        rules::CountTroopsByAltitudeNoFlag8000(fc, troops);
        std::copy_n(templates, 5, e.templates);
        std::copy_n(troops, 5, e.troops);
        e.hasHq = rules::CountTroopsWithKind101(fc);
        std::string typeName(rules::GetProductionTypeName(*World().tables, e.productionType));
        ui::LvItem item;
        item.mask = ui::LVIF_TEXT | ui::LVIF_PARAM;
        item.iItem = int(gRowEntry.size());
        item.pszText = e.name;
        item.lParam = i;
        const int row = int(ui::SendMessage(list, ui::LVM_INSERTITEMA, 0, reinterpret_cast<ui::LParam>(&item)));
        ui::LvItem sub;
        sub.iSubItem = 1;
        sub.pszText = typeName.data();
        ui::SendMessage(list, ui::LVM_SETITEMTEXTA, ui::WParam(row), reinterpret_cast<ui::LParam>(&sub));
        gRowEntry.push_back(i);
    }
    ui::SendMessage(list, ui::WM_SETREDRAW, 1, 0);
    ui::InvalidateRect(list, nullptr, true);
}

void ShowCorpsEntry(ui::Hwnd dialog, int entry) {
    for (int id : {kIdCorpsName, kIdCorpsType, kIdCorpsTypeName}) {
        if (ui::Hwnd h = ui::GetDlgItem(dialog, id)) ui::EnableWindow(h, false);
    }
    const bool isChoice = IsChoiceDialog(dialog);
    if (entry < 0 || entry >= kCorpsFileLimit || CorpsRowOfEntry(entry) < 0) {
        // No corps: the greyed type list stands alone, not under the name of a former one.
        if (!isChoice) {
            ui::ShowWindow(ui::GetDlgItem(dialog, kIdCorpsTypeName), ui::SW_HIDE);
            ui::ShowWindow(ui::GetDlgItem(dialog, kIdCorpsType), ui::SW_SHOW);
        }
        return;
    }
    const CorpsFileEntry& e = gEntries[std::size_t(entry)];
    int templates = 0, troops = 0;
    for (int c = 0; c < 5; ++c) {
        templates += e.templates[c];
        troops += e.troops[c];
    }
    ui::Hwnd combo = ui::GetDlgItem(dialog, kIdCorpsType);
    ui::Hwnd typeName = ui::GetDlgItem(dialog, kIdCorpsTypeName);
    const std::string type(rules::GetProductionTypeName(*World().tables, e.productionType));
    if (isChoice) {
        ui::SetDlgItemText(dialog, kIdCorpsType, type);
    } else if (templates + troops > 0) {
        // A corps with troops keeps its production type: shown as text, not offered.
        ui::ShowWindow(combo, ui::SW_HIDE);
        ui::EnableWindow(combo, false);
        ui::SetWindowText(typeName, type);
        ui::ShowWindow(typeName, ui::SW_SHOW);
    } else {
        ui::EnableWindow(combo, true);
        ui::ShowWindow(combo, ui::SW_SHOW);
        ui::ShowWindow(typeName, ui::SW_HIDE);
    }
    ui::EnableWindow(ui::GetDlgItem(dialog, kIdCorpsName), true);
    ui::SetDlgItemText(dialog, kIdCorpsName, e.name);
    ui::SendMessage(combo, ui::CB_SETCURSEL,
                    ui::WParam(rules::CountProductionTypesBelow(*World().tables, e.productionType)), 0);
    char text[32];
    for (int c = 0; c < 5; ++c) {
        std::snprintf(text, sizeof text, "%3d%s%3d", e.templates[c], Sjis("／").c_str(), e.troops[c]);
        ui::SetDlgItemText(dialog, kIdCorpsCounts + c, text);
    }
    // Dialog 317's 1179 is its キャンセル button: its caption stays.
    if (!isChoice) {
        std::snprintf(text, sizeof text, "%3d%s%3d", templates, Sjis("／").c_str(), troops);
        ui::SetDlgItemText(dialog, kIdCorpsTotal, text);
    }
    SelectOnlyRow(List(dialog), CorpsRowOfEntry(entry));
}

void Refresh(ui::Hwnd dialog) {
    const int entry = SelectedEntry(dialog);
    const std::string remembered = ValidEntry(entry) ? gEntries[std::size_t(entry)].fileName : "";
    ListCorpsFiles(dialog);
    FillCorpsList(dialog);
    int show = gRowEntry.empty() ? -1 : gRowEntry.front();
    for (int r = 0; r < int(gRowEntry.size()); ++r) {
        if (remembered == gEntries[std::size_t(gRowEntry[std::size_t(r)])].fileName) show = gRowEntry[std::size_t(r)];
    }
    ShowCorpsEntry(dialog, show);
}

int RenameCorps(ui::Hwnd dialog, int entry) {
    if (!ValidEntry(entry)) return 0;
    std::string typed = ui::GetDlgItemText(dialog, kIdCorpsName);
    typed.resize(std::min<std::size_t>(typed.size(), core::SjisCutLength(typed, 23)));
    const std::string name = fw::StripSpaces(typed.c_str());
    CorpsFileEntry& e = gEntries[std::size_t(entry)];
    if (name.empty()) {
        Tell(dialog, "名称が設定されていません。");
        ui::SetDlgItemText(dialog, kIdCorpsName, e.name);
        return 0;
    }
    char stored[24] = {};
    char typedName[24] = {};
    std::memcpy(stored, e.name, strnlen(e.name, 24));
    std::memcpy(typedName, name.data(), std::min<std::size_t>(name.size(), 24));
    if (std::memcmp(stored, typedName, 24) == 0) return 0;
    rules::ForceCursor fc = WorkingForce();
    if (!LoadEntry(fc, entry).ok) return 0;
    fc.SetName(name.c_str());
    return SaveWorking(dialog, fc, e.fileName) ? 1 : 0;
}

int NewCorps(ui::Hwnd dialog) {
    if (!Ask(dialog, "新規データを作成します。よろしいですか？")) return 0;
    const auto name = rules::MakeNewUserForceFileName(World().corpsDirectory);
    if (!name) return 0;
    rules::ForceCursor fc = WorkingForce();
    fc.ClearForce();
    fc.SetName(Sjis("新規編成").c_str());
    fc.SetHeaderWord288(0);
    return SaveWorking(dialog, fc, *name) ? 1 : 0;
}

int DuplicateCorps(ui::Hwnd dialog, int entry) {
    if (!ValidEntry(entry)) return 0;
    if (!Ask(dialog, ToUtf8(gEntries[std::size_t(entry)].name) + "を複製します。よろしいですか？")) return 0;
    rules::ForceCursor fc = WorkingForce();
    if (!LoadEntry(fc, entry).ok) return 0;
    const auto name = rules::MakeNewUserForceFileName(World().corpsDirectory);
    if (!name) return 0;
    return SaveWorking(dialog, fc, *name) ? 1 : 0;
}

int DeleteCorps(ui::Hwnd dialog, int entry) {
    if (!ValidEntry(entry)) return 0;
    if (!Ask(dialog, ToUtf8(gEntries[std::size_t(entry)].name) + "を削除します。よろしいですか？")) return 0;
    return core::DeleteFile(rules::GamePath(World().corpsDirectory, "USER", gEntries[std::size_t(entry)].fileName))
               ? 1
               : 0;
}

int SetCorpsProductionType(ui::Hwnd dialog, int entry, int type) {
    if (!ValidEntry(entry)) return 0;
    rules::ForceCursor fc = WorkingForce();
    if (!LoadEntry(fc, entry).ok) return 0;
    fc.SetHeaderWord288(std::uint16_t(type));
    return SaveWorking(dialog, fc, gEntries[std::size_t(entry)].fileName) ? 1 : 0;
}

void SelectNewestCorps(ui::Hwnd dialog) {
    std::chrono::system_clock::time_point newest{};
    int row = 0;
    for (int r = 0; r < int(gRowEntry.size()); ++r) {
        const auto t = core::GetLastWriteTime(
            rules::GamePath(World().corpsDirectory, "USER", gEntries[std::size_t(gRowEntry[std::size_t(r)])].fileName));
        if (t && *t > newest) {
            newest = *t;
            row = r;
        }
    }
    SelectOnlyRow(List(dialog), row);
    ui::SetFocus(List(dialog));
    ShowCorpsEntry(dialog, CorpsEntryOfRow(row));
}

void EditCorps(ui::Hwnd dialog, int entry) {
    if (!ValidEntry(entry)) return;
    if (RunCorpsEditor(dialog, gEntries[std::size_t(entry)].fileName) == 1) Refresh(dialog);
}

// What the corps dialogs (309 and 317 through CorpsManagerDialog, 325 through CorpsListDialog)
// share: the list's columns and owner-drawn rows, the name edit's keys, the typed name not yet
// written, and the commands on the files. Each dialog has its own.
class CorpsDialog : public ui::DialogObject {
  public:
    using DialogObject::DialogObject;

    ui::WndProc EditProc() const { return editProc_; }

  protected:
    void InitCommon();
    bool OnCommonCommand(int id, int code);
    intptr_t OnCommonNotify(const ui::NmHdr* hdr, ui::LParam l, bool commitPending);
    // What both dialogs do alike with any other message: the owner-drawn rows and the end.
    intptr_t CommonMessage(std::uint32_t msg, ui::WParam w, ui::LParam l) {
        if (msg == ui::WM_DRAWITEM) {
            fw::DrawOwnerDrawItem(Handle(), int(w), reinterpret_cast<const ui::DrawItemStruct*>(l), 10);
            return 1;
        }
        if (msg == ui::WM_DESTROY) OnDestroy();
        return 0;
    }
    void OnDestroy() {
        // The edit keeps working after this object goes.
        ui::Hwnd edit = ui::GetDlgItem(Handle(), kIdCorpsName);
        if (edit && editProc_) ui::SetWindowLongPtr(edit, ui::GWLP_WNDPROC, reinterpret_cast<intptr_t>(editProc_));
        editProc_ = nullptr;
    }

    int pending_ = -1;  // entry of a typed, not yet written name
    ui::Font font_;

  private:
    ui::WndProc editProc_ = nullptr;
};

const CorpsDialog* CorpsDialogOf(ui::Hwnd dialog);

// Enter and Esc in the name edit become the dialog's IDOK and IDCANCEL.
ui::LResult NameEditProc(ui::Hwnd h, std::uint32_t msg, ui::WParam w, ui::LParam l) {
    if (msg == ui::WM_GETDLGCODE && l) {
        const auto* m = reinterpret_cast<const ui::Msg*>(l);
        if (m->message == ui::WM_KEYDOWN && (m->wParam == ui::VK_RETURN || m->wParam == ui::VK_ESCAPE)) {
            return ui::DLGC_WANTALLKEYS;
        }
    }
    if (msg == ui::WM_KEYDOWN && (w == ui::VK_RETURN || w == ui::VK_ESCAPE)) {
        ui::SendMessage(ui::GetParent(h), ui::WM_COMMAND, w == ui::VK_RETURN ? ui::IDOK : ui::IDCANCEL, 0);
        return 0;
    }
    if (msg == ui::WM_CHAR && (w == '\r' || w == 0x1B)) return 0;
    if (msg == ui::WM_COMMAND) return 0;
    // Only a corps dialog puts this procedure on its edit, and takes it off before it goes.
    const CorpsDialog* dialog = CorpsDialogOf(ui::GetParent(h));
    if (!dialog || !dialog->EditProc()) return ui::DefWindowProc(h, msg, w, l);
    return ui::CallWindowProc(dialog->EditProc(), h, msg, w, l);
}

void CorpsDialog::InitCommon() {
    const ui::Hwnd dialog = Handle();
    pending_ = -1;
    ui::Hwnd lv = List(dialog);
    std::string name = Sjis("軍団名称");
    std::string type = Sjis("生産ﾀｲﾌﾟ");
    ui::LvColumn c0;
    c0.mask = ui::LVCF_FMT | ui::LVCF_WIDTH | ui::LVCF_TEXT;
    c0.fmt = ui::LVCFMT_LEFT;
    c0.cx = 158;
    c0.pszText = name.data();
    ui::SendMessage(lv, ui::LVM_INSERTCOLUMNA, 0, reinterpret_cast<ui::LParam>(&c0));
    ui::LvColumn c1 = c0;
    c1.fmt = ui::LVCFMT_CENTER;
    c1.cx = 64;
    c1.pszText = type.data();
    c1.mask |= ui::LVCF_SUBITEM;
    c1.iSubItem = 1;
    ui::SendMessage(lv, ui::LVM_INSERTCOLUMNA, 1, reinterpret_cast<ui::LParam>(&c1));
    ui::Hwnd combo = ui::GetDlgItem(dialog, kIdCorpsType);
    if (combo && ui::GetClassName(combo) == "COMBOBOX") {
        for (int k = 0; k < rules::GetProductionTypeCount(); ++k) {
            if (!rules::IsProductionTypePresent(*World().tables, k)) continue;
            const std::string n(rules::GetProductionTypeName(*World().tables, k));
            ui::SendMessage(combo, ui::CB_ADDSTRING, 0, reinterpret_cast<ui::LParam>(n.c_str()));
        }
    }
    ui::SendDlgItemMessage(dialog, kIdCorpsName, ui::EM_LIMITTEXT, 24, 0);
    ListCorpsFiles(dialog);
    FillCorpsList(dialog);
    ShowCorpsEntry(dialog, -1);
    ui::Hwnd edit = ui::GetDlgItem(dialog, kIdCorpsName);
    if (edit && ui::GetClassName(edit) == "EDIT") {
        editProc_ = reinterpret_cast<ui::WndProc>(
            ui::SetWindowLongPtr(edit, ui::GWLP_WNDPROC, reinterpret_cast<intptr_t>(&NameEditProc)));
    }
    // The regular weight: the pixel boxes of the list page are made for it ("%3d／%3d" in 53
    // pixels, "生産ﾀｲﾌﾟ：" in 62).
    font_ = fw::CreateJapaneseFont(12, 1, 0);
    // The file names only back the rows; the list never shows.
    ui::ShowWindow(ui::GetDlgItem(dialog, kIdCorpsFiles), ui::SW_HIDE);
}

// The commands both dialogs share; true when handled.
bool CorpsDialog::OnCommonCommand(int id, int code) {
    const ui::Hwnd dialog = Handle();
    switch (id) {
        case kIdCorpsName:
            if (code == ui::EN_CHANGE && ui::GetFocus() == ui::GetDlgItem(dialog, kIdCorpsName)) {
                pending_ = SelectedEntry(dialog);
            }
            return true;
        case ui::IDOK:
            // Renaming with no pending entry does nothing.
            if (pending_ >= 0 && RenameCorps(dialog, pending_)) Refresh(dialog);
            pending_ = -1;
            return true;
        case ui::IDCANCEL:
            if (pending_ >= 0) {
                ShowCorpsEntry(dialog, pending_);
                Refresh(dialog);
                pending_ = -1;
            }
            return true;
        case kIdCorpsNew:
            if (gFileCount >= kCorpsFileLimit) {
                Tell(dialog, "軍団編成データは１００件までしか作成できません");
                return true;
            }
            if (NewCorps(dialog)) {
                Refresh(dialog);
                SelectNewestCorps(dialog);
                pending_ = -1;
            }
            return true;
        case kIdCorpsCopy:
            if (gFileCount >= kCorpsFileLimit) {
                Tell(dialog, "軍団編成データは１００件までしか作成できません");
                return true;
            }
            if (DuplicateCorps(dialog, SelectedEntry(dialog))) {
                Refresh(dialog);
                pending_ = -1;
            }
            return true;
        case kIdCorpsDelete:
            if (DeleteCorps(dialog, SelectedEntry(dialog))) {
                Refresh(dialog);
                ShowCorpsEntry(dialog, -1);
                pending_ = -1;
            }
            return true;
        case kIdCorpsType:
            if (code == ui::CBN_SELCHANGE) {
                const int n = int(ui::SendDlgItemMessage(dialog, kIdCorpsType, ui::CB_GETCURSEL, 0, 0));
                if (n >= 0 &&
                    SetCorpsProductionType(dialog, SelectedEntry(dialog),
                                           rules::GetNthProductionType(*World().tables, n))) {
                    Refresh(dialog);
                    pending_ = -1;
                }
            }
            return true;
        case kIdCorpsEdit:
            EditCorps(dialog, SelectedEntry(dialog));
            return true;
        default:
            return false;
    }
}

intptr_t CorpsDialog::OnCommonNotify(const ui::NmHdr* hdr, ui::LParam l, bool commitPending) {
    const ui::Hwnd dialog = Handle();
    if (!hdr || int(hdr->idFrom) != kIdCorpsList) return 0;
    if (hdr->code == ui::LVN_BEGINLABELEDITA) {
        if (ui::Hwnd edit = ui::Hwnd{std::uint32_t(ui::SendMessage(List(dialog), ui::LVM_GETEDITCONTROL, 0, 0))}) {
            ui::SendMessage(edit, ui::EM_LIMITTEXT, 24, 0);
        }
        return 0;
    }
    if (hdr->code == ui::LVN_ENDLABELEDITA) {
        const auto* info = reinterpret_cast<const ui::NmLvDispInfo*>(l);
        if (info->item.pszText) {
            ui::SetDlgItemText(dialog, kIdCorpsName, info->item.pszText);
            if (RenameCorps(dialog, CorpsEntryOfRow(info->item.iItem))) Refresh(dialog);
        }
        return 0;
    }
    if (hdr->code != ui::NM_CLICK && hdr->code != ui::NM_RCLICK && hdr->code != ui::LVN_BEGINDRAG) return 0;
    const int row = reinterpret_cast<const ui::NmListView*>(l)->iItem;
    if (commitPending && pending_ >= 0) {
        if (RenameCorps(dialog, pending_)) Refresh(dialog);
        pending_ = -1;
    }
    const int entry = CorpsEntryOfRow(row);
    ShowCorpsEntry(dialog, entry);
    if (ui::Hwnd parent = ui::GetParent(dialog); parent && (ui::GetWindowLong(dialog, ui::GWL_STYLE) & ui::WS_CHILD)) {
        ui::SendMessage(parent, WM_CORPS_CHOSEN, ui::WParam(entry), 0);
    }
    return 0;
}

const ui::Brush kBlackBrush = ui::Brush::SolidColor(ui::Rgb(0, 0, 0));


// Dialog 309, the corps file manager, and dialog 317, the choice of a corps file (its 読込 ends
// it with the chosen entry).
class CorpsManagerDialog : public CorpsDialog {
  public:
    using CorpsDialog::CorpsDialog;

    intptr_t Dispatch(std::uint32_t msg, ui::WParam w, ui::LParam l) {
        switch (msg) {
            case ui::WM_INITDIALOG:
                OnInit();
                return 1;
            case ui::WM_NOTIFY:
                return OnCommonNotify(reinterpret_cast<const ui::NmHdr*>(l), l, true);
            case ui::WM_COMMAND:
                return OnCommand(ui::LoWord(w), ui::HiWord(w));
            case ui::WM_CLOSE:
                // Closing the window is a cancel: in the choice it must not read as "entry 0 chosen".
                End(isChoice_ ? -1 : 0);
                return 1;
            default:
                return CommonMessage(msg, w, l);
        }
    }

  private:
    void OnInit() {
        const ui::Hwnd dialog = Handle();
        isChoice_ = IsChoiceDialog(dialog);
        InitCommon();
        gEditMode = 1;
        ui::Rect r{};
        ui::GetWindowRect(dialog, &r);
        fw::CenterWindowOnScreen(dialog, r.right - r.left, r.bottom - r.top, 0);
    }
    intptr_t OnCommand(int id, int code) {
        const ui::Hwnd dialog = Handle();
        if (isChoice_) {
            if (id == kIdCorpsLoad) End(SelectedEntry(dialog));
            if (id == kIdCorpsCancel) End(-1);
            if (id == kIdCorpsLoad || id == kIdCorpsCancel) return 1;
        }
        if (id == kIdCorpsClose) {
            if (const int entry = SelectedEntry(dialog); entry >= 0) RenameCorps(dialog, entry);
            End(0);
            return 1;
        }
        return OnCommonCommand(id, code) ? 1 : 0;
    }

    bool isChoice_ = false;
};

// Dialog 325, the corps list of the set-up pages (a child of its page).
class CorpsListDialog : public CorpsDialog {
  public:
    using CorpsDialog::CorpsDialog;

    intptr_t Dispatch(std::uint32_t msg, ui::WParam w, ui::LParam l) {
        switch (msg) {
            case ui::WM_INITDIALOG:
                InitCommon();
                PlaceListControls();
                return 1;
            case ui::WM_NOTIFY:
                return OnCommonNotify(reinterpret_cast<const ui::NmHdr*>(l), l, false);
            case ui::WM_COMMAND:
                return OnCommonCommand(ui::LoWord(w), ui::HiWord(w)) ? 1 : 0;
            case WM_CORPS_LIST_CLEAR:
                SelectOnlyRow(List(Handle()), -1);
                pending_ = -1;
                ShowCorpsEntry(Handle(), -1);
                return 1;
            case ui::WM_CTLCOLORSTATIC:
                if (auto* dc = reinterpret_cast<ui::Canvas*>(w)) {
                    dc->SetTextColor(ui::Rgb(255, 255, 255));
                    dc->SetBkMode(ui::TRANSPARENT);
                }
                return reinterpret_cast<intptr_t>(&kBlackBrush);
            case ui::WM_ERASEBKGND:
                return 1;
            default:
                return CommonMessage(msg, w, l);
        }
    }

  private:
    void PlaceListControls() {
        struct Place {
            int id, x, y, w, h;
        };
        static constexpr Place kPlaces[] = {
            {kIdCorpsList, 6, 6, 227, 290},  {kIdCorpsFrame, 242, 14, 225, 282}, {1226, 252, 32, 38, 12},
            {kIdCorpsName, 296, 32, 150, 20}, {1227, 252, 63, 62, 12},          {kIdCorpsType, 326, 59, 120, 20},
            {kIdCorpsTypeName, 326, 59, 120, 20},
            {1228, 266, 114, 26, 12},         {1229, 266, 132, 26, 12},         {1230, 266, 150, 26, 12},
            {1231, 266, 168, 26, 12},         {1174, 396, 114, 53, 12},         {1175, 396, 132, 53, 12},
            {1176, 396, 150, 53, 12},         {1177, 396, 168, 53, 12},         {1232, 266, 186, 26, 12},
            {1178, 396, 186, 53, 12},         {1233, 266, 222, 26, 12},         {1179, 396, 222, 53, 12},
            {kIdCorpsNew, 479, 32, 107, 20},  {kIdCorpsEdit, 479, 59, 107, 20}, {kIdCorpsCopy, 479, 86, 107, 20},
            {kIdCorpsDelete, 479, 113, 107, 20}};
        const ui::Hwnd dialog = Handle();
        for (const Place& p : kPlaces) {
            ui::Hwnd h = ui::GetDlgItem(dialog, p.id);
            if (!h) continue;
            ui::MoveWindow(h, p.x, p.y, p.w, p.h, false);
            ui::SendMessage(h, ui::WM_SETFONT, reinterpret_cast<ui::WParam>(&font_), 0);
        }
        for (int id : {kIdCorpsNew, kIdCorpsEdit, kIdCorpsCopy, kIdCorpsDelete}) {
            ui::ShowWindow(ui::GetDlgItem(dialog, id), gEditMode == 1 ? ui::SW_SHOW : ui::SW_HIDE);
        }
    }
};

// The list of the set-up pages is a child; the manager and the choice are pop-ups.
const CorpsDialog* CorpsDialogOf(ui::Hwnd dialog) {
    if (ui::GetWindowLong(dialog, ui::GWL_STYLE) & ui::WS_CHILD) return ui::DialogObjectOf<CorpsListDialog>(dialog);
    return ui::DialogObjectOf<CorpsManagerDialog>(dialog);
}

// Dialog 318: load a corps file, edit the corps the slot holds, or cancel.
class CorpsConfirmDialog : public ui::DialogObject {
  public:
    using DialogObject::DialogObject;

    intptr_t Dispatch(std::uint32_t msg, ui::WParam w, ui::LParam) {
        switch (msg) {
            case ui::WM_INITDIALOG: {
                ui::Rect r{};
                ui::GetWindowRect(Handle(), &r);
                fw::CenterWindowOnScreen(Handle(), r.right - r.left, r.bottom - r.top, 0);
                return 1;
            }
            case ui::WM_COMMAND: {
                const int id = ui::LoWord(w);
                if (id >= kIdCorpsCancel && id <= kIdCorpsEditSelected) End(id);
                if (id == ui::IDCANCEL) End(kIdCorpsCancel);
                return 1;
            }
            case ui::WM_CLOSE:
                End(kIdCorpsCancel);
                return 1;
            default:
                return 0;
        }
    }
};

}  // namespace

void SetCorpsListEditMode(int mode) { gEditMode = mode; }

const CorpsFileEntry* GetCorpsFileEntry(int i) {
    return i >= 0 && i < kCorpsFileLimit ? &gEntries[std::size_t(i)] : nullptr;
}

int CorpsFileHasHQ(int i) { return i >= 0 && i < kCorpsFileLimit ? gEntries[std::size_t(i)].hasHq : 0; }
int GetCorpsFileCount() { return gFileCount; }

int CorpsEntryOfRow(int row) {
    return row >= 0 && row < int(gRowEntry.size()) ? gRowEntry[std::size_t(row)] : -1;
}

int CorpsRowOfEntry(int entry) {
    for (int r = 0; r < int(gRowEntry.size()); ++r) {
        if (gRowEntry[std::size_t(r)] == entry) return r;
    }
    return -1;
}

int ShowCorpsFileManager(ui::Hwnd owner) {
    RegisterOrganizeWindows();
    ui::DialogBoxParam(nullptr, kCorpsManagerDialog, owner, CorpsFileManagerDlgProc, 0);
    return 1;
}

ui::Hwnd CreateCorpsListDialog(ui::Hwnd parentPage) {
    RegisterOrganizeWindows();
    ui::DialogTemplate t;
    if (!ui::DialogRegistry::Global().Find(kCorpsListDialog, &t)) return {};
    t.style = (t.style & ~ui::WS_POPUP) | ui::WS_CHILD;
    return ui::CreateDialogIndirectParam(nullptr, t, parentPage, CorpsListDlgProc, 0);
}

intptr_t CorpsFileManagerDlgProc(ui::Hwnd dialog, std::uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::DialogObjectProc<CorpsManagerDialog>(dialog, msg, w, l);
}

intptr_t CorpsListDlgProc(ui::Hwnd dialog, std::uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::DialogObjectProc<CorpsListDialog>(dialog, msg, w, l);
}

intptr_t CorpsConfirmDlgProc(ui::Hwnd dialog, std::uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::DialogObjectProc<CorpsConfirmDialog>(dialog, msg, w, l);
}

std::int16_t ChooseCountryCorps(ui::Hwnd owner, int country, int index) {
    RegisterOrganizeWindows();
    int files = 0;
    {
        rules::ForceCursor scan(*World().tables, kWorkingForce, nullptr);
        scan.SelectSlot(kWorkingForce);
        for (int n = 0; n < kCorpsFileLimit; ++n) {
            char name[32];
            std::snprintf(name, sizeof name, "useFrc%02d.prm", n);
            if (core::FileExists(rules::GamePath(World().corpsDirectory, "USER", name)) &&
                scan.LoadUserForceFile(World().corpsDirectory, name).ok) {
                ++files;
            }
        }
    }
    rules::ForceCursor slot(*World().tables, std::uint8_t(country), nullptr);
    slot.SelectSlot(std::uint8_t(country));
    const bool hasCorps = slot.GetHeaderWord282() != 0;
    int choice = kIdCorpsCancel;
    if (files > 0 && hasCorps) {
        choice = int(ui::DialogBoxParam(nullptr, kCorpsConfirmDialog, owner, CorpsConfirmDlgProc, 0));
    } else if (files > 0) {
        choice = kIdCorpsLoad;
    } else if (hasCorps) {
        choice = kIdCorpsEditSelected;
    }
    if (choice == kIdCorpsCancel) return -1;
    if (choice == kIdCorpsLoad) {
        const intptr_t e = ui::DialogBoxParam(nullptr, kCorpsChoiceDialog, owner, CorpsFileManagerDlgProc, 0);
        if (e < 0 || !ValidEntry(int(e))) return -1;
        rules::ForceCursor target(*World().tables, std::uint8_t(country), nullptr);
        target.SelectSlot(std::uint8_t(country));
        if (!target.LoadUserForceFile(World().corpsDirectory, gEntries[std::size_t(e)].fileName).ok) return -1;
        return std::int16_t(e);
    }
    if (choice == kIdCorpsEditSelected) {
        rules::ForceCursor fc(*World().tables, kWorkingForce, World().workspace);
        fc.LoadSlotToWork(std::uint8_t(country));
        fc.SelectSlot(kWorkingForce);
        const std::string title = std::string(fc.GetName()) + " " +
                                  std::string(rules::GetProductionTypeName(*World().tables, fc.GetHeaderWord288()));
        SetOrganizeTitle(title.c_str());
        SetOrganizeParams(0, 1, 0, kAllCountriesScope, 0);
        // The corps lives in the country's slot, not in a file of its own: no corps file is
        // written (the last file read while counting belongs to another corps).
        SetOrganizeSaveFile("");
        if (RunOrganizeDialog(owner) == 0) return -1;
        fc.StoreWorkToSlot(std::uint8_t(country));
        return std::int16_t(index);
    }
    return 0;
}

}  // namespace zv::organize
