#include "framework/ProcessState.h"

#include "platform/core/Paths.h"

namespace zv::fw {
namespace {

std::atomic<ProcessState*> installed{nullptr};

ProcessState& BuiltIn() {
    static ProcessState state;
    return state;
}

std::string DirectoryOf(const std::string& modulePath) {
    const size_t slash = modulePath.rfind('/');
    if (slash == std::string::npos) return "./";
    return modulePath.substr(0, slash + 1);
}

}  // namespace

AppInstance CurrentAppInstance() {
    return AppInstance{core::ExecutablePath()};
}

ProcessState::ProcessState()
    : instance(CurrentAppInstance()), programDirectory(core::ExecutableDirectory()) {}

void InstallProcessState(ProcessState* state) {
    installed.store(state);
}

ProcessState& CurrentProcessState() {
    ProcessState* state = installed.load();
    return state != nullptr ? *state : BuiltIn();
}

const AppInstance& GetAppInstance() {
    return CurrentProcessState().instance;
}

void SaveAppInstance(const AppInstance& instance) {
    CurrentProcessState().instance = instance;
}

void SaveProgramDirectory(const AppInstance& instance) {
    CurrentProcessState().programDirectory = instance.modulePath.empty()
                                                 ? core::ExecutableDirectory()
                                                 : DirectoryOf(instance.modulePath);
}

void SetProgramDirectory(const std::string& directory) {
    std::string dir = directory.empty() ? std::string("./") : directory;
    if (dir.back() != '/' && dir.back() != '\\') dir += '/';
    CurrentProcessState().programDirectory = dir;
}

const char* GetProgramDirectory() {
    return CurrentProcessState().programDirectory.c_str();
}

void SetSessionManager(net::SessionManager* manager, SessionConnectionOf connectionOf) {
    ProcessState& state = CurrentProcessState();
    state.sessionManager = manager;
    state.connectionOf = connectionOf;
}

net::SessionManager* GetSessionManager() {
    return CurrentProcessState().sessionManager;
}

net::SessionConnection* GetSessionConnection() {
    ProcessState& state = CurrentProcessState();
    if (state.sessionManager == nullptr || state.connectionOf == nullptr) return nullptr;
    return state.connectionOf(state.sessionManager);
}

int IsSoundAvailable() {
    return CurrentProcessState().soundAvailable.load();
}

void SetSoundAvailable(int available) {
    CurrentProcessState().soundAvailable.store(available);
}

void SetPlayerCountry(int country) {
    CurrentProcessState().playerCountry.store(static_cast<std::uint8_t>(country));
}

std::uint8_t GetPlayerCountry() {
    return CurrentProcessState().playerCountry.load();
}

}  // namespace zv::fw
