#pragma once

// The map editor's map check (dialog 320 "マップチェック"): runs the playability check on the
// live tables and lists every finding, one a line, in a read-only text box.

#include <cstdint>
#include <string>

#include "platform/ui/WindowTypes.h"
#include "rules/context/TableDirectory.h"

namespace zv::mapview {

constexpr int kMapCheckDialog = 320;
constexpr int kIdMapCheckReport = 1048;
constexpr int kIdMapCheckClose = 1011;

void RegisterMapCheckDialog();

// The report in the dialog's form (UTF-8): every finding followed by CR LF, then the verdict.
std::string BuildMapCheckReport(const rules::TableDirectory& tables, bool* clean = nullptr);

// Puts the report of the installed world's tables into control 1048; 1 when nothing was found.
int RunMapCheck(ui::Hwnd dialog);
// Modal; 1 when closed with "終了".
intptr_t ShowMapCheckDialog(ui::Hwnd owner);
intptr_t MapCheckDialogProc(ui::Hwnd dlg, uint32_t msg, ui::WParam w, ui::LParam l);

}  // namespace zv::mapview
