// The registration of the game's window classes succeeds only as a whole: the first module that
// fails stops it, the later ones are not asked, and the program then ends before its frame.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/HeadlessBackend.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowManager.h"
#include "shell/game/WindowClasses.h"
#include "shell/game/tests/ProgramFixture.h"

namespace zv::shell {
namespace {

// Keeps the process's modules and puts them back afterwards.
class WindowClasses : public ::testing::Test {
  protected:
    void SetUp() override { kept = GameWindowModules(); }
    void TearDown() override {
        ClearGameWindowModules();
        for (const GameWindowModule& m : kept) AddGameWindowModule(m);
    }
    GameWindowModule Module(const std::string& name, bool ok) {
        return {name, [this, name, ok] {
                    asked.push_back(name);
                    return ok;
                },
                [](ui::Hwnd, ui::Hwnd) {}, [] {}};
    }
    std::vector<GameWindowModule> kept;
    std::vector<std::string> asked;
};

TEST_F(WindowClasses, TheFirstFailingModuleStopsTheRegistration) {
    const ui::WindowManager wmHolder(std::make_unique<ui::HeadlessBackend>(640, 480));
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, bool>> modules;
        int result;
        std::vector<std::string> asked;
    } const cases[] = {
        {"all succeed", {{"a", true}, {"b", true}, {"c", true}}, 1, {"a", "b", "c"}},
        {"the second fails", {{"a", true}, {"b", false}, {"c", true}}, 0, {"a", "b"}},
        {"the first fails", {{"a", false}, {"b", true}}, 0, {"a"}},
        {"the last fails", {{"a", true}, {"b", true}, {"c", false}}, 0, {"a", "b", "c"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ClearGameWindowModules();
        asked.clear();
        for (const auto& [name, ok] : c.modules) AddGameWindowModule(Module(name, ok));
        EXPECT_EQ(RegisterWindowClasses(nullptr), c.result);
        EXPECT_EQ(asked, c.asked);
        ui::WindowClass frame;
        EXPECT_TRUE(ui::GetClassInfo(GetFrameClassName(), &frame)) << "the frame's class comes first";
    }
}

TEST_F(WindowClasses, AProgramWhoseRegistrationFailsEndsBeforeItsFrame) {
    AddGameWindowModule(Module("refusing", false));
    testing::ProgramRun run;
    bool shown = false;
    EXPECT_EQ(run.Run([&](ui::Hwnd) { shown = true; }), 0);
    EXPECT_FALSE(shown);
    EXPECT_EQ(asked, std::vector<std::string>{"refusing"});
    EXPECT_TRUE(std::find(run.steps.begin(), run.steps.end(), "classes") == run.steps.end());
    EXPECT_TRUE(std::find(run.steps.begin(), run.steps.end(), "frame") == run.steps.end());
}

}  // namespace
}  // namespace zv::shell
