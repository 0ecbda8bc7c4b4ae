// Menus: building and changing them, the bar driven by keys and by the mouse, popups, the
// system menu and accelerators.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <vector>
#include <thread>

#include "platform/ui/SysColors.h"

#include "platform/ui/tests/MenuTestSupport.h"

namespace zv::ui::testing {
namespace {

TEST_F(MenuTest, ResourcesBuildMenusThatCallsQueryAndChange) {
    const Hmenu bar = LoadMenu(nullptr, kTestMenu);
    ASSERT_TRUE(IsMenu(bar));
    EXPECT_FALSE(IsMenu(LoadMenu(nullptr, 424242)));
    EXPECT_EQ(GetMenuItemCount(bar), 3);
    const Hmenu file = GetSubMenu(bar, 0);
    const Hmenu edit = GetSubMenu(bar, 1);
    ASSERT_TRUE(IsMenu(file));
    EXPECT_EQ(GetMenuItemCount(file), 4);
    EXPECT_EQ(GetMenuItemID(file, 0), uint32_t(kNew));
    EXPECT_EQ(GetMenuItemID(file, 2), 0u);             // separator
    EXPECT_EQ(GetMenuItemID(bar, 0), 0xFFFFFFFFu);    // a popup
    EXPECT_EQ(GetMenuString(file, kNew, MF_BYCOMMAND), "&New\tCtrl+N");
    EXPECT_EQ(GetMenuString(bar, 2, MF_BYPOSITION), core::Utf8ToSjis("ヘルプ(&H)"));
    char small[4];
    EXPECT_EQ(GetMenuString(bar, 2, small, 4, MF_BYPOSITION), 2);  // never half a character
    // States: given by the resource, searched through submenus by command.
    EXPECT_EQ(GetMenuState(bar, kUndo, MF_BYCOMMAND), MF_GRAYED);
    EXPECT_EQ(GetMenuState(bar, kCopy, MF_BYCOMMAND), MF_CHECKED);
    EXPECT_EQ(GetMenuState(edit, 4, MF_BYPOSITION), (2u << 8) | MF_POPUP);
    EXPECT_EQ(GetMenuState(bar, 999, MF_BYCOMMAND), 0xFFFFFFFFu);
    EXPECT_EQ(EnableMenuItem(bar, kUndo, MF_ENABLED), MF_GRAYED);
    EXPECT_EQ(EnableMenuItem(bar, kUndo, MF_GRAYED | MF_DISABLED), 0u);
    EXPECT_EQ(GetMenuState(bar, kUndo, 0), MF_GRAYED | MF_DISABLED);
    EXPECT_EQ(CheckMenuItem(bar, kCopy, MF_UNCHECKED), MF_CHECKED);
    EXPECT_EQ(CheckMenuItem(bar, kAlpha, MF_CHECKED), 0u);
    EXPECT_EQ(CheckMenuItem(bar, 999, MF_CHECKED), 0xFFFFFFFFu);
    EXPECT_EQ(EnableMenuItem(bar, 1, MF_BYPOSITION | MF_GRAYED), 0u);  // a whole popup
    EXPECT_EQ(GetMenuState(bar, 1, MF_BYPOSITION) & MF_GRAYED, MF_GRAYED);
    // Insert before, append, modify, delete and remove.
    EXPECT_TRUE(InsertMenu(file, kOpen, MF_BYCOMMAND | MF_STRING, 5, "&Save"));
    EXPECT_EQ(GetMenuItemID(file, 1), 5u);
    EXPECT_TRUE(AppendMenu(file, MF_STRING | MF_CHECKED, 6, "Last"));
    EXPECT_EQ(GetMenuItemID(file, GetMenuItemCount(file) - 1), 6u);
    EXPECT_TRUE(ModifyMenu(file, 6, MF_BYCOMMAND | MF_STRING, 7, "Changed"));
    EXPECT_EQ(GetMenuString(file, 7, MF_BYCOMMAND), "Changed");
    EXPECT_EQ(GetMenuState(file, 6, MF_BYCOMMAND), 0xFFFFFFFFu);
    EXPECT_TRUE(DeleteMenu(file, 7, MF_BYCOMMAND));
    EXPECT_FALSE(DeleteMenu(file, 7, MF_BYCOMMAND));
    // Removing keeps a submenu alive, deleting destroys it.
    const Hmenu more = GetSubMenu(edit, 4);
    EXPECT_TRUE(RemoveMenu(edit, 4, MF_BYPOSITION));
    EXPECT_TRUE(IsMenu(more));
    EXPECT_TRUE(AppendMenu(edit, MF_POPUP, MenuToParam(more), "&More"));
    EXPECT_FALSE(AppendMenu(more, MF_POPUP, MenuToParam(more), "self"));  // no cycles
    EXPECT_TRUE(DeleteMenu(edit, GetMenuItemCount(edit) - 1, MF_BYPOSITION));
    EXPECT_FALSE(IsMenu(more));
    // Destroying the bar destroys its popups; old handles stay dead after reuse.
    EXPECT_TRUE(DestroyMenu(bar));
    EXPECT_FALSE(IsMenu(file));
    const Hmenu fresh = CreatePopupMenu();
    EXPECT_FALSE(IsMenu(bar));
    EXPECT_NE(fresh, file);
    EXPECT_FALSE(AppendMenu(fresh, MF_POPUP, MenuToParam(file), "dead"));
    EXPECT_EQ(GetMenuItemCount(file), -1);
    DestroyMenu(fresh);
}

TEST_F(MenuTest, TheBarTakesItsRowInTheFrameAndWindowsDestroyTheirMenus) {
    const Hwnd plain = MakeFrame({});
    const Hmenu bar = LoadMenu(nullptr, kTestMenu);
    const Hwnd h = MakeFrame(bar);
    Rect a, b;
    GetClientRect(plain, &a);
    GetClientRect(h, &b);
    EXPECT_EQ(a.Height() - b.Height(), kMenuBarHeight);
    EXPECT_EQ(GetMenu(h), bar);
    // Items sit left to right in the bar; a press on one is HTMENU.
    Rect file, edit;
    ASSERT_TRUE(GetMenuItemRect(h, bar, 0, &file));
    ASSERT_TRUE(GetMenuItemRect(h, bar, 1, &edit));
    EXPECT_EQ(file.right, edit.left);
    EXPECT_EQ(SendMessage(h, WM_NCHITTEST, 0, MakeLParam(Centre(edit).x, Centre(edit).y)), HTMENU);
    // SetMenu(null) gives the row back; a child window has no bar.
    EXPECT_TRUE(SetMenu(h, {}));
    GetClientRect(h, &b);
    EXPECT_EQ(a.Height(), b.Height());
    EXPECT_TRUE(SetMenu(h, bar));
    const Hwnd child = Child(h, 5, 0, 0, 10, 10);
    EXPECT_FALSE(SetMenu(child, CreateMenu()));
    EXPECT_EQ(GetMenu(child), Hmenu{});
    // The window's menu (and its system menu) go with it.
    const Hmenu sys = GetSystemMenu(h, false);
    ASSERT_TRUE(IsMenu(sys));
    DestroyWindow(h);
    EXPECT_FALSE(IsMenu(bar));
    EXPECT_FALSE(IsMenu(sys));
}

TEST_F(MenuTest, AWindowManagerThatEndsLeavesNoMenuOnTheNextOnesWindows) {
    // Windows dropped with their manager (no destruction messages) keep nothing attached
    // for a window of a later manager that gets the same handle value.
    const Hwnd h = MakeFrame(LoadMenu(nullptr, kTestMenu));
    wm.reset();
    auto backend = std::make_unique<HeadlessBackend>(640, 480);
    screen = backend.get();
    wm = std::make_unique<WindowManager>(std::move(backend));
    WindowClass wc;
    wc.name = "Recorder";
    wc.proc = RecordingProc;
    ASSERT_TRUE(RegisterClass(wc));
    const Hwnd again = MakeFrame({});
    ASSERT_EQ(again, h);
    EXPECT_EQ(GetMenu(again), Hmenu{});
}

// A key sequence and what it gives: the command posted to the frame, or none (0).
struct KeyCase {
    const char* name;
    std::vector<std::pair<char, uint32_t>> keys;  // 'k' tap, 'a' Alt+key, 'd'/'u' down/up
    int command;
};

TEST_F(MenuTest, KeyboardNavigationAndMnemonics) {
    const std::vector<KeyCase> cases = {
        {"Alt Down Enter: first item of the first menu", {{'k', VK_MENU}, {'k', VK_DOWN}, {'k', VK_RETURN}}, kNew},
        {"Alt Enter opens, Enter picks", {{'k', VK_MENU}, {'k', VK_RETURN}, {'k', VK_RETURN}}, kNew},
        {"F10 works as Alt", {{'k', VK_F10}, {'k', VK_DOWN}, {'k', VK_RETURN}}, kNew},
        {"Up wraps to the last item", {{'k', VK_MENU}, {'k', VK_DOWN}, {'k', VK_UP}, {'k', VK_RETURN}}, kExit},
        {"separators are skipped", {{'k', VK_MENU}, {'k', VK_DOWN}, {'k', VK_DOWN}, {'k', VK_DOWN}, {'k', VK_RETURN}}, kExit},
        {"Right, then into a greyed item: nothing", {{'k', VK_MENU}, {'k', VK_RIGHT}, {'k', VK_DOWN}, {'k', VK_RETURN}}, 0},
        {"greyed item is stepped over by Down", {{'k', VK_MENU}, {'k', VK_RIGHT}, {'k', VK_DOWN}, {'k', VK_DOWN}, {'k', VK_RETURN}}, kCut},
        {"Left wraps round past the system menu", {{'k', VK_F10}, {'k', VK_LEFT}, {'k', VK_LEFT}, {'k', VK_DOWN}, {'k', VK_RETURN}}, kAbout},
        {"Esc closes the popup, the bar stays", {{'k', VK_MENU}, {'k', VK_DOWN}, {'k', VK_ESCAPE}, {'k', VK_RIGHT}, {'k', VK_RETURN}, {'k', VK_DOWN}, {'k', VK_RETURN}}, kCut},
        {"Right in an open popup opens the next one", {{'a', 'F'}, {'k', VK_RIGHT}, {'k', VK_RIGHT}, {'k', VK_RETURN}}, kAbout},
        {"Alt+letter opens, letter picks", {{'a', 'F'}, {'k', 'X'}}, kExit},
        {"mnemonic of a Japanese label", {{'a', 'H'}, {'k', 'A'}}, kAbout},
        {"mnemonic into a submenu", {{'a', 'E'}, {'k', 'M'}, {'k', 'B'}}, kBeta},
        {"Right opens a submenu, Left closes it", {{'a', 'E'}, {'k', VK_UP}, {'k', VK_RIGHT}, {'k', VK_LEFT}, {'k', VK_UP}, {'k', VK_RETURN}}, kCopy},
        {"greyed mnemonic does nothing", {{'a', 'E'}, {'k', 'U'}}, 0},
        {"Alt+letter without an item: no menu", {{'a', 'Q'}, {'k', VK_RETURN}}, 0},
        {"Alt twice: in and out", {{'k', VK_MENU}, {'k', VK_MENU}, {'k', VK_RETURN}}, 0},
        {"Esc twice leaves", {{'k', VK_MENU}, {'k', VK_DOWN}, {'k', VK_ESCAPE}, {'k', VK_ESCAPE}, {'k', VK_RETURN}}, 0},
        {"Alt held through a key is no menu", {{'d', VK_MENU}, {'k', VK_F2}, {'u', VK_MENU}, {'k', VK_RETURN}}, 0},
    };
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(c.name);
        rec.log.clear();
        const Hwnd h = MakeFrame(LoadMenu(nullptr, kTestMenu));
        for (auto [kind, vk] : c.keys) {
            if (kind == 'k') Key(vk);
            if (kind == 'a') AltKey(vk);
            if (kind == 'd') screen->KeyDown(vk);
            if (kind == 'u') screen->KeyUp(vk);
        }
        // Whatever the sequence left open is closed, so a failing case cannot hang.
        for (int i = 0; i < 4; ++i) Key(VK_ESCAPE);
        Pump();
        const std::vector<int> got = Commands(h);
        if (c.command) {
            ASSERT_EQ(got.size(), 1u);
            EXPECT_EQ(got[0], c.command);
            EXPECT_EQ(HiWord(rec.Last(h, WM_COMMAND)->wParam), 0u);
        } else {
            EXPECT_TRUE(got.empty()) << got.size() << " commands, first " << got[0];
        }
        EXPECT_FALSE(IsMenuActive());
        EXPECT_EQ(GetCapture(), Hwnd{});
        DestroyWindow(h);
    }
}

TEST_F(MenuTest, TheOwnerHearsOfEveryStepInOrder) {
    const Hmenu bar = LoadMenu(nullptr, kTestMenu);
    const Hwnd h = MakeFrame(bar);
    rec.log.clear();
    AltKey('E');
    Key(VK_DOWN);  // Cut
    Key('M');      // opens More, selects Alpha
    Key(VK_RETURN);
    Pump();
    std::vector<uint32_t> seen;
    for (const auto& r : rec.log) {
        if (r.hwnd == h && (r.msg == WM_ENTERMENULOOP || r.msg == WM_INITMENU ||
                            r.msg == WM_INITMENUPOPUP || r.msg == WM_MENUSELECT ||
                            r.msg == WM_EXITMENULOOP || r.msg == WM_COMMAND))
            seen.push_back(r.msg);
    }
    const std::vector<uint32_t> want = {
        WM_ENTERMENULOOP, WM_INITMENU,      WM_MENUSELECT,  // the bar item
        WM_INITMENUPOPUP, WM_MENUSELECT,                    // Edit opens at Undo
        WM_MENUSELECT,                                      // Cut
        WM_MENUSELECT,                                      // More
        WM_INITMENUPOPUP, WM_MENUSELECT,                    // More opens at Alpha
        WM_MENUSELECT,    WM_EXITMENULOOP, WM_COMMAND};
    EXPECT_EQ(seen, want);
    // WM_INITMENUPOPUP names the popup and its position; WM_MENUSELECT the item and state.
    const Hmenu edit = GetSubMenu(bar, 1);
    bool sawEdit = false;
    for (const auto& r : rec.log) {
        if (r.hwnd == h && r.msg == WM_INITMENUPOPUP && MenuFromParam(r.wParam) == edit) {
            EXPECT_EQ(LoWord(static_cast<uintptr_t>(r.lParam)), 1);
            sawEdit = true;
        }
    }
    EXPECT_TRUE(sawEdit);
    const Received* first = nullptr;
    for (const auto& r : rec.log) {
        if (r.hwnd == h && r.msg == WM_MENUSELECT && MenuFromParam(uintptr_t(r.lParam)) == edit) {
            first = &r;
            break;
        }
    }
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(LoWord(first->wParam), kUndo);
    EXPECT_EQ(HiWord(first->wParam) & (MF_GRAYED | MF_HILITE), MF_GRAYED | MF_HILITE);
    const Received* last = rec.Last(h, WM_MENUSELECT);
    EXPECT_EQ(HiWord(last->wParam), 0xFFFFu);
    EXPECT_EQ(last->lParam, 0);
    EXPECT_EQ(Commands(h), std::vector<int>{kAlpha});
}

TEST_F(MenuTest, TheSystemMenuSendsSystemCommands) {
    const Hwnd h = MakeFrame(LoadMenu(nullptr, kTestMenu));
    // Restore is grey for a normal window; Alt+Space, N minimises.
    rec.handler = [](Hwnd, uint32_t msg, WParam w, LParam, LResult* r) {
        if (msg == WM_SYSCOMMAND && (w & 0xFFF0) != SC_KEYMENU && (w & 0xFFF0) != SC_MOUSEMENU) {
            *r = 0;
            return true;  // recorded, not acted on
        }
        return false;
    };
    AltKey(VK_SPACE);
    Key('R');  // greyed: nothing
    Key('N');
    Pump();
    EXPECT_EQ(Commands(h, WM_SYSCOMMAND).back(), int(SC_MINIMIZE & 0xFFFF));
    const Hmenu sys = GetSystemMenu(h, false);
    EXPECT_EQ(GetMenuState(sys, SC_RESTORE, MF_BYCOMMAND) & MF_GRAYED, MF_GRAYED);
    EXPECT_EQ(GetMenuState(sys, SC_MAXIMIZE, MF_BYCOMMAND) & MF_GRAYED, 0u);
    // A press on the caption icon opens it too; Down, Enter picks "Move".
    rec.log.clear();
    Rect icon;
    ASSERT_TRUE(wm->GetCaptionIconRect(h, &icon));
    screen->Click(Centre(icon).x, Centre(icon).y);
    Key(VK_DOWN);  // Restore, greyed
    Key(VK_DOWN);
    Key(VK_RETURN);
    for (int i = 0; i < 3; ++i) Key(VK_ESCAPE);
    Pump();
    ASSERT_FALSE(Commands(h, WM_SYSCOMMAND).empty());
    EXPECT_EQ(Commands(h, WM_SYSCOMMAND).back(), int(SC_MOVE & 0xFFFF));
    EXPECT_EQ(SendMessage(h, WM_NCHITTEST, 0, MakeLParam(Centre(icon).x, Centre(icon).y)),
              HTSYSMENU);
}

TEST_F(MenuTest, MouseTracksAcrossTheBarAndIntoSubmenus) {
    const Hmenu bar = LoadMenu(nullptr, kTestMenu);
    const Hmenu file = GetSubMenu(bar, 0);
    const Hmenu edit = GetSubMenu(bar, 1);
    const Hmenu more = GetSubMenu(edit, 4);
    const Hwnd h = MakeFrame(bar);
    Rect fileItem, editItem, helpItem;
    ASSERT_TRUE(GetMenuItemRect(h, bar, 0, &fileItem));
    ASSERT_TRUE(GetMenuItemRect(h, bar, 1, &editItem));
    ASSERT_TRUE(GetMenuItemRect(h, bar, 2, &helpItem));
    rec.log.clear();
    Script script(h);
    auto bail = [&] {
        for (int i = 0; i < 4; ++i) Key(VK_ESCAPE);
    };
    screen->Click(Centre(fileItem).x, Centre(fileItem).y);
    script.Then([&] {
        Rect r;
        EXPECT_TRUE(GetMenuItemRect(h, file, 0, &r));  // the File popup is open
        EXPECT_GE(r.top, fileItem.bottom);
        Shot("menu_file_open");
        // Sliding along the bar switches popups without a click.
        screen->MouseMove(Centre(helpItem).x, Centre(helpItem).y);
        screen->MouseMove(Centre(editItem).x, Centre(editItem).y);
    });
    script.Then([&] {
        Rect r;
        EXPECT_FALSE(GetMenuItemRect(h, file, 0, &r));
        if (!GetMenuItemRect(h, edit, 4, &r)) return bail();
        screen->MouseMove(Centre(r).x, Centre(r).y);  // onto "More": its submenu opens
    });
    script.Then([&] {
        Rect beta;
        if (!GetMenuItemRect(h, more, 1, &beta)) return bail();
        Rect moreItem;
        GetMenuItemRect(h, edit, 4, &moreItem);
        EXPECT_GE(beta.left, moreItem.right - 4);  // beside its item
        Shot("menu_submenu_open");
        screen->Click(Centre(beta).x, Centre(beta).y);
    });
    Pump();
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(Commands(h), std::vector<int>{kBeta});
    std::vector<Hmenu> opened;
    for (const auto& r : rec.log) {
        if (r.hwnd == h && r.msg == WM_INITMENUPOPUP) opened.push_back(MenuFromParam(r.wParam));
    }
    EXPECT_EQ(opened, (std::vector<Hmenu>{file, GetSubMenu(bar, 2), edit, more}));
    EXPECT_EQ(GetCapture(), Hwnd{});
}

TEST_F(MenuTest, MouseClicksThatChooseNothing) {
    const Hmenu bar = LoadMenu(nullptr, kTestMenu);
    const Hmenu edit = GetSubMenu(bar, 1);
    const Hwnd h = MakeFrame(bar);
    const Hwnd below = Popup(540, 400, 60, 40);  // a window outside the frame
    Rect editItem;
    ASSERT_TRUE(GetMenuItemRect(h, bar, 1, &editItem));
    rec.log.clear();
    Script script(h);
    // A greyed item and a separator do not choose; a press outside closes and is eaten.
    screen->Click(Centre(editItem).x, Centre(editItem).y);
    script.Then([&] {
        Rect undo, sep;
        EXPECT_TRUE(GetMenuItemRect(h, edit, 0, &undo));
        EXPECT_TRUE(GetMenuItemRect(h, edit, 3, &sep));
        screen->Click(Centre(undo).x, Centre(undo).y);
        screen->Click(Centre(sep).x, Centre(sep).y);
        screen->Click(560, 420);
    });
    Pump();
    EXPECT_TRUE(Commands(h).empty());
    EXPECT_EQ(rec.Count(below, WM_LBUTTONDOWN), 0);
    EXPECT_FALSE(IsMenuActive());
    // A right-button press outside closes as well.
    rec.log.clear();
    screen->Click(Centre(editItem).x, Centre(editItem).y);
    screen->Click(560, 420, MouseButton::Right);
    Pump();
    EXPECT_EQ(rec.Count(h, WM_EXITMENULOOP), 1);
    EXPECT_EQ(rec.Count(below, WM_RBUTTONDOWN), 0);
    // A second press on the open bar item closes the menu.
    rec.log.clear();
    screen->Click(Centre(editItem).x, Centre(editItem).y);
    screen->Click(Centre(editItem).x, Centre(editItem).y);
    Pump();
    EXPECT_EQ(rec.Count(h, WM_EXITMENULOOP), 1);
    EXPECT_TRUE(Commands(h).empty());
}

// One Escape closes the popup and leaves its title selected in the bar; a press elsewhere then
// ends the bar's mode and reaches the window it was on (a player's next click is not lost).
TEST_F(MenuTest, APressAfterEscapeLeftOnlyTheBarSelectedReachesItsWindow) {
    const Hmenu bar = LoadMenu(nullptr, kTestMenu);
    const Hwnd h = MakeFrame(bar);
    const Hwnd below = Popup(540, 400, 60, 40);
    Rect editItem;
    ASSERT_TRUE(GetMenuItemRect(h, bar, 1, &editItem));
    rec.log.clear();
    Script script(h);
    screen->Click(Centre(editItem).x, Centre(editItem).y);
    script.Then([&] {
        Key(VK_ESCAPE);
        EXPECT_TRUE(IsMenuActive()) << "the bar stays selected after one Escape";
        screen->Click(560, 420);
    });
    Pump();
    if (!script.Done()) Pump();
    EXPECT_FALSE(IsMenuActive());
    EXPECT_EQ(rec.Count(below, WM_LBUTTONDOWN), 1);
    EXPECT_TRUE(Commands(h).empty());
}

// Each bar title opens its popup on a click, whatever ended the menu before it: the keys, a
// choice, a click away or a second click on the open title.
TEST_F(MenuTest, EveryBarTitleOpensOnAClickAfterAnyEndOfTheMenuBefore) {
    const Hmenu bar = LoadMenu(nullptr, kTestMenu);
    const Hwnd h = MakeFrame(bar);
    std::vector<Rect> titles(3);
    for (uint32_t i = 0; i < 3; ++i) ASSERT_TRUE(GetMenuItemRect(h, bar, i, &titles[i]));
    struct Ending {
        const char* name;
        std::function<void(Hmenu popup)> end;
    };
    const std::vector<Ending> endings = {
        {"two Escapes", [&](Hmenu) { Key(VK_ESCAPE); Key(VK_ESCAPE); }},
        {"Alt", [&](Hmenu) { Key(VK_MENU); }},
        {"a click away", [&](Hmenu) { screen->Click(600, 420); }},
        {"a second click on the title", [&](Hmenu) {
             Point p = Centre(titles[0]);
             for (uint32_t i = 0; i < 3; ++i) {
                 Rect r;
                 if (GetMenuItemRect(h, GetSubMenu(bar, static_cast<int>(i)), 0, &r)) p = Centre(titles[i]);
             }
             screen->Click(p.x, p.y);
         }},
        {"a command chosen", [&](Hmenu popup) {
             for (int i = 0; i < GetMenuItemCount(popup); ++i) {
                 const uint32_t state = GetMenuState(popup, static_cast<uint32_t>(i), MF_BYPOSITION);
                 Rect r;
                 if ((state & (MF_GRAYED | MF_POPUP | MF_SEPARATOR)) == 0 &&
                     GetMenuItemRect(h, popup, static_cast<uint32_t>(i), &r)) {
                     screen->Click(Centre(r).x, Centre(r).y);
                     return;
                 }
             }
         }},
    };
    for (const Ending& ending : endings) {
        for (int pos = 0; pos < 3; ++pos) {
            const Hmenu popup = GetSubMenu(bar, pos);
            bool open = false;
            Script script(h);
            screen->Click(Centre(titles[static_cast<size_t>(pos)]).x, Centre(titles[static_cast<size_t>(pos)]).y);
            script.Then([&] {
                Rect r;
                open = GetMenuItemRect(h, popup, 0, &r);
                ending.end(popup);
            });
            Pump();
            if (!script.Done()) Pump();
            EXPECT_TRUE(open) << "bar item " << pos << " after " << ending.name;
            EXPECT_FALSE(IsMenuActive()) << ending.name;
            if (IsMenuActive()) {
                Key(VK_ESCAPE);
                Key(VK_ESCAPE);
                Pump();
            }
        }
    }
}

// The screen delivers a key's character apart from the key: a mnemonic the menu took is not
// typed into the window that has the focus afterwards, whether its character came before the
// menu ended or just after; a character typed later is.
TEST_F(MenuTest, AMnemonicsCharacterIsNotTypedAfterTheMenu) {
    const Hmenu bar = LoadMenu(nullptr, kTestMenu);
    const Hwnd h = MakeFrame(bar);
    SetFocus(h);
    screen->SetAutoAdvance(false);
    rec.log.clear();
    AltKey('F');
    screen->KeyDown('N');
    screen->Text("n");  // queued with the key
    screen->KeyUp('N');
    Pump();
    EXPECT_EQ(Commands(h), std::vector<int>{kNew});
    AltKey('F');
    screen->KeyDown('O');
    screen->KeyUp('O');
    Pump();
    screen->AdvanceClock(20);
    screen->Text("o");  // arriving after the menu ended
    Pump();
    EXPECT_EQ(Commands(h), (std::vector<int>{kNew, kOpen}));
    EXPECT_EQ(rec.Count(h, WM_CHAR), 0) << "no mnemonic was typed";
    screen->AdvanceClock(1000);
    screen->Text("o");
    Pump();
    EXPECT_EQ(rec.Count(h, WM_CHAR), 1) << "a later character is typed";
}

// A bare pop-up lying over its frame (no caption, no system menu, no bar: a full-screen page)
// sends the menu keys pressed in it to the frame's bar; a captioned pop-up keeps its own.
TEST_F(MenuTest, MenuKeysInABarePageOverItsFrameOpenTheFramesBar) {
    const Hmenu bar = LoadMenu(nullptr, kTestMenu);
    const Hwnd frame = MakeFrame(bar);
    const Hwnd page = CreateWindowEx(0, "Recorder", "", WS_POPUP | WS_VISIBLE, 30, 60, 300, 200, frame, 0,
                                     nullptr, nullptr);
    SetActiveWindow(page);
    SetFocus(page);
    rec.log.clear();
    AltKey('F');
    Key('N');
    Pump();
    Key(VK_F10);
    Key(VK_DOWN);
    Key(VK_RETURN);
    Pump();
    EXPECT_EQ(Commands(frame), (std::vector<int>{kNew, kNew}));
    EXPECT_FALSE(IsMenuActive());
    const Hwnd captioned = CreateWindowEx(0, "Recorder", "Tool", WS_POPUP | WS_CAPTION | WS_VISIBLE, 40, 80, 200,
                                          120, frame, 0, nullptr, nullptr);
    SetActiveWindow(captioned);
    SetFocus(captioned);
    Key(VK_F10);
    AltKey('F');
    Pump();
    EXPECT_EQ(Commands(frame).size(), 2u) << "a captioned window does not reach its owner's bar";
    EXPECT_FALSE(IsMenuActive());
}

TEST_F(MenuTest, TrackPopupMenuReturnsOrPostsTheChoice) {
    const Hwnd h = MakeFrame({});
    const Hmenu pop = CreatePopupMenu();
    AppendMenu(pop, MF_STRING, 100, "One");
    AppendMenu(pop, MF_STRING, 101, core::Utf8ToSjis("二番目(&S)"));
    Script script(h);
    script.Then([&] {
        Rect r;
        if (!GetMenuItemRect(h, pop, 1, &r)) return Key(VK_ESCAPE);
        EXPECT_EQ(r.left, 100 + 3);
        screen->Click(Centre(r).x, Centre(r).y);
    });
    EXPECT_EQ(TrackPopupMenu(pop, TPM_RETURNCMD, 100, 120, 0, h, nullptr), 101);
    Pump();
    EXPECT_TRUE(Commands(h).empty());  // returned, not sent
    // Posted as WM_COMMAND without TPM_RETURNCMD; a mnemonic picks.
    Key('S');
    EXPECT_EQ(TrackPopupMenu(pop, 0, 100, 120, 0, h, nullptr), 1);
    Pump();
    EXPECT_EQ(Commands(h), std::vector<int>{101});
    // Esc: nothing. Right-aligned and bottom-aligned placement, kept on the screen.
    Script second(h);
    second.Then([&] {
        Rect r;
        EXPECT_TRUE(GetMenuItemRect(h, pop, 0, &r));
        EXPECT_LE(r.right, 640);
        EXPECT_LE(r.bottom, 480);
        Key(VK_ESCAPE);
    });
    EXPECT_EQ(TrackPopupMenu(pop, TPM_RETURNCMD | TPM_RIGHTALIGN | TPM_BOTTOMALIGN, 700, 470, 0,
                             h, nullptr),
              0);
    DestroyMenu(pop);
}

TEST_F(MenuTest, CrossThreadSendsAreServedWhileAMenuIsOpen) {
    const Hwnd h = MakeFrame(LoadMenu(nullptr, kTestMenu));
    const Hwnd target = Popup(500, 10, 20, 20, 0);  // hidden: the frame stays active
    std::atomic<int> answer{0};
    std::thread worker;
    Script script(h);
    script.Then([&] {
        // The menu is open: a worker's SendMessage must still be answered.
        EXPECT_TRUE(IsMenuActive());
        rec.handler = [](Hwnd, uint32_t msg, WParam, LParam, LResult* r) {
            if (msg == WM_USER + 5) {
                *r = 42;
                return true;
            }
            return false;
        };
        worker = std::thread([&] {
            answer = static_cast<int>(SendMessage(target, WM_USER + 5, 0, 0));
            screen->KeyDown(VK_ESCAPE);
            screen->KeyUp(VK_ESCAPE);
            screen->KeyDown(VK_ESCAPE);
            screen->KeyUp(VK_ESCAPE);
        });
    });
    AltKey('F');
    Pump();
    // The loop may have ended before the worker's keys: wait for it, then spend them.
    ASSERT_TRUE(worker.joinable());
    worker.join();
    Pump();
    EXPECT_EQ(answer.load(), 42);
    EXPECT_FALSE(IsMenuActive());
}

TEST_F(MenuTest, ScreenshotOfAnOpenMenuWithEveryItemKind) {
    const Hmenu bar = LoadMenu(nullptr, kTestMenu);
    const Hwnd h = MakeFrame(bar);
    Script script(h);
    script.Then([&] {
        Rect r;
        const Hmenu edit = GetSubMenu(bar, 1);
        ASSERT_TRUE(GetMenuItemRect(h, edit, 1, &r));
        // The selected item is drawn in the highlight; the popup has the raised frame.
        EXPECT_EQ(screen->PixelAt(r.left + 2, Centre(r).y), ToPixel32(GetSysColor(COLOR_HIGHLIGHT)));
        Rect bi;
        GetMenuItemRect(h, bar, 1, &bi);
        EXPECT_EQ(screen->PixelAt(bi.left, bi.top), ToPixel32(GetSysColor(COLOR_BTNSHADOW)));
        Shot("menu_edit_open");
        Key(VK_ESCAPE);
        Key(VK_ESCAPE);
    });
    AltKey('E');
    Key(VK_DOWN);
    Pump();
}

}  // namespace
}  // namespace zv::ui::testing
