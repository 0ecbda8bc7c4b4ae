#pragma once

// The text of an edit control without its window: Shift-JIS bytes, a selection, a limit in
// bytes and one step of undo. Every position lies on a character boundary and no insertion
// ever splits a double-byte character, whatever the limit.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zv::ui::controls {

struct EditRules {
    bool multiLine = false;
    bool numbersOnly = false;
    bool upperCase = false;
    bool lowerCase = false;
};

class EditText {
  public:
    enum class Result { Done, Truncated, Refused };

    const std::string& Text() const { return text_; }
    std::size_t Anchor() const { return anchor_; }
    std::size_t Caret() const { return caret_; }
    std::size_t SelStart() const { return anchor_ < caret_ ? anchor_ : caret_; }
    std::size_t SelEnd() const { return anchor_ < caret_ ? caret_ : anchor_; }
    bool HasSelection() const { return anchor_ != caret_; }
    std::string_view Selected() const {
        return std::string_view(text_).substr(SelStart(), SelEnd() - SelStart());
    }

    std::size_t Limit() const { return limit_; }
    void SetLimit(std::size_t bytes) { limit_ = bytes; }

    // Replaces the whole text, as WM_SETTEXT does: no limit, no undo, caret at the start.
    void SetText(std::string_view text);
    // Positions are snapped back to a character boundary and clamped to the text.
    void Select(std::size_t anchor, std::size_t caret);
    void MoveCaret(std::size_t caret, bool extend);

    // Replaces the selection with `insert` after the rules (single line: cut at the first line
    // break; numbers only: refused unless every character is a digit; case folding) and the
    // limit (cut to what fits, never inside a character). An undo step is kept when asked.
    Result Replace(std::string_view insert, const EditRules& rules, bool keepUndo,
                   bool typing = false);
    // Deletes the selection, or the character before / after the caret when there is none.
    bool DeleteBack(bool keepUndo);
    bool DeleteForward(bool keepUndo);

    bool CanUndo() const { return hasUndo_; }
    // Swaps the text and selection with the undo step, so a second undo redoes.
    bool Undo();
    void ClearUndo() {
        hasUndo_ = false;
        typingRun_ = false;
    }

  private:
    void Snapshot(bool typing);
    std::size_t Snap(std::size_t pos) const;

    std::string text_;
    std::size_t anchor_ = 0;
    std::size_t caret_ = 0;
    std::size_t limit_ = 0x7FFFFFFE;

    bool hasUndo_ = false;
    std::string undoText_;
    std::size_t undoAnchor_ = 0;
    std::size_t undoCaret_ = 0;
    bool typingRun_ = false;  // typed characters merge into one undo step
};

}  // namespace zv::ui::controls
