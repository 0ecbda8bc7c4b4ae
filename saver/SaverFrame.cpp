#include "saver/SaverFrame.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/core/Sjis.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/DialogConstants.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowManager.h"
#include "platform/ui/controls/CommonControls.h"
#include "platform/ui/controls/ControlConstants.h"
#include "platform/ui/controls/StandardControls.h"
#include "saver/SaverSettings.h"
#include "saver/Scenes.h"

namespace zv::saver {

namespace {

constexpr const char* kClassName = "ZVScreenSaverClass";
// The name of the build's own title, as the dialog caption uses it.
constexpr const char* kTitle1Name = "Zorvath";
constexpr const char* kTitle2Name = "Zorvath II";

SaverOptions g_pendingOptions;  // what the next WM_CREATE takes
ui::Point g_firstMouse{-1, -1};

void EndOnInput(ui::Hwnd h) {
    SaverState* s = CurrentSaver();
    if (s && !s->preview) ui::DestroyWindow(h);
}

int StepSlot(SaverState& s, int slot, bool closing) {
    if (slot < 0 || slot >= kSlotCount || !s.scenes[slot]) return 1;
    return s.scenes[slot]->Step(closing);
}

}  // namespace

ui::Hwnd CreateSaverWindow(const SaverOptions& options, int x, int y, int w, int h) {
    ui::WindowClass wc;
    wc.style = ui::CS_HREDRAW | ui::CS_VREDRAW;
    wc.proc = ScreenSaverProc;
    wc.hasBackground = true;
    wc.background = ui::Rgb(0, 0, 0);
    wc.name = kClassName;
    ui::RegisterClass(wc);
    g_pendingOptions = options;
    g_firstMouse = {-1, -1};
    return ui::CreateWindowEx(0, kClassName, SaverDescription(options.build), ui::WS_POPUP, x, y,
                              w, h, ui::Hwnd{}, 0, nullptr, nullptr);
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
    SaverState* s = CurrentSaver();
    switch (msg) {
        case ui::WM_CREATE: {
            if (s) return -1;  // one saver window at a time
            auto* state = new SaverState;
            state->build = g_pendingOptions.build;
            state->env = g_pendingOptions.env;
            state->preview = g_pendingOptions.preview;
            state->window = h;
            SetCurrentSaver(state);
            ui::Rect r{};
            ui::GetClientRect(h, &r);
            state->clientWidth = r.right;
            state->clientHeight = r.bottom;
            state->screen = std::make_unique<fw::Surface16>(std::max(1, r.right),
                                                            std::max(1, r.bottom));
            std::vector<std::string> problems;
            LoadSaverSettings(state->build, state->env.settingsFile, state->settings, &problems);
            for (const std::string& p : problems) std::fprintf(stderr, "%s\n", p.c_str());
            CreateSaverFont(*state);
            state->timer = ui::SetTimer(h, 1, kTimerMs);
            for (int slot = 0; slot < kSlotCount; ++slot) state->scenes[slot] = MakeScene(*state, slot);
            // With no slot enabled (possible only by editing the file) the saver shows black.
            state->slot = NextEnabledScene(state->settings, 0);
            state->random.Seed(g_pendingOptions.seedFromClock ? ui::GetTickCount()
                                                              : g_pendingOptions.seed);
            return 0;
        }
        case ui::WM_TIMER:
            SaverTick();
            return 0;
        case ui::WM_DESTROY:
            if (s) {
                StepSlot(*s, s->slot, true);
                ui::KillTimer(h, 1);
                DeleteSharedBitmaps(*s);
                if (s->movieWindow) PlayAviInWindow(*s, "", 0, 1);
                DeleteSaverFont(*s);
                StopAndDeleteMidi(*s);
                SetCurrentSaver(nullptr);
                delete s;
            }
            ui::PostQuitMessage(0);
            return 0;
        case ui::WM_PAINT: {
            ui::PaintStruct ps;
            ui::BeginPaint(h, &ps);
            ui::EndPaint(h, &ps);
            if (s) PresentScreen(*s);
            return 0;
        }
        case ui::WM_ERASEBKGND:
            if (s) {
                ui::Rect r{};
                ui::GetClientRect(h, &r);
                s->clientWidth = r.right;
                s->clientHeight = r.bottom;
                if (r.right > 0 && r.bottom > 0 &&
                    (s->screen->Width() != r.right || s->screen->Height() != r.bottom))
                    s->screen = std::make_unique<fw::Surface16>(r.right, r.bottom);
            }
            return 1;
        case ui::MM_MCINOTIFY:
            // The title-9 music has played out.
            if (s && s->build == SaverBuild::Saver && wp == 1) StopAndDeleteMidi(*s);
            return 0;
        case ui::WM_KEYDOWN:
        case ui::WM_SYSKEYDOWN:
        case ui::WM_LBUTTONDOWN:
        case ui::WM_RBUTTONDOWN:
        case ui::WM_MBUTTONDOWN:
            EndOnInput(h);
            return 0;
        case ui::WM_MOUSEMOVE: {
            // The first position is where the pointer rests; a move of more than a few pixels
            // from it ends the saver.
            const ui::Point p{int(int16_t(lp & 0xFFFF)), int(int16_t((lp >> 16) & 0xFFFF))};
            if (g_firstMouse.x < 0) {
                g_firstMouse = p;
            } else if (std::abs(p.x - g_firstMouse.x) > 4 || std::abs(p.y - g_firstMouse.y) > 4) {
                EndOnInput(h);
            }
            return 0;
        }
        default:
            break;
    }
    return ui::DefWindowProc(h, msg, wp, lp);
}

// ---- the settings dialog ----

namespace {

SaverBuild g_dialogBuild = SaverBuild::Saver;
std::string g_dialogFile;
SaverSettings g_dialogSettings;
int g_chosenRadio = 0;

int CountRadio() {
    return g_dialogBuild == SaverBuild::Saver ? kIdCountRadio : kIdDemoCountRadio;
}

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

intptr_t ScreenSaverConfigureDialog(ui::Hwnd dlg, uint32_t msg, ui::WParam wp, ui::LParam) {
    using namespace ui;
    switch (msg) {
        case WM_INITDIALOG: {
            RegisterStandardControls();
            SaverSettings& st = g_dialogSettings;
            st = SaverSettings{};
            std::vector<std::string> problems;
            LoadSaverSettings(g_dialogBuild, g_dialogFile, st, &problems);
            for (const std::string& p : problems) std::fprintf(stderr, "%s\n", p.c_str());
            if (g_dialogBuild == SaverBuild::Saver) {
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
                        if (!(g == 0 && (k == 1 || k == 2)))
                            ShowWindow(GetDlgItem(dlg, id + k), SW_HIDE);
                }
            }
            const Hwnd edit = GetDlgItem(dlg, kIdLoopEdit);
            Rect er{};
            GetWindowRect(edit, &er);
            CreateUpDownControl(WS_CHILD | WS_VISIBLE | WS_BORDER | UDS_ALIGNRIGHT |
                                    UDS_SETBUDDYINT,
                                0, 0, 9, er.bottom - er.top, dlg, kIdLoopUpDown, nullptr, edit,
                                256, 1, st.realFightLoopNum);
            SetDlgItemInt(dlg, kIdLoopEdit, unsigned(st.realFightLoopNum), true);
            // The radio shown is the one remembered: OK without a click keeps it.
            g_chosenRadio = st.realFightLoopSwitch ? kIdLoopRadio : CountRadio();
            CheckRadioButton(dlg, std::min(kIdLoopRadio, CountRadio()),
                             std::max(kIdLoopRadio, CountRadio()), g_chosenRadio);
            EnableWindow(edit, g_chosenRadio == CountRadio());
            return 1;
        }
        case WM_COMMAND: {
            const int id = int(wp & 0xFFFF);
            if (id == kIdLoopRadio || id == CountRadio()) {
                g_chosenRadio = id;
                EnableWindow(GetDlgItem(dlg, kIdLoopEdit), id == CountRadio());
                return 1;
            }
            if (id == IDOK) {
                SaverSettings& st = g_dialogSettings;
                if (g_dialogBuild == SaverBuild::Saver) {
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
                st.realFightLoopSwitch = g_chosenRadio != CountRadio() ? 1 : 0;
                std::vector<std::string> problems;
                if (!SaveSaverSettings(g_dialogBuild, g_dialogFile, st, &problems)) {
                    const std::string text =
                        core::Utf8ToSjis("設定を保存できませんでした。\n") +
                        (problems.empty() ? std::string() : problems.front());
                    MessageBox(dlg, text, "", MB_OK | MB_ICONWARNING);
                    return 1;
                }
                EndDialog(dlg, 0);
                return 1;
            }
            if (id == IDCANCEL) {
                EndDialog(dlg, 0);
                return 1;
            }
            return 0;
        }
        default:
            return 0;
    }
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
