// A program started by a lobby (ZV6_LOBBY names the session to host) plays no opening and tells
// its title so; started by hand it plays the opening and tells the title nothing of a lobby.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "shell/game/GameMessages.h"
#include "shell/game/TitleWindow.h"
#include "shell/game/tests/ProgramFixture.h"

namespace zv::shell {
namespace {

std::vector<ui::WParam>* gTitleStarts = nullptr;
ui::LResult TitleSpy(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    if (msg == WM_TITLE_START && gTitleStarts) gTitleStarts->push_back(w);
    return ui::DefWindowProc(h, msg, w, l);
}

TEST(LobbyStart, ALobbysProgramSkipsTheOpeningAndTellsTheTitle) {
    // A port of this process's own, so that parallel runs do not meet.
    const std::string port = std::to_string(41000 + ::getpid() % 20000);
    struct Case {
        const char* what;
        std::string lobby;  // ZV6_LOBBY; empty: not set
        int openings;
        ui::WParam told;
    } const cases[] = {
        {"started by hand", "", 1, 0},
        {"started by a lobby", "host;" + port + ";tester", 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.lobby.empty()) {
            ::unsetenv("ZV6_LOBBY");
        } else {
            ::setenv("ZV6_LOBBY", c.lobby.c_str(), 1);
        }
        std::vector<ui::WParam> starts;
        gTitleStarts = &starts;
        SetTitleWindowFactory([](ui::Hwnd frame) {
            ui::WindowClass existing;
            if (!ui::GetClassInfo("LobbyTitleSpy", &existing)) {
                ui::WindowClass wc;
                wc.name = "LobbyTitleSpy";
                wc.proc = TitleSpy;
                ui::RegisterClass(wc);
            }
            return ui::CreateWindowEx(0, "LobbyTitleSpy", "", ui::WS_CHILD, 0, 0, 10, 10, frame, 0, nullptr, nullptr);
        });
        testing::ProgramRun run;
        int openings = 0;
        run.options.runOpening = [&](const std::string&) {
            ++openings;
            return 1;
        };
        run.Run([&](ui::Hwnd frame) { ui::PostMessage(frame, WM_EXIT_GAME, 0, 0); });
        ::unsetenv("ZV6_LOBBY");
        SetTitleWindowFactory(nullptr);
        gTitleStarts = nullptr;
        EXPECT_EQ(openings, c.openings);
        EXPECT_EQ(starts, std::vector<ui::WParam>{c.told});
    }
}

}  // namespace
}  // namespace zv::shell
