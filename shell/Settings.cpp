#include "shell/Settings.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "framework/ProcessState.h"
#include "platform/core/IniFile.h"
#include "platform/core/Sjis.h"
#include "platform/ui/Window.h"

namespace zv::shell {

namespace {

constexpr const char* kEnviron = "Environ";
constexpr const char* kWindows = "Windows";
constexpr const char* kFile = "FILE";
constexpr std::size_t kPathBufferSize = 260;
constexpr std::size_t kValueLimit = 80;  // bytes a read keeps, terminator included

enum class Width { Byte, U16, I16, Int };

// The stored value of an option: the setter's argument cut to the option's width.
int CutToWidth(int value, Width width) {
    switch (width) {
        case Width::Byte:
            return static_cast<uint8_t>(value);
        case Width::U16:
            return static_cast<uint16_t>(value);
        case Width::I16:
            return static_cast<int16_t>(value);
        case Width::Int:
            return value;
    }
    return value;
}

int PutEnvironCut(const char* key, int value, Width width) {
    return PutEnvironInt(key, CutToWidth(value, width));
}

std::string Cut(std::string value) {
    value.resize(core::SjisCutLength(value, kValueLimit - 1));
    return value;
}

char* CopyOut(const std::string& value, char* out) {
    if (out == nullptr) return nullptr;
    const std::string v = Cut(value);
    std::memcpy(out, v.data(), v.size());
    out[v.size()] = '\0';
    return out;
}

// One signed decimal field: blanks, a sign, digits up to the first other byte.
int ParseField(std::string_view field) {
    std::size_t i = 0;
    while (i < field.size() && (field[i] == ' ' || field[i] == '\t')) ++i;
    bool negative = false;
    if (i < field.size() && (field[i] == '-' || field[i] == '+')) negative = field[i++] == '-';
    int64_t v = 0;
    while (i < field.size() && field[i] >= '0' && field[i] <= '9') {
        v = std::min<int64_t>(v * 10 + (field[i++] - '0'), int64_t(INT32_MAX) + 1);
    }
    if (negative) v = -v;
    return int(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// Splits into at most `count` fields; returns how many the text has.
int SplitFields(std::string_view text, char separator, int count, int* out) {
    int n = 0;
    std::size_t start = 0;
    while (n < count) {
        const std::size_t end = text.find(separator, start);
        out[n++] =
            ParseField(text.substr(start, end == std::string_view::npos ? text.npos : end - start));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return n;
}

std::string PlacementText(int flags, const PlacementRect& r, int visible) {
    char text[96];
    std::snprintf(text, sizeof text, "%d,%d,%d,%d,%d,%d", flags, r.left, r.top, r.width, r.height,
                  visible);
    return text;
}

void NoCheckMarks(int, int) {}
std::atomic<MenuCheckHook> gMenuCheckHook{&NoCheckMarks};

void CheckMark(int command, int value) {
    gMenuCheckHook.load()(command, value != 0 ? 1 : 0);
}

}  // namespace

std::string GetIniFilePath() {
    return std::string(fw::GetProgramDirectory()) + "\\ZV6WIN.INI";
}

char* GetIniFilePath(char* buffer) {
    if (buffer == nullptr) return nullptr;
    const std::string path = GetIniFilePath();
    const std::size_t n = std::min(path.size(), kPathBufferSize - 1);
    std::memcpy(buffer, path.data(), n);
    buffer[n] = '\0';
    return buffer;
}

int GetProfileIntFrom(const char* section, const char* key, int def) {
    if (section == nullptr || key == nullptr) return def;
    return core::IniGetInt(GetIniFilePath(), section, key, def);
}

int PutProfileIntTo(const char* section, const char* key, int value) {
    if (section == nullptr || key == nullptr) return 0;
    return core::IniWriteString(GetIniFilePath(), section, key, std::to_string(value)) ? 1 : 0;
}

int GetEnvironInt(const char* key, int def) {
    return GetProfileIntFrom(kEnviron, key, def);
}
int PutEnvironInt(const char* key, int value) {
    return PutProfileIntTo(kEnviron, key, value);
}
int GetWindowsInt(const char* key, int def) {
    return GetProfileIntFrom(kWindows, key, def);
}
int PutWindowsInt(const char* key, int value) {
    return PutProfileIntTo(kWindows, key, value);
}

char* GetUserNameSetting(const char* section, const char* key, const char* def, char* out) {
    const std::string fallback = def ? def : "";
    if (section == nullptr || key == nullptr) return CopyOut(fallback, out);
    return CopyOut(core::IniGetString(GetIniFilePath(), section, key, fallback), out);
}

int PutUserNameSetting(const char* section, const char* key, const char* text) {
    if (section == nullptr || key == nullptr || text == nullptr) return 0;
    return core::IniWriteString(GetIniFilePath(), section, key, text) ? 1 : 0;
}

char* GetFileSetting(const char* key, const char* def, char* out) {
    return GetUserNameSetting(kFile, key, def, out);
}

int PutFileSetting(const char* key, const char* text) {
    return PutUserNameSetting(kFile, key, text);
}

#define ZV_ENVIRON_OPTION(Getter, Putter, key, def, width) \
    int Getter() {                                         \
        return GetEnvironInt(key, def);                    \
    }                                                      \
    int Putter(int v) {                                    \
        return PutEnvironCut(key, v, Width::width);        \
    }

ZV_ENVIRON_OPTION(GetGameSpeed, PutGameSpeed, "GameSpeed", 5, Byte)
ZV_ENVIRON_OPTION(GetFightMine, PutFightMine, "FightMine", 1, U16)
ZV_ENVIRON_OPTION(GetFightOther, PutFightOther, "FightOther", 1, U16)
ZV_ENVIRON_OPTION(GetFightSimple, PutFightSimple, "FightSimple", 1, U16)
ZV_ENVIRON_OPTION(GetPaneConf, PutPaneConf, "PaneConf", 63, U16)
ZV_ENVIRON_OPTION(GetBgm, PutBgm, "BGM", 1, Byte)
ZV_ENVIRON_OPTION(GetSound, PutSound, "SOUND", 1, Byte)
ZV_ENVIRON_OPTION(GetMapOption, PutMapOption, "Map", 0, Byte)
ZV_ENVIRON_OPTION(GetMapSize, PutMapSize, "MapSize", 0, Byte)
ZV_ENVIRON_OPTION(GetMapFrame, PutMapFrame, "MapFrame", 0, Byte)
ZV_ENVIRON_OPTION(GetLader, PutLader, "Lader", 0, Byte)
ZV_ENVIRON_OPTION(GetSupply, PutSupply, "Supply", 0, Byte)
ZV_ENVIRON_OPTION(GetMove, PutMove, "Move", 0, Byte)
ZV_ENVIRON_OPTION(GetTroop, PutTroop, "Troop", 0, Byte)
ZV_ENVIRON_OPTION(GetInfo, PutInfo, "Info", 0, Byte)
ZV_ENVIRON_OPTION(GetDispPanel, PutDispPanel, "DispPanel", 1, Byte)
ZV_ENVIRON_OPTION(GetMaxAttackRenge, PutMaxAttackRenge, "MaxAttackRenge", 15, Byte)
ZV_ENVIRON_OPTION(GetAttackRengeMagnifying, PutAttackRengeMagnifying, "AttackRengeMagnifying", 20,
                  Byte)
ZV_ENVIRON_OPTION(GetHexSizeKind, PutHexSizeKind, "HexSizeKind", 2, U16)
ZV_ENVIRON_OPTION(GetFrameSwidth, PutFrameSwidth, "FrameSwidth", 1, Int)
ZV_ENVIRON_OPTION(GetMapDispKind, PutMapDispKind, "MapDispKind", 0, Int)
ZV_ENVIRON_OPTION(GetMapOtherDispSwitch, PutMapOtherDispSwitch, "MapOtherDispSwitch", 0, U16)
ZV_ENVIRON_OPTION(GetDrawType, PutDrawType, "DrawType", 0, I16)
ZV_ENVIRON_OPTION(GetRbuttonType, PutRbuttonType, "RbuttonType", 2, I16)
ZV_ENVIRON_OPTION(GetPenType, PutPenType, "PenType", 0, Int)
ZV_ENVIRON_OPTION(GetAriaType, PutAriaType, "AriaType", 1064, Int)
ZV_ENVIRON_OPTION(GetDeleteType, PutDeleteType, "DeleteType", 0, I16)
ZV_ENVIRON_OPTION(GetSprayAriaType, PutSprayAriaType, "SprayAriaType", 0, I16)
ZV_ENVIRON_OPTION(GetSprayNumType, PutSprayNumType, "SprayNumType", 0, I16)
ZV_ENVIRON_OPTION(GetDispTerType, PutDispTerType, "DispTerType", 7, I16)

#undef ZV_ENVIRON_OPTION

int GetTroopManeDispSwitch() {
    return GetEnvironInt("TroopManeDispSwitch", 0);
}

int SplitIntList(int count, char separator, int* out, const char* text) {
    if (out == nullptr || count <= 0) return 1;
    std::fill(out, out + count, 0);
    if (text != nullptr) SplitFields(text, separator, count, out);
    return 1;
}

void ReadPlacementValues(const char* key, int* flags, PlacementRect* rect, int* visible) {
    int f = flags ? *flags : 0, v = visible ? *visible : 0;
    PlacementRect r = rect ? *rect : PlacementRect{};
    int fields[6] = {f, r.left, r.top, r.width, r.height, v};
    if (key != nullptr) {
        // A missing key reads as the incoming values; a short value keeps the rest of them.
        const std::string text =
            Cut(core::IniGetString(GetIniFilePath(), kWindows, key, PlacementText(f, r, v)));
        int parsed[6];
        const int n = SplitFields(text, ',', 6, parsed);
        std::copy(parsed, parsed + n, fields);
    }
    if (flags) *flags = fields[0];
    if (rect) *rect = {fields[1], fields[2], fields[3], fields[4]};
    if (visible) *visible = fields[5];
}

int WritePlacementValues(const char* key, int flags, const PlacementRect& rect, int visible) {
    if (key == nullptr) return 0;
    return core::IniWriteString(GetIniFilePath(), kWindows, key,
                                PlacementText(flags, rect, visible))
               ? 1
               : 0;
}

int LoadWindowPlacement(int kind, int* flags, PlacementRect* rect, int* visible) {
    const ui::Hwnd window = GetWindowOfKind(kind);
    if (!window) return 0;  // also every number that is no kind
    int f = flags ? *flags : 0, v = visible ? *visible : 0;
    PlacementRect r = rect ? *rect : PlacementRect{};
    ReadPlacementValues(std::string(WindowKindName(kind)).c_str(), &f, &r, &v);
    r.left = std::max(r.left, 0);
    r.top = std::max(r.top, 0);
    if (flags) *flags = f;
    if (rect) *rect = r;
    if (visible) *visible = v;
    const uint32_t style = uint32_t(ui::GetWindowLong(window, ui::GWL_STYLE));
    ui::SetWindowPos(window, ui::HWND_TOP, r.left, r.top, r.width, r.height,
                     (style & ui::WS_THICKFRAME) ? 0 : ui::SWP_NOSIZE);
    if (v != 0) ui::ShowWindow(window, ui::SW_SHOWNORMAL);
    return 1;
}

void SaveWindowPlacement(int kind) {
    const ui::Hwnd window = GetWindowOfKind(kind);
    if (!window) return;
    ui::Rect r;
    if (!ui::GetWindowRect(window, &r)) return;
    ui::Point corner{r.left, r.top};
    const uint32_t style = uint32_t(ui::GetWindowLong(window, ui::GWL_STYLE));
    if (!(style & ui::WS_POPUP)) {
        // MDI children are placed in the MDI client's coordinates.
        ui::Hwnd client = GetWindowOfKind(WindowKind::MdiWnd);
        if (!client) client = ui::GetParent(window);
        ui::ScreenToClient(client, &corner);
    }
    WritePlacementValues(std::string(WindowKindName(kind)).c_str(), 0,
                         {corner.x, corner.y, r.Width(), r.Height()},
                         ui::IsWindowVisible(window) ? 1 : 0);
}

void SetMenuCheckHook(MenuCheckHook hook) {
    gMenuCheckHook.store(hook ? hook : &NoCheckMarks);
}

int ApplyDisplaySettings() {
    ui::ShowWindow(GetWindowOfKind(WindowKind::TableGroopWnd),
                   GetInfo() != 0 ? ui::SW_SHOW : ui::SW_HIDE);
    const ui::Hwnd panels = GetWindowOfKind(WindowKind::PanelManeger);
    if (GetDispPanel() != 0) {
        ui::SendMessage(panels, WM_LAYOUT_PANELS, 0, 0);
        ui::ShowWindow(panels, ui::SW_SHOW);
    } else {
        ui::ShowWindow(panels, ui::SW_HIDE);
    }

    CheckMark(kCmdBgm, GetBgm());
    CheckMark(kCmdSound, GetSound());
    const int mine = GetFightMine(), other = GetFightOther();
    CheckMark(kCmdFightMine, mine);
    CheckMark(kCmdFightOther, other);
    if (mine == 0 && other == 0) PutFightSimple(0);  // no fights shown: no simple display either
    CheckMark(kCmdFightSimple, GetFightSimple());

    const ui::Hwnd map = GetWindowOfKind(WindowKind::MapWnd);
    const struct {
        int option;
        int value;
    } options[] = {{1, GetMapSize()}, {2, GetMapFrame()}, {3, GetSupply()},
                   {4, GetMove()},    {6, GetLader()},    {0, GetMapOption()}};
    for (const auto& o : options) {
        ui::SendMessage(map, WM_MAP_SET_OPTION, ui::WParam(o.option), ui::LParam(o.value));
    }
    // The troop captions are set to the stored mode outright. Stepping them on
    // (kCmdCycleTroopDisplay) as many times as the stored number moved a map that already showed
    // a mode somewhere else on every re-application.
    const int troop = GetTroop();
    ui::SendMessage(map, WM_MAP_SET_OPTION, ui::WParam(kMapOptionTroopCaptions),
                    ui::LParam(troop >= 0 && troop <= 4 ? troop : 0));
    return 1;
}

int ReapplyDisplaySettings() {
    return ApplyDisplaySettings();
}

}  // namespace zv::shell
