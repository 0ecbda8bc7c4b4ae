#pragma once

// What the troop display windows' files share: the per-class state, the displayed troop's
// cursor and the drawing primitives of the page painters.

#include <memory>
#include <string>

#include "framework/Dib.h"
#include "organize/TroopDisplay.h"
#include "platform/ui/WindowTypes.h"

namespace zv::rules {
class TroopCursor;
}

namespace zv::organize::detail {

// The state of one troop display window, owned by its window object.
struct DisplayState {
    bool organize = false;
    ui::Hwnd window{};
    std::unique_ptr<fw::Dib> picture;
    std::unique_ptr<fw::Dib> cache;
    int selectedSlot = -1;
    int carriedPage = -1;
    int carriedPageCount = 1;
    int transform = 0;
    int dragSourceSlot = -1;
    bool creating = false;
    fw::Dib* bars = nullptr;  // the skin's bar picture while a page is painted
};
int CurrentPage(const DisplayState& s);

// The displayed troop, selected afresh: null when there is none. `withMembers` also demands a
// member.
std::unique_ptr<rules::TroopCursor> SelectDisplayedTroop(const DisplayState& s, bool withMembers);

// Window operations.
void LoadTroopInfoPageBitmap(DisplayState& s);
void RedrawTroopInfoPage(DisplayState& s);
void FillTroopInfoControls(DisplayState& s);
void FillFormationSliders(DisplayState& s);
void ClearTroopInfoControls(DisplayState& s);
void HidePageControls(DisplayState& s);
void ShowPageControls(DisplayState& s);
void DrawFormationToggle(DisplayState& s);
void InvalidateAndUpdate(ui::Hwnd window, bool erase = false);
int PackSelection(DisplayState& s, int slot);
int IsDisplaySlotEmpty(DisplayState& s, int slot);

// Painters.
void PaintTroopInfoPage(DisplayState& s, rules::TroopCursor& troop);
void DrawTroopIconGrid(DisplayState& s, int x, int y);
void ApplyFormationSlider(DisplayState& s, int value, int id);
void ClickFormationToggle(DisplayState& s, int x, int y);
void ResetTroopIcon(DisplayState& s);
int UpdateTransformButton(DisplayState& s);

// Drawing.
constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kRed = 0x0000FF;
constexpr std::uint32_t kLabel = 0x02FFE0B4;
void Text(DisplayState& s, int x, int y, const std::string& sjis, std::uint32_t color = kWhite,
          int height = 12);
void TextF(DisplayState& s, int x, int y, std::uint32_t color, const char* format, long value);
void Bar(DisplayState& s, int x, int y, int length, int height, int sourceRow, int limit);
void RestoreFromCache(DisplayState& s, int x, int y, int w, int h);
// The page's labels onto the page cache.
void DrawPageLabels(DisplayState& s, int page);

}  // namespace zv::organize::detail

namespace zv::organize {
// The viewer's country of the troop information window (above 3: a spectator).
int GetTroopInfoViewerCountry();
// The troop of table 9 the troop information window shows.
int GetTroopInfoTargetTroop();

}  // namespace zv::organize
