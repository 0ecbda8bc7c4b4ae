#include "panels/ListRows.h"

#include "framework/Dib.h"
#include "framework/gui/GdiHelpers.h"
#include "platform/core/Sjis.h"
#include "platform/ui/controls/ImageList.h"
#include "shell/Palettes.h"
#include "platform/ui/Window.h"
#include "platform/ui/controls/CommonControls.h"

namespace zv::panels {

namespace {
constexpr int kMarkSize = 16;
constexpr int kMarkPictures = 12;
constexpr int kMarkCountries = 4;
}  // namespace

ui::ImageList* AttachTroopMarks(ui::Hwnd list) {
    fw::Dib sheet("trpMark.bmp");
    if (!sheet.HasBits()) return nullptr;
    // The sheet holds a row per country; the list wants one strip, country after country.
    constexpr int count = kMarkPictures * kMarkCountries;
    auto strip = fw::Dib::CreateBlank(count * kMarkSize, kMarkSize, shell::GetPaletteTableC());
    for (int i = 0; i < count; ++i) {
        fw::HvDIBitBlt(strip.get(), i * kMarkSize, 0, kMarkSize, kMarkSize, &sheet,
                       (i % kMarkPictures) * kMarkSize, (i / kMarkPictures) * kMarkSize, 0);
    }
    ui::ImageList* images = ui::ImageList_Create(kMarkSize, kMarkSize, ui::ILC_COLOR8 | ui::ILC_MASK, count, 0);
    if (images == nullptr) return nullptr;
    const ui::IndexedSurface surface = strip->GetBitmapHandle();
    // Index 0 is the sheet's transparent key: the row's colour shows around the shield.
    ui::ImageList_AddMasked(images, &surface, strip->GetPixelColor(0, 0) & 0xFFFFFF);
    ui::SendMessage(list, ui::LVM_SETIMAGELIST, ui::LVSIL_NORMAL, reinterpret_cast<ui::LParam>(images));
    ui::SendMessage(list, ui::LVM_SETIMAGELIST, ui::LVSIL_SMALL, reinterpret_cast<ui::LParam>(images));
    return images;
}

int TroopMarkImage(int country, int picture) {
    if (country < 0 || country >= kMarkCountries || picture < 0 || picture >= kMarkPictures) return -1;
    return kMarkPictures * country + picture;
}

void AddListColumn(ui::Hwnd list, int index, const char* utf8Title, int width, int fmt) {
    std::string title = core::Utf8ToSjis(utf8Title);
    ui::LvColumn c;
    c.mask = ui::LVCF_FMT | ui::LVCF_WIDTH | ui::LVCF_TEXT | ui::LVCF_SUBITEM;
    c.fmt = fmt;
    c.cx = width;
    c.pszText = title.data();
    c.iSubItem = index;
    ui::SendMessage(list, ui::LVM_INSERTCOLUMNA, ui::WParam(index), reinterpret_cast<ui::LParam>(&c));
}

int AddListRow(ui::Hwnd list, const std::vector<std::string>& utf8Texts, int image) {
    const int row = ListRowCount(list);
    for (size_t k = 0; k < utf8Texts.size(); ++k) {
        std::string text = core::Utf8ToSjis(utf8Texts[k]);
        ui::LvItem item;
        item.mask = ui::LVIF_TEXT | (k == 0 ? ui::LVIF_IMAGE : 0u);
        item.iImage = image;
        item.iItem = row;
        item.iSubItem = int(k);
        item.pszText = text.data();
        ui::SendMessage(list, k == 0 ? ui::LVM_INSERTITEMA : ui::LVM_SETITEMTEXTA, ui::WParam(row),
                        reinterpret_cast<ui::LParam>(&item));
    }
    return row;
}

void ClearListRows(ui::Hwnd list) {
    ui::SendMessage(list, ui::LVM_DELETEALLITEMS, 0, 0);
}

int ListRowCount(ui::Hwnd list) {
    return int(ui::SendMessage(list, ui::LVM_GETITEMCOUNT, 0, 0));
}

std::string ListCellText(ui::Hwnd list, int row, int column) {
    char buffer[260] = {};
    ui::LvItem item;
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = int(sizeof buffer);
    ui::SendMessage(list, ui::LVM_GETITEMTEXTA, ui::WParam(row), reinterpret_cast<ui::LParam>(&item));
    return core::SjisToUtf8(buffer);
}

void SetListCellText(ui::Hwnd list, int row, int column, const std::string& utf8) {
    std::string text = core::Utf8ToSjis(utf8);
    ui::LvItem item;
    item.iSubItem = column;
    item.pszText = text.data();
    ui::SendMessage(list, ui::LVM_SETITEMTEXTA, ui::WParam(row), reinterpret_cast<ui::LParam>(&item));
}

}  // namespace zv::panels
