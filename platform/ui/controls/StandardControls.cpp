#include "platform/ui/controls/StandardControls.h"

namespace zv::ui {

bool RegisterStandardControls() {
    using namespace controls;
    bool ok = true;
    ok = RegisterButtonClass() && ok;
    ok = RegisterStaticClass() && ok;
    ok = RegisterEditClass() && ok;
    ok = RegisterListBoxClass() && ok;
    ok = RegisterComboBoxClass() && ok;
    ok = RegisterHeaderClass() && ok;
    ok = RegisterListViewClass() && ok;
    ok = RegisterTabControlClass() && ok;
    ok = RegisterProgressClass() && ok;
    ok = RegisterUpDownClass() && ok;
    ok = RegisterTreeViewClass() && ok;
    return ok;
}

}  // namespace zv::ui
