#pragma once

// The animated button: a child window of class "hvAnimeControlClass" that cycles the frames of
// a picture strip on a timer over the picture that lay under it, and reports a press to its
// parent as WM_COMMAND with its id.

#include <cstdint>
#include <memory>

#include "framework/Dib.h"
#include "framework/ProcessState.h"
#include "platform/ui/WindowTypes.h"

namespace zv::fw {

inline constexpr const char* kAnimeControlClass = "hvAnimeControlClass";

// What the creator passes (the block's fields up to and including the file name).
struct AnimeControlParams {
    uint32_t reserved = 0;  // copied, never used
    int x = 0;              // the control's rectangle in its parent
    int y = 0;
    int width = 0;
    int height = 0;
    const AppInstance* instance = nullptr;
    int controlId = 0;  // also its timer's id and the WM_COMMAND id it sends
    ui::Hwnd parent{};
    int frameX = 0;  // where each frame lies inside the control
    int frameY = 0;
    uint32_t unused = 0;
    int stripY = 0;      // the row of the frames in the strip picture
    int stripWidth = 0;  // all frames together; one frame is stripWidth / frameCount wide
    int frameHeight = 0;
    uint16_t frameCount = 0;
    uint32_t interval = 0;  // milliseconds; 0: no animation
    char fileName[13] = {};
};

// Owned by the code that creates the control; the control keeps a pointer to it.
struct AnimeControlBlock {
    AnimeControlParams params;
    std::unique_ptr<Dib> work;
    std::unique_ptr<Dib> background;
    std::unique_ptr<Dib> strip;
    uint16_t currentFrame = 0;
};

// The creating object: it holds its block and receives the window.
struct AnimeControlOwner {
    AnimeControlBlock* block = nullptr;
    ui::Hwnd window{};
};

// 1 when the class exists already, 1 after registering it, 0 when registration fails.
int RegisterAnimeControlClass(AnimeControlOwner* owner);
// The control, or a null window.
ui::Hwnd CreateAnimeControl(AnimeControlOwner* owner, const AnimeControlParams& params);
int InitAnimeControl(ui::Hwnd window);
int DrawAnimeFrame(ui::Hwnd window);
ui::LResult AnimeControlProc(ui::Hwnd window, uint32_t msg, ui::WParam wp, ui::LParam lp);

}  // namespace zv::fw
