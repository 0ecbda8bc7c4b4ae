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

// What is wrong with one drawn line; empty when it fits.
std::string TextFitProblem(const TextDrawRecord& r);

// Repaints `root` and its descendants and reports the texts that do not fit and the sibling
// controls that overlap, each with the window it was found in.
std::vector<std::string> CheckWindowTexts(Hwnd root);

}  // namespace zv::ui
