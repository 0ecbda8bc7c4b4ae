#pragma once

// A hook for the tests' text-fit checks: every line of text a canvas draws is reported while an
// observer is set.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/Surface.h"

namespace zv::ui {

// One line of text as a canvas drew it: the pen box (advances by the line height), the
// rectangle DrawText held it to (none for TextOut or DT_NOCLIP), whether an ellipsis shortened
// it, and how many of the box's pixels the clip region hid. Surface coordinates.
struct TextDrawRecord {
    std::u32string text;
    Rect box;
    std::optional<Rect> limit;
    bool shortened = false;
    int hiddenPixels = 0;  // of the box, outside the clip region or the surface
    int hiddenColumns = 0;  // columns of the box of which no pixel shows
    int hiddenRows = 0;     // rows of the box of which no pixel shows
    const void* surface = nullptr;  // which surface: the screen or an off-screen bitmap
};

// Called for every line drawn while set (GUI thread only); an empty function stops it.
void SetTextDrawObserver(std::function<void(const TextDrawRecord&)> observer);

}  // namespace zv::ui
