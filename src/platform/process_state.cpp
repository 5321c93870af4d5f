// The process-wide state of the editor, in one place: the settings folder and
// profile, the application state, the prompts, the pump hook, the abort flag
// and the process's termination request. Everything else is owned by the
// objects that use it.

#include <atomic>
#include <cstdlib>
#include <memory>
#include <mutex>

#include "platform/application_state.h"
#include "platform/message_pump.h"
#include "platform/prompts.h"
#include "platform/settings_store.h"

namespace sprocket {

namespace {

struct ProcessState {
  std::mutex mutex;
  std::filesystem::path configDir;  // empty until first resolved
  std::unique_ptr<Profile> profile;
  Prompts* prompts = nullptr;
  StreamPrompts defaultPrompts;
  PumpHook pumpHook;
  std::atomic<bool> abortRequested{false};
  std::atomic<bool> terminationRequested{false};
  ApplicationState app;
};

// Kept apart from ProcessState: a signal handler may store into it at any
// time, so it must be ready before any code runs and lock-free.
constinit std::atomic<int> g_terminationSignal{0};
static_assert(std::atomic<int>::is_always_lock_free);

ProcessState& State() {
  static ProcessState state;
  return state;
}

std::filesystem::path DefaultConfigDir() {
  if (const char* dir = std::getenv("SPROCKET_CONFIG_DIR"); dir != nullptr && *dir != '\0') return dir;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg != '\0') {
    return std::filesystem::path(xdg) / "sprocket";
  }
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    return std::filesystem::path(home) / ".config" / "sprocket";
  }
  return std::filesystem::current_path() / ".sprocket";
}

std::filesystem::path ConfigDirLocked(ProcessState& state) {
  if (state.configDir.empty()) state.configDir = DefaultConfigDir();
  return state.configDir;
}

}  // namespace

std::filesystem::path ConfigDir() {
  ProcessState& state = State();
  std::lock_guard lock(state.mutex);
  return ConfigDirLocked(state);
}

void SetConfigDir(const std::filesystem::path& dir) {
  ProcessState& state = State();
  std::lock_guard lock(state.mutex);
  state.configDir = dir;
  state.profile.reset();
}

std::filesystem::path SettingsFilePath() { return ConfigDir() / kSettingsFileName; }

std::filesystem::path LogDir() { return ConfigDir(); }

Profile& AppProfile() {
  ProcessState& state = State();
  std::lock_guard lock(state.mutex);
  if (!state.profile) state.profile = std::make_unique<Profile>(ConfigDirLocked(state) / kSettingsFileName);
  return *state.profile;
}

int GetProfileInt(std::string_view section, std::string_view key, int defaultValue) {
  return AppProfile().GetProfileInt(section, key, defaultValue);
}

std::string GetProfileString(std::string_view section, std::string_view key, std::string_view defaultValue) {
  return AppProfile().GetProfileString(section, key, defaultValue);
}

bool WriteProfileInt(std::string_view section, std::string_view key, int value) {
  return AppProfile().WriteProfileInt(section, key, value);
}

bool WriteProfileString(std::string_view section, std::string_view key, std::string_view value) {
  return AppProfile().WriteProfileString(section, key, value);
}

ApplicationState& TheApp() { return State().app; }

Prompts& AppPrompts() {
  ProcessState& state = State();
  return state.prompts != nullptr ? *state.prompts : state.defaultPrompts;
}

void SetPrompts(Prompts* prompts) { State().prompts = prompts; }

void SetPumpHook(PumpHook hook) { State().pumpHook = std::move(hook); }

void PumpMessages() {
  if (State().pumpHook) State().pumpHook();
}

void RequestAbort() { State().abortRequested = true; }

void RequestTermination() {
  State().terminationRequested = true;
  State().abortRequested = true;
}

void ClearAbort() {
  State().abortRequested = false;
  State().terminationRequested = false;
}

bool IsAbortRequested() { return State().abortRequested || ProcessTerminationSignal() != 0; }
bool IsTerminationRequested() { return State().terminationRequested || ProcessTerminationSignal() != 0; }

void RequestProcessTermination(int signalNumber) noexcept {
  g_terminationSignal.store(signalNumber != 0 ? signalNumber : -1);
}

int ProcessTerminationSignal() noexcept { return g_terminationSignal.load(); }

void ClearProcessTermination() noexcept { g_terminationSignal.store(0); }

}  // namespace sprocket
