#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "framework/ProcessState.h"
#include "organize/DragDrop.h"
#include "platform/ui/HeadlessBackend.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowManager.h"

namespace zv::organize {
namespace {

// A source window that records what it is handed back.
std::vector<std::vector<std::uint8_t>> gDiscards;

ui::LResult SourceProc(ui::Hwnd h, std::uint32_t msg, ui::WParam w, ui::LParam l) {
    if (msg == WM_ORGANIZE_DISCARD) {
        std::vector<std::uint8_t> payload;
        if (l) payload.assign(reinterpret_cast<const std::uint8_t*>(l), reinterpret_cast<const std::uint8_t*>(l) + 2);
        gDiscards.push_back(payload);
        return 0;
    }
    return ui::DefWindowProc(h, msg, w, l);
}

class Drag : public ::testing::Test {
  protected:
    void SetUp() override {
        fw::SetProgramDirectory(ZV_PROGRAM_DIR);
        wm = std::make_unique<ui::WindowManager>(std::make_unique<ui::HeadlessBackend>(800, 600));
        ResetDragState();
        gDiscards.clear();
        ui::WindowClass wc;
        wc.name = "DragSource";
        wc.proc = SourceProc;
        ui::RegisterClass(wc);
        owner = ui::CreateWindowEx(0, "DragSource", "", ui::WS_POPUP | ui::WS_VISIBLE, 0, 0, 400, 300, {}, 0,
                                   nullptr, nullptr);
        SetDragOwner(owner);
    }
    void TearDown() override {
        ResetDragState();
        for (ui::Hwnd top = ui::GetTopWindow({}); top; top = ui::GetTopWindow({})) ui::DestroyWindow(top);
        wm.reset();
    }
    ui::Hwnd Child(int x, int y, int w, int h) {
        return ui::CreateWindowEx(0, "DragSource", "", ui::WS_CHILD | ui::WS_VISIBLE, x, y, w, h, owner, 0,
                                  nullptr, nullptr);
    }
    std::unique_ptr<ui::WindowManager> wm;
    ui::Hwnd owner{};
};

TEST_F(Drag, DropTargetsAreFoundStrictlyInsideInSlotOrder) {
    const ui::Hwnd a = Child(10, 10, 100, 50);  // screen 10..110 x 10..60
    const ui::Hwnd b = Child(50, 20, 100, 50);
    ASSERT_EQ(RegisterDropTarget(a), 1);
    ASSERT_EQ(RegisterDropTarget(b), 1);
    struct Case {
        int x, y;
        ui::Hwnd expected;
    } cases[] = {
        {11, 11, a},       // just inside
        {10, 30, {}},      // on the left border: no drop
        {109, 30, a},      // a comes first where both lie
        {110, 30, b},      // a's right edge, inside b
        {60, 60, b},       // a's bottom edge, inside b
        {150, 40, {}},     // b's right edge
        {300, 200, {}},    // outside every target
    };
    for (const Case& c : cases) EXPECT_EQ(FindDropTarget(c.x, c.y), c.expected) << c.x << "," << c.y;
}

TEST_F(Drag, ThirtyTargetsAtMostAndClearingHandsTheCaptureOwnerBack) {
    std::vector<ui::Hwnd> windows;
    for (int i = 0; i < kDropTargetCount; ++i) {
        windows.push_back(Child(i, 0, 5, 5));
        EXPECT_EQ(RegisterDropTarget(windows.back()), 1);
    }
    EXPECT_EQ(RegisterDropTarget(Child(200, 200, 5, 5)), 0);
    const ui::Hwnd second = Child(300, 0, 10, 10);
    SetDragOwner(second);
    EXPECT_EQ(GetDragOwner(), second);
    ClearDropTargets();
    EXPECT_EQ(GetDragOwner(), owner);
    EXPECT_EQ(RegisterDropTarget(second), 1);
}

TEST_F(Drag, BeginAndEndHandTheValueOnceAndMoveTheCapture) {
    BeginDrag(owner, 7, 1);  // not a drag type
    EXPECT_EQ(IsDragging(), 0);
    BeginDrag(owner, kDragUnit, 42);
    EXPECT_EQ(IsDragging(), 1);
    EXPECT_EQ(ui::GetCapture(), owner);
    int value = 0;
    EXPECT_EQ(EndDrag(&value), kDragUnit);
    EXPECT_EQ(value, 42);
    EXPECT_EQ(IsDragging(), 0);
    EXPECT_FALSE(ui::GetCapture());
    value = -5;
    EXPECT_EQ(EndDrag(&value), 0);  // a second end finds no drag
    EXPECT_EQ(value, -5);
    BeginDrag(owner, kDragMember, 3);
    EXPECT_EQ(EndDrag(nullptr), 0);  // without an out value the type is not told
    EXPECT_EQ(IsDragging(), 0);
}

TEST_F(Drag, TrashBoxHandsTroopsAndMembersBackButNotUnits) {
    const ui::Hwnd source = Child(0, 0, 50, 50);
    const ui::Hwnd trash = CreateTrashBoxWindow(owner, 1151, 100, 100, 68, 80);
    ASSERT_TRUE(trash);
    EXPECT_EQ(FindDropTarget(130, 130), trash);  // it registers itself

    BeginDrag(source, kDragUnit, 12);
    ui::SendMessage(trash, ui::WM_LBUTTONUP, 0, ui::MakeLParam(10, 10));
    EXPECT_TRUE(gDiscards.empty());
    EXPECT_EQ(IsDragging(), 0);

    const std::uint16_t troop = 0x0123;
    SetDragPayload(&troop, sizeof troop);
    BeginDrag(source, kDragTroop, 4);
    ui::SendMessage(trash, ui::WM_LBUTTONUP, 0, ui::MakeLParam(10, 10));
    ASSERT_EQ(gDiscards.size(), 1u);
    EXPECT_EQ(gDiscards[0], (std::vector<std::uint8_t>{0x23, 0x01}));

    BeginDrag(source, kDragMember, 2);
    ui::SendMessage(trash, ui::WM_LBUTTONUP, 0, ui::MakeLParam(10, 10));
    ASSERT_EQ(gDiscards.size(), 2u);
    EXPECT_TRUE(gDiscards[1].empty());  // the payload went with the first delivery

    // A release over the trash box with no drag running changes nothing.
    ui::SendMessage(trash, ui::WM_LBUTTONUP, 0, ui::MakeLParam(10, 10));
    EXPECT_EQ(gDiscards.size(), 2u);
}

}  // namespace
}  // namespace zv::organize
