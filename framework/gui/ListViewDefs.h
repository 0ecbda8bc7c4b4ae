#pragma once

// What the owner-drawn list-view rows exchange with a list-view control: the draw-item record
// of WM_DRAWITEM and the list-view messages with their records. They are the window layer's
// own (platform/ui/controls), named here for the framework's code.

#include "platform/ui/controls/CommonControls.h"
#include "platform/ui/controls/ControlConstants.h"
#include "platform/ui/controls/ImageList.h"

namespace zv::fw {

using ui::DrawItemStruct;
using ui::ODS_DISABLED;
using ui::ODS_FOCUS;
using ui::ODS_SELECTED;
using ui::ODT_BUTTON;
using ui::ODT_LISTVIEW;

using ui::LVM_FIRST;
using ui::LVM_GETCOLUMNA;
using ui::LVM_GETIMAGELIST;
using ui::LVM_GETITEMA;
using ui::LVM_GETITEMSTATE;
using ui::LVM_GETITEMTEXTA;
using ui::LVM_GETSUBITEMRECT;

using ui::LVCF_FMT;
using ui::LVCF_SUBITEM;
using ui::LVCF_TEXT;
using ui::LVCF_WIDTH;
using ui::LVCFMT_CENTER;
using ui::LVCFMT_LEFT;
using ui::LVCFMT_RIGHT;
using ui::LVIF_IMAGE;
using ui::LVIF_TEXT;
using ui::LVIR_BOUNDS;
using ui::LVIR_LABEL;
using ui::LVIS_FOCUSED;
using ui::LVIS_SELECTED;
using ui::LVSIL_NORMAL;

using ui::LvColumn;
using ui::LvItem;

using ui::ILD_NORMAL;
using ui::ILD_SELECTED;
using ui::ImageList;
using ui::ImageList_Draw;

}  // namespace zv::fw
