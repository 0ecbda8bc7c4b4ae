#include <gtest/gtest.h>

#include <string>

#include "framework/ProcessState.h"
#include "platform/core/Paths.h"

namespace zv::net {
// Test stand-ins; the real classes live in the network layer.
class SessionManager {
  public:
    SessionConnection* connection = nullptr;
};
class SessionConnection {};
}  // namespace zv::net

namespace zv::fw {
namespace {

// Each test works on its own state, as the program does with its one instance.
class ProcessStateTest : public ::testing::Test {
  protected:
    void SetUp() override { InstallProcessState(&state); }
    void TearDown() override { InstallProcessState(nullptr); }
    ProcessState state;
};

TEST_F(ProcessStateTest, ValuesAtLoad) {
    EXPECT_EQ(GetPlayerCountry(), 6);
    EXPECT_EQ(IsSoundAvailable(), 1);
    EXPECT_EQ(GetSessionManager(), nullptr);
    EXPECT_EQ(GetSessionConnection(), nullptr);
    EXPECT_EQ(std::string(GetProgramDirectory()), core::ExecutableDirectory());
    EXPECT_EQ(GetAppInstance().modulePath, core::ExecutablePath());
}

TEST_F(ProcessStateTest, ProgramDirectoryComesFromTheModulePath) {
    struct Case {
        std::string modulePath;
        std::string directory;
    };
    const Case cases[] = {
        {"/opt/game/zv6", "/opt/game/"},
        {"/zv6", "/"},
        {"zv6", "./"},
        {"", core::ExecutableDirectory()},
    };
    for (const Case& c : cases) {
        SaveProgramDirectory(AppInstance{c.modulePath});
        EXPECT_EQ(std::string(GetProgramDirectory()), c.directory) << c.modulePath;
    }
    SetProgramDirectory("/data/zv");
    EXPECT_EQ(std::string(GetProgramDirectory()), "/data/zv/");
    SaveAppInstance(AppInstance{"/x/y"});
    EXPECT_EQ(GetAppInstance().modulePath, "/x/y");
}

TEST_F(ProcessStateTest, SessionAccessors) {
    net::SessionManager manager;
    net::SessionConnection connection;
    SetSessionManager(&manager, [](net::SessionManager* m) { return m->connection; });
    EXPECT_EQ(GetSessionManager(), &manager);
    EXPECT_EQ(GetSessionConnection(), nullptr);  // single play: no connection yet
    manager.connection = &connection;
    EXPECT_EQ(GetSessionConnection(), &connection);
    SetSessionManager(nullptr, nullptr);
    EXPECT_EQ(GetSessionConnection(), nullptr);
}

TEST_F(ProcessStateTest, PlayerCountryIsAByte) {
    SetPlayerCountry(2);
    EXPECT_EQ(GetPlayerCountry(), 2);
    SetPlayerCountry(0x105);
    EXPECT_EQ(GetPlayerCountry(), 5);
    SetSoundAvailable(0);
    EXPECT_EQ(IsSoundAvailable(), 0);
}

TEST(ProcessStateInstall, InstalledStatesAreSeparate) {
    ProcessState a;
    ProcessState b;
    InstallProcessState(&a);
    SetPlayerCountry(1);
    InstallProcessState(&b);
    EXPECT_EQ(GetPlayerCountry(), 6);
    InstallProcessState(&a);
    EXPECT_EQ(GetPlayerCountry(), 1);
    InstallProcessState(nullptr);
    EXPECT_EQ(&CurrentProcessState(), &CurrentProcessState());
    EXPECT_NE(&CurrentProcessState(), &a);
}

}  // namespace
}  // namespace zv::fw
