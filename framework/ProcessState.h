#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace zv::net {
class SessionManager;
class SessionConnection;
}  // namespace zv::net

namespace zv::fw {

// Stands in for the program instance handle: names the running program file.
struct AppInstance {
    std::string modulePath;
};

// The instance of the running executable.
AppInstance CurrentAppInstance();

// Gives the session manager's connection object; supplied by whoever installs the manager,
// since this layer cannot look inside it.
using SessionConnectionOf = net::SessionConnection* (*)(net::SessionManager*);

// The values that belong to the whole process. The program owns one and installs it; until
// then (and in tools and tests that install none) a built-in one answers.
class ProcessState {
  public:
    ProcessState();

    AppInstance instance;
    std::string programDirectory;  // ends in '/'; the executable's folder until saved
    net::SessionManager* sessionManager = nullptr;  // not owned here: the start-up deletes it
    SessionConnectionOf connectionOf = nullptr;
    // Read by the clock thread while the GUI thread may write them.
    std::atomic<int> soundAvailable{1};
    std::atomic<std::uint8_t> playerCountry{6};  // 0-3 a country; 4 and above none
};

// Makes `state` the process's state (null: back to the built-in one). Called by the
// start-up before any other thread exists.
void InstallProcessState(ProcessState* state);
ProcessState& CurrentProcessState();

const AppInstance& GetAppInstance();
void SaveAppInstance(const AppInstance& instance);

// Stores the folder of the instance's program file, ending in '/'.
void SaveProgramDirectory(const AppInstance& instance);
// For tools and tests that keep their data elsewhere. A '/' is added when missing.
void SetProgramDirectory(const std::string& directory);
// The stored folder. Callers append "\ZV6WIN.INI", "MAP\" and the like; paths resolve
// with either separator, so the doubled separator is harmless.
const char* GetProgramDirectory();

void SetSessionManager(net::SessionManager* manager, SessionConnectionOf connectionOf);
net::SessionManager* GetSessionManager();
// Null when there is no manager or it has no connection (single play).
net::SessionConnection* GetSessionConnection();

int IsSoundAvailable();
void SetSoundAvailable(int available);

void SetPlayerCountry(int country);  // stored as a byte
std::uint8_t GetPlayerCountry();

}  // namespace zv::fw
