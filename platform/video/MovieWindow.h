#pragma once

// A child window that plays a movie in its client area, sized to the movie, at the movie's
// pace on the window layer's clock, with its sound through the process's audio output. At the
// end it posts MM_MCINOTIFY to its notify window: wParam kMciNotifySuccessful when the movie
// played to its end, kMciNotifyAborted when it was stopped, kMciNotifyFailure when decoding
// broke off; lParam the window's handle value. Nothing is confined or grabbed.

#include <string>

#include "platform/ui/WindowTypes.h"

namespace zv::video {

constexpr uint32_t kMciNotifySuccessful = 1;
constexpr uint32_t kMciNotifyAborted = 4;
constexpr uint32_t kMciNotifyFailure = 8;

// Opens the movie and creates the window at (x, y) of the parent, hidden unless `visible`;
// playback starts when it is shown. A movie that cannot be played gives a null handle, the
// reason in `error`, and no window.
ui::Hwnd CreateMovieWindow(ui::Hwnd parent, int x, int y, bool visible, const std::string& path,
                           ui::Hwnd notify, bool sound, std::string* error);
// Stops the movie early (the abort notice follows); false when the window plays no movie.
bool StopMovieWindow(ui::Hwnd window);
// Whether the movie in the window is still playing.
bool IsMoviePlaying(ui::Hwnd window);

}  // namespace zv::video
