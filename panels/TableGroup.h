#pragma once

// The tabbed column of list and table windows beside the map (kind TableGroopWnd), the small
// popup that lists the members of the troop under the pointer (kind UnitContent), and the one
// call that registers the classes of the in-game windows and their skinned controls.

#include <cstdint>

#include "platform/ui/WindowTypes.h"
#include "shell/WindowMessages.h"
#include "shell/FrameCommands.h"

namespace zv::panels {

constexpr int IDC_TABLE_GROUP_TABS = 10502;
// The frame's menu items: the table group's close request and "部隊内容表示".
constexpr int IDM_TABLE_GROUP = shell::kCmdMapInfo;
constexpr int IDM_UNIT_CONTENTS = shell::kCmdCaptionContents;

struct TableGroupTab {
    const char* name;  // UTF-8, as shown on the tab
    int kind;          // the page window's registry kind
};
// The six pages in tab order: troop list, news, unit list, reinforcements, camp, terrain.
const TableGroupTab* TableGroupTabs();
constexpr int kTableGroupTabCount = 6;

// Creates the column (child of `parent`) and takes over the page windows that exist at that
// moment: they lose their frames and captions and become children of the tab control. When the
// first tab's page exists the column goes to (0, 22), 202 wide, and is hidden. The caller
// records it as TableGroopWnd. The class must be registered (RegisterTableGroupClasses).
ui::Hwnd CreateTableGroupWindow(void* instance, ui::Hwnd parent);
// The tab shown now (tests and the frame).
int GetTableGroupTab();

// Creates the hidden popup over the map (the frame records it as UnitContent).
ui::Hwnd CreateUnitContensWindow(void* instance, ui::Hwnd parent);
// Places the window at the screen point and shows it without activating it when the cursor hex
// holds a troop and the frame's "部隊内容表示" is checked; hides it otherwise.
void ShowUnitContents(ui::Hwnd window, int x, int y);

// Registers every class of the in-game tables and panels and the skinned controls; 1 when all
// registered, 0 at the first failure (the later ones are not tried).
int RegisterTableGroupClasses(void* instance);

}  // namespace zv::panels
