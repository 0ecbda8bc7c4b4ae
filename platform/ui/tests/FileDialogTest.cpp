// The open and save dialogs driven by keys and clicks over a folder tree of their own (with
// Shift-JIS and UTF-8 names): navigation, selection, typed names and patterns, the overwrite
// and must-exist checks, the Explorer-style hook with a child template, a buffer too small,
// and cross-thread sends served while the dialog is up.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/core/Sjis.h"
#include "platform/ui/DialogLayoutCheck.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/HeadlessBackend.h"
#include "platform/ui/Window.h"
#include "platform/ui/controls/ControlConstants.h"

namespace zv::ui {
namespace {

std::string S(const std::string& utf8) {
    return zv::core::Utf8ToSjis(utf8);
}
std::string U(const std::string& sjis) {
    return zv::core::SjisToUtf8(sjis);
}

// The steps of a test run one per tick of a timer, inside the dialog's own loop: input that a
// step injects is handled before the next tick comes.
struct Script {
    std::vector<std::function<void()>> steps;
    std::size_t next = 0;
    int overrun = 0;  // ticks after the last step: the dialog did not close
};
Script* gScript = nullptr;
HeadlessBackend* gScreen = nullptr;

LResult DriverProc(Hwnd h, uint32_t msg, WParam w, LParam l) {
    if (msg == WM_TIMER && gScript) {
        if (gScript->next < gScript->steps.size()) {
            gScript->steps[gScript->next++]();
        } else if (++gScript->overrun < 20) {
            gScreen->KeyDown(VK_ESCAPE);  // close whatever is left open
            gScreen->KeyUp(VK_ESCAPE);
        }
        return 0;
    }
    return DefWindowProc(h, msg, w, l);
}

const char kFilter[] = "マップファイル (*.ddm)\0*.ddm\0すべてのファイル (*.*)\0*.*\0";

// What the hook saw: each notification with the dialog's answers at that moment.
struct Seen {
    uint32_t code = 0;
    std::string spec, path, folder;
};
struct HookLog {
    std::vector<Seen> notes;
    LParam initParam = 0;
    Rect parentAtInit{};
    int refuseFileOk = 0;  // how many CDN_FILEOKs to refuse
    std::vector<std::string> fileOkPaths;
    int commands = 0;
};
HookLog* gHook = nullptr;

std::string Ask(Hwnd dlg, uint32_t msg, LResult* need = nullptr, WParam size = 260) {
    char buf[260] = {};
    const LResult n = SendMessage(dlg, msg, size, reinterpret_cast<LParam>(buf));
    if (need) *need = n;
    return buf;
}

intptr_t RecordingHook(Hwnd hdlg, uint32_t msg, WParam, LParam lp) {
    if (!gHook) return 0;
    switch (msg) {
        case WM_INITDIALOG: {
            gHook->initParam = lp;
            const Hwnd parent = GetParent(hdlg);
            GetClientRect(parent, &gHook->parentAtInit);
            // As the game's preview pane does: as wide as the dialog, 176 pixels tall.
            SetWindowPos(hdlg, {}, 0, 0, gHook->parentAtInit.Width(), 176,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            return 1;
        }
        case WM_COMMAND:
            ++gHook->commands;
            return 0;
        case WM_NOTIFY: {
            const auto* n = reinterpret_cast<const OfNotify*>(lp);
            const Hwnd parent = GetParent(hdlg);
            Seen s;
            s.code = n->hdr.code;
            s.spec = Ask(parent, CDM_GETSPEC);
            s.path = Ask(parent, CDM_GETFILEPATH);
            s.folder = Ask(parent, CDM_GETFOLDERPATH);
            gHook->notes.push_back(s);
            if (n->hdr.code == CDN_FILEOK) {
                gHook->fileOkPaths.push_back(n->file ? n->file : "");
                if (gHook->refuseFileOk > 0) {
                    --gHook->refuseFileOk;
                    SetWindowLongPtr(hdlg, DWLP_MSGRESULT, 1);
                    return 1;
                }
            }
            return 0;
        }
        default:
            return 0;
    }
}

constexpr int kPaneTemplate = 9316;
constexpr int kNormal = 1194, kBuildings = 1195, kArea = 1196, kNote = 1198;

DialogTemplate PaneTemplate() {
    DialogTemplate t;
    t.number = kPaneTemplate;
    t.style = WS_CHILD | DS_CONTROL;
    t.cx = 200;
    t.cy = 90;
    t.items = {
        {kNormal, "BUTTON", "通常", 110, 20, 40, 10, BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP},
        {kBuildings, "BUTTON", "建物", 110, 33, 40, 10, BS_AUTORADIOBUTTON},
        {kArea, "BUTTON", "配置範囲", 110, 46, 60, 10, BS_AUTORADIOBUTTON},
        {kNote, "EDIT", "", 110, 60, 110, 24, ES_MULTILINE | ES_READONLY | WS_BORDER},
    };
    return t;
}

class FileDialogTest : public ::testing::Test {
  public:
    void SetUp() override { Start(1024, 768); }
    void TearDown() override {
        wm.reset();
        gScreen = nullptr;
        gScript = nullptr;
        gHook = nullptr;
        const std::string cmd = "rm -rf '" + root + "'";
        EXPECT_EQ(std::system(cmd.c_str()), 0);
        ASSERT_EQ(::chdir(startDir.c_str()), 0);
    }

    void Start(int w, int h) {
        wm.reset();
        auto backend = std::make_unique<HeadlessBackend>(w, h);
        screen = backend.get();
        gScreen = screen;
        screen->SetAutoAdvance(true);
        wm = std::make_unique<WindowManager>(std::move(backend));
        WindowClass wc;
        wc.name = "FileDialogDriver";
        wc.proc = DriverProc;
        RegisterClass(wc);
        driver = CreateWindowEx(0, "FileDialogDriver", "", WS_POPUP, 0, 0, 1, 1, {}, 0, nullptr,
                                nullptr);
        owner = CreateWindowEx(0, "FileDialogDriver", "owner", WS_POPUP | WS_VISIBLE, 0, 0, w, h,
                               {}, 0, nullptr, nullptr);
        if (root.empty()) MakeTree();
    }

    void MakeTree() {
        startDir = std::filesystem::current_path().string();
        shots = startDir + "/screenshots";
        std::filesystem::create_directories(shots);
        char tmpl[] = "/tmp/zvfiledlgXXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        root = tmpl;
        for (const std::string d : {"MAP", "MAP/sub", "SAVE", "日本語フォルダ"})
            std::filesystem::create_directory(root + "/" + d);
        for (const std::string f : {"MAP/MAP00001.ddm", "MAP/map00002.DDM", "MAP/readme.txt",
                                    "MAP/日本.ddm", "MAP/sub/inner.ddm", "SAVE/game1.ddg",
                                    "top.ddm"})
            std::ofstream(root + "/" + f) << "x";
        std::ofstream(root + "/MAP/" + S("地図.ddm")) << "x";  // as the game names its files
    }

    // Runs the dialog with the steps given.
    int Run(OpenFileName& ofn, bool save, std::vector<std::function<void()>> steps) {
        Script script;
        script.steps = std::move(steps);
        gScript = &script;
        SetTimer(driver, 1, 10);
        const int r = save ? GetSaveFileName(&ofn) : GetOpenFileName(&ofn);
        KillTimer(driver, 1);
        EXPECT_EQ(script.next, script.steps.size()) << "steps left undone";
        overran = script.overrun > 0;
        gScript = nullptr;
        return r;
    }

    OpenFileName Ofn(const std::string& initialDir, uint32_t flags) {
        OpenFileName ofn;
        ofn.owner = owner;
        ofn.filter = filter.c_str();
        ofn.filterIndex = 1;
        std::memset(file, 0, sizeof(file));
        ofn.file = file;
        ofn.maxFile = sizeof(file);
        initial = initialDir;
        ofn.initialDir = initial.c_str();
        ofn.defExt = "*.ddm";
        ofn.flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | flags;
        return ofn;
    }

    static Hwnd Dlg() {
        const Hwnd a = GetActiveWindow();
        return GetDlgItem(a, edt1) ? a : Hwnd{};
    }
    static Hwnd Item(int id) { return GetDlgItem(Dlg(), id); }
    void Key(uint32_t vk) {
        screen->KeyDown(vk);
        screen->KeyUp(vk);
    }
    void TypeEnter(const std::string& utf8) {
        SetFocus(Item(edt1));
        SetWindowText(Item(edt1), "");
        screen->Text(utf8);
        Key(VK_RETURN);
    }
    void ClickWindow(Hwnd h, bool twice = false) {
        Rect r;
        GetWindowRect(h, &r);
        Tap({r.left + r.Width() / 2, r.top + r.Height() / 2}, twice);
    }
    void Tap(Point p, bool twice) {
        screen->Click(p.x, p.y);
        if (twice) screen->Click(p.x, p.y);
    }
    void ClickRow(int i, bool twice = false) {
        const Hwnd list = Item(lst1);
        Rect r;
        ASSERT_NE(SendMessage(list, LB_GETITEMRECT, static_cast<WParam>(i),
                              reinterpret_cast<LParam>(&r)),
                  LB_ERR);
        Point p{r.left + 30, r.top + r.Height() / 2};
        ClientToScreen(list, &p);
        Tap(p, twice);
    }
    static std::vector<std::string> Shown() {
        std::vector<std::string> out;
        const Hwnd list = Item(lst1);
        const auto n = static_cast<int>(SendMessage(list, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            char buf[512] = {};
            SendMessage(list, LB_GETTEXT, static_cast<WParam>(i), reinterpret_cast<LParam>(buf));
            out.push_back(U(buf));
        }
        return out;
    }
    static std::string SelectedText() {
        const Hwnd list = Item(lst1);
        const auto i = SendMessage(list, LB_GETCURSEL, 0, 0);
        if (i < 0) return "";
        char buf[512] = {};
        SendMessage(list, LB_GETTEXT, static_cast<WParam>(i), reinterpret_cast<LParam>(buf));
        return U(buf);
    }
    static std::string Folder() { return Ask(Dlg(), CDM_GETFOLDERPATH); }
    static std::string EditUtf8() { return U(GetWindowText(Item(edt1))); }
    // The message box on top: its caption and buttons ("" when none is up). Its text is
    // looked at in the screenshots.
    static std::string BoxText() {
        const Hwnd a = GetActiveWindow();
        if (!a || GetDlgItem(a, edt1)) return "";
        std::string all = U(GetWindowText(a)) + ":";
        for (Hwnd c : WindowManager::Current()->GetChildren(a)) all += U(GetWindowText(c)) + "|";
        return all;
    }
    void Shot(const std::string& name) {
        for (Hwnd h = GetActiveWindow(); h; h = {}) UpdateWindow(h);
        wm->Flush();
        std::string error;
        EXPECT_TRUE(screen->WriteScreenshot(shots + "/" + name + ".png", &error)) << error;
    }

    HeadlessBackend* screen = nullptr;
    std::unique_ptr<WindowManager> wm;
    Hwnd driver{}, owner{};
    std::string root, startDir, shots, initial;
    std::string filter = S(std::string(kFilter, sizeof(kFilter)));
    char file[260] = {};
    bool overran = false;
};

TEST_F(FileDialogTest, OpenNavigatesBySelectionKeysAndClicks) {
    OpenFileName ofn = Ofn(root, OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST);
    const std::string map = root + "/MAP";
    const int r = Run(
        ofn, false,
        {
            [&] {
                EXPECT_EQ(U(GetWindowText(Dlg())), "開く");
                EXPECT_EQ(U(GetWindowText(Item(IDOK))), "開く(&O)");
                EXPECT_FALSE(IsWindowEnabled(owner));  // held while the dialog is up
                EXPECT_EQ(GetFocus(), Item(edt1));
                EXPECT_EQ(Shown(), (std::vector<std::string>{"MAP", "SAVE", "日本語フォルダ",
                                                             "top.ddm"}));
                TypeEnter("MAP");  // a folder name navigates
            },
            [&] {
                EXPECT_EQ(Folder(), map);
                EXPECT_EQ(EditUtf8(), "");
                EXPECT_EQ(Shown(), (std::vector<std::string>{"sub", "MAP00001.ddm",
                                                             "map00002.DDM", "地図.ddm",
                                                             "日本.ddm"}));
                ClickRow(0);
                Key(VK_DOWN);
            },
            [&] {
                EXPECT_EQ(SelectedText(), "MAP00001.ddm");
                EXPECT_EQ(EditUtf8(), "MAP00001.ddm");  // a file's name goes into the edit
                Shot("filedialog_open_selected");
                Key(VK_UP);
                Key(VK_RETURN);  // Enter on a folder in the list opens it
            },
            [&] {
                EXPECT_EQ(Folder(), map + "/sub");
                EXPECT_EQ(Shown(), (std::vector<std::string>{"inner.ddm"}));
                Key(VK_BACK);  // up one level, the folder we came from selected
            },
            [&] {
                EXPECT_EQ(Folder(), map);
                EXPECT_EQ(SelectedText(), "sub");
                // A file, then a folder picked: the Open button goes into the folder even
                // though the file's name is still in the edit.
                ClickRow(1);
                ClickRow(0);
                ClickWindow(Item(IDOK));
            },
            [&] {
                EXPECT_EQ(Folder(), map + "/sub");
                EXPECT_EQ(EditUtf8(), "MAP00001.ddm");
                SetFocus(Item(lst1));
                Key(VK_BACK);
            },
            [&] {
                EXPECT_EQ(Folder(), map);
                ClickWindow(Item(kFileDialogUpButton));
            },
            [&] {
                EXPECT_EQ(Folder(), root);
                EXPECT_EQ(SelectedText(), "MAP");
                ClickRow(0, true);  // a double-click opens a folder
            },
            [&] {
                EXPECT_EQ(Folder(), map);
                ClickRow(4, true);  // and chooses a file
            },
        });
    EXPECT_EQ(r, 1);
    EXPECT_FALSE(overran);
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    const std::string want = map + "/日本.ddm";  // UTF-8 on the disk: returned as it lies there
    EXPECT_EQ(std::string(file), want);
    EXPECT_EQ(ofn.fileOffset, map.size() + 1);
    EXPECT_EQ(std::string(file + ofn.fileExtension), "ddm");
    EXPECT_EQ(ofn.filterIndex, 1u);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(std::filesystem::current_path().string(), startDir);  // OFN_NOCHANGEDIR
}

TEST_F(FileDialogTest, TypedNamesPatternsAndTheLookInCombo) {
    OpenFileName ofn = Ofn(root + "/MAP", OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST);
    const std::string above = root.substr(0, root.rfind('/'));
    const int r = Run(
        ofn, false,
        {
            [&] { TypeEnter("*.txt"); },  // a pattern filters the list
            [&] {
                EXPECT_EQ(Shown(), (std::vector<std::string>{"sub", "readme.txt"}));
                EXPECT_EQ(EditUtf8(), "*.txt");
                TypeEnter("../SAVE/*.ddg");  // a folder and a pattern
            },
            [&] {
                EXPECT_EQ(Folder(), root + "/SAVE");
                EXPECT_EQ(Shown(), (std::vector<std::string>{"game1.ddg"}));
                // The type combo brings the type's own pattern back.
                SetFocus(Item(cmb1));
                Key(VK_DOWN);
            },
            [&] {
                EXPECT_EQ(Shown(), (std::vector<std::string>{"game1.ddg"}));  // all files
                Key(VK_UP);
            },
            [&] {
                EXPECT_TRUE(Shown().empty());
                // The look-in combo: drop it and pick the folder above.
                ClickWindow(Item(cmb2));
            },
            [&] {
                Rect face;  // the list opens below the face
                GetWindowRect(Item(cmb2), &face);
                const auto rows = static_cast<int>(SendMessage(Item(cmb2), CB_GETCOUNT, 0, 0));
                const auto h = static_cast<int>(SendMessage(Item(cmb2), CB_GETITEMHEIGHT, 0, 0));
                const int chainEnd = static_cast<int>(SendMessage(Item(cmb2), CB_GETCURSEL, 0, 0));
                ASSERT_GE(rows, chainEnd + 1);
                Shot("filedialog_lookin");
                screen->Click(face.left + 40, face.bottom + 1 + (chainEnd - 1) * h + h / 2);
            },
            [&] {
                EXPECT_EQ(Folder(), root);
                // By keys: F4 opens the list, Enter picks (and does not choose a file).
                SetFocus(Item(cmb2));
                Key(VK_F4);
                Key(VK_UP);
                Key(VK_RETURN);
            },
            [&] {
                EXPECT_EQ(Folder(), above);
                // A name typed in another case, without its extension, from another folder.
                TypeEnter(root + "/map/map00001");
            },
        });
    EXPECT_EQ(r, 1);
    EXPECT_EQ(std::string(file), root + "/MAP/MAP00001.ddm");
}

TEST_F(FileDialogTest, ShiftJisNamesShowInJapaneseAndComeBackAsOnTheDisk) {
    OpenFileName ofn = Ofn(root + "/MAP", OFN_FILEMUSTEXIST);
    const int r = Run(ofn, false,
                      {
                          [&] { TypeEnter("地図"); },  // typed in Japanese, no extension
                      });
    EXPECT_EQ(r, 1);
    EXPECT_EQ(std::string(file), root + "/MAP/" + S("地図.ddm"));
    std::ifstream in(file);
    EXPECT_TRUE(in.good());  // the path opens the file
}

TEST_F(FileDialogTest, CancelReturnsZeroAndLeavesTheBuffer) {
    struct Case {
        const char* name;
        std::function<void(FileDialogTest*)> act;
    };
    const Case cases[] = {
        {"escape", [](FileDialogTest* t) { t->Key(VK_ESCAPE); }},
        {"cancel button", [](FileDialogTest* t) { t->ClickWindow(Item(IDCANCEL)); }},
        {"escape after navigating",
         [](FileDialogTest* t) {
             t->TypeEnter("sub");
             t->Key(VK_ESCAPE);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OpenFileName ofn = Ofn(root + "/MAP", OFN_FILEMUSTEXIST);
        std::strcpy(file, "MAP00001.ddm");  // an initial name: shown, selected, kept on cancel
        const int r = Run(ofn, false,
                          {
                              [&] {
                                  EXPECT_EQ(EditUtf8(), "MAP00001.ddm");
                                  EXPECT_EQ(SelectedText(), "MAP00001.ddm");
                                  c.act(this);
                              },
                          });
        EXPECT_EQ(r, 0);
        EXPECT_FALSE(overran);
        EXPECT_EQ(CommDlgExtendedError(), 0u);
        EXPECT_STREQ(file, "MAP00001.ddm");
        EXPECT_TRUE(IsWindowEnabled(owner));
    }
}

TEST_F(FileDialogTest, SaveAsksBeforeOverwritingAndAddsTheExtension) {
    OpenFileName ofn = Ofn(root + "/MAP",
                           OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST |
                               OFN_NOTESTFILECREATE);
    ofn.title = nullptr;
    int boxes = 0;
    int r = Run(ofn, true,
                {
                    [&] {
                        EXPECT_EQ(U(GetWindowText(Dlg())), "名前を付けて保存");
                        EXPECT_EQ(U(GetWindowText(Item(IDOK))), "保存(&S)");
                        Shot("filedialog_save");
                        TypeEnter("MAP00001");
                    },
                    [&] {
                        const std::string box = BoxText();
                        EXPECT_EQ(box, "名前を付けて保存:はい(&Y)|いいえ(&N)|");
                        boxes += !box.empty();
                        Shot("filedialog_overwrite");
                        Key(VK_RETURN);  // No is the default
                    },
                    [&] {
                        EXPECT_EQ(BoxText(), "");  // back in the dialog, still open
                        EXPECT_TRUE(IsWindow(Dlg()));
                        Key(VK_RETURN);  // the name is still there: ask again
                    },
                    [&] {
                        boxes += !BoxText().empty();
                        screen->Text("y");  // Yes, by its mnemonic
                    },
                });
    EXPECT_EQ(r, 1);
    EXPECT_EQ(boxes, 2);
    EXPECT_EQ(std::string(file), root + "/MAP/MAP00001.ddm");

    // A new name: no question, the type's extension added, the name in the game's encoding.
    ofn = Ofn(root + "/MAP", OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST);
    r = Run(ofn, true, {[&] { TypeEnter("新しい地図"); }});
    EXPECT_EQ(r, 1);
    EXPECT_FALSE(overran);
    EXPECT_EQ(std::string(file), root + "/MAP/" + S("新しい地図.ddm"));
    EXPECT_FALSE(std::filesystem::exists(file));  // the test file is made and removed again
}

TEST_F(FileDialogTest, MustExistChecksKeepTheDialogOpen) {
    OpenFileName ofn = Ofn(root + "/MAP", OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST);
    std::vector<std::string> boxes;
    const int r = Run(ofn, false,
                      {
                          [&] { TypeEnter("nothere"); },
                          [&] {
                              boxes.push_back(BoxText());
                              Shot("filedialog_mustexist");
                              Key(VK_RETURN);
                          },
                          [&] {
                              EXPECT_TRUE(IsWindow(Dlg()));
                              TypeEnter("nofolder/x.ddm");
                          },
                          [&] {
                              boxes.push_back(BoxText());
                              Key(VK_RETURN);
                          },
                          [&] {
                              EXPECT_TRUE(IsWindow(Dlg()));
                              Key(VK_ESCAPE);
                          },
                      });
    EXPECT_EQ(r, 0);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0], "開く:OK|");
    EXPECT_EQ(boxes[1], "開く:OK|");
}

TEST_F(FileDialogTest, TheHookSeesEverySelectionAndFolderChangeAndGetsAnswers) {
    DialogRegistry::Global().Add(PaneTemplate());
    HookLog log;
    log.refuseFileOk = 1;
    gHook = &log;
    OpenFileName ofn = Ofn(root + "/MAP", OFN_FILEMUSTEXIST | OFN_ENABLEHOOK | OFN_ENABLETEMPLATE);
    ofn.hook = RecordingHook;
    ofn.templateId = kPaneTemplate;
    ofn.custData = 77;
    const std::string map = root + "/MAP";
    std::size_t before = 0;
    auto since = [&] {
        std::vector<uint32_t> codes;
        for (std::size_t i = before; i < log.notes.size(); ++i) codes.push_back(log.notes[i].code);
        before = log.notes.size();
        return codes;
    };
    const int r = Run(
        ofn, false,
        {
            [&] {
                EXPECT_EQ(since(), (std::vector<uint32_t>{CDN_FOLDERCHANGE, CDN_INITDONE}));
                EXPECT_EQ(log.notes[0].folder, map);
                // The child covers the client area; its controls lie below the standard ones.
                Shot("filedialog_hook");
                ClickRow(1);  // MAP00001.ddm
                Key(VK_DOWN);
                Key(VK_DOWN);
            },
            [&] {
                EXPECT_EQ(since(), (std::vector<uint32_t>{CDN_SELCHANGE, CDN_SELCHANGE,
                                                          CDN_SELCHANGE}));
                const Seen& last = log.notes.back();
                EXPECT_EQ(U(last.spec), "地図.ddm");
                EXPECT_EQ(last.path, map + "/" + S("地図.ddm"));
                EXPECT_EQ(last.folder, map);
                ClickRow(0, true);  // into "sub": a selection, then a folder change
            },
            [&] {
                EXPECT_EQ(since(), (std::vector<uint32_t>{CDN_SELCHANGE, CDN_FOLDERCHANGE}));
                EXPECT_EQ(log.notes.back().folder, map + "/sub");
                Key(VK_BACK);
            },
            [&] {
                EXPECT_EQ(since(), (std::vector<uint32_t>{CDN_FOLDERCHANGE, CDN_SELCHANGE}));
                EXPECT_EQ(log.notes.back().folder, map);
                SetFocus(Item(cmb1));
                Key(VK_DOWN);  // another type
            },
            [&] {
                EXPECT_EQ(since(), (std::vector<uint32_t>{CDN_TYPECHANGE}));
                EXPECT_EQ(ofn.filterIndex, 2u);
                TypeEnter("MAP00001.ddm");
            },
            [&] {
                // The hook refused the first OK: the dialog is still there.
                EXPECT_EQ(since(), (std::vector<uint32_t>{CDN_FILEOK}));
                EXPECT_TRUE(IsWindow(Dlg()));
                Key(VK_RETURN);
            },
        });
    EXPECT_EQ(r, 1);
    EXPECT_EQ(since(), (std::vector<uint32_t>{CDN_FILEOK}));
    EXPECT_EQ(log.initParam, reinterpret_cast<LParam>(&ofn));
    EXPECT_EQ(log.fileOkPaths, (std::vector<std::string>{map + "/MAP00001.ddm",
                                                         map + "/MAP00001.ddm"}));
    EXPECT_EQ(std::string(file), map + "/MAP00001.ddm");
    EXPECT_EQ(ofn.filterIndex, 2u);
}

// Tab runs on from the standard controls into the child's, and arrows move round the child's
// radio group, which the hook hears as commands.
TEST_F(FileDialogTest, KeysReachTheChildTemplatesControls) {
    DialogRegistry::Global().Add(PaneTemplate());
    HookLog log;
    gHook = &log;
    OpenFileName ofn = Ofn(root + "/MAP", OFN_ENABLEHOOK | OFN_ENABLETEMPLATE);
    ofn.hook = RecordingHook;
    ofn.templateId = kPaneTemplate;
    auto focusId = [] { return GetDlgCtrlID(GetFocus()); };
    const int r = Run(ofn, false,
                      {
                          [&] {
                              EXPECT_EQ(focusId(), edt1);
                              SetFocus(Item(IDCANCEL));
                              Key(VK_TAB);
                          },
                          [&] {
                              EXPECT_EQ(focusId(), kNormal);  // into the child
                              Key(VK_DOWN);
                          },
                          [&] {
                              EXPECT_EQ(focusId(), kBuildings);
                              EXPECT_EQ(SendMessage(GetFocus(), BM_GETCHECK, 0, 0), BST_CHECKED);
                              EXPECT_GT(log.commands, 0);
                              Key(VK_TAB);
                          },
                          [&] {
                              EXPECT_EQ(focusId(), cmb2);  // round to the first
                              screen->KeyDown(VK_SHIFT);
                              Key(VK_TAB);
                              screen->KeyUp(VK_SHIFT);
                          },
                          [&] {
                              EXPECT_EQ(focusId(), kBuildings);  // the group's checked button
                              Key(VK_ESCAPE);
                          },
                      });
    EXPECT_EQ(r, 0);
    EXPECT_FALSE(overran);
}

TEST_F(FileDialogTest, CdmAnswersGiveTheLengthNeededAndCopyOnlyWhatFits) {
    DialogRegistry::Global().Add(PaneTemplate());
    HookLog log;
    gHook = &log;
    OpenFileName ofn = Ofn(root + "/MAP", OFN_ENABLEHOOK);  // a hook without a template
    ofn.hook = RecordingHook;
    const std::string map = root + "/MAP";
    const int r = Run(ofn, false,
                      {
                          [&] {
                              LResult need = 0;
                              EXPECT_EQ(Ask(Dlg(), CDM_GETFOLDERPATH, &need), map);
                              EXPECT_EQ(need, static_cast<LResult>(map.size() + 1));
                              EXPECT_EQ(Ask(Dlg(), CDM_GETFOLDERPATH, &need, 4), "");  // too small
                              EXPECT_EQ(need, static_cast<LResult>(map.size() + 1));
                              EXPECT_EQ(Ask(Dlg(), CDM_GETSPEC, &need), "");
                              EXPECT_EQ(need, 1);
                              ClickRow(1);
                          },
                          [&] {
                              EXPECT_EQ(Ask(Dlg(), CDM_GETSPEC), "MAP00001.ddm");
                              EXPECT_EQ(Ask(Dlg(), CDM_GETFILEPATH), map + "/MAP00001.ddm");
                              Key(VK_ESCAPE);
                          },
                      });
    EXPECT_EQ(r, 0);
    // Without a template the hook's child is empty and hidden, and hears only what is sent.
    ASSERT_FALSE(log.notes.empty());
    EXPECT_EQ(log.notes.front().code, CDN_FOLDERCHANGE);
}

TEST_F(FileDialogTest, ABufferTooSmallFailsWithTheSizeNeeded) {
    OpenFileName ofn = Ofn(root + "/MAP", OFN_FILEMUSTEXIST);
    char small[12] = "keep";
    ofn.file = small;
    ofn.maxFile = sizeof(small);
    std::string box;
    const int r = Run(ofn, false,
                      {
                          [&] { TypeEnter("MAP00001.ddm"); },
                          [&] {
                              box = BoxText();
                              Key(VK_RETURN);
                          },
                      });
    EXPECT_EQ(r, 0);
    EXPECT_EQ(CommDlgExtendedError(), FNERR_BUFFERTOOSMALL);
    EXPECT_EQ(box, "開く:OK|");
    const std::size_t need = root.size() + std::strlen("/MAP/MAP00001.ddm") + 1;
    EXPECT_EQ(static_cast<unsigned char>(small[0]) | static_cast<unsigned char>(small[1]) << 8,
              static_cast<int>(need));
}

TEST_F(FileDialogTest, BadCallsFailWithTheirError) {
    struct Case {
        const char* name;
        std::function<void(OpenFileName&)> spoil;
        uint32_t error;
    };
    const Case cases[] = {
        {"struct size", [](OpenFileName& o) { o.structSize = 12; }, CDERR_STRUCTSIZE},
        {"no buffer", [](OpenFileName& o) { o.file = nullptr; }, FNERR_BUFFERTOOSMALL},
        {"hook flag without a hook", [](OpenFileName& o) { o.flags |= OFN_ENABLEHOOK; },
         CDERR_NOHOOK},
        {"unknown template",
         [](OpenFileName& o) {
             o.flags |= OFN_ENABLETEMPLATE;
             o.templateId = 424242;
         },
         CDERR_FINDRESFAILURE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OpenFileName ofn = Ofn(root, 0);
        c.spoil(ofn);
        EXPECT_EQ(GetOpenFileName(&ofn), 0);
        EXPECT_EQ(CommDlgExtendedError(), c.error);
        EXPECT_TRUE(IsWindowEnabled(owner));
    }
    // An unterminated initial name is refused rather than read past the buffer.
    OpenFileName ofn = Ofn(root, 0);
    char full[4] = {'a', 'b', 'c', 'd'};
    ofn.file = full;
    ofn.maxFile = sizeof(full);
    EXPECT_EQ(GetSaveFileName(&ofn), 0);
    EXPECT_EQ(CommDlgExtendedError(), FNERR_INVALIDFILENAME);
}

TEST_F(FileDialogTest, WithoutNoChangeDirTheChosenFolderBecomesCurrent) {
    OpenFileName ofn = Ofn(root + "/SAVE", 0);
    ofn.flags &= ~OFN_NOCHANGEDIR;
    const int r = Run(ofn, false, {[&] { TypeEnter("game1.ddg"); }});
    EXPECT_EQ(r, 1);
    EXPECT_EQ(std::filesystem::current_path().string(), root + "/SAVE");
}

TEST_F(FileDialogTest, CrossThreadSendsAreServedWhileTheDialogIsUp) {
    std::atomic<bool> up{false};
    std::atomic<LResult> answer{0};
    WindowClass wc;
    wc.name = "FileDialogTarget";
    wc.proc = [](Hwnd h, uint32_t m, WParam w, LParam l) -> LResult {
        return m == WM_USER + 5 ? 55 : DefWindowProc(h, m, w, l);
    };
    RegisterClass(wc);
    const Hwnd target = CreateWindowEx(0, "FileDialogTarget", "", WS_POPUP, 0, 0, 1, 1, {}, 0,
                                       nullptr, nullptr);
    std::thread worker([&] {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!up && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        answer = SendMessage(target, WM_USER + 5, 0, 0);
    });
    OpenFileName ofn = Ofn(root, 0);
    const int r = Run(ofn, false,
                      {
                          [&] { up = true; },
                          [&] {
                              // Wait (serving) until the worker's send has been answered.
                              const auto deadline =
                                  std::chrono::steady_clock::now() + std::chrono::seconds(10);
                              while (answer == 0 && std::chrono::steady_clock::now() < deadline) {
                                  WindowManager::Current()->ServeSends();
                                  std::this_thread::sleep_for(std::chrono::milliseconds(1));
                              }
                              Key(VK_ESCAPE);
                          },
                      });
    worker.join();
    EXPECT_EQ(r, 0);
    EXPECT_EQ(answer.load(), 55);
}

// At both screen sizes, with and without a child template: every control inside the dialog,
// none overlapping, the dialog on the screen.
TEST_F(FileDialogTest, LaysOutWithAndWithoutAChildTemplateAtBothScreenSizes) {
    DialogRegistry::Global().Add(PaneTemplate());
    for (const Size size : {Size{800, 600}, Size{1024, 768}}) {
        for (const bool child : {false, true}) {
            SCOPED_TRACE(std::to_string(size.cx) + (child ? " with child" : " plain"));
            Start(size.cx, size.cy);
            HookLog log;
            gHook = &log;
            OpenFileName ofn = Ofn(root + "/MAP", 0);
            if (child) {
                ofn.flags |= OFN_ENABLEHOOK | OFN_ENABLETEMPLATE;
                ofn.hook = RecordingHook;
                ofn.templateId = kPaneTemplate;
            }
            Run(ofn, false, {[&] {
                    const Hwnd dlg = Dlg();
                    Rect client, outer;
                    GetClientRect(dlg, &client);
                    GetWindowRect(dlg, &outer);
                    EXPECT_GE(outer.left, 0);
                    EXPECT_GE(outer.top, 0);
                    EXPECT_LE(outer.right, size.cx);
                    EXPECT_LE(outer.bottom, size.cy);
                    std::vector<std::pair<Hwnd, Rect>> rects;
                    auto collect = [&](Hwnd parent) {
                        for (Hwnd c : GetDialogControls(parent)) {
                            if (!IsWindowVisible(c) || GetDlgItem(c, kNormal)) continue;
                            Rect r;
                            GetWindowRect(c, &r);
                            Point p{r.left, r.top};
                            ScreenToClient(dlg, &p);
                            rects.push_back({c, {p.x, p.y, p.x + r.Width(), p.y + r.Height()}});
                        }
                    };
                    collect(dlg);
                    Hwnd pane{};
                    for (Hwnd c : GetDialogControls(dlg)) {
                        if (GetDlgItem(c, kNormal)) pane = c;
                    }
                    EXPECT_EQ(static_cast<bool>(pane), child);
                    if (pane) {
                        Rect pr;
                        GetWindowRect(pane, &pr);
                        Point p{pr.left, pr.top};
                        ScreenToClient(dlg, &p);
                        EXPECT_EQ(p.x, 0);
                        EXPECT_EQ(p.y, 0);
                        EXPECT_EQ(pr.Width(), client.Width());
                        EXPECT_EQ(pr.Height(), client.Height());
                        // The pane read the dialog's standard size when it started, and grew
                        // the dialog by its own height.
                        EXPECT_EQ(client.Height(), log.parentAtInit.Height() + 176);
                        collect(pane);
                    }
                    for (std::size_t i = 0; i < rects.size(); ++i) {
                        const Rect& a = rects[i].second;
                        EXPECT_TRUE(a.left >= 0 && a.top >= 0 && a.right <= client.right &&
                                    a.bottom <= client.bottom)
                            << "control " << GetDlgCtrlID(rects[i].first) << " outside";
                        for (std::size_t j = i + 1; j < rects.size(); ++j) {
                            EXPECT_TRUE(a.Intersect(rects[j].second).IsEmpty())
                                << GetDlgCtrlID(rects[i].first) << " overlaps "
                                << GetDlgCtrlID(rects[j].first);
                        }
                    }
                    if (size.cx == 800) Shot(child ? "filedialog_child_800" : "filedialog_open_800");
                    Key(VK_ESCAPE);
                }});
        }
    }
}

}  // namespace
}  // namespace zv::ui
