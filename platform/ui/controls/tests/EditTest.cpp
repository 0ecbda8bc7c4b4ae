#include "platform/ui/controls/EditText.h"
#include "platform/ui/controls/tests/ControlTestSupport.h"

namespace zv::ui::testing {
namespace {

using controls::EditRules;
using controls::EditText;

class Edits : public ControlTest {
  protected:
    Hwnd MakeEdit(uint32_t style, int w = 200, int h = 22) {
        const Hwnd e = Make(kEditClass, "", style | WS_BORDER, 7, 20, 20, w, h);
        SetFocus(e);
        Pump();
        return e;
    }
    std::string Text(Hwnd e) { return GetWindowText(e); }
    std::pair<int, int> Sel(Hwnd e) {
        uint32_t a = 0;
        uint32_t b = 0;
        SendMessage(e, EM_GETSEL, reinterpret_cast<WParam>(&a), reinterpret_cast<LParam>(&b));
        return {int(a), int(b)};
    }
};

// The limit counts Shift-JIS bytes and never keeps half of a double-byte character.
TEST(EditTextLimit, InsertionsNeverSplitACharacter) {
    struct Case {
        std::size_t limit;
        const char* before;  // UTF-8
        const char* insert;
        const char* after;
        EditText::Result result;
    };
    const Case cases[] = {
        {6, "", "あいう", "あいう", EditText::Result::Done},
        {5, "", "あいう", "あい", EditText::Result::Truncated},
        {5, "", "aあいう", "aあい", EditText::Result::Truncated},
        {4, "ab", "あい", "abあ", EditText::Result::Truncated},
        {3, "ab", "あ", "ab", EditText::Result::Truncated},
        {3, "abc", "x", "abc", EditText::Result::Truncated},
        {16, "", "ﾌｫｰﾒｰｼｮﾝ名称", "ﾌｫｰﾒｰｼｮﾝ名称", EditText::Result::Done},
        {10, "", "ﾌｫｰﾒｰｼｮﾝ名称", "ﾌｫｰﾒｰｼｮﾝ名", EditText::Result::Truncated},
    };
    for (const Case& c : cases) {
        EditText t;
        t.SetText(core::Utf8ToSjis(c.before));
        t.SetLimit(c.limit);
        t.Select(t.Text().size(), t.Text().size());
        EXPECT_EQ(t.Replace(core::Utf8ToSjis(c.insert), EditRules{}, true), c.result) << c.insert;
        EXPECT_EQ(core::SjisToUtf8(t.Text()), c.after) << c.limit << " " << c.insert;
        EXPECT_LE(t.Text().size(), c.limit);
    }
    // Replacing a selection makes room first.
    EditText t;
    t.SetText(core::Utf8ToSjis("あいう"));
    t.SetLimit(6);
    t.Select(2, 4);
    EXPECT_EQ(t.Replace(core::Utf8ToSjis("xy"), EditRules{}, true), EditText::Result::Done);
    EXPECT_EQ(core::SjisToUtf8(t.Text()), "あxyう");
    // A selection end inside a character snaps back to its start.
    t.Select(0, 1);
    EXPECT_EQ(t.SelEnd(), 0u);
}

TEST_F(Edits, TypingNotifiesUpdateThenChange) {
    const Hwnd e = MakeEdit(ES_AUTOHSCROLL);
    log.notes.clear();
    Type("ab");
    EXPECT_EQ(Text(e), "ab");
    EXPECT_EQ(log.Codes(WM_COMMAND, 7),
              (std::vector<int>{EN_UPDATE, EN_CHANGE, EN_UPDATE, EN_CHANGE}));
    EXPECT_EQ(SendMessage(e, EM_GETMODIFY, 0, 0), 1);
    // WM_SETTEXT is a change too, but not a modification by the user.
    log.notes.clear();
    SetWindowText(e, "xyz");
    EXPECT_EQ(log.Codes(WM_COMMAND, 7), (std::vector<int>{EN_UPDATE, EN_CHANGE}));
    EXPECT_EQ(SendMessage(e, EM_GETMODIFY, 0, 0), 0);
}

TEST_F(Edits, LimitOfTypedJapaneseText) {
    const Hwnd e = MakeEdit(ES_AUTOHSCROLL);
    SendMessage(e, EM_LIMITTEXT, 5, 0);
    EXPECT_EQ(SendMessage(e, EM_GETLIMITTEXT, 0, 0), 5);
    Type("あいう");
    EXPECT_EQ(Utf8(Text(e)), "あい");
    EXPECT_GE(log.Count(WM_COMMAND, 7, EN_MAXTEXT), 1);
    Type("x");
    EXPECT_EQ(Utf8(Text(e)), "あいx");
    Type("y");
    EXPECT_EQ(Utf8(Text(e)), "あいx");
}

TEST_F(Edits, CompositionShowsAtTheCaretAndCommitsShiftJis) {
    const Hwnd e = MakeEdit(ES_AUTOHSCROLL, 300, 24);
    Type("ab");
    Key(VK_LEFT);
    screen->Compose("にほん", 3);
    Pump();
    // Nothing is in the text until the input method commits.
    EXPECT_EQ(Text(e), "ab");
    EXPECT_EQ(Utf8(wm->GetComposition().text), "にほん");
    EXPECT_EQ(wm->GetComposition().cursor, 6u);
    const Rect caret = screen->TextInputRect();
    EXPECT_GT(caret.Height(), 0);
    Shot("edit_composition");
    const uint32_t composing = screen->PixelAt(caret.left + 20, caret.bottom - 1);
    screen->Text("日本");
    Pump();
    EXPECT_EQ(Utf8(Text(e)), "a日本b");
    EXPECT_EQ(Sel(e), std::make_pair(5, 5));
    EXPECT_TRUE(wm->GetComposition().text.empty());
    wm->Flush();
    // The underline of the composition is gone with it.
    EXPECT_NE(screen->PixelAt(caret.left + 20, caret.bottom - 1), composing);
    // An abandoned composition leaves the text alone.
    screen->Compose("き", 1);
    screen->Compose("", 0);
    Pump();
    EXPECT_EQ(Utf8(Text(e)), "a日本b");
}

TEST_F(Edits, SelectionByKeysAndMouse) {
    const Hwnd e = MakeEdit(ES_AUTOHSCROLL, 300, 24);
    Type("漢字abc");
    Key(VK_HOME);
    KeyWith(VK_SHIFT, VK_RIGHT);
    EXPECT_EQ(Sel(e), std::make_pair(0, 2));  // one double-byte character
    KeyWith(VK_SHIFT, VK_END);
    EXPECT_EQ(Sel(e), std::make_pair(0, 7));
    Key(VK_RIGHT);
    EXPECT_EQ(Sel(e), std::make_pair(7, 7));
    // A drag from the left edge to the right selects everything.
    const Point from = At(e, 1, 10);
    const Point to = At(e, 290, 10);
    screen->MouseMove(from.x, from.y);
    screen->MouseDown(from.x, from.y);
    screen->MouseMove(to.x, to.y);
    screen->MouseUp(to.x, to.y);
    Pump();
    EXPECT_EQ(Sel(e), std::make_pair(0, 7));
    SendMessage(e, EM_SETSEL, 2, 4);
    Shot("edit_selection");
    EXPECT_EQ(Sel(e), std::make_pair(2, 4));
    SendMessage(e, EM_SETSEL, 1, 3);  // inside characters: back to their starts
    EXPECT_EQ(Sel(e), std::make_pair(0, 2));
}

TEST_F(Edits, ClipboardCopyCutPasteAndUndo) {
    const Hwnd e = MakeEdit(ES_AUTOHSCROLL, 300, 24);
    Type("日本語");
    SendMessage(e, EM_SETSEL, 0, 4);
    KeyWith(VK_CONTROL, 'C');
    EXPECT_EQ(screen->GetClipboardText(), "日本");
    KeyWith(VK_CONTROL, 'X');
    EXPECT_EQ(Utf8(Text(e)), "語");
    Key(VK_END);
    KeyWith(VK_CONTROL, 'V');
    EXPECT_EQ(Utf8(Text(e)), "語日本");
    // The last change is undone, and undoing again brings it back.
    KeyWith(VK_CONTROL, 'Z');
    EXPECT_EQ(Utf8(Text(e)), "語");
    EXPECT_EQ(SendMessage(e, EM_UNDO, 0, 0), 1);
    EXPECT_EQ(Utf8(Text(e)), "語日本");
    // A single-line edit takes pasted text up to the first line break.
    screen->SetClipboardText("one\ntwo");
    SendMessage(e, EM_SETSEL, 0, -1);
    SendMessage(e, WM_PASTE, 0, 0);
    EXPECT_EQ(Text(e), "one");
    // Typing runs are one undo step.
    SetWindowText(e, "");
    Type("x");
    Type("y");
    Type("z");
    SendMessage(e, EM_UNDO, 0, 0);
    EXPECT_EQ(Text(e), "");
}

TEST_F(Edits, StylesRefuseWhatTheyDoNotTake) {
    struct Case {
        uint32_t style;
        const char* typed;
        const char* shown;
    };
    const Case cases[] = {
        {ES_NUMBER, "12a3", "123"},   {ES_READONLY, "abc", "keep"}, {ES_UPPERCASE, "abC", "ABC"},
        {ES_LOWERCASE, "AbC", "abc"}, {ES_PASSWORD, "pw", "pw"},
    };
    for (const Case& c : cases) {
        const Hwnd e = MakeEdit(c.style | ES_AUTOHSCROLL);
        if (c.style == ES_READONLY) SetWindowText(e, "keep");
        Type(c.typed);
        EXPECT_EQ(Text(e), c.shown) << c.style;
        DestroyWindow(e);
    }
    // A number edit refuses a paste that is not a number, keeps what it had and says why
    // in a notice under itself that goes after a while.
    const Hwnd n = MakeEdit(ES_NUMBER | ES_AUTOHSCROLL);
    Type("42");
    screen->SetClipboardText("x1");
    SendMessage(n, WM_PASTE, 0, 0);
    EXPECT_EQ(Text(n), "42");
    auto notice = [&]() -> Hwnd {
        for (Hwnd w = GetTopWindow({}); w; w = GetWindow(w, GW_HWNDNEXT)) {
            if (w != parent && IsWindowVisible(w)) return w;
        }
        return {};
    };
    ASSERT_TRUE(notice());
    EXPECT_EQ(Utf8(GetWindowText(notice())), "ここには数字しか入力できません。");
    Rect er;
    Rect nr;
    GetWindowRect(n, &er);
    GetWindowRect(notice(), &nr);
    EXPECT_GT(nr.top, er.bottom - 1);
    Shot("edit_number_notice");
    screen->AdvanceClock(3000);
    Pump();
    EXPECT_FALSE(notice());
    // A password is never copied out.
    const Hwnd p = MakeEdit(ES_PASSWORD | ES_AUTOHSCROLL);
    Type("secret");
    screen->SetClipboardText("before");
    SendMessage(p, EM_SETSEL, 0, -1);
    SendMessage(p, WM_COPY, 0, 0);
    EXPECT_EQ(screen->GetClipboardText(), "before");
    EXPECT_EQ(SendMessage(p, EM_GETPASSWORDCHAR, 0, 0), '*');
}

TEST_F(Edits, WithoutAutoScrollTypingStopsAtTheRightEdge) {
    const Hwnd e = MakeEdit(0, 40, 22);
    Type("abcdefghijklmnopqrstuvwxyz");
    const std::string t = Text(e);
    EXPECT_LT(t.size(), 26u);
    EXPECT_GT(t.size(), 2u);
    // With ES_AUTOHSCROLL the text scrolls instead.
    const Hwnd s = MakeEdit(ES_AUTOHSCROLL, 40, 22);
    Type("abcdefghijklmnopqrstuvwxyz");
    EXPECT_EQ(Text(s).size(), 26u);
}

// A wrapped Japanese line never begins with a full stop or a small kana: the character
// before goes down with it.
TEST_F(Edits, WrappedJapaneseLinesKeepClosersWithTheCharacterBefore) {
    const Hwnd e = MakeEdit(ES_MULTILINE | ES_READONLY, 200, 80);
    auto repeat = [](const char* c, int n) {
        std::string s;
        for (int i = 0; i < n; ++i) s += c;
        return s;
    };
    SetWindowText(e, core::Utf8ToSjis(repeat("あ", 40)));
    const int full = int(SendMessage(e, EM_LINEINDEX, 1, 0)) / 2;  // characters of a full line
    ASSERT_GT(full, 2);
    for (const char* closer : {"。", "っ", "」"}) {
        SetWindowText(e, core::Utf8ToSjis(repeat("あ", full) + closer + "いいいいい"));
        EXPECT_EQ(SendMessage(e, EM_LINEINDEX, 1, 0), 2 * (full - 1)) << closer;
    }
    // An opening bracket goes down with what it opens.
    SetWindowText(e, core::Utf8ToSjis(repeat("あ", full - 1) + "「いいいいい」"));
    EXPECT_EQ(SendMessage(e, EM_LINEINDEX, 1, 0), 2 * (full - 1));
}

TEST_F(Edits, MultiLineLinesAndMessages) {
    const Hwnd e = MakeEdit(ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN, 200, 80);
    Type("first");
    Key(VK_RETURN);
    Type("2nd");
    EXPECT_EQ(Text(e), "first\r\n2nd");
    EXPECT_EQ(SendMessage(e, EM_GETLINECOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessage(e, EM_LINEINDEX, 1, 0), 7);
    EXPECT_EQ(SendMessage(e, EM_LINELENGTH, 7, 0), 3);
    EXPECT_EQ(SendMessage(e, EM_LINEFROMCHAR, 8, 0), 1);
    char buf[16] = {};
    buf[0] = 16;
    EXPECT_EQ(SendMessage(e, EM_GETLINE, 0, reinterpret_cast<LParam>(buf)), 5);
    EXPECT_EQ(std::string(buf, 5), "first");
    Key(VK_UP);
    EXPECT_EQ(SendMessage(e, EM_LINEFROMCHAR, static_cast<WParam>(-1), 0), 0);
    // Backspace at a line start joins the lines.
    Key(VK_DOWN);
    Key(VK_HOME);
    Key(VK_BACK);
    EXPECT_EQ(Text(e), "first2nd");
    EXPECT_TRUE(SendMessage(e, WM_GETDLGCODE, 0, 0) & DLGC_WANTALLKEYS);
}

TEST_F(Edits, GetTextIntoASmallBufferKeepsWholeCharacters) {
    const Hwnd e = MakeEdit(ES_AUTOHSCROLL);
    SetWindowText(e, Sjis("aあい"));
    char buf[5] = {'x', 'x', 'x', 'x', 'x'};
    EXPECT_EQ(SendMessage(e, WM_GETTEXT, 5, reinterpret_cast<LParam>(buf)), 3);
    EXPECT_EQ(Utf8(buf), "aあ");
    EXPECT_EQ(SendMessage(e, WM_GETTEXTLENGTH, 0, 0), 5);
}

TEST_F(Edits, FocusNotifications) {
    const Hwnd a = MakeEdit(ES_AUTOHSCROLL);
    const Hwnd b = Make(kEditClass, "", WS_BORDER, 8, 20, 60, 100, 22);
    log.notes.clear();
    Click(Center(b));
    EXPECT_EQ(GetFocus(), b);
    EXPECT_EQ(log.Count(WM_COMMAND, 7, EN_KILLFOCUS), 1);
    EXPECT_EQ(log.Count(WM_COMMAND, 8, EN_SETFOCUS), 1);
    (void)a;
}

}  // namespace
}  // namespace zv::ui::testing
