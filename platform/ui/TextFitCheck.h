#pragma once

// Checks a live window with the texts and fonts its program gave it: repaints the window and
// everything in it and reports every line of text that is cut by the box it was drawn for (a
// static's or button's client area, a DrawText rectangle, a list column, a clip), that had to
// be shortened with an ellipsis, or that lies under another window; and every two sibling
// controls that overlap. Owner-drawn texts are covered as they are drawn.

#include <string>
#include <vector>

#include "platform/ui/TextDrawObserver.h"
#include "platform/ui/WindowTypes.h"

namespace zv::ui {

// Collects the lines drawn while it lives.
class TextDrawLog {
  public:
    TextDrawLog();
    ~TextDrawLog();
    TextDrawLog(const TextDrawLog&) = delete;
    TextDrawLog& operator=(const TextDrawLog&) = delete;
    const std::vector<TextDrawRecord>& Records() const { return records_; }

  private:
    std::vector<TextDrawRecord> records_;
};

// A drawn line's text in UTF-8, for messages.
std::string Utf8Of(std::u32string_view text);

// What is wrong with one drawn line; empty when it fits.
std::string TextFitProblem(const TextDrawRecord& r);

// Repaints `root` and its descendants and reports the texts that do not fit and (with
// `siblings`) the texts that touch a control beside their own and the sibling controls that
// overlap, each with the window it was found in. Rows of
// list views and list boxes scroll: they may stand half out of sight, and their cells may end
// in "..."; everything else, their headers too, must fit whole.
std::vector<std::string> CheckWindowTexts(Hwnd root, bool siblings = true);

// The same over every shown top-level window: the whole screen as the user sees it.
std::vector<std::string> CheckScreenTexts();

}  // namespace zv::ui
