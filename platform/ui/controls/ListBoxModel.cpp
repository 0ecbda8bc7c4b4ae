#include "platform/ui/controls/ListBoxModel.h"

#include <algorithm>

#include "platform/ui/controls/ControlSupport.h"

namespace zv::ui::controls {

int ListBoxModel::Insert(int index, std::string text, uintptr_t data) {
    if (index == -1) index = Count();
    if (index < 0 || index > Count()) return -1;
    items_.insert(items_.begin() + index, Item{std::move(text), data, false});
    if (current_ >= index) ++current_;
    if (caret >= index && Count() > 1) ++caret;
    if (anchor >= index && Count() > 1) ++anchor;
    return index;
}

int ListBoxModel::Add(std::string text, uintptr_t data) {
    int at = Count();
    if (sorted) {
        at = 0;
        while (at < Count() && CompareNoCase(items_[std::size_t(at)].text, text) <= 0) ++at;
    }
    return Insert(at, std::move(text), data);
}

bool ListBoxModel::Remove(int index) {
    if (!Valid(index)) return false;
    items_.erase(items_.begin() + index);
    if (current_ == index) {
        current_ = -1;
    } else if (current_ > index) {
        --current_;
    }
    if (caret > index || caret >= Count()) caret = std::max(0, caret - 1);
    if (anchor > index || anchor >= Count()) anchor = std::max(0, anchor - 1);
    return true;
}

void ListBoxModel::Clear() {
    items_.clear();
    current_ = -1;
    caret = 0;
    anchor = 0;
}

int ListBoxModel::Find(int start, std::string_view text, bool exact) const {
    const int n = Count();
    if (n == 0) return -1;
    if (start < -1 || start >= n) start = -1;
    for (int k = 1; k <= n; ++k) {
        const int i = (start + k) % n;
        const std::string& t = items_[std::size_t(i)].text;
        if (exact ? EqualsNoCase(t, text) : StartsWithNoCase(t, text)) return i;
    }
    return -1;
}

void ListBoxModel::SetCurrent(int i) {
    current_ = Valid(i) ? i : -1;
    if (current_ >= 0) caret = anchor = current_;
}

bool ListBoxModel::IsSelected(int i) const {
    if (!Valid(i)) return false;
    if (mode == SelectionMode::Single || mode == SelectionMode::None) return i == current_;
    return items_[std::size_t(i)].selected;
}

void ListBoxModel::SetSelected(int i, bool on) {
    if (i == -1) {
        for (auto& item : items_) item.selected = on;
        return;
    }
    if (Valid(i)) items_[std::size_t(i)].selected = on;
}

void ListBoxModel::SelectRange(int a, int b, bool on) {
    if (a > b) std::swap(a, b);
    for (int i = std::max(a, 0); i <= std::min(b, Count() - 1); ++i) {
        items_[std::size_t(i)].selected = on;
    }
}

int ListBoxModel::SelectedCount() const {
    return static_cast<int>(SelectedItems().size());
}

std::vector<int> ListBoxModel::SelectedItems() const {
    std::vector<int> out;
    for (int i = 0; i < Count(); ++i) {
        if (IsSelected(i)) out.push_back(i);
    }
    return out;
}

}  // namespace zv::ui::controls
