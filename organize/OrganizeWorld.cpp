#include "organize/OrganizeWorld.h"

#include "platform/core/Sjis.h"
#include "platform/ui/MessageBox.h"
#include "shell/ProgramServices.h"

namespace zv::organize {

namespace {
OrganizeMessageBoxHook gHook;
}  // namespace

OrganizeWorld* CurrentOrganizeWorld() {
    const shell::ProgramServices* services = shell::CurrentServices();
    return services != nullptr ? services->organize : nullptr;
}

void SetOrganizeMessageBoxHook(OrganizeMessageBoxHook hook) { gHook = std::move(hook); }

int OrganizeMessageBox(ui::Hwnd owner, const std::string& text, const std::string& caption,
                       std::uint32_t type) {
    if (gHook) return gHook(owner, text, caption, type);
    return ui::MessageBox(owner, ToSjis(text), ToSjis(caption), type);
}

std::string ToSjis(const std::string& utf8) { return core::Utf8ToSjis(utf8); }
std::string ToUtf8(const std::string& sjis) { return core::SjisToUtf8(sjis); }

}  // namespace zv::organize
