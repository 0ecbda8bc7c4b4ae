#include "mapview/MapCheckDialog.h"

#include "framework/gui/WindowUtilities.h"
#include "mapview/MapWorld.h"
#include "platform/core/Sjis.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/DialogObject.h"
#include "platform/ui/DialogTemplate.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "platform/ui/controls/ControlConstants.h"
#include "rules/files/MapCheck.h"

namespace zv::mapview {

void RegisterMapCheckDialog() {
    ui::DialogTemplate t;
    t.number = kMapCheckDialog;
    t.title = "マップチェック";
    t.style = ui::WS_POPUP | ui::WS_CAPTION | ui::WS_SYSMENU | ui::DS_MODALFRAME;
    t.cx = 260;
    t.cy = 150;
    t.items = {
        {kIdMapCheckReport, "EDIT", "", 8, 8, 244, 112,
         ui::ES_MULTILINE | ui::ES_READONLY | ui::WS_VSCROLL | ui::WS_BORDER | ui::WS_TABSTOP},
        {kIdMapCheckClose, "BUTTON", "終了", 102, 128, 56, 14, ui::WS_TABSTOP | ui::BS_DEFPUSHBUTTON},
    };
    ui::DialogRegistry::Global().Add(std::move(t));
}

std::string BuildMapCheckReport(const rules::TableDirectory& tables, bool* clean) {
    const auto findings = rules::CheckMapPlayable(tables);
    std::string text;
    for (const rules::MapCheckFinding& f : findings) text += f.message + "\r\n";
    text += rules::MapCheckVerdict(!findings.empty());
    if (clean != nullptr) *clean = findings.empty();
    return text;
}

int RunMapCheck(ui::Hwnd dialog) {
    MapWorld* world = CurrentMapWorld();
    if (world == nullptr || world->tables == nullptr) return 0;
    bool clean = false;
    const std::string report = BuildMapCheckReport(*world->tables, &clean);
    ui::SetDlgItemText(dialog, kIdMapCheckReport, core::Utf8ToSjis(report));
    return clean ? 1 : 0;
}

namespace {

// The check's report: made once when the dialog opens.
class MapCheckDialog : public ui::DialogObject {
  public:
    using DialogObject::DialogObject;

    intptr_t Dispatch(uint32_t msg, ui::WParam w, ui::LParam) {
        switch (msg) {
            case ui::WM_INITDIALOG:
                OnInitDialog();
                return 1;
            case ui::WM_COMMAND:
                if (ui::LoWord(w) != kIdMapCheckClose) return 0;
                End(1);
                return 1;
            case ui::WM_CLOSE:
                End(0);
                return 1;
            default:
                return 0;
        }
    }

  private:
    void OnInitDialog() {
        ui::Rect r{};
        ui::GetWindowRect(Handle(), &r);
        fw::CenterWindowOnScreen(Handle(), r.right - r.left, r.bottom - r.top, 0);
        RunMapCheck(Handle());
    }
};

}  // namespace

intptr_t MapCheckDialogProc(ui::Hwnd dlg, uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::DialogObjectProc<MapCheckDialog>(dlg, msg, w, l);
}

intptr_t ShowMapCheckDialog(ui::Hwnd owner) {
    RegisterMapCheckDialog();
    return ui::DialogBoxParam(nullptr, kMapCheckDialog, owner, MapCheckDialogProc, 0);
}

}  // namespace zv::mapview
