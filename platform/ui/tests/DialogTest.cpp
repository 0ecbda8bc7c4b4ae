// Dialogs and message boxes, driven by injected keys: tab order, groups, default and cancel
// buttons, mnemonics, modal loops that serve cross-thread sends, and the layout check that
// every registered template passes.
#include <atomic>
#include <chrono>
#include <thread>

#include "platform/core/Sjis.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/DialogLayoutCheck.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/SysColors.h"
#include "platform/ui/TextFitCheck.h"
#include "platform/ui/controls/ControlConstants.h"
#include "platform/ui/tests/UiTestSupport.h"

namespace zv::ui {
namespace {

using testing::ShotPath;
using testing::UiTest;

constexpr int kKeysDialog = 9001;
constexpr int kName = 100, kEdit = 101, kAlpha = 102, kBeta = 103, kGamma = 104, kCheck = 105;

DialogTemplate KeysTemplate() {
    DialogTemplate t;
    t.number = kKeysDialog;
    t.title = "キー操作";
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER;
    t.cx = 160;
    t.cy = 84;
    t.items = {
        {kName, "STATIC", "&Name:", 7, 8, 40, 10, 0},
        {kEdit, "EDIT", "", 50, 6, 100, 12, WS_TABSTOP | WS_GROUP | WS_BORDER},
        {kAlpha, "BUTTON", "&Alpha", 7, 24, 60, 10, BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP},
        {kBeta, "BUTTON", "&Beta", 7, 36, 60, 10, BS_AUTORADIOBUTTON},
        {kGamma, "BUTTON", "&Gamma", 7, 48, 60, 10, BS_AUTORADIOBUTTON},
        {kCheck, "BUTTON", "&Check", 80, 24, 60, 10, 3 | WS_GROUP | WS_TABSTOP},
        {IDOK, "BUTTON", "OK", 40, 64, 50, 14, BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP},
        {IDCANCEL, "BUTTON", "キャンセル", 100, 64, 50, 14, WS_TABSTOP},
    };
    return t;
}

struct Outcome {
    int radio = 0;
    bool check = false;
    bool ownerEnabled = true;
    std::string name;
};
Outcome gOutcome;
Hwnd gOwner;

intptr_t KeysProc(Hwnd dlg, uint32_t msg, WParam wp, LParam) {
    switch (msg) {
        case WM_INITDIALOG:
            CheckRadioButton(dlg, kAlpha, kGamma, kAlpha);
            return 1;  // focus the first tab stop
        case WM_COMMAND: {
            const int id = LoWord(wp);
            if (id != IDOK && id != IDCANCEL) return 0;
            for (int r = kAlpha; r <= kGamma; ++r) {
                if (IsDlgButtonChecked(dlg, r)) gOutcome.radio = r;
            }
            gOutcome.check = IsDlgButtonChecked(dlg, kCheck) != 0;
            gOutcome.ownerEnabled = IsWindowEnabled(gOwner);
            gOutcome.name = GetDlgItemText(dlg, kEdit);
            EndDialog(dlg, id);
            return 1;
        }
        default:
            return 0;
    }
}

class DialogTest : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        DialogRegistry::Global().Add(KeysTemplate());
        gOutcome = {};
    }
    void Key(uint32_t vk, bool shift = false) {
        if (shift) screen->KeyDown(VK_SHIFT);
        screen->KeyDown(vk);
        screen->KeyUp(vk);
        if (shift) screen->KeyUp(VK_SHIFT);
    }
    void AltKey(uint32_t vk) {
        screen->KeyDown(VK_MENU);
        screen->KeyDown(vk);
        screen->KeyUp(vk);
        screen->KeyUp(VK_MENU);
    }
    void PumpDialog(Hwnd dlg) {
        Msg m;
        while (PeekMessage(&m, {}, 0, 0, PM_REMOVE)) {
            if (!IsDialogMessage(dlg, &m)) {
                TranslateMessage(m);
                DispatchMessage(m);
            }
        }
    }
};

TEST_F(DialogTest, KeysMoveTheFocusThroughTabStopsGroupsAndMnemonics) {
    const Hwnd top = Popup(0, 0, 640, 480);
    const Hwnd dlg = CreateDialogParam(nullptr, kKeysDialog, top, KeysProc);
    ASSERT_TRUE(IsWindow(dlg));
    ShowWindow(dlg, SW_SHOW);
    PumpDialog(dlg);
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), kEdit);
    auto isDefault = [&](int id) {
        return (GetWindowLong(GetDlgItem(dlg, id), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    };
    struct Step {
        std::function<void()> press;
        int focus;
    };
    const Step steps[] = {
        {[&] { Key(VK_TAB); }, kAlpha},         {[&] { Key(VK_TAB); }, kCheck},
        {[&] { Key(VK_TAB); }, IDOK},           {[&] { Key(VK_TAB); }, IDCANCEL},
        {[&] { Key(VK_TAB); }, kEdit},  // round to the first
        {[&] { Key(VK_TAB, true); }, IDCANCEL}, {[&] { Key(VK_TAB, true); }, IDOK},
        {[&] { Key(VK_TAB); }, IDCANCEL},
    };
    for (const Step& s : steps) {
        s.press();
        PumpDialog(dlg);
        EXPECT_EQ(GetDlgCtrlID(GetFocus()), s.focus);
    }
    // A focused push button shows as the default; elsewhere the default button does.
    EXPECT_TRUE(isDefault(IDCANCEL));
    EXPECT_FALSE(isDefault(IDOK));
    SetDlgItemText(dlg, kEdit, "abc");
    Key(VK_TAB);
    PumpDialog(dlg);
    EXPECT_TRUE(isDefault(IDOK));
    EXPECT_FALSE(isDefault(IDCANCEL));
    EXPECT_EQ(SendDlgItemMessage(dlg, kEdit, EM_GETSEL, 0, 0), MakeLParam(0, 3));  // all selected
    EXPECT_EQ(SendMessage(dlg, DM_GETDEFID, 0, 0), MakeLParam(IDOK, DC_HASDEFID));

    // Arrows walk the radio group round and check what they reach.
    Key(VK_TAB);
    const std::pair<uint32_t, int> arrows[] = {{VK_DOWN, kBeta},
                                               {VK_DOWN, kGamma},
                                               {VK_DOWN, kAlpha},
                                               {VK_UP, kGamma},
                                               {VK_RIGHT, kAlpha}};
    for (const auto& [vk, want] : arrows) {
        Key(vk);
        PumpDialog(dlg);
        EXPECT_EQ(GetDlgCtrlID(GetFocus()), want);
        EXPECT_EQ(IsDlgButtonChecked(dlg, want), 1u);
    }
    EXPECT_EQ(IsDlgButtonChecked(dlg, kGamma), 0u);

    // Mnemonics: a button is clicked, a label hands on to the control after it; in an edit
    // letters are text, with Alt they are mnemonics.
    screen->Text("c");
    PumpDialog(dlg);
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), kCheck);
    EXPECT_EQ(IsDlgButtonChecked(dlg, kCheck), 1u);
    screen->Text("N");
    PumpDialog(dlg);
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), kEdit);
    screen->Text("b");
    PumpDialog(dlg);
    EXPECT_EQ(GetDlgItemText(dlg, kEdit), "b");
    AltKey('B');
    PumpDialog(dlg);
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), kBeta);
    EXPECT_EQ(IsDlgButtonChecked(dlg, kBeta), 1u);
    // A click focuses the button it lands on, which then shows as the default.
    Rect cancel;
    GetWindowRect(GetDlgItem(dlg, IDCANCEL), &cancel);
    screen->MouseMove(cancel.left + 5, cancel.top + 5);
    screen->MouseDown(cancel.left + 5, cancel.top + 5);
    PumpDialog(dlg);
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), IDCANCEL);
    EXPECT_TRUE(isDefault(IDCANCEL));
    EXPECT_FALSE(isDefault(IDOK));
    screen->MouseMove(cancel.left - 30, cancel.top + 5);  // let go elsewhere: no click
    screen->MouseUp(cancel.left - 30, cancel.top + 5);
    PumpDialog(dlg);
    EXPECT_TRUE(IsWindowVisible(dlg));
    DestroyWindow(dlg);
}

TEST_F(DialogTest, ModalDialogsEndOnEnterEscapeAndButtons) {
    gOwner = Popup(0, 0, 640, 480);
    struct Case {
        const char* name;
        std::function<void()> keys;
        intptr_t result;
        int radio;
        bool check;
    };
    const Case cases[] = {
        {"tab, down, enter", [&] { Key(VK_TAB), Key(VK_DOWN), Key(VK_RETURN); }, IDOK, kBeta,
         false},
        {"escape", [&] { Key(VK_ESCAPE); }, IDCANCEL, kAlpha, false},
        {"mnemonic then enter on a radio takes the default",
         [&] { Key(VK_TAB), screen->Text("g"), Key(VK_RETURN); }, IDOK, kGamma, false},
        {"enter on a focused push button clicks it", [&] { Key(VK_TAB, true), Key(VK_RETURN); },
         IDCANCEL, kAlpha, false},
        {"space-less check mnemonic with alt, then the OK mnemonic-less enter",
         [&] { AltKey('C'), Key(VK_RETURN); }, IDOK, kAlpha, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        gOutcome = {};
        c.keys();
        EXPECT_EQ(DialogBoxParam(nullptr, kKeysDialog, gOwner, KeysProc), c.result);
        EXPECT_EQ(gOutcome.radio, c.radio);
        EXPECT_EQ(gOutcome.check, c.check);
        EXPECT_FALSE(gOutcome.ownerEnabled);  // held while the dialog was up
        EXPECT_TRUE(IsWindowEnabled(gOwner));
    }
    // Typing into the edit, then Enter: the text is there when OK is handled.
    screen->Text("Zv");
    Key(VK_RETURN);
    EXPECT_EQ(DialogBoxParam(nullptr, kKeysDialog, gOwner, KeysProc), IDOK);
    EXPECT_EQ(gOutcome.name, "Zv");
    // Unknown templates and unknown classes fail cleanly.
    EXPECT_EQ(DialogBoxParam(nullptr, 424242, gOwner, KeysProc), -1);
    DialogTemplate bad = KeysTemplate();
    bad.items.push_back({7, "NoSuchClass", "", 0, 0, 10, 10, 0});
    EXPECT_EQ(DialogBoxIndirectParam(nullptr, bad, gOwner, KeysProc), -1);
    EXPECT_TRUE(IsWindowEnabled(gOwner));
}

// A worker sends to the GUI thread while a modal dialog is up, and again while a message box
// opened from that dialog is up; both sends are answered at once.
std::atomic<bool> gDialogUp{false}, gInBox{false};
Hwnd gDialog;
intptr_t CrossThreadProc(Hwnd dlg, uint32_t msg, WParam wp, LParam) {
    switch (msg) {
        case WM_INITDIALOG:
            gDialog = dlg;
            gDialogUp = true;
            return 1;
        case WM_USER + 2:
            gInBox = true;
            SetWindowLongPtr(dlg, DWLP_USER,
                             MessageBox(dlg, zv::core::Utf8ToSjis("同期中です。"), "", MB_OK));
            gInBox = false;
            return 1;
        case WM_COMMAND:
            if (LoWord(wp) == IDCANCEL) EndDialog(dlg, IDCANCEL);
            return 1;
        default:
            return 0;
    }
}

TEST_F(DialogTest, CrossThreadSendsAreServedUnderADialogAndAMessageBox) {
    const Hwnd owner = Popup(0, 0, 640, 480);
    std::vector<std::pair<uint32_t, bool>> served;  // message, whether the box was up
    rec.handler = [&](Hwnd, uint32_t msg, WParam, LParam, LResult* r) {
        if (msg == WM_USER + 1 || msg == WM_USER + 3) {
            served.emplace_back(msg, gInBox.load());
            *r = msg == WM_USER + 1 ? 11 : 33;
            return true;
        }
        return false;
    };
    gDialogUp = false;
    gInBox = false;
    std::atomic<LResult> first{0}, second{0};
    std::thread worker([&] {
        auto waitUntil = [](const std::function<bool()>& f) {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            while (!f() && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
        };
        waitUntil([] { return gDialogUp.load(); });
        first = SendMessage(owner, WM_USER + 1, 0, 0);
        PostMessage(gDialog, WM_USER + 2, 0, 0);
        waitUntil([] { return gInBox.load(); });
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        second = SendMessage(owner, WM_USER + 3, 0, 0);
        screen->KeyDown(VK_RETURN);  // answers the box
        screen->KeyUp(VK_RETURN);
        waitUntil([] { return !gInBox.load(); });
        screen->KeyDown(VK_ESCAPE);  // and then the dialog
        screen->KeyUp(VK_ESCAPE);
    });
    const intptr_t r = DialogBoxParam(nullptr, kKeysDialog, owner, CrossThreadProc);
    worker.join();
    EXPECT_EQ(r, IDCANCEL);
    EXPECT_EQ(first.load(), 11);
    EXPECT_EQ(second.load(), 33);
    EXPECT_EQ(served,
              (std::vector<std::pair<uint32_t, bool>>{{WM_USER + 1, false}, {WM_USER + 3, true}}));
}

struct BoxSeen {
    std::string caption;
    std::vector<std::string> buttons;
    Rect rect;
    bool ownerEnabled = true;
    bool otherEnabled = true;
    bool topmost = false;
    int focusId = 0;
};

class MessageBoxTest : public DialogTest {
  protected:
    // Runs a message box with the keys given, looking at it from inside its loop first.
    int Run(uint32_t type, const std::string& utf8, const std::function<void()>& keys,
            BoxSeen* seen, Hwnd other = {}) {
        const Hwnd owner = Popup(0, 0, 640, 480);
        rec.handler = [&](Hwnd h, uint32_t msg, WParam, LParam, LResult*) {
            if (h != owner || msg != WM_USER + 9) return false;
            const Hwnd box = GetActiveWindow();
            seen->caption = zv::core::SjisToUtf8(GetWindowText(box));
            for (Hwnd c : wm->GetChildren(box))
                seen->buttons.push_back(zv::core::SjisToUtf8(GetWindowText(c)));
            GetWindowRect(box, &seen->rect);
            seen->ownerEnabled = IsWindowEnabled(owner);
            seen->otherEnabled = other ? IsWindowEnabled(other) : true;
            seen->topmost = (GetWindowLong(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
            seen->focusId = GetDlgCtrlID(GetFocus());
            return true;
        };
        PostMessage(owner, WM_USER + 9, 0, 0);
        keys();
        const int r =
            MessageBox(owner, zv::core::Utf8ToSjis(utf8), zv::core::Utf8ToSjis("確認"), type);
        EXPECT_TRUE(IsWindowEnabled(owner));
        rec.handler = nullptr;
        DestroyWindow(owner);
        return r;
    }
};

TEST_F(MessageBoxTest, ButtonSetsDefaultsAndKeysGiveTheirAnswers) {
    struct Case {
        uint32_t type;
        std::function<void()> keys;
        int result;
        std::vector<std::string> buttons;
        int focus;
    };
    const Case cases[] = {
        {MB_OK, [&] { Key(VK_RETURN); }, IDOK, {"OK"}, IDOK},
        {MB_OK | MB_ICONINFORMATION, [&] { Key(VK_ESCAPE); }, IDOK, {"OK"}, IDOK},
        {MB_OKCANCEL, [&] { Key(VK_ESCAPE); }, IDCANCEL, {"OK", "キャンセル"}, IDOK},
        {MB_YESNO | MB_ICONQUESTION,
         [&] { Key(VK_RETURN); },
         IDYES,
         {"はい(&Y)", "いいえ(&N)"},
         IDYES},
        {MB_YESNO | MB_DEFBUTTON2, [&] { Key(VK_RETURN); }, IDNO, {"はい(&Y)", "いいえ(&N)"}, IDNO},
        {MB_YESNOCANCEL,
         [&] { screen->Text("n"); },
         IDNO,
         {"はい(&Y)", "いいえ(&N)", "キャンセル"},
         IDYES},
        {MB_YESNO,
         [&] { Key(VK_ESCAPE), screen->Text("y"); },
         IDYES,
         {"はい(&Y)", "いいえ(&N)"},
         IDYES},  // no cancel: Esc does nothing
        {MB_ABORTRETRYIGNORE | MB_ICONHAND,
         [&] { Key(VK_RIGHT), Key(VK_RETURN); },
         IDRETRY,
         {"中止(&A)", "再試行(&R)", "無視(&I)"},
         IDABORT},
        {MB_RETRYCANCEL | MB_ICONEXCLAMATION | MB_DEFBUTTON2,
         [&] { Key(VK_TAB), Key(VK_RETURN); },
         IDRETRY,
         {"再試行(&R)", "キャンセル"},
         IDCANCEL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        BoxSeen seen;
        EXPECT_EQ(Run(c.type, "よろしいですか？", c.keys, &seen), c.result);
        EXPECT_EQ(seen.caption, "確認");
        EXPECT_EQ(seen.buttons, c.buttons);
        EXPECT_EQ(seen.focusId, c.focus);
        EXPECT_FALSE(seen.ownerEnabled);
    }
}

TEST_F(MessageBoxTest, BoxesFitTheirTextAndSystemModalHoldsEveryWindow) {
    BoxSeen shortBox, longBox, tallBox;
    Run(
        MB_OK, "了解", [&] { Key(VK_RETURN); }, &shortBox);
    Run(
        MB_OK | MB_ICONEXCLAMATION,
        "この部隊は補給線から外れているため、次の時刻に士気が下がります。", [&] { Key(VK_RETURN); },
        &longBox);
    Run(
        MB_OK, "一行目\n二行目\n三行目\n四行目", [&] { Key(VK_RETURN); }, &tallBox);
    EXPECT_GT(longBox.rect.Width(), shortBox.rect.Width() + 200);
    EXPECT_GT(tallBox.rect.Height(), shortBox.rect.Height() + 30);
    // A text wider than the screen wraps instead.
    BoxSeen wide;
    Run(
        MB_OK, std::string(200, 'W'), [&] { Key(VK_RETURN); }, &wide);
    EXPECT_LE(wide.rect.Width(), 640);
    EXPECT_GT(wide.rect.Height(), shortBox.rect.Height());

    const Hwnd other = Popup(10, 10, 100, 100);
    BoxSeen sys;
    EXPECT_EQ(Run(
                  MB_OK | MB_SYSTEMMODAL, "停止します", [&] { Key(VK_RETURN); }, &sys, other),
              IDOK);
    EXPECT_TRUE(sys.topmost);
    EXPECT_FALSE(sys.otherEnabled);
    EXPECT_TRUE(IsWindowEnabled(other));
    // No owner: the caption defaults and the answer still comes back.
    Key(VK_RETURN);
    EXPECT_EQ(MessageBox({}, zv::core::Utf8ToSjis("所有者なし"), "", MB_OK), IDOK);
}

// A long Japanese text wraps where Japanese lines may break: no line of the box begins with
// a full stop.
TEST_F(MessageBoxTest, WrappedLinesNeverBeginWithAFullStop) {
    auto repeat = [](const char* c, int n) {
        std::string s;
        for (int i = 0; i < n; ++i) s += c;
        return s;
    };
    // The lines the box draws, read while it is up.
    auto linesOf = [&](const std::string& utf8) {
        const Hwnd owner = Popup(0, 0, 640, 480);
        std::vector<std::u32string> lines;
        rec.handler = [&](Hwnd h, uint32_t msg, WParam, LParam, LResult*) {
            if (h != owner || msg != WM_USER + 9) return false;
            TextDrawLog log;
            UpdateWindow(GetActiveWindow());
            wm->Flush();
            for (const TextDrawRecord& r : log.Records()) lines.push_back(r.text);
            return true;
        };
        PostMessage(owner, WM_USER + 9, 0, 0);
        Key(VK_RETURN);
        MessageBox(owner, zv::core::Utf8ToSjis(utf8), zv::core::Utf8ToSjis("確認"), MB_OK);
        rec.handler = nullptr;
        DestroyWindow(owner);
        return lines;
    };
    // How many characters a full line holds.
    std::size_t full = 0;
    for (const std::u32string& line : linesOf(repeat("あ", 200))) {
        if (line.find_first_not_of(U'あ') == std::u32string::npos)
            full = std::max(full, line.size());
    }
    ASSERT_GT(full, 2u);
    const std::vector<std::u32string> lines =
        linesOf(repeat("あ", int(full)) + "。" + repeat("い", 10));
    bool wrapped = false;
    for (const std::u32string& line : lines) {
        EXPECT_NE(line.front(), U'。') << Utf8Of(line);
        if (line.starts_with(U"あ。")) wrapped = true;
    }
    EXPECT_TRUE(wrapped) << "the last あ goes down with the full stop";
}

TEST_F(MessageBoxTest, Screenshot) {
    const Hwnd owner = Popup(0, 0, 640, 480);
    rec.handler = [&](Hwnd h, uint32_t msg, WParam, LParam, LResult*) {
        if (h != owner || msg != WM_USER + 9) return false;
        UpdateWindow(GetActiveWindow());
        wm->Flush();
        std::string err;
        EXPECT_TRUE(screen->WriteScreenshot(ShotPath("messagebox"), &err)) << err;
        // The box stands in the middle of its owner, with the question mark's blue disc on
        // its left and the text beside it.
        const Hwnd box = GetActiveWindow();
        Rect r;
        GetWindowRect(box, &r);
        EXPECT_NEAR((r.left + r.right) / 2, 320, 1);
        EXPECT_NEAR((r.top + r.bottom) / 2, 240, 1);
        int blue = 0, ink = 0;
        for (int y = r.top + 20; y < r.bottom - 40; ++y) {
            for (int x = r.left; x < r.left + 50; ++x) blue += screen->PixelAt(x, y) == 0x0000FFu ? 1 : 0;
            for (int x = r.left + 50; x < r.right; ++x) ink += screen->PixelAt(x, y) == 0x000000u ? 1 : 0;
        }
        EXPECT_GT(blue, 400);
        EXPECT_GT(ink, 100);
        return true;
    };
    PostMessage(owner, WM_USER + 9, 0, 0);
    Key(VK_RETURN);
    MessageBox(owner,
               zv::core::Utf8ToSjis("マップを保存しますか？\n保存しないと変更は失われます。"),
               zv::core::Utf8ToSjis("マップエディタ"), MB_YESNOCANCEL | MB_ICONQUESTION);
}

TEST_F(DialogTest, ItemHelpersAndDialogUnits) {
    const Hwnd dlg = CreateDialogParam(nullptr, kKeysDialog, {}, KeysProc);
    ASSERT_TRUE(IsWindow(dlg));
    struct IntCase {
        const char* text;
        bool isSigned;
        bool ok;
        unsigned value;
    };
    const IntCase ints[] = {
        {" 42 ", false, true, 42},
        {"-5", true, true, static_cast<unsigned>(-5)},
        {"-5", false, false, 0},
        {"12a", true, false, 0},
        {"", true, false, 0},
        {"99999999999", false, false, 0},
        {"4294967295", false, true, 4294967295u},
        {"2147483648", true, false, 0},
    };
    for (const IntCase& c : ints) {
        SCOPED_TRACE(c.text);
        SetDlgItemText(dlg, kEdit, c.text);
        bool ok = !c.ok;
        EXPECT_EQ(GetDlgItemInt(dlg, kEdit, &ok, c.isSigned), c.value);
        EXPECT_EQ(ok, c.ok);
    }
    SetDlgItemInt(dlg, kEdit, static_cast<unsigned>(-17), true);
    EXPECT_EQ(GetDlgItemText(dlg, kEdit), "-17");
    CheckRadioButton(dlg, kAlpha, kGamma, kGamma);
    EXPECT_EQ(IsDlgButtonChecked(dlg, kAlpha), 0u);
    EXPECT_EQ(IsDlgButtonChecked(dlg, kGamma), 1u);
    CheckDlgButton(dlg, kCheck, BST_CHECKED);
    EXPECT_EQ(SendDlgItemMessage(dlg, kCheck, BM_GETCHECK, 0, 0), 1);
    EXPECT_EQ(SendDlgItemMessage(dlg, 999, BM_GETCHECK, 0, 0), 0);

    // Dialog units follow the font: 4 x-units are one average character, 8 y-units a line.
    const Size base = DialogBaseUnits(dlg);
    EXPECT_GT(base.cx, 3);
    EXPECT_GT(base.cy, 9);
    Rect r{4, 8, 44, 24};
    ASSERT_TRUE(MapDialogRect(dlg, &r));
    EXPECT_EQ(r, (Rect{base.cx, base.cy, base.cx * 11, base.cy * 3}));
    Rect client;
    GetClientRect(dlg, &client);
    EXPECT_EQ(client.Width(), (160 * base.cx + 2) / 4);
    Rect ok;
    GetWindowRect(GetDlgItem(dlg, IDOK), &ok);
    Point p{ok.left, ok.top};
    ScreenToClient(dlg, &p);
    EXPECT_EQ(p.x, (40 * base.cx + 2) / 4);
    // Centred on the screen.
    Rect wr;
    GetWindowRect(dlg, &wr);
    EXPECT_LE(std::abs(wr.left + wr.right - 640), 1);
    DestroyWindow(dlg);
}

const Brush gBlueBrush = Brush::SolidColor(Rgb(0, 0, 255));
intptr_t ColourProc(Hwnd, uint32_t msg, WParam wp, LParam) {
    if (msg == WM_INITDIALOG) return 1;
    if (msg == WM_CTLCOLORDLG) {
        reinterpret_cast<Canvas*>(wp)->SetBkColor(Rgb(0, 0, 255));
        return reinterpret_cast<intptr_t>(&gBlueBrush);
    }
    return 0;
}

TEST_F(DialogTest, DialogsAskTheirProcedureForColours) {
    DialogTemplate t = KeysTemplate();
    t.items.clear();
    t.style |= WS_VISIBLE;
    const Hwnd plain = CreateDialogIndirectParam(nullptr, t, {}, KeysProc);
    UpdateWindow(plain);
    wm->Flush();
    Rect r;
    GetClientRect(plain, &r);
    Point c{r.right / 2, r.bottom / 2};
    ClientToScreen(plain, &c);
    EXPECT_EQ(screen->PixelAt(c.x, c.y), 0xC0C0C0u);  // the face colour by default
    DestroyWindow(plain);
    const Hwnd blue = CreateDialogIndirectParam(nullptr, t, {}, ColourProc);
    UpdateWindow(blue);
    wm->Flush();
    EXPECT_EQ(screen->PixelAt(c.x, c.y), 0x0000FFu);
    DestroyWindow(blue);
}

// Every registered template, at both screen sizes the game runs at.
TEST(DialogTemplates, EveryRegisteredTemplateLaysOutAt800x600And1024x768) {
    DialogRegistry::Global().Add(KeysTemplate());
    RegisterFileDialogTemplate();
    for (const Size screen : {Size{800, 600}, Size{1024, 768}}) {
        WindowManager wm(std::make_unique<HeadlessBackend>(screen.cx, screen.cy));
        for (int n : DialogRegistry::Global().Numbers()) {
            DialogTemplate t;
            ASSERT_TRUE(DialogRegistry::Global().Find(n, &t));
            for (const std::string& p : CheckDialogLayout(t)) ADD_FAILURE() << p;
        }
    }
}

TEST(DialogTemplates, TheLayoutCheckFindsMisplacedControls) {
    WindowManager wm(std::make_unique<HeadlessBackend>(800, 600));
    DialogTemplate t = KeysTemplate();
    t.items = {
        {1, "BUTTON", "OK", 150, 70, 20, 14, 0},                    // past the right edge
        {2, "STATIC", "", 5, 5, 40, 20, 0},                         // overlaps 3
        {3, "EDIT", "", 30, 10, 40, 12, 0},                         //
        {4, "BUTTON", "とても長いボタンの題名", 5, 40, 30, 14, 0},  // text too long
        {5, "BUTTON", "", 0, 0, 160, 84, 7, 0, true},               // frame: may overlap
    };
    const std::vector<std::string> problems = CheckDialogLayout(t);
    ASSERT_EQ(problems.size(), 5u);
    EXPECT_NE(problems[0].find("item 1"), std::string::npos);
    EXPECT_NE(problems[0].find("outside"), std::string::npos);
    EXPECT_NE(problems[1].find("overlaps item 3"), std::string::npos);
    EXPECT_NE(problems[2].find("does not fit"), std::string::npos);
    // The same two texts as the built dialog draws them.
    EXPECT_NE(problems[3].find("\"OK\" in BUTTON 1"), std::string::npos) << problems[3];
    EXPECT_NE(problems[4].find("とても長いボタンの題名\" in BUTTON 4"), std::string::npos) << problems[4];
}

// The live check: texts as the program set them, in the fonts it gave the controls, and text
// that windows draw themselves.
class TextFit : public ::testing::Test {
  protected:
    void SetUp() override {
        wm = std::make_unique<WindowManager>(std::make_unique<HeadlessBackend>(400, 300));
        parent = CreateWindowEx(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, {}, 0,
                                nullptr, nullptr);
    }
    // The controls free their state when they are destroyed, not when the manager goes.
    void TearDown() override {
        if (IsWindow(parent)) DestroyWindow(parent);
        wm.reset();
    }
    Hwnd Child(const char* cls, const std::string& utf8, uint32_t style, int x, int y, int w, int h) {
        return CreateWindowEx(0, cls, core::Utf8ToSjis(utf8), WS_CHILD | WS_VISIBLE | style, x, y, w,
                              h, parent, ++id, nullptr, nullptr);
    }
    std::unique_ptr<WindowManager> wm;
    Hwnd parent{};
    int id = 100;
};

TEST_F(TextFit, FindsTextsTheProgramSetAndFontsItChose) {
    const Hwnd counts = Child("STATIC", "", 0, 10, 10, 30, 14);
    EXPECT_TRUE(CheckWindowTexts(parent).empty()) << "an empty static";
    SetWindowText(counts, core::Utf8ToSjis("  9／ 18"));  // wraps below its one line
    std::vector<std::string> problems = CheckWindowTexts(parent);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("taller than its box"), std::string::npos) << problems[0];
    SetWindowText(counts, "9");
    EXPECT_TRUE(CheckWindowTexts(parent).empty());

    // A check box whose label just fits the default font, but not the bold one it is given,
    // and that a control right beside it would touch.
    const Size label = Font().MeasureText("YELLOW");
    const Hwnd box = Child("BUTTON", "YELLOW", BS_AUTOCHECKBOX, 10, 40, 17 + label.cx, 16);
    EXPECT_TRUE(CheckWindowTexts(parent).empty());
    const Hwnd next = Child("BUTTON", "RED", BS_AUTOCHECKBOX, 10 + 17 + label.cx, 40, 50, 16);
    problems = CheckWindowTexts(parent);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("\"YELLOW\" in BUTTON 102 \"YELLOW\": runs into BUTTON 103"), std::string::npos)
        << problems[0];
    DestroyWindow(next);
    FontSpec spec;
    spec.height = -16;
    spec.weight = FW_BOLD;
    const Font bold(spec);
    SendMessage(box, WM_SETFONT, reinterpret_cast<WParam>(&bold), 0);
    problems = CheckWindowTexts(parent);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("\"YELLOW\" in BUTTON"), std::string::npos) << problems[0];
    EXPECT_NE(problems[0].find("wider than its box"), std::string::npos) << problems[0];
    SendMessage(box, WM_SETFONT, 0, 0);

    // Siblings that overlap; a group box around them may.
    Child("BUTTON", "", BS_GROUPBOX, 0, 0, 200, 100);
    EXPECT_TRUE(CheckWindowTexts(parent).empty());
    Child("BUTTON", "OK", BS_PUSHBUTTON, 30, 16, 40, 20);
    problems = CheckWindowTexts(parent);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("overlaps BUTTON"), std::string::npos) << problems[0];
}

// A window that draws its own texts: a label cut by the window's edge, one shortened with an
// ellipsis, one drawn where a child control covers it.
LResult OwnTextProc(Hwnd h, uint32_t msg, WParam w, LParam l) {
    if (msg != WM_PAINT) return DefWindowProc(h, msg, w, l);
    PaintStruct ps;
    Canvas* dc = BeginPaint(h, &ps);
    const int mode = int(GetWindowLongPtr(h, GWLP_USERDATA));
    Rect r{0, 0, 60, 16};
    switch (mode) {
        case 1: dc->TextOut(90, 0, "120", TextEncoding::Utf8); break;  // 100 wide: cut
        case 2: dc->DrawText("保存データ消去", r, DT_SINGLELINE | DT_END_ELLIPSIS, TextEncoding::Utf8); break;
        case 3: dc->TextOut(0, 40, "under", TextEncoding::Utf8); break;
        default: dc->TextOut(0, 0, "20", TextEncoding::Utf8); break;
    }
    EndPaint(h, &ps);
    return 0;
}

TEST_F(TextFit, FindsOwnDrawnTextsCutShortenedOrCovered) {
    WindowClass wc;
    wc.name = "OwnText";
    wc.proc = OwnTextProc;
    ASSERT_TRUE(RegisterClass(wc));
    const Hwnd pane = CreateWindowEx(0, "OwnText", "", WS_CHILD | WS_VISIBLE, 10, 10, 100, 60,
                                     parent, 1, nullptr, nullptr);
    EXPECT_TRUE(CheckWindowTexts(parent).empty());
    const struct {
        int mode;
        const char* text;
        const char* why;
    } cases[] = {{1, "\"120\"", "cut at the side"},
                 {2, "\"保存デ...\"", "ellipsis"},
                 {3, "\"under\"", "partly covered"}};
    CreateWindowEx(0, "BUTTON", "x", WS_CHILD | WS_VISIBLE, 0, 44, 20, 16, pane, 7, nullptr, nullptr);
    for (const auto& c : cases) {
        SetWindowLongPtr(pane, GWLP_USERDATA, c.mode);
        const std::vector<std::string> problems = CheckWindowTexts(parent);
        ASSERT_EQ(problems.size(), 1u) << c.text << ": " << (problems.empty() ? "" : problems[0] + " / " + problems.back());
        EXPECT_NE(problems[0].find(c.text), std::string::npos) << problems[0];
        EXPECT_NE(problems[0].find(c.why), std::string::npos) << problems[0];
    }
}

}  // namespace
}  // namespace zv::ui
