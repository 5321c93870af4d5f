// The process-wide render state: the one place where rendering keeps values
// across frames and jobs.

#include "render/sources/render_state.h"

#include <memory>
#include <utility>

#include "platform/prompts.h"
#include "platform/settings/settings_keys.h"
#include "platform/settings_store.h"
#include "platform/system_info.h"

namespace sprocket {

namespace {

struct RenderProcessState {
  RenderState state;
  std::set<std::pair<std::string, std::string>> shownMessages;
  std::unique_ptr<std::recursive_mutex> lock;
};

RenderProcessState& Process() {
  static RenderProcessState process;
  return process;
}

}  // namespace

void RenderState::StoreLastSourceFile(const std::string& name) { lastSourceFile = name.substr(0, kMaxRenderFileName); }

bool RenderState::IsLastSourceFile(const std::string& name) const {
  return lastSourceFile.has_value() && *lastSourceFile == name.substr(0, kMaxRenderFileName);
}

RenderState& TheRenderState() { return Process().state; }

void ResetRenderJobState() {
  RenderProcessState& process = Process();
  const std::int32_t depth = process.state.outputBitDepth;
  process.state = RenderState{};
  process.state.outputBitDepth = depth;
  process.shownMessages.clear();
}

bool InitRenderLock() {
  RenderProcessState& process = Process();
  // Once made, the lock stays for the life of the process.
  if (process.lock == nullptr && ProcessorCount() >= 2 &&
      GetProfileInt(settings::kMultiProc, settings::kEnableMultiProc, 0) != 0) {
    process.lock = std::make_unique<std::recursive_mutex>();
  }
  return process.lock != nullptr;
}

std::recursive_mutex* RenderLock() { return Process().lock.get(); }

bool ShowRenderMessageOnce(const std::string& text, const std::string& subject) {
  if (!Process().shownMessages.emplace(text, subject).second) return false;
  ShowMessage(text, MB_OK | MB_ICONSTOP);
  return true;
}

}  // namespace sprocket
