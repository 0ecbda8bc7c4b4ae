#pragma once

// The items and selection of a list box, apart from its window: shared by LISTBOX and the
// drop-down list of COMBOBOX.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zv::ui::controls {

enum class SelectionMode { Single, Multiple, Extended, None };

class ListBoxModel {
  public:
    struct Item {
        std::string text;  // Shift-JIS
        uintptr_t data = 0;
        bool selected = false;
    };

    int Count() const { return static_cast<int>(items_.size()); }
    bool Valid(int i) const { return i >= 0 && i < Count(); }
    const Item& At(int i) const { return items_[static_cast<std::size_t>(i)]; }
    Item& At(int i) { return items_[static_cast<std::size_t>(i)]; }

    SelectionMode mode = SelectionMode::Single;
    bool sorted = false;

    // Returns the index the item went to; -1 for an index beyond the end (other than -1).
    int Insert(int index, std::string text, uintptr_t data);
    int Add(std::string text, uintptr_t data);  // at the end, or in order when sorted
    bool Remove(int index);
    void Clear();

    // Search from the item after `start` round to `start` itself (-1: from the top).
    int Find(int start, std::string_view text, bool exact) const;

    // Single selection.
    int Current() const { return current_; }
    void SetCurrent(int i);  // -1 for none
    // Multiple and extended selection.
    bool IsSelected(int i) const;
    void SetSelected(int i, bool on);  // -1: every item
    void SelectRange(int a, int b, bool on);
    int SelectedCount() const;
    std::vector<int> SelectedItems() const;

    int caret = 0;   // the focus item
    int anchor = 0;  // start of a Shift-extended range

  private:
    std::vector<Item> items_;
    int current_ = -1;
};

}  // namespace zv::ui::controls
