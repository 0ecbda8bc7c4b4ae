#include "shell/editor/PreviewFileDialog.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string_view>

#include "framework/Dib.h"
#include "framework/ProcessState.h"
#include "framework/gui/GdiHelpers.h"
#include "mapview/MapPreview.h"
#include "mapview/MapSettingsDialog.h"
#include "mapview/MapWorld.h"
#include "platform/core/Sjis.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/DialogObject.h"
#include "platform/ui/DialogTemplate.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "platform/ui/controls/ControlConstants.h"
#include "rules/context/GameEvents.h"
#include "rules/files/MapFiles.h"
#include "rules/records/MapCursors.h"
#include "rules/records/MapRecords.h"

namespace zv::shell {

namespace {

FileSelection gSelection;

// The one-shot extras and the ones of the dialog that is up.
FileDialogHook gNextHook = nullptr;
int gNextTemplate = 0;
FileDialogHook gActiveHook = nullptr;
int gActiveTemplate = 0;

// The preview pane that is up (file dialogs are modal: at most one).
ui::Hwnd gOpenPane{};

constexpr const char* kSiteRowLabels[6] = {"首  都", "大都市", "都  市", "  町  ", "空  港", "  港  "};

void CopyField(char* out, std::size_t size, const std::string& value) {
    std::snprintf(out, size, "%s", value.c_str());
}

rules::GameEvents& EventsOf(mapview::MapWorld* world) {
    static rules::GameEvents quiet;
    return world != nullptr && world->events != nullptr ? *world->events : quiet;
}

bool EndsWithNoCase(const std::string& text, std::string_view end) {
    if (text.size() < end.size()) return false;
    for (std::size_t i = 0; i < end.size(); ++i) {
        const char a = text[text.size() - end.size() + i];
        if (std::tolower(static_cast<unsigned char>(a)) != end[i]) return false;
    }
    return true;
}

void Fail(ui::Hwnd owner, const char* what, const std::string& error) {
    mapview::EditorMessageBox(owner, std::string(what) + "\n" + error, "ﾏｯﾌﾟｴﾃﾞｨｯﾄ", ui::MB_OK);
}

std::string AskParent(ui::Hwnd pane, uint32_t message) {
    char buffer[260] = {};
    const ui::LResult n = ui::SendMessage(ui::GetParent(pane), message, sizeof buffer, reinterpret_cast<ui::LParam>(buffer));
    return n > 0 ? std::string(buffer) : std::string();
}

void Text(ui::Canvas& dc, int x, int y, const std::string& utf8, bool bold) {
    const ui::Font old = dc.SelectFont(fw::CreateJapaneseFont(12, 1, bold ? 1 : 0));
    dc.SetBkMode(ui::TRANSPARENT);
    dc.SetTextColor(ui::Rgb(0, 0, 0));
    dc.TextOut(x, y, core::Utf8ToSjis(utf8));
    dc.SelectFont(old);
}

void TextIn(ui::Canvas& dc, ui::Rect r, const std::string& sjis) {
    const ui::Font old = dc.SelectFont(fw::CreateJapaneseFont(12, 1, 0));
    dc.SetBkMode(ui::TRANSPARENT);
    dc.SetTextColor(ui::Rgb(0, 0, 0));
    dc.DrawText(sjis, r, ui::DT_CENTER | ui::DT_SINGLELINE | ui::DT_VCENTER);
    dc.SelectFont(old);
}

void DrawMark(ui::Canvas& dc, fw::Dib& marks, int country, int x, int y) {
    const int w = marks.GetWidth() / 4, h = marks.GetHeight();
    const ui::ColorRef key = marks.GetPixelColor(0, 0) & 0xFFFFFF;
    dc.TransparentBlt(x, y, w, h, fw::CanvasOnDib(&marks), w * country, 0, w, h, key);
}

}  // namespace

const FileSelection& GetFileSelection() { return gSelection; }
char* GetSelectedFilePath() { return gSelection.path; }
char* GetSelectedFileName() { return gSelection.name; }
void ClearFileSelection() { gSelection = FileSelection{}; }

void SetFileSelection(const std::string& path) {
    FileSelection s;
    CopyField(s.path, sizeof s.path, path);
    const std::size_t cut = path.find_last_of("/\\");
    const std::string dir = cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
    std::string file = cut == std::string::npos ? path : path.substr(cut + 1);
    const std::size_t dot = file.find_last_of('.');
    CopyField(s.directory, sizeof s.directory, dir);
    CopyField(s.name, sizeof s.name, dot == std::string::npos ? file : file.substr(0, dot));
    CopyField(s.extension, sizeof s.extension, dot == std::string::npos ? std::string() : file.substr(dot));
    gSelection = s;
}

void SetFileDialogHook(FileDialogHook hook, int templateId) {
    gNextHook = hook;
    gNextTemplate = templateId;
}

std::string BuildFileFilter(const char* labelUtf8, const char* pattern) {
    std::string filter = core::Utf8ToSjis(labelUtf8 != nullptr ? labelUtf8 : "すべてのファイル");
    filter += pattern != nullptr ? "(" + std::string(pattern) + ")" : std::string("(*.*)");
    filter.push_back('\0');
    filter += pattern != nullptr ? pattern : "*.*";
    filter.push_back('\0');
    return filter;
}

int ShowFileDialog(ui::Hwnd owner, const char* labelUtf8, const char* pattern, const char* initialDir, int save) {
    const std::string filter = BuildFileFilter(labelUtf8, pattern);
    char file[260] = {};
    char initial[260] = {};
    ui::OpenFileName ofn;
    ofn.owner = owner;
    ofn.filter = filter.c_str();
    ofn.filterIndex = 1;
    ofn.file = file;
    ofn.maxFile = sizeof file;
    if (initialDir != nullptr) {
        std::snprintf(initial, sizeof initial, "%s", initialDir);
        ofn.initialDir = initial;
    }
    ofn.defExt = pattern;
    // The process's current directory stays where it is: the undo snapshots and every other
    // relative name of the program keep meaning the same file.
    ofn.flags = ui::OFN_EXPLORER | ui::OFN_NOTESTFILECREATE | ui::OFN_FILEMUSTEXIST | ui::OFN_PATHMUSTEXIST |
                ui::OFN_HIDEREADONLY | ui::OFN_OVERWRITEPROMPT | ui::OFN_NOCHANGEDIR;
    gActiveHook = gNextHook;
    gActiveTemplate = gNextTemplate;
    gNextHook = nullptr;
    gNextTemplate = 0;
    if (gActiveHook != nullptr) {
        ofn.flags |= ui::OFN_ENABLEHOOK;
        ofn.hook = FileDialogHookProc;
    }
    if (gActiveTemplate != 0) {
        RegisterPreviewPaneTemplate();
        ofn.flags |= ui::OFN_ENABLETEMPLATE;
        ofn.templateId = gActiveTemplate;
    }
    const int result = save ? ui::GetSaveFileName(&ofn) : ui::GetOpenFileName(&ofn);
    if (result == 1) SetFileSelection(file);
    gActiveHook = nullptr;
    gActiveTemplate = 0;
    return result;
}

int RunMapFileDialog(ui::Hwnd owner, const char* labelUtf8, const char* pattern, const char* initialDir, int save) {
    const FileSelection before = gSelection;
    if (ShowFileDialog(owner, labelUtf8, pattern, initialDir, save) != 1) return 0;
    mapview::MapWorld* world = mapview::CurrentMapWorld();
    if (world == nullptr || world->tables == nullptr) return 0;
    const std::string path = gSelection.path;
    if (save) {
        const rules::FileStatus status = rules::WriteMapFile(*world->tables, path);
        if (!status) {
            // The file on the disk is the one from before: so is the document's current file.
            gSelection = before;
            Fail(owner, "ファイルの保存に失敗しました", status.error);
            return 0;
        }
        return 1;
    }
    const rules::FileStatus status = rules::LoadMapFile(*world->tables, EventsOf(world), path);
    if (!status) {
        gSelection = before;
        Fail(owner, "ファイルを読めませんでした", status.error);
        return 0;
    }
    return 1;
}

int OpenMapFileDialog(ui::Hwnd owner) {
    SetFileDialogHook(FilePreviewHook, kPreviewPaneTemplate);
    const std::string dir = std::string(fw::GetProgramDirectory()) + "/MAP/";
    return RunMapFileDialog(owner, "マップファイル", "MAP?????.ddm", dir.c_str(), 0);
}

int SaveMapFileDialog(ui::Hwnd owner) {
    SetFileDialogHook(FilePreviewHook, kPreviewPaneTemplate);
    const std::string dir = std::string(fw::GetProgramDirectory()) + "/MAP/";
    return RunMapFileDialog(owner, "マップファイル", "MAP?????.ddm", dir.c_str(), 1);
}

std::string SaveGameFolder() { return std::string(fw::GetProgramDirectory()) + "SAVE/"; }

bool IsSaveGamePath(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path file(path);
    if (!EndsWithNoCase(file.filename().string(), ".ddg")) return false;
    return fs::equivalent(file.parent_path(), fs::path(SaveGameFolder()), ec) && !ec;
}

int OpenSaveGameDialog(ui::Hwnd owner) {
    mapview::MapWorld* world = mapview::CurrentMapWorld();
    if (world == nullptr || world->tables == nullptr) return 0;
    rules::CountryCursor countries(*world->tables);
    for (int c = 0; c < rules::kCountryCount; ++c) {
        countries.Select(c);
        countries.SetComputerFunds(countries.GetFunds());
    }
    // The list of saved games reads this folder only: a folder removed since the start is made
    // again, and a save is never written anywhere else.
    const std::string dir = SaveGameFolder();
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec || !std::filesystem::is_directory(dir)) {
        Fail(owner, "セーブデータのフォルダを作れませんでした", dir + "\n" + (ec ? ec.message() : std::string()));
        return 0;
    }
    for (;;) {
        SetFileDialogHook(FilePreviewHook, kPreviewPaneTemplate);
        const FileSelection before = gSelection;
        if (ShowFileDialog(owner, "ゲームファイル", "*.ddg", dir.c_str(), 1) != 1) return 0;
        if (IsSaveGamePath(gSelection.path)) break;
        gSelection = before;
        mapview::EditorMessageBox(owner,
                                  "保存データの一覧に出るのは、次のフォルダにある拡張子 .ddg のゲームファイルだけです。\n"
                                  "このフォルダに保存してください。\n" + dir,
                                  "セーブ", ui::MB_OK);
    }
    const rules::FileStatus status = rules::WriteSaveGame(*world->tables, EventsOf(world), gSelection.path);
    if (!status) {
        Fail(owner, "ゲームの保存に失敗しました", status.error);
        return 0;
    }
    return 1;
}

intptr_t FileDialogHookProc(ui::Hwnd dlg, uint32_t msg, ui::WParam w, ui::LParam l) {
    if (gActiveTemplate == 0 && msg != ui::WM_NOTIFY) return 0;
    return gActiveHook != nullptr ? gActiveHook(dlg, msg, w, l) : 0;
}

ui::Point GetFilePreviewOrigin(ui::Hwnd pane) {
    ui::Rect client{};
    ui::GetClientRect(pane, &client);
    return {client.left, std::max(0, client.bottom - kPreviewPaneHeight)};
}

namespace {

// Paints the pane: the map's name, its picture in the mode shown, the countries taking part with
// their sites by kind; the description goes to its control.
void PaintPreview(ui::Hwnd pane, const mapview::MapPreviewRecord* data, fw::Dib* shown) {
    const ui::Point o = GetFilePreviewOrigin(pane);
    const int X = o.x, Y = o.y;
    // The controls keep their places beside the picture.
    const ui::Hwnd description = ui::GetDlgItem(pane, kIdPreviewDescription);
    ui::MoveWindow(description, X + 166, Y + 94, 168, 66, false);
    for (int i = 0; i < 3; ++i) {
        const ui::Hwnd radio = ui::GetDlgItem(pane, kIdPreviewNormal + i);
        ui::Rect r{};
        ui::GetWindowRect(radio, &r);
        ui::MoveWindow(radio, X + 166, Y + 30 + 20 * i, r.Width(), r.Height(), false);
    }
    ui::PaintStruct ps;
    ui::Canvas* dc = ui::BeginPaint(pane, &ps);
    if (dc != nullptr) {
        Text(*dc, X + 20, Y + 10, "マップ名：", true);
        if (data != nullptr) Text(*dc, X + 80, Y + 10, core::SjisToUtf8(data->title), false);
        dc->FrameRect({X + 20, Y + 30, X + 148, Y + 159}, ui::Brush::SolidColor(ui::Rgb(0, 0, 0)));
        if (shown)
            dc->BitBlt(X + 21, Y + 31, shown->GetWidth() - 1, shown->GetHeight(),
                       fw::CanvasOnDib(shown), 1, 0, ui::SRCCOPY);
        Text(*dc, X + 270, Y + 10, "参加国：", true);
        fw::Dib marks("campMark.bmp");
        if (marks.HasBits()) {
            int at = 0;
            for (int c = 0; c < rules::kCountryCount && data != nullptr; ++c)
                if ((data->countryMask >> c) & 1) DrawMark(*dc, marks, c, X + 318 + 20 * at++, Y + 8);
            for (int c = 0; c < rules::kCountryCount; ++c)
                DrawMark(*dc, marks, c, X + 395 + 20 * c, Y + 56);
        }
        for (int k = 0; k < 6; ++k) {
            TextIn(*dc, {X + 350, Y + 76 + 14 * k, X + 386, Y + 90 + 14 * k}, core::Utf8ToSjis(kSiteRowLabels[k]));
            for (int c = 0; c < rules::kCountryCount && data != nullptr; ++c) {
                char count[8];
                std::snprintf(count, sizeof count, "%3d", data->siteCounts[c][k]);
                const int x = X + 392 + 20 * c;
                TextIn(*dc, {x, Y + 76 + 14 * k, x + 20, Y + 90 + 14 * k}, count);
            }
        }
    }
    ui::EndPaint(pane, &ps);
    if (data != nullptr) ui::SetWindowText(description, data->description);
}

// The pane below the file dialog's controls: the preview of the file chosen, in one of three
// modes.
class PreviewPane : public ui::DialogObject {
  public:
    using DialogObject::DialogObject;
    intptr_t Dispatch(uint32_t msg, ui::WParam w, ui::LParam l) {
        switch (msg) {
            case ui::WM_INITDIALOG:
                OnInitDialog();
                return 1;
            case ui::WM_COMMAND:
                OnCommand(ui::LoWord(w));
                return 0;
            case ui::WM_NOTIFY:
                OnNotify(reinterpret_cast<const ui::OfNotify*>(l));
                return 0;
            case ui::WM_PAINT:
                Paint();
                return 1;
            case ui::WM_DESTROY:
                OnDestroy();
                return 0;
            default:
                return 0;
        }
    }

    int Mode() const { return mode_; }
    void Paint() { PaintPreview(Handle(), data_.get(), shown_.get()); }
    void Render(const std::string& path) {
        if (mapview::RenderMapFilePreview(Handle(), path.c_str(), 0) != 1) return;
        if (!data_) data_ = std::make_unique<mapview::MapPreviewRecord>();
        *data_ = *mapview::GetMapPreview();
        ShowMode();
        ui::InvalidateRect(Handle(), nullptr, true);
    }

  private:
    void OnInitDialog() {
        gOpenPane = Handle();
        ui::CheckRadioButton(Handle(), kIdPreviewNormal, kIdPreviewPlacement, kIdPreviewNormal);
        mapview::FreeMapPreview();
        data_ = std::make_unique<mapview::MapPreviewRecord>();
    }
    void OnCommand(int id) {
        if (id < kIdPreviewNormal || id > kIdPreviewPlacement) return;
        mode_ = id - kIdPreviewNormal;
        if (!data_) return;
        ShowMode();
        const ui::Point o = GetFilePreviewOrigin(Handle());
        const ui::Rect picture{o.x + 20, o.y + 30, o.x + 148, o.y + 158};
        ui::InvalidateRect(Handle(), &picture, false);
    }
    void OnNotify(const ui::OfNotify* n) {
        if (n == nullptr) return;
        if (n->hdr.code == ui::CDN_FOLDERCHANGE) {
            AskParent(Handle(), ui::CDM_GETFOLDERPATH);
        } else if (n->hdr.code == ui::CDN_SELCHANGE) {
            const std::string spec = AskParent(Handle(), ui::CDM_GETSPEC);
            const std::string path = AskParent(Handle(), ui::CDM_GETFILEPATH);
            if (!spec.empty()) Render(path);
        }
    }
    void OnDestroy() {
        data_.reset();
        shown_.reset();
        mode_ = 0;
        mapview::FreeMapPreview();
        if (gOpenPane == Handle()) gOpenPane = {};
    }
    void ShowMode() { shown_ = data_ ? data_->pictures[mode_] : nullptr; }

    std::unique_ptr<mapview::MapPreviewRecord> data_;
    int mode_ = 0;
    std::shared_ptr<fw::Dib> shown_;
};

PreviewPane* OpenPane(ui::Hwnd pane) {
    return pane && pane == gOpenPane && ui::IsWindow(pane) ? ui::DialogObjectOf<PreviewPane>(pane)
                                                           : nullptr;
}

}  // namespace

int GetFilePreviewMode() {
    const PreviewPane* pane = OpenPane(gOpenPane);
    return pane ? pane->Mode() : 0;
}

void DrawFilePreview(ui::Hwnd pane) {
    if (PreviewPane* open = OpenPane(pane)) {
        open->Paint();
    } else {
        PaintPreview(pane, nullptr, nullptr);
    }
}

void RefreshFilePreview(ui::Hwnd pane, const char* path) {
    if (PreviewPane* open = OpenPane(pane); open && path != nullptr) open->Render(path);
}

intptr_t FilePreviewHook(ui::Hwnd pane, uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::DialogObjectProc<PreviewPane>(pane, msg, w, l);
}

void RegisterPreviewPaneTemplate() {
    ui::DialogTemplate t;
    t.number = kPreviewPaneTemplate;
    t.style = ui::WS_CHILD | ui::DS_CONTROL;
    t.cx = 320;
    t.cy = 104;
    t.items = {
        {kIdPreviewNormal, "BUTTON", "通常", 96, 16, 48, 10, ui::BS_AUTORADIOBUTTON | ui::WS_GROUP | ui::WS_TABSTOP},
        {kIdPreviewBuildings, "BUTTON", "建物", 96, 28, 48, 10, ui::BS_AUTORADIOBUTTON},
        {kIdPreviewPlacement, "BUTTON", "配置範囲", 96, 40, 56, 10, ui::BS_AUTORADIOBUTTON},
        {kIdPreviewDescription, "STATIC", "", 96, 54, 96, 40, ui::WS_BORDER},
    };
    ui::DialogRegistry::Global().Add(std::move(t));
}

}  // namespace zv::shell
