#include "panels/NewsWindows.h"

#include <cstring>
#include <memory>
#include <string>

#include "framework/gui/GdiHelpers.h"
#include "framework/gui/ListViewRows.h"
#include "framework/gui/TextFields.h"
#include "framework/gui/WindowUtilities.h"
#include "panels/NewsText.h"
#include "panels/PanelClasses.h"
#include "rules/files/GameFileLayout.h"
#include "panels/PanelCommon.h"
#include "panels/PanelMessages.h"
#include "panels/PanelWorld.h"
#include "platform/core/Sjis.h"
#include "platform/ui/Mdi.h"
#include "platform/ui/Messages.h"
#include "platform/ui/SystemMetrics.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowObject.h"
#include "platform/ui/controls/CommonControls.h"
#include "platform/ui/controls/ImageList.h"
#include "shell/Palettes.h"
#include "shell/Settings.h"
#include "shell/WindowRegistry.h"

namespace zv::panels {

namespace {

using rules::NewsRecord;
using K = shell::WindowKind;

constexpr uint32_t kListStyle = ui::WS_CHILD | ui::WS_VISIBLE | ui::WS_BORDER | ui::WS_TABSTOP |
                                ui::LVS_REPORT | ui::LVS_SINGLESEL | ui::LVS_SHOWSELALWAYS |
                                ui::LVS_OWNERDRAWFIXED | ui::LVS_NOSORTHEADER;
constexpr int kCharWidth = 10;
constexpr int kIcon = 16;
constexpr int kNewsColumn = 2;
constexpr int kResultColumn = 3;
constexpr int kTroopMarks = 48;
constexpr int kSiteIcons = 30;

constexpr const char* kNewsClass = "NewsWindow";
constexpr const char* kResultClass = "ResultWindow";

constexpr int kResultWidth = 800;
constexpr int kResultHeight = 599;
constexpr ui::Rect kEndButton{656, 512, 656 + 128, 512 + 40};

// The image lists of one window and the records of its rows.
struct ReportState {
    std::vector<NewsRecord> kept;
    ui::ImageList* marks = nullptr;
    ui::ImageList* sites = nullptr;
    void DropImages() {
        ui::ImageList_Destroy(marks);
        ui::ImageList_Destroy(sites);
        marks = sites = nullptr;
    }
};

// Installed by the frame for the whole program, not state of a window.
ResultWindowHooks gHooks;

const std::vector<NewsRecord>& NoRecords() {
    static const std::vector<NewsRecord> kNone;
    return kNone;
}

ui::Hwnd Frame() {
    return shell::GetWindowOfKind(K::FrameWnd);
}

ui::Hwnd Item(ui::Hwnd parent, int id) {
    return ui::GetDlgItem(parent, id);
}

// ---- row icons ------------------------------------------------------------------------------

void DrawIcon(ui::Canvas* dc, const ui::ImageList* list, int index, int x, int y, int right,
              uint32_t style) {
    if (list == nullptr || index < 0 || index >= ui::ImageList_GetImageCount(list)) return;
    if (x + kIcon >= right) return;
    ui::ImageList_Draw(list, index, dc, x, y, style);
}

// The x of icon gap n of a cell text (1: the first gap), -1 when the text has no such gap.
int GapX(const char* text, int n, int left, int extra) {
    const int at = fw::FindNthSpace(text, n);
    if (at < 0) return -1;
    return left + at * kCharWidth / 2 + extra;
}

void DrawReportRowIcons(ui::Hwnd window, int listId, const fw::DrawItemStruct* item,
                        const ReportState& state) {
    if (item == nullptr || item->ctlType != fw::ODT_LISTVIEW) return;
    const int row = int(item->itemId);
    if (row < 0 || row >= int(state.kept.size())) return;
    const ui::Hwnd list = Item(window, listId);
    ui::Canvas* dc = ui::GetDC(list);
    if (dc == nullptr) return;
    const uint32_t selected = uint32_t(ui::SendMessage(list, ui::LVM_GETITEMSTATE, item->itemId,
                                                       ui::LVIS_SELECTED));
    const ui::Hwnd focus = ui::GetFocus();
    const uint32_t style = (selected & ui::LVIS_SELECTED) && focus && (focus == window || focus == list)
                               ? ui::ILD_SELECTED
                               : ui::ILD_NORMAL;
    const NewsRecord& r = state.kept[size_t(row)];
    const int kind = r.Kind();
    for (int column = 0;; ++column) {
        char heading[64] = {};
        ui::LvColumn col;
        col.mask = ui::LVCF_TEXT;
        col.pszText = heading;
        col.cchTextMax = sizeof heading;
        if (!ui::SendMessage(list, ui::LVM_GETCOLUMNA, ui::WParam(column),
                             reinterpret_cast<ui::LParam>(&col))) {
            break;
        }
        if (column != kNewsColumn && column != kResultColumn) continue;
        char text[256] = {};
        ui::LvItem query;
        query.iSubItem = column;
        query.pszText = text;
        query.cchTextMax = sizeof text;
        ui::SendMessage(list, ui::LVM_GETITEMTEXTA, item->itemId,
                        reinterpret_cast<ui::LParam>(&query));
        ui::Rect rect{ui::LVIR_BOUNDS, column, 0, 0};
        ui::SendMessage(list, ui::LVM_GETSUBITEMRECT, item->itemId,
                        reinterpret_cast<ui::LParam>(&rect));
        const int left = rect.left + 6, right = rect.right - 6, y = rect.top + 1;
        const ui::ImageList* marks = state.marks;
        const ui::ImageList* sites = state.sites;
        const int low18 = r.FirstIcon() & 0xFF, low22 = r.SecondIcon() & 0xFF;
        if (column == kNewsColumn) {
            const int first = left;  // slot 1 of the NEWS text sits at the cell's left
            auto second = [&](int extra) { return GapX(text, 2, left, extra); };
            auto at2 = [&](const ui::ImageList* l, int index, int extra) {
                const int x = second(extra);
                if (x >= 0) DrawIcon(dc, l, index, x, y, right, style);
            };
            switch (kind) {
                case 0: case 5: case 10:
                    DrawIcon(dc, marks, r.FirstIcon(), first, y, right, style);
                    break;
                case 1:
                    DrawIcon(dc, marks, r.FirstIcon(), first, y, right, style);
                    at2(sites, r.SubIndex(), 0);
                    break;
                case 2:
                    DrawIcon(dc, sites, r.SubIndex(), first, y, right, style);
                    at2(marks, r.FirstIcon(), 2);
                    break;
                case 3:
                    DrawIcon(dc, marks, low18, first, y, right, style);
                    if (r.SecondIcon() != rules::kNewsUnidentified) at2(marks, low22, 0);
                    break;
                case 4:
                    DrawIcon(dc, marks, low22, first, y, right, style);
                    if (r.FirstIcon() != rules::kNewsUnidentified) at2(marks, low18, 0);
                    break;
                case 6:
                    DrawIcon(dc, marks, r.SecondIcon(), first, y, right, style);
                    at2(marks, r.FirstIcon(), 2);
                    break;
                case 7:
                    DrawIcon(dc, marks, r.SecondIcon(), first, y, right, style);
                    at2(marks, r.FirstIcon(), 0);
                    break;
                case 8:
                    DrawIcon(dc, marks, r.FirstIcon(), first, y, right, style);
                    at2(sites, r.SecondIcon(), 0);
                    break;
                case 9:
                    DrawIcon(dc, marks, r.FirstIcon(), first, y, right, style);
                    at2(marks, r.SecondIcon(), 0);
                    break;
                default:
                    break;
            }
        } else if (kind == 3 || kind == 4) {
            // The player's side first: the attacker of kind 3, the target of kind 4.
            const int own = kind == 3 ? low18 : low22, other = kind == 3 ? low22 : low18;
            const bool otherKnown = (kind == 3 ? r.SecondIcon() : r.FirstIcon()) != rules::kNewsUnidentified;
            for (int slot = 1; slot <= 2; ++slot) {
                if (slot == 2 && !otherKnown) break;
                const int x = GapX(text, slot, left, 2);
                if (x >= 0) DrawIcon(dc, marks, slot == 1 ? own : other, x, y, right, style);
            }
        }
    }
    ui::ReleaseDC(list, dc);
}

// ---- list rows ------------------------------------------------------------------------------

void SetCell(ui::Hwnd list, int row, int column, std::string text) {
    ui::LvItem sub;
    sub.iSubItem = column;
    sub.pszText = text.data();
    ui::SendMessage(list, ui::LVM_SETITEMTEXTA, ui::WParam(row), reinterpret_cast<ui::LParam>(&sub));
}

// WM_NEWS_ADD of both windows: a copy of the record listed, kept with its names, and the
// oldest row and record dropped together past 500.
void AddKeptRecord(ui::Hwnd window, int listId, ReportState& state, const NewsRecord* record) {
    if (record == nullptr) return;
    NewsRecord copy = *record;
    const ui::Hwnd list = Item(window, listId);
    const auto before = ui::SendMessage(list, ui::LVM_GETITEMCOUNT, 0, 0);
    AddNewsListRow(window, listId, &copy);
    state.kept.push_back(copy);
    if (before >= kNewsKeptMax) state.kept.erase(state.kept.begin());
}

void ClearKept(ui::Hwnd window, int listId, ReportState& state) {
    ui::SendMessage(Item(window, listId), ui::LVM_DELETEALLITEMS, 0, 0);
    state.kept.clear();
}

void MakeImageLists(ui::Hwnd window, int listId, ReportState& state) {
    if (state.marks == nullptr) state.marks = CreateTroopMarkImageList(window, listId);
    if (state.sites == nullptr) state.sites = CreateSiteIconImageList(window, listId);
}

// Cuts `count` 16 x 16 cells of a sheet (cell i at the point `cellOf` gives) into a new list.
template <typename CellOf>
ui::ImageList* CutIcons(const char* sheetFile, int count, CellOf cellOf) {
    fw::Dib sheet(sheetFile);
    if (!sheet.HasBits()) return nullptr;
    auto strip = fw::Dib::CreateBlank(count * kIcon, kIcon, shell::GetPaletteTableC());
    for (int i = 0; i < count; ++i) {
        const ui::Point cell = cellOf(i);
        fw::HvDIBitBlt(strip.get(), i * kIcon, 0, kIcon, kIcon, &sheet, cell.x, cell.y, 0);
    }
    ui::ImageList* list = ui::ImageList_Create(kIcon, kIcon, ui::ILC_COLOR8 | ui::ILC_MASK, count, 0);
    if (list == nullptr) return nullptr;
    const ui::IndexedSurface surface = strip->GetBitmapHandle();
    // Index 0 is the sheets' transparent colour: the row's own background shows through it.
    ui::ImageList_AddMasked(list, &surface, strip->GetPixelColor(0, 0) & 0xFFFFFF);
    return list;
}

void SetListImages(ui::Hwnd parent, int id, ui::ImageList* list) {
    const ui::Hwnd control = Item(parent, id);
    ui::SendMessage(control, ui::LVM_SETIMAGELIST, ui::LVSIL_NORMAL, reinterpret_cast<ui::LParam>(list));
    ui::SendMessage(control, ui::LVM_SETIMAGELIST, ui::LVSIL_SMALL, reinterpret_cast<ui::LParam>(list));
}

// ---- the news window ------------------------------------------------------------------------

// The news window: the list of the local player's news, and the empty list that stands in for
// it for a spectator or a fallen country.
class NewsWindow : public ui::WindowObject {
  public:
    using WindowObject::WindowObject;

    ui::LResult Dispatch(uint32_t msg, ui::WParam w, ui::LParam l) {
        switch (msg) {
            case ui::WM_CREATE:
                OnCreate();
                return 0;
            case ui::WM_SIZE:
                OnSize(ui::LoWord(uintptr_t(l)), ui::HiWord(uintptr_t(l)));
                return MdiDefault(msg, w, l);
            case ui::WM_KILLFOCUS:
                OnKillFocus(ui::HwndFromParam(intptr_t(w)));
                return 0;
            case ui::WM_CLOSE:
                SendCloseCommandToFrame(IDM_NEWS_WINDOW);
                return 0;
            case ui::WM_DRAWITEM:
                return OnDrawItem(int(w), reinterpret_cast<const fw::DrawItemStruct*>(l));
            case ui::WM_NOTIFY:
                if (OnNotify(reinterpret_cast<const ui::NmHdr*>(l))) return 1;
                return MdiDefault(msg, w, l);
            case ui::WM_DESTROY:
                report_.DropImages();
                shell::ForgetWindowOfKind(K::NewsWnd, Handle());
                return 0;
            case WM_NEWS_CLEAR:
                ClearKept(Handle(), IDC_NEWS_LIST, report_);
                return 0;
            case WM_NEWS_ADD:
                AddKeptRecord(Handle(), IDC_NEWS_LIST, report_, reinterpret_cast<const NewsRecord*>(l));
                return 0;
            case WM_NEWS_STORE:
                OnStore(size_t(w), reinterpret_cast<uint8_t*>(l));
                return 0;
            case WM_NEWS_SHOW:
                ShowList(w != 0);
                return 0;
            default:
                return MdiDefault(msg, w, l);
        }
    }

    const std::vector<NewsRecord>& Kept() const { return report_.kept; }

  private:
    ui::LResult MdiDefault(uint32_t msg, ui::WParam w, ui::LParam l) {
        return ui::DefMDIChildProc(Handle(), msg, w, l);
    }

    void OnCreate() {
        const ui::Hwnd h = Handle();
        for (int id : {IDC_NEWS_LIST, IDC_NEWS_LIST_EMPTY}) {
            CreateReportListView(h, id);
            AddReportListColumns(h, id);
        }
        MakeImageLists(h, IDC_NEWS_LIST, report_);
        SetListImages(h, IDC_NEWS_LIST, report_.marks);
        ClearKept(h, IDC_NEWS_LIST, report_);
        SizePanelToClient(h, 640, 300);
        ShowList(false);
        shell::SetWindowOfKind(K::NewsWnd, h);
    }
    void OnSize(int width, int height) {
        for (int id : {IDC_NEWS_LIST, IDC_NEWS_LIST_EMPTY})
            ui::MoveWindow(Item(Handle(), id), 0, 0, width, height, true);
    }
    void OnKillFocus(ui::Hwnd gaining) {
        const ui::Hwnd list = Item(Handle(), IDC_NEWS_LIST);
        if (gaining != list) {
            ui::InvalidateRect(list, nullptr, true);
            ui::UpdateWindow(list);
        }
    }
    ui::LResult OnDrawItem(int id, const fw::DrawItemStruct* item) {
        fw::DrawOwnerDrawItem(Handle(), id, item, kCharWidth);
        if (id == IDC_NEWS_LIST) DrawReportRowIcons(Handle(), IDC_NEWS_LIST, item, report_);
        return 1;
    }
    bool OnNotify(const ui::NmHdr* hdr) {
        if (hdr == nullptr || hdr->idFrom != uintptr_t(IDC_NEWS_LIST)) return false;
        if (hdr->code == ui::NM_KILLFOCUS) {
            ui::SendMessage(Handle(), ui::WM_KILLFOCUS, 0, 0);
            return true;
        }
        return hdr->code == ui::NM_DBLCLK;
    }
    void OnStore(size_t first, uint8_t* table) {
        if (table == nullptr) return;
        for (size_t i = 0; i < report_.kept.size() && first + i < rules::kNewsTableCount; ++i)
            std::memcpy(rules::NewsAt(table, first + i), report_.kept[i].data(),
                        rules::kNewsRecordSize);
    }
    void ShowList(bool empty) {
        ui::ShowWindow(Item(Handle(), IDC_NEWS_LIST), empty ? ui::SW_HIDE : ui::SW_SHOW);
        ui::ShowWindow(Item(Handle(), IDC_NEWS_LIST_EMPTY), empty ? ui::SW_SHOW : ui::SW_HIDE);
    }

    ReportState report_;
};

// ---- the result window ----------------------------------------------------------------------

bool InEndButton(ui::LParam l) {
    const int x = ui::GetXLParam(l), y = ui::GetYLParam(l);
    return x >= kEndButton.left && x <= kEndButton.right && y >= kEndButton.top &&
           y <= kEndButton.bottom;
}

// The end button's face (normal at y 0, pressed at y 40) with its word, on the background.
void PaintEndButton(ui::Hwnd h, fw::Dib* background, bool pressed) {
    fw::Dib button("end_btn.bmp");
    if (background == nullptr || !button.HasBits()) return;
    fw::HvDIBitBltOpaque(background, kEndButton.left, kEndButton.top,
                         kEndButton.right - kEndButton.left, kEndButton.bottom - kEndButton.top,
                         &button, 0, pressed ? 40 : 0);
    const int shift = pressed ? 1 : 0;
    fw::DrawTextShadowedOnDib(h, background,
                              {kEndButton.left + shift, kEndButton.top + shift,
                               kEndButton.right + shift, kEndButton.bottom + shift},
                              "終了", 16, 1, kWhite, ui::DT_CENTER, ui::TextEncoding::Utf8);
}

// The result window: the end picture with the player's figures, the whole news log and the
// end button that leads back to the title.
class ResultWindow : public ui::WindowObject {
  public:
    using WindowObject::WindowObject;

    ui::LResult Dispatch(uint32_t msg, ui::WParam w, ui::LParam l) {
        switch (msg) {
            case ui::WM_CREATE:
                OnCreate();
                return 0;
            case ui::WM_PAINT:
                fw::PaintWindowFromBitmap(Handle(), background_.get());
                return 0;
            case ui::WM_ERASEBKGND:
                return 1;
            case ui::WM_LBUTTONDOWN:
                OnLButtonDown(l);
                return 0;
            case ui::WM_MOUSEMOVE:
                OnMouseMove(l);
                return 0;
            case ui::WM_LBUTTONUP:
                OnLButtonUp(l);
                return 0;
            case ui::WM_CLOSE:
                SendCloseCommandToFrame(IDM_RESULT_WINDOW);
                return 0;
            case ui::WM_COMMAND:
                if (ui::LoWord(w) == IDC_RESULT_END) ui::SendMessage(Handle(), ui::WM_CLOSE, 0, 0);
                return 0;
            case ui::WM_DRAWITEM: {
                const auto* item = reinterpret_cast<const fw::DrawItemStruct*>(l);
                fw::DrawOwnerDrawItem(Handle(), int(w), item, kCharWidth);
                DrawReportRowIcons(Handle(), IDC_RESULT_LIST, item, report_);
                return 1;
            }
            case ui::WM_NOTIFY:
                if (OnNotify(reinterpret_cast<const ui::NmHdr*>(l))) return 1;
                return Default(msg, w, l);
            case ui::WM_DESTROY:
                report_.DropImages();
                background_.reset();
                shell::ForgetWindowOfKind(K::ResultWnd, Handle());
                return 0;
            case WM_NEWS_CLEAR:
                ClearKept(Handle(), IDC_RESULT_LIST, report_);
                return 0;
            case WM_NEWS_ADD:
                AddKeptRecord(Handle(), IDC_RESULT_LIST, report_,
                              reinterpret_cast<const NewsRecord*>(l));
                return 0;
            case WM_RESULT_SET_DATA:
                if (l != 0) {
                    std::memcpy(figures_.data(), reinterpret_cast<const void*>(l),
                                rules::kCountryTable25RecordSize);
                    DrawResultPanel(Handle(), background_.get(), figures_);
                }
                return 0;
            case WM_RESULT_SHOW:
                ui::ShowWindow(Handle(), l == 1 && showFlag_ == 1 ? ui::SW_SHOW : ui::SW_HIDE);
                return 0;
            case WM_RESULT_ACTIVATE:
                if (ui::Hwnd frame = Frame()) {
                    showFlag_ = int(l);
                    ui::SendMessage(Handle(), WM_RESULT_SHOW, 0, ui::IsIconic(frame) ? 0 : 1);
                }
                return 0;
            default:
                return Default(msg, w, l);
        }
    }

    const std::vector<NewsRecord>& Kept() const { return report_.kept; }

  private:
    void OnCreate() {
        const ui::Hwnd h = Handle();
        background_ = LoadPicture("victory.bmp");
        PaintEndButton(h, background_.get(), false);
        figures_.bytes.fill(0);
        CreateReportListView(h, IDC_RESULT_LIST);
        AddReportListColumns(h, IDC_RESULT_LIST);
        MakeImageLists(h, IDC_RESULT_LIST, report_);
        SetListImages(h, IDC_RESULT_LIST, report_.marks);
        ClearKept(h, IDC_RESULT_LIST, report_);
        ui::MoveWindow(Item(h, IDC_RESULT_LIST), 304, 48, 480, 440, false);
        const int sw = ui::GetSystemMetrics(ui::SM_CXSCREEN);
        const int sh = ui::GetSystemMetrics(ui::SM_CYSCREEN);
        ui::SetWindowPos(h, ui::Hwnd{}, (sw - kResultWidth) / 2, (sh - 600) / 2, kResultWidth,
                         kResultHeight, ui::SWP_NOZORDER | ui::SWP_NOACTIVATE);
        shell::SetWindowOfKind(K::ResultWnd, h);
        // Show flag 2: stays hidden until the end of a game activates it with 1.
        ui::SendMessage(h, WM_RESULT_ACTIVATE, 0, 2);
    }

    void OnLButtonDown(ui::LParam l) {
        if (!InEndButton(l)) return;
        ui::SetCapture(Handle());
        pressed_ = tracking_ = true;
        DrawEndButton(true);
    }
    void OnMouseMove(ui::LParam l) {
        if (!tracking_) return;
        const bool inside = InEndButton(l);
        if (inside != pressed_) {
            pressed_ = inside;
            DrawEndButton(inside);
        }
    }
    void OnLButtonUp(ui::LParam l) {
        const bool wasTracking = tracking_;
        if (ui::GetCapture() == Handle()) ui::ReleaseCapture();
        pressed_ = tracking_ = false;
        DrawEndButton(false);
        if (wasTracking && InEndButton(l)) Leave();
    }
    // A double click on an attack's row replays its fight.
    bool OnNotify(const ui::NmHdr* hdr) {
        if (hdr == nullptr || hdr->idFrom != uintptr_t(IDC_RESULT_LIST) || hdr->code != ui::NM_DBLCLK)
            return false;
        const int row = reinterpret_cast<const ui::NmItemActivate*>(hdr)->iItem;
        if (row < 0 || row >= int(report_.kept.size())) return true;
        NewsRecord& r = report_.kept[size_t(row)];
        if (r.Kind() != rules::kNewsAttacked && r.Kind() != rules::kNewsWasAttacked) return true;
        if (ui::Hwnd fights = shell::GetWindowOfKind(K::RealManager)) {
            ui::SendMessage(fights, WM_FIGHT_RAISE, 0, 0);
            ui::SendMessage(fights, WM_FIGHT_DATA, 0, reinterpret_cast<ui::LParam>(r.FightRecord()));
        }
        return true;
    }

    void DrawEndButton(bool pressed) {
        PaintEndButton(Handle(), background_.get(), pressed);
        ui::InvalidateRect(Handle(), nullptr, false);
        ui::UpdateWindow(Handle());
    }

    void Leave() {
        const ui::Hwnd h = Handle();
        showFlag_ = 0;
        if (gHooks.playMusic) gHooks.playMusic(nullptr);
        if (ui::Hwnd fights = shell::GetWindowOfKind(K::RealManager))
            ui::SendMessage(fights, WM_FIGHT_LOWER, 0, 0);
        ui::SendMessage(h, ui::WM_CLOSE, 0, 0);
        if (gHooks.isJournalHost && gHooks.isJournalHost() && gHooks.leaveSession)
            gHooks.leaveSession();
        if (ui::Hwnd frame = Frame()) ui::SendMessage(frame, ui::WM_COMMAND, IDM_BACK_TO_TITLE, 2);
    }

    ReportState report_;
    std::unique_ptr<fw::Dib> background_;
    rules::CountryTable25Record figures_{};
    int showFlag_ = 0;
    bool pressed_ = false;
    bool tracking_ = false;
};

void Text(ui::Hwnd h, fw::Dib* dib, int x, int y, const std::string& utf8, int size = 16) {
    fw::DrawTextOnDib(h, dib, x, y, utf8.c_str(), size, 1, kWhite, ui::TextEncoding::Utf8);
}

}  // namespace

// ---- the report list --------------------------------------------------------------------------

ui::Hwnd CreateReportListView(ui::Hwnd parent, int id) {
    return ui::CreateWindowEx(0, ui::kListViewClass, "", kListStyle, 0, 0, 100, 100, parent,
                              intptr_t(id), nullptr, nullptr);
}

void AddReportListColumns(ui::Hwnd parent, int id) {
    struct Column {
        const char* utf8;
        int width;
    };
    static constexpr Column kColumns[] = {{"時間", 60}, {"座標", 60}, {"NEWS", 200}, {"結果", 160}};
    const ui::Hwnd list = Item(parent, id);
    int index = 0;
    for (const Column& c : kColumns) {
        std::string text = core::Utf8ToSjis(c.utf8);
        ui::LvColumn col;
        col.mask = ui::LVCF_FMT | ui::LVCF_TEXT | ui::LVCF_WIDTH | ui::LVCF_SUBITEM;
        col.fmt = ui::LVCFMT_LEFT;
        col.cx = c.width;
        col.pszText = text.data();
        col.iSubItem = index;
        ui::SendMessage(list, ui::LVM_INSERTCOLUMNA, ui::WParam(index), reinterpret_cast<ui::LParam>(&col));
        ++index;
    }
}

ui::ImageList* CreateSiteIconImageList(ui::Hwnd parent, int id) {
    // Countries 0-2 in row 1, country 3 in row 2, the neutral owner in row 0 from column 13.
    ui::ImageList* list = CutIcons("hexMidl.bmp", kSiteIcons, [](int i) {
        if (i < 18) return ui::Point{i * kIcon, 16};
        if (i < 24) return ui::Point{(i - 18) * kIcon, 32};
        return ui::Point{208 + (i - 24) * kIcon, 0};
    });
    if (list) SetListImages(parent, id, list);
    return list;
}

ui::ImageList* CreateTroopMarkImageList(ui::Hwnd parent, int id) {
    // Mark 12 x country + picture: the upright facing of the country's column group.
    ui::ImageList* list = CutIcons("Unt_midl.bmp", kTroopMarks, [](int i) {
        return ui::Point{((i / 12) * 6 + 3) * kIcon, (i % 12) * kIcon};
    });
    if (list) SetListImages(parent, id, list);
    return list;
}

void AddNewsListRow(ui::Hwnd parent, int id, NewsRecord* record) {
    const ui::Hwnd list = Item(parent, id);
    if (!list || record == nullptr) return;
    ui::SendMessage(list, ui::WM_SETREDRAW, 0, 0);
    const int n = int(ui::SendMessage(list, ui::LVM_GETITEMCOUNT, 0, 0));
    std::string time = NewsTimeText(*record);
    ui::LvItem item;
    item.mask = ui::LVIF_TEXT;
    item.iItem = n;
    item.pszText = time.data();
    const int row = int(ui::SendMessage(list, ui::LVM_INSERTITEMA, 0, reinterpret_cast<ui::LParam>(&item)));
    SetCell(list, row, 1, NewsPlaceText(*record));
    rules::TableDirectory* tables = PanelTables();
    const char* news = tables ? FormatNewsListText(*tables, record) : nullptr;
    SetCell(list, row, 2, news ? news : "");
    SetCell(list, row, 3, FormatNewsResultText(record));
    if (n >= kNewsKeptMax) ui::SendMessage(list, ui::LVM_DELETEITEM, 0, 0);
    ui::SendMessage(list, ui::WM_SETREDRAW, 1, 0);
    ui::InvalidateRect(list, nullptr, true);
}

bool RegisterNewsWindowClass() {
    ui::WindowClass existing;
    if (ui::GetClassInfo(kNewsClass, &existing)) return true;
    ui::WindowClass wc;
    wc.name = kNewsClass;
    wc.proc = ui::WindowObjectProc<NewsWindow>;
    wc.style = ui::CS_HREDRAW | ui::CS_VREDRAW;
    wc.windowExtraBytes = 4;
    wc.hasBackground = true;
    wc.background = ui::Rgb(255, 255, 255);
    wc.cursor = ui::LoadCursor(nullptr, ui::IDC_ARROW);
    return ui::RegisterClass(wc);
}

bool RegisterResultWindowClass() {
    return RegisterPanelClass(kResultClass, ui::WindowObjectProc<ResultWindow>);
}

ui::Hwnd CreateNewsWindow(ui::Hwnd mdiClient) {
    if (!RegisterNewsWindowClass()) return {};
    const ui::Hwnd h = ui::CreateMDIWindow(kNewsClass, core::Utf8ToSjis("ニュース").c_str(), 0,
                                           ui::MdiCreateStruct::CW_USEDEFAULT_MDI,
                                           ui::MdiCreateStruct::CW_USEDEFAULT_MDI, 640, 300,
                                           mdiClient, nullptr, 0);
    if (h) ui::ShowWindow(h, ui::SW_HIDE);
    return h;
}

const std::vector<NewsRecord>& GetNewsWindowRecords() {
    const auto* news =
        ui::WindowObjectOf<NewsWindow>(shell::GetWindowOfKind(K::NewsWnd), kNewsClass);
    return news ? news->Kept() : NoRecords();
}

void SetResultWindowHooks(ResultWindowHooks hooks) {
    gHooks = std::move(hooks);
}

ui::Hwnd CreateResultWindow(ui::Hwnd owner) {
    if (!RegisterPanelClass(kResultClass, ui::WindowObjectProc<ResultWindow>)) return {};
    return ui::CreateWindowEx(0, kResultClass, core::Utf8ToSjis("最終結果").c_str(),
                              ui::WS_POPUP | ui::WS_CLIPCHILDREN, 0, 0, kResultWidth, kResultHeight,
                              owner, 0, nullptr, nullptr);
}

const std::vector<NewsRecord>& GetResultWindowRecords() {
    const auto* result =
        ui::WindowObjectOf<ResultWindow>(shell::GetWindowOfKind(K::ResultWnd), kResultClass);
    return result ? result->Kept() : NoRecords();
}

void DrawResultPanel(ui::Hwnd window, fw::Dib* background, const rules::CountryTable25Record& r) {
    if (background == nullptr) return;
    const bool won = r.Outcome() == 0;
    RestorePicture(background, won ? "victory.bmp" : "defeat.bmp");
    if (shell::GetBgm() && gHooks.playMusic) gHooks.playMusic(won ? "win.mid" : "lose.mid");
    // The captions of the figures (the pictures carry only their frames).
    Text(window, background, 40, 96, "終了時刻", 12);
    Text(window, background, 40, 152, "資金", 12);
    Text(window, background, 40, 226, "部隊", 12);
    static constexpr const char* kClasses[] = {"高空", "低空", "地上", "海上", "海中"};
    for (int i = 0; i < 5; ++i) Text(window, background, 100 + 40 * i, 232, kClasses[i], 10);
    static constexpr const char* kRows[] = {"開始", "生産", "終了", "喪失"};
    for (int i = 0; i < 4; ++i) Text(window, background, 48, 256 + 22 * i, kRows[i], 12);
    Text(window, background, 40, 346, "拠点", 12);
    static constexpr const char* kSites[] = {"首都", "大都", "都市", "町", "空港", "港"};
    for (int i = 0; i < 6; ++i) Text(window, background, 102 + 32 * i, 370, kSites[i], 10);
    Text(window, background, 48, 392, "保有", 12);
    Text(window, background, 48, 414, "補給", 12);
    PaintEndButton(window, background, false);

    const int hours = r.EndHours();
    Text(window, background, 88, 126,
         Format("第%2d日目%2d時%2d分", hours / 24, hours % 24, int(r.EndMinute())));
    const std::string funds = Format("%8d", int(r.FundsAtEnd()));
    fw::DrawTextShadowedOnDib(window, background, {88, 174, 216, 190}, funds.c_str(), 16, 1, kWhite,
                              ui::DT_RIGHT, ui::TextEncoding::Utf8);
    static constexpr int kRowY[] = {254, 276, 298, 320};
    for (int row = 0; row < 4; ++row)
        for (int k = 0; k < 5; ++k)
            Text(window, background, 104 + 40 * k, kRowY[row],
                 Format("%2d", int(r.bytes[size_t(24 + 5 * row + k)])));
    for (int row = 0; row < 2; ++row)
        for (int k = 0; k < 6; ++k)
            Text(window, background, 104 + 32 * k, 390 + 22 * row,
                 Format("%2d", int(r.bytes[size_t(4 + 6 * row + k)])));
}

void ShowGameResult(uint8_t* newsTable, const rules::CountryTable25Record& result) {
    if (newsTable == nullptr) return;
    std::memset(newsTable, 0xFF, rules::kNewsLogBytes);
    if (ui::Hwnd news = shell::GetWindowOfKind(K::NewsWnd))
        ui::SendMessage(news, WM_NEWS_STORE, 0, reinterpret_cast<ui::LParam>(newsTable));
    const ui::Hwnd window = shell::GetWindowOfKind(K::ResultWnd);
    if (!window) return;
    ui::SendMessage(window, WM_RESULT_SET_DATA, 0, reinterpret_cast<ui::LParam>(result.data()));
    ui::SendMessage(window, WM_NEWS_CLEAR, 0, 0);
    for (size_t i = 0; i < rules::kNewsTableCount; ++i) {
        const NewsRecord* r = rules::NewsAt(newsTable, i);
        if (!r->IsEmptySlot())
            ui::SendMessage(window, WM_NEWS_ADD, 0, reinterpret_cast<ui::LParam>(r));
    }
    ui::SendMessage(window, WM_RESULT_ACTIVATE, 0, 1);
}

}  // namespace zv::panels
