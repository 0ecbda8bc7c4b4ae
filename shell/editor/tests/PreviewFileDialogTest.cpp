// The file dialogs with their preview pane: each default map in its three modes, the filter
// texts and the file selection.

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>

#include "mapview/MapPreview.h"
#include "mapview/tests/EditorFixture.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/tests/UiTestSupport.h"
#include "shell/editor/PreviewFileDialog.h"

namespace zv::shell {
namespace {

using mapview::testing::EditorFixture;

class PreviewDialog : public EditorFixture {
  public:
    void SetUp() override {
        EditorFixture::SetUp();
        fw::SetProgramDirectory(mapview::testing::kProgramDir);
        ClearFileSelection();
    }
    // Shows the open dialog with the preview; `act` runs once it is up and should close it.
    int Run(std::function<void(ui::Hwnd)> act) {
        int r = -1;
        RunModal(
            [&] {
                SetFileDialogHook(FilePreviewHook, kPreviewPaneTemplate);
                const std::string dir = mapview::testing::kProgramDir + "/MAP/";
                r = ShowFileDialog({}, "マップファイル", "MAP?????.ddm", dir.c_str(), 0);
            },
            std::move(act));
        return r;
    }
    void ClickRow(ui::Hwnd dlg, const std::string& name) {
        if (!ui::testing::ClickListBoxRowNamed(*screen, ui::GetDlgItem(dlg, ui::lst1), name)) {
            ADD_FAILURE() << name << " not listed";
            return;
        }
        Pump();
    }
    // The child pane of the file dialog.
    static ui::Hwnd Pane(ui::Hwnd dlg) {
        for (ui::Hwnd c = ui::GetWindow(dlg, ui::GW_CHILD); c; c = ui::GetWindow(c, ui::GW_HWNDNEXT))
            if (ui::GetDlgItem(c, kIdPreviewNormal)) return c;
        return {};
    }
};

TEST_F(PreviewDialog, EachDefaultMapInItsThreeModes) {
    // Hashes of the 128 x 128 pictures (8-bit pixels) of modes 0, 1 and 2.
    const std::map<std::string, std::array<std::uint64_t, 3>> golden = {
        {"MAP00001.ddm", {0xe848724fd0a89319ull, 0x70c33477dbb6e933ull, 0x2303b335d431e023ull}},
        {"MAP00002.ddm", {0xe0385219abb0651eull, 0x9c95d0c24e5fe573ull, 0xa4e8e14237e7d717ull}},
        {"MAP00003.ddm", {0x2fbd64ad2294b02dull, 0x573f30467a85b34bull, 0xf9b36acd27e91a6full}},
        {"MAP00004.ddm", {0xda79d5dc93bba4c0ull, 0xa7d59fe07bd94affull, 0xe7a76deb4ae6f60bull}},
    };
    const int r = Run([&](ui::Hwnd dlg) {
        const ui::Hwnd pane = Pane(dlg);
        ASSERT_TRUE(pane);
        EXPECT_TRUE(ui::IsDlgButtonChecked(pane, kIdPreviewNormal));
        for (const auto& [name, hashes] : golden) {
            ClickRow(dlg, name);
            const mapview::MapPreviewRecord* p = mapview::GetMapPreview();
            ASSERT_NE(p, nullptr) << name;
            EXPECT_NE(p->countryMask, 0) << name;
            EXPECT_NE(TextOf(pane, kIdPreviewDescription), "") << name;
            for (int mode = 0; mode < 3; ++mode) {
                ClickItem(pane, kIdPreviewNormal + mode);
                EXPECT_EQ(GetFilePreviewMode(), mode);
                const std::uint64_t h = mapview::testing::PixelHash(*p->pictures[mode]);
                EXPECT_EQ(h, hashes[mode]) << name << " mode " << mode;
                Shot("mapedit_preview_" + name.substr(0, 8) + "_" + std::to_string(mode));
            }
            ClickItem(pane, kIdPreviewNormal);
        }
        ui::SendMessage(dlg, ui::WM_COMMAND, ui::IDCANCEL, 0);
    });
    EXPECT_EQ(r, 0);
    EXPECT_STREQ(GetSelectedFilePath(), "") << "a cancelled dialog keeps the selection";
    EXPECT_EQ(mapview::GetMapPreview(), nullptr) << "the pane frees the preview when it closes";
    EXPECT_EQ(GetFilePreviewMode(), 0);
}

TEST_F(PreviewDialog, ChoosingAFileFillsTheSelection) {
    const int r = Run([&](ui::Hwnd dlg) {
        ClickRow(dlg, "MAP00002.ddm");
        ui::SendMessage(dlg, ui::WM_COMMAND, ui::IDOK, 0);
    });
    ASSERT_EQ(r, 1);
    const FileSelection& s = GetFileSelection();
    EXPECT_STREQ(s.name, "MAP00002");
    EXPECT_STREQ(s.extension, ".ddm");
    EXPECT_EQ(std::string(s.path), std::string(s.directory) + "MAP00002.ddm");
    SetFileSelection("C:\\ZV6\\MAP\\MAP00009.ddm");
    EXPECT_STREQ(GetSelectedFileName(), "MAP00009");
    EXPECT_STREQ(GetFileSelection().directory, "C:\\ZV6\\MAP\\");
}

TEST(FileFilter, LabelPatternAndDefaults) {
    using namespace std::string_literals;
    EXPECT_EQ(BuildFileFilter("マップファイル", "MAP?????.ddm"),
              core::Utf8ToSjis("マップファイル") + "(MAP?????.ddm)\0MAP?????.ddm\0"s);
    EXPECT_EQ(BuildFileFilter(nullptr, nullptr), core::Utf8ToSjis("すべてのファイル") + "(*.*)\0*.*\0"s);
    EXPECT_EQ(BuildFileFilter("ゲームファイル", nullptr), core::Utf8ToSjis("ゲームファイル") + "(*.*)\0*.*\0"s);
}

}  // namespace
}  // namespace zv::shell
