// SysTreeView32: items in a tree that expand and collapse, one selected item, TVN_* and NM_*
// notifications.

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

#include "platform/ui/ClassicTheme.h"
#include "platform/ui/controls/ControlSupport.h"
#include "platform/ui/controls/ImageList.h"
#include "platform/ui/controls/StandardControls.h"

namespace zv::ui::controls {

namespace {

constexpr int kDefaultIndent = 19;
constexpr int kButtonSize = 9;

struct Node {
    HTreeItem handle = 0;
    Node* parent = nullptr;
    std::vector<Node*> children;
    std::string text;
    int image = 0;
    int selectedImage = 0;
    int childrenFlag = 0;  // cChildren: 1 shows a button before any child exists
    intptr_t lParam = 0;
    uint32_t state = 0;
};

struct TreeState {
    std::map<HTreeItem, std::unique_ptr<Node>> nodes;
    Node root;  // the invisible parent of the top-level items
    HTreeItem nextHandle = 1;
    HTreeItem selected = 0;
    ImageList* images = nullptr;
    ControlFont font;
    int indent = kDefaultIndent;
    int itemHeight = 0;
    int top = 0;  // first visible row
    bool focused = false;
};

Node* Find(TreeState* s, HTreeItem h) {
    if (h == TVI_ROOT || h == 0) return nullptr;
    auto it = s->nodes.find(h);
    return it == s->nodes.end() ? nullptr : it->second.get();
}

int Depth(const Node* n) {
    int d = 0;
    for (const Node* p = n->parent; p && p->parent; p = p->parent) ++d;
    return d;
}

bool Expanded(const Node* n) {
    return (n->state & TVIS_EXPANDED) != 0;
}

bool HasButton(const Node* n) {
    return !n->children.empty() || n->childrenFlag > 0;
}

void Flatten(Node* n, std::vector<Node*>& out) {
    for (Node* c : n->children) {
        out.push_back(c);
        if (Expanded(c)) Flatten(c, out);
    }
}

std::vector<Node*> Visible(TreeState* s) {
    std::vector<Node*> out;
    Flatten(&s->root, out);
    return out;
}

int RowOf(TreeState* s, const Node* n) {
    const std::vector<Node*> v = Visible(s);
    for (int i = 0; i < int(v.size()); ++i) {
        if (v[std::size_t(i)] == n) return i;
    }
    return -1;
}

int PageRows(Hwnd h, const TreeState* s) {
    Rect c;
    GetClientRect(h, &c);
    return std::max(1, c.Height() / std::max(1, s->itemHeight));
}

bool RootLines(Hwnd h) {
    return (StyleOf(h) & TVS_LINESATROOT) != 0;
}

int LevelX(Hwnd h, const TreeState* s, const Node* n) {
    return (Depth(n) + (RootLines(h) ? 1 : 0)) * s->indent;
}

int ImageWidth(const TreeState* s) {
    return s->images ? s->images->ImageSize().cx + 3 : 0;
}

Rect ItemRect(Hwnd h, TreeState* s, const Node* n, bool labelOnly) {
    const int row = RowOf(s, n);
    Rect c;
    GetClientRect(h, &c);
    const int y = (row - s->top) * s->itemHeight;
    if (!labelOnly) return {c.left, y, c.right, y + s->itemHeight};
    const int x = LevelX(h, s, n) + ImageWidth(s);
    return {x, y, x + s->font.font.MeasureText(n->text).cx + 4, y + s->itemHeight};
}

void UpdateScroll(Hwnd h, TreeState* s) {
    const int rows = int(Visible(s).size());
    s->top = std::clamp(s->top, 0, std::max(0, rows - PageRows(h, s)));
    SetControlScrollBar(h, SB_VERT, rows - 1, PageRows(h, s), s->top, false);
}

void Changed(Hwnd h, TreeState* s) {
    UpdateScroll(h, s);
    InvalidateRect(h, nullptr, true);
}

void Fill(const Node* n, TvItem* out) {
    out->hItem = n->handle;
    if ((out->mask & TVIF_TEXT) && out->pszText && out->cchTextMax > 0) {
        CopyOut(n->text, out->pszText, std::size_t(out->cchTextMax));
    }
    if (out->mask & TVIF_IMAGE) out->iImage = n->image;
    if (out->mask & TVIF_SELECTEDIMAGE) out->iSelectedImage = n->selectedImage;
    if (out->mask & TVIF_PARAM) out->lParam = n->lParam;
    if (out->mask & TVIF_STATE) out->state = n->state & (out->stateMask ? out->stateMask : ~0u);
    if (out->mask & TVIF_CHILDREN) out->cChildren = HasButton(n) ? 1 : 0;
}

void Apply(Node* n, const TvItem& in) {
    if (in.mask & TVIF_TEXT) n->text = in.pszText ? in.pszText : "";
    if (in.mask & TVIF_IMAGE) n->image = in.iImage;
    if (in.mask & TVIF_SELECTEDIMAGE) n->selectedImage = in.iSelectedImage;
    if (in.mask & TVIF_PARAM) n->lParam = in.lParam;
    if (in.mask & TVIF_CHILDREN) n->childrenFlag = in.cChildren;
    if (in.mask & TVIF_STATE) {
        const uint32_t keep = TVIS_SELECTED;  // selection goes through TVM_SELECTITEM
        const uint32_t mask = in.stateMask & ~keep;
        n->state = (n->state & ~mask) | (in.state & mask);
    }
}

void MakeVisible(Hwnd h, TreeState* s, Node* n) {
    for (Node* p = n->parent; p && p->parent; p = p->parent) p->state |= TVIS_EXPANDED;
    const int row = RowOf(s, n);
    if (row < s->top) s->top = row;
    if (row >= s->top + PageRows(h, s)) s->top = row - PageRows(h, s) + 1;
    Changed(h, s);
}

// Selection: TVN_SELCHANGING may refuse; TVN_SELCHANGED follows.
bool Select(Hwnd h, TreeState* s, Node* n, uint32_t action) {
    Node* old = Find(s, s->selected);
    if (old == n) return true;
    NmTreeView nm;
    nm.action = action;
    if (old) Fill(old, &nm.itemOld);
    if (n) Fill(n, &nm.itemNew);
    nm.itemOld.mask = nm.itemNew.mask = TVIF_HANDLE | TVIF_PARAM | TVIF_STATE;
    if (old) nm.itemOld.lParam = old->lParam;
    if (n) nm.itemNew.lParam = n->lParam;
    if (NotifyParent(h, &nm.hdr, TVN_SELCHANGINGA)) return false;
    if (!IsWindow(h)) return false;
    old = Find(s, s->selected);
    if (old) old->state &= ~TVIS_SELECTED;
    s->selected = n ? n->handle : 0;
    if (n) {
        n->state |= TVIS_SELECTED;
        MakeVisible(h, s, n);
    }
    InvalidateRect(h, nullptr, true);
    NmTreeView done = nm;
    NotifyParent(h, &done.hdr, TVN_SELCHANGEDA);
    return true;
}

bool Expand(Hwnd h, TreeState* s, Node* n, uint32_t action, bool notify) {
    if (!n) return false;
    const bool open = Expanded(n);
    bool want = open;
    switch (action & 3) {
        case TVE_EXPAND:
            want = true;
            break;
        case TVE_COLLAPSE:
            want = false;
            break;
        case TVE_TOGGLE:
            want = !open;
            break;
        default:
            return false;
    }
    if (want == open) return true;
    if (notify && HasButton(n)) {
        NmTreeView nm;
        nm.action = want ? TVE_EXPAND : TVE_COLLAPSE;
        Fill(n, &nm.itemNew);
        nm.itemNew.mask = TVIF_HANDLE | TVIF_PARAM | TVIF_STATE;
        nm.itemNew.lParam = n->lParam;
        if (NotifyParent(h, &nm.hdr, TVN_ITEMEXPANDINGA)) return false;
        if (!IsWindow(h)) return false;
    }
    if (want) {
        n->state |= TVIS_EXPANDED;
    } else {
        n->state &= ~TVIS_EXPANDED;
        // A selection inside a collapsed branch moves up to the branch.
        for (Node* p = Find(s, s->selected); p; p = p->parent) {
            if (p->parent == n) {
                Select(h, s, n, TVC_UNKNOWN);
                break;
            }
        }
    }
    Changed(h, s);
    if (notify && HasButton(n)) {
        NmTreeView nm;
        nm.action = want ? TVE_EXPAND : TVE_COLLAPSE;
        Fill(n, &nm.itemNew);
        nm.itemNew.lParam = n->lParam;
        NotifyParent(h, &nm.hdr, TVN_ITEMEXPANDEDA);
    }
    return true;
}

void DeleteNode(Hwnd h, TreeState* s, Node* n) {
    while (!n->children.empty()) DeleteNode(h, s, n->children.back());
    NmTreeView nm;
    nm.itemOld.hItem = n->handle;
    nm.itemOld.lParam = n->lParam;
    nm.itemOld.mask = TVIF_HANDLE | TVIF_PARAM;
    NotifyParent(h, &nm.hdr, TVN_DELETEITEMA);
    if (s->selected == n->handle) s->selected = 0;
    auto& siblings = n->parent->children;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), n), siblings.end());
    s->nodes.erase(n->handle);
}

HTreeItem Insert(Hwnd h, TreeState* s, const TvInsertStruct& in) {
    Node* parent = in.hParent == TVI_ROOT || in.hParent == 0 ? &s->root : Find(s, in.hParent);
    if (!parent) return 0;
    auto node = std::make_unique<Node>();
    Node* n = node.get();
    n->handle = s->nextHandle++;
    n->parent = parent;
    Apply(n, in.item);
    n->state &= ~TVIS_SELECTED;
    auto& kids = parent->children;
    std::size_t at = kids.size();
    if (in.hInsertAfter == TVI_FIRST) {
        at = 0;
    } else if (in.hInsertAfter == TVI_SORT) {
        at = 0;
        while (at < kids.size() && CompareNoCase(kids[at]->text, n->text) <= 0) ++at;
    } else if (in.hInsertAfter != TVI_LAST) {
        for (std::size_t i = 0; i < kids.size(); ++i) {
            if (kids[i]->handle == in.hInsertAfter) at = i + 1;
        }
    }
    kids.insert(kids.begin() + std::ptrdiff_t(at), n);
    s->nodes[n->handle] = std::move(node);
    Changed(h, s);
    return n->handle;
}

Node* HitTest(Hwnd h, TreeState* s, Point p, uint32_t* flags) {
    *flags = TVHT_NOWHERE;
    const std::vector<Node*> v = Visible(s);
    if (p.y < 0) return nullptr;
    const int row = s->top + p.y / std::max(1, s->itemHeight);
    if (row < 0 || row >= int(v.size())) return nullptr;
    Node* n = v[std::size_t(row)];
    const int level = LevelX(h, s, n);
    const int buttonX = level - s->indent / 2;
    if ((StyleOf(h) & TVS_HASBUTTONS) && HasButton(n) && (Depth(n) > 0 || RootLines(h)) &&
        std::abs(p.x - buttonX) <= kButtonSize / 2 + 1) {
        *flags = TVHT_ONITEMBUTTON;
    } else if (p.x < level) {
        *flags = TVHT_ONITEMINDENT;
    } else if (p.x < level + ImageWidth(s)) {
        *flags = TVHT_ONITEMICON;
    } else if (p.x < ItemRect(h, s, n, true).right) {
        *flags = TVHT_ONITEMLABEL;
    } else {
        *flags = TVHT_ONITEMRIGHT;
    }
    return n;
}

void Paint(Hwnd h, TreeState* s) {
    PaintStruct ps;
    Canvas* dc = BeginPaint(h, &ps);
    if (!dc) return;
    Rect c;
    GetClientRect(h, &c);
    theme::Fill(*dc, c, GetSysColor(COLOR_WINDOW));
    dc->SelectFont(s->font.font);
    dc->SetBkMode(TRANSPARENT);
    const std::vector<Node*> v = Visible(s);
    const uint32_t style = StyleOf(h);
    const ColorRef lineColor = GetSysColor(COLOR_BTNSHADOW);
    for (int row = s->top; row < std::min(int(v.size()), s->top + PageRows(h, s) + 1); ++row) {
        Node* n = v[std::size_t(row)];
        const int y = (row - s->top) * s->itemHeight;
        const int mid = y + s->itemHeight / 2;
        const int level = LevelX(h, s, n);
        const bool rooted = Depth(n) > 0 || RootLines(h);
        if ((style & TVS_HASLINES) && rooted) {
            const int lx = level - s->indent / 2;
            for (int x = lx; x < level; x += 2) dc->SetPixel(x, mid, lineColor);
            const bool last = n->parent->children.back() == n;
            for (int yy = y + ((y ^ lx) & 1); yy < (last ? mid : y + s->itemHeight); yy += 2) {
                dc->SetPixel(lx, yy, lineColor);
            }
            // The lines of the ancestors that still have siblings below.
            int ax = lx - s->indent;
            for (Node* a = n->parent; a && a->parent && (Depth(a) > 0 || RootLines(h));
                 a = a->parent, ax -= s->indent) {
                if (a->parent->children.back() == a) continue;
                for (int yy = y + ((y ^ ax) & 1); yy < y + s->itemHeight; yy += 2) {
                    dc->SetPixel(ax, yy, lineColor);
                }
            }
        }
        if ((style & TVS_HASBUTTONS) && HasButton(n) && rooted) {
            const int bx = level - s->indent / 2 - kButtonSize / 2;
            const int by = mid - kButtonSize / 2;
            const Rect box{bx, by, bx + kButtonSize, by + kButtonSize};
            theme::Fill(*dc, box, GetSysColor(COLOR_WINDOW));
            dc->FrameRect(box, Brush::SolidColor(lineColor));
            const ColorRef ink = GetSysColor(COLOR_WINDOWTEXT);
            theme::Fill(*dc, {bx + 2, mid, bx + kButtonSize - 2, mid + 1}, ink);
            if (!Expanded(n))
                theme::Fill(
                    *dc,
                    {bx + kButtonSize / 2, by + 2, bx + kButtonSize / 2 + 1, by + kButtonSize - 2},
                    ink);
        }
        int x = level;
        if (s->images) {
            const bool sel = (n->state & TVIS_SELECTED) != 0;
            s->images->Draw(sel ? n->selectedImage : n->image, *dc, x,
                            y + (s->itemHeight - s->images->ImageSize().cy) / 2, ILD_NORMAL);
            x += ImageWidth(s);
        }
        const Rect label = ItemRect(h, s, n, true);
        const bool selected = (n->state & TVIS_SELECTED) != 0;
        const bool show = selected && (s->focused || (style & TVS_SHOWSELALWAYS));
        if (show) {
            theme::Fill(*dc, label,
                        s->focused ? GetSysColor(COLOR_HIGHLIGHT) : GetSysColor(COLOR_BTNFACE));
        }
        dc->SetTextColor(show && s->focused ? GetSysColor(COLOR_HIGHLIGHTTEXT)
                                            : GetSysColor(COLOR_WINDOWTEXT));
        Rect tr{label.left + 2, label.top, label.right, label.bottom};
        dc->DrawText(n->text, tr, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        if (selected && s->focused) theme::FocusRect(*dc, label);
    }
    EndPaint(h, &ps);
}

void Notify(Hwnd h, uint32_t code) {
    NmHdr nm;
    NotifyParent(h, &nm, code);
}

void KeyDown(Hwnd h, TreeState* s, uint32_t vk) {
    {
        struct {
            NmHdr hdr;
            uint16_t wVKey;
            uint32_t flags;
        } kd{};
        kd.wVKey = uint16_t(vk);
        NotifyParent(h, &kd.hdr, TVN_KEYDOWN);
        if (!IsWindow(h)) return;
    }
    const std::vector<Node*> v = Visible(s);
    if (v.empty()) return;
    Node* cur = Find(s, s->selected);
    int row = cur ? RowOf(s, cur) : -1;
    switch (vk) {
        case VK_UP:
            Select(h, s, v[std::size_t(std::max(0, row - 1))], TVC_BYKEYBOARD);
            break;
        case VK_DOWN:
            Select(h, s, v[std::size_t(std::min(int(v.size()) - 1, row + 1))], TVC_BYKEYBOARD);
            break;
        case VK_HOME:
            Select(h, s, v.front(), TVC_BYKEYBOARD);
            break;
        case VK_END:
            Select(h, s, v.back(), TVC_BYKEYBOARD);
            break;
        case VK_LEFT:
            if (!cur) break;
            if (Expanded(cur) && HasButton(cur)) {
                Expand(h, s, cur, TVE_COLLAPSE, true);
            } else if (cur->parent && cur->parent->parent) {
                Select(h, s, cur->parent, TVC_BYKEYBOARD);
            }
            break;
        case VK_RIGHT:
            if (!cur) break;
            if (!Expanded(cur) && HasButton(cur)) {
                Expand(h, s, cur, TVE_EXPAND, true);
            } else if (!cur->children.empty()) {
                Select(h, s, cur->children.front(), TVC_BYKEYBOARD);
            }
            break;
        case VK_ADD:
            if (cur) Expand(h, s, cur, TVE_EXPAND, true);
            break;
        case VK_SUBTRACT:
            if (cur) Expand(h, s, cur, TVE_COLLAPSE, true);
            break;
        case VK_RETURN:
            Notify(h, NM_RETURN);
            break;
        default:
            break;
    }
}

Node* Next(TreeState* s, Node* n, uint32_t flag) {
    switch (flag) {
        case TVGN_ROOT:
            return s->root.children.empty() ? nullptr : s->root.children.front();
        case TVGN_CARET:
            return Find(s, s->selected);
        case TVGN_FIRSTVISIBLE: {
            const std::vector<Node*> v = Visible(s);
            return s->top < int(v.size()) ? v[std::size_t(s->top)] : nullptr;
        }
        default:
            break;
    }
    if (!n) return nullptr;
    switch (flag) {
        case TVGN_CHILD:
            return n->children.empty() ? nullptr : n->children.front();
        case TVGN_PARENT:
            return n->parent == &s->root ? nullptr : n->parent;
        case TVGN_NEXT:
        case TVGN_PREVIOUS: {
            auto& sib = n->parent->children;
            auto it = std::find(sib.begin(), sib.end(), n);
            if (flag == TVGN_NEXT) return (it + 1) == sib.end() ? nullptr : *(it + 1);
            return it == sib.begin() ? nullptr : *(it - 1);
        }
        case TVGN_NEXTVISIBLE:
        case TVGN_PREVIOUSVISIBLE: {
            const std::vector<Node*> v = Visible(s);
            const int row = RowOf(s, n) + (flag == TVGN_NEXTVISIBLE ? 1 : -1);
            return row >= 0 && row < int(v.size()) && RowOf(s, n) >= 0 ? v[std::size_t(row)]
                                                                       : nullptr;
        }
        default:
            return nullptr;
    }
}

LResult OnSetFont(Hwnd h, TreeState* s, uint32_t msg, WParam wp, LParam lp) {
    const LResult r = HandleFont(h, s, msg, wp, lp);
    s->itemHeight = s->font.font.Metrics().height + 3;
    return r;
}

LResult OnCreate(Hwnd h, TreeState* s, uint32_t, WParam, LParam) {
    s->itemHeight = s->font.font.Metrics().height + 3;
    UpdateScroll(h, s);
    return 0;
}

LResult OnDestroy(Hwnd h, TreeState* s, uint32_t, WParam, LParam) {
    while (!s->root.children.empty()) DeleteNode(h, s, s->root.children.back());
    return 0;
}

LResult OnSize(Hwnd h, TreeState* s, uint32_t, WParam, LParam) {
    Changed(h, s);
    return 0;
}

LResult OnPaint(Hwnd h, TreeState* s, uint32_t, WParam, LParam) {
    Paint(h, s);
    return 0;
}

LResult OnFocus(Hwnd h, TreeState* s, uint32_t msg, WParam, LParam) {
    FocusChanged(h, &s->focused, msg == WM_SETFOCUS, false);
    return 0;
}

LResult OnButtonDown(Hwnd h, TreeState* s, uint32_t msg, WParam, LParam lp) {
    if (GetFocus() != h) SetFocus(h);
    uint32_t flags = 0;
    Node* n = HitTest(h, s, {GetXLParam(lp), GetYLParam(lp)}, &flags);
    if (!n) return 0;
    if (flags == TVHT_ONITEMBUTTON) {
        Expand(h, s, n, TVE_TOGGLE, true);
        return 0;
    }
    if (msg == WM_LBUTTONDBLCLK) {
        if (Notify(h, NM_DBLCLK), IsWindow(h)) Expand(h, s, n, TVE_TOGGLE, true);
        return 0;
    }
    Select(h, s, n, TVC_BYMOUSE);
    if (IsWindow(h)) Notify(h, NM_CLICK);
    return 0;
}

LResult OnRButtonDown(Hwnd h, TreeState*, uint32_t, WParam, LParam) {
    if (GetFocus() != h) SetFocus(h);
    Notify(h, NM_RCLICK);
    return 0;
}

LResult OnKeyDown(Hwnd h, TreeState* s, uint32_t, WParam wp, LParam) {
    KeyDown(h, s, uint32_t(wp));
    return 0;
}

LResult OnMouseWheel(Hwnd h, TreeState* s, uint32_t, WParam wp, LParam) {
    s->top -= WheelRows(wp, 3);
    Changed(h, s);
    return 0;
}

LResult OnVScroll(Hwnd h, TreeState* s, uint32_t, WParam wp, LParam) {
    const ScrollSteps steps{1, PageRows(h, s), int(Visible(s).size())};
    if (const auto top = ScrollTarget(LoWord(wp), s->top, int16_t(HiWord(wp)), steps))
        s->top = *top;
    Changed(h, s);
    return 0;
}

LResult OnInsertItem(Hwnd h, TreeState* s, uint32_t, WParam, LParam lp) {
    const auto* in = reinterpret_cast<const TvInsertStruct*>(lp);
    return in ? LResult(Insert(h, s, *in)) : 0;
}

LResult OnDeleteItem(Hwnd h, TreeState* s, uint32_t, WParam, LParam lp) {
    const HTreeItem item = HTreeItem(lp);
    if (item == TVI_ROOT || item == 0) {
        while (!s->root.children.empty()) DeleteNode(h, s, s->root.children.back());
    } else {
        Node* n = Find(s, item);
        if (!n) return 0;
        DeleteNode(h, s, n);
    }
    Changed(h, s);
    return 1;
}

LResult OnExpand(Hwnd h, TreeState* s, uint32_t, WParam wp, LParam lp) {
    return Expand(h, s, Find(s, HTreeItem(lp)), uint32_t(wp), true) ? 1 : 0;
}

LResult OnGetItemRect(Hwnd h, TreeState* s, uint32_t, WParam wp, LParam lp) {
    auto* r = reinterpret_cast<Rect*>(lp);
    if (!r) return 0;
    // The item's handle comes in the first bytes of the rectangle.
    HTreeItem item = 0;
    std::memcpy(&item, r, sizeof item);
    Node* n = Find(s, item);
    if (!n || RowOf(s, n) < 0) return 0;
    *r = ItemRect(h, s, n, wp != 0);
    return 1;
}

LResult OnGetCount(Hwnd, TreeState* s, uint32_t, WParam, LParam) {
    return LResult(s->nodes.size());
}

LResult OnGetIndent(Hwnd, TreeState* s, uint32_t, WParam, LParam) {
    return s->indent;
}

LResult OnSetIndent(Hwnd h, TreeState* s, uint32_t, WParam wp, LParam) {
    s->indent = std::max(int(wp), 8);
    Changed(h, s);
    return 0;
}

LResult OnGetImageList(Hwnd, TreeState* s, uint32_t, WParam, LParam) {
    return reinterpret_cast<LResult>(s->images);
}

LResult OnSetImageList(Hwnd h, TreeState* s, uint32_t, WParam, LParam lp) {
    ImageList* old = s->images;
    s->images = reinterpret_cast<ImageList*>(lp);
    if (s->images) s->itemHeight = std::max(s->itemHeight, s->images->ImageSize().cy + 1);
    Changed(h, s);
    return reinterpret_cast<LResult>(old);
}

LResult OnGetNextItem(Hwnd, TreeState* s, uint32_t, WParam wp, LParam lp) {
    Node* n = Next(s, Find(s, HTreeItem(lp)), uint32_t(wp));
    return n ? LResult(n->handle) : 0;
}

LResult OnSelectItem(Hwnd h, TreeState* s, uint32_t, WParam wp, LParam lp) {
    if (wp != TVGN_CARET && wp != TVGN_FIRSTVISIBLE) return 0;
    Node* n = Find(s, HTreeItem(lp));
    if (wp == TVGN_FIRSTVISIBLE) {
        if (!n) return 0;
        MakeVisible(h, s, n);
        s->top = RowOf(s, n);
        Changed(h, s);
        return 1;
    }
    if (!n && lp != 0) return 0;
    return Select(h, s, n, TVC_UNKNOWN) ? 1 : 0;
}

LResult OnGetItem(Hwnd, TreeState* s, uint32_t, WParam, LParam lp) {
    auto* it = reinterpret_cast<TvItem*>(lp);
    Node* n = it ? Find(s, it->hItem) : nullptr;
    if (!n) return 0;
    Fill(n, it);
    return 1;
}

LResult OnSetItem(Hwnd h, TreeState* s, uint32_t, WParam, LParam lp) {
    const auto* it = reinterpret_cast<const TvItem*>(lp);
    Node* n = it ? Find(s, it->hItem) : nullptr;
    if (!n) return 0;
    const bool wasExpanded = Expanded(n);
    Apply(n, *it);
    if (Expanded(n) != wasExpanded) UpdateScroll(h, s);
    InvalidateRect(h, nullptr, true);
    return 1;
}

LResult OnGetVisibleCount(Hwnd h, TreeState* s, uint32_t, WParam, LParam) {
    return PageRows(h, s);
}

LResult OnHitTest(Hwnd h, TreeState* s, uint32_t, WParam, LParam lp) {
    auto* info = reinterpret_cast<TvHitTestInfo*>(lp);
    if (!info) return 0;
    Node* n = HitTest(h, s, info->pt, &info->flags);
    info->hItem = n ? n->handle : 0;
    return LResult(info->hItem);
}

LResult OnEnsureVisible(Hwnd h, TreeState* s, uint32_t, WParam, LParam lp) {
    Node* n = Find(s, HTreeItem(lp));
    if (!n) return 0;
    MakeVisible(h, s, n);
    return 1;
}

LResult OnSetItemHeight(Hwnd h, TreeState* s, uint32_t, WParam wp, LParam) {
    const int old = s->itemHeight;
    const int v = int(int16_t(LoWord(wp)));
    s->itemHeight = v < 1 ? s->font.font.Metrics().height + 3 : v;
    Changed(h, s);
    return old;
}

LResult OnGetItemHeight(Hwnd, TreeState* s, uint32_t, WParam, LParam) {
    return s->itemHeight;
}

LResult TreeProc(Hwnd h, uint32_t msg, WParam wp, LParam lp) {
    static const ControlMessages<TreeState> kMessages{
        {WM_SETFONT, OnSetFont},
        {WM_CREATE, OnCreate},
        {WM_DESTROY, OnDestroy},
        {WM_SIZE, OnSize},
        {WM_GETDLGCODE, WantArrowsAndChars<TreeState>},
        {WM_PAINT, OnPaint},
        {WM_SETFOCUS, OnFocus},
        {WM_KILLFOCUS, OnFocus},
        {WM_LBUTTONDOWN, OnButtonDown},
        {WM_LBUTTONDBLCLK, OnButtonDown},
        {WM_RBUTTONDOWN, OnRButtonDown},
        {WM_KEYDOWN, OnKeyDown},
        {WM_MOUSEWHEEL, OnMouseWheel},
        {WM_VSCROLL, OnVScroll},
        {TVM_INSERTITEMA, OnInsertItem},
        {TVM_DELETEITEM, OnDeleteItem},
        {TVM_EXPAND, OnExpand},
        {TVM_GETITEMRECT, OnGetItemRect},
        {TVM_GETCOUNT, OnGetCount},
        {TVM_GETINDENT, OnGetIndent},
        {TVM_SETINDENT, OnSetIndent},
        {TVM_GETIMAGELIST, OnGetImageList},
        {TVM_SETIMAGELIST, OnSetImageList},
        {TVM_GETNEXTITEM, OnGetNextItem},
        {TVM_SELECTITEM, OnSelectItem},
        {TVM_GETITEMA, OnGetItem},
        {TVM_SETITEMA, OnSetItem},
        {TVM_GETVISIBLECOUNT, OnGetVisibleCount},
        {TVM_HITTEST, OnHitTest},
        {TVM_ENSUREVISIBLE, OnEnsureVisible},
        {TVM_SETITEMHEIGHT, OnSetItemHeight},
        {TVM_GETITEMHEIGHT, OnGetItemHeight},
    };
    return DispatchControl(kMessages, h, msg, wp, lp);
}

}  // namespace

bool RegisterTreeViewClass() {
    return RegisterControlClass(kTreeViewClass, TreeProc, CS_DBLCLKS | CS_PARENTDC, 0);
}

}  // namespace zv::ui::controls
