#pragma once

// Every private message of the game's windows, in one place. It lies in the lowest layer the
// windows share (the shell library), so the map views, the panels, the organisation windows,
// the set-up pages and the frame all take their numbers from here and none repeats one.
//
// A number means one thing per kind of receiver: the set-up pages and the skinned controls have
// numbers of their own that the game's other windows also use for something else. Where two
// windows take the same message under two names, the second name is an alias of the first.

#include <cstdint>
#include <iterator>

namespace zv {

enum class MessageReceivers : std::uint8_t {
    GameWindows,   // the frame, the map views, the panels, the organisation windows
    SetupPages,    // the set-up container and its pages
    SkinControls,  // the skinned buttons, bars, lists and combos, and their parents
};

// X(name, number, receivers)
#define ZV_WINDOW_MESSAGES(X)                                                                        \
    /* Organisation windows. */                                                                     \
    X(WM_ORGANIZE_DISCARD, 2033, GameWindows)   /* to the drag source: dropped on the trash box */  \
    X(WM_CORPS_LIST_CLEAR, 2038, GameWindows)   /* corps list dialog */                             \
    X(WM_MAP_SET_PLACEMENT_TROOP, 2039, GameWindows)                                                \
    X(WM_TROOP_INFO_REFRESH, 2043, GameWindows) /* troop display windows */                         \
    /* Information windows. */                                                                      \
    X(WM_REFRESH_SITE_INFO, 2051, GameWindows)                                                      \
    X(WM_REFRESH_CAMP_INFO, 2052, GameWindows)                                                      \
    X(WM_REFRESH_TROOP_NUM, 2053, GameWindows)                                                      \
    X(WM_SHOW_UNIT_CONTENTS, 2055, GameWindows) /* lParam screen point, x low 16 bits */            \
    /* Panels, their manager and the fight windows. */                                              \
    X(WM_LAYOUT_PANELS, 2056, GameWindows)                                                          \
    X(WM_GET_GAME_SPEED, 2071, GameWindows)     /* the clock thread asks before every step */       \
    X(WM_SET_GAME_SPEED, 2072, GameWindows)                                                         \
    X(WM_SET_LINK_QUALITY, 2073, GameWindows)                                                       \
    X(WM_FIGHT_BEGIN, 2074, GameWindows)        /* fight manager: 1 while the fight runs */         \
    X(WM_PANEL_RELAY, 2075, GameWindows)        /* from the host, wParam and lParam unchanged */    \
    X(WM_PANEL_SHOW_TROOP, 2076, GameWindows)                                                       \
    X(WM_PANEL_SHOW_CELL, 2077, GameWindows)                                                        \
    X(WM_PANEL_WAIT_MASK, 2078, GameWindows)                                                        \
    X(WM_PANEL_MESSAGE, 2079, GameWindows)      /* lParam Shift-JIS text */                         \
    X(WM_PANEL_CLOCK, 2080, GameWindows)                                                            \
    X(WM_PANEL_LINK_QUALITY, 2081, GameWindows)                                                     \
    X(WM_NEWS_CLEAR, 2084, GameWindows)         /* news and result windows */                       \
    X(WM_NEWS_ADD, 2085, GameWindows)           /* news and result windows: lParam the record */    \
    X(WM_FIGHT_DATA, 2091, GameWindows)         /* fight manager: lParam the battle record */       \
    X(WM_RESULT_SET_DATA, 2093, GameWindows)    /* lParam one country result record */              \
    X(WM_RESULT_SHOW, 2094, GameWindows)        /* lParam 1 may show, 0 not */                      \
    X(WM_FIGHT_RAISE, 2095, GameWindows)                                                            \
    X(WM_FIGHT_LOWER, 2096, GameWindows)                                                            \
    /* Map windows, the HQ window and the overview map. */                                          \
    X(WM_MAP_REBUILD, 2097, GameWindows)                                                            \
    X(WM_HQ_VIEW_RECT, 2098, GameWindows)                                                           \
    X(WM_MAP_QUERY_VIEW, 2099, GameWindows)                                                         \
    X(WM_SET_VIEW_RECT, 2100, GameWindows)                                                          \
    X(WM_REFRESH_TROOP_LIST, 2101, GameWindows) /* troop list, helper window */                     \
    X(WM_MAP_TICK_REDRAW, 2102, GameWindows)                                                        \
    X(WM_ORGANIZE_PLACEMENT_CHANGED, 2108, GameWindows)                                             \
    X(WM_GRASP_RESIZE, 2110, GameWindows)                                                           \
    X(WM_GRASP_REBUILD, 2111, GameWindows)                                                          \
    X(WM_MAP_CENTER, 2117, GameWindows)                                                             \
    X(WM_MAP_COMMAND, 2121, GameWindows)        /* wParam troop */                                  \
    X(WM_MAP_DISPLAY_SETTING, 2126, GameWindows) /* wParam option, lParam value */                  \
    X(WM_NEWS_STORE, 2127, GameWindows)         /* wParam first slot, lParam news records */        \
    X(WM_MAP_TROOP_REMOVED, 2130, GameWindows)                                                      \
    X(WM_NEWS_SHOW, 2131, GameWindows)          /* wParam 0 news list, 1 second list */             \
    /* The frame. */                                                                                \
    X(WM_START_GAME, 2103, GameWindows)         /* wParam 1: from a saved game */                   \
    X(WM_BEGIN_PLAY, 2104, GameWindows)                                                             \
    X(WM_MUSIC_CONTROL, 2109, GameWindows)      /* wParam 0 open lParam, 1 play, 2 pause, 3 close */ \
    X(WM_GAME_OVER, 2113, GameWindows)          /* wParam winners | losers << 16, lParam limit */   \
    X(WM_NETWORK_EVENT, 2115, GameWindows)                                                          \
    X(WM_SET_NETWORK_TARGET, 2116, GameWindows)                                                     \
    X(WM_TITLE_START, 2124, GameWindows)        /* the set-up container: wParam lobby-launched */   \
    X(WM_CHAT_SET_MODE, 2125, GameWindows)      /* wParam enable, lParam 1 spectator */             \
    X(WM_EXIT_GAME, 2128, GameWindows)                                                              \
    X(WM_DELAYED_RETURN_TO_TITLE, 2129, GameWindows)                                                \
    X(WM_DELAYED_GAME_OVER, 2132, GameWindows)                                                      \
    X(WM_DELAYED_DEFEAT_DIALOG, 2133, GameWindows)                                                  \
    /* wParam kind | frame << 8 | hex << 16, lParam troop1 | troop2 << 16 (kNoTroop: none). */     \
    X(WM_FRAME_FIGHT_FRAME, 2134, GameWindows)                                                      \
    X(WM_ALLIANCE_PROPOSAL, 2135, GameWindows)                                                      \
    X(WM_ALLIANCE_ANSWER, 2136, GameWindows)    /* wParam 1-4 */                                    \
    /* The set-up container and its pages. */                                                       \
    X(WM_CORPS_CHOSEN, 2105, SetupPages)                                                            \
    X(WM_SETUP_NEXT_PAGE, 2106, SetupPages)     /* wParam new page, lParam old page */              \
    X(WM_SETUP_PREV_PAGE, 2107, SetupPages)     /* wParam page to go back to, lParam old */         \
    X(WM_SESSION_BROWSER, 2114, SetupPages)                                                         \
    X(WM_TITLE_IDLE_START, 2118, SetupPages)                                                        \
    X(WM_TITLE_IDLE_STOP, 2119, SetupPages)                                                         \
    X(WM_SHOW_PAGE, 2121, SetupPages)           /* wParam 1 show and start, 0 hide and stop */      \
    X(WM_SETTINGS_COMPLETE, 2122, SetupPages)                                                       \
    X(WM_SETTING_TURN, 2123, SetupPages)                                                            \
    /* Parent to skinned control. */                                                                \
    X(WM_SKIN_SET_VALUE, 2057, SkinControls)    /* value bar: wParam value, lParam selector */      \
    X(WM_SKIN_GET_VALUE, 2058, SkinControls)    /* value bar: lParam selector */                    \
    X(WM_SKIN_SET_BACKGROUND, 2065, SkinControls) /* lParam the parent's background fw::Dib* */     \
    X(WM_SKIN_SHOW, 2066, SkinControls)         /* combo: wParam a ShowWindow command */            \
    X(WM_SKIN_ENABLE, 2067, SkinControls)       /* wParam button (pack, land) or 0; lParam 0/1 */   \
    X(WM_SKIN_REDRAW, 2068, SkinControls)                                                           \
    X(WM_SKIN_GET_SELECTION, 2069, SkinControls) /* pack, land */                                   \
    X(WM_SKIN_SET_SELECTION, 2070, SkinControls) /* pack, land: wParam button */                    \
    X(WM_SKIN_CLEAR, 2084, SkinControls)        /* list */                                          \
    X(WM_SKIN_ADD_ITEM, 2085, SkinControls)     /* list, combo: wParam n, lParam Shift-JIS text */  \
    X(WM_SKIN_SELECT_ITEM, 2086, SkinControls)  /* combo: wParam index (notifies the parent) */     \
    X(WM_SKIN_SET_CURSEL, 2087, SkinControls)   /* list, combo */                                   \
    X(WM_SKIN_GET_CURSEL, 2088, SkinControls)   /* list, combo */                                   \
    X(WM_SKIN_SET_TOP, 2089, SkinControls)      /* list: wParam index */                            \
    X(WM_SKIN_GET_TOP, 2090, SkinControls)      /* list */                                          \
    /* Skinned control to parent (sent, except the value bar's, which is posted). */               \
    X(WM_SKIN_PACK_CLICKED, 2059, SkinControls)   /* wParam control id, lParam 0 */                 \
    X(WM_SKIN_LAND_CHANGED, 2060, SkinControls)   /* wParam control id, lParam 0 */                 \
    X(WM_SKIN_BUTTON_CLICKED, 2061, SkinControls) /* wParam control id, lParam 0 */                 \
    X(WM_SKIN_BAR_POS, 2062, SkinControls)        /* wParam position, lParam control id */          \
    X(WM_SKIN_LIST_SELECTED, 2063, SkinControls)  /* wParam selection, lParam control id */         \
    X(WM_SKIN_COMBO_SELECTED, 2064, SkinControls) /* wParam selection, lParam control id */

#define ZV_DECLARE_WINDOW_MESSAGE(name, number, receivers) inline constexpr std::uint32_t name = number;
ZV_WINDOW_MESSAGES(ZV_DECLARE_WINDOW_MESSAGE)
#undef ZV_DECLARE_WINDOW_MESSAGE

// Second names: the result window takes the panels' relay number to come up, the frame's names
// for the result record, the map option and the news reload.
inline constexpr std::uint32_t WM_RESULT_ACTIVATE = WM_PANEL_RELAY;      // lParam 1: shown unless minimised
inline constexpr std::uint32_t WM_RESULT_SET_RECORD = WM_RESULT_SET_DATA;
inline constexpr std::uint32_t WM_MAP_SET_OPTION = WM_MAP_DISPLAY_SETTING;
inline constexpr std::uint32_t WM_NEWS_RELOAD = WM_NEWS_STORE;

struct WindowMessageRow {
    const char* name;
    std::uint32_t number;
    MessageReceivers receivers;
};

inline constexpr WindowMessageRow kWindowMessages[] = {
#define ZV_WINDOW_MESSAGE_ROW(name, number, receivers) {#name, number, MessageReceivers::receivers},
    ZV_WINDOW_MESSAGES(ZV_WINDOW_MESSAGE_ROW)
#undef ZV_WINDOW_MESSAGE_ROW
};

// The first row that shares its number and its receivers with an earlier one, or -1.
constexpr int FindSharedWindowMessage(const WindowMessageRow* rows, int count) {
    for (int i = 0; i < count; ++i) {
        for (int j = 0; j < i; ++j) {
            if (rows[i].number == rows[j].number && rows[i].receivers == rows[j].receivers) return i;
        }
    }
    return -1;
}

static_assert(FindSharedWindowMessage(kWindowMessages, static_cast<int>(std::size(kWindowMessages))) < 0,
              "two window messages share a number and a receiver");

}  // namespace zv
