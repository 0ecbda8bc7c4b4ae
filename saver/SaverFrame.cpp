#include "saver/SaverFrame.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/core/Sjis.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/DialogObject.h"
#include "platform/ui/DialogConstants.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowObject.h"
#include "platform/ui/WindowManager.h"
#include "platform/ui/controls/CommonControls.h"
#include "platform/ui/controls/ControlConstants.h"
#include "platform/ui/controls/StandardControls.h"
#include "saver/SaverSettings.h"
#include "saver/Scenes.h"

namespace zv::saver {

namespace {

constexpr const char* kClassName = "ZVScreenSaverClass";
// The scheduler's timer.
constexpr uintptr_t kSchedulerTimer = 1;
// The name of the build's own title, as the dialog caption uses it.
constexpr const char* kTitle1Name = "Zorvath";
constexpr const char* kTitle2Name = "Zorvath II";

void EndOnInput(ui::Hwnd h) {
    SaverState* s = CurrentSaver();
    if (s && !s->preview) ui::DestroyWindow(h);
}

int StepSlot(SaverState& s, int slot, bool closing) {
    if (slot < 0 || slot >= kSlotCount || !s.scenes[slot]) return 1;
    return s.scenes[slot]->Step(closing);
}

// The saver's window: the options it was made with and where the pointer first rested. The
// running saver's state is the current one (CurrentSaver), which the scenes share.
class SaverWindow : public ui::WindowObject {
  public:
    using WindowObject::WindowObject;

    ui::LResult Dispatch(uint32_t msg, ui::WParam wp, ui::LParam lp) {
        switch (msg) {
            case ui::WM_NCCREATE:
                if (const auto* cs = reinterpret_cast<const ui::CreateStruct*>(lp); cs && cs->createParams) {
                    options_ = *static_cast<const SaverOptions*>(cs->createParams);
                }
                return Default(msg, wp, lp);
            case ui::WM_CREATE:
                return OnCreate();
            case ui::WM_TIMER:
                SaverTick();
                return 0;
            case ui::WM_DESTROY:
                OnDestroy();
                return 0;
            case ui::WM_PAINT:
                OnPaint();
                return 0;
            case ui::WM_ERASEBKGND:
                OnEraseBackground();
                return 1;
            case ui::MM_MCINOTIFY:
                // The title-9 music has played out.
                if (SaverState* s = CurrentSaver(); s && s->build == SaverBuild::Saver && wp == 1) {
                    StopAndDeleteMidi(*s);
                }
                return 0;
            case ui::WM_KEYDOWN:
            case ui::WM_SYSKEYDOWN:
            case ui::WM_LBUTTONDOWN:
            case ui::WM_RBUTTONDOWN:
            case ui::WM_MBUTTONDOWN:
                EndOnInput(Handle());
                return 0;
            case ui::WM_MOUSEMOVE:
                OnMouseMove({ui::GetXLParam(lp), ui::GetYLParam(lp)});
                return 0;
            default:
                return Default(msg, wp, lp);
        }
    }

  private:
    ui::LResult OnCreate() {
        if (CurrentSaver()) return -1;  // one saver window at a time
        const ui::Hwnd h = Handle();
        auto* state = new SaverState;
        state->build = options_.build;
        state->env = options_.env;
        state->preview = options_.preview;
        state->window = h;
        SetCurrentSaver(state);
        ui::Rect r{};
        ui::GetClientRect(h, &r);
        state->clientWidth = r.right;
        state->clientHeight = r.bottom;
        state->screen = std::make_unique<fw::Surface16>(std::max(1, r.right), std::max(1, r.bottom));
        std::vector<std::string> problems;
        LoadSaverSettings(state->build, state->env.settingsFile, state->settings, &problems);
        for (const std::string& p : problems) std::fprintf(stderr, "%s\n", p.c_str());
        CreateSaverFont(*state);
        state->timer = ui::SetTimer(h, kSchedulerTimer, kTimerMs);
        for (int slot = 0; slot < kSlotCount; ++slot) state->scenes[slot] = MakeScene(*state, slot);
        // With no slot enabled (possible only by editing the file) the saver shows black.
        state->slot = NextEnabledScene(state->settings, 0);
        state->random.Seed(options_.seedFromClock ? ui::GetTickCount() : options_.seed);
        return 0;
    }
    void OnDestroy() {
        // Only the window that runs the saver ends it: a second window, refused at WM_CREATE,
        // goes without touching the running one.
        SaverState* s = CurrentSaver();
        if (!s || s->window != Handle()) return;
        StepSlot(*s, s->slot, true);
        ui::KillTimer(Handle(), kSchedulerTimer);
        DeleteSharedBitmaps(*s);
        if (s->movieWindow) PlayAviInWindow(*s, "", 0, 1);
        DeleteSaverFont(*s);
        StopAndDeleteMidi(*s);
        SetCurrentSaver(nullptr);
        delete s;
        ui::PostQuitMessage(0);
    }
    void OnPaint() {
        ui::PaintStruct ps;
        ui::BeginPaint(Handle(), &ps);
        ui::EndPaint(Handle(), &ps);
        if (SaverState* s = CurrentSaver()) PresentScreen(*s);
    }
    void OnEraseBackground() {
        SaverState* s = CurrentSaver();
        if (!s) return;
        ui::Rect r{};
        ui::GetClientRect(Handle(), &r);
        s->clientWidth = r.right;
        s->clientHeight = r.bottom;
        if (r.right > 0 && r.bottom > 0 && (s->screen->Width() != r.right || s->screen->Height() != r.bottom)) {
            s->screen = std::make_unique<fw::Surface16>(r.right, r.bottom);
        }
    }
    // The first position is where the pointer rests; a move of more than a few pixels from it
    // ends the saver.
    void OnMouseMove(ui::Point p) {
        if (firstMouse_.x < 0) {
            firstMouse_ = p;
        } else if (std::abs(p.x - firstMouse_.x) > 4 || std::abs(p.y - firstMouse_.y) > 4) {
            EndOnInput(Handle());
        }
    }

    SaverOptions options_;
    ui::Point firstMouse_{-1, -1};
};

}  // namespace

ui::Hwnd CreateSaverWindow(const SaverOptions& options, int x, int y, int w, int h) {
    ui::WindowClass wc;
    wc.style = ui::CS_HREDRAW | ui::CS_VREDRAW;
    wc.proc = ui::WindowObjectProc<SaverWindow>;
    wc.hasBackground = true;
    wc.background = ui::Rgb(0, 0, 0);
    wc.name = kClassName;
    ui::RegisterClass(wc);
    // The window takes a copy of the options at WM_NCCREATE.
    SaverOptions pending = options;
    return ui::CreateWindowEx(0, kClassName, SaverDescription(options.build), ui::WS_POPUP, x, y,
                              w, h, ui::Hwnd{}, 0, nullptr, &pending);
}

void SaverTick() {
    SaverState* s = CurrentSaver();
    if (!s || s->preview) return;  // the preview stays black
    ++s->ticks;
    if (s->slot >= 0) {
        s->lastResult = StepSlot(*s, s->slot, false);
        if (s->lastResult == -1) {
            ui::PostQuitMessage(1);
        } else if (s->lastResult == 1) {
            s->slot = NextEnabledScene(s->settings, s->slot + 1);
            s->lastResult = 0;
        }
    }
    PresentScreen(*s);
}

ui::LResult ScreenSaverProc(ui::Hwnd h, uint32_t msg, ui::WParam wp, ui::LParam lp) {
    return ui::WindowObjectProc<SaverWindow>(h, msg, wp, lp);
}

// ---- the settings dialog ----

namespace {

SaverBuild g_dialogBuild = SaverBuild::Saver;
std::string g_dialogFile;

}  // namespace

ui::DialogTemplate SettingsDialogTemplate(SaverBuild build) {
    using namespace ui;
    DialogTemplate t;
    t.number = kSettingsDialog;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER;
    t.pointSize = 9;
    t.faceName = "ＭＳ Ｐゴシック";
    constexpr uint32_t kTab = WS_TABSTOP;
    if (build == SaverBuild::Saver) {
        t.title = std::string(kTitle2Name) + "スクリーンセーバーの設定";
        t.cx = 187;
        t.cy = 117;
        t.items = {
            {IDOK, "BUTTON", "OK", 72, 95, 50, 14, BS_DEFPUSHBUTTON | WS_GROUP | kTab},
            {IDCANCEL, "BUTTON", "ｷｬﾝｾﾙ", 127, 95, 50, 14, BS_PUSHBUTTON | kTab},
            {-1, "STATIC", "チェックした項目がスクリーンセーバーで表示されます。", 7, 7, 172, 9,
             SS_LEFT},
            {kIdTitleCheck, "BUTTON", "タイトル画面", 26, 25, 52, 10, BS_AUTOCHECKBOX | kTab},
            {kIdOpeningCheck, "BUTTON", "オープニングデモ", 93, 25, 67, 10, BS_AUTOCHECKBOX | kTab},
            {-1, "BUTTON", "リアルファイトの繰り返し(&R)", 7, 43, 170, 25, BS_GROUPBOX, 0, true},
            {kIdLoopRadio, "BUTTON", "ループ(&L)", 13, 53, 53, 11,
             BS_AUTORADIOBUTTON | WS_GROUP | kTab},
            {kIdCountRadio, "BUTTON", "回数指定(&N)", 69, 53, 53, 11, BS_AUTORADIOBUTTON},
            {kIdLoopEdit, "EDIT", "", 122, 51, 28, 13, ES_NUMBER | WS_BORDER | kTab},
            {-1, "STATIC", "", 7, 75, 171, 1, SS_ETCHEDHORZ},
        };
        return t;
    }
    t.title = std::string(kTitle1Name) + "スクリーンセーバーの設定";
    t.cx = 195;
    t.cy = 117;
    static const char* kTitles[9] = {"Zorvath",    "Zorvath II",  "Zorvath III",
                                     "Zorvath IV", "Zorvath V",   "Zorvath VI",
                                     "Zorvath VII", "Zorvath VIII", "Zorvath IX"};
    for (int g = 0; g < 9; ++g) {
        const int id = kIdDemoGroupFirst + 5 * g;
        // Only the title-screen and opening boxes of title 1 show; the others are kept hidden
        // over them (they carry the values of the other slots).
        t.items.push_back({id, "BUTTON", kTitles[g], 30, 8, 52, 10, BS_AUTOCHECKBOX, 0, true});
        t.items.push_back({id + 1, "BUTTON", "タイトル画面", 30, 22, 52, 10,
                           BS_AUTOCHECKBOX | kTab, 0, g != 0});
        t.items.push_back({id + 2, "BUTTON", "オープニングデモ", 91, 22, 67, 10,
                           BS_AUTOCHECKBOX | kTab, 0, g != 0});
        t.items.push_back({id + 3, "BUTTON", "サウンド", 91, 8, 52, 10, BS_AUTOCHECKBOX, 0, true});
        t.items.push_back({id + 4, "BUTTON", "BGM", 145, 8, 40, 10, BS_AUTOCHECKBOX, 0, true});
    }
    t.items.push_back({-1, "BUTTON", "リアルファイトの繰り返し(&R)", 17, 39, 151, 25, BS_GROUPBOX,
                       0, true});
    t.items.push_back({kIdLoopRadio, "BUTTON", "ループ(&L)", 23, 49, 53, 11,
                       BS_AUTORADIOBUTTON | WS_GROUP | kTab});
    t.items.push_back({kIdDemoCountRadio, "BUTTON", "回数指定(&N)", 79, 49, 53, 11,
                       BS_AUTORADIOBUTTON});
    t.items.push_back({kIdLoopEdit, "EDIT", "", 133, 47, 28, 13, ES_NUMBER | WS_BORDER | kTab});
    t.items.push_back({IDOK, "BUTTON", "OK", 79, 97, 50, 14, BS_DEFPUSHBUTTON | WS_GROUP | kTab});
    t.items.push_back({IDCANCEL, "BUTTON", "ｷｬﾝｾﾙ", 138, 97, 50, 14, BS_PUSHBUTTON | kTab});
    return t;
}

void RegisterSaverDialog(SaverBuild build) {
    ui::DialogRegistry::Global().Add(SettingsDialogTemplate(build));
}

namespace {

// The settings dialog: the build and file it was prepared for, the settings read from the file
// and the radio button chosen.
class SettingsDialog : public ui::DialogObject {
  public:
    using DialogObject::DialogObject;

    intptr_t Dispatch(uint32_t msg, ui::WParam wp, ui::LParam) {
        switch (msg) {
            case ui::WM_INITDIALOG:
                OnInitDialog();
                return 1;
            case ui::WM_COMMAND:
                return OnCommand(ui::LoWord(wp));
            default:
                return 0;
        }
    }

  private:
    int CountRadio() const { return build_ == SaverBuild::Saver ? kIdCountRadio : kIdDemoCountRadio; }

    void OnInitDialog() {
        using namespace ui;
        const Hwnd dlg = Handle();
        RegisterStandardControls();
        build_ = g_dialogBuild;
        file_ = g_dialogFile;
        SaverSettings& st = settings_;
        std::vector<std::string> problems;
        LoadSaverSettings(build_, file_, st, &problems);
        for (const std::string& p : problems) std::fprintf(stderr, "%s\n", p.c_str());
        if (build_ == SaverBuild::Saver) {
            CheckDlgButton(dlg, kIdOpeningCheck, st.opening[1] == 1 ? 1 : 0);
            CheckDlgButton(dlg, kIdTitleCheck, st.title[1] == 1 ? 1 : 0);
        } else {
            for (int g = 0; g < 9; ++g) {
                const int id = kIdDemoGroupFirst + 5 * g;
                CheckDlgButton(dlg, id, st.enabled[g] == 1);
                CheckDlgButton(dlg, id + 1, st.title[g] == 1);
                CheckDlgButton(dlg, id + 2, st.opening[g] == 1);
                CheckDlgButton(dlg, id + 3, st.sound[g] == 1);
                CheckDlgButton(dlg, id + 4, st.bgm[g] == 1);
                for (int k = 0; k < 5; ++k)
                    if (!(g == 0 && (k == 1 || k == 2))) ShowWindow(GetDlgItem(dlg, id + k), SW_HIDE);
            }
        }
        const Hwnd edit = GetDlgItem(dlg, kIdLoopEdit);
        Rect er{};
        GetWindowRect(edit, &er);
        CreateUpDownControl(WS_CHILD | WS_VISIBLE | WS_BORDER | UDS_ALIGNRIGHT | UDS_SETBUDDYINT, 0, 0, 9,
                            er.bottom - er.top, dlg, kIdLoopUpDown, nullptr, edit, 256, 1, st.realFightLoopNum);
        SetDlgItemInt(dlg, kIdLoopEdit, unsigned(st.realFightLoopNum), true);
        // The radio shown is the one remembered: OK without a click keeps it.
        chosenRadio_ = st.realFightLoopSwitch ? kIdLoopRadio : CountRadio();
        CheckRadioButton(dlg, std::min(kIdLoopRadio, CountRadio()), std::max(kIdLoopRadio, CountRadio()),
                         chosenRadio_);
        EnableWindow(edit, chosenRadio_ == CountRadio());
    }

    intptr_t OnCommand(int id) {
        if (id == kIdLoopRadio || id == CountRadio()) {
            chosenRadio_ = id;
            ui::EnableWindow(Item(kIdLoopEdit), id == CountRadio());
            return 1;
        }
        if (id == ui::IDOK) {
            OnOk();
            return 1;
        }
        if (id == ui::IDCANCEL) {
            End(0);
            return 1;
        }
        return 0;
    }

    void OnOk() {
        using namespace ui;
        const Hwnd dlg = Handle();
        SaverSettings& st = settings_;
        if (build_ == SaverBuild::Saver) {
            st.opening[1] = IsDlgButtonChecked(dlg, kIdOpeningCheck) == 1;
            st.title[1] = IsDlgButtonChecked(dlg, kIdTitleCheck) == 1;
        } else {
            for (int g = 0; g < 9; ++g) {
                const int base = kIdDemoGroupFirst + 5 * g;
                st.enabled[g] = IsDlgButtonChecked(dlg, base) == 1;
                st.title[g] = IsDlgButtonChecked(dlg, base + 1) == 1;
                st.opening[g] = IsDlgButtonChecked(dlg, base + 2) == 1;
                st.sound[g] = IsDlgButtonChecked(dlg, base + 3) == 1;
                st.bgm[g] = IsDlgButtonChecked(dlg, base + 4) == 1;
            }
        }
        bool ok = false;
        const int n = int(GetDlgItemInt(dlg, kIdLoopEdit, &ok, true));
        if (ok) st.realFightLoopNum = n;  // an empty or unreadable field keeps the old value
        st.realFightLoopSwitch = chosenRadio_ != CountRadio() ? 1 : 0;
        std::vector<std::string> problems;
        if (!SaveSaverSettings(build_, file_, st, &problems)) {
            const std::string text = core::Utf8ToSjis("設定を保存できませんでした。\n") +
                                     (problems.empty() ? std::string() : problems.front());
            MessageBox(dlg, text, "", MB_OK | MB_ICONWARNING);
            return;
        }
        End(0);
    }

    SaverBuild build_ = SaverBuild::Saver;
    std::string file_;
    SaverSettings settings_;
    int chosenRadio_ = 0;
};

}  // namespace

intptr_t ScreenSaverConfigureDialog(ui::Hwnd dlg, uint32_t msg, ui::WParam wp, ui::LParam lp) {
    return ui::DialogObjectProc<SettingsDialog>(dlg, msg, wp, lp);
}

void PrepareSettingsDialog(SaverBuild build, const std::string& settingsFile) {
    g_dialogBuild = build;
    g_dialogFile = settingsFile;
    RegisterSaverDialog(build);
}

int RunSettingsDialog(SaverBuild build, const std::string& settingsFile, ui::Hwnd owner) {
    PrepareSettingsDialog(build, settingsFile);
    ui::DialogBoxParam(nullptr, kSettingsDialog, owner, ScreenSaverConfigureDialog, 0);
    return 0;
}

}  // namespace zv::saver
