#include "platform/ui/controls/EditText.h"

#include <algorithm>
#include <cctype>

#include "platform/core/Sjis.h"
#include "platform/ui/controls/ControlSupport.h"

namespace zv::ui::controls {

std::size_t EditText::Snap(std::size_t pos) const {
    pos = std::min(pos, text_.size());
    if (IsCharBoundary(text_, pos)) return pos;
    return PrevCharStart(text_, pos);
}

void EditText::SetText(std::string_view text) {
    text_.assign(text);
    anchor_ = caret_ = 0;
    ClearUndo();
}

void EditText::Select(std::size_t anchor, std::size_t caret) {
    anchor_ = Snap(anchor);
    caret_ = Snap(caret);
    typingRun_ = false;
}

void EditText::MoveCaret(std::size_t caret, bool extend) {
    caret_ = Snap(caret);
    if (!extend) anchor_ = caret_;
    typingRun_ = false;
}

void EditText::Snapshot(bool typing) {
    if (typing && typingRun_ && hasUndo_) return;
    undoText_ = text_;
    undoAnchor_ = anchor_;
    undoCaret_ = caret_;
    hasUndo_ = true;
    typingRun_ = typing;
}

EditText::Result EditText::Replace(std::string_view insert, const EditRules& rules, bool keepUndo,
                                   bool typing) {
    std::string in(insert);
    if (!rules.multiLine) {
        const std::size_t br = in.find_first_of("\r\n");
        if (br != std::string::npos) in.resize(br);
    }
    if (rules.numbersOnly) {
        for (std::size_t i = 0; i < in.size(); i = NextCharEnd(in, i)) {
            if (!std::isdigit(static_cast<unsigned char>(in[i]))) return Result::Refused;
        }
    }
    if (rules.upperCase || rules.lowerCase) {
        for (std::size_t i = 0; i < in.size(); i = NextCharEnd(in, i)) {
            if (IsLead(in[i])) continue;
            const auto c = static_cast<unsigned char>(in[i]);
            in[i] = static_cast<char>(rules.upperCase ? std::toupper(c) : std::tolower(c));
        }
    }
    const std::size_t start = SelStart();
    const std::size_t end = SelEnd();
    const std::size_t remaining = text_.size() - (end - start);
    const std::size_t room = remaining >= limit_ ? 0 : limit_ - remaining;
    Result result = Result::Done;
    if (in.size() > room) {
        in.resize(core::SjisCutLength(in, room));
        result = Result::Truncated;
    }
    if (in.empty() && start == end) return insert.empty() ? Result::Done : Result::Truncated;
    if (keepUndo) Snapshot(typing);
    text_.replace(start, end - start, in);
    anchor_ = caret_ = start + in.size();
    if (!typing) typingRun_ = false;
    return result;
}

bool EditText::DeleteBack(bool keepUndo) {
    if (!HasSelection()) {
        if (caret_ == 0) return false;
        anchor_ = PrevCharStart(text_, caret_);
        // A line break deletes as one.
        if (anchor_ > 0 && text_[anchor_] == '\n' && text_[anchor_ - 1] == '\r') --anchor_;
    }
    if (keepUndo) Snapshot(false);
    const std::size_t start = SelStart();
    text_.erase(start, SelEnd() - start);
    anchor_ = caret_ = start;
    typingRun_ = false;
    return true;
}

bool EditText::DeleteForward(bool keepUndo) {
    if (!HasSelection()) {
        if (caret_ >= text_.size()) return false;
        anchor_ = NextCharEnd(text_, caret_);
        if (text_[caret_] == '\r' && anchor_ < text_.size() && text_[anchor_] == '\n') ++anchor_;
    }
    if (keepUndo) Snapshot(false);
    const std::size_t start = SelStart();
    text_.erase(start, SelEnd() - start);
    anchor_ = caret_ = start;
    typingRun_ = false;
    return true;
}

bool EditText::Undo() {
    if (!hasUndo_) return false;
    std::swap(text_, undoText_);
    std::swap(anchor_, undoAnchor_);
    std::swap(caret_, undoCaret_);
    typingRun_ = false;
    return true;
}

}  // namespace zv::ui::controls
