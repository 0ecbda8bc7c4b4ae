#include "platform/ui/FileDialog.h"

#include <sys/stat.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/core/Paths.h"
#include "platform/core/Sjis.h"
#include "platform/ui/ClassicTheme.h"
#include "platform/ui/FileDialogNames.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/SysColors.h"
#include "platform/ui/Window.h"
#include "platform/ui/controls/ControlConstants.h"

namespace zv::ui {

namespace {

thread_local uint32_t gLastError = 0;

std::string Sjis(const char* utf8) {
    return zv::core::Utf8ToSjis(utf8);
}

bool IsFolder(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsFile(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

// ---------------------------------------------------------------------------------------
// Icons: 16 x 16 pictures in the classic style, one character a pixel.

constexpr int kIcon = 16;

const char* const kFolderIcon[kIcon] = {
    "................", "................", "................", "..ooooo.........",
    ".oyyyyyo........", "oyyyyyyyoooooo..", "owwwwwwwwwwwwwok", "owyyyyyyyyyyyyok",
    "owyyyyyyyyyyyyok", "owyyyyyyyyyyyyok", "owyyyyyyyyyyyyok", "owyyyyyyyyyyyyok",
    "owyyyyyyyyyyyyok", "oooooooooooooook", ".kkkkkkkkkkkkkkk", "................",
};

const char* const kFileIcon[kIcon] = {
    "...kkkkkkkk.....", "...kwwwwwwkk....", "...kwwwwwwkwk...", "...kwwwwwwkwwk..",
    "...kwwwwwwkkkkk.", "...kwwwwwwwwwwk.", "...kwbbbbbbbbwk.", "...kwwwwwwwwwwk.",
    "...kwbbbbbbbbwk.", "...kwwwwwwwwwwk.", "...kwbbbbbbbbwk.", "...kwwwwwwwwwwk.",
    "...kwbbbbbwwwwk.", "...kwwwwwwwwwwk.", "...kkkkkkkkkkkk.", "................",
};

const char* const kUpFolderIcon[kIcon] = {
    "................", "..........k.....", ".........kkk....", "........kkkkk...",
    "..ooooo...k.....", ".oyyyyyo..k.....", "oyyyyyyyookoooo.", "owwwwwwwwwkwwwok",
    "owyyyykkkkkyyyok", "owyyyyyyyyyyyyok", "owyyyyyyyyyyyyok", "owyyyyyyyyyyyyok",
    "owyyyyyyyyyyyyok", "oooooooooooooook", ".kkkkkkkkkkkkkkk", "................",
};

ColorRef IconColor(char c) {
    switch (c) {
        case 'k':
            return Rgb(0, 0, 0);
        case 'o':
            return Rgb(128, 96, 0);
        case 'y':
            return Rgb(255, 224, 96);
        case 'w':
            return Rgb(255, 255, 255);
        case 'b':
            return Rgb(96, 112, 160);
        default:
            return Rgb(255, 255, 224);
    }
}

void DrawIcon(Canvas& dc, int x, int y, const char* const* rows, bool disabled) {
    for (int r = 0; r < kIcon; ++r) {
        for (int c = 0; c < kIcon; ++c) {
            const char p = rows[r][c];
            if (p == '.') continue;
            if (disabled) {
                // Only the outlines, greyed, as disabled tool buttons show.
                if (p == 'k' || p == 'o') {
                    dc.SetPixel(x + c + 1, y + r + 1, GetSysColor(COLOR_BTNHIGHLIGHT));
                    dc.SetPixel(x + c, y + r, GetSysColor(COLOR_BTNSHADOW));
                }
                continue;
            }
            dc.SetPixel(x + c, y + r, IconColor(p));
        }
    }
}

// ---------------------------------------------------------------------------------------
// The dialog's state, kept by GetOpenFileName / GetSaveFileName for the life of the dialog.

struct LookInItem {
    std::string path;   // disk bytes
    std::string shown;  // Shift-JIS
    int depth = 0;
};

struct State {
    OpenFileName* ofn = nullptr;
    bool save = false;
    std::vector<filedlg::FilterEntry> filters;
    int type = 0;               // index into filters
    std::string customPattern;  // a pattern typed into the name edit, until the type changes
    std::string folder;         // disk bytes, normalised
    std::vector<filedlg::DirEntry> entries;
    std::vector<LookInItem> lookIn;
    std::string initialName;  // Shift-JIS, for the edit
    Hwnd dlg{};
    Hwnd child{};
    int standardHeight = 0;
    bool ended = false;
    int result = 0;
    uint32_t error = 0;
    std::string okPath;  // what CDN_FILEOK shows the hook
    // A folder was picked in the list after the name was last typed: Open goes into it.
    bool folderPicked = false;
    bool settingName = false;  // the dialog itself is writing the name edit
};

State* StateOf(Hwnd dlg) {
    return reinterpret_cast<State*>(GetWindowLongPtr(dlg, DWLP_USER));
}

std::string Title(const State& st) {
    if (st.ofn->title && *st.ofn->title) return st.ofn->title;
    return Sjis(st.save ? "名前を付けて保存" : "開く");
}

std::string CurrentPattern(const State& st) {
    if (!st.customPattern.empty()) return st.customPattern;
    if (st.type >= 0 && st.type < static_cast<int>(st.filters.size()))
        return st.filters[static_cast<std::size_t>(st.type)].pattern;
    return "*";
}

void Say(State& st, const std::string& utf8Format, const std::string& sjisArg) {
    const std::string text = Sjis(utf8Format.c_str());
    std::string out;
    const std::size_t at = text.find("%s");
    out = at == std::string::npos ? text : text.substr(0, at) + sjisArg + text.substr(at + 2);
    MessageBox(st.dlg, out, Title(st), MB_OK | MB_ICONEXCLAMATION);
}

LResult Notify(State& st, uint32_t code) {
    if (!IsWindow(st.child)) return 0;
    OfNotify n;
    n.hdr.hwndFrom = st.dlg;
    n.hdr.idFrom = 0;
    n.hdr.code = code;
    n.ofn = st.ofn;
    n.file = code == CDN_FILEOK ? st.okPath.data() : nullptr;
    return SendMessage(st.child, WM_NOTIFY, 0, reinterpret_cast<LParam>(&n));
}

int Selected(const State& st) {
    const auto i = static_cast<int>(SendDlgItemMessage(st.dlg, lst1, LB_GETCURSEL, 0, 0));
    return i >= 0 && i < static_cast<int>(st.entries.size()) ? i : -1;
}

void FillLookIn(State& st) {
    st.lookIn.clear();
    const std::vector<std::string> chain = filedlg::FolderChain(st.folder);
    for (std::size_t i = 0; i < chain.size(); ++i) {
        const std::string name = filedlg::LastComponent(chain[i]);
        st.lookIn.push_back({chain[i], name.empty() ? "/" : filedlg::DisplayName(name),
                             static_cast<int>(i)});
    }
    // The program's folder, when it is not on the way to this one: the game's own files.
    const std::string program = filedlg::NormalizeFolder(zv::core::ExecutableDirectory());
    if (std::find(chain.begin(), chain.end(), program) == chain.end()) {
        st.lookIn.push_back({program, filedlg::DisplayName(filedlg::LastComponent(program)), 0});
    }
    const Hwnd combo = GetDlgItem(st.dlg, cmb2);
    SendMessage(combo, CB_RESETCONTENT, 0, 0);
    for (std::size_t i = 0; i < st.lookIn.size(); ++i) {
        SendMessage(combo, CB_ADDSTRING, 0, reinterpret_cast<LParam>(st.lookIn[i].shown.c_str()));
        SendMessage(combo, CB_SETITEMDATA, i, static_cast<LParam>(i));
    }
    SendMessage(combo, CB_SETCURSEL, chain.size() - 1, 0);
}

void FillList(State& st) {
    const Hwnd list = GetDlgItem(st.dlg, lst1);
    SendMessage(list, LB_RESETCONTENT, 0, 0);
    for (std::size_t i = 0; i < st.entries.size(); ++i) {
        SendMessage(list, LB_ADDSTRING, 0, reinterpret_cast<LParam>(st.entries[i].display.c_str()));
        SendMessage(list, LB_SETITEMDATA, i, static_cast<LParam>(i));
    }
}

int FindEntry(const State& st, const std::string& disk) {
    for (std::size_t i = 0; i < st.entries.size(); ++i) {
        if (st.entries[i].disk == disk) return static_cast<int>(i);
    }
    return -1;
}

void SetName(State& st, const std::string& sjis) {
    st.settingName = true;
    SetDlgItemText(st.dlg, edt1, sjis);
    st.settingName = false;
}

void SelectionChanged(State& st) {
    const int i = Selected(st);
    st.folderPicked = i >= 0 && st.entries[static_cast<std::size_t>(i)].folder;
    if (i >= 0 && !st.folderPicked) SetName(st, st.entries[static_cast<std::size_t>(i)].display);
    Notify(st, CDN_SELCHANGE);
}

void Select(State& st, int i) {
    SendDlgItemMessage(st.dlg, lst1, LB_SETCURSEL, static_cast<WParam>(i), 0);
    SelectionChanged(st);
}

// Shows another folder. `select` names an entry (disk bytes) to select there. False, with a
// message unless quiet, when the folder cannot be read: nothing changes then.
bool Navigate(State& st, const std::string& to, const std::string& select = {},
              bool quiet = false) {
    const std::string folder = filedlg::NormalizeFolder(to);
    auto list = filedlg::ListFolder(folder, CurrentPattern(st));
    if (!list) {
        if (!quiet) Say(st, "フォルダ「%s」を開けません。", filedlg::DisplayPath(folder));
        FillLookIn(st);  // the look-in combo may have moved
        return false;
    }
    st.folder = folder;
    st.entries = std::move(*list);
    FillList(st);
    FillLookIn(st);
    EnableWindow(GetDlgItem(st.dlg, kFileDialogUpButton), st.folder != "/");
    Notify(st, CDN_FOLDERCHANGE);
    if (!select.empty()) {
        const int i = FindEntry(st, select);
        if (i >= 0) Select(st, i);
    }
    return true;
}

// The same folder again (a new type, F5): the selection stays where its entry still is.
void Refresh(State& st) {
    const int sel = Selected(st);
    const std::string keep = sel >= 0 ? st.entries[static_cast<std::size_t>(sel)].disk : "";
    auto list = filedlg::ListFolder(st.folder, CurrentPattern(st));
    if (!list) return;
    st.entries = std::move(*list);
    FillList(st);
    const int again = keep.empty() ? -1 : FindEntry(st, keep);
    if (again >= 0) SendDlgItemMessage(st.dlg, lst1, LB_SETCURSEL, static_cast<WParam>(again), 0);
    if (sel >= 0 && again < 0) Notify(st, CDN_SELCHANGE);
}

void GoUp(State& st) {
    if (st.folder == "/") return;
    Navigate(st, filedlg::ParentFolder(st.folder), filedlg::LastComponent(st.folder));
}

std::string EditText(const State& st) {
    std::string t = GetDlgItemText(st.dlg, edt1);
    while (!t.empty() && t.front() == ' ') t.erase(t.begin());
    while (!t.empty() && t.back() == ' ') t.pop_back();
    return t;
}

// What the name edit means as a path (disk bytes); empty when it holds nothing.
std::string TypedPath(const State& st) {
    const std::string text = EditText(st);
    return text.empty() ? std::string() : filedlg::MapTypedPath(st.folder, text);
}

LResult AnswerText(Hwnd dlg, const std::string& text, WParam size, LParam buffer) {
    const std::size_t need = text.size() + 1;
    if (buffer && size >= need) std::memcpy(reinterpret_cast<char*>(buffer), text.c_str(), need);
    SetWindowLongPtr(dlg, DWLP_MSGRESULT, static_cast<intptr_t>(need));
    return 1;
}

bool CanCreate(const std::string& path, bool exists) {
    if (exists) return ::access(path.c_str(), W_OK) == 0;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0) return false;
    ::close(fd);
    ::unlink(path.c_str());
    return true;
}

void End(State& st, int result) {
    st.ended = true;
    st.result = result;
    PostMessage(st.dlg, WM_NULL, 0, 0);  // wakes the loop
}

// The name is chosen: hand it back as the caller asked.
void Finish(State& st, const std::string& path) {
    OpenFileName& ofn = *st.ofn;
    const std::size_t need = path.size() + 1;
    if (need > ofn.maxFile || need > 0xFFFF) {
        Say(st, "パスが長すぎるため、このファイルは使えません。\n%s",
            filedlg::DisplayPath(path));
        if (ofn.maxFile >= 2) {
            // As the system does: the first two bytes tell the size needed.
            const auto n = static_cast<uint16_t>(std::min<std::size_t>(need, 0xFFFF));
            ofn.file[0] = static_cast<char>(n & 0xFF);
            ofn.file[1] = static_cast<char>(n >> 8);
        }
        st.error = FNERR_BUFFERTOOSMALL;
        End(st, 0);
        return;
    }
    std::memcpy(ofn.file, path.c_str(), need);
    const std::size_t slash = path.rfind('/');
    const std::size_t nameAt = slash == std::string::npos ? 0 : slash + 1;
    ofn.fileOffset = static_cast<uint16_t>(nameAt);
    const std::string name = path.substr(nameAt);
    const std::size_t dot = name.rfind('.');
    ofn.fileExtension =
        dot == std::string::npos || dot == 0 ? 0 : static_cast<uint16_t>(nameAt + dot + 1);
    if (ofn.fileTitle && ofn.maxFileTitle > 0) {
        const std::size_t n = zv::core::SjisCutLength(name, ofn.maxFileTitle - 1);
        std::memcpy(ofn.fileTitle, name.data(), n);
        ofn.fileTitle[n] = '\0';
    }
    if (!st.filters.empty()) ofn.filterIndex = static_cast<uint32_t>(st.type + 1);
    if (!(ofn.flags & OFN_HIDEREADONLY)) {
        if (IsDlgButtonChecked(st.dlg, chx1)) {
            ofn.flags |= OFN_READONLY;
        } else {
            ofn.flags &= ~OFN_READONLY;
        }
    }
    if (!(ofn.flags & OFN_NOCHANGEDIR)) {
        const std::string folder = nameAt > 1 ? path.substr(0, nameAt - 1) : std::string("/");
        if (::chdir(folder.c_str()) != 0) {
            // The name is still good; only the current directory stays where it was.
        }
    }
    End(st, 1);
}

// Open / Save (the button or Enter).
void OnOk(State& st) {
    const int sel = Selected(st);
    const bool folderSelected = sel >= 0 && st.entries[static_cast<std::size_t>(sel)].folder;
    const Hwnd list = GetDlgItem(st.dlg, lst1);
    const std::string text = EditText(st);
    if (folderSelected && (GetFocus() == list || text.empty() || st.folderPicked)) {
        Navigate(st, filedlg::JoinPath(st.folder, st.entries[static_cast<std::size_t>(sel)].disk));
        return;
    }
    if (text.empty()) return;
    const uint32_t flags = st.ofn->flags;

    // A pattern filters the list (from its folder, when it names one).
    if (filedlg::HasWildcards(text)) {
        std::string folderPart, pattern;
        filedlg::SplitTyped(text, &folderPart, &pattern);
        if (!folderPart.empty()) {
            const std::string to = filedlg::MapTypedPath(st.folder, folderPart);
            if (!IsFolder(to)) {
                Say(st, "フォルダ「%s」が見つかりません。\nパスを確かめてください。",
                    filedlg::DisplayPath(to));
                return;
            }
            st.customPattern = pattern;
            if (!Navigate(st, to)) return;
        } else {
            st.customPattern = pattern;
            Refresh(st);
        }
        SetName(st, pattern);
        SendDlgItemMessage(st.dlg, edt1, EM_SETSEL, 0, -1);
        return;
    }

    std::string path = filedlg::MapTypedPath(st.folder, text);
    if (IsFolder(path)) {
        if (Navigate(st, path)) SetName(st, "");
        return;
    }
    if (!filedlg::HasExtension(text) && st.ofn->defExt && !IsFile(path)) {
        const std::string pattern = st.type < static_cast<int>(st.filters.size())
                                        ? st.filters[static_cast<std::size_t>(st.type)].pattern
                                        : std::string();
        const std::string ext = filedlg::DefaultExtension(pattern, st.ofn->defExt);
        if (!ext.empty()) path = filedlg::MapTypedPath(st.folder, text + "." + ext);
    }
    const std::string parent = filedlg::ParentFolder(path);
    if (!IsFolder(parent) && (flags & (OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST))) {
        Say(st, "フォルダ「%s」が見つかりません。\nパスを確かめてください。",
            filedlg::DisplayPath(parent));
        return;
    }
    const bool exists = IsFile(path);
    const std::string shownName = filedlg::DisplayName(filedlg::LastComponent(path));
    // A save dialog is there to make new files: only an open dialog insists on an existing one.
    if (!st.save && (flags & OFN_FILEMUSTEXIST) && !exists) {
        Say(st, "「%s」が見つかりません。\nファイル名を確かめてください。", shownName);
        return;
    }
    if (st.save && exists && (flags & OFN_OVERWRITEPROMPT)) {
        const std::string ask =
            Sjis("「") + shownName + Sjis("」はすでにあります。\n上書きしてもよろしいですか？");
        if (MessageBox(st.dlg, ask, Title(st), MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) !=
            IDYES)
            return;
    }
    if (st.save && !(flags & OFN_NOTESTFILECREATE) && !CanCreate(path, exists)) {
        Say(st, "「%s」に保存できません。\nこのフォルダには書き込めないか、名前が使えません。",
            shownName);
        return;
    }
    st.okPath = path;
    if (Notify(st, CDN_FILEOK) != 0) return;  // the hook keeps the dialog open
    Finish(st, path);
}

// ---------------------------------------------------------------------------------------
// The Explorer-style child: the caller's template, or an empty one for a hook alone.

intptr_t PlainChildProc(Hwnd, uint32_t, WParam, LParam) {
    return 0;
}

bool MakeChild(State& st) {
    OpenFileName& ofn = *st.ofn;
    const bool withTemplate = (ofn.flags & OFN_ENABLETEMPLATE) != 0;
    const bool withHook = (ofn.flags & OFN_ENABLEHOOK) != 0;
    if (!withTemplate && !withHook) return true;
    DialogTemplate t;
    if (withTemplate && !DialogRegistry::Global().Find(ofn.templateId, &t)) {
        st.error = CDERR_FINDRESFAILURE;
        return false;
    }
    t.style &= ~(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_VISIBLE | DS_MODALFRAME |
                 DS_CENTER | DS_SYSMODAL);
    t.style |= WS_CHILD | DS_CONTROL;
    t.exStyle &= ~(WS_EX_DLGMODALFRAME | WS_EX_TOPMOST | WS_EX_CLIENTEDGE);
    t.x = t.y = 0;
    if (!withTemplate) t.cx = t.cy = 0;
    st.child = CreateDialogIndirectParam(ofn.instance, t, st.dlg, withHook ? ofn.hook : PlainChildProc,
                                         reinterpret_cast<LParam>(&ofn));
    if (!st.child) {
        st.error = CDERR_DIALOGFAILURE;
        return false;
    }
    if (!withTemplate) return true;  // a hook alone: an empty, hidden child

    // The child's controls go below the standard ones; the dialog grows to hold them, and the
    // child covers the whole client area beneath the standard controls.
    Rect childClient;
    GetClientRect(st.child, &childClient);
    for (Hwnd c : GetDialogControls(st.child)) {
        Rect r;
        GetWindowRect(c, &r);
        Point p{r.left, r.top};
        ScreenToClient(st.child, &p);
        SetWindowPos(c, {}, p.x, p.y + st.standardHeight, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    Rect client, outer;
    GetClientRect(st.dlg, &client);
    GetWindowRect(st.dlg, &outer);
    const int width = std::max(client.Width(), childClient.Width());
    const int height = st.standardHeight + childClient.Height();
    SetWindowPos(st.dlg, {}, 0, 0, width + outer.Width() - client.Width(),
                 height + outer.Height() - client.Height(),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(st.child, HWND_BOTTOM, 0, 0, width, height, SWP_NOACTIVATE);
    ShowWindow(st.child, SW_SHOWNA);
    return true;
}

void Centre(Hwnd dlg) {
    Rect r;
    GetWindowRect(dlg, &r);
    const Rect screen = WindowManager::Current()->ScreenRect();
    const int x = screen.left + std::max(0, (screen.Width() - r.Width()) / 2);
    const int y = screen.top + std::max(0, (screen.Height() - r.Height()) / 2);
    SetWindowPos(dlg, {}, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---------------------------------------------------------------------------------------
// Owner-drawn parts.

const Font& DialogFontOf(Hwnd dlg) {
    const auto* f = reinterpret_cast<const Font*>(SendMessage(dlg, WM_GETFONT, 0, 0));
    return f ? *f : theme::DialogFont();
}

void DrawRow(Canvas& dc, const Font& font, const Rect& r, const std::string& text,
             const char* const* icon, uint32_t state, bool face) {
    dc.SelectFont(font);
    const bool selected = (state & ODS_SELECTED) != 0;
    dc.FillSolid(r, GetSysColor(COLOR_WINDOW));
    const int iconY = r.top + (r.Height() - kIcon) / 2;
    DrawIcon(dc, r.left + 2, iconY, icon, false);
    const Size extent = dc.GetTextExtent(text);
    Rect tr{r.left + kIcon + 5, r.top + 1, std::min<int>(r.right, r.left + kIcon + 9 + extent.cx),
            r.bottom - 1};
    if (selected) dc.FillSolid(tr, GetSysColor(COLOR_HIGHLIGHT));
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    Rect textRect{tr.left + 2, tr.top, tr.right, tr.bottom};
    dc.DrawText(text, textRect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if ((state & ODS_FOCUS) && !face) theme::FocusRect(dc, tr);
    if ((state & ODS_FOCUS) && face && selected) theme::FocusRect(dc, tr);
}

void DrawItem(State* st, Hwnd dlg, const DrawItemStruct& di) {
    if (!di.hdc) return;
    Canvas& dc = *di.hdc;
    const Font& font = DialogFontOf(dlg);
    if (di.ctlId == static_cast<uint32_t>(kFileDialogUpButton)) {
        const bool pressed = (di.itemState & ODS_SELECTED) != 0;
        const bool disabled = (di.itemState & ODS_DISABLED) != 0;
        theme::PushButtonFace(dc, di.rcItem, pressed, false);
        const int x = di.rcItem.left + (di.rcItem.Width() - kIcon) / 2 + (pressed ? 1 : 0);
        const int y = di.rcItem.top + (di.rcItem.Height() - kIcon) / 2 + (pressed ? 1 : 0);
        DrawIcon(dc, x, y, kUpFolderIcon, disabled);
        if (di.itemState & ODS_FOCUS) {
            theme::FocusRect(dc, {di.rcItem.left + 3, di.rcItem.top + 3, di.rcItem.right - 3,
                                  di.rcItem.bottom - 3});
        }
        return;
    }
    if (!st) return;
    if (di.ctlId == static_cast<uint32_t>(lst1)) {
        if (di.itemId >= st->entries.size()) return;
        const filedlg::DirEntry& e = st->entries[di.itemId];
        DrawRow(dc, font, di.rcItem, e.display, e.folder ? kFolderIcon : kFileIcon, di.itemState,
                false);
        return;
    }
    if (di.ctlId == static_cast<uint32_t>(cmb2)) {
        const bool face = (di.itemState & ODS_COMBOBOXEDIT) != 0;
        if (di.itemData >= st->lookIn.size() || di.itemId >= st->lookIn.size()) {
            dc.FillSolid(di.rcItem, GetSysColor(COLOR_WINDOW));
            return;
        }
        const LookInItem& item = st->lookIn[di.itemData];
        Rect r = di.rcItem;
        if (!face) r.left += item.depth * 10;
        dc.FillSolid(di.rcItem, GetSysColor(COLOR_WINDOW));
        DrawRow(dc, font, r, item.shown, kFolderIcon, di.itemState, face);
    }
}

// ---------------------------------------------------------------------------------------
// The dialog procedure.

void InitDialog(Hwnd dlg, State& st) {
    st.dlg = dlg;
    SetWindowLongPtr(dlg, DWLP_USER, reinterpret_cast<intptr_t>(&st));
    SetWindowText(dlg, Title(st));
    SetDlgItemText(dlg, IDOK, Sjis(st.save ? "保存(&S)" : "開く(&O)"));
    const uint32_t flags = st.ofn->flags;
    if (flags & OFN_HIDEREADONLY) {
        ShowWindow(GetDlgItem(dlg, chx1), SW_HIDE);
    } else {
        CheckDlgButton(dlg, chx1, (flags & OFN_READONLY) ? BST_CHECKED : BST_UNCHECKED);
    }
    const Hwnd types = GetDlgItem(dlg, cmb1);
    for (const filedlg::FilterEntry& f : st.filters)
        SendMessage(types, CB_ADDSTRING, 0, reinterpret_cast<LParam>(f.label.c_str()));
    SendMessage(types, CB_SETCURSEL, static_cast<WParam>(st.type), 0);
    EnableWindow(types, !st.filters.empty());
    Rect client;
    GetClientRect(dlg, &client);
    st.standardHeight = client.Height();

    if (!MakeChild(st)) {
        End(st, 0);
        return;
    }
    Centre(dlg);

    // The first folder: the one the initial name gives, else the initial directory, else the
    // current one.
    std::string folderPart, namePart;
    filedlg::SplitTyped(st.initialName, &folderPart, &namePart);
    std::vector<std::string> candidates;
    if (!folderPart.empty()) candidates.push_back(filedlg::MapTypedPath(".", folderPart));
    if (st.ofn->initialDir && *st.ofn->initialDir)
        candidates.push_back(zv::core::ResolvePath(st.ofn->initialDir));
    candidates.push_back(".");
    candidates.push_back("/");
    if (filedlg::HasWildcards(namePart)) st.customPattern = namePart;
    for (const std::string& c : candidates) {
        if (IsFolder(filedlg::NormalizeFolder(c)) && Navigate(st, c, {}, true)) break;
    }
    SetDlgItemText(dlg, edt1, namePart);
    if (!namePart.empty() && !filedlg::HasWildcards(namePart)) {
        const std::string disk = filedlg::LastComponent(filedlg::MapTypedPath(st.folder, namePart));
        const int i = FindEntry(st, disk);
        if (i >= 0) Select(st, i);
    }
    Notify(st, CDN_INITDONE);
    SendMessage(dlg, WM_NEXTDLGCTL, HwndToParam(GetDlgItem(dlg, edt1)), 1);
}

intptr_t FileDlgProc(Hwnd dlg, uint32_t msg, WParam wp, LParam lp) {
    State* st = msg == WM_INITDIALOG ? nullptr : StateOf(dlg);
    switch (msg) {
        case WM_INITDIALOG:
            InitDialog(dlg, *reinterpret_cast<State*>(lp));
            return 0;  // the name edit has the focus
        case WM_MEASUREITEM: {
            auto* mi = reinterpret_cast<MeasureItemStruct*>(lp);
            if (!mi) return 0;
            mi->itemHeight =
                static_cast<uint32_t>(std::max(kIcon + 2, DialogFontOf(dlg).Metrics().height + 4));
            return 1;
        }
        case WM_DRAWITEM:
            if (lp) DrawItem(st, dlg, *reinterpret_cast<const DrawItemStruct*>(lp));
            SetWindowLongPtr(dlg, DWLP_MSGRESULT, 1);
            return 1;
        case WM_COMMAND: {
            if (!st) return 0;
            const int id = LoWord(wp);
            const int code = HiWord(wp);
            switch (id) {
                case IDOK:
                    OnOk(*st);
                    return 1;
                case IDCANCEL:
                    End(*st, 0);
                    return 1;
                case edt1:
                    if (code == EN_CHANGE && !st->settingName) st->folderPicked = false;
                    return 1;
                case kFileDialogUpButton:
                    if (code == BN_CLICKED) GoUp(*st);
                    return 1;
                case lst1:
                    if (code == LBN_SELCHANGE) SelectionChanged(*st);
                    if (code == LBN_DBLCLK) {
                        const int i = Selected(*st);
                        if (i >= 0 && st->entries[static_cast<std::size_t>(i)].folder) {
                            Navigate(*st, filedlg::JoinPath(
                                              st->folder, st->entries[static_cast<std::size_t>(i)].disk));
                        } else if (i >= 0) {
                            OnOk(*st);
                        }
                    }
                    return 1;
                case cmb1:
                    if (code == CBN_SELCHANGE || code == CBN_SELENDOK) {
                        const auto i = static_cast<int>(SendDlgItemMessage(dlg, cmb1, CB_GETCURSEL, 0, 0));
                        const bool changed = i != st->type;
                        // Picking a type again also drops a pattern typed meanwhile.
                        if (i >= 0 && i < static_cast<int>(st->filters.size()) &&
                            (changed || !st->customPattern.empty())) {
                            st->type = i;
                            st->customPattern.clear();
                            st->ofn->filterIndex = static_cast<uint32_t>(i + 1);
                            Refresh(*st);
                            if (changed) Notify(*st, CDN_TYPECHANGE);
                        }
                    }
                    return 1;
                case cmb2:
                    // A pick by keys in the open list ends with CBN_SELENDOK alone.
                    if (code == CBN_SELCHANGE || code == CBN_SELENDOK) {
                        const auto i = static_cast<int>(SendDlgItemMessage(dlg, cmb2, CB_GETCURSEL, 0, 0));
                        if (i >= 0 && i < static_cast<int>(st->lookIn.size()) &&
                            st->lookIn[static_cast<std::size_t>(i)].path != st->folder) {
                            // A copy: navigating refills the list it comes from.
                            const std::string to = st->lookIn[static_cast<std::size_t>(i)].path;
                            Navigate(*st, to);
                        }
                    }
                    return 1;
                default:
                    return 0;
            }
        }
        case CDM_GETSPEC: {
            if (!st) return 0;
            const std::string path = TypedPath(*st);
            return AnswerText(dlg, path.empty() ? std::string() : filedlg::LastComponent(path), wp,
                              lp);
        }
        case CDM_GETFILEPATH:
            if (!st) return 0;
            return AnswerText(dlg, TypedPath(*st), wp, lp);
        case CDM_GETFOLDERPATH:
            if (!st) return 0;
            return AnswerText(dlg, st->folder, wp, lp);
        default:
            return 0;
    }
}

// ---------------------------------------------------------------------------------------
// The modal loop.

bool Wants(Hwnd h, LResult code) {
    return IsWindow(h) && (SendMessage(h, WM_GETDLGCODE, 0, 0) & code) != 0;
}

bool Usable(Hwnd c) {
    const auto style = static_cast<uint32_t>(GetWindowLong(c, GWL_STYLE));
    return IsWindowVisible(c) && !(style & WS_DISABLED);
}

// Tab and Shift+Tab run through the standard controls and then the child's, as one ring.
bool TabAcross(State& st, bool back) {
    if (!IsWindow(st.child) || !IsWindowVisible(st.child)) return false;
    std::vector<Hwnd> ring;
    for (Hwnd c : GetDialogControls(st.dlg)) {
        if (c == st.child) {
            for (Hwnd k : GetDialogControls(st.child)) {
                if (Usable(k) && (GetWindowLong(k, GWL_STYLE) & WS_TABSTOP)) ring.push_back(k);
            }
        } else if (Usable(c) && (GetWindowLong(c, GWL_STYLE) & WS_TABSTOP)) {
            ring.push_back(c);
        }
    }
    if (ring.empty()) return false;
    Hwnd focus = GetFocus();
    int at = -1;
    for (std::size_t i = 0; i < ring.size(); ++i) {
        if (ring[i] == focus || IsChild(ring[i], focus)) at = static_cast<int>(i);
    }
    const int n = static_cast<int>(ring.size());
    const int to = at < 0 ? (back ? n - 1 : 0) : ((at + (back ? -1 : 1)) % n + n) % n;
    SendMessage(st.dlg, WM_NEXTDLGCTL, HwndToParam(ring[static_cast<std::size_t>(to)]), 1);
    return true;
}

// Keys the dialog handles before the dialog manager sees them. True when used.
bool PreTranslate(State& st, Msg& m) {
    if (m.message != WM_KEYDOWN) return false;
    const Hwnd focus = GetFocus();
    const bool inChild = IsWindow(st.child) && (m.hwnd == st.child || IsChild(st.child, m.hwnd));
    const bool openCombo = (focus == GetDlgItem(st.dlg, cmb1) || focus == GetDlgItem(st.dlg, cmb2)) &&
                           SendMessage(focus, CB_GETDROPPEDSTATE, 0, 0) != 0;
    switch (m.wParam) {
        case VK_RETURN:
        case VK_ESCAPE:
            if (!openCombo) return false;
            TranslateMessage(m);  // the open list takes them: pick or close it
            DispatchMessage(m);
            return true;
        case VK_BACK:
            if (inChild || Wants(focus, DLGC_HASSETSEL)) return false;
            GoUp(st);
            return true;
        case VK_F5:
            if (inChild) return false;
            Refresh(st);
            return true;
        case VK_TAB:
            if (Wants(focus, DLGC_WANTTAB | DLGC_WANTALLKEYS)) return false;
            return TabAcross(st, GetKeyState(VK_SHIFT) < 0);
        case VK_UP:
        case VK_DOWN:
        case VK_LEFT:
        case VK_RIGHT:
            // Arrows move round the child's own groups.
            return inChild && IsDialogMessage(st.child, &m);
        default:
            return false;
    }
}

int Run(OpenFileName* ofn, bool save) {
    gLastError = 0;
    if (!ofn) {
        gLastError = CDERR_INITIALIZATION;
        return 0;
    }
    if (ofn->structSize != sizeof(OpenFileName)) {
        gLastError = CDERR_STRUCTSIZE;
        return 0;
    }
    WindowManager* wm = WindowManager::Current();
    if (!wm || !wm->IsGuiThread()) {
        gLastError = CDERR_INITIALIZATION;
        return 0;
    }
    if (!ofn->file || ofn->maxFile == 0) {
        gLastError = FNERR_BUFFERTOOSMALL;
        return 0;
    }
    if (strnlen(ofn->file, ofn->maxFile) >= ofn->maxFile) {
        gLastError = FNERR_INVALIDFILENAME;  // the initial name has no end within the buffer
        return 0;
    }
    if ((ofn->flags & OFN_ENABLEHOOK) && !ofn->hook) {
        gLastError = CDERR_NOHOOK;
        return 0;
    }
    if ((ofn->flags & OFN_ENABLETEMPLATE) && ofn->templateId == 0) {
        gLastError = CDERR_NOTEMPLATE;
        return 0;
    }
    State st;
    st.ofn = ofn;
    st.save = save;
    st.filters = filedlg::ParseFilter(ofn->filter);
    const int count = static_cast<int>(st.filters.size());
    st.type = ofn->filterIndex >= 1 && static_cast<int>(ofn->filterIndex) <= count
                  ? static_cast<int>(ofn->filterIndex) - 1
                  : 0;
    st.initialName = ofn->file;

    RegisterFileDialogTemplate();
    DialogTemplate t;
    if (!DialogRegistry::Global().Find(kFileDialogTemplate, &t)) {
        gLastError = CDERR_FINDRESFAILURE;
        return 0;
    }
    t.style &= ~WS_VISIBLE;
    const Hwnd owner = IsWindow(ofn->owner) ? ofn->owner : Hwnd{};
    const Hwnd dlg = CreateDialogIndirectParam(ofn->instance, t, owner, FileDlgProc,
                                               reinterpret_cast<LParam>(&st));
    if (!dlg) {
        gLastError = st.error ? st.error : CDERR_DIALOGFAILURE;
        return 0;
    }
    const Hwnd ownerRoot = owner ? GetAncestor(owner, GA_ROOT) : Hwnd{};
    const bool reenable = ownerRoot && IsWindowEnabled(ownerRoot);
    if (!st.ended) {
        if (reenable) EnableWindow(ownerRoot, false);
        ShowWindow(dlg, SW_SHOW);
        SetFocus(GetDlgItem(dlg, edt1));
    }
    while (!st.ended && IsWindow(dlg)) {
        Msg m;
        if (!GetMessage(&m, {}, 0, 0)) {
            PostQuitMessage(static_cast<int>(m.wParam));  // the outer loop ends too
            break;
        }
        if (PreTranslate(st, m)) continue;
        if (!IsDialogMessage(dlg, &m)) {
            TranslateMessage(m);
            DispatchMessage(m);
        }
    }
    if (reenable && IsWindow(ownerRoot)) EnableWindow(ownerRoot, true);
    if (IsWindow(dlg)) DestroyWindow(dlg);
    if (IsWindow(ownerRoot)) SetActiveWindow(ownerRoot);
    gLastError = st.error;
    return st.ended ? st.result : 0;
}

}  // namespace

int GetOpenFileName(OpenFileName* ofn) {
    return Run(ofn, false);
}

int GetSaveFileName(OpenFileName* ofn) {
    return Run(ofn, true);
}

uint32_t CommDlgExtendedError() {
    return gLastError;
}

}  // namespace zv::ui
